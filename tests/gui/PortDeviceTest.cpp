// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop with --port DEVICE: the status pane names the device, the COM port dialog says
// the command line chose it, and the icons of the transfer's final message boxes.
#include "GuiTestSupport.h"

#include "SimRadio.h"
#include "app/WR7310Doc.h"
#include "base/Messages.h"
#include "desktop/CommandIds.h"
#include "desktop/MainFrame.h"
#include "service/ComPortDlg.h"
#include "view/WR7310View.h"

#include <QLabel>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(PortDevicePane, ShowsTheDeviceInsteadOfACOMNumber) {
    struct Case {
        const char* pszDevice; // --port DEVICE; empty: none
        int nPort;
        const char* pszPane;
        const char* pszToolTip;
    };
    const Case cases[] = {
        {"", 3, " COM3 ", ""},
        {"/dev/ttyUSB0", 3, " ttyUSB0 ", "/dev/ttyUSB0"},
        {"/dev/serial/by-id/usb-FTDI_FT232R-if00-port0", 1,
         " serial/by-id/usb-FTDI_FT232R-if00-port0 ",
         "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"},
        {"/tmp/radio", 0, " /tmp/radio ", "/tmp/radio"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszDevice);
        CGuiTestApp t("[COM PORT]\nComPort=7\n");
        t.App().m_strPortDevice = c.pszDevice;
        CMainFrame frame(t.App());
        ASSERT_TRUE(frame.NewDocument());
        // The form's first update already names the port in use.
        EXPECT_EQ(frame.Pane(cmd::kPaneComPort)->text(),
                  *c.pszDevice ? QString(c.pszPane) : QString(" COM7 "));
        frame.SetPortPane(c.nPort);
        EXPECT_EQ(frame.Pane(cmd::kPaneComPort)->text(), c.pszPane);
        EXPECT_EQ(frame.Pane(cmd::kPaneComPort)->toolTip(), c.pszToolTip);
    }
}

TEST(PortDevicePane, NumLockPaneIsEmptyWhereThePlatformCannotTell) {
    // Offscreen there is no keyboard to ask: the pane keeps its place but shows nothing.
    CGuiTestApp t;
    CMainFrame frame(t.App());
    frame.UpdateKeyIndicators();
    EXPECT_TRUE(frame.Pane(cmd::kPaneNumLock)->text().isEmpty());
    EXPECT_GT(frame.Pane(cmd::kPaneNumLock)->minimumWidth(), 0);
}

TEST(PortDeviceDialog, NoteOnlyWhenTheCommandLineChoseADevice) {
    CTempDir dir;
    const std::string strIni = dir.File("none.ini");
    {
        CComPortDlg dlg(1, strIni);
        EXPECT_TRUE(dlg.CommandLineNote()->isHidden());
    }
    CComPortDlg dlg(1, strIni);
    dlg.SetCommandLineDevice("/dev/ttyUSB7");
    EXPECT_FALSE(dlg.CommandLineNote()->isHidden());
    EXPECT_TRUE(dlg.CommandLineNote()->text().contains("/dev/ttyUSB7"));
    EXPECT_TRUE(dlg.CommandLineNote()->text().contains("command line"));
    EXPECT_EQ(dlg.CommandLineNote()->accessibleName(), dlg.CommandLineNote()->text());
}

