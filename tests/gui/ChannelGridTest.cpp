// SPDX-License-Identifier: GPL-3.0-or-later
// The channel grid of the form: what it shows, which cells open, what the cell editor stores,
// how edits end, "Frequency List", and an edit saved into a radio file read from the simulated
// radio.
#include "GuiTestSupport.h"
#include "InputSupport.h"
#include "SimRadio.h"

#include "app/WR7310Doc.h"
#include "desktop/MainFrame.h"
#include "freqedit/MSFlexGrid.h"
#include "freqedit/XUhfSetDlg.h"
#include "image/ImageFields.h"
#include "view/ChannelPanel.h"
#include "view/WR7310View.h"
#include "view/WheelComboBox.h"

#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

// Drives the "Frequency List" dialog once: types strFreq into the cell (nRow, nCol), commits it
// with Return, then presses OK (bOk) or Cancel. bDone tells that the dialog was seen.
std::function<void(QDialog&)> EnterFrequency(int nRow, int nCol, QString strFreq, bool bOk,
                                             bool& bDone) {
    return [=, &bDone](QDialog& dlg) {
        auto* pDlg = qobject_cast<CXUhfSetDlg*>(&dlg);
        if (!pDlg || bDone)
            return;
        bDone = true;
        pDlg->Grid().SetRow(nRow);
        pDlg->Grid().SetCol(nCol);
        Key(pDlg->Grid(), Qt::Key_Space, " ");
        pDlg->Edit().setText(strFreq);
        Key(pDlg->Edit(), Qt::Key_Return, "\r");
        (bOk ? pDlg->OkButton() : pDlg->CancelButton())->click();
    };
}

class ChannelGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_frame.NewDocument());
        ShowActive(m_frame);
    }
    CWR7310View& View() { return m_frame.View(); }
    CWR7310Doc& Doc() { return m_frame.Document(); }
    CMSFlexGrid& Grid() { return *View().ChannelGrid(); }
    QComboBox& Editor() { return *View().CellEditor(); }
    const CVariant& V() { return XtraVariant(); }
    // Loads the image with this many channels in use.
    void LoadWithChannels(std::uint8_t nCount) {
        m_t.App().Image()[V().nChannelCount] = nCount;
        View().LoadFromImage();
        Doc().SetModifiedFlag(false);
    }
    void OpenCell(long nRow, long nCol) {
        Grid().SetRow(nRow);
        Grid().SetCol(nCol);
        Grid().setFocus();
        Key(Grid(), Qt::Key_Space, " ");
    }
    void Choose(const QString& strItem) {
        const int nIndex = Editor().findText(strItem, Qt::MatchExactly);
        ASSERT_GE(nIndex, 0) << strItem.toStdString();
        Editor().setCurrentIndex(nIndex);
    }
    std::vector<std::uint8_t> DocBytes() { return {Doc().Data().begin(), Doc().Data().end()}; }
    COLORREF ColourOf(long nRow, long nCol) {
        Grid().SetRow(nRow);
        Grid().SetCol(nCol);
        return Grid().GetCellForeColor();
    }
    COLORREF TextColour() { return RefFromColor(View().palette().color(QPalette::WindowText)); }
    COLORREF GreyColour() {
        return channel::DimmedTextColour(TextColour(),
                                         RefFromColor(Grid().palette().color(QPalette::Base)));
    }

    CGuiTestApp m_t;
    CMainFrame m_frame{m_t.App()};
};

} // namespace

