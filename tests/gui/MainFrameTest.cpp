// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: menus by user level, status panes, title, prompts, the save question and
// the recent-file list.
#include "GuiTestSupport.h"

#include "app/WR7310Doc.h"
#include "desktop/CommandIds.h"
#include "desktop/MainFrame.h"
#include "view/WR7310View.h"
#include "view/WheelComboBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> MenuTexts(QMenu* pMenu) {
    std::vector<std::string> texts;
    for (QAction* a : pMenu->actions())
        texts.push_back(a->isSeparator() ? "-" : a->text().toStdString());
    return texts;
}

std::string LevelIni(int nLevel) {
    return "[FreqRange]\nMinFreq=400\nMaxFreq=470\n[User Mode]\nLevel=" + std::to_string(nLevel) +
           "\n";
}

} // namespace

TEST(MainFrameMenu, BasicLevelShowsReadAndWriteOnly) {
    CGuiTestApp t; // no "User Mode" section
    CMainFrame frame(t.App());
    EXPECT_EQ(
        MenuTexts(frame.ProgrammingMenu()),
        (std::vector<std::string>{"&Read\tCtrl+R", "-", "&Write\tCtrl+W", "&Verify after write"}));
}

TEST(MainFrameMenu, TuneLevelKeepsTune) {
    CGuiTestApp t(LevelIni(kTuneLevel));
    CMainFrame frame(t.App());
    EXPECT_EQ(MenuTexts(frame.ProgrammingMenu()),
              (std::vector<std::string>{"&Read\tCtrl+R", "-", "&Write\tCtrl+W",
                                        "&Verify after write", "-", "Tune..."}));
}

TEST(MainFrameMenu, FactoryLevelKeepsEverything) {
    CGuiTestApp t(LevelIni(kFactoryLevel));
    CMainFrame frame(t.App());
    EXPECT_EQ(MenuTexts(frame.ProgrammingMenu()),
              (std::vector<std::string>{"&Read\tCtrl+R", "-", "&Write\tCtrl+W",
                                        "&Verify after write", "-", "EEPROM", "Tune..."}));
}

TEST(MainFrameMenu, AcceleratorsPromptsAndToolTips) {
    CGuiTestApp t;
    CMainFrame frame(t.App());
    const std::pair<int, const char*> kKeys[] = {
        {cmd::kFileNew, "Ctrl+N"},   {cmd::kFileOpen, "Ctrl+O"},    {cmd::kFileSave, "Ctrl+S"},
        {cmd::kFilePrint, "Ctrl+P"}, {cmd::kProgramRead, "Ctrl+R"}, {cmd::kProgramWrite, "Ctrl+W"}};
    for (const auto& [nId, key] : kKeys)
        EXPECT_EQ(frame.Action(nId)->shortcut(), QKeySequence(key)) << nId;
    EXPECT_EQ(frame.Action(cmd::kProgramRead)->statusTip(),
              "Read From Radio visa Communication Port ");
    EXPECT_EQ(frame.Action(cmd::kProgramRead)->toolTip(), "Read");
    EXPECT_EQ(frame.Action(cmd::kComPort)->statusTip(), "Com Port Setting");
    EXPECT_EQ(frame.Action(cmd::kComPort)->toolTip(), "Com Port");
    EXPECT_EQ(frame.Action(cmd::kRadioInfo)->statusTip(), "Sestting Radio Serial");
    EXPECT_EQ(frame.Action(cmd::kAppExit)->statusTip(),
              "Quit the application; prompts to save documents");
    EXPECT_TRUE(frame.Action(cmd::kReadEmbeddedInfo)->statusTip().isEmpty());
}

TEST(MainFrameStatus, PanesAndTitle) {
    CGuiTestApp t("[COM PORT]\nComPort=7\n");
    CMainFrame frame(t.App());
    ASSERT_TRUE(frame.NewDocument());
    EXPECT_EQ(frame.Pane(0)->text(), "WR7310SXtra Programming Software");
    EXPECT_EQ(frame.Pane(cmd::kPaneComPort)->text(), " COM7 ");
    EXPECT_EQ(frame.Pane(cmd::kPaneModel)->text(), "WR7310SXtra");
    EXPECT_EQ(t.App().m_nComPort, 7);
    EXPECT_EQ(frame.Document().m_nComPort, 7);
    EXPECT_EQ(frame.windowTitle(), "RadioFile[*] - WR7310SXtra");
    EXPECT_FALSE(frame.isWindowModified());
    frame.SetPortPane(3);
    EXPECT_EQ(frame.Pane(cmd::kPaneComPort)->text(), " COM3 ");
}

