// SPDX-License-Identifier: GPL-3.0-or-later
// Read and Write through the transfer dialog against the simulated radio, and the COM port
// dialog's probe.
#include "GuiTestSupport.h"

#include "SimRadio.h"
#include "app/WR7310Doc.h"
#include "base/Messages.h"
#include "desktop/CommandIds.h"
#include "desktop/MainFrame.h"
#include "image/ImageFields.h"
#include "service/ComPortDlg.h"
#include "service/ContextHelp.h"
#include "service/HelpLauncher.h"
#include "transfer/CommDlg.h"
#include "view/WR7310View.h"
#include "view/WheelComboBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

using namespace feature;

namespace {

CRadioSimOptions FastRadio() {
    CRadioSimOptions options;
    options.nBaudRate = 0;
    return options;
}

// The radio answers on COM5 only; COM1..COM4 name devices that do not exist.
std::string IniWithRadioOn5(const std::string& strDevice) {
    return "[FreqRange]\nMinFreq=400\nMaxFreq=470\n[COM PORT]\nComPort=1\nDevice1=/nonexistent/a\n"
           "Device2=/nonexistent/b\nDevice3=/nonexistent/c\nDevice4=/nonexistent/d\nDevice5=" +
           strDevice + "\n";
}

void Press(QDialog& dlg, Qt::Key key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &event);
}

bool SameValues(const CFeatureValues& a, const CFeatureValues& b) {
    return a.checks == b.checks && a.indexes == b.indexes;
}

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_frame.NewDocument()); }
    bool Read() {
        auto pDriver = DriveTransferDialog();
        return m_frame.View().OnProgramRead();
    }
    bool Write() {
        auto pDriver = DriveTransferDialog();
        return m_frame.View().OnProgramWrite();
    }

    CSimRadio m_radio{FastRadio()};
    CGuiTestApp m_t{IniWithRadioOn5(m_radio.DevicePath())};
    CMainFrame m_frame{m_t.App()};
};

} // namespace

TEST_F(TransferTest, ReadFillsTheFormCaptionAndPort) {
    const CFeatureValues before = m_frame.View().Values();
    ASSERT_TRUE(Read());
    const std::vector<std::uint8_t> radio = m_radio.Memory();
    const CFeatureValues expected = LoadFeatures(radio, XtraVariant());
    EXPECT_FALSE(SameValues(expected, before)) << "the simulator's radio should differ";
    EXPECT_TRUE(SameValues(m_frame.View().Values(), expected));
    EXPECT_EQ(m_frame.windowTitle(), "Read from Radio");
    EXPECT_EQ(m_frame.Pane(cmd::kPaneComPort)->text(), " COM5 ");
    EXPECT_EQ(m_t.App().m_nComPort, 5);
    EXPECT_EQ(m_frame.Document().m_nComPort, 5);
    EXPECT_TRUE(std::equal(radio.begin(), radio.end(), m_t.App().Image().begin()));
    EXPECT_EQ(m_frame.View().AvailableList()->currentIndex() + 1,
              std::clamp<int>(radio[0x318], 1, 99));
    EXPECT_EQ(m_t.m_notifier.Texts(), std::vector<std::string>{std::string(msg::kReadDone)});
    EXPECT_TRUE(m_frame.Document().IsModified()); // not in any file yet
}

