// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqedit/MSFlexGrid.h"

#include "freqedit/EditRules.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>

#include <algorithm>

namespace {

Qt::Alignment AlignmentFromFlex(short nAlignment) {
    static constexpr Qt::Alignment kHorizontal[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                    Qt::AlignRight};
    static constexpr Qt::Alignment kVertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    if (nAlignment < 0 || nAlignment > 8) // general: text left, numbers right; we keep it simple
        return Qt::AlignLeft | Qt::AlignVCenter;
    return kHorizontal[nAlignment / 3] | kVertical[nAlignment % 3];
}

int ToPixels(long nTwips, int nTwipsPerPixel) {
    return static_cast<int>(nTwips / nTwipsPerPixel);
}

} // namespace

QColor ColorFromRef(COLORREF clr) {
    return QColor(static_cast<int>(clr & 0xFF), static_cast<int>((clr >> 8) & 0xFF),
                  static_cast<int>((clr >> 16) & 0xFF));
}

COLORREF RefFromColor(const QColor& clr) {
    return static_cast<COLORREF>(clr.red()) | (static_cast<COLORREF>(clr.green()) << 8) |
           (static_cast<COLORREF>(clr.blue()) << 16);
}

CMSFlexGrid::CMSFlexGrid(QWidget* pParent) : QTableWidget(2, 2, pParent) {
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    // The current cell is marked by the focus rectangle only.
    QPalette pal = palette();
    pal.setColor(QPalette::Highlight, pal.color(QPalette::Base));
    pal.setColor(QPalette::HighlightedText, pal.color(QPalette::Text));
    setPalette(pal);

    const int nLine = fontMetrics().height() + 4;
    for (QHeaderView* pHeader : {horizontalHeader(), verticalHeader()}) {
        pHeader->setSectionsClickable(false);
        pHeader->setHighlightSections(false);
        pHeader->setMinimumSectionSize(1);
        pHeader->setSectionResizeMode(QHeaderView::Fixed);
        pHeader->setDefaultAlignment(Qt::AlignCenter);
    }
    verticalHeader()->setDefaultSectionSize(nLine);
    horizontalHeader()->setFixedHeight(nLine);
    verticalHeader()->setFixedWidth(horizontalHeader()->defaultSectionSize());

    if (auto* pCorner = findChild<QAbstractButton*>(); pCorner) {
        pCorner->setEnabled(false);
        pCorner->installEventFilter(this);
    }
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit Scroll(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit Scroll(); });
}

QTableWidgetItem* CMSFlexGrid::CellItem(long nRow, long nCol) {
    const int r = static_cast<int>(nRow - 1);
    const int c = static_cast<int>(nCol - 1);
    QTableWidgetItem* pItem = item(r, c);
    if (!pItem) {
        auto pNew = std::make_unique<QTableWidgetItem>();
        pNew->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (static_cast<std::size_t>(c) < m_colAlignment.size())
            pNew->setTextAlignment(AlignmentFromFlex(m_colAlignment[static_cast<std::size_t>(c)]));
        pItem = pNew.get();
        setItem(r, c, pNew.release());
    }
    return pItem;
}

QTableWidgetItem* CMSFlexGrid::AnyItem(long nRow, long nCol) {
    if (nRow < 0 || nCol < 0 || nRow >= GetRows() || nCol >= GetCols() || (nRow == 0 && nCol == 0))
        return nullptr;
    if (nRow > 0 && nCol > 0)
        return CellItem(nRow, nCol);
    const bool bColumnHeader = nRow == 0;
    const int nIndex = static_cast<int>(bColumnHeader ? nCol - 1 : nRow - 1);
    QTableWidgetItem* pItem =
        bColumnHeader ? horizontalHeaderItem(nIndex) : verticalHeaderItem(nIndex);
    if (!pItem) {
        auto pNew = std::make_unique<QTableWidgetItem>();
        pNew->setTextAlignment(Qt::AlignCenter);
        if (m_clrFixed.isValid())
            pNew->setForeground(m_clrFixed);
        pItem = pNew.get();
        if (bColumnHeader)
            setHorizontalHeaderItem(nIndex, pNew.release());
        else
            setVerticalHeaderItem(nIndex, pNew.release());
    }
    return pItem;
}

