// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/EepromDlg.h"

#include "app/WR7310App.h"
#include "base/DialogHelpers.h"
#include "base/Messages.h"
#include "base/RadioFile.h"
#include "freqedit/EditRules.h"
#include "freqedit/MSFlexGrid.h"
#include "service/ContextHelp.h"
#include "service/EepromMap.h"
#include "service/HelpLauncher.h"

#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include <cstring>

CEepromDlg::CEepromDlg(CWR7310App& app, QWidget* pParent, std::string strScratch)
    : QDialog(pParent), m_app(app),
      m_strScratch(strScratch.empty() ? eeprom::ScratchPath() : std::move(strScratch)),
      m_nRows(eeprom::DataRows(app.m_variant)) {
    setObjectName("EepromDlg");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle("EEPROM Map");

    m_pGrid = new CMSFlexGrid;
    m_pGrid->setObjectName("grid1149");
    m_pGrid->setAccessibleName("EEPROM Map");
    m_pList = new QListWidget;
    m_pList->setObjectName("list1372");
    m_pList->setAccessibleName("Change Data:");
    m_pList->setSortingEnabled(true);
    m_pList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pList->setFixedWidth(m_pList->fontMetrics().horizontalAdvance("$07FF:0xFF -> 0xFF") +
                           m_pList->verticalScrollBar()->sizeHint().width() +
                           2 * m_pList->frameWidth() + 24);
    auto* listLabel = new QLabel("Change Data:");
    listLabel->setBuddy(m_pList);
    m_pAddress = new QLabel("Change Data:");
    m_pAddress->setObjectName("static1367");
    m_pAddress->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pAddress->setMinimumWidth(m_pAddress->fontMetrics().horizontalAdvance("Change Data:"));
    m_pValue = new QLineEdit;
    m_pValue->setObjectName("edit1366");
    m_pValue->setReadOnly(true);
    m_pValue->setAccessibleName("Value");
    m_pValue->setFixedWidth(m_pValue->fontMetrics().horizontalAdvance("0xFFFF") + 16);
    m_pAddress->setBuddy(m_pValue);
    m_pClose = new QPushButton("&Close");
    m_pClose->setDefault(true);
    // The template's Cancel button is never shown; Esc and the close box end the dialog.
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::accept);

    // Find, save and the status line above the map.
    m_pFind = new QLineEdit;
    m_pFind->setObjectName("editFind");
    m_pFind->setPlaceholderText("$01A3 or 3F 40");
    m_pFind->setAccessibleName("Find address or bytes");
    m_pFind->setAccessibleDescription(Qs(eeprom::kFindHelp));
    m_pFind->installEventFilter(this); // Enter finds instead of closing the map
    auto* findLabel = new QLabel("&Find:");
    findLabel->setBuddy(m_pFind);
    m_pFindButton = new QPushButton("Find &Next");
    m_pFindButton->setAutoDefault(false);
    m_pSaveBinary = new QPushButton("Save &Binary...");
    m_pSaveBinary->setAutoDefault(false);
    m_pSaveHex = new QPushButton("Save Intel &HEX...");
    m_pSaveHex->setAutoDefault(false);
    m_pStatus = new QLabel;
    m_pStatus->setObjectName("staticFindStatus");
    m_pStatus->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    connect(m_pFindButton, &QPushButton::clicked, this, &CEepromDlg::OnFind);
    connect(m_pSaveBinary, &QPushButton::clicked, this, &CEepromDlg::OnSaveBinary);
    connect(m_pSaveHex, &QPushButton::clicked, this, &CEepromDlg::OnSaveHex);
    // An entry chosen by mouse or keyboard shows its byte.
    connect(m_pList, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* pItem) {
        if (!pItem)
            return;
        if (const auto nAddress = eeprom::EntryAddress(pItem->text().toStdString()))
            GoToAddress(*nAddress);
    });
    connect(m_pList, &QListWidget::itemClicked, this, [this](QListWidgetItem* pItem) {
        if (const auto nAddress = eeprom::EntryAddress(pItem->text().toStdString()))
            GoToAddress(*nAddress);
    });
    auto* top = new QHBoxLayout;
    top->addWidget(findLabel);
    top->addWidget(m_pFind);
    top->addWidget(m_pFindButton);
    top->addWidget(m_pStatus, 1);
    top->addWidget(m_pSaveBinary);
    top->addWidget(m_pSaveHex);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_pAddress);
    bottom->addWidget(m_pValue);
    bottom->addStretch(1);
    bottom->addWidget(m_pClose);
    bottom->addStretch(2);
    auto* layout = new QGridLayout(this);
    layout->addLayout(top, 0, 0, 1, 2);
    layout->addWidget(m_pGrid, 1, 0);
    layout->addWidget(m_pList, 1, 1);
    layout->addLayout(bottom, 2, 0);
    layout->addWidget(listLabel, 2, 1);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(1, 1);

    // 16 byte columns of two digits and the row header, and about 20 rows in sight.
    const QFontMetrics fm = fontMetrics();
    m_pGrid->setMinimumSize(fm.horizontalAdvance("000_") * 2 + fm.horizontalAdvance("__F") * 2 * 16,
                            fm.height() * 24);
    connect(m_pGrid, &QTableWidget::currentCellChanged, this,
            [this](int nRow, int nCol) { OnEnterCellGrid(nRow + 1, nCol + 1); });
    InstallContextHelp(this, app, help::kEepromContext, help::kEepromContext);

    InitGrid();
    FillGrid(0, m_app.Image());
    ShowChanges(m_nRows, eeprom::kBytesPerRow);
}

