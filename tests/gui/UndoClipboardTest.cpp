// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > Undo, Redo, Copy, Paste and Select All through the main window's widgets, the
// channel grid's context menu, tooltips and status words, and the same commands in
// "Frequency Setting".
#include "GuiTestSupport.h"
#include "InputSupport.h"
#include "TempDir.h"

#include "app/WR7310Doc.h"
#include "desktop/CommandIds.h"
#include "desktop/MainFrame.h"
#include "freqedit/MSFlexGrid.h"
#include "freqedit/XUhfSetDlg.h"
#include "image/FreqCodec.h"
#include "image/ImageFields.h"
#include "view/ChannelPanel.h"
#include "view/WR7310View.h"
#include "view/WheelComboBox.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>

#include <gtest/gtest.h>

namespace {

class UndoTest : public ::testing::TestWithParam<const CVariant*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_frame.NewDocument());
        ShowActive(m_frame);
    }
    const CVariant& V() { return *GetParam(); }
    CWR7310View& View() { return m_frame.View(); }
    CWR7310Doc& Doc() { return m_frame.Document(); }
    CMSFlexGrid& Grid() { return *View().ChannelGrid(); }
    QAction& Act(int nId) { return *m_frame.Action(nId); }
    QString Text(int nId) { return Act(nId).text().remove('&'); }
    std::vector<std::uint8_t> DocBytes() { return {Doc().Data().begin(), Doc().Data().end()}; }
    // Chooses an item of a channel cell's list as a user does, and leaves the cell.
    void ChooseInCell(long nRow, long nCol, const QString& strItem) {
        Grid().SetRow(nRow);
        Grid().SetCol(nCol);
        Grid().setFocus();
        Key(Grid(), Qt::Key_Space, " ");
        QComboBox& editor = *View().CellEditor();
        editor.setCurrentIndex(editor.findText(strItem, Qt::MatchExactly));
        Key(editor, Qt::Key_Return, "\r");
    }

    CGuiTestApp m_t{"[FreqRange]\nMinFreq=400\nMaxFreq=470\n", *GetParam()};
    CMainFrame m_frame{m_t.App()};
};

} // namespace

TEST_P(UndoTest, EveryFormEditIsOneStepNamedInTheMenu) {
    const std::vector<std::uint8_t> original = DocBytes();
    const feature::CFeatureValues values = View().Values();
    EXPECT_FALSE(Act(cmd::kEditUndo).isEnabled());

    ChooseInCell(5, 2, "77");
    EXPECT_EQ(Text(cmd::kEditUndo), "Undo Channel 5 Signal");
    const std::vector<std::uint8_t> afterCell = DocBytes();
    View().Switch(feature::kBatterySave)->click();
    EXPECT_EQ(Text(cmd::kEditUndo), "Undo Battery Save");
    QComboBox& tot = *View().List(feature::kCboTot);
    tot.setCurrentIndex(2);
    emit tot.activated(2);
    EXPECT_EQ(Text(cmd::kEditUndo), "Undo TOT");
    View().AvailableList()->setCurrentIndex(2);
    emit View().AvailableList()->activated(2);
    EXPECT_EQ(Text(cmd::kEditUndo), "Undo Available CHs");
    EXPECT_TRUE(m_frame.isWindowModified());
    const std::vector<std::uint8_t> edited = DocBytes();
    const feature::CFeatureValues editedValues = View().Values();

    for (int i = 0; i < 4; ++i)
        Act(cmd::kEditUndo).trigger();
    EXPECT_EQ(DocBytes(), original);
    EXPECT_EQ(View().Values(), values);
    EXPECT_FALSE(Act(cmd::kEditUndo).isEnabled());
    EXPECT_FALSE(m_frame.isWindowModified()); // back at the state of the new document
    EXPECT_EQ(Grid().GetTextMatrix(5, 2),
              QString::fromStdString(channel::CellText(Doc().GetChannel(5), 2)));

    Act(cmd::kEditRedo).trigger();
    EXPECT_EQ(DocBytes(), afterCell);
    EXPECT_EQ(Grid().GetTextMatrix(5, 2), "77");
    for (int i = 0; i < 3; ++i)
        Act(cmd::kEditRedo).trigger();
    EXPECT_EQ(DocBytes(), edited);
    EXPECT_EQ(View().Values(), editedValues);
    EXPECT_TRUE(m_frame.isWindowModified());
}

