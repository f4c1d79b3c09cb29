// SPDX-License-Identifier: GPL-3.0-or-later
// The older radio (1 KiB memory) end to end: whole-image read and write and the service
// transfers against the simulated older radio over a pseudo-terminal. The expected frames are
// written out from the radio's memory map, not taken from the program's own tables.
#include "SimRadio.h"
#include "TempDir.h"
#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "base/Progress.h"
#include "transfer/ImageTransfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<Bytes>;

Bytes ReadFrame(int nAddr, int nLength) {
    return {0x52, static_cast<std::uint8_t>(nAddr >> 8), static_cast<std::uint8_t>(nAddr & 0xFF),
            static_cast<std::uint8_t>(nLength)};
}

Bytes WriteFrame(int nAddr, const Bytes& memory, int nLength) {
    Bytes frame(static_cast<std::size_t>(4 + nLength));
    frame[0] = 0x57;
    frame[1] = static_cast<std::uint8_t>(nAddr >> 8);
    frame[2] = static_cast<std::uint8_t>(nAddr & 0xFF);
    frame[3] = static_cast<std::uint8_t>(nLength);
    std::copy_n(memory.begin() + nAddr, nLength, frame.begin() + 4);
    return frame;
}

const Bytes kEntry{0x5A, 0xC3, 0x17, 0x8E};
const Bytes kEnd{0x99};

// The bytes a whole-image write of the older radio sends: the channel records, the three
// setting bytes with the four after them, the first six bytes of the setting block and the
// frequency table.
bool WrittenByteOfOlderRadio(int a) {
    return a < 0x080 || (a >= 0x100 && a <= 0x10D) || (a >= 0x140 && a <= 0x2FF);
}

class OlderRadioTest : public ::testing::Test {
protected:
    // An older radio whose memory passes its version gate ("1.01") and is random elsewhere.
    void Start(int nLevel) {
        WriteTextFile(m_strIni, "[User Mode]\nLevel=" + std::to_string(nLevel) + "\n");
        m_pApp = std::make_unique<CWR7310App>(OldVariant(), m_strIni);
        m_pApp->SetNotifier(&m_notes);
        m_memory.assign(0x400, 0);
        std::mt19937 gen(11);
        for (auto& b : m_memory)
            b = static_cast<std::uint8_t>(gen());
        const std::string strVersion = "1.01.08";
        std::fill_n(m_memory.begin() + 0x360, 16, 0);
        std::copy(strVersion.begin(), strVersion.end(), m_memory.begin() + 0x360);
        CRadioSimOptions options;
        options.pVariant = &OldVariant();
        options.nBaudRate = 0;
        options.image = m_memory;
        m_pRadio = std::make_unique<CSimRadio>(options);
        m_pApp->m_strPortDevice = m_pRadio->DevicePath();
    }

    std::vector<long> Run(TransferMode mode, bool& bOk) {
        CImageTransfer transfer(*m_pApp, mode);
        std::vector<long> progress;
        bOk = RunTransfer(transfer, [&](TransferMsg m, long l) {
            if (!IsFinalMessage(m))
                progress.push_back(l);
        });
        return progress;
    }

    CTempDir m_dir;
    std::string m_strIni = m_dir.File("WR7310S.ini");
    CRecordingNotifier m_notes;
    std::unique_ptr<CWR7310App> m_pApp;
    std::unique_ptr<CSimRadio> m_pRadio;
    Bytes m_memory;
};