TEST_F(TransferTest, WriteSendsWhatTheFormShows) {
    ASSERT_TRUE(Read());
    CWR7310View& view = m_frame.View();
    // VOX on with level 4, TOT off, keypad lock flipped.
    if (!view.Switch(kMenuEnable)->isChecked())
        view.Switch(kMenuEnable)->click();
    if (!view.Switch(kVox)->isChecked())
        view.Switch(kVox)->click();
    view.List(kCboVox)->setCurrentIndex(4);
    view.List(kCboTot)->setCurrentIndex(0);
    view.Switch(kKeypadLock)->click();
    const bool bKeypad = view.Switch(kKeypadLock)->isChecked();

    ASSERT_TRUE(Write());
    EXPECT_EQ(m_frame.windowTitle(), "Write to Radio");
    const std::vector<std::uint8_t> radio = m_radio.Memory();
    EXPECT_EQ(radio[0x320], 4);
    EXPECT_EQ(radio[0x325], 0);
    EXPECT_EQ(field::GetBit(radio, {0x323, 0}), bKeypad);
    EXPECT_TRUE(field::GetBit(radio, {0x323, 1}));
    EXPECT_FALSE(field::GetBit(radio, {0x324, 7}));
    EXPECT_EQ(m_t.m_notifier.Texts().back(), std::string(msg::kWriteDone));
}

TEST_F(TransferTest, FailedReadLeavesFormAndCaption) {
    const CFeatureValues before = m_frame.View().Values();
    const QString strTitle = m_frame.windowTitle();
    m_t.App().m_strPortDevice = m_t.m_dir.File("no-radio-here");
    EXPECT_FALSE(Read());
    EXPECT_TRUE(SameValues(m_frame.View().Values(), before));
    EXPECT_EQ(m_frame.windowTitle(), strTitle);
    EXPECT_EQ(m_t.m_notifier.Texts(), std::vector<std::string>{std::string(msg::kConnectionError)});
    EXPECT_FALSE(m_frame.Document().IsModified());
}