TEST_F(ChannelGridTest, ShowsEveryChannelWithHeaders) {
    field::SetChannel(m_t.App().Image(), V(), 1, {12, 0, true});
    field::SetChannel(m_t.App().Image(), V(), 50, {99, 121, false});
    LoadWithChannels(60);
    EXPECT_EQ(Grid().GetRows(), 100);
    EXPECT_EQ(Grid().GetCols(), 4);
    const char* szHeads[] = {"CH", "Freq Num", "Signal", "Scan"};
    for (long c = 0; c < 4; ++c)
        EXPECT_EQ(Grid().GetTextMatrix(0, c).toStdString(), szHeads[c]);
    struct {
        long nRow;
        const char* szCells[4];
    } const rows[] = {{1, {"CH 1", "12", "OFF", "Add"}}, {50, {"CH 50", "99", "121", "Del"}}};
    for (const auto& r : rows)
        for (long c = 0; c < 4; ++c)
            EXPECT_EQ(Grid().GetTextMatrix(r.nRow, c).toStdString(), r.szCells[c]);
    EXPECT_EQ(Grid().GetTextMatrix(99, 0), "CH 99");
    EXPECT_EQ(Grid().GetRow(), 1);
    EXPECT_EQ(Grid().GetCol(), 1);
}

TEST_F(ChannelGridTest, RowsAboveTheCountAreGreyAndStayClosed) {
    LoadWithChannels(10);
    EXPECT_EQ(ColourOf(10, 2), TextColour());
    EXPECT_EQ(ColourOf(11, 2), GreyColour());
    EXPECT_EQ(ColourOf(99, 3), GreyColour());
    EXPECT_FALSE(Grid().GetTextMatrix(11, 1).isEmpty()); // values still show
    OpenCell(11, 1);
    EXPECT_FALSE(Editor().isVisible());
    const QPoint pt = Grid().viewport()->mapFrom(&Grid(), Grid().CellRect(11, 2).center());
    Click(*Grid().viewport(), pt, Qt::LeftButton);
    EXPECT_FALSE(Editor().isVisible());
    OpenCell(10, 1);
    EXPECT_TRUE(Editor().isVisible());
    EXPECT_EQ(Editor().count(), 99);
}

TEST_F(ChannelGridTest, CommittedItemsStoreTheirValues) {
    LoadWithChannels(99);
    struct {
        long nRow, nCol;
        const char* szItem;
        std::uint8_t nFreq, nSignal;
        bool bScan;
        bool bModified;
    } const cases[] = {
        {3, 2, "OFF", 16, 0, true, false}, // its value already: nothing to save
        {3, 2, "121", 16, 121, true, true},  {3, 1, "57", 57, 121, true, true},
        {3, 3, "Del", 57, 121, false, true}, {3, 3, "Add", 57, 121, true, true},
    };
    for (const auto& c : cases) {
        Doc().SetModifiedFlag(false);
        OpenCell(c.nRow, c.nCol);
        ASSERT_TRUE(Editor().isVisible()) << c.szItem;
        Choose(c.szItem);
        Key(Editor(), Qt::Key_Return, "\r");
        EXPECT_FALSE(Editor().isVisible());
        const field::CChannelRecord rec = Doc().GetChannel(static_cast<int>(c.nRow));
        EXPECT_EQ(rec.nFreqNumber, c.nFreq) << c.szItem;
        EXPECT_EQ(rec.nSignalCode, c.nSignal) << c.szItem;
        EXPECT_EQ(rec.bScanAdd, c.bScan) << c.szItem;
        EXPECT_EQ(Grid().GetTextMatrix(c.nRow, c.nCol).toStdString(), c.szItem);
        EXPECT_EQ(Doc().IsModified(), c.bModified) << c.szItem;
    }
}

TEST_F(ChannelGridTest, EditorStartsOnTheCellsItem) {
    LoadWithChannels(8);
    OpenCell(2, 1); // a new document's channel 2 uses frequency 15
    EXPECT_EQ(Editor().currentText(), Grid().GetTextMatrix(2, 1));
    EXPECT_EQ(Editor().currentText(), "15");
    EXPECT_TRUE(Editor().hasFocus());
    // It lies over the cell.
    const QRect rcCell(Grid().mapTo(&View(), Grid().CellRect(2, 1).topLeft()),
                       Grid().CellRect(2, 1).size());
    EXPECT_TRUE(rcCell.contains(Editor().geometry().center()));
}

