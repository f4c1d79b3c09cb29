#include "service/EepromDlg.h"

#include "app/DialogHelpers.h"
#include "app/WR7310App.h"
#include "freqedit/EditRules.h"
#include "freqedit/MSFlexGrid.h"
#include "service/ContextHelp.h"
#include "service/EepromMap.h"
#include "service/HelpLauncher.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

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

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_pAddress);
    bottom->addWidget(m_pValue);
    bottom->addStretch(1);
    bottom->addWidget(m_pClose);
    bottom->addStretch(2);
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_pGrid, 0, 0);
    layout->addWidget(m_pList, 0, 1);
    layout->addLayout(bottom, 1, 0);
    layout->addWidget(listLabel, 1, 1);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(0, 1);

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
    for (int i = 0; i < nCells; ++i)
        m_pGrid->SetTextMatrix(i / eeprom::kBytesPerRow + 1, i % eeprom::kBytesPerRow + 1,
                               Qs(eeprom::CellText(image[static_cast<std::size_t>(i)])));
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
    m_pValue->setText(Qs(eeprom::ValueText(m_pGrid->GetTextMatrix(nRow, nCol).toStdString())));
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
