// SPDX-License-Identifier: GPL-3.0-or-later
// "Frequency Setting": the table, the in-cell edit's walk and markers, and how OK, Cancel,
// Escape, clicks and scrolling end an edit.
#include "GuiTestSupport.h"
#include "InputSupport.h"

#include "app/WR7310Doc.h"
#include "freqedit/EditRules.h"
#include "freqedit/XUhfSetDlg.h"
#include "image/FreqCodec.h"
#include "image/ImageFields.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>
#include <QUndoStack>

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kRed = 255;
constexpr COLORREF kBlack = 0;

class FreqDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_doc.OnNewDocument()); // the standard table within 400..470 MHz
        const auto table = field::Bytes(m_doc.Data(), XtraVariant().freqTable.Range());
        m_original.assign(table.begin(), table.end());
        m_pDlg = std::make_unique<CXUhfSetDlg>(XtraVariant(), m_t.App().Range(), '.', m_original);
        ShowActive(*m_pDlg);
    }
    CXUhfSetDlg& Dlg() { return *m_pDlg; }
    CMSFlexGrid& Grid() { return m_pDlg->Grid(); }
    CFilterEdit& Edit() { return m_pDlg->Edit(); }
    // Opens the edit on a cell with the space key, as a user does.
    void BeginEdit(long nRow, long nCol) {
        Grid().SetRow(nRow);
        Grid().SetCol(nCol);
        Grid().setFocus();
        Key(Grid(), Qt::Key_Space, " ");
    }
    // Replaces the edit's text by typing.
    void TypeOver(const QString& strText) {
        Edit().selectAll();
        Key(Edit(), Qt::Key_Backspace, "\b");
        Type(Edit(), strText);
    }
    std::vector<std::uint8_t> Records() const {
        std::vector<std::uint8_t> records(m_original.size(), 0xEE);
        EXPECT_EQ(m_pDlg->GetRecords(records), 1);
        return records;
    }
    CFreqTable Table() const { return CFreqTable(XtraVariant(), m_doc.m_app.Range(), Records()); }
    COLORREF ColourOf(long nRow, long nCol) {
        Grid().SetRow(nRow);
        Grid().SetCol(nCol);
        return Grid().GetCellForeColor();
    }

    CGuiTestApp m_t;
    CWR7310Doc m_doc{m_t.App()};
    std::vector<std::uint8_t> m_original;
    std::unique_ptr<CXUhfSetDlg> m_pDlg;
};

QString Std(int n) {
    return QString::fromStdString(FormatFrequency(StdFreqTable[n]));
}

} // namespace

TEST_F(FreqDialogTest, OpensWithNumberedRowsAndFiveDecimals) {
    EXPECT_EQ(Dlg().windowTitle(), "Frequency Setting");
    EXPECT_EQ(Grid().GetRows(), 100);
    EXPECT_EQ(Grid().GetCols(), 3);
    EXPECT_EQ(Grid().GetTextMatrix(0, 0), "Freq Num");
    EXPECT_EQ(Grid().GetTextMatrix(0, 1), "Rx Freq");
    EXPECT_EQ(Grid().GetTextMatrix(0, 2), "Tx Freq");
    EXPECT_FALSE(Edit().isVisible());
    EXPECT_EQ(Grid().GetRow(), 1);
    EXPECT_EQ(Grid().GetCol(), 1);
    const QRegularExpression fiveDecimals("^\\d{3}\\.\\d{5}$");
    for (long r = 1; r < 100; ++r) {
        EXPECT_EQ(Grid().GetTextMatrix(r, 0), QString::number(r));
        for (long c = 1; c <= 2; ++c) {
            EXPECT_TRUE(fiveDecimals.match(Grid().GetTextMatrix(r, c)).hasMatch()) << r;
            EXPECT_EQ(Grid().GetTextMatrix(r, c), Std(static_cast<int>(r)));
            EXPECT_EQ(ColourOf(r, c), kBlack) << r;
        }
    }
}

