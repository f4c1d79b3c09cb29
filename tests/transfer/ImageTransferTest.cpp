// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-image read and write against the simulated radio over a pseudo-terminal.
#include "transfer/ImageTransfer.h"
#include "TransferFixture.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <utility>

namespace {

using Msg = std::pair<TransferMsg, long>;

// Runs the transfer to its end and returns every message in the order it arrived.
std::vector<Msg> RunAll(CImageTransfer& transfer, bool& bOk, StartResult* pStart = nullptr) {
    std::vector<Msg> msgs;
    bOk = RunTransfer(
        transfer, [&](TransferMsg m, long l) { msgs.emplace_back(m, l); }, pStart);
    return msgs;
}

std::vector<long> ProgressOf(const std::vector<Msg>& msgs, TransferMsg kind) {
    std::vector<long> values;
    for (const auto& [m, l] : msgs)
        if (m == kind)
            values.push_back(l);
    return values;
}

bool InWritePlan(std::size_t a) {
    return std::any_of(
        XtraVariant().writePlan.begin(), XtraVariant().writePlan.end(),
        [a](const CWriteBlock& b) { return a >= b.nAddr && a < b.nAddr + b.nLength; });
}

// ---- read ----

TEST_F(TransferTest, FullReadGivesExactlyTheRadiosMemory) {
    MakeApp(kFactoryLevel); // no version blocks: the frames are the read alone
    CRadioSimOptions o;
    o.image = RandomRadioMemory(1);
    StartRadio(o);
    CImageTransfer transfer(*m_pApp, TransferMode::Read);
    bool bOk = false;
    const auto msgs = RunAll(transfer, bOk);
    ASSERT_TRUE(bOk);
    const auto image = m_pApp->Image();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), o.image.begin(), o.image.end()));

    const auto frames = m_pRadio->Frames();
    ASSERT_EQ(frames.size(), 1u + 256u + 1u);
    EXPECT_EQ(frames.front(), EntryFrame());
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(frames[1 + i], ReadFrame(8 * i, 8)) << i;
    EXPECT_EQ(frames.back(), EndFrame());
    EXPECT_TRUE(m_notes.Texts().empty()); // the receiver shows the done message, not the core
}

TEST_F(TransferTest, ReadReportsProgressAfterEveryBlockThenDone) {
    MakeApp();
    StartRadio();
    CImageTransfer transfer(*m_pApp, TransferMode::Read);
    bool bOk = false;
    const auto msgs = RunAll(transfer, bOk);
    ASSERT_TRUE(bOk);
    const auto progress = ProgressOf(msgs, TransferMsg::Reading);
    ASSERT_EQ(progress.size(), 256u);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(progress[i], (800 * i) / 2040) << i;
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    ASSERT_EQ(msgs.size(), 257u);
    EXPECT_EQ(msgs.back(), Msg(TransferMsg::ReadDone, 0));
    // The version gate read its two blocks before the image.
    const auto frames = m_pRadio->Frames();
    EXPECT_EQ(frames[1], ReadFrame(0x668, 8));
    EXPECT_EQ(frames[2], ReadFrame(0x670, 8));
}

TEST_F(TransferTest, WorkerWaitsUntilEachMessageWasHandled) {
    MakeApp(kFactoryLevel);
    StartRadio();
    CImageTransfer transfer(*m_pApp, TransferMode::Read);
    int nBlock = 0;
    bool bInOrder = true;
    const bool bOk = RunTransfer(transfer, [&](TransferMsg m, long) {
        if (m != TransferMsg::Reading)
            return;
        // While a block's message is being handled the worker sends nothing more: the radio
        // has seen the entry sequence and exactly the reads up to this block.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        bInOrder = bInOrder && m_pRadio->Frames().size() == static_cast<std::size_t>(2 + nBlock);
        ++nBlock;
    });
    EXPECT_TRUE(bOk);
    EXPECT_TRUE(bInOrder);
    EXPECT_EQ(nBlock, 256);
}

TEST_F(TransferTest, FailedReadLeavesTheImageUntouched) {
    MakeApp();
    CRadioSimOptions o;
    o.stopAt = 0x400;
    StartRadio(o);
    std::fill(m_pApp->Image().begin(), m_pApp->Image().end(), std::uint8_t{0x5A});
    CImageTransfer transfer(*m_pApp, TransferMode::Read);
    bool bOk = true;
    const auto msgs = RunAll(transfer, bOk);
    EXPECT_FALSE(bOk);
    const auto progress = ProgressOf(msgs, TransferMsg::Reading);
    ASSERT_EQ(progress.size(), 128u);
    EXPECT_EQ(progress.back(), 49);
    ASSERT_EQ(msgs.back(), Msg(TransferMsg::ReadError, 0x400));
    EXPECT_EQ(CImageTransfer::MessageText(msgs.back().first, msgs.back().second),
              "Read error in address 400");
    for (std::uint8_t b : m_pApp->Image())
        ASSERT_EQ(b, 0x5A);
    const auto frames = m_pRadio->Frames();
    EXPECT_EQ(frames.back(), ReadFrame(0x400, 8)); // no end byte after a failed block
    // The port stays open until the transfer object goes.
    EXPECT_TRUE(transfer.m_comm.IsOpen());
}

