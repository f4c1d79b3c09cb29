#include "freqedit/XUhfSetDlg.h"

#include "app/DialogHelpers.h"
#include "app/DialogUnits.h"
#include "freqedit/EditRules.h"
#include "image/SettingTexts.h"

#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr COLORREF kBlack = 0;
constexpr COLORREF kRed = 255;
constexpr COLORREF kBlue = 0xFF0000;

bool IsWalkKey(int nKey) {
    return nKey == Qt::Key_Tab || nKey == Qt::Key_Return || nKey == Qt::Key_Enter;
}

} // namespace

CXUhfSetDlg::CXUhfSetDlg(const CVariant& variant, std::span<const std::uint8_t> records,
                         QWidget* pParent)
    : QDialog(pParent), m_table(variant, records), m_grid(this), m_editFreq(this) {
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
    for (QPushButton* pButton : {m_pOk, m_pCancel}) {
        const int x = du.X(pButton == m_pOk ? 40 : 118);
        const QSize hint = pButton->sizeHint();
        pButton->setGeometry(x, du.Y(192), std::max(du.X(46), hint.width()),
                             std::max(du.Y(13), hint.height()));
    }
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
    connect(&m_grid, &CMSFlexGrid::KeyPress, this, [this](int nKey) {
        if (nKey == ' ')
            BeginCellEdit();
    });
    connect(&m_grid, &CMSFlexGrid::MouseUp, this, &CXUhfSetDlg::OnMouseUp);

    setFixedSize(std::max(du.X(205), m_pCancel->geometry().right() + du.X(19)),
                 std::max(du.Y(210), m_pOk->geometry().bottom() + du.Y(5)));
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
    m_editFreq.SetFilterType(kFilterFrequency);
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
    for (long r = 1; r < m_grid.GetRows(); ++r) {
        const int n = static_cast<int>(r);
        for (const int nCol : {kFreqColRx, kFreqColTx}) {
            m_grid.SetTextMatrix(r, nCol, QString::fromStdString(m_table.CellText(n, nCol)));
            m_grid.SetCellForeColor(r, nCol, m_table.IsStandardCell(n, nCol) ? kBlack : kRed);
        }
    }
    m_grid.SetCol(1);
    m_grid.SetRow(1);
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
    const CFreqCellCommit commit = m_table.CommitCell(n, nCol, strText.toLatin1().toStdString(),
                                                      strOther.toLatin1().toStdString());
    m_grid.SetRow(m_nEditRow);
    m_grid.SetCol(m_nEditCol);
    m_grid.SetText(QString::fromStdString(commit.strText));
    m_grid.SetCellForeColor(commit.bStandard ? kBlack : kRed);
    // Cleared before hiding: hiding moves the focus away, which commits once more.
    m_editFreq.clear();
    m_editFreq.hide();
    m_bEditing = 0;
    m_bCommitting = false;
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
        CommitCellEdit();
        return false;
    }
    if (pEvent->type() != QEvent::KeyPress)
        return QDialog::eventFilter(pWatched, pEvent);
    const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
    if (IsWalkKey(nKey)) {
        if (m_editFreq.isVisible()) {
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
        // The loss of focus commits the cell's own text, which ends the edit.
        m_editFreq.setText(m_grid.GetText());
        m_editFreq.hide();
        m_grid.setFocus();
        CommitCellEdit(); // when the edit had no focus to lose
        return true;
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

void CXUhfSetDlg::keyPressEvent(QKeyEvent* pEvent) {
    if (!HandleHelpKey(pEvent, m_fnHelp))
        QDialog::keyPressEvent(pEvent);
}