TEST(FreqDialogColours, NonStandardValuesAreRed) {
    CGuiTestApp t;
    CWR7310Doc doc(t.App());
    ASSERT_TRUE(doc.OnNewDocument());
    field::CFreqRecord rec = doc.GetFreqRecord(5);
    rec.nTxCount = 37004; // 462.55 MHz at 12.5 kHz
    rec.bNonStandard = true;
    doc.SetFreqRecord(5, rec);
    const auto table = field::Bytes(doc.Data(), XtraVariant().freqTable.Range());
    CXUhfSetDlg dlg(XtraVariant(), t.App().Range(), '.', table);
    dlg.Grid().SetRow(5);
    dlg.Grid().SetCol(1);
    EXPECT_EQ(dlg.Grid().GetCellForeColor(), kBlack);
    dlg.Grid().SetCol(2);
    EXPECT_EQ(dlg.Grid().GetCellForeColor(), kRed);
    EXPECT_EQ(dlg.Grid().GetText(), "462.55000");
}

TEST_F(FreqDialogTest, WalkKeysCommitAndMoveOn) {
    struct {
        long nRow, nCol;
        const char* szTyped;
        int nKey;
        const char* szShown;
        long nNextRow, nNextCol;
    } const cases[] = {
        {1, 1, "462.551", Qt::Key_Return, "462.55000", 1, 2}, // rounded down to 12.5 kHz
        {1, 2, "462.5625", Qt::Key_Enter, "462.56250", 2, 1}, // the keypad's Enter
        {7, 2, "500", Qt::Key_Tab, "470.00000", 8, 1},        // clamped to the range
        {99, 2, "467.9", Qt::Key_Return, "467.90000", 99, 2}, // the last cell stays
    };
    for (const auto& c : cases) {
        BeginEdit(c.nRow, c.nCol);
        ASSERT_TRUE(Edit().isVisible()) << c.szTyped;
        EXPECT_TRUE(Dlg().IsEditing());
        EXPECT_EQ(Edit().text(), Grid().GetTextMatrix(c.nRow, c.nCol)); // starts with the cell
        TypeOver(c.szTyped);
        Key(Edit(), c.nKey, c.nKey == Qt::Key_Tab ? "\t" : "\r");
        EXPECT_FALSE(Edit().isVisible()) << c.szTyped;
        EXPECT_FALSE(Dlg().IsEditing());
        EXPECT_EQ(Edit().text(), "");
        EXPECT_EQ(Grid().GetTextMatrix(c.nRow, c.nCol).toStdString(), c.szShown);
        EXPECT_EQ(Table().CellText(static_cast<int>(c.nRow), static_cast<int>(c.nCol)), c.szShown);
        EXPECT_EQ(Grid().GetRow(), c.nNextRow) << c.szTyped;
        EXPECT_EQ(Grid().GetCol(), c.nNextCol) << c.szTyped;
        EXPECT_TRUE(Grid().hasFocus());
    }
}

TEST_F(FreqDialogTest, WalkKeysWithTheEditClosed) {
    // On the grid Enter walks and Tab moves on to OK; Enter on a button is that button.
    Grid().SetRow(4);
    Grid().SetCol(2);
    Key(Grid(), Qt::Key_Return, "\r");
    EXPECT_EQ(Grid().GetRow(), 5);
    EXPECT_EQ(Grid().GetCol(), 1);
    EXPECT_FALSE(Dlg().IsEditing());
    Grid().setFocus();
    Key(Grid(), Qt::Key_Tab, "\t");
    EXPECT_TRUE(Dlg().OkButton()->hasFocus());
    EXPECT_EQ(Grid().GetRow(), 5);
    Key(*Dlg().OkButton(), Qt::Key_Return, "\r");
    EXPECT_FALSE(Dlg().isVisible());
    EXPECT_EQ(Dlg().result(), QDialog::Accepted);
    EXPECT_FALSE(Dlg().IsEditing());
}

TEST_F(FreqDialogTest, MarkerFollowsBothColumns) {
    const int n = 10;
    const QString strStd = Std(n);
    struct {
        long nCol;
        QString strTyped;
        bool bMarker;
        COLORREF clrRx, clrTx;
    } const steps[] = {
        {2, "462.5", true, kBlack, kRed},  // transmit off standard: marker set
        {1, "462.5", true, kRed, kRed},    // receive too
        {1, strStd, true, kBlack, kRed},   // receive back: the transmit value keeps the marker
        {2, strStd, false, kBlack, kBlack} // transmit back: cleared
    };
    for (const auto& s : steps) {
        BeginEdit(n, s.nCol);
        TypeOver(s.strTyped);
        Key(Edit(), Qt::Key_Return, "\r");
        EXPECT_EQ(Table().NonStandard(n), s.bMarker) << s.strTyped.toStdString();
        EXPECT_EQ(ColourOf(n, 1), s.clrRx) << s.strTyped.toStdString();
        EXPECT_EQ(ColourOf(n, 2), s.clrTx) << s.strTyped.toStdString();
    }
}