TEST_F(TransferTest, NoRadioMeansNoWorker) {
    MakeApp();
    m_pApp->m_strPortDevice = m_dir.File("no-such-device");
    CImageTransfer transfer(*m_pApp, TransferMode::Read);
    bool bOk = true;
    StartResult start = StartResult::Started;
    const auto msgs = RunAll(transfer, bOk, &start);
    EXPECT_FALSE(bOk);
    EXPECT_EQ(start, StartResult::NoRadio);
    EXPECT_TRUE(msgs.empty());
    EXPECT_EQ(m_notes.Texts(),
              std::vector<std::string>{"Connection error. Please check all connections!"});
    EXPECT_EQ(m_pApp->m_nComPort, 0);
}

TEST_F(TransferTest, VersionGateStopsBeforeAnyBlock) {
    MakeApp();
    CRadioSimOptions o;
    o.firmwareVersion = "1.03";
    StartRadio(o);
    CImageTransfer transfer(*m_pApp, TransferMode::Write);
    bool bOk = true;
    StartResult start = StartResult::Started;
    RunAll(transfer, bOk, &start);
    EXPECT_EQ(start, StartResult::VersionRejected);
    EXPECT_FALSE(transfer.m_comm.IsOpen());
    EXPECT_EQ(m_notes.Texts(), std::vector<std::string>{"Please use greater version PC software!"});
    EXPECT_EQ(m_pRadio->Frames().size(), 3u); // entry and the two version blocks
}

// ---- write ----

TEST_F(TransferTest, FullWriteChangesExactlyTheBytesOfThePlan) {
    MakeApp(kFactoryLevel); // program range 400..470 equals the radio's: the check passes
    CRadioSimOptions o;
    o.image = RandomRadioMemory(2);
    StartRadio(o);
    const std::vector<std::uint8_t> program = RandomRadioMemory(3);
    std::copy(program.begin(), program.end(), m_pApp->Image().begin());

    CImageTransfer transfer(*m_pApp, TransferMode::Write);
    bool bOk = false;
    const auto msgs = RunAll(transfer, bOk);
    ASSERT_TRUE(bOk) << ::testing::PrintToString(m_notes.Texts());
    EXPECT_TRUE(m_notes.Texts().empty());

    const auto after = m_pRadio->Memory();
    for (std::size_t a = 0; a < after.size(); ++a)
        ASSERT_EQ(after[a], InWritePlan(a) ? program[a] : o.image[a]) << std::hex << a;
    // The areas a whole-image write never touches.
    for (auto [nFrom, nTo] : {std::pair{0x326, 0x327}, {0x328, 0x347}, {0x668, 0x7FF}})
        for (int a = nFrom; a <= nTo; ++a)
            ASSERT_EQ(after[a], o.image[a]) << std::hex << a;

    const auto progress = ProgressOf(msgs, TransferMsg::Writing);
    ASSERT_EQ(progress.size(), 201u);
    for (std::size_t k = 0; k < progress.size(); ++k)
        ASSERT_EQ(progress[k], static_cast<long>(100 * k / 202)) << k;
    EXPECT_EQ(progress.back(), 99);
    EXPECT_EQ(msgs.back(), Msg(TransferMsg::WriteDone, 0));

    // Entry, the 6-byte range pre-read, 201 writes in address order with their lengths, end.
    const auto frames = m_pRadio->Frames();
    ASSERT_EQ(frames.size(), 1u + 1u + 201u + 1u);
    EXPECT_EQ(frames[1], ReadFrame(0x348, 6));
    for (std::size_t k = 0; k < 201; ++k) {
        const CWriteBlock& b = XtraVariant().writePlan[k];
        const auto& f = frames[2 + k];
        ASSERT_EQ(f.size(), 4u + b.nLength);
        ASSERT_EQ(f[0], 0x57);
        ASSERT_EQ((f[1] << 8) | f[2], b.nAddr);
        ASSERT_EQ(f[3], b.nLength);
    }
    EXPECT_EQ(frames[2 + 100],
              Bytes({0x57, 0x03, 0x20, 6, program[0x320], program[0x321], program[0x322],
                     program[0x323], program[0x324], program[0x325]}));
    EXPECT_EQ(frames.back(), EndFrame());
}