TEST_F(OlderRadioTest, ReadTakesOneHundredTwentyEightBlocksAfterTheVersionGate) {
    Start(0);
    bool bOk = false;
    const auto progress = Run(TransferMode::Read, bOk);
    ASSERT_TRUE(bOk) << (m_notes.Texts().empty() ? "" : m_notes.Texts()[0]);
    const auto image = m_pApp->Image();
    EXPECT_EQ(Bytes(image.begin(), image.end()), m_memory);

    Frames expected{kEntry, ReadFrame(0x360, 8), ReadFrame(0x368, 8)};
    for (int i = 0; i < 128; ++i)
        expected.push_back(ReadFrame(8 * i, 8));
    expected.push_back(kEnd);
    EXPECT_EQ(m_pRadio->Frames(), expected);

    ASSERT_EQ(progress.size(), 128u);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(progress[static_cast<std::size_t>(i)], 800 * i / 1016) << i;
    EXPECT_EQ(progress.back(), 100);
}

TEST_F(OlderRadioTest, WriteSendsSeventyFourBlocksAndNoByteOfTheSkippedRanges) {
    Start(kFactoryLevel);
    Bytes image(0x400);
    for (std::size_t a = 0; a < image.size(); ++a)
        image[a] = static_cast<std::uint8_t>(~m_memory[a]);
    // A range wider than the radio's own: there is no range check to refuse it.
    const Bytes kWide{0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF};
    std::copy(kWide.begin(), kWide.end(), image.begin() + 0x138);
    std::copy(image.begin(), image.end(), m_pApp->Image().begin());

    bool bOk = false;
    const auto progress = Run(TransferMode::Write, bOk);
    ASSERT_TRUE(bOk);
    EXPECT_TRUE(m_notes.Texts().empty());

    Frames expected{kEntry};
    for (int a = 0; a < 0x080; a += 8)
        expected.push_back(WriteFrame(a, image, 8));
    expected.push_back(WriteFrame(0x100, image, 8));
    expected.push_back(WriteFrame(0x108, image, 6));
    for (int a = 0x140; a < 0x300; a += 8)
        expected.push_back(WriteFrame(a, image, 8));
    expected.push_back(kEnd);
    ASSERT_EQ(expected.size(), 1u + 74u + 1u);
    EXPECT_EQ(m_pRadio->Frames(), expected);

    const Bytes after = m_pRadio->Memory();
    for (int a = 0; a < 0x400; ++a) {
        const auto i = static_cast<std::size_t>(a);
        ASSERT_EQ(after[i], WrittenByteOfOlderRadio(a) ? image[i] : m_memory[i]) << std::hex << a;
    }

    ASSERT_EQ(progress.size(), 74u);
    for (int k = 0; k < 74; ++k)
        ASSERT_EQ(progress[static_cast<std::size_t>(k)], 100 * k / 73) << k;
}

struct CServiceCase {
    const char* pszName;
    std::function<int(CWR7310Doc&)> fnRun;
    // The frames after the entry sequence, given the radio's memory and the document's copy.
    std::function<Frames(const Bytes& radio, const Bytes& doc)> fnFrames;
};

Frames EightByteReads(std::initializer_list<int> addrs) {
    Frames frames;
    for (int a : addrs)
        frames.push_back(ReadFrame(a, 8));
    return frames;
}

Bytes WithBit7(const Bytes& memory, std::size_t nAddr, bool bSet) {
    Bytes b(memory);
    b[nAddr] = static_cast<std::uint8_t>(bSet ? (b[nAddr] | 0x80) : (b[nAddr] & 0x7F));
    return b;
}