TEST_F(FreqDialogTest, RecordsComeBackByteExact) {
    BeginEdit(3, 1);
    TypeOver("462.551");
    Key(Edit(), Qt::Key_Return, "\r");
    std::vector<std::uint8_t> want = m_original;
    // Record 3 at offset 16: receive count 37004 (0x908C), step code 2 kept, marker set.
    want[16 + 0] = 0x8C;
    want[16 + 1] = 0x90;
    want[16 + 2] = 0x00;
    want[16 + 6] = static_cast<std::uint8_t>(m_original[16 + 6] | 0x10);
    EXPECT_EQ(m_original[16 + 6] & 0x03, 2);
    EXPECT_EQ(Records(), want);
}

TEST_F(FreqDialogTest, MouseClickOnOkWhileEditingCommitsAndCloses) {
    BeginEdit(5, 1);
    ASSERT_TRUE(Edit().hasFocus());
    TypeOver("462.5");
    Click(*Dlg().OkButton());
    EXPECT_FALSE(Dlg().isVisible());
    EXPECT_EQ(Dlg().result(), QDialog::Accepted);
    EXPECT_EQ(Table().CellText(5, 1), "462.50000");
}

TEST_F(FreqDialogTest, KeyboardOkWhileEditingCommitsAndStays) {
    for (QPushButton* pButton : {Dlg().OkButton(), Dlg().CancelButton()}) {
        BeginEdit(6, 2);
        TypeOver("463");
        pButton->click(); // Alt+O / Alt+C: the edit keeps the focus
        EXPECT_TRUE(Dlg().isVisible());
        EXPECT_FALSE(Dlg().IsEditing());
        EXPECT_EQ(Table().CellText(6, 2), "463.00000");
    }
    Dlg().OkButton()->click();
    EXPECT_FALSE(Dlg().isVisible());
    EXPECT_EQ(Dlg().result(), QDialog::Accepted);
}