TEST_F(TransferTest, WriteFailingAtTheShortBlockSendsNoEndByte) {
    MakeApp();
    CRadioSimOptions o;
    o.wrongAckAt = 0x320;
    StartRadio(o);
    CImageTransfer transfer(*m_pApp, TransferMode::Write);
    bool bOk = true;
    const auto msgs = RunAll(transfer, bOk);
    EXPECT_FALSE(bOk);
    ASSERT_EQ(msgs.back(), Msg(TransferMsg::WriteError, 0x320));
    EXPECT_EQ(CImageTransfer::MessageText(msgs.back().first, msgs.back().second),
              "Write error in address 320");
    EXPECT_EQ(ProgressOf(msgs, TransferMsg::Writing).size(), 100u);
    const auto frames = m_pRadio->Frames();
    EXPECT_EQ(frames.back()[0], 0x57);
    EXPECT_EQ((frames.back()[1] << 8) | frames.back()[2], 0x320);
    EXPECT_TRUE(
        std::none_of(frames.begin(), frames.end(), [](const auto& f) { return f == EndFrame(); }));
}

// ---- range pre-check ----

class RangeCheckTest : public TransferTest {
protected:
    // Runs a write with the given program limits against a radio of 400..470 MHz.
    StartResult WriteWithRange(const char* pszMin, const char* pszMax, CRadioSimOptions o = {}) {
        MakeApp(0, pszMin, pszMax);
        o.image = RandomRadioMemory(4);
        StartRadio(o);
        m_before = o.image;
        CImageTransfer transfer(*m_pApp, TransferMode::Write);
        bool bOk = false;
        StartResult start = StartResult::Started;
        m_msgs = RunAll(transfer, bOk, &start);
        m_bPortOpenAfter = transfer.m_comm.IsOpen();
        return start;
    }
    bool NothingWritten() const {
        const auto frames = m_pRadio->Frames();
        return m_pRadio->Memory() == m_before &&
               std::none_of(frames.begin(), frames.end(),
                            [](const auto& f) { return f[0] == 0x57; });
    }

    std::vector<std::uint8_t> m_before;
    std::vector<Msg> m_msgs;
    bool m_bPortOpenAfter = true;
};

TEST_F(RangeCheckTest, EqualLimitsPass) {
    EXPECT_EQ(WriteWithRange("400", "470"), StartResult::Started);
    EXPECT_EQ(m_msgs.back().first, TransferMsg::WriteDone);
}

TEST_F(RangeCheckTest, ANarrowerProgramRangePasses) {
    EXPECT_EQ(WriteWithRange("430", "440"), StartResult::Started);
}

TEST_F(RangeCheckTest, LowLimitOneStepBelowTheRadiosFails) {
    EXPECT_EQ(WriteWithRange("399.99375", "470"), StartResult::RangeMismatch);
    EXPECT_EQ(m_notes.Texts(), std::vector<std::string>{"Frequency range isn't match."});
    EXPECT_TRUE(m_msgs.empty());
    EXPECT_FALSE(m_bPortOpenAfter);
    EXPECT_TRUE(NothingWritten());
}

TEST_F(RangeCheckTest, HighLimitOneStepAboveTheRadiosFails) {
    EXPECT_EQ(WriteWithRange("400", "470.00625"), StartResult::RangeMismatch);
    EXPECT_EQ(m_notes.Texts(), std::vector<std::string>{"Frequency range isn't match."});
    EXPECT_TRUE(NothingWritten());
}

TEST_F(RangeCheckTest, FailedPreReadCountsAsRangeZero) {
    CRadioSimOptions o;
    o.stopAt = 0x348;
    EXPECT_EQ(WriteWithRange("400", "470", o), StartResult::RangeMismatch);
    EXPECT_EQ(m_notes.Texts(), std::vector<std::string>{"Frequency range isn't match."});
    EXPECT_TRUE(NothingWritten());
}

TEST_F(RangeCheckTest, ProgramWithoutLimitsPassesAFailedPreRead) {
    // 0..0 against the 0..0 of a failed read: equal limits pass.
    CRadioSimOptions o;
    o.stopAt = 0x348;
    EXPECT_EQ(WriteWithRange("0", "0", o), StartResult::Started);
    EXPECT_EQ(m_msgs.back(), Msg(TransferMsg::WriteError, 0x348));
}

// ---- stop requests (Ctrl-C, the end of the session) ----