const QTableWidgetItem* CMSFlexGrid::AnyItemConst(long nRow, long nCol) const {
    if (nRow < 0 || nCol < 0 || nRow >= GetRows() || nCol >= GetCols())
        return nullptr;
    if (nRow > 0 && nCol > 0)
        return item(static_cast<int>(nRow - 1), static_cast<int>(nCol - 1));
    if (nRow == 0 && nCol > 0)
        return horizontalHeaderItem(static_cast<int>(nCol - 1));
    if (nCol == 0 && nRow > 0)
        return verticalHeaderItem(static_cast<int>(nRow - 1));
    return nullptr;
}

QString CMSFlexGrid::GetText() const {
    return GetTextMatrix(m_nRow, m_nCol);
}

void CMSFlexGrid::SetText(const QString& strText) {
    SetTextMatrix(m_nRow, m_nCol, strText);
}

long CMSFlexGrid::GetRows() const {
    return rowCount() + 1;
}

void CMSFlexGrid::SetRows(long nRows) {
    setRowCount(static_cast<int>(std::max(nRows, 1L) - 1));
    m_nRow = std::min(m_nRow, GetRows() - 1);
}

long CMSFlexGrid::GetCols() const {
    return columnCount() + 1;
}

void CMSFlexGrid::SetCols(long nCols) {
    setColumnCount(static_cast<int>(std::max(nCols, 1L) - 1));
    m_nCol = std::min(m_nCol, GetCols() - 1);
}

void CMSFlexGrid::SetRow(long nRow) {
    if (nRow < 0 || nRow >= GetRows())
        return;
    m_nRow = nRow;
    ShowCurrent();
}

void CMSFlexGrid::SetCol(long nCol) {
    if (nCol < 0 || nCol >= GetCols())
        return;
    m_nCol = nCol;
    ShowCurrent();
}

// Mirrors the current cell into the table without scrolling to it.
void CMSFlexGrid::ShowCurrent() {
    if (m_nRow < 1 || m_nCol < 1)
        return;
    const QModelIndex index =
        model()->index(static_cast<int>(m_nRow - 1), static_cast<int>(m_nCol - 1));
    if (index == currentIndex())
        return;
    m_bSettingCurrent = true;
    const bool bAutoScroll = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    setAutoScroll(bAutoScroll);
    m_bSettingCurrent = false;
}

void CMSFlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (!m_bSettingCurrent && current.isValid()) {
        m_nRow = current.row() + 1;
        m_nCol = current.column() + 1;
    }
    if (m_bSettingCurrent) {
        // QAbstractItemView scrolls to a new current cell; a program's move does not.
        const bool bAutoScroll = hasAutoScroll();
        setAutoScroll(false);
        QTableWidget::currentChanged(current, previous);
        setAutoScroll(bAutoScroll);
        return;
    }
    QTableWidget::currentChanged(current, previous);
}

void CMSFlexGrid::SetForeColorFixed(COLORREF clr) {
    m_clrFixed = ColorFromRef(clr);
    for (int c = 0; c < columnCount(); ++c) {
        if (QTableWidgetItem* pItem = horizontalHeaderItem(c))
            pItem->setForeground(m_clrFixed);
    }
    for (int r = 0; r < rowCount(); ++r) {
        if (QTableWidgetItem* pItem = verticalHeaderItem(r))
            pItem->setForeground(m_clrFixed);
    }
    if (QWidget* pCorner = findChild<QAbstractButton*>())
        pCorner->update();
}

