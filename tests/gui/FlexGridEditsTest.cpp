// SPDX-License-Identifier: GPL-3.0-or-later
// The grid wrapper and the validated edits as widgets: cell addressing with the fixed row and
// column, twips, the walk, notifications, typing and pasting.
#include "GuiTestSupport.h"
#include "InputSupport.h"

#include "freqedit/EditRules.h"
#include "freqedit/FilterEdit.h"
#include "freqedit/MSFlexGrid.h"
#include "freqedit/TypedEdit.h"
#include "freqedit/XUhfSetDlg.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace {

// Restores the twips factors a test changes.
class TwipsGuard {
public:
    ~TwipsGuard() {
        g_nTwipsPerPixelX = kDefaultTwipsPerPixel;
        g_nTwipsPerPixelY = kDefaultTwipsPerPixel;
    }
};

class FlexGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_grid.SetRows(100);
        m_grid.SetCols(3);
        m_grid.resize(300, 200);
    }
    TwipsGuard m_twips;
    CMSFlexGrid m_grid;
};

} // namespace

TEST_F(FlexGridTest, CellsAreAddressedWithTheFixedRowAndColumn) {
    EXPECT_EQ(m_grid.GetRows(), 100);
    EXPECT_EQ(m_grid.GetCols(), 3);
    EXPECT_EQ(m_grid.rowCount(), 99); // movable rows
    const long nCols = 3;
    const QString strHeads[] = {"Freq Num", "Rx Freq", "Tx Freq"};
    for (long c = 0; c < nCols; ++c)
        m_grid.SetTextArray(c, strHeads[c]);
    m_grid.SetTextArray(5 * nCols + 2, "five-two");
    m_grid.SetTextMatrix(7, 0, "7");
    m_grid.SetRow(3);
    m_grid.SetCol(1);
    m_grid.SetText("three-one");

    struct {
        long nRow, nCol;
        const char* szText;
    } const cells[] = {{0, 0, "Freq Num"}, {0, 1, "Rx Freq"}, {0, 2, "Tx Freq"},
                       {5, 2, "five-two"}, {7, 0, "7"},       {3, 1, "three-one"},
                       {3, 2, ""}};
    for (const auto& c : cells)
        EXPECT_EQ(m_grid.GetTextMatrix(c.nRow, c.nCol).toStdString(), c.szText)
            << c.nRow << "," << c.nCol;
    // The fixed row and column are the table's headers; the rest are its cells.
    EXPECT_EQ(m_grid.horizontalHeaderItem(1)->text(), "Tx Freq");
    EXPECT_EQ(m_grid.verticalHeaderItem(6)->text(), "7");
    EXPECT_EQ(m_grid.item(4, 1)->text(), "five-two");
    EXPECT_EQ(m_grid.item(2, 0)->text(), "three-one");
    EXPECT_EQ(m_grid.currentRow(), 2);
    EXPECT_EQ(m_grid.currentColumn(), 0);
    // Out of range: nothing changes, nothing breaks.
    m_grid.SetRow(100);
    m_grid.SetCol(-1);
    EXPECT_EQ(m_grid.GetRow(), 3);
    EXPECT_EQ(m_grid.GetCol(), 1);
    m_grid.SetTextMatrix(100, 1, "x");
    EXPECT_EQ(m_grid.GetTextMatrix(100, 1), "");
}

