// SPDX-License-Identifier: GPL-3.0-or-later
// An application object with its own settings file and a simulated radio on a
// pseudo-terminal, for the end-to-end tests of the transfers.
#pragma once

#include "SimRadio.h"
#include "TempDir.h"
#include "app/WR7310App.h"
#include "base/Notifier.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

class TransferTest : public ::testing::Test {
protected:
    // Settings with the radio's own range (400..470 MHz) and the given user level.
    void MakeApp(int nLevel = 0, const char* pszMin = "400", const char* pszMax = "470") {
        WriteTextFile(m_strIni, std::string("[FreqRange]\nMinFreq=") + pszMin +
                                    "\nMaxFreq=" + pszMax +
                                    "\n[User Mode]\nLevel=" + std::to_string(nLevel) + "\n");
        m_pApp = std::make_unique<CWR7310App>(XtraVariant(), m_strIni);
        m_pApp->SetNotifier(&m_notes);
    }

    // Starts the radio (no pacing) and points the application at it.
    void StartRadio(CRadioSimOptions options = {}) {
        options.nBaudRate = 0;
        m_pRadio = std::make_unique<CSimRadio>(options);
        if (m_pApp)
            m_pApp->m_strPortDevice = m_pRadio->DevicePath();
    }

    // A memory that passes the version gate, with every other byte from the seed: no two
    // blocks alike, so a block read from or written to the wrong address shows.
    static std::vector<std::uint8_t> RandomRadioMemory(unsigned nSeed) {
        std::vector<std::uint8_t> m = CRadioSim::BuiltInImage(XtraVariant());
        std::mt19937 gen(nSeed);
        const CVariant& v = XtraVariant();
        for (std::size_t a = 0; a < m.size(); ++a)
            if (!v.rangeBytes.Contains(a) && !v.firmwareVersion.Contains(a))
                m[a] = static_cast<std::uint8_t>(gen());
        return m;
    }

    static std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) {
        std::vector<std::uint8_t> v;
        for (int b : list)
            v.push_back(static_cast<std::uint8_t>(b));
        return v;
    }
    static std::vector<std::uint8_t> ReadFrame(int nAddr, int nLength) {
        return Bytes({0x52, nAddr >> 8, nAddr & 0xFF, nLength});
    }
    static std::vector<std::uint8_t> EntryFrame() { return Bytes({0x5A, 0xC3, 0x17, 0x8E}); }
    static std::vector<std::uint8_t> EndFrame() { return Bytes({0x99}); }

    CTempDir m_dir;
    std::string m_strIni = m_dir.File("WR7310SXtra.ini");
    CRecordingNotifier m_notes;
    std::unique_ptr<CWR7310App> m_pApp;
    std::unique_ptr<CSimRadio> m_pRadio;
};