QRect CMSFlexGrid::CellRect(long nRow, long nCol) const {
    const int x =
        nCol == 0 ? 0
                  : verticalHeader()->width() + columnViewportPosition(static_cast<int>(nCol - 1));
    const int y =
        nRow == 0 ? 0
                  : horizontalHeader()->height() + rowViewportPosition(static_cast<int>(nRow - 1));
    const int w = nCol == 0 ? verticalHeader()->width() : columnWidth(static_cast<int>(nCol - 1));
    const int h = nRow == 0 ? horizontalHeader()->height() : rowHeight(static_cast<int>(nRow - 1));
    const int nFrame = frameWidth();
    return {x + nFrame, y + nFrame, w, h};
}

long CMSFlexGrid::GetCellLeft() const {
    return static_cast<long>(CellRect(m_nRow, m_nCol).left()) * g_nTwipsPerPixelX;
}

long CMSFlexGrid::GetCellTop() const {
    return static_cast<long>(CellRect(m_nRow, m_nCol).top()) * g_nTwipsPerPixelY;
}

void CMSFlexGrid::SetCellBackColor(COLORREF clr) {
    if (QTableWidgetItem* pItem = AnyItem(m_nRow, m_nCol))
        pItem->setBackground(ColorFromRef(clr));
}

void CMSFlexGrid::SetCellForeColor(COLORREF clr) {
    SetCellForeColor(m_nRow, m_nCol, clr);
}

void CMSFlexGrid::SetCellForeColor(long nRow, long nCol, COLORREF clr) {
    if (QTableWidgetItem* pItem = AnyItem(nRow, nCol))
        pItem->setForeground(ColorFromRef(clr));
}

COLORREF CMSFlexGrid::GetCellForeColor() const {
    const QTableWidgetItem* pItem = AnyItemConst(m_nRow, m_nCol);
    const QBrush brush = pItem ? pItem->foreground() : QBrush();
    return RefFromColor(brush.style() == Qt::NoBrush ? palette().color(QPalette::Text)
                                                     : brush.color());
}

void CMSFlexGrid::SetCellAlignment(short nAlignment) {
    if (m_nRow == 0 && m_nCol == 0) {
        m_nCornerAlignment = nAlignment;
        return;
    }
    if (QTableWidgetItem* pItem = AnyItem(m_nRow, m_nCol))
        pItem->setTextAlignment(AlignmentFromFlex(nAlignment));
}

void CMSFlexGrid::SetTextArray(long nIndex, const QString& strText) {
    const long nCols = GetCols();
    SetTextMatrix(nIndex / nCols, nIndex % nCols, strText);
}

void CMSFlexGrid::SetColAlignment(long nCol, short nAlignment) {
    if (nCol < 1 || nCol >= GetCols())
        return; // the fixed column is always centred
    const auto c = static_cast<std::size_t>(nCol - 1);
    if (m_colAlignment.size() <= c)
        m_colAlignment.resize(c + 1, -1);
    m_colAlignment[c] = nAlignment;
    for (int r = 0; r < rowCount(); ++r) {
        if (QTableWidgetItem* pItem = item(r, static_cast<int>(c)))
            pItem->setTextAlignment(AlignmentFromFlex(nAlignment));
    }
}

long CMSFlexGrid::GetColWidth(long nCol) const {
    const int nPixels =
        nCol == 0 ? verticalHeader()->width() : columnWidth(static_cast<int>(nCol - 1));
    return static_cast<long>(nPixels) * g_nTwipsPerPixelX;
}

void CMSFlexGrid::SetColWidth(long nCol, long nTwips) {
    const int nPixels = ToPixels(nTwips, g_nTwipsPerPixelX);
    if (nCol == 0)
        verticalHeader()->setFixedWidth(nPixels);
    else if (nCol < GetCols())
        setColumnWidth(static_cast<int>(nCol - 1), nPixels);
}

long CMSFlexGrid::GetRowHeight(long nRow) const {
    const int nPixels =
        nRow == 0 ? horizontalHeader()->height() : rowHeight(static_cast<int>(nRow - 1));
    return static_cast<long>(nPixels) * g_nTwipsPerPixelY;
}

void CMSFlexGrid::SetRowHeight(long nRow, long nTwips) {
    const int nPixels = ToPixels(nTwips, g_nTwipsPerPixelY);
    if (nRow == 0)
        horizontalHeader()->setFixedHeight(nPixels);
    else if (nRow < GetRows())
        setRowHeight(static_cast<int>(nRow - 1), nPixels);
}