// Choosing a COM port in the dialog replaces the command line's device; Cancel keeps it.
TEST(PortDeviceDialog, OkUsesTheChosenPortCancelKeepsTheDevice) {
    CSimRadio radio;
    CGuiTestApp t("[COM PORT]\nComPort=1\nDevice2=" + radio.DevicePath() + "\n");
    t.App().m_strPortDevice = "/dev/ttyUSB9";
    CMainFrame frame(t.App());
    ASSERT_TRUE(frame.NewDocument());
    bool bNoteShown = false;
    {
        CModalDriver driver([&](QDialog& d) {
            if (auto* p = qobject_cast<CComPortDlg*>(&d)) {
                bNoteShown = !p->CommandLineNote()->isHidden();
                p->reject();
            }
        });
        frame.OnComPort();
    }
    EXPECT_TRUE(bNoteShown);
    EXPECT_EQ(t.App().m_strPortDevice, "/dev/ttyUSB9");
    EXPECT_EQ(frame.Pane(cmd::kPaneComPort)->text(), " ttyUSB9 ");
    {
        CModalDriver driver([](QDialog& d) {
            if (auto* p = qobject_cast<CComPortDlg*>(&d)) {
                p->PortButton(2)->click();
                p->accept();
            }
        });
        frame.OnComPort();
    }
    EXPECT_TRUE(t.App().m_strPortDevice.empty());
    EXPECT_EQ(t.App().m_nComPort, 2);
    EXPECT_EQ(frame.Pane(cmd::kPaneComPort)->text(), " COM2 ");
}

TEST(TransferMessageIcons, SuccessIsInformationFailureAWarning) {
    CRadioSimOptions options;
    options.nBaudRate = 0;
    CSimRadio radio(options);
    options.shortReplyAt = 0x100;
    CSimRadio faultyRadio(options);
    CGuiTestApp t("[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
    CMainFrame frame(t.App());
    ASSERT_TRUE(frame.NewDocument());
    struct Step {
        const char* name;
        bool bRead;
        std::string strDevice;
        bool bSuccess;
        std::string strText; // the message's beginning
        MsgIcon icon;
    };
    const Step steps[] = {
        {"read", true, radio.DevicePath(), true, std::string(msg::kReadDone), MsgIcon::Information},
        {"write", false, radio.DevicePath(), true, std::string(msg::kWriteDone),
         MsgIcon::Information},
        {"read error", true, faultyRadio.DevicePath(), false, "Read error in address ",
         MsgIcon::Exclamation},
        {"no radio", true, t.m_dir.File("no-radio-here"), false, std::string(msg::kConnectionError),
         MsgIcon::Exclamation},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        t.App().m_strPortDevice = s.strDevice;
        t.m_notifier.m_messages.clear();
        auto pDriver = DriveTransferDialog();
        EXPECT_EQ(s.bRead ? frame.View().OnProgramRead() : frame.View().OnProgramWrite(),
                  s.bSuccess);
        ASSERT_EQ(t.m_notifier.m_messages.size(), 1u);
        EXPECT_TRUE(t.m_notifier.m_messages[0].strText.starts_with(s.strText))
            << t.m_notifier.m_messages[0].strText;
        EXPECT_EQ(t.m_notifier.m_messages[0].icon, s.icon);
    }
}

} // namespace

namespace {

// A user without a settings file: the desktop reads the installed default and, at exit,
// writes the user's own file with the default's values and the COM port.
TEST(DefaultSettingsAtExit, UserFileMadeFromTheInstalledDefault) {
    CGuiTestApp t;
    const std::string strDefault = t.m_dir.File("default.ini");
    WriteTextFile(strDefault, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n[User Mode]\nLevel=0\n");
    std::filesystem::remove(t.m_strIniFile);
    t.App().m_strDefaultIniFile = strDefault;
    t.App().ReadFreqRange();
    {
        CMainFrame frame(t.App());
        ASSERT_TRUE(frame.NewDocument());
        EXPECT_DOUBLE_EQ(t.App().m_dMinFreq, 400.0);
        EXPECT_DOUBLE_EQ(t.App().m_dMaxFreq, 470.0);
        EXPECT_FALSE(std::filesystem::exists(t.m_strIniFile));
    }
    const std::string strUser = ReadTextFile(t.m_strIniFile);
    for (const char* line : {"MinFreq=400\n", "MaxFreq=470\n", "Level=0\n", "ComPort=1\n"})
        EXPECT_NE(strUser.find(line), std::string::npos) << line << " in:\n" << strUser;
    EXPECT_EQ(ReadTextFile(strDefault).find("ComPort"), std::string::npos);
}

} // namespace
