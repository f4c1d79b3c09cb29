// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuiTestSupport.h"

#include "service/HelpLauncher.h"

#include "transfer/CommDlg.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

// One QApplication for the test process; settings (recent files) and backups go to a
// temporary folder so parallel runs do not meet.
class CQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_pDir = std::make_unique<CTempDir>();
        ::setenv("XDG_CONFIG_HOME", m_pDir->File("config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", m_pDir->File("data").c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        m_pApp = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override {
        m_pApp.reset();
        m_pDir.reset();
    }

private:
    int m_argc = 1;
    char m_name[16] = "gui_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_pApp;
    std::unique_ptr<CTempDir> m_pDir;
};

// GoogleTest takes ownership of registered environments.
[[maybe_unused]] ::testing::Environment* const g_pQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

} // namespace

CGuiTestApp::CGuiTestApp(const std::string& strIni, const CVariant& variant)
    : m_strIniFile(m_dir.File(std::string(variant.strModel) + ".ini")) {
    WriteTextFile(m_strIniFile, strIni);
    m_pApp = std::make_unique<CWR7310App>(variant, m_strIniFile);
    m_pApp->SetNotifier(&m_notifier);
}

CModalDriver::CModalDriver(std::function<void(QDialog&)> fnAct) : m_fnAct(std::move(fnAct)) {
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (auto* pDlg = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++m_nSeen;
            m_fnAct(*pDlg);
        }
    });
    m_timer.start();
}

CModalDriver::~CModalDriver() {
    m_timer.stop();
}

CHelpRecorder::CHelpRecorder(CGuiTestApp& t) {
    t.App().m_strHelpFile = t.m_dir.File("WR7310S.chm");
    std::filesystem::copy_file(WR7310_HELP_PAGE, t.m_dir.File("WR7310S.html"));
    SetHelpOpener([this](const QUrl& url) {
        urls.push_back(url);
        return true;
    });
}

CHelpRecorder::~CHelpRecorder() {
    SetHelpOpener({});
}

std::unique_ptr<CModalDriver> DriveTransferDialog() {
    auto bPressed = std::make_shared<bool>(false);
    return std::make_unique<CModalDriver>([bPressed](QDialog& dlg) {
        auto* pComm = qobject_cast<CCommDlg*>(&dlg);
        if (!pComm)
            return;
        if (!*bPressed) {
            *bPressed = true;
            pComm->StartButton()->click();
        } else if (!pComm->IsTransferring()) {
            pComm->CancelButton()->click();
        }
    });
}