TEST_F(FlexGridTest, SizesAndPositionsAreTwipsOfTheCurrentFactor) {
    struct {
        int nTwipsX, nTwipsY;
    } const factors[] = {{15, 15}, {10, 12}, {20, 15}};
    for (const auto& f : factors) {
        g_nTwipsPerPixelX = f.nTwipsX;
        g_nTwipsPerPixelY = f.nTwipsY;
        m_grid.SetColWidth(0, 40L * f.nTwipsX);
        m_grid.SetColWidth(1, 70L * f.nTwipsX);
        m_grid.SetColWidth(2, 80L * f.nTwipsX + f.nTwipsX - 1); // truncated to whole pixels
        m_grid.SetRowHeight(0, 30L * f.nTwipsY);
        m_grid.SetRowHeight(1, 20L * f.nTwipsY);
        m_grid.SetRowHeight(2, 25L * f.nTwipsY);
        EXPECT_EQ(m_grid.columnWidth(0), 70);
        EXPECT_EQ(m_grid.columnWidth(1), 80);
        EXPECT_EQ(m_grid.verticalHeader()->width(), 40);
        EXPECT_EQ(m_grid.horizontalHeader()->height(), 30);
        EXPECT_EQ(m_grid.rowHeight(1), 25);
        EXPECT_EQ(m_grid.GetColWidth(2), 80L * f.nTwipsX);
        EXPECT_EQ(m_grid.GetRowHeight(0), 30L * f.nTwipsY);
        // Cell (2, 2): right of the fixed column and column 1, below the fixed row and row 1.
        m_grid.SetRow(2);
        m_grid.SetCol(2);
        const long nFrame = m_grid.frameWidth();
        EXPECT_EQ(m_grid.GetCellLeft(), (nFrame + 40 + 70) * f.nTwipsX);
        EXPECT_EQ(m_grid.GetCellTop(), (nFrame + 30 + 20) * f.nTwipsY);
        m_grid.SetRow(0);
        m_grid.SetCol(0);
        EXPECT_EQ(m_grid.GetCellLeft(), nFrame * f.nTwipsX);
    }
}

TEST_F(FlexGridTest, UnsizedProgramConvertsWithFifteenTwips) {
    EXPECT_EQ(g_nTwipsPerPixelX, 15);
    EXPECT_EQ(g_nTwipsPerPixelY, 15);
    m_grid.SetColWidth(1, 1500);
    EXPECT_EQ(m_grid.columnWidth(0), 100);
}

TEST_F(FlexGridTest, MoveToNextCellWalksRowsAndStopsAtTheLastCell) {
    struct {
        long nRow, nCol;
        bool bMoved;
        long nNextRow, nNextCol;
    } const cases[] = {
        {1, 1, true, 1, 2}, {1, 2, true, 2, 1}, {98, 2, true, 99, 1}, {99, 2, false, 99, 2}};
    for (const auto& c : cases) {
        m_grid.SetRow(c.nRow);
        m_grid.SetCol(c.nCol);
        EXPECT_EQ(m_grid.MoveToNextCell(false), c.bMoved);
        EXPECT_EQ(m_grid.GetRow(), c.nNextRow);
        EXPECT_EQ(m_grid.GetCol(), c.nNextCol);
        EXPECT_EQ(m_grid.currentRow(), c.nNextRow - 1);
        EXPECT_EQ(m_grid.currentColumn(), c.nNextCol - 1);
    }
}

TEST_F(FlexGridTest, ColoursAndAlignmentOfCells) {
    m_grid.SetRow(4);
    m_grid.SetCol(2);
    m_grid.SetText("462.55000");
    struct {
        COLORREF clr;
        int r, g, b;
    } const colours[] = {
        {255, 255, 0, 0}, {0xFF0000, 0, 0, 255}, {0, 0, 0, 0}, {0x123456, 0x56, 0x34, 0x12}};
    for (const auto& c : colours) {
        m_grid.SetCellForeColor(c.clr);
        EXPECT_EQ(m_grid.item(3, 1)->foreground().color(), QColor(c.r, c.g, c.b));
        EXPECT_EQ(m_grid.GetCellForeColor(), c.clr);
        m_grid.SetCellBackColor(c.clr);
        EXPECT_EQ(m_grid.item(3, 1)->background().color(), QColor(c.r, c.g, c.b));
    }
    // Any cell by its row and column; the current cell stays on row 4, column 2.
    m_grid.SetCellForeColor(7, 1, 0x00FF00);
    ASSERT_NE(m_grid.item(6, 0), nullptr);
    EXPECT_EQ(m_grid.item(6, 0)->foreground().color(), QColor(0, 255, 0));
    EXPECT_EQ(m_grid.GetRow(), 4);
    EXPECT_EQ(m_grid.GetCol(), 2);
    EXPECT_EQ(m_grid.GetCellForeColor(), 0x123456u); // the last colour of the loop
    m_grid.SetColAlignment(1, kFlexAlignCenterCenter);
    m_grid.SetTextMatrix(9, 1, "new cell");
    EXPECT_EQ(m_grid.item(8, 0)->textAlignment(), int(Qt::AlignCenter));
    m_grid.SetCellAlignment(6); // right-top
    EXPECT_EQ(m_grid.item(3, 1)->textAlignment(), int(Qt::AlignRight | Qt::AlignTop));
    m_grid.SetTextArray(1, "Rx");
    m_grid.SetForeColorFixed(0xFF0000);
    EXPECT_EQ(m_grid.horizontalHeaderItem(0)->foreground().color(), QColor(0, 0, 255));
}