TEST_F(TransferTest, DialogShowsProgressAndRefusesToCloseWhileBusy) {
    CCommDlg dlg(m_t.App(), TransferMode::Read);
    EXPECT_EQ(dlg.windowTitle(), "Read from Radio");
    EXPECT_EQ(dlg.StartButton()->text(), "OK");
    EXPECT_EQ(dlg.MessageText()->text().toStdString(), msg::kReadPrompt);
    bool bRefused = false;
    int nLastProgress = -1;
    CModalDriver driver([&](QDialog& d) {
        auto* p = qobject_cast<CCommDlg*>(&d);
        if (!p)
            return;
        if (p->StartButton()->isEnabled() && !p->IsTransferring()) {
            p->StartButton()->click();
        } else if (p->IsTransferring()) {
            EXPECT_FALSE(p->CancelButton()->isEnabled());
            p->reject(); // Escape and the close box end up here
            bRefused = p->isVisible();
            nLastProgress = p->ProgressBar()->value();
        }
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(dlg.ProgressBar()->value(), 100);
    EXPECT_TRUE(dlg.MessageText()->text().endsWith("    100%"));
    if (nLastProgress >= 0) { // the transfer may finish before the driver sees it running
        EXPECT_TRUE(bRefused);
    }
}

TEST(ComPortDialog, ProbeDisablesPortsThatCannotBeOpened) {
    CSimRadio radio(FastRadio());
    CTempDir dir;
    const std::string strIni = dir.File("p.ini");
    WriteTextFile(strIni,
                  "[COM PORT]\nDevice1=" + radio.DevicePath() + "\nDevice2=/nonexistent/port\n");
    CComPortDlg dlg(2, strIni);
    EXPECT_EQ(dlg.windowTitle(), "Communication Port");
    EXPECT_TRUE(dlg.PortButton(1)->isEnabled());
    EXPECT_FALSE(dlg.PortButton(2)->isEnabled());
    EXPECT_EQ(dlg.PortIndex(), -1); // the current port is gone: nothing checked
    for (int n = 1; n <= 16; ++n)
        EXPECT_FALSE(dlg.PortButton(n)->isChecked()) << n;
    EXPECT_EQ(dlg.PortButton(16)->text(), "COM16");
    dlg.accept();
    EXPECT_EQ(dlg.PortIndex(), -1);

    CComPortDlg dlg1(1, strIni);
    EXPECT_TRUE(dlg1.PortButton(1)->isChecked());
}

TEST_F(TransferTest, MainWindowShowsTheWaitCursorWhileATransferRuns) {
    m_frame.show();
    auto check = [this](bool bReadOk, auto fnCommand) {
        std::vector<Qt::CursorShape> frameShapes, dialogShapes;
        bool bPressed = false;
        {
            CModalDriver driver([&](QDialog& d) {
                auto* p = qobject_cast<CCommDlg*>(&d);
                if (!p)
                    return;
                frameShapes.push_back(m_frame.cursor().shape());
                dialogShapes.push_back(p->cursor().shape());
                if (!bPressed) {
                    bPressed = true;
                    p->StartButton()->click();
                } else if (!p->IsTransferring()) {
                    p->CancelButton()->click();
                }
            });
            EXPECT_EQ(fnCommand(), bReadOk);
        }
        ASSERT_FALSE(frameShapes.empty());
        for (Qt::CursorShape shape : frameShapes)
            EXPECT_EQ(shape, Qt::WaitCursor);
        // The idle dialog itself does not look busy.
        EXPECT_EQ(dialogShapes.front(), Qt::ArrowCursor);
        EXPECT_EQ(m_frame.cursor().shape(), Qt::ArrowCursor); // restored afterwards
    };
    check(true, [this] { return m_frame.View().OnProgramRead(); });
    check(true, [this] { return m_frame.View().OnProgramWrite(); });
    m_t.App().m_strPortDevice = m_t.m_dir.File("no-radio-here");
    check(false, [this] { return m_frame.View().OnProgramRead(); }); // restored on failure too
    m_frame.hide();
}

TEST(ComPortDialog, KeysF1HelpEnterOkEscapeCancel) {
    CTempDir dir;
    const std::string strIni = dir.File("p.ini");
    WriteTextFile(strIni, "[COM PORT]\nDevice1=/nonexistent/port\n");
    {
        // F1 opens the port topic of the help page beside the program.
        CGuiTestApp t;
        CHelpRecorder help(t);
        CComPortDlg dlg(3, strIni);
        InstallContextHelp(&dlg, t.App(), help::kComPortContext, help::kComPortContext);
        CModalDriver driver([&](QDialog& d) {
            Press(d, Qt::Key_F1);
            EXPECT_TRUE(d.isVisible()); // help leaves the dialog open
            Press(d, Qt::Key_Escape);
        });
        EXPECT_EQ(dlg.exec(), QDialog::Rejected);
        ASSERT_EQ(help.urls.size(), 1u);
        EXPECT_EQ(help.urls[0].fragment(), "context-2500");
    }
    {
        CComPortDlg dlg(3, strIni);
        CModalDriver driver([](QDialog& d) {
            auto* p = qobject_cast<CComPortDlg*>(&d);
            p->PortButton(2)->setChecked(true);
            Press(d, Qt::Key_Return); // OK is the default button
        });
        EXPECT_EQ(dlg.exec(), QDialog::Accepted);
        EXPECT_EQ(dlg.PortIndex(), 1);
    }
}

TEST_F(TransferTest, ComPortCommandUpdatesPortAndPane) {
    {
        CModalDriver driver([](QDialog& d) {
            if (auto* p = qobject_cast<CComPortDlg*>(&d)) {
                p->PortButton(5)->click();
                p->accept();
            }
        });
        m_frame.OnComPort();
    }
    EXPECT_EQ(m_frame.Document().m_nComPort, 5);
    EXPECT_EQ(m_t.App().m_nComPort, 5);
    EXPECT_EQ(m_frame.Pane(cmd::kPaneComPort)->text(), " COM5 ");
    {
        CModalDriver driver([](QDialog& d) {
            if (auto* p = qobject_cast<CComPortDlg*>(&d)) {
                p->PortButton(5)->setChecked(false);
                p->reject();
            }
        });
        m_frame.OnComPort();
    }
    EXPECT_EQ(m_frame.Document().m_nComPort, 5); // Cancel changes nothing
}

// --- the older program with its own radio ---

namespace {

CRadioSimOptions FastOlderRadio() {
    CRadioSimOptions options = FastRadio();
    options.pVariant = &OldVariant();
    return options;
}

class OlderProgramTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_frame.NewDocument()); }

    CSimRadio m_radio{FastOlderRadio()};
    CGuiTestApp m_t{"[COM PORT]\nComPort=3\nDevice3=" + m_radio.DevicePath() + "\n", OldVariant()};
    CMainFrame m_frame{m_t.App()};
};

} // namespace