TEST(MainFrameStatus, OpensAt800x600AndShrinksToTheForm) {
    CGuiTestApp t;
    CMainFrame frame(t.App());
    EXPECT_EQ(frame.size(), QSize(800, 600));
    const QRect screen = frame.screen()->geometry();
    EXPECT_EQ(frame.pos(), QPoint(std::max(0, (screen.width() - 800) / 2),
                                  std::max(0, (screen.height() - 600) / 2)));

    ASSERT_TRUE(frame.NewDocument());
    auto* pScroll = qobject_cast<QScrollArea*>(frame.centralWidget());
    ASSERT_NE(pScroll, nullptr);
    const QSize fitted = frame.size();
    // The form is smaller than 800 x 600: the frame now holds it without blank margins.
    EXPECT_LT(fitted.width(), 800);
    EXPECT_LT(fitted.height(), 600);
    frame.show();
    QApplication::processEvents();
    EXPECT_EQ(pScroll->viewport()->size(), frame.View().size());
    frame.hide();

    // Shrinking only: a frame smaller than the form stays as it is.
    frame.resize(400, 300);
    ASSERT_TRUE(frame.NewDocument());
    EXPECT_EQ(frame.size(), QSize(400, 300));
    // A larger one shrinks back to the form.
    frame.resize(1000, 900);
    ASSERT_TRUE(frame.NewDocument());
    EXPECT_EQ(frame.size(), fitted);

    // Centring keeps the fitted size.
    frame.PlaceOnScreen();
    EXPECT_EQ(frame.size(), fitted);
    EXPECT_EQ(frame.pos(), QPoint(std::max(0, (screen.width() - fitted.width()) / 2),
                                  std::max(0, (screen.height() - fitted.height()) / 2)));
}

TEST(MainFrameStatus, AboutBoxShowsTitleVersionAndIcon) {
    CGuiTestApp t;
    CMainFrame frame(t.App());
    // A program icon Qt cannot draw (an SVG without the SVG plugin): the box still shows one.
    const QIcon oldIcon = QApplication::windowIcon();
    QApplication::setWindowIcon(QIcon(QString::fromStdString(t.m_dir.File("icon.svg"))));
    QString strTitle;
    QStringList texts;
    bool bIcon = false;
    bool bCloseIsDefault = false;
    CModalDriver driver([&](QDialog& d) {
        strTitle = d.windowTitle();
        for (QLabel* pLabel : d.findChildren<QLabel*>()) {
            texts << pLabel->text();
            bIcon = bIcon || !pLabel->pixmap().isNull();
        }
        for (QPushButton* pButton : d.findChildren<QPushButton*>())
            if (pButton->text() == "&Close")
                bCloseIsDefault = pButton->isDefault();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&d, &enter); // the default button closes it
    });
    frame.Action(cmd::kAppAbout)->trigger();
    QApplication::setWindowIcon(oldIcon);
    EXPECT_EQ(strTitle, "About WR7310SXtra");
    EXPECT_TRUE(texts.contains("WR7310SXtra Programming Software"));
    EXPECT_TRUE(texts.contains("Version 1.02.03"));
    EXPECT_TRUE(bIcon);
    EXPECT_TRUE(bCloseIsDefault);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(MainFrameStatus, HelpTopicsOpensTheHelpFileByPath) {
    CGuiTestApp t;
    CMainFrame frame(t.App());
    QStringList opened;
    frame.SetHelpViewer([&](const QString& strPath) { opened << strPath; });
    frame.Action(cmd::kHelpFinder)->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].endsWith("/WR7310S.chm")) << opened[0].toStdString();
}

TEST(MainFrameMenu, VerifyAfterWriteIsOffByDefaultAndRememberedInTheSettingsFile) {
    CGuiTestApp t;
    {
        CMainFrame frame(t.App());
        QAction* pVerify = frame.Action(cmd::kVerifyAfterWrite);
        ASSERT_NE(pVerify, nullptr);
        EXPECT_TRUE(pVerify->isCheckable());
        EXPECT_FALSE(pVerify->isChecked());
        pVerify->trigger();
        EXPECT_NE(ReadTextFile(t.m_strIniFile).find("[Programming]\nVerifyAfterWrite=1"),
                  std::string::npos)
            << ReadTextFile(t.m_strIniFile);
    }
    {
        CMainFrame frame(t.App()); // the next start shows it checked
        EXPECT_TRUE(frame.Action(cmd::kVerifyAfterWrite)->isChecked());
        frame.Action(cmd::kVerifyAfterWrite)->trigger();
    }
    EXPECT_NE(ReadTextFile(t.m_strIniFile).find("VerifyAfterWrite=0"), std::string::npos);
}

TEST(MainFrameStatus, PortIsSavedWhenTheFormGoes) {
    CGuiTestApp t("[COM PORT]\nComPort=2\n");
    {
        CMainFrame frame(t.App());
        ASSERT_TRUE(frame.NewDocument());
        frame.Document().m_nComPort = 11;
    }
    EXPECT_NE(ReadTextFile(t.m_strIniFile).find("ComPort=11"), std::string::npos);
}