TEST_F(FlexGridTest, NotifiesKeysClicksAndScrolling) {
    m_grid.show();
    std::vector<int> keys;
    struct Up {
        short nButton;
        long x, y;
    };
    std::vector<Up> ups;
    int nScrolls = 0;
    QObject::connect(&m_grid, &CMSFlexGrid::KeyPress, [&](int n) { keys.push_back(n); });
    QObject::connect(&m_grid, &CMSFlexGrid::MouseUp, [&](short nButton, short, long x, long y) {
        ups.push_back({nButton, x, y});
    });
    QObject::connect(&m_grid, &CMSFlexGrid::Scroll, [&] { ++nScrolls; });
    Key(m_grid, Qt::Key_Space, " ");
    Key(m_grid, Qt::Key_A, "a");
    Key(m_grid, Qt::Key_Down, QString());
    ASSERT_EQ(keys.size(), 2);
    EXPECT_EQ(keys[0], 32);
    EXPECT_EQ(keys[1], 'a');

    // A click on cell (3, 2) makes it current and reports the grid-relative position.
    const QRect rc = m_grid.CellRect(3, 2);
    const QPoint ptGrid = rc.center();
    const QPoint ptViewport = m_grid.viewport()->mapFrom(&m_grid, ptGrid);
    Click(*m_grid.viewport(), ptViewport, Qt::LeftButton);
    Click(*m_grid.viewport(), ptViewport, Qt::RightButton);
    ASSERT_EQ(ups.size(), 2);
    EXPECT_EQ(ups[0].nButton, 1);
    EXPECT_EQ(ups[1].nButton, 2);
    EXPECT_EQ(ups[0].x, ptGrid.x());
    EXPECT_EQ(ups[0].y, ptGrid.y());
    EXPECT_EQ(m_grid.GetRow(), 3);
    EXPECT_EQ(m_grid.GetCol(), 2);

    // Setting a far row does not scroll; the walk shows its cell.
    m_grid.SetRow(90);
    EXPECT_EQ(nScrolls, 0);
    m_grid.MoveToNextCell(false);
    EXPECT_GE(nScrolls, 1);
}

TEST_F(FlexGridTest, CellTextsReachScreenReaders) {
    m_grid.SetTextArray(1, "Rx Freq");
    m_grid.SetTextMatrix(2, 1, "462.56250");
    m_grid.show();
    QAccessibleInterface* pGrid = QAccessible::queryAccessibleInterface(&m_grid);
    ASSERT_NE(pGrid, nullptr);
    QAccessibleTableInterface* pTable = pGrid->tableInterface();
    ASSERT_NE(pTable, nullptr);
    QAccessibleInterface* pCell = pTable->cellAt(1, 0);
    ASSERT_NE(pCell, nullptr);
    EXPECT_EQ(pCell->text(QAccessible::Name), "462.56250");
    // The fixed row is reported as column headers.
    bool bHeaderFound = false;
    for (int i = 0; i < pGrid->childCount(); ++i) {
        QAccessibleInterface* pChild = pGrid->child(i);
        if (pChild && pChild->role() == QAccessible::ColumnHeader &&
            pChild->text(QAccessible::Name) == "Rx Freq")
            bHeaderFound = true;
    }
    EXPECT_TRUE(bHeaderFound);
}