const CServiceCase kServiceCases[] = {
    {"TuneInformation", [](CWR7310Doc& d) { return d.ReadTuneInfo(); },
     [](const Bytes&, const Bytes&) {
         return EightByteReads({0x108, 0x110, 0x118, 0x130, 0x138, 0x360, 0x368, 0x370});
     }},
    {"TuneSwitchOpen", [](CWR7310Doc& d) { return d.WriteTuneSwitch(true); },
     [](const Bytes& radio, const Bytes&) {
         return Frames{ReadFrame(0x10C, 1), WriteFrame(0x10C, WithBit7(radio, 0x10C, true), 1)};
     }},
    {"TuneFrequency", [](CWR7310Doc& d) { return d.WriteTuneFrequency(); },
     [](const Bytes& radio, const Bytes& doc) {
         return Frames{WriteFrame(0x370, doc, 4), ReadFrame(0x10C, 1),
                       WriteFrame(0x10C, WithBit7(radio, 0x10C, false), 1)};
     }},
    {"EmbeddedRead",
     [](CWR7310Doc& d) {
         CNullProgress progress;
         return d.ReadEmbeddedInfo(progress);
     },
     [](const Bytes&, const Bytes&) {
         Frames frames;
         for (int a = 0x380; a < 0x400; a += 8)
             frames.push_back(ReadFrame(a, 8));
         return frames;
     }},
    {"EmbeddedWrite",
     [](CWR7310Doc& d) {
         CNullProgress progress;
         return d.WriteEmbeddedInfo(progress);
     },
     [](const Bytes&, const Bytes& doc) {
         Frames frames;
         for (int a = 0x380; a < 0x400; a += 8)
             frames.push_back(WriteFrame(a, doc, 8));
         return frames;
     }},
};

TEST_F(OlderRadioTest, ServiceTransfersUseTheOlderAddresses) {
    for (const CServiceCase& c : kServiceCases) {
        SCOPED_TRACE(c.pszName);
        Start(kFactoryLevel);
        CWR7310Doc doc(*m_pApp);
        for (std::size_t a = 0; a < doc.Data().size(); ++a)
            doc.Data()[a] = static_cast<std::uint8_t>(a * 3 + 1);
        const Bytes before(doc.Data().begin(), doc.Data().end());
        ASSERT_EQ(c.fnRun(doc), 1);
        Frames expected{kEntry};
        for (Bytes& f : c.fnFrames(m_memory, before))
            expected.push_back(std::move(f));
        expected.push_back(kEnd);
        EXPECT_EQ(m_pRadio->Frames(), expected);
        m_pRadio.reset();
    }
}

TEST_F(OlderRadioTest, TuneInformationFillsExactlyItsFieldsOfTheDocument) {
    Start(kFactoryLevel);
    CWR7310Doc doc(*m_pApp);
    std::fill(doc.Data().begin(), doc.Data().end(), 0xEE);
    ASSERT_EQ(doc.ReadTuneInfo(), 1);
    auto taken = [](int a) {
        return a == 0x10C || (a >= 0x110 && a <= 0x11F) || (a >= 0x130 && a <= 0x13D) ||
               (a >= 0x360 && a <= 0x373);
    };
    for (int a = 0; a < 0x400; ++a) {
        const auto i = static_cast<std::size_t>(a);
        ASSERT_EQ(doc.Data()[i], taken(a) ? m_memory[i] : 0xEE) << std::hex << a;
    }
}

TEST_F(OlderRadioTest, VersionGateComparesWithOnePointZeroOne) {
    struct {
        const char* pszVersion;
        bool bPasses;
    } const kCases[] = {{"1.01", true}, {"1.01.08", true}, {"1.02", false}, {"1.00", false}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.pszVersion);
        Start(0);
        m_pRadio.reset();
        CRadioSimOptions options;
        options.pVariant = &OldVariant();
        options.nBaudRate = 0;
        options.firmwareVersion = c.pszVersion;
        m_pRadio = std::make_unique<CSimRadio>(options);
        m_pApp->m_strPortDevice = m_pRadio->DevicePath();
        m_notes.m_messages.clear();
        CWR7310Doc doc(*m_pApp);
        EXPECT_EQ(doc.ReadTuneInfo(), c.bPasses ? 1 : -1);
        EXPECT_EQ(m_notes.Texts().empty(), c.bPasses);
        const Frames frames = m_pRadio->Frames();
        ASSERT_GE(frames.size(), 3u);
        EXPECT_EQ(frames[1], ReadFrame(0x360, 8));
        EXPECT_EQ(frames[2], ReadFrame(0x368, 8));
    }
}

} // namespace
