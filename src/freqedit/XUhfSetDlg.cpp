// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqedit/XUhfSetDlg.h"

#include "base/DialogHelpers.h"
#include "base/DialogUnits.h"
#include "freqedit/EditRules.h"
#include "image/SettingTexts.h"

#include "app/WR7310App.h"
#include "freqedit/ByteDelta.h"
#include "freqedit/RowClipboard.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>

namespace {

constexpr COLORREF kBlack = 0;
constexpr COLORREF kRed = 255;
constexpr COLORREF kBlue = 0xFF0000;

bool IsWalkKey(int nKey) {
    return nKey == Qt::Key_Tab || nKey == Qt::Key_Return || nKey == Qt::Key_Enter;
}

// How long a note stays under the grid.
constexpr int kNoteMs = 5000;

// One committed cell or paste: the bytes of the table's records it changed.
class CTableCommand : public QUndoCommand {
public:
    CTableCommand(const QString& strName, history::CByteDelta delta,
                  std::function<void(const history::CByteDelta&, bool)> fnApply)
        : QUndoCommand(strName), m_delta(std::move(delta)), m_fnApply(std::move(fnApply)) {}
    void undo() override { m_fnApply(m_delta, true); }
    void redo() override {
        if (m_bPushed) // pushed after the change was made
            m_fnApply(m_delta, false);
        m_bPushed = true;
    }

private:
    history::CByteDelta m_delta;
    std::function<void(const history::CByteDelta&, bool)> m_fnApply;
    bool m_bPushed = false;
};

} // namespace

CXUhfSetDlg::CXUhfSetDlg(const CVariant& variant, CFreqRange range, int nDecimalPoint,
                         std::span<const std::uint8_t> records, QWidget* pParent)
    : QDialog(pParent), m_table(variant, range, records), m_nDecimalPoint(nDecimalPoint),
      m_grid(this), m_editFreq(this) {
    setObjectName("XUhfSetDlg");
    setWindowTitle("Frequency Setting");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    const CDialogUnits du(fontMetrics());
    m_grid.setObjectName("grid3001");
    m_grid.setAccessibleName("Frequency table");
    m_grid.SetRows(m_table.Count() + 1);
    m_grid.SetCols(kFreqCols);
    m_grid.setGeometry(du.X(19), du.Y(2), du.X(167), du.Y(185));

    m_pOk = new QPushButton("&OK", this);
    m_pOk->setObjectName("buttonOK");
    m_pOk->setDefault(true);
    m_pCancel = new QPushButton("&Cancel", this);
    m_pCancel->setObjectName("buttonCancel");
    for (QPushButton* pButton : {m_pOk, m_pCancel})
        pButton->setMinimumSize(du.X(46), du.Y(13));
    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName("statusLine");
    // Its accessible name is its text: what a screen reader says is the note itself.
    m_pStatus->setMinimumHeight(fontMetrics().height());
    m_pStatus->setWordWrap(true);
    connect(m_pOk, &QPushButton::clicked, this, &CXUhfSetDlg::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &CXUhfSetDlg::reject);

    m_editFreq.setObjectName("edit3002");
    m_editFreq.setAccessibleName("Frequency");
    m_editFreq.setFrame(false);
    m_editFreq.setAlignment(Qt::AlignCenter);
    m_editFreq.setGeometry(du.X(3), du.Y(188), du.X(46), du.Y(10));
    m_editFreq.hide();
    m_editFreq.raise();

    setTabOrder(&m_grid, m_pOk);
    setTabOrder(m_pOk, m_pCancel);
    for (QWidget* w : {static_cast<QWidget*>(&m_grid), static_cast<QWidget*>(&m_editFreq),
                       static_cast<QWidget*>(m_pOk), static_cast<QWidget*>(m_pCancel)})
        w->installEventFilter(this);
    connect(&m_grid, &CMSFlexGrid::Scroll, this, &CXUhfSetDlg::CommitCellEdit);
    connect(&m_grid, &CMSFlexGrid::KeyPress, this, &CXUhfSetDlg::OnGridChar);
    connect(&m_grid, &CMSFlexGrid::MouseUp, this, &CXUhfSetDlg::OnMouseUp);

    // The grid grows with the dialog; the buttons stay centred below it.
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch(1);
    pButtons->addWidget(m_pOk);
    pButtons->addSpacing(du.X(32));
    pButtons->addWidget(m_pCancel);
    pButtons->addStretch(1);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(du.X(19), du.Y(2), du.X(19), du.Y(5));
    pLayout->addWidget(&m_grid, 1);
    pLayout->addWidget(m_pStatus);
    pLayout->addLayout(pButtons);
    setSizeGripEnabled(true);
    setMinimumSize(du.X(205), du.Y(120));
    resize(du.X(205), du.Y(225));

    m_pUndo = new QUndoStack(this);
    auto addShortcut = [this](const QList<QKeySequence>& keys, auto fn) {
        auto* pAction = new QAction(this);
        pAction->setShortcuts(keys);
        pAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(pAction, &QAction::triggered, this, fn);
        addAction(pAction);
    };
    addShortcut({QKeySequence::Undo}, [this] { m_pUndo->undo(); });
    addShortcut({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")},
                [this] { m_pUndo->redo(); });
    m_grid.EnableRowSelection();
    m_grid.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_grid, &QWidget::customContextMenuRequested, this, &CXUhfSetDlg::OnContextMenu);
    connect(&m_grid, &CMSFlexGrid::CopyRows, this, &CXUhfSetDlg::OnCopy);
    connect(&m_grid, &CMSFlexGrid::PasteRows, this, &CXUhfSetDlg::OnPaste);
    connect(&m_editFreq, &CFilterEdit::Refused, this,
            [this] { ShowNote("A frequency takes the digits 0-9 and the decimal point only"); });
    InitGrid();
    FillGrid();
    m_grid.setFocus();
}