// ---- validated edits ----

namespace {

struct FilterTyping {
    int nType;
    char cDecimal;
    const char* szTyped;
    const char* szShown;
    int nRefused;
};

void PrintTo(const FilterTyping& c, std::ostream* os) {
    *os << "type " << c.nType << " decimal '" << c.cDecimal << "' typing \"" << c.szTyped << "\"";
}

class FilterEditTypingTest : public ::testing::TestWithParam<FilterTyping> {};

} // namespace

TEST_P(FilterEditTypingTest, KeepsOnlyTheSetAndBeepsAtTheRest) {
    const FilterTyping& c = GetParam();
    CFilterEdit edit;
    edit.SetFilterType(c.nType, c.cDecimal);
    int nRefused = 0;
    QObject::connect(&edit, &CFilterEdit::Refused, [&] { ++nRefused; });
    Type(edit, QString::fromLatin1(c.szTyped));
    EXPECT_EQ(edit.text().toStdString(), c.szShown);
    EXPECT_EQ(nRefused, c.nRefused);
}

INSTANTIATE_TEST_SUITE_P(Locales, FilterEditTypingTest,
                         ::testing::Values(FilterTyping{4, ',', "462,5.1", "462,5.1", 0},
                                           FilterTyping{4, '.', "462,5.1", "4625.1", 1},
                                           FilterTyping{4, '.', "46a2 ", "462", 2},
                                           FilterTyping{3, '.', "fg1a", "F1A", 1},
                                           FilterTyping{5, '.', "a*#e9", "A*#9", 1},
                                           FilterTyping{0, '.', "12", "", 2}));

TEST(FilterEditTest, BackspaceAlwaysWorks) {
    for (const int nType : {0, 3, 4, 5}) {
        CFilterEdit edit;
        edit.SetFilterType(nType, '.');
        edit.setText("AB");
        edit.end(false);
        Key(edit, Qt::Key_Backspace, "\b");
        EXPECT_EQ(edit.text(), "A") << nType;
    }
}

TEST(FilterEditTest, EveryPasteIsChecked) {
    struct {
        const char* szClip;
        bool bCtrlV;
        const char* szAfter;
        int nRefused;
    } const cases[] = {{"1a", true, "1a", 0},
                       {"1a", false, "1a", 0},
                       {"1g", true, "", 1},
                       {"1g", false, "", 1},
                       {"\xC3\xA4", true, "", 1}};
    for (const auto& c : cases) {
        CFilterEdit edit;
        edit.SetFilterType(kFilterHex, '.');
        int nRefused = 0;
        QObject::connect(&edit, &CFilterEdit::Refused, [&] { ++nRefused; });
        QApplication::clipboard()->setText(QString::fromUtf8(c.szClip));
        if (c.bCtrlV)
            Key(edit, Qt::Key_V, QString(QChar(22)), Qt::ControlModifier);
        else
            edit.CheckedPaste();
        EXPECT_EQ(edit.text().toStdString(), c.szAfter) << c.szClip;
        EXPECT_EQ(nRefused, c.nRefused) << c.szClip;
    }
}

TEST(FilterEditTest, ControlKeysCopyCutAndUndo) {
    CFilterEdit edit;
    edit.SetFilterType(kFilterFrequency, '.');
    Type(edit, "462.5");
    edit.selectAll();
    Key(edit, Qt::Key_X, QString(QChar(24)), Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "462.5");
    Key(edit, Qt::Key_Z, QString(QChar(26)), Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "462.5");
}

TEST(FilterEditTest, FrequencyDialogsEditUsesItsOwnersDecimalPoint) {
    CGuiTestApp t;
    const std::vector<std::uint8_t> records(XtraVariant().freqTable.Range().nLength, 0);
    CXUhfSetDlg point(XtraVariant(), t.App().Range(), '.', records);
    EXPECT_TRUE(point.Edit().IsAllowedChar('.'));
    EXPECT_FALSE(point.Edit().IsAllowedChar(','));
    // A decimal comma is taken as well as the point.
    CXUhfSetDlg comma(XtraVariant(), t.App().Range(), ',', records);
    EXPECT_TRUE(comma.Edit().IsAllowedChar(','));
    EXPECT_TRUE(comma.Edit().IsAllowedChar('.'));
}