TEST(MainFrameStatus, FailedStartKeepsTheRememberedPort) {
    // The program was started with a file that cannot be opened: it ends at once, and the
    // port in the settings file must survive that.
    CGuiTestApp t("[COM PORT]\nComPort=9\n");
    const std::string strBad = t.m_dir.File("short.wr73");
    WriteBinaryFile(strBad, std::vector<std::uint8_t>(10, 0));
    {
        CMainFrame frame(t.App());
        ASSERT_FALSE(frame.OpenDocumentFile(QString::fromStdString(strBad)));
    }
    EXPECT_NE(ReadTextFile(t.m_strIniFile).find("ComPort=9"), std::string::npos);
    EXPECT_EQ(ReadTextFile(t.m_strIniFile).find("ComPort=1\n"), std::string::npos);
}

class SavePromptTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_frame.NewDocument());
        m_frame.SetSavePrompt([this](const QString& strQuestion) {
            m_questions.push_back(strQuestion.toStdString());
            return m_answer;
        });
    }
    void Edit() { m_frame.View().Switch(feature::kKeypadLock)->click(); }

    CGuiTestApp m_t;
    CMainFrame m_frame{m_t.App()};
    std::vector<std::string> m_questions;
    CMainFrame::SaveChoice m_answer = CMainFrame::SaveChoice::Discard;
};

TEST_F(SavePromptTest, NoQuestionWithoutAnEdit) {
    m_frame.OnFileNew();
    EXPECT_TRUE(m_frame.close());
    EXPECT_TRUE(m_questions.empty());
}

TEST_F(SavePromptTest, AnEditMarksTheTitleAndIsAskedAbout) {
    Edit();
    EXPECT_TRUE(m_frame.isWindowModified());
    EXPECT_TRUE(m_frame.Document().IsModified());
    m_frame.OnFileNew();
    ASSERT_EQ(m_questions.size(), 1u);
    EXPECT_EQ(m_questions[0], "Save changes to RadioFile?");
    EXPECT_FALSE(m_frame.Document().IsModified()); // discarded: a fresh document
    EXPECT_FALSE(m_frame.isWindowModified());
}

TEST_F(SavePromptTest, ChannelListChangesCountAsEdits) {
    QComboBox* pAvail = m_frame.View().AvailableList();
    pAvail->setCurrentIndex(3);
    emit pAvail->activated(3);
    EXPECT_TRUE(m_frame.Document().IsModified());
}

TEST_F(SavePromptTest, CancelKeepsTheEditedDocument) {
    Edit();
    const bool bChecked = m_frame.View().Switch(feature::kKeypadLock)->isChecked();
    m_answer = CMainFrame::SaveChoice::Cancel;
    m_frame.OnFileNew();
    EXPECT_FALSE(m_frame.close());
    EXPECT_EQ(m_questions.size(), 2u);
    EXPECT_TRUE(m_frame.Document().IsModified());
    EXPECT_EQ(m_frame.View().Switch(feature::kKeypadLock)->isChecked(), bChecked);
}

TEST_F(SavePromptTest, SaveWritesTheEditsBeforeGoingOn) {
    const std::string strPath = m_t.m_dir.File("radio.wr73");
    ASSERT_TRUE(m_frame.DoSave(QString::fromStdString(strPath)));
    EXPECT_EQ(m_frame.windowTitle(), "radio.wr73[*] - WR7310SXtra");
    EXPECT_EQ(m_frame.RecentFiles().value(0).toStdString(), strPath);

    Edit();
    const bool bKeypad = m_frame.View().Switch(feature::kKeypadLock)->isChecked();
    m_answer = CMainFrame::SaveChoice::Save;
    m_frame.OnFileNew();
    ASSERT_EQ(m_questions.size(), 1u);
    EXPECT_EQ(m_questions[0], "Save changes to " + strPath + "?");
    const auto file = ReadBinaryFile(strPath);
    ASSERT_EQ(file.size(), 128u + 0x800u);
    EXPECT_EQ((file[128 + 0x323] & 1) != 0, bKeypad);

    // The saved file opens again and shows the edit.
    ASSERT_TRUE(m_frame.OpenDocumentFile(QString::fromStdString(strPath)));
    EXPECT_EQ(m_frame.View().Switch(feature::kKeypadLock)->isChecked(), bKeypad);
    EXPECT_FALSE(m_frame.Document().IsModified());
}

TEST_F(SavePromptTest, FailedOpenKeepsTheDocumentAndForgetsTheFile) {
    const std::string strPath = m_t.m_dir.File("short.wr73");
    WriteBinaryFile(strPath, std::vector<std::uint8_t>(100, 0));
    Edit();
    EXPECT_FALSE(m_frame.OpenDocumentFile(QString::fromStdString(strPath)));
    EXPECT_EQ(m_t.m_notifier.m_messages.size(), 1u);
    EXPECT_TRUE(m_frame.Document().IsModified());
    EXPECT_EQ(m_frame.windowTitle(), "RadioFile[*] - WR7310SXtra");
}