CXUhfSetDlg::~CXUhfSetDlg() {
    // The edit may go while it has the focus: nothing is committed any more.
    m_editFreq.removeEventFilter(this);
    m_grid.removeEventFilter(this);
    disconnect(&m_grid, nullptr, this, nullptr);
}

int CXUhfSetDlg::GetRecords(std::span<std::uint8_t> dest) const {
    const auto records = m_table.Records();
    std::copy_n(records.begin(), std::min(records.size(), dest.size()), dest.begin());
    return 1;
}

void CXUhfSetDlg::InitGrid() {
    m_editFreq.SetFilterType(kFilterFrequency, m_nDecimalPoint);
    const long u = static_cast<long>(m_grid.width()) * g_nTwipsPerPixelX / 6;
    const long h0 = m_grid.GetRowHeight(0);
    m_grid.SetForeColorFixed(kBlue);
    m_grid.SetCellAlignment(kFlexAlignCenterCenter);
    const double kWidths[kFreqCols] = {1.5, 1.8, 1.8};
    for (int c = 0; c < kFreqCols; ++c) {
        m_grid.SetColWidth(c, static_cast<long>(static_cast<double>(u) * kWidths[c]));
        m_grid.SetTextArray(c, Qs(texts::kFreqHeaders[static_cast<std::size_t>(c)]));
    }
    m_grid.SetRowHeight(0, h0 * 2);
    for (int c = 0; c < kFreqCols; ++c)
        m_grid.SetColAlignment(c, kFlexAlignCenterCenter);
    for (long r = 1; r < m_grid.GetRows(); ++r) {
        m_grid.SetTextMatrix(r, 0, QString::number(r));
        m_grid.SetRowHeight(r, static_cast<long>(static_cast<double>(h0) * 1.2));
    }
    m_bEditing = 0;
}