QString CMSFlexGrid::GetTextMatrix(long nRow, long nCol) const {
    if (nRow == 0 && nCol == 0)
        return m_strCorner;
    const QTableWidgetItem* pItem = AnyItemConst(nRow, nCol);
    return pItem ? pItem->text() : QString();
}

void CMSFlexGrid::SetTextMatrix(long nRow, long nCol, const QString& strText) {
    if (nRow == 0 && nCol == 0) {
        m_strCorner = strText;
        if (QWidget* pCorner = findChild<QAbstractButton*>())
            pCorner->update();
        return;
    }
    if (QTableWidgetItem* pItem = AnyItem(nRow, nCol))
        pItem->setText(strText);
}

bool CMSFlexGrid::MoveToNextCell(bool bFocus) {
    long nRow = m_nRow;
    long nCol = m_nCol;
    const bool bMoved = NextGridCell(GetRows(), GetCols(), nRow, nCol);
    if (bMoved) {
        m_nRow = nRow;
        m_nCol = nCol;
        ShowCurrent();
        scrollTo(currentIndex());
    }
    if (bFocus)
        setFocus(Qt::TabFocusReason);
    return bMoved;
}

bool CMSFlexGrid::IsClickOnCurrentCell(long x, long y) const {
    if (m_nRow < 1 || m_nCol < 1)
        return false;
    const long tx = g_nTwipsPerPixelX;
    const long ty = g_nTwipsPerPixelY;
    const long nLeft = GetCellLeft() / tx - 3;
    const long nTop = GetCellTop() / ty - 2;
    long nWidths = 5;
    for (long c = m_nCol; c < GetCols(); ++c)
        nWidths += GetColWidth(c);
    long nHeights = 5;
    for (long r = m_nRow; r < GetRows(); ++r)
        nHeights += GetRowHeight(r);
    return x >= nLeft && y >= nTop && x <= nLeft + nWidths / tx && y <= nTop + nHeights / ty;
}

void CMSFlexGrid::keyPressEvent(QKeyEvent* pEvent) {
    if (m_bRowSelection && pEvent->matches(QKeySequence::Copy)) {
        emit CopyRows();
        return;
    }
    if (m_bRowSelection && pEvent->matches(QKeySequence::Paste)) {
        emit PasteRows();
        return;
    }
    const QString strText = pEvent->text();
    if (strText.size() == 1 && !(pEvent->modifiers() & Qt::ControlModifier))
        emit KeyPress(strText.at(0).unicode());
    QTableWidget::keyPressEvent(pEvent);
}

void CMSFlexGrid::mousePressEvent(QMouseEvent* pEvent) {
    QTableWidget::mousePressEvent(pEvent);
    // A click makes its cell current even when the table already had it as its current one
    // while the program had moved to a fixed cell.
    if (const QModelIndex index = indexAt(pEvent->position().toPoint()); index.isValid()) {
        m_nRow = index.row() + 1;
        m_nCol = index.column() + 1;
    }
}

void CMSFlexGrid::mouseReleaseEvent(QMouseEvent* pEvent) {
    QTableWidget::mouseReleaseEvent(pEvent);
    short nButton = 0;
    switch (pEvent->button()) {
    case Qt::LeftButton:
        nButton = 1;
        break;
    case Qt::RightButton:
        nButton = 2;
        break;
    case Qt::MiddleButton:
        nButton = 4;
        break;
    default:
        return;
    }
    const Qt::KeyboardModifiers mods = pEvent->modifiers();
    const short nShift =
        static_cast<short>((mods & Qt::ShiftModifier ? 1 : 0) |
                           (mods & Qt::ControlModifier ? 2 : 0) | (mods & Qt::AltModifier ? 4 : 0));
    const QPoint pt = viewport()->mapTo(this, pEvent->position().toPoint());
    emit MouseUp(nButton, nShift, pt.x(), pt.y());
}