void CEepromDlg::InitGrid() {
    m_pGrid->SetRows(m_nRows + 1);
    m_pGrid->SetCols(eeprom::kBytesPerRow + 1);
    m_pGrid->SetRowHeight(0, 2 * m_pGrid->GetRowHeight(0));
    SetColumnWidths(std::max(m_pGrid->width(), m_pGrid->minimumWidth()));
    m_pGrid->SetTextMatrix(0, 0, Qs(eeprom::CornerText()));
    m_pGrid->SetColAlignment(0, kFlexAlignCenterCenter);
    for (int nCol = 1; nCol <= eeprom::kBytesPerRow; ++nCol) {
        m_pGrid->SetColAlignment(nCol, kFlexAlignCenterCenter);
        m_pGrid->SetTextMatrix(0, nCol, Qs(eeprom::ColumnHeaderText(nCol)));
    }
    for (int nRow = 1; nRow <= m_nRows; ++nRow)
        m_pGrid->SetTextMatrix(nRow, 0, Qs(eeprom::RowHeaderText(nRow)));
}

int CEepromDlg::FillGrid(int nStartRow, std::span<const std::uint8_t> image) {
    if (!eeprom::FillAllowed(m_app.m_variant, nStartRow)) {
        m_app.ShowMessage(eeprom::RangeMessage(m_app.m_variant), {}, MsgIcon::Exclamation);
        return -1;
    }
    const int nCells =
        std::min<int>(static_cast<int>(image.size()), m_nRows * eeprom::kBytesPerRow);
    for (int i = 0; i < nCells; ++i) {
        const auto [nRow, nCol] = eeprom::CellOfAddress(i);
        const std::string strText = eeprom::CellText(image[static_cast<std::size_t>(i)]);
        m_pGrid->SetTextMatrix(nRow, nCol, Qs(strText));
        // A screen reader names the byte with its address, not the two digits alone.
        if (QTableWidgetItem* pItem = m_pGrid->item(nRow - 1, nCol - 1))
            pItem->setData(Qt::AccessibleTextRole,
                           Qs(eeprom::CellAccessibleText(nRow, nCol, strText)));
    }
    return 1;
}

void CEepromDlg::ShowChanges(int nRows, int nCols) {
    m_pList->clear();
    const auto changes = eeprom::CChangeTracker::ShowChanges(
        [this](int nRow, int nCol) { return m_pGrid->GetTextMatrix(nRow, nCol).toStdString(); },
        nRows, nCols, m_strScratch);
    for (const eeprom::CByteChange& change : changes) {
        m_pList->addItem(Qs(change.Entry()));
        m_pGrid->SetRow(change.nRow);
        m_pGrid->SetCol(change.nCol);
        m_pGrid->SetCellBackColor(eeprom::kChangedColour);
    }
}

void CEepromDlg::OnEnterCellGrid(long nRow, long nCol) {
    if (nRow <= 0 || nCol <= 0)
        return;
    m_pAddress->setText(
        Qs(eeprom::AddressLabelText(static_cast<int>(nRow), static_cast<int>(nCol))));
    const std::string strCell = m_pGrid->GetTextMatrix(nRow, nCol).toStdString();
    m_pValue->setText(Qs(eeprom::ValueText(strCell)));
    m_pValue->setAccessibleName(
        Qs(eeprom::CellAccessibleText(static_cast<int>(nRow), static_cast<int>(nCol), strCell)));
}