void CXUhfSetDlg::FillGrid() {
    RefreshCells();
    m_grid.SetCol(1);
    m_grid.SetRow(1);
}

void CXUhfSetDlg::RefreshCells() {
    for (long r = 1; r < m_grid.GetRows(); ++r) {
        const int n = static_cast<int>(r);
        for (const int nCol : {kFreqColRx, kFreqColTx}) {
            m_grid.SetTextMatrix(r, nCol, QString::fromStdString(m_table.CellText(n, nCol)));
            m_grid.SetCellForeColor(r, nCol, m_table.IsStandardCell(n, nCol) ? kBlack : kRed);
        }
    }
}

void CXUhfSetDlg::PushStep(const QString& strName, const std::vector<std::uint8_t>& before) {
    history::CByteDelta delta(before, m_table.Records());
    if (delta.Empty())
        return;
    m_pUndo->push(new CTableCommand(
        strName, std::move(delta), [this](const history::CByteDelta& d, bool bUndo) {
            std::vector<std::uint8_t> records(m_table.Records().begin(), m_table.Records().end());
            d.Apply(records, bUndo);
            m_table.SetRecords(records);
            RefreshCells();
        }));
}

void CXUhfSetDlg::ShowNote(const QString& strText) {
    m_pStatus->setText(strText);
    // The newest note stays its full time: an older timer finds another text and leaves it.
    QTimer::singleShot(kNoteMs, m_pStatus, [this, strText] {
        if (m_pStatus->text() == strText)
            m_pStatus->clear();
    });
}

void CXUhfSetDlg::OnCopy() {
    std::vector<clip::CRow> rows;
    for (const long nRow : m_grid.SelectedRows())
        rows.push_back(m_table.RowTexts(static_cast<int>(nRow)));
    QApplication::clipboard()->setText(
        QString::fromStdString(clip::FormatRows(texts::kFreqHeaders, rows)));
    ShowNote(QString("%1 row(s) copied").arg(rows.size()));
}

bool CXUhfSetDlg::OnPaste() {
    if (m_bEditing)
        CommitCellEdit();
    const clip::CParsedRows parsed =
        clip::ParseRows(QApplication::clipboard()->text().toStdString(), texts::kFreqHeaders);
    const std::vector<long> selected = m_grid.SelectedRows();
    const int nFirst = static_cast<int>(selected.empty() ? m_grid.GetRow() : selected.front());
    const std::vector<std::uint8_t> before(m_table.Records().begin(), m_table.Records().end());
    CFreqPaste pasted;
    pasted.strError = parsed.strError;
    if (pasted.strError.empty())
        pasted = m_table.PasteRows(nFirst, parsed.rows, m_nDecimalPoint);
    if (!pasted.strError.empty()) {
        if (m_fnReport)
            m_fnReport(pasted.strError);
        return false;
    }
    RefreshCells();
    const int nLast = nFirst + static_cast<int>(parsed.rows.size()) - 1;
    const QString strRows = nLast == nFirst ? QString("Row %1").arg(nFirst)
                                            : QString("Rows %1-%2").arg(nFirst).arg(nLast);
    PushStep("Paste " + strRows, before);
    QString strNote = strRows + " pasted";
    if (!pasted.notes.empty())
        strNote += ": " + QString::fromStdString(pasted.notes.front()) +
                   (pasted.notes.size() > 1 ? QString(" (and %1 more)").arg(pasted.notes.size() - 1)
                                            : QString());
    ShowNote(strNote);
    return true;
}