// A stop requested while block k's message is handled ends the transfer before block k + 1:
// the end-of-transfer byte is sent, the final message names the first block not transferred,
// a read leaves the image as it was, a write leaves the radio's later blocks as they were.
TEST_F(TransferTest, StopRequestEndsAtTheNextBlockBoundary) {
    for (const TransferMode mode : {TransferMode::Read, TransferMode::Write}) {
        SCOPED_TRACE(mode == TransferMode::Read ? "read" : "write");
        MakeApp(kFactoryLevel);
        CRadioSimOptions o;
        o.image = RandomRadioMemory(61);
        StartRadio(o);
        const auto file = RandomRadioMemory(62);
        std::copy(file.begin(), file.end(), m_pApp->Image().begin());
        CImageTransfer transfer(*m_pApp, mode);
        int nBlocks = 0;
        std::vector<Msg> finals;
        const bool bOk = RunTransfer(transfer, [&](TransferMsg m, long l) {
            if (!IsFinalMessage(m) && ++nBlocks == 10)
                transfer.RequestStop();
            if (IsFinalMessage(m))
                finals.emplace_back(m, l);
        });
        EXPECT_FALSE(bOk);
        EXPECT_EQ(nBlocks, 10);
        const TransferMsg expected =
            mode == TransferMode::Read ? TransferMsg::ReadStopped : TransferMsg::WriteStopped;
        EXPECT_EQ(finals, std::vector<Msg>{Msg(expected, 0x50)}); // blocks 0x00..0x48 done
        EXPECT_EQ(m_pRadio->Frames().back(), EndFrame());
        const auto image = m_pApp->Image();
        EXPECT_TRUE(std::equal(image.begin(), image.end(), file.begin())); // image untouched
        const auto radio = m_pRadio->Memory();
        const std::size_t nSplit = mode == TransferMode::Write ? 0x50 : 0;
        EXPECT_TRUE(std::equal(radio.begin(), radio.begin() + nSplit, file.begin()));
        EXPECT_TRUE(std::equal(radio.begin() + nSplit, radio.end(), o.image.begin() + nSplit));
        m_pRadio.reset();
    }
}

// The read-back of a verified write reports its own progress, one step a written block, and
// ends with the first byte that differs, a block it could not read back, or the write's
// success. The write is complete in every case, so the radio always gets the end byte.
TEST_F(TransferTest, VerifyReportsItsOwnProgressAndEndsEveryOutcomeWithTheEndByte) {
    const std::size_t nBlocks = XtraVariant().writePlan.size();
    const auto nFailedBlock = static_cast<std::size_t>(
        std::find_if(XtraVariant().writePlan.begin(), XtraVariant().writePlan.end(),
                     [](const CWriteBlock& b) { return b.nAddr == 0x100; }) -
        XtraVariant().writePlan.begin());
    struct {
        std::optional<std::uint16_t> wrongByteAt;
        std::optional<std::uint16_t> shortReplyAt; // reads only: the write succeeds
        Msg last;
        std::size_t nVerified; // progress steps of the read-back
        bool bVerified;
    } const cases[] = {
        {{}, {}, Msg(TransferMsg::WriteDone, 0), nBlocks, true},
        {0x321, {}, Msg(TransferMsg::VerifyError, 0x321), nBlocks, false},
        {{}, 0x100, Msg(TransferMsg::VerifyReadError, 0x100), nFailedBlock, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.last.first == TransferMsg::WriteDone ? "clean" : "fault");
        MakeApp(kFactoryLevel);
        CRadioSimOptions o;
        o.wrongByteAt = c.wrongByteAt;
        o.shortReplyAt = c.shortReplyAt;
        StartRadio(o);
        CImageTransfer transfer(*m_pApp, TransferMode::Write);
        transfer.m_bVerify = true;
        bool bOk = false;
        const auto msgs = RunAll(transfer, bOk);
        EXPECT_EQ(bOk, c.bVerified);
        EXPECT_EQ(transfer.m_bVerified, c.bVerified);
        const auto verified = ProgressOf(msgs, TransferMsg::Verifying);
        ASSERT_EQ(verified.size(), c.nVerified);
        EXPECT_EQ(verified.front(), static_cast<long>(100 / nBlocks));
        if (c.nVerified == nBlocks) {
            EXPECT_EQ(verified.back(), 100);
        }
        EXPECT_TRUE(ProgressOf(msgs, TransferMsg::Reading).empty());
        EXPECT_EQ(msgs.back(), c.last);
        EXPECT_EQ(transfer.m_mismatches.size(), c.wrongByteAt ? 1u : 0u);
        transfer.Join();
        EXPECT_EQ(m_pRadio->Frames().back(), EndFrame());
        m_pRadio.reset();
    }
}

TEST(TransferStopTexts, SayWhatTheRadioHolds) {
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::WriteStopped, 0x2D8),
              "Write interrupted at address 2D8: the radio holds a partly written configuration; "
              "write the file again.");
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::WriteStopped, -1),
              "Write interrupted before the first block: the radio is unchanged.");
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::ReadStopped, 0x198),
              "Read interrupted at address 198: nothing was saved; the radio is unchanged.");
    EXPECT_TRUE(IsFinalMessage(TransferMsg::ReadStopped));
    EXPECT_FALSE(IsSuccessMessage(TransferMsg::WriteStopped));
}

} // namespace
