// SPDX-License-Identifier: GPL-3.0-or-later
// The document's service transfers (embedded information, tune information, tune switch and
// tune frequency) against the simulated radio over a pseudo-terminal.
#include "TransferFixture.h"
#include "app/WR7310Doc.h"
#include "base/Progress.h"

#include <algorithm>

namespace {

// Remembers each message with whether the document's port was still open when it came.
class CPortWatchingNotifier : public INotifier {
public:
    explicit CPortWatchingNotifier(const CRadioComm& comm) : m_comm(comm) {}
    void ShowMessage(std::string_view strText, std::string_view, MsgIcon) override {
        m_texts.emplace_back(strText);
        m_portOpen.push_back(m_comm.IsOpen());
    }
    const CRadioComm& m_comm;
    std::vector<std::string> m_texts;
    std::vector<bool> m_portOpen;
};

class CRecordingProgress : public IProgress {
public:
    void Begin(std::string_view strTitle, int nRange) override {
        m_strTitle = strTitle;
        m_nRange = nRange;
        ++m_nBegun;
    }
    void SetProgress(int nPos) override { m_positions.push_back(nPos); }
    void End() override { ++m_nEnded; }

    std::string m_strTitle;
    int m_nRange = 0;
    int m_nBegun = 0;
    int m_nEnded = 0;
    std::vector<int> m_positions;
};

class ServiceTransferTest : public TransferTest {
protected:
    // Radio memory with byte 0x324 as given; the document and its notifier are set up.
    void Start(CRadioSimOptions o = {}, int nLevel = kFactoryLevel) {
        MakeApp(nLevel);
        if (o.image.empty())
            o.image = RandomRadioMemory(7);
        m_memory = o.image;
        StartRadio(o);
        m_pDoc = std::make_unique<CWR7310Doc>(*m_pApp);
        m_pWatch = std::make_unique<CPortWatchingNotifier>(m_pDoc->m_comm);
        m_pApp->SetNotifier(m_pWatch.get());
    }
    // The frames after the entry sequence (the factory level reads no version blocks).
    std::vector<std::vector<std::uint8_t>> ServiceFrames() const {
        auto frames = m_pRadio->Frames();
        EXPECT_EQ(frames.at(0), EntryFrame());
        frames.erase(frames.begin());
        return frames;
    }
    std::vector<std::uint8_t> Doc(std::uint16_t nAddr, std::size_t n) const {
        const auto d = m_pDoc->Data();
        return {d.begin() + nAddr, d.begin() + nAddr + static_cast<long>(n)};
    }
    std::vector<std::uint8_t> Radio(std::uint16_t nAddr, std::size_t n) const {
        const auto m = m_pRadio->Memory();
        return {m.begin() + nAddr, m.begin() + nAddr + static_cast<long>(n)};
    }
    std::vector<std::uint8_t> Original(std::uint16_t nAddr, std::size_t n) const {
        return {m_memory.begin() + nAddr, m_memory.begin() + nAddr + static_cast<long>(n)};
    }
    static CRadioSimOptions WithSwitchByte(std::uint8_t nValue) {
        CRadioSimOptions o;
        o.image = RandomRadioMemory(8);
        o.image[0x324] = nValue;
        return o;
    }