void CXUhfSetDlg::OnContextMenu(const QPoint& pt) {
    if (m_bEditing)
        CommitCellEdit();
    QMenu menu(this);
    menu.addAction("&Undo " + m_pUndo->undoText(), QKeySequence::Undo, m_pUndo, &QUndoStack::undo)
        ->setEnabled(m_pUndo->canUndo());
    menu.addAction("&Redo " + m_pUndo->redoText(), QKeySequence("Ctrl+Y"), m_pUndo,
                   &QUndoStack::redo)
        ->setEnabled(m_pUndo->canRedo());
    menu.addSeparator();
    menu.addAction("&Copy", QKeySequence::Copy, this, &CXUhfSetDlg::OnCopy);
    menu.addAction("&Paste", QKeySequence::Paste, this, &CXUhfSetDlg::OnPaste);
    menu.addSeparator();
    menu.addAction("Select &All", QKeySequence::SelectAll, &m_grid, &QTableWidget::selectAll);
    menu.exec(m_grid.viewport()->mapToGlobal(pt));
}

void CXUhfSetDlg::OnGridChar(int nChar) {
    if (nChar == ' ') {
        BeginCellEdit();
        return;
    }
    // A digit or the decimal point starts the edit with itself, as in a spreadsheet.
    if (nChar < 32 || !m_editFreq.IsAllowedChar(nChar))
        return;
    BeginCellEdit();
    if (m_bEditing)
        m_editFreq.setText(QString(QChar(nChar)));
}

void CXUhfSetDlg::resizeEvent(QResizeEvent* pEvent) {
    // The edit lies over a cell that moves with the grid.
    if (m_bEditing)
        CommitCellEdit();
    QDialog::resizeEvent(pEvent);
}

void CXUhfSetDlg::BeginCellEdit() {
    m_nEditCol = m_grid.GetCol();
    m_nEditRow = m_grid.GetRow();
    if (m_nEditCol != kFreqColRx && m_nEditCol != kFreqColTx)
        return;
    if (m_nEditRow < 1)
        return;
    // A cell moved to by the keyboard may lie outside the visible rows.
    m_grid.scrollTo(
        m_grid.model()->index(static_cast<int>(m_nEditRow - 1), static_cast<int>(m_nEditCol - 1)));
    const int px = kTwipsPerInch / logicalDpiX();
    const int py = kTwipsPerInch / logicalDpiY();
    const int nWidth = static_cast<int>(m_grid.GetColWidth(m_nEditCol) / px) - 6;
    const int nHeight = static_cast<int>(m_grid.GetRowHeight(m_nEditRow) / py) - 3;
    // The cell's position in the grid, taken in this dialog's pixels.
    const QPoint ptCell(static_cast<int>(m_grid.GetCellLeft() / g_nTwipsPerPixelX),
                        static_cast<int>(m_grid.GetCellTop() / g_nTwipsPerPixelY));
    const QPoint pt = m_grid.mapTo(this, ptCell) + QPoint(3, 2);
    const QString strText = m_grid.GetText();
    if (!strText.isEmpty())
        m_editFreq.setText(strText);
    m_editFreq.setAccessibleName(
        QString("Frequency %1 %2")
            .arg(m_nEditRow)
            .arg(Qs(texts::kFreqHeaders[static_cast<std::size_t>(m_nEditCol)])));
    m_editFreq.setGeometry(pt.x(), pt.y(), nWidth, nHeight);
    m_editFreq.show();
    m_editFreq.raise();
    m_editFreq.setFocus(Qt::OtherFocusReason);
    m_editFreq.selectAll();
    m_bEditing = 1;
}

