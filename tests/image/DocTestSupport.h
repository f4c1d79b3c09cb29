// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the document tests: an application with its own settings file and a
// recording notifier, and a view that logs what the document asks of it.
#pragma once

#include "TempDir.h"
#include "app/WR7310App.h"
#include "app/WR7310Doc.h"

#include <functional>
#include <string>
#include <vector>

class CFakeView : public IDocView {
public:
    explicit CFakeView(std::vector<std::string>& log, std::string strName = "view")
        : m_log(log), m_strName(std::move(strName)) {}
    void EndCellEdit() override { m_log.push_back(m_strName + ".EndCellEdit"); }
    void StoreControls() override {
        m_log.push_back(m_strName + ".StoreControls");
        if (m_fnStore)
            m_fnStore();
    }

    std::vector<std::string>& m_log;
    std::string m_strName;
    std::function<void()> m_fnStore; // what storing the controls writes into the document
};

// An application (of the given model) on a settings file in a fresh folder.
struct CDocFixture {
    explicit CDocFixture(const CVariant& v = XtraVariant(), const std::string& strIni = {})
        : ini(dir.File("radio.ini")) {
        if (!strIni.empty())
            WriteTextFile(ini, strIni);
        pApp = std::make_unique<CWR7310App>(v, ini);
        pApp->SetNotifier(&notifier);
        pDoc = std::make_unique<CWR7310Doc>(*pApp);
    }
    std::vector<std::uint8_t> Image() const { return {pApp->Image().begin(), pApp->Image().end()}; }
    std::vector<std::uint8_t> DocData() const { return {pDoc->Data().begin(), pDoc->Data().end()}; }

    CTempDir dir;
    std::string ini;
    CRecordingNotifier notifier;
    std::unique_ptr<CWR7310App> pApp;
    std::unique_ptr<CWR7310Doc> pDoc;
};

inline constexpr const char* kRange400to470 = "[FreqRange]\nMinFreq=400\nMaxFreq=470\n";