TEST_P(UndoTest, SavedStateNewAndTheRecordHook) {
    ChooseInCell(2, 3, Doc().GetChannel(2).bScanAdd ? "Del" : "Add");
    ASSERT_TRUE(View().UndoStack()->canUndo());
    CTempDir dir;
    ASSERT_TRUE(
        m_frame.DoSave(QString::fromStdString(dir.File("a" + std::string(V().strFileExt)))));
    EXPECT_FALSE(m_frame.isWindowModified());
    ChooseInCell(2, 1, Doc().GetChannel(2).nFreqNumber == 7 ? "8" : "7");
    EXPECT_EQ(Text(cmd::kEditUndo), "Undo Channel 2 Freq Num");
    EXPECT_TRUE(m_frame.isWindowModified());
    Act(cmd::kEditUndo).trigger();
    EXPECT_FALSE(m_frame.isWindowModified()); // the saved state
    Act(cmd::kEditUndo).trigger();
    EXPECT_TRUE(m_frame.isWindowModified()); // before it

    // A screen that changes the working copy itself names its step.
    const std::vector<std::uint8_t> before = DocBytes();
    Doc().Data()[V().embeddedInfo.nStart] ^= 0x55;
    Doc().RecordEdit("Tune Read All");
    EXPECT_EQ(Text(cmd::kEditUndo), "Undo Tune Read All");
    Act(cmd::kEditUndo).trigger();
    EXPECT_EQ(DocBytes(), before);

    ASSERT_TRUE(m_frame.NewDocument());
    EXPECT_FALSE(View().UndoStack()->canUndo());
    EXPECT_FALSE(View().UndoStack()->canRedo());
    EXPECT_EQ(Text(cmd::kEditUndo), "Undo");
}