void CEepromDlg::GoToAddress(int nAddress) {
    const auto [nRow, nCol] = eeprom::CellOfAddress(nAddress);
    m_pGrid->setCurrentCell(nRow - 1, nCol - 1);
    if (QTableWidgetItem* pItem = m_pGrid->item(nRow - 1, nCol - 1))
        m_pGrid->scrollToItem(pItem, QAbstractItemView::PositionAtCenter);
}

void CEepromDlg::SetStatus(const QString& strText) {
    m_pStatus->setText(strText);
    m_pStatus->setAccessibleName(strText);
}

void CEepromDlg::OnFind() {
    const eeprom::CFindQuery q = eeprom::ParseFind(m_pFind->text().toStdString());
    const std::span<const std::uint8_t> image = m_app.Image();
    const int nSize = static_cast<int>(image.size());
    switch (q.kind) {
    case eeprom::CFindQuery::Kind::Invalid:
        SetStatus(Qs(eeprom::kFindHelp));
        return;
    case eeprom::CFindQuery::Kind::Address:
        if (q.nAddress >= nSize) {
            SetStatus(Qs(eeprom::AddressPastEndText(q.nAddress, nSize)));
            return;
        }
        SetStatus({});
        GoToAddress(q.nAddress);
        return;
    case eeprom::CFindQuery::Kind::Bytes: {
        // From the byte after the current one, so Find Next walks through every place.
        const long nRow = m_pGrid->currentRow() + 1, nCol = m_pGrid->currentColumn() + 1;
        const int nFrom =
            nRow > 0 && nCol > 0
                ? eeprom::CellAddress(static_cast<int>(nRow), static_cast<int>(nCol)) + 1
                : 0;
        const auto nFound = eeprom::FindBytes(image, q.bytes, nFrom);
        if (!nFound) {
            SetStatus(Qs(eeprom::kFindNotFound));
            return;
        }
        SetStatus({});
        GoToAddress(*nFound);
        return;
    }
    }
}

bool CEepromDlg::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == m_pFind && pEvent->type() == QEvent::KeyPress) {
        const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
        if (nKey == Qt::Key_Return || nKey == Qt::Key_Enter) {
            OnFind();
            return true;
        }
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

void CEepromDlg::OnSaveBinary() {
    SaveFile("Save EEPROM Map as Binary", "Binary files (*.bin);;All files (*)", m_app.Image());
}

void CEepromDlg::OnSaveHex() {
    const std::string strHex = eeprom::IntelHex(m_app.Image());
    SaveFile("Save EEPROM Map as Intel HEX", "Intel HEX files (*.hex);;All files (*)",
             std::span(reinterpret_cast<const std::uint8_t*>(strHex.data()), strHex.size()));
}

void CEepromDlg::SaveFile(const QString& strCaption, const QString& strFilter,
                          std::span<const std::uint8_t> bytes) {
    const QString strPath = m_fnAskPath
                                ? m_fnAskPath(strCaption, strFilter)
                                : QFileDialog::getSaveFileName(this, strCaption, {}, strFilter);
    if (strPath.isEmpty())
        return; // cancelled
    const std::string strFile = QFile::encodeName(strPath).toStdString();
    if (const int nErr = WriteFileReplacing(strFile, bytes); nErr != 0) {
        m_app.ShowFileError(msg::kCannotSave, strFile,
                            FormatText(msg::kFileSaveErrorFmt, std::strerror(nErr)));
        return;
    }
    SetStatus(QString("Saved to %1").arg(strPath));
}

void CEepromDlg::showEvent(QShowEvent* pEvent) {
    QDialog::showEvent(pEvent);
    if (m_bSized)
        return;
    m_bSized = true;
    // The columns share the grid's width as it is shown, not its width before the layout ran.
    SetColumnWidths(m_pGrid->width());
}

void CEepromDlg::SetColumnWidths(int nGridPixels) {
    const long nUnit = static_cast<long>(g_nTwipsPerPixelX) * nGridPixels / 18;
    m_pGrid->SetColWidth(0, static_cast<long>(static_cast<double>(nUnit) * 1.4));
    for (int nCol = 1; nCol <= eeprom::kBytesPerRow; ++nCol)
        m_pGrid->SetColWidth(nCol, nUnit);
}