void CXUhfSetDlg::CommitCellEdit() {
    const QString strText = m_editFreq.text();
    if (strText.isEmpty() || m_bCommitting)
        return;
    m_bCommitting = true;
    const int n = static_cast<int>(m_nEditRow);
    const int nCol = static_cast<int>(m_nEditCol);
    const long nOther = nCol == kFreqColRx ? kFreqColTx : kFreqColRx;
    const QString strOther = m_grid.GetTextMatrix(m_nEditRow, nOther);
    const std::vector<std::uint8_t> before(m_table.Records().begin(), m_table.Records().end());
    const CFreqCellCommit commit = m_table.CommitCell(n, nCol, strText.toLatin1().toStdString(),
                                                      strOther.toLatin1().toStdString());
    m_grid.SetRow(m_nEditRow);
    m_grid.SetCol(m_nEditCol);
    m_grid.SetText(QString::fromStdString(commit.strText));
    m_grid.SetCellForeColor(commit.bStandard ? kBlack : kRed);
    PushStep(
        QString("Row %1 %2").arg(n).arg(Qs(texts::kFreqHeaders[static_cast<std::size_t>(nCol)])),
        before);
    if (!commit.strNote.empty())
        ShowNote(QString::fromStdString(commit.strNote));
    // Cleared before hiding: hiding moves the focus away, which commits once more.
    m_editFreq.clear();
    m_editFreq.hide();
    m_bEditing = 0;
    m_bCommitting = false;
}

void CXUhfSetDlg::CancelCellEdit() {
    // Emptied first, so the loss of focus on hiding commits nothing; the edited cell keeps its
    // value whichever cell is current by now.
    m_editFreq.clear();
    m_editFreq.hide();
    m_bEditing = 0;
    m_grid.SetRow(m_nEditRow);
    m_grid.SetCol(m_nEditCol);
    m_grid.setFocus();
}

void CXUhfSetDlg::OnMouseUp(short nButton, short /*nShift*/, long x, long y) {
    if (nButton != 2 && m_grid.IsClickOnCurrentCell(x, y))
        BeginCellEdit();
}

void CXUhfSetDlg::accept() {
    if (m_bEditing) {
        CommitCellEdit();
        return;
    }
    QDialog::accept();
}

void CXUhfSetDlg::reject() {
    if (m_bEditing) {
        CommitCellEdit();
        return;
    }
    QDialog::reject();
}

bool CXUhfSetDlg::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == &m_editFreq && pEvent->type() == QEvent::FocusOut) {
        // The edit's own context menu takes the focus only while it is open: the edit goes on.
        if (static_cast<QFocusEvent*>(pEvent)->reason() != Qt::PopupFocusReason &&
            !QApplication::activePopupWidget())
            CommitCellEdit();
        return false;
    }
    // A double click on a cell opens its edit with the whole value chosen, so typing replaces
    // it (the edit's own double click would choose only the digits after the point).
    if (pWatched == &m_editFreq && pEvent->type() == QEvent::MouseButtonDblClick) {
        m_editFreq.selectAll();
        return true;
    }
    if (pEvent->type() != QEvent::KeyPress)
        return QDialog::eventFilter(pWatched, pEvent);
    const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
    // Enter on a button is that button; Tab on the grid moves on to OK.
    if ((nKey == Qt::Key_Return || nKey == Qt::Key_Enter) &&
        (pWatched == m_pOk || pWatched == m_pCancel) && !m_editFreq.isVisible()) {
        static_cast<QPushButton*>(pWatched)->click();
        return true;
    }
    if (nKey == Qt::Key_Tab && pWatched == &m_grid && !m_editFreq.isVisible()) {
        m_pOk->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (IsWalkKey(nKey)) {
        if (m_editFreq.isVisible()) {
            // An emptied edit commits nothing, so it stays on its own cell.
            if (m_editFreq.text().isEmpty()) {
                ShowNote("Type a frequency, or press Escape to keep the old one");
                return true;
            }
            CommitCellEdit();
            m_grid.MoveToNextCell(true);
        } else if (pWatched == &m_grid) {
            m_grid.MoveToNextCell(true);
        } else {
            BeginCellEdit();
        }
        return true;
    }
    if (nKey == Qt::Key_Escape && m_editFreq.isVisible()) {
        CancelCellEdit();
        return true;
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

void CXUhfSetDlg::keyPressEvent(QKeyEvent* pEvent) {
    if (!HandleHelpKey(pEvent, m_fnHelp))
        QDialog::keyPressEvent(pEvent);
}