TEST_P(UndoTest, MenuToolbarAndShortcuts) {
    EXPECT_EQ(Act(cmd::kEditUndo).shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(Act(cmd::kEditRedo).shortcuts(),
              (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
    for (int nId : {cmd::kEditUndo, cmd::kEditRedo})
        EXPECT_FALSE(Act(nId).icon().isNull());
    QMenu* pEdit = nullptr;
    for (QAction* a : m_frame.menuBar()->actions())
        if (a->text() == "&Edit")
            pEdit = a->menu();
    ASSERT_NE(pEdit, nullptr);
    for (int nId :
         {cmd::kEditUndo, cmd::kEditRedo, cmd::kEditCopy, cmd::kEditPaste, cmd::kEditSelectAll})
        EXPECT_TRUE(pEdit->actions().contains(&Act(nId))) << nId;
}

TEST_P(UndoTest, CopyAndPasteRowsThroughTheGrid) {
    const int nRows = V().channels.table.nCount;
    View().AvailableList()->setCurrentIndex(nRows - 1);
    emit View().AvailableList()->activated(nRows - 1);
    // Rows 2 and 3 chosen on their headers, Shift extending the choice.
    Grid().ChooseRow(2, Qt::NoModifier);
    Grid().ChooseRow(3, Qt::ShiftModifier);
    EXPECT_EQ(Grid().SelectedRows(), (std::vector<long>{2, 3}));
    Act(cmd::kEditCopy).trigger();
    const auto row = [this](int n) {
        return QString::fromStdString(channel::RowTexts(Doc().Data(), V(), n).at(1)) + "\t" +
               Grid().GetTextMatrix(n, 2) + "\t" + Grid().GetTextMatrix(n, 3);
    };
    EXPECT_EQ(QApplication::clipboard()->text(),
              "CH\tFreq Num\tSignal\tScan\nCH 2\t" + row(2) + "\nCH 3\t" + row(3) + "\n");

    // A spreadsheet's rows, without labels, pasted from the current row on.
    const std::vector<std::uint8_t> before = DocBytes();
    QApplication::clipboard()->setText("Freq Num\tSignal\tScan\r\n4\tOFF\tadd\r\n5\t9\tDel\r\n");
    Grid().clearSelection();
    Grid().SetRow(6);
    EXPECT_TRUE(View().OnEditPaste());
    EXPECT_EQ(Grid().GetTextMatrix(6, 3), "Add");
    EXPECT_EQ(Grid().GetTextMatrix(7, 2), "9");
    EXPECT_EQ(Text(cmd::kEditUndo), "Undo Paste Channels 6-7");
    Act(cmd::kEditUndo).trigger();
    EXPECT_EQ(DocBytes(), before);

    // A refused value changes nothing and says where it is.
    QApplication::clipboard()->setText("4\tOFF\tAdd\n5\t200\tDel\n");
    m_t.m_notifier.m_messages.clear();
    EXPECT_FALSE(View().OnEditPaste());
    EXPECT_EQ(DocBytes(), before);
    ASSERT_EQ(m_t.m_notifier.Texts().size(), 1U);
    EXPECT_EQ(m_t.m_notifier.Texts()[0],
              "Cannot paste: CH 7, Signal: \"200\" is not one of the column's values");

    Act(cmd::kEditSelectAll).trigger();
    EXPECT_EQ(Grid().SelectedRows().size(), static_cast<std::size_t>(nRows));
}

TEST_P(UndoTest, ContextMenuTooltipAndStatusBar) {
    const field::CChannelRecord rec = Doc().GetChannel(1);
    const field::CFreqRecord freq = Doc().GetFreqRecord(rec.nFreqNumber);
    const QString strWant = QString("CH 1: Freq Num %1, Rx %2 MHz, Tx %3 MHz")
                                .arg(rec.nFreqNumber)
                                .arg(QString::fromStdString(FormatFrequency(freq.RxMHz())))
                                .arg(QString::fromStdString(FormatFrequency(freq.TxMHz())));
    EXPECT_EQ(Grid().item(0, 1)->toolTip(), strWant);
    Grid().setFocus();
    Grid().SetRow(2);
    Grid().SetRow(1);
    EXPECT_EQ(m_frame.statusBar()->currentMessage(), strWant);
    EXPECT_EQ(Grid().accessibleDescription(), strWant);

    // The context menu last: offscreen, its window takes the activation.
    QMenu* pSeen = nullptr;
    QStringList texts;
    QTimer::singleShot(0, [&] {
        pSeen = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (pSeen) {
            for (QAction* a : pSeen->actions())
                if (!a->isSeparator())
                    texts << a->text();
            pSeen->close();
        }
    });
    emit Grid().customContextMenuRequested(QPoint(10, 10));
    ASSERT_NE(pSeen, nullptr);
    EXPECT_EQ(texts, (QStringList{"&Copy", "&Paste", "Select &All"}));
}

TEST_P(UndoTest, TypingOnACellOpensItsListAtThatCharacter) {
    Grid().SetRow(1);
    Grid().SetCol(3);
    Grid().setFocus();
    Key(Grid(), Qt::Key_D, "d");
    ASSERT_TRUE(View().CellEditor()->isVisible());
    EXPECT_EQ(View().CellEditor()->currentText(), "Del");
}

TEST_P(UndoTest, FrequencySettingOkIsOneStep) {
    const std::vector<std::uint8_t> before = DocBytes();
    bool bDone = false;
    CModalDriver driver([&](QDialog& dlg) {
        auto* pDlg = qobject_cast<CXUhfSetDlg*>(&dlg);
        if (!pDlg || bDone)
            return;
        bDone = true;
        for (long nRow : {1, 2}) {
            pDlg->Grid().SetRow(nRow);
            pDlg->Grid().SetCol(1);
            Key(pDlg->Grid(), Qt::Key_Space, " ");
            pDlg->Edit().setText("465");
            Key(pDlg->Edit(), Qt::Key_Return, "\r");
        }
        pDlg->OkButton()->click();
    });
    ASSERT_TRUE(View().OnFrequencyList());
    EXPECT_NE(DocBytes(), before);
    EXPECT_EQ(Text(cmd::kEditUndo), "Undo Frequency Setting");
    Act(cmd::kEditUndo).trigger();
    EXPECT_EQ(DocBytes(), before);
}

TEST_P(UndoTest, FrequencySettingKeepsTheSizeTheUserGaveIt) {
    QSize seen;
    int nRun = 0;
    CModalDriver driver([&](QDialog& dlg) {
        auto* pDlg = qobject_cast<CXUhfSetDlg*>(&dlg);
        if (!pDlg || pDlg->property("seen").toBool())
            return;
        pDlg->setProperty("seen", true);
        seen = pDlg->size();
        if (nRun++ == 0)
            pDlg->resize(pDlg->width() + 40, pDlg->height() + 300);
        pDlg->CancelButton()->click();
    });
    View().OnFrequencyList();
    const QSize first = seen;
    View().OnFrequencyList();
    EXPECT_EQ(seen, QSize(first.width() + 40, first.height() + 300));
    EXPECT_EQ(m_t.App().GetSettingInt("Frequency Setting", "Height", 0), seen.height());
}

INSTANTIATE_TEST_SUITE_P(BothRadios, UndoTest, ::testing::Values(&XtraVariant(), &OldVariant()),
                         [](const auto& param) {
                             return param.param == &XtraVariant() ? "Newer" : "Older";
                         });