namespace {

struct TypedTyping {
    int nType;
    char cDecimal;
    const char* szTyped; // '|' stands for the keypad's decimal key
    const char* szShown;
};

void PrintTo(const TypedTyping& c, std::ostream* os) {
    *os << "type " << c.nType << " decimal '" << c.cDecimal << "' typing \"" << c.szTyped << "\"";
}

class TypedEditTypingTest : public ::testing::TestWithParam<TypedTyping> {};

} // namespace

TEST_P(TypedEditTypingTest, FiltersByTypeWithoutSound) {
    const TypedTyping& c = GetParam();
    CGuiTestApp t;
    CTypedEdit edit;
    edit.m_nType = c.nType;
    edit.m_nDecimalPoint = c.cDecimal;
    for (const char ch : std::string(c.szTyped)) {
        if (ch == '|')
            Key(edit, Qt::Key_Period, ".", Qt::KeypadModifier);
        else
            Type(edit, QString(QChar(ch)));
    }
    EXPECT_EQ(edit.text().toStdString(), c.szShown);
}

INSTANTIATE_TEST_SUITE_P(
    Types, TypedEditTypingTest,
    ::testing::Values(TypedTyping{5, ',', "462|5.x", "462,5"},
                      TypedTyping{5, '.', "462|5,x", "462.5"}, TypedTyping{5, ',', "46,2", "46,2"},
                      TypedTyping{3, '.', "Ffe1", "E1"}, TypedTyping{6, '.', "ab*#e", "AB*#"},
                      TypedTyping{7, ',', "din|.", "DIN,"}, TypedTyping{0, '.', "aF.,", "aF.,"}));

TEST(TypedEditTest, RightButtonNeverReachesTheEdit) {
    CGuiTestApp t;
    CTypedEdit edit;
    edit.resize(200, 24);
    edit.setText("462.5");
    edit.end(false);
    Click(edit, QPoint(2, 12), Qt::RightButton);
    EXPECT_EQ(edit.cursorPosition(), 5);
    Click(edit, QPoint(2, 12), Qt::LeftButton); // the same click with the left button moves it
    EXPECT_EQ(edit.cursorPosition(), 0);
    Key(edit, Qt::Key_End, QString());
    Key(edit, Qt::Key_Backspace, "\b");
    EXPECT_EQ(edit.text(), "462.");
}

TEST_F(FlexGridTest, ClickRuleCoversTheCellAndWhatLiesRightAndBelow) {
    m_grid.SetRowHeight(0, 20 * 15);
    m_grid.SetColWidth(0, 40 * 15);
    for (long c = 1; c < 3; ++c)
        m_grid.SetColWidth(c, 60 * 15);
    for (long r = 1; r < 100; ++r)
        m_grid.SetRowHeight(r, 18 * 15);
    m_grid.SetRow(2);
    m_grid.SetCol(1);
    const QRect rc = m_grid.CellRect(2, 1);
    // From 3 pixels left of and 2 above the cell; right edge 3 pixels left of it plus
    // (5 twips + two columns of 60 pixels) = 120 pixels, bottom 2 above it plus 98 rows of 18.
    struct {
        int dx, dy;
        bool bOpens;
    } const points[] = {{0, 0, true},    {-3, -2, true},         {-4, 0, false},
                        {0, -3, false},  {30, 9, true},          {117, 0, true},
                        {118, 0, false}, {0, 98 * 18 - 2, true}, {0, 98 * 18 - 1, false}};
    for (const auto& p : points)
        EXPECT_EQ(m_grid.IsClickOnCurrentCell(rc.left() + p.dx, rc.top() + p.dy), p.bOpens)
            << p.dx << "," << p.dy;
    m_grid.SetCol(0);
    EXPECT_FALSE(m_grid.IsClickOnCurrentCell(rc.left(), rc.top()));
}