TEST_F(ChannelGridTest, TabInTheLastCellCommitsAndStays) {
    LoadWithChannels(99);
    OpenCell(99, 3);
    Choose("Add");
    Key(Editor(), Qt::Key_Tab, "\t");
    EXPECT_FALSE(Editor().isVisible());
    EXPECT_TRUE(Doc().GetChannel(99).bScanAdd);
    EXPECT_EQ(Grid().GetRow(), 99);
    EXPECT_EQ(Grid().GetCol(), 3);
    // Elsewhere Tab and Enter walk on.
    OpenCell(5, 3);
    Key(Editor(), Qt::Key_Enter, "\r");
    EXPECT_EQ(Grid().GetRow(), 6);
    EXPECT_EQ(Grid().GetCol(), 1);
}

TEST_F(ChannelGridTest, EscapeLeavesTheDocumentAsItWas) {
    LoadWithChannels(8);
    const std::vector<std::uint8_t> before = DocBytes();
    const QString strShown = Grid().GetTextMatrix(2, 2);
    OpenCell(2, 2);
    Choose("77");
    Key(Editor(), Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(Editor().isVisible());
    EXPECT_TRUE(Grid().hasFocus());
    EXPECT_EQ(Grid().GetTextMatrix(2, 2), strShown);
    EXPECT_EQ(DocBytes(), before);
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(ChannelGridTest, FocusLossScrollingAndSaveCommitTheOpenEdit) {
    LoadWithChannels(8);
    struct {
        const char* szHow;
        std::function<void()> fnClose;
    } const closers[] = {
        {"click on the form", [this] { Click(View(), QPoint(2, 2), Qt::LeftButton); }},
        {"scroll", [this] { Grid().verticalScrollBar()->setValue(40); }},
        {"CommitViewEdits", [this] { View().CommitViewEdits(); }},
        {"focus elsewhere", [this] { View().FrequencyListButton()->setFocus(); }},
    };
    std::uint8_t nSignal = 30;
    for (const auto& c : closers) {
        Grid().verticalScrollBar()->setValue(0);
        OpenCell(4, 2);
        ASSERT_TRUE(Editor().isVisible()) << c.szHow;
        Choose(QString::number(++nSignal));
        c.fnClose();
        EXPECT_FALSE(Editor().isVisible()) << c.szHow;
        EXPECT_EQ(Doc().GetChannel(4).nSignalCode, nSignal) << c.szHow;
    }
    // Saving with the editor open writes the edited value into the file.
    OpenCell(3, 1);
    Choose("42");
    const std::string strPath = m_t.m_dir.File("edited.wr73");
    ASSERT_TRUE(Doc().OnSaveDocument(strPath));
    const std::vector<std::uint8_t> file = ReadBinaryFile(strPath);
    ASSERT_EQ(file.size(), 2176U);
    EXPECT_EQ(file[128 + 0x000 + 8 * 2 + 1], 42); // channel 3's frequency number
    EXPECT_FALSE(Editor().isVisible());
}

TEST_F(ChannelGridTest, FewerAvailableChannelsGreyTheRest) {
    LoadWithChannels(20);
    View().SelectedList()->setCurrentIndex(14);
    emit View().SelectedList()->activated(14);
    View().AvailableList()->setCurrentIndex(9);
    emit View().AvailableList()->activated(9);
    EXPECT_EQ(View().SelectedList()->currentText(), "10");
    EXPECT_EQ(Doc().Data()[V().nCurrentChannel], 10);
    EXPECT_EQ(Doc().Data()[V().nChannelCount], 10);
    EXPECT_EQ(ColourOf(10, 1), TextColour());
    EXPECT_EQ(ColourOf(11, 1), GreyColour());
    OpenCell(15, 1);
    EXPECT_FALSE(Editor().isVisible());
}

TEST_F(ChannelGridTest, NoChannelsLoadedShowsOneAndSavesOne) {
    LoadWithChannels(0);
    EXPECT_EQ(View().AvailableList()->currentText(), "1");
    EXPECT_EQ(ColourOf(1, 1), TextColour());
    EXPECT_EQ(ColourOf(2, 1), GreyColour());
    OpenCell(2, 1);
    EXPECT_FALSE(Editor().isVisible());
    const std::string strPath = m_t.m_dir.File("one.wr73");
    ASSERT_TRUE(Doc().OnSaveDocument(strPath));
    EXPECT_EQ(ReadBinaryFile(strPath)[128 + 0x318], 1);
}

// "Frequency List": OK copies the dialog's table into the document and marks it modified;
// Cancel changes nothing, even after committed cells.
TEST_F(ChannelGridTest, FrequencyListCopiesTheTableOnOkOnly) {
    ASSERT_TRUE(View().FrequencyListButton()->isEnabled());
    for (const bool bOk : {false, true}) {
        Doc().SetModifiedFlag(false);
        const std::vector<std::uint8_t> before = DocBytes();
        bool bDone = false;
        CModalDriver driver(EnterFrequency(2, 2, "462.5", bOk, bDone));
        EXPECT_EQ(View().OnFrequencyList(), bOk);
        EXPECT_TRUE(bDone);
        EXPECT_EQ(Doc().IsModified(), bOk);
        std::vector<std::uint8_t> want = before;
        if (bOk) {
            // Record 2 at 0x358: transmit count 37000 (0x9088), step code 2, marker set.
            want[0x358 + 3] = 0x88;
            want[0x358 + 4] = 0x90;
            want[0x358 + 5] = 0x00;
            want[0x358 + 6] = static_cast<std::uint8_t>((before[0x358 + 6] & ~0x0C) | 0x08 | 0x10);
        }
        EXPECT_EQ(DocBytes(), want) << (bOk ? "OK" : "Cancel");
    }
}

// The older radio: 8 channel rows, 56 frequency numbers, 56 table rows.
TEST(ChannelGridOldModel, SizesComeFromTheModel) {
    CTempDir dir;
    WriteTextFile(dir.File("WR7310S.ini"), "");
    CWR7310App app(OldVariant(), dir.File("WR7310S.ini"));
    CRecordingNotifier notifier;
    app.SetNotifier(&notifier);
    CMainFrame frame(app);
    ASSERT_TRUE(frame.NewDocument());
    CMSFlexGrid& grid = *frame.View().ChannelGrid();
    EXPECT_EQ(grid.GetRows(), 9);
    EXPECT_EQ(grid.GetTextMatrix(8, 0), "CH 8");
    grid.SetRow(1);
    grid.SetCol(1);
    Key(grid, Qt::Key_Space, " ");
    EXPECT_EQ(frame.View().CellEditor()->count(), 56);
    frame.View().CommitViewEdits();
    const auto table = field::Bytes(frame.Document().Data(), OldVariant().freqTable.Range());
    ASSERT_EQ(table.size(), 448U);
    CXUhfSetDlg dlg(OldVariant(), app.Range(), '.', table);
    EXPECT_EQ(dlg.Grid().GetRows(), 57);
    EXPECT_EQ(dlg.Grid().GetTextMatrix(56, 0), "56");
}

// End to end: read the simulated radio over a pseudo-terminal, edit one channel and one
// frequency through the widgets, save, and find exactly those bytes changed in the file.
TEST(ChannelGridEndToEnd, EditedRadioFileDiffersOnlyInTheEditedBytes) {
    CRadioSimOptions options;
    options.nBaudRate = 0;
    CSimRadio radio(options);
    CGuiTestApp t("[FreqRange]\nMinFreq=400\nMaxFreq=470\n[COM PORT]\nComPort=1\nDevice1=" +
                  radio.DevicePath() + "\n");
    CMainFrame frame(t.App());
    ASSERT_TRUE(frame.NewDocument());
    ShowActive(frame);
    {
        auto pDriver = DriveTransferDialog();
        ASSERT_TRUE(frame.View().OnProgramRead());
    }
    CWR7310Doc& doc = frame.Document();
    const std::string strBefore = t.m_dir.File("before.wr73");
    const std::string strAfter = t.m_dir.File("after.wr73");
    ASSERT_TRUE(doc.OnSaveDocument(strBefore));

    CWR7310View& view = frame.View();
    const int nCount = view.AvailableList()->currentIndex() + 1;
    ASSERT_GE(nCount, 1);
    CMSFlexGrid& grid = *view.ChannelGrid();
    grid.SetRow(1);
    grid.SetCol(2);
    Key(grid, Qt::Key_Space, " ");
    ASSERT_TRUE(view.CellEditor()->isVisible());
    const std::uint8_t nOldSignal = doc.GetChannel(1).nSignalCode;
    const std::uint8_t nNewSignal = nOldSignal == 77 ? 78 : 77;
    view.CellEditor()->setCurrentIndex(
        view.CellEditor()->findText(QString::number(nNewSignal), Qt::MatchExactly));
    Key(*view.CellEditor(), Qt::Key_Return, "\r");

    bool bDone = false;
    // 462.5 MHz is 37000 = 0x9088 steps of 12.5 kHz.
    CModalDriver driver(EnterFrequency(3, 1, "462.5", true, bDone));
    ASSERT_TRUE(view.OnFrequencyList());
    EXPECT_TRUE(frame.isWindowModified());
    ASSERT_TRUE(doc.OnSaveDocument(strAfter));

    const std::vector<std::uint8_t> before = ReadBinaryFile(strBefore);
    std::vector<std::uint8_t> want = before;
    ASSERT_EQ(want.size(), 2176U);
    want[128 + 0x000 + 4] = nNewSignal;           // channel 1's signalling code
    const std::size_t nRec = 128 + 0x350 + 8 * 2; // frequency record 3
    want[nRec + 0] = 0x88;
    want[nRec + 1] = 0x90;
    want[nRec + 2] = 0x00;
    // 462.5 is not frequency 3's standard one: the marker is set.
    want[nRec + 6] = static_cast<std::uint8_t>((before[nRec + 6] & ~0x03) | 0x02 | 0x10);
    EXPECT_EQ(ReadBinaryFile(strAfter), want);
}

// New with a cell still open: the choice counts as a change, so the save prompt comes first.
TEST_F(ChannelGridTest, NewAsksToSaveAnOpenCellEdit) {
    LoadWithChannels(8);
    int nPrompts = 0;
    m_frame.SetSavePrompt([&](const QString&) {
        ++nPrompts;
        return CMainFrame::SaveChoice::Cancel;
    });
    OpenCell(1, 2);
    Choose("9");
    m_frame.OnFileNew();
    EXPECT_EQ(nPrompts, 1);
    EXPECT_FALSE(Editor().isVisible());
    EXPECT_EQ(Doc().GetChannel(1).nSignalCode, 9); // kept: the user cancelled the new document
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(ChannelGridTest, LeavingTheListWithoutChoosingKeepsAValueOutsideIt) {
    const struct {
        long nCol;
        field::CChannelRecord rec;
    } cases[] = {{1, {0, 0, false}}, {1, {150, 0, false}}, {2, {12, 200, true}}};
    for (const auto& c : cases) {
        field::SetChannel(m_t.App().Image(), V(), 3, c.rec);
        LoadWithChannels(8);
        const std::vector<std::uint8_t> before = DocBytes();
        OpenCell(3, c.nCol);
        ASSERT_TRUE(Editor().isVisible());
        EXPECT_EQ(Editor().currentIndex(), -1);
        Click(View(), QPoint(2, 2), Qt::LeftButton); // away from the list: the edit ends
        EXPECT_FALSE(Editor().isVisible());
        EXPECT_EQ(DocBytes(), before) << c.nCol;
        EXPECT_FALSE(Doc().IsModified());
    }
}