TEST_F(FreqDialogTest, EmptiedEditKeepsTheDialogOpenUntilEscape) {
    BeginEdit(8, 1);
    TypeOver("");
    ASSERT_EQ(Edit().text(), "");
    Click(*Dlg().OkButton());
    EXPECT_TRUE(Dlg().isVisible());
    Click(*Dlg().CancelButton());
    EXPECT_TRUE(Dlg().isVisible());
    Dlg().OkButton()->click();
    EXPECT_TRUE(Dlg().isVisible());
    EXPECT_TRUE(Dlg().IsEditing());
    EXPECT_EQ(Records(), m_original);
    // Escape puts the cell's text back and ends the edit; the next Cancel closes.
    Edit().setFocus();
    Key(Edit(), Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(Dlg().IsEditing());
    EXPECT_FALSE(Edit().isVisible());
    EXPECT_EQ(Grid().GetTextMatrix(8, 1), Std(8));
    EXPECT_EQ(Records(), m_original);
    Click(*Dlg().CancelButton());
    EXPECT_FALSE(Dlg().isVisible());
    EXPECT_EQ(Dlg().result(), QDialog::Rejected);
}

TEST_F(FreqDialogTest, EscapeKeepsTheCellsValue) {
    BeginEdit(12, 2);
    TypeOver("470");
    Key(Edit(), Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(Dlg().IsEditing());
    EXPECT_TRUE(Grid().hasFocus());
    EXPECT_EQ(Grid().GetTextMatrix(12, 2), Std(12));
    EXPECT_EQ(Records(), m_original);
    EXPECT_TRUE(Dlg().isVisible());
    // With the edit closed, Escape cancels the dialog.
    Key(Grid(), Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(Dlg().isVisible());
    EXPECT_EQ(Dlg().result(), QDialog::Rejected);
}

TEST_F(FreqDialogTest, ScrollingCommitsTheOpenEdit) {
    BeginEdit(2, 1);
    TypeOver("461");
    Grid().verticalScrollBar()->setValue(Grid().verticalScrollBar()->maximum());
    EXPECT_FALSE(Dlg().IsEditing());
    EXPECT_EQ(Table().CellText(2, 1), "461.00000");
}

TEST_F(FreqDialogTest, OnlyLeftClicksOnMovableCellsOpenTheEdit) {
    const QPoint ptCell = Grid().viewport()->mapFrom(&Grid(), Grid().CellRect(3, 1).center());
    Click(*Grid().viewport(), ptCell, Qt::RightButton);
    EXPECT_FALSE(Dlg().IsEditing());
    QHeaderView* pNumbers = Grid().verticalHeader();
    Click(*pNumbers->viewport(),
          QPoint(pNumbers->width() / 2, pNumbers->sectionViewportPosition(2) + 3), Qt::LeftButton);
    EXPECT_FALSE(Dlg().IsEditing());
    // The fixed column as the current cell: neither space nor a click opens it.
    Grid().SetCol(0);
    Key(Grid(), Qt::Key_Space, " ");
    EXPECT_FALSE(Dlg().IsEditing());
    Click(*Grid().viewport(), ptCell, Qt::LeftButton);
    EXPECT_TRUE(Dlg().IsEditing());
    EXPECT_EQ(Dlg().EditRow(), 3);
    EXPECT_EQ(Dlg().EditCol(), 1);
    // The edit lies over the clicked cell.
    const QRect rcCell(Grid().mapTo(&Dlg(), Grid().CellRect(3, 1).topLeft()),
                       Grid().CellRect(3, 1).size());
    EXPECT_TRUE(rcCell.contains(Edit().geometry().center()));
}

TEST_F(FreqDialogTest, EmptiedEditStaysOnItsCellAndEscapeRestoresItsOwnValue) {
    for (const int nKey : {Qt::Key_Return, Qt::Key_Tab}) {
        BeginEdit(4, 1);
        TypeOver("");
        Key(Edit(), nKey, nKey == Qt::Key_Tab ? "\t" : "\r");
        EXPECT_EQ(Grid().GetRow(), 4);
        EXPECT_EQ(Grid().GetCol(), 1);
        Grid().SetRow(5); // wherever the current cell has gone by now
        Grid().SetCol(2);
        Key(Edit(), Qt::Key_Escape, "\x1b");
        EXPECT_FALSE(Dlg().IsEditing());
        EXPECT_EQ(Grid().GetTextMatrix(4, 1), Std(4));
        EXPECT_EQ(Grid().GetTextMatrix(5, 2), Std(5));
        EXPECT_EQ(Records(), m_original);
    }
}

TEST_F(FreqDialogTest, TheEditsContextMenuKeepsTheEditOpen) {
    BeginEdit(3, 2);
    TypeOver("462");
    bool bSeenOpen = false;
    // Late enough for the window system to have moved the activation to the menu.
    QTimer::singleShot(100, [&] {
        bSeenOpen = Edit().isVisible() && Dlg().IsEditing();
        if (QWidget* pMenu = QApplication::activePopupWidget())
            pMenu->close();
    });
    QContextMenuEvent menu(QContextMenuEvent::Mouse, Edit().rect().center(),
                           Edit().mapToGlobal(Edit().rect().center()));
    QApplication::sendEvent(&Edit(), &menu);
    EXPECT_TRUE(bSeenOpen);
    EXPECT_TRUE(Dlg().IsEditing());
    EXPECT_EQ(Edit().text(), "462");
    EXPECT_EQ(Records(), m_original);
}

TEST_F(FreqDialogTest, DoubleClickChoosesTheWholeValue) {
    Grid().SetRow(6);
    Grid().SetCol(1);
    const QPoint pt = Grid().viewport()->mapFrom(&Grid(), Grid().CellRect(6, 1).center());
    Click(*Grid().viewport(), pt, Qt::LeftButton); // the click on the current cell opens the edit
    ASSERT_TRUE(Edit().isVisible());
    QTest::mouseDClick(&Edit(), Qt::LeftButton, Qt::NoModifier, Edit().rect().center());
    EXPECT_EQ(Edit().selectedText(), Edit().text());
    Type(Edit(), "463");
    Key(Edit(), Qt::Key_Return, "\r");
    EXPECT_EQ(Table().CellText(6, 1), "463.00000");
}

TEST_F(FreqDialogTest, TypingOnACellStartsItsEditWithThatCharacter) {
    Grid().SetRow(3);
    Grid().SetCol(2);
    Grid().setFocus();
    Key(Grid(), Qt::Key_4, "4");
    ASSERT_TRUE(Dlg().IsEditing());
    EXPECT_EQ(Edit().text(), "4");
    Type(Edit(), "61.4");
    Key(Edit(), Qt::Key_Return, "\r");
    EXPECT_EQ(Table().CellText(3, 2), "461.40000");
    Key(Grid(), Qt::Key_X, "x"); // not a frequency character: nothing opens
    EXPECT_FALSE(Dlg().IsEditing());
}

TEST_F(FreqDialogTest, StatusLineSaysWhatAValueBecame) {
    const struct {
        const char* szTyped;
        const char* szNote;
    } cases[] = {
        {"461.40001", "461.40001 MHz stored as 461.40000 MHz: 12.5 kHz raster"},
        {"480", "480 MHz is above the working range: stored as 470.00000 MHz"},
        {"462.5625", ""},
    };
    for (const auto& c : cases) {
        Dlg().StatusLine()->clear();
        BeginEdit(9, 1);
        TypeOver(c.szTyped);
        Key(Edit(), Qt::Key_Return, "\r");
        EXPECT_EQ(Dlg().StatusLine()->text().toStdString(), c.szNote);
    }
    BeginEdit(9, 2);
    Key(Edit(), Qt::Key_Q, "q");
    EXPECT_EQ(Dlg().StatusLine()->text(),
              "A frequency takes the digits 0-9 and the decimal point only");
    QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(Dlg().StatusLine());
    ASSERT_NE(pAccessible, nullptr);
    EXPECT_EQ(pAccessible->text(QAccessible::Name), Dlg().StatusLine()->text());
}

TEST_F(FreqDialogTest, CommittedCellsAndPastesUndoOneByOne) {
    BeginEdit(2, 1);
    TypeOver("465");
    Key(Edit(), Qt::Key_Return, "\r");
    const std::vector<std::uint8_t> afterCell = Records();
    QApplication::clipboard()->setText("Freq Num\tRx Freq\tTx Freq\n10\t466\t467\n11\t468\t469\n");
    Grid().SetRow(4);
    ASSERT_TRUE(Dlg().OnPaste());
    EXPECT_EQ(Table().RowTexts(5), (std::vector<std::string>{"5", "468.00000", "469.00000"}));
    EXPECT_EQ(Dlg().UndoStack()->undoText(), "Paste Rows 4-5");
    Grid().setFocus();
    Key(Grid(), Qt::Key_Z, "\x1a", Qt::ControlModifier);
    EXPECT_EQ(Records(), afterCell);
    EXPECT_EQ(Grid().GetTextMatrix(4, 1), Std(4));
    Key(Grid(), Qt::Key_Z, "\x1a", Qt::ControlModifier);
    EXPECT_EQ(Records(), m_original);
    Key(Grid(), Qt::Key_Y, "\x19", Qt::ControlModifier);
    EXPECT_EQ(Records(), afterCell);

    // Rows 1 and 2 chosen and copied, with the header line.
    Grid().ChooseRow(1, Qt::NoModifier);
    Grid().ChooseRow(2, Qt::ShiftModifier);
    Grid().ChooseRow(7, Qt::ControlModifier);
    Grid().ChooseRow(7, Qt::ControlModifier); // and out again
    Dlg().OnCopy();
    EXPECT_EQ(QApplication::clipboard()->text(),
              "Freq Num\tRx Freq\tTx Freq\n1\t" + Std(1) + "\t" + Grid().GetTextMatrix(1, 2) +
                  "\n2\t465.00000\t" + Grid().GetTextMatrix(2, 2) + "\n");
}

TEST_F(FreqDialogTest, GridGrowsWithTheDialog) {
    const int nHeight = Grid().height();
    Dlg().resize(Dlg().width() + 50, Dlg().height() + 400);
    QApplication::processEvents();
    EXPECT_GE(Grid().height(), nHeight + 390);
    EXPECT_LT(Dlg().OkButton()->geometry().top(), Dlg().height());
    EXPECT_GT(Dlg().OkButton()->geometry().top(), Grid().geometry().bottom());
}