void CMSFlexGrid::EnableRowSelection() {
    m_bRowSelection = true;
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->setSectionsClickable(true);
    // The table's own row choice on the headers is replaced by the one here.
    disconnect(verticalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(verticalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    connect(verticalHeader(), &QHeaderView::sectionPressed, this, &CMSFlexGrid::OnRowHeaderPressed);
    // Chosen rows stand out; the current cell keeps its focus rectangle only.
    QPalette pal = palette();
    const QPalette standard = QApplication::palette(this);
    pal.setColor(QPalette::Highlight, standard.color(QPalette::Highlight));
    pal.setColor(QPalette::HighlightedText, standard.color(QPalette::HighlightedText));
    setPalette(pal);
}

void CMSFlexGrid::OnRowHeaderPressed(int nIndex) {
    ChooseRow(nIndex + 1, QGuiApplication::keyboardModifiers());
}

void CMSFlexGrid::ChooseRow(long nRow, Qt::KeyboardModifiers mods) {
    // Shift extends the choice from the last row pressed alone, Ctrl adds or removes a row.
    const int nIndex = static_cast<int>(nRow - 1);
    const QModelIndex index = model()->index(nIndex, 0);
    if (!index.isValid())
        return;
    using Sel = QItemSelectionModel;
    if (mods & Qt::ShiftModifier) {
        const int nFrom = std::min(m_nRowAnchor, nIndex);
        const int nTo = std::max(m_nRowAnchor, nIndex);
        selectionModel()->select(QItemSelection(model()->index(nFrom, 0), model()->index(nTo, 0)),
                                 Sel::ClearAndSelect | Sel::Rows);
    } else {
        m_nRowAnchor = nIndex;
        selectionModel()->select(
            index, (mods & Qt::ControlModifier ? Sel::Toggle : Sel::ClearAndSelect) | Sel::Rows);
    }
    SetRow(nIndex + 1);
}

std::vector<long> CMSFlexGrid::SelectedRows() const {
    std::vector<long> rows;
    if (selectionModel())
        for (const QModelIndex& index : selectionModel()->selectedRows())
            rows.push_back(index.row() + 1);
    std::sort(rows.begin(), rows.end());
    if (rows.empty() && m_nRow >= 1)
        rows.push_back(m_nRow);
    return rows;
}

QItemSelectionModel::SelectionFlags CMSFlexGrid::selectionCommand(const QModelIndex& index,
                                                                  const QEvent* pEvent) const {
    if (!m_bRowSelection)
        return QItemSelectionModel::NoUpdate;
    // The row headers choose rows without an event of their own.
    if (!pEvent)
        return QTableWidget::selectionCommand(index, pEvent);
    // A right click keeps the choice for the context menu.
    if (pEvent->type() == QEvent::MouseButtonPress &&
        static_cast<const QMouseEvent*>(pEvent)->button() == Qt::RightButton)
        return QItemSelectionModel::NoUpdate;
    return QItemSelectionModel::Clear;
}

bool CMSFlexGrid::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pEvent->type() == QEvent::Paint && pWatched == findChild<QAbstractButton*>()) {
        PaintCorner(static_cast<QWidget*>(pWatched));
        return true;
    }
    return QTableWidget::eventFilter(pWatched, pEvent);
}

// The corner cell: a header section with its own text, in the fixed cells' colour.
void CMSFlexGrid::PaintCorner(QWidget* pCorner) {
    QStyleOptionHeader opt;
    opt.initFrom(pCorner);
    opt.state = QStyle::State_Enabled | QStyle::State_Raised;
    opt.rect = pCorner->rect();
    opt.position = QStyleOptionHeader::OnlyOneSection;
    opt.text = m_strCorner;
    opt.textAlignment = AlignmentFromFlex(m_nCornerAlignment);
    if (m_clrFixed.isValid())
        opt.palette.setColor(QPalette::ButtonText, m_clrFixed);
    QPainter painter(pCorner);
    pCorner->style()->drawControl(QStyle::CE_Header, &opt, &painter, pCorner);
}