    std::vector<std::uint8_t> m_memory;
    std::unique_ptr<CWR7310Doc> m_pDoc;
    std::unique_ptr<CPortWatchingNotifier> m_pWatch;
};

// ---- tune switch ----

TEST_F(ServiceTransferTest, TuneSwitchOpenSetsOnlyBit7) {
    Start(WithSwitchByte(0x05));
    EXPECT_EQ(m_pDoc->WriteTuneSwitch(true), 1);
    EXPECT_EQ(ServiceFrames(),
              (std::vector{ReadFrame(0x324, 1), Bytes({0x57, 0x03, 0x24, 1, 0x85}), EndFrame()}));
    EXPECT_EQ(m_pRadio->Memory()[0x324], 0x85);
    EXPECT_EQ(m_pDoc->Data()[0x324], 0); // the document's copy is not changed
    EXPECT_FALSE(m_pDoc->m_comm.IsOpen());
    EXPECT_TRUE(m_pWatch->m_texts.empty());
}

TEST_F(ServiceTransferTest, TuneSwitchCloseClearsOnlyBit7) {
    Start(WithSwitchByte(0x85));
    EXPECT_EQ(m_pDoc->WriteTuneSwitch(false), 1);
    EXPECT_EQ(ServiceFrames()[1], Bytes({0x57, 0x03, 0x24, 1, 0x05}));
    EXPECT_EQ(m_pRadio->Memory()[0x324], 0x05);
}

TEST_F(ServiceTransferTest, TuneSwitchFailureClosesThePortBeforeTheMessage) {
    CRadioSimOptions o = WithSwitchByte(0x05);
    o.wrongAckAt = 0x324;
    Start(o);
    EXPECT_EQ(m_pDoc->WriteTuneSwitch(true), -1);
    EXPECT_EQ(m_pWatch->m_texts, std::vector<std::string>{"Error when writing Tune Switch."});
    EXPECT_EQ(m_pWatch->m_portOpen, std::vector<bool>{false});
    const auto frames = ServiceFrames();
    EXPECT_NE(frames.back(), EndFrame());
    EXPECT_EQ(m_pRadio->Memory()[0x324], 0x05);
}

// ---- tune frequency ----

TEST_F(ServiceTransferTest, TuneFrequencyIsOneFourByteBlockThenTheSwitchIsCleared) {
    Start(WithSwitchByte(0xCF));
    const std::vector<std::uint8_t> tune = {0x50, 0x91, 0x00, 0x02}; // 465.000 MHz
    std::copy(tune.begin(), tune.end(), m_pDoc->Data().begin() + 0x678);
    EXPECT_EQ(m_pDoc->WriteTuneFrequency(), 1);
    EXPECT_EQ(ServiceFrames(),
              (std::vector{Bytes({0x57, 0x06, 0x78, 4, 0x50, 0x91, 0x00, 0x02}),
                           ReadFrame(0x324, 1), Bytes({0x57, 0x03, 0x24, 1, 0x4F}), EndFrame()}));
    EXPECT_EQ(Radio(0x678, 4), tune);
    EXPECT_EQ(Radio(0x67C, 4), Original(0x67C, 4)); // nothing beyond the four bytes
    EXPECT_EQ(m_pRadio->Memory()[0x324], 0x4F);
}

TEST_F(ServiceTransferTest, TuneFrequencyFailureClosesThePortBeforeTheMessage) {
    CRadioSimOptions o;
    o.wrongAckAt = 0x678;
    Start(o);
    EXPECT_EQ(m_pDoc->WriteTuneFrequency(), -1);
    EXPECT_EQ(m_pWatch->m_texts, std::vector<std::string>{"Error when writing tune frequency."});
    EXPECT_EQ(m_pWatch->m_portOpen, std::vector<bool>{false});
    EXPECT_EQ(ServiceFrames().size(), 1u); // the switch is not touched after a failed write
}

TEST_F(ServiceTransferTest, TuneFrequencyWithAFailingSwitchReportsTheSwitch) {
    CRadioSimOptions o;
    o.stopAt = 0x324; // the 1-byte read gets no answer
    Start(o);
    EXPECT_EQ(m_pDoc->WriteTuneFrequency(), -1);
    EXPECT_EQ(m_pWatch->m_texts, std::vector<std::string>{"Error when writing Tune Switch."});
    EXPECT_EQ(m_pWatch->m_portOpen, std::vector<bool>{false});
}

// ---- tune information ----

TEST_F(ServiceTransferTest, TuneInformationReadsEightBlocksIntoTheirFields) {
    Start();
    EXPECT_EQ(m_pDoc->ReadTuneInfo(), 1);
    std::vector<std::vector<std::uint8_t>> expected;
    for (int a : {0x320, 0x328, 0x330, 0x348, 0x660, 0x668, 0x670, 0x678})
        expected.push_back(ReadFrame(a, 8));
    expected.push_back(EndFrame());
    EXPECT_EQ(ServiceFrames(), expected);

    EXPECT_EQ(Doc(0x324, 1), Original(0x324, 1));
    EXPECT_EQ(Doc(0x320, 4), std::vector<std::uint8_t>(4, 0)); // the rest of that block is not
    EXPECT_EQ(Doc(0x325, 3), std::vector<std::uint8_t>(3, 0)); // taken
    EXPECT_EQ(Doc(0x328, 16), Original(0x328, 16));
    EXPECT_EQ(Doc(0x338, 16), std::vector<std::uint8_t>(16, 0)); // the serial is not read
    EXPECT_EQ(Doc(0x348, 6), Original(0x348, 6));
    EXPECT_EQ(Doc(0x34E, 2), std::vector<std::uint8_t>(2, 0));
    EXPECT_EQ(Doc(0x660, 8), std::vector<std::uint8_t>(8, 0));
    EXPECT_EQ(Doc(0x668, 16), Original(0x668, 16));
    EXPECT_EQ(Doc(0x678, 4), Original(0x678, 4));
    EXPECT_EQ(Doc(0x67C, 4), std::vector<std::uint8_t>(4, 0));
}

TEST_F(ServiceTransferTest, TuneInformationFailsWhenOnlyTheUnusedBlockFails) {
    CRadioSimOptions o;
    o.stopAt = 0x660;
    Start(o);
    EXPECT_EQ(m_pDoc->ReadTuneInfo(), -1);
    EXPECT_EQ(m_pWatch->m_texts, std::vector<std::string>{"Error when reading Tune Information."});
    EXPECT_EQ(m_pWatch->m_portOpen, std::vector<bool>{true}); // message first, then close
    EXPECT_FALSE(m_pDoc->m_comm.IsOpen());
    // The fields read before the failure keep their new values; the later ones are untouched.
    EXPECT_EQ(Doc(0x328, 16), Original(0x328, 16));
    EXPECT_EQ(Doc(0x348, 6), Original(0x348, 6));
    EXPECT_EQ(Doc(0x668, 16), std::vector<std::uint8_t>(16, 0));
    EXPECT_EQ(ServiceFrames().back(), ReadFrame(0x660, 8));
}

TEST_F(ServiceTransferTest, VersionGateRunsBelowTheFactoryLevel) {
    Start({}, 0);
    EXPECT_EQ(m_pDoc->ReadTuneInfo(), 1);
    const auto frames = ServiceFrames();
    EXPECT_EQ(frames[0], ReadFrame(0x668, 8));
    EXPECT_EQ(frames[1], ReadFrame(0x670, 8));
    EXPECT_EQ(frames[2], ReadFrame(0x320, 8));
}

TEST_F(ServiceTransferTest, NoRadioFailsEveryServiceTransfer) {
    MakeApp();
    m_pApp->m_strPortDevice = m_dir.File("absent");
    CWR7310Doc doc(*m_pApp);
    CRecordingProgress progress;
    EXPECT_EQ(doc.ReadTuneInfo(), -1);
    EXPECT_EQ(doc.WriteTuneSwitch(true), -1);
    EXPECT_EQ(doc.WriteTuneFrequency(), -1);
    EXPECT_EQ(doc.ReadEmbeddedInfo(progress), -1);
    EXPECT_EQ(doc.WriteEmbeddedInfo(progress), -1);
    EXPECT_EQ(m_notes.Texts(),
              std::vector<std::string>(5, "Connection error. Please check all connections!"));
    EXPECT_EQ(progress.m_nBegun, 0);
}

// ---- embedded information ----

TEST_F(ServiceTransferTest, EmbeddedReadTakesSixteenBlocksAndStopsAt120) {
    Start();
    CRecordingProgress progress;
    EXPECT_EQ(m_pDoc->ReadEmbeddedInfo(progress), 1);
    EXPECT_EQ(Doc(0x780, 128), Original(0x780, 128));
    std::vector<std::vector<std::uint8_t>> expected;
    for (int k = 0; k < 16; ++k)
        expected.push_back(ReadFrame(0x780 + 8 * k, 8));
    expected.push_back(EndFrame());
    EXPECT_EQ(ServiceFrames(), expected);

    EXPECT_EQ(progress.m_strTitle, "Read embedded information ...");
    EXPECT_EQ(progress.m_nRange, 128);
    std::vector<int> positions = {0};
    for (int k = 0; k < 16; ++k)
        positions.push_back(8 * k);
    EXPECT_EQ(progress.m_positions, positions);
    EXPECT_EQ(progress.m_positions.back(), 120);
    EXPECT_EQ(progress.m_nEnded, 1);
}

TEST_F(ServiceTransferTest, EmbeddedWriteSendsTheDocumentsText) {
    Start();
    std::vector<std::uint8_t> text(128, 0);
    const std::string strText = "Fleet 7, call sign KX-12\r\nservice 2024";
    std::copy(strText.begin(), strText.end(), text.begin());
    std::copy(text.begin(), text.end(), m_pDoc->Data().begin() + 0x780);
    CRecordingProgress progress;
    EXPECT_EQ(m_pDoc->WriteEmbeddedInfo(progress), 1);
    EXPECT_EQ(Radio(0x780, 128), text);
    EXPECT_EQ(Radio(0x000, 0x780), Original(0x000, 0x780));
    const auto frames = ServiceFrames();
    ASSERT_EQ(frames.size(), 17u);
    for (int k = 0; k < 16; ++k) {
        ASSERT_EQ(frames[k].size(), 12u);
        EXPECT_EQ((frames[k][1] << 8) | frames[k][2], 0x780 + 8 * k);
    }
    EXPECT_EQ(progress.m_strTitle, "Write embedded information ...");
    EXPECT_EQ(progress.m_positions.back(), 120);
    EXPECT_EQ(progress.m_nEnded, 1);
}

TEST_F(ServiceTransferTest, EmbeddedReadFailureKeepsTheBlocksReadSoFar) {
    CRadioSimOptions o;
    o.stopAt = 0x7C0;
    Start(o);
    CRecordingProgress progress;
    EXPECT_EQ(m_pDoc->ReadEmbeddedInfo(progress), -1);
    EXPECT_EQ(m_pWatch->m_texts,
              std::vector<std::string>{"Error when reading Embedded Information."});
    EXPECT_EQ(m_pWatch->m_portOpen, std::vector<bool>{true});
    EXPECT_FALSE(m_pDoc->m_comm.IsOpen());
    EXPECT_EQ(Doc(0x780, 0x40), Original(0x780, 0x40));
    EXPECT_EQ(Doc(0x7C0, 0x40), std::vector<std::uint8_t>(0x40, 0));
    EXPECT_EQ(progress.m_positions.back(), 56);
    EXPECT_EQ(progress.m_nEnded, 1);
    EXPECT_NE(ServiceFrames().back(), EndFrame());
}

TEST_F(ServiceTransferTest, EmbeddedWriteFailureReportsAndEnds) {
    CRadioSimOptions o;
    o.wrongAckAt = 0x7A0;
    Start(o);
    CRecordingProgress progress;
    EXPECT_EQ(m_pDoc->WriteEmbeddedInfo(progress), -1);
    EXPECT_EQ(m_pWatch->m_texts,
              std::vector<std::string>{"Error when writing Embedded Information."});
    EXPECT_EQ(m_pWatch->m_portOpen, std::vector<bool>{true});
    EXPECT_EQ(progress.m_nEnded, 1);
    EXPECT_EQ(Radio(0x780, 0x20), std::vector<std::uint8_t>(0x20, 0)); // written before
    EXPECT_EQ(Radio(0x7A0, 0x60), Original(0x7A0, 0x60));              // not from here on
}

} // namespace
