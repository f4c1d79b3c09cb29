// SPDX-License-Identifier: GPL-3.0-or-later
// The program's one grid: a table with a fixed first row and a fixed first column, addressed as
// the rest of the program expects it (rows and columns counted with the fixed ones, sizes and
// positions in twips, colours as 0x00BBGGRR). The fixed row and column are the table's headers,
// so they stay in place while the cells scroll and are reported as headers to screen readers.
#pragma once

#include <QTableWidget>

#include <cstdint>
#include <vector>

// A colour in the 0x00BBGGRR order: 0xFF0000 is blue, 255 red, 0 black.
using COLORREF = std::uint32_t;

// Cell alignments (0..8: left/centre/right by top/centre/bottom; 9 general).
inline constexpr short kFlexAlignCenterCenter = 4;

class CMSFlexGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit CMSFlexGrid(QWidget* pParent = nullptr);

    // Text of the current cell.
    QString GetText() const;
    void SetText(const QString& strText);
    // Row and column counts, the fixed row and column included.
    long GetRows() const;
    void SetRows(long nRows);
    long GetCols() const;
    void SetCols(long nCols);
    // The current cell; row 0 and column 0 are the fixed ones.
    long GetRow() const { return m_nRow; }
    void SetRow(long nRow);
    long GetCol() const { return m_nCol; }
    void SetCol(long nCol);
    // Text colour of the fixed row and column.
    void SetForeColorFixed(COLORREF clr);
    // Position of the current cell in twips, relative to the grid's own rectangle.
    long GetCellLeft() const;
    long GetCellTop() const;
    // Colours and alignment of the current cell.
    void SetCellBackColor(COLORREF clr);
    void SetCellForeColor(COLORREF clr);
    void SetCellAlignment(short nAlignment);
    // Text of cell nIndex counted row by row (nIndex = row × Cols + column).
    void SetTextArray(long nIndex, const QString& strText);
    // Alignment of the movable cells of a column.
    void SetColAlignment(long nCol, short nAlignment);
    // Column width and row height in twips.
    long GetColWidth(long nCol) const;
    void SetColWidth(long nCol, long nTwips);
    long GetRowHeight(long nRow) const;
    void SetRowHeight(long nRow, long nTwips);
    QString GetTextMatrix(long nRow, long nCol) const;
    void SetTextMatrix(long nRow, long nCol, const QString& strText);
    // Text colour of any cell, the current one staying where it is.
    void SetCellForeColor(long nRow, long nCol, COLORREF clr);

    // Moves the current cell one step along the walk of Tab and Enter (right along the row, then
    // column 1 of the next row, never past the last cell) and shows it. bFocus: the grid then
    // takes the keyboard focus. Returns whether the cell moved.
    bool MoveToNextCell(bool bFocus);

    // The click rule of the program's grids: whether a button released at (x, y) (pixels,
    // grid-relative, as MouseUp reports them) lies on the current cell or below or right of it,
    // within the grid's extent: from 3 pixels left of and 2 above the cell, to 5 twips past the
    // last column and the last row. Always false on the fixed row or column.
    bool IsClickOnCurrentCell(long x, long y) const;

    // Colour of the current cell's text (0x00BBGGRR), for checks.
    COLORREF GetCellForeColor() const;
    // Rectangle of a cell in pixels, relative to the grid's own rectangle.
    QRect CellRect(long nRow, long nCol) const;
    // Typed characters never move the current cell.
    void keyboardSearch(const QString&) override {}

    // Whole rows may be chosen for the clipboard: a click on a row header chooses its row,
    // Shift and Ctrl extend the choice, Select All chooses every row; a click or a key on a
    // cell clears it. Off unless asked for.
    void EnableRowSelection();
    // The chosen rows (counted with the fixed row, so from 1), in order; the current row when
    // none is chosen.
    std::vector<long> SelectedRows() const;
    // What a click on row nRow's header does with these keys held.
    void ChooseRow(long nRow, Qt::KeyboardModifiers mods);

signals:
    // The cells scrolled (either direction).
    void Scroll();
    // A character was typed on the grid.
    void KeyPress(int nKeyAscii);
    // The copy or paste key on a grid with row selection.
    void CopyRows();
    void PasteRows();
    // A mouse button went up over the cells: button 1 left, 2 right, 4 middle; shift 1 Shift,
    // 2 Ctrl, 4 Alt; x and y in pixels relative to the grid's own rectangle.
    void MouseUp(short nButton, short nShift, long x, long y);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* pEvent) const override;

private:
    // The item of a movable cell, created on first use with its column's alignment.
    QTableWidgetItem* CellItem(long nRow, long nCol);
    // The item behind any cell: header items for the fixed row and column, nullptr for the corner.
    QTableWidgetItem* AnyItem(long nRow, long nCol);
    const QTableWidgetItem* AnyItemConst(long nRow, long nCol) const;
    void ShowCurrent();
    void OnRowHeaderPressed(int nIndex);
    void PaintCorner(QWidget* pCorner);

    long m_nRow = 1;
    long m_nCol = 1;
    bool m_bSettingCurrent = false;
    QString m_strCorner;
    QColor m_clrFixed;
    short m_nCornerAlignment = kFlexAlignCenterCenter;
    std::vector<short> m_colAlignment;
    bool m_bRowSelection = false;
    int m_nRowAnchor = 0;
};

// 0x00BBGGRR to a Qt colour and back.
QColor ColorFromRef(COLORREF clr);
COLORREF RefFromColor(const QColor& clr);