TEST_F(OlderProgramTest, ReadsAndWritesItsOwnRadio) {
    auto pDriver = DriveTransferDialog();
    ASSERT_TRUE(m_frame.View().OnProgramRead());
    pDriver.reset();
    const std::vector<std::uint8_t> radio = m_radio.Memory();
    ASSERT_EQ(radio.size(), 1024u);
    EXPECT_TRUE(SameValues(m_frame.View().Values(), LoadFeatures(radio, OldVariant())));
    EXPECT_EQ(m_frame.View().AvailableList()->currentIndex() + 1, radio[0x100]);
    EXPECT_EQ(m_frame.windowTitle(), "Read from Radio");
    // The radio's own range does not move the older program's band.
    EXPECT_DOUBLE_EQ(m_t.App().m_dMinFreq, 460.0);
    EXPECT_DOUBLE_EQ(m_t.App().m_dMaxFreq, 470.0);

    m_frame.View().Switch(kKeypadLock)->click();
    const bool bKeypad = m_frame.View().Switch(kKeypadLock)->isChecked();
    m_frame.View().List(kCboTot)->setCurrentIndex(1);
    pDriver = DriveTransferDialog();
    ASSERT_TRUE(m_frame.View().OnProgramWrite());
    EXPECT_EQ(m_frame.windowTitle(), "Write to Radio");
    const std::vector<std::uint8_t> after = m_radio.Memory();
    EXPECT_EQ(field::GetBit(after, {0x10B, 0}), bKeypad);
    EXPECT_EQ(after[0x10D], 1);
    EXPECT_EQ(m_t.m_notifier.Texts(), (std::vector<std::string>{std::string(msg::kReadDone),
                                                                std::string(msg::kWriteDone)}));
}

TEST_F(OlderProgramTest, EachProgramRefusesTheOtherModelsFile) {
    CGuiTestApp newer;
    CMainFrame newerFrame(newer.App());
    ASSERT_TRUE(newerFrame.NewDocument());
    const std::string strNewerFile = m_t.m_dir.File("radio.wr73");
    const std::string strOlderFile = m_t.m_dir.File("radio.w73");
    ASSERT_TRUE(newerFrame.Document().OnSaveDocument(strNewerFile));
    ASSERT_TRUE(m_frame.Document().OnSaveDocument(strOlderFile));

    struct {
        CMainFrame* pFrame;
        CGuiTestApp* pApp;
        std::string strFile;
        std::string strMessage;
    } const kCases[] = {
        {&m_frame, &m_t, strNewerFile,
         "it is a radio file of the WR7310SXtra, not of the WR7310S."},
        {&newerFrame, &newer, strOlderFile,
         "it is a radio file of the WR7310S, not of the WR7310SXtra."},
    };
    for (const auto& c : kCases) {
        c.pApp->m_notifier.m_messages.clear();
        EXPECT_FALSE(c.pFrame->OpenDocumentFile(QString::fromStdString(c.strFile)));
        ASSERT_EQ(c.pApp->m_notifier.Texts().size(), 1u) << c.strFile;
        EXPECT_NE(c.pApp->m_notifier.Texts()[0].find(c.strMessage), std::string::npos)
            << c.pApp->m_notifier.Texts()[0];
        EXPECT_NE(c.pFrame->Document().GetPathName(), c.strFile);
    }
}
