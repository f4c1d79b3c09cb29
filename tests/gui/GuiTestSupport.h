// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the desktop tests: one QApplication per test process (offscreen), settings
// and backups kept in a temporary folder, an application object with a recording notifier,
// and a driver for the modal dialogs the commands open.
#pragma once

#include "TempDir.h"
#include "app/WR7310App.h"
#include "base/Notifier.h"

#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCommDlg;
class QDialog;

// Application object of one test, with its own settings file.
class CGuiTestApp {
public:
    // strIni: the settings file's text.
    explicit CGuiTestApp(const std::string& strIni = "[FreqRange]\nMinFreq=400\nMaxFreq=470\n",
                         const CVariant& variant = XtraVariant());
    CTempDir m_dir;
    std::string m_strIniFile;
    CRecordingNotifier m_notifier;
    std::unique_ptr<CWR7310App> m_pApp;
    CWR7310App& App() { return *m_pApp; }
};

// While alive, acts on every modal dialog of type T that is open: fnAct is called once per
// timer tick with the dialog, never opening a box of its own.
class CModalDriver {
public:
    explicit CModalDriver(std::function<void(QDialog&)> fnAct);
    ~CModalDriver();
    CModalDriver(const CModalDriver&) = delete;
    CModalDriver& operator=(const CModalDriver&) = delete;
    int Ticks() const { return m_nSeen; }

private:
    QTimer m_timer;
    std::function<void(QDialog&)> m_fnAct;
    int m_nSeen = 0;
};

// Puts a copy of the bundled help page beside the test application's "program" and records
// the pages F1 asks for instead of opening them, until it goes.
class CHelpRecorder {
public:
    explicit CHelpRecorder(CGuiTestApp& t);
    ~CHelpRecorder();
    CHelpRecorder(const CHelpRecorder&) = delete;
    CHelpRecorder& operator=(const CHelpRecorder&) = delete;

    std::vector<QUrl> urls;
};

// Drives the transfer dialog as a user would: OK first; Cancel when it is idle again (after a
// failure to connect).
std::unique_ptr<CModalDriver> DriveTransferDialog();
