// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated radio, driven through the same serial port and protocol code a real cable
// uses.
#include "EndlessFifo.h"
#include "SimRadio.h"
#include "TempDir.h"
#include "app/WR7310App.h"
#include "base/Messages.h"
#include "link/RadioComm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const Bytes kEntry(std::begin(radio::kEntrySequence), std::end(radio::kEntrySequence));

CRadioSimOptions Fast(const CVariant& variant = XtraVariant()) {
    CRadioSimOptions o;
    o.pVariant = &variant;
    o.nBaudRate = 0;
    return o;
}

std::uint16_t U16(std::size_t n) {
    return static_cast<std::uint16_t>(n);
}

// An application with its own settings file, aimed at one simulated radio.
class SimLink : public ::testing::Test {
protected:
    void Start(CRadioSimOptions options) {
        m_pComm.reset();
        m_pApp.reset();
        m_pRadio.reset();
        m_pRadio = std::make_unique<CSimRadio>(std::move(options));
        m_pApp = std::make_unique<CWR7310App>(*m_pVariant, m_dir.File("test.ini"));
        m_pApp->SetNotifier(&m_notes);
        m_pApp->m_strPortDevice = m_pRadio->DevicePath();
        m_pComm = std::make_unique<CRadioComm>(m_pApp.get());
    }
    void StartConnected(CRadioSimOptions options) {
        m_pVariant = options.pVariant;
        Start(std::move(options));
        ASSERT_NE(m_pComm->Connect(), 0);
    }
    Bytes Read(std::uint16_t nAddr, int nLength = radio::kBlockLength) {
        Bytes data(static_cast<std::size_t>(nLength), 0x5A);
        EXPECT_TRUE(m_pComm->ReadBlock(nAddr, nLength, data.data())) << "read at " << nAddr;
        return data;
    }
    // A port opened straight on the device, for bytes no protocol operation sends.
    void OpenRaw(CSerialPort& port, std::uint32_t nDeadlineMs) {
        ASSERT_TRUE(port.Open(m_pRadio->DevicePath()));
        port.SetCommParams(radio::kBaudRate, radio::kDataBits, radio::kParityOdd,
                           radio::kOneStopBit);
        port.SetReadTimeout(nDeadlineMs);
        port.ClearInput();
    }

    CTempDir m_dir;
    const CVariant* m_pVariant = &XtraVariant();
    CRecordingNotifier m_notes;
    std::unique_ptr<CSimRadio> m_pRadio;
    std::unique_ptr<CWR7310App> m_pApp;
    std::unique_ptr<CRadioComm> m_pComm;
};

// --- protocol ---

TEST_F(SimLink, HandshakeIsAnsweredAndRecorded) {
    Start(Fast());
    EXPECT_EQ(m_pComm->Connect(), 1);
    EXPECT_TRUE(m_notes.Texts().empty());
    EXPECT_EQ(m_pRadio->Frames(), std::vector<Bytes>{kEntry});
}

TEST_F(SimLink, BlockReadReturnsMemoryAndWriteStoresIt) {
    StartConnected(Fast());
    const CVariant& v = *m_pVariant;
    const Bytes before = m_pRadio->Memory();
    const std::uint16_t a = v.freqTable.RecordAddr(5);
    EXPECT_EQ(Read(a), Bytes(before.begin() + a, before.begin() + a + 8));

    const Bytes data = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(m_pComm->WriteBlock(a, 8, data.data()));
    EXPECT_EQ(Read(a), data);
    // A short write changes exactly its own bytes.
    const Bytes two = {0xA1, 0xA2};
    ASSERT_TRUE(m_pComm->WriteBlock(U16(a + 3), 2, two.data()));
    EXPECT_EQ(Read(a), (Bytes{1, 2, 3, 0xA1, 0xA2, 6, 7, 8}));

    Bytes expected = before;
    std::copy(data.begin(), data.end(), expected.begin() + a);
    expected[a + 3u] = 0xA1;
    expected[a + 4u] = 0xA2;
    EXPECT_EQ(m_pRadio->Memory(), expected);

    const auto frames = m_pRadio->Frames();
    ASSERT_EQ(frames.size(), 6u);
    const auto hi = static_cast<std::uint8_t>(a >> 8);
    const auto lo = static_cast<std::uint8_t>(a & 0xFF);
    EXPECT_EQ(frames[1], (Bytes{radio::kReadOpcode, hi, lo, 8}));
    Bytes write = {radio::kWriteOpcode, hi, lo, 8};
    write.insert(write.end(), data.begin(), data.end());
    EXPECT_EQ(frames[2], write);
}

TEST_F(SimLink, ReadReplyEchoesTheCommand) {
    StartConnected(Fast());
    const std::uint8_t command[4] = {radio::kReadOpcode, 0x01, 0x23, 3};
    std::uint8_t reply[7] = {};
    ASSERT_TRUE(m_pComm->Exchange(command, 4, reply, 7));
    EXPECT_TRUE(std::equal(command, command + 4, reply));
    const Bytes mem = m_pRadio->Memory();
    EXPECT_TRUE(std::equal(reply + 4, reply + 7, mem.begin() + 0x123));
}

TEST_F(SimLink, BytesBeforeTheEntrySequenceAreIgnored) {
    Start(Fast());
    CSerialPort port;
    OpenRaw(port, 300);
    // Nothing but the entry sequence wakes the radio: not a command, not a partial entry.
    const Bytes noise = {0x00, radio::kReadOpcode, 0x00, 0x00, 0x08, 0x5A, 0xC3, 0x17, 0x8F,
                         0xFF, radio::kAckByte};
    ASSERT_EQ(port.Write(noise.data(), noise.size()), noise.size());
    std::uint8_t reply[16] = {};
    EXPECT_EQ(port.Read(reply, 1), 0u);

    const Bytes tail = {0x5A, 0x5A, 0xC3, 0x17, 0x8E};
    ASSERT_EQ(port.Write(tail.data(), tail.size()), tail.size());
    ASSERT_EQ(port.Read(reply, 1), 1u);
    EXPECT_EQ(reply[0], radio::kAckByte);
    EXPECT_EQ(m_pRadio->Frames(), std::vector<Bytes>{kEntry});
    port.Close();

    // The radio now answers the link as usual.
    CRadioComm comm(m_pApp.get());
    EXPECT_NE(comm.Connect(), 0);
}

TEST_F(SimLink, EntrySplitAcrossWritesIsStillRecognised) {
    Start(Fast());
    CSerialPort port;
    OpenRaw(port, 500);
    const Bytes first = {0x11, 0x5A, 0xC3};
    const Bytes second = {0x17, 0x8E};
    port.Write(first.data(), first.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    port.Write(second.data(), second.size());
    std::uint8_t reply = 0;
    ASSERT_EQ(port.Read(&reply, 1), 1u);
    EXPECT_EQ(reply, radio::kAckByte);
}

TEST_F(SimLink, EndByteLeavesProgrammingModeUntilTheNextEntry) {
    StartConnected(Fast());
    EXPECT_TRUE(m_pComm->EndTransfer());
    std::uint8_t data[8] = {};
    m_pComm->SetReadTimeout(300);
    EXPECT_FALSE(m_pComm->ReadBlock(0, 8, data)) << "a radio out of programming mode is silent";
    EXPECT_TRUE(m_pComm->Handshake());
    EXPECT_TRUE(m_pComm->ReadBlock(0, 8, data));
    const auto frames = m_pRadio->Frames();
    ASSERT_EQ(frames.size(), 4u); // the read while idle was no frame
    EXPECT_EQ(frames[1], Bytes{radio::kAckByte});
    EXPECT_EQ(frames[2], kEntry);
}

TEST_F(SimLink, StrayByteIsDroppedAfterAPause) {
    StartConnected(Fast());
    const std::uint8_t stray = radio::kWriteOpcode; // a write frame that never completes
    m_pComm->Write(&stray, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(Read(0).size(), 8u);
}

TEST_F(SimLink, SurvivesTheClientReopeningManyTimes) {
    Start(Fast());
    for (int i = 0; i < 40; ++i) {
        CRadioComm comm(m_pApp.get());
        ASSERT_NE(comm.Connect(), 0) << "round " << i;
        std::uint8_t data[8] = {};
        ASSERT_TRUE(comm.ReadBlock(0, 8, data)) << "round " << i;
        if (i % 2)
            comm.EndTransfer(); // every other client leaves without ending the transfer
        comm.Close();
    }
    EXPECT_TRUE(m_notes.Texts().empty());
}

TEST_F(SimLink, DoesNotSpinWhileNobodyHasTheDeviceOpen) {
    Start(Fast());
    {
        CRadioComm comm(m_pApp.get());
        ASSERT_NE(comm.Connect(), 0);
    }
    const std::uint64_t nBefore = m_pRadio->Sim().WakeupCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::uint64_t nWakeups = m_pRadio->Sim().WakeupCount() - nBefore;
    EXPECT_LT(nWakeups, 100u) << "the loop polls a hung-up master without waiting";
}

// --- faults ---

TEST_F(SimLink, StopAtAddressSilencesEveryFrameCoveringIt) {
    const std::uint16_t nStop = U16(XtraVariant().freqTable.nBase + 0x13);
    CRadioSimOptions o = Fast();
    o.stopAt = nStop;
    StartConnected(o);
    m_pComm->SetReadTimeout(200);
    Bytes data(8, 0x77);
    const auto block = U16(nStop & ~7u);
    EXPECT_FALSE(m_pComm->ReadBlock(block, 8, data.data()));
    EXPECT_EQ(data, Bytes(8, 0x77)) << "destination untouched";
    EXPECT_FALSE(m_pComm->WriteBlock(block, 8, data.data()));
    EXPECT_FALSE(m_pComm->ReadBlock(U16(nStop - 2), 3, data.data()));
    // Blocks around it still answer.
    EXPECT_TRUE(m_pComm->ReadBlock(U16(block - 8), 8, data.data()));
    EXPECT_TRUE(m_pComm->ReadBlock(U16(block + 8), 8, data.data()));
    EXPECT_TRUE(m_pComm->ReadBlock(block, 3, data.data())) << "ends before the address";
    EXPECT_NE(m_pRadio->Memory()[block], 0x77) << "the unanswered write was not stored";
}

TEST_F(SimLink, WrongAckAtAddressFailsTheWriteAndKeepsMemory) {
    const std::uint16_t nAddr = XtraVariant().channels.table.RecordAddr(3);
    CRadioSimOptions o = Fast();
    o.wrongAckAt = U16(nAddr + 7);
    StartConnected(o);
    const Bytes before = m_pRadio->Memory();
    const Bytes data(8, 0x42);
    EXPECT_FALSE(m_pComm->WriteBlock(nAddr, 8, data.data()));
    EXPECT_EQ(m_pRadio->Memory(), before);
    EXPECT_TRUE(m_pComm->WriteBlock(U16(nAddr + 8), 8, data.data()));
    EXPECT_EQ(Read(nAddr), Bytes(before.begin() + nAddr, before.begin() + nAddr + 8))
        << "reads of the block are answered normally";

    Bytes command = {radio::kWriteOpcode, static_cast<std::uint8_t>(nAddr >> 8),
                     static_cast<std::uint8_t>(nAddr & 0xFF), 8};
    command.insert(command.end(), data.begin(), data.end());
    std::uint8_t reply = 0;
    EXPECT_TRUE(m_pComm->Exchange(command.data(), command.size(), &reply, 1)) << "one byte comes";
    EXPECT_NE(reply, radio::kAckByte);
    EXPECT_TRUE(m_pComm->WriteBlock(nAddr, 1, data.data()))
        << "a write ending before the address is acknowledged";
}

TEST_F(SimLink, WrongByteAtAddressIsAcknowledgedButKeptWithItsLowBitInverted) {
    const std::uint16_t nAddr = XtraVariant().channels.table.RecordAddr(5);
    CRadioSimOptions o = Fast();
    o.wrongByteAt = U16(nAddr + 2);
    StartConnected(o);
    const Bytes data = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17};
    EXPECT_TRUE(m_pComm->WriteBlock(nAddr, 8, data.data()));
    EXPECT_EQ(Read(nAddr), (Bytes{0x10, 0x11, 0x13, 0x13, 0x14, 0x15, 0x16, 0x17}));
    // Every other block is stored as sent.
    EXPECT_TRUE(m_pComm->WriteBlock(U16(nAddr + 8), 8, data.data()));
    EXPECT_EQ(Read(U16(nAddr + 8)), data);
}

TEST_F(SimLink, ShortReplyAtAddressLacksOneByte) {
    const std::uint16_t nAddr = XtraVariant().embeddedInfo.nStart;
    CRadioSimOptions o = Fast();
    o.shortReplyAt = nAddr;
    StartConnected(o);
    m_pComm->SetReadTimeout(200);
    Bytes data(8, 0x33);
    EXPECT_FALSE(m_pComm->ReadBlock(nAddr, 8, data.data()));
    EXPECT_EQ(data, Bytes(8, 0x33));

    const std::uint8_t command[4] = {radio::kReadOpcode, static_cast<std::uint8_t>(nAddr >> 8),
                                     static_cast<std::uint8_t>(nAddr & 0xFF), 8};
    std::uint8_t reply[12] = {};
    m_pComm->ClearInput();
    m_pComm->Write(command, 4);
    EXPECT_EQ(m_pComm->Read(reply, 12), 11u);
    EXPECT_TRUE(m_pComm->ReadBlock(U16(nAddr + 8), 8, data.data()));
}

TEST_F(SimLink, AnotherFirmwareVersionFailsTheGate) {
    struct {
        std::string strVersion;
        std::string_view strMessage;
    } cases[] = {
        {"1.03", msg::kVersionTooNew}, {"1.01", msg::kVersionTooOld}, {"", msg::kVersionTooOld}};
    for (const auto& c : cases) {
        CRadioSimOptions o = Fast();
        o.firmwareVersion = c.strVersion;
        m_notes.m_messages.clear();
        StartConnected(o);
        EXPECT_FALSE(m_pComm->CheckFirmwareVersion()) << c.strVersion;
        EXPECT_EQ(m_notes.Texts(), std::vector<std::string>{std::string(c.strMessage)});
        const Bytes mem = m_pRadio->Memory();
        const auto& fw = XtraVariant().firmwareVersion;
        EXPECT_EQ(std::string(mem.begin() + fw.nStart,
                              mem.begin() + fw.nStart + static_cast<long>(c.strVersion.size())),
                  c.strVersion);
        EXPECT_EQ(mem[fw.nStart + c.strVersion.size()], 0) << "zero-padded";
    }
}

TEST_F(SimLink, ReplyDelayHoldsEveryReply) {
    CRadioSimOptions o = Fast();
    o.nReplyDelayMs = 150;
    Start(o);
    const auto t0 = Clock::now();
    ASSERT_NE(m_pComm->Connect(), 0);
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(150));
}

TEST_F(SimLink, DelayBeyondTheDeadlineLosesTheRadio) {
    CRadioSimOptions o = Fast();
    o.nReplyDelayMs = radio::kReplyDeadlineMs + 300;
    Start(o);
    EXPECT_EQ(m_pComm->Connect(), 0);
    EXPECT_EQ(m_notes.Texts(), std::vector<std::string>{std::string(msg::kConnectionError)});
}

TEST_F(SimLink, PacingTakesTheWireTimeBothWays) {
    CRadioSimOptions o = Fast();
    o.nBaudRate = 1200; // 11 bits a character: about 9.2 ms a byte
    StartConnected(o);
    std::uint8_t data[8] = {};
    auto t0 = Clock::now();
    ASSERT_TRUE(m_pComm->ReadBlock(0, 8, data));
    // 4 command bytes reach the radio, then 12 reply bytes come back: 147 ms on the wire.
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(140));

    t0 = Clock::now();
    ASSERT_TRUE(m_pComm->WriteBlock(0, 8, data));
    // 12 command bytes, then the acknowledge: 119 ms.
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(115));
}

// --- models and images ---

TEST_F(SimLink, OlderModelPassesItsGateAndHasOneKilobyte) {
    StartConnected(Fast(OldVariant()));
    EXPECT_TRUE(m_pComm->CheckFirmwareVersion());
    EXPECT_TRUE(m_notes.Texts().empty());
    EXPECT_EQ(m_pRadio->Memory().size(), 1024u);
    const CVariant& v = OldVariant();
    const Bytes mem = m_pRadio->Memory();
    EXPECT_EQ(Read(v.rangeBytes.nStart, 6),
              Bytes(mem.begin() + v.rangeBytes.nStart, mem.begin() + v.rangeBytes.End()));
}

TEST_F(SimLink, BuiltInImagePassesTheGate) {
    StartConnected(Fast());
    EXPECT_TRUE(m_pComm->CheckFirmwareVersion());
    EXPECT_TRUE(m_notes.Texts().empty());
}

TEST_F(SimLink, StartsFromARadioFileOrARawImage) {
    const CVariant& v = XtraVariant();
    Bytes image(v.nImageSize);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    Bytes file(v.nSignatureFieldSize, 0);
    std::copy(v.strSignature.begin(), v.strSignature.end(), file.begin());
    file.insert(file.end(), image.begin(), image.end());
    WriteBinaryFile(m_dir.File("radio.wr73"), file);
    WriteBinaryFile(m_dir.File("radio.bin"), image);

    for (const char* pszName : {"radio.wr73", "radio.bin"}) {
        CRadioSimOptions o = Fast();
        std::string strError;
        ASSERT_TRUE(CRadioSim::LoadImageFile(m_dir.File(pszName), v, o.image, strError))
            << strError;
        StartConnected(o);
        EXPECT_EQ(m_pRadio->Memory(), image) << pszName;
        EXPECT_EQ(Read(0x7F8), Bytes(image.end() - 8, image.end())) << pszName;
    }
}

TEST(RadioSimImage, FileOfAnotherSizeIsRefused) {
    CTempDir dir;
    WriteBinaryFile(dir.File("short.wr73"), Bytes(1152, 0));
    Bytes image;
    std::string strError;
    EXPECT_FALSE(CRadioSim::LoadImageFile(dir.File("short.wr73"), XtraVariant(), image, strError));
    EXPECT_NE(strError.find("1152"), std::string::npos);
    EXPECT_TRUE(CRadioSim::LoadImageFile(dir.File("short.wr73"), OldVariant(), image, strError));
    EXPECT_EQ(image.size(), 1024u);
    EXPECT_FALSE(CRadioSim::LoadImageFile(dir.File("missing"), XtraVariant(), image, strError));
}

TEST(RadioSimImage, ImageFromAStreamThatNeverEndsIsRefusedAtOnce) {
    CTempDir dir;
    std::optional<CEndlessFifo> fifo; // more than a radio file, and then no end
    fifo.emplace(dir.File("endless"), std::vector<unsigned char>(3000, 0xAB));
    const auto start = std::chrono::steady_clock::now();
    Bytes image;
    std::string strError;
    const bool bLoaded = CRadioSim::LoadImageFile(fifo->Path(), XtraVariant(), image, strError);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    fifo.reset();
    EXPECT_FALSE(bLoaded);
    EXPECT_NE(strError.find("more than 2176 bytes"), std::string::npos) << strError;
    EXPECT_LT(elapsed, std::chrono::seconds(4));
}

TEST(RadioSimImage, BuiltInImageDiffersVisiblyFromANewDocument) {
    for (const CVariant* pV : {&XtraVariant(), &OldVariant()}) {
        const CVariant& v = *pV;
        const Bytes img = CRadioSim::BuiltInImage(v);
        ASSERT_EQ(img.size(), v.nImageSize);
        const int nCount = img[v.nChannelCount];
        EXPECT_NE(nCount, 8);
        EXPECT_GE(nCount, 2);
        EXPECT_LE(nCount, v.channels.table.nCount);
        EXPECT_EQ(img[v.settings.nVoxLevel], 3);
        EXPECT_TRUE(img[v.switches.vox.nAddr] & (1 << v.switches.vox.nBit));
        EXPECT_TRUE(img[v.settings.txPowerHigh.nAddr] & (1 << v.settings.txPowerHigh.nBit));
        EXPECT_FALSE(img[v.keyTuneSwitch.nAddr] & (1 << v.keyTuneSwitch.nBit));
        EXPECT_NE(img[v.serialNumber.nStart], 0);
        EXPECT_NE(img[v.embeddedInfo.nStart], 0);
        EXPECT_EQ(std::string(img.begin() + v.firmwareVersion.nStart,
                              img.begin() + v.firmwareVersion.nStart + 4),
                  v.strExpectedVersion);
        const CChannelLayout& ch = v.channels;
        for (int n = 1; n <= nCount; ++n) {
            const std::uint16_t a = ch.table.RecordAddr(n);
            const int nFreq = img[a + ch.nFreqNumberOffset];
            EXPECT_GE(nFreq, 1);
            EXPECT_LE(nFreq, v.freqTable.nCount);
            if (n <= static_cast<int>(v.defaultFreqNumbers.size())) {
                EXPECT_NE(nFreq, v.defaultFreqNumbers[n - 1u]) << "channel " << n;
            }
            EXPECT_NE(img[a + ch.nSignalCodeOffset], 0);
            EXPECT_LE(img[a + ch.nSignalCodeOffset], 121);
        }
        // Range bytes: 24-bit little-endian counts of 6.25 kHz.
        auto count = [&](std::size_t a) { return img[a] | img[a + 1] << 8 | img[a + 2] << 16; };
        const double dLow = count(v.rangeBytes.nStart) * 0.00625;
        const double dHigh = count(v.rangeBytes.nStart + 3u) * 0.00625;
        EXPECT_DOUBLE_EQ(dLow, v.bRangeFromSettings ? 400.0 : v.dFixedMinFreq);
        EXPECT_DOUBLE_EQ(dHigh, v.bRangeFromSettings ? 470.0 : v.dFixedMaxFreq);
        // Every frequency lies in the range (12.5 kHz counts, step code 2).
        for (int n = 1; n <= v.freqTable.nCount; ++n) {
            const std::uint16_t a = v.freqTable.RecordAddr(n);
            for (std::size_t off : {0u, 3u}) {
                const double dMHz = count(a + off) * 0.0125;
                EXPECT_GE(dMHz, dLow);
                EXPECT_LE(dMHz, dHigh);
            }
            EXPECT_EQ(img[a + 6u] & 0x0F, 0x0A);
        }
        const double dTune = count(v.tuneFrequency.nStart) * 0.0125;
        EXPECT_DOUBLE_EQ(dTune, 465.5);
    }
}

// --- final memory, log ---

TEST_F(SimLink, FinalMemoryIsWrittenWhenTheRunEnds) {
    for (const char* pszName : {"final.bin", "final.wr73"}) {
        CRadioSimOptions o = Fast();
        o.strFinalImagePath = m_dir.File(pszName);
        StartConnected(o);
        const Bytes data = {9, 8, 7, 6, 5, 4, 3, 2};
        ASSERT_TRUE(m_pComm->WriteBlock(0x100, 8, data.data()));
        ASSERT_TRUE(m_pRadio->Stop());
        const Bytes mem = m_pRadio->Memory();
        EXPECT_TRUE(std::equal(data.begin(), data.end(), mem.begin() + 0x100));
        Bytes file = ReadBinaryFile(m_dir.File(pszName));
        if (std::string(pszName).ends_with(".wr73")) {
            const CVariant& v = XtraVariant();
            ASSERT_EQ(file.size(), v.FileSize());
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data())), v.strSignature);
            file.erase(file.begin(), file.begin() + 128);
        }
        EXPECT_EQ(file, mem) << pszName;
    }
}

TEST_F(SimLink, LogHasEveryFrameInHex) {
    CRadioSimOptions o = Fast();
    o.strLogPath = m_dir.File("frames.log");
    StartConnected(o);
    const std::uint8_t one = 0xAB;
    ASSERT_TRUE(m_pComm->WriteBlock(0x0123, 1, &one));
    m_pComm->EndTransfer();
    m_pRadio->Stop();
    const std::string strLog = ReadTextFile(m_dir.File("frames.log"));
    EXPECT_NE(strLog.find("5A C3 17 8E\n"), std::string::npos) << strLog;
    EXPECT_NE(strLog.find("57 01 23 01 AB\n"), std::string::npos) << strLog;
    EXPECT_NE(strLog.find(": 99\n"), std::string::npos) << strLog;
}

// --- the tool ---

// Runs wr7310-radiosim with the arguments; its standard output is read through a pipe.
class CToolProcess {
public:
    explicit CToolProcess(std::vector<std::string> args) {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(fds[1], STDOUT_FILENO);
            ::close(fds[0]);
            ::close(fds[1]);
            std::vector<char*> argv;
            static std::string strExe = WR7310_RADIOSIM_EXE;
            argv.push_back(strExe.data());
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(strExe.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        m_out = fds[0];
    }
    ~CToolProcess() {
        if (m_pid > 0 && m_nStatus < 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            ::close(m_out);
    }
    std::string ReadLine() {
        std::string str;
        char c = 0;
        while (::read(m_out, &c, 1) == 1 && c != '\n')
            str += c;
        return str;
    }
    int Stop(int nSignal) {
        ::kill(m_pid, nSignal);
        ::waitpid(m_pid, &m_nStatus, 0);
        return m_nStatus;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_nStatus = -1;
};

TEST_F(SimLink, ToolPrintsItsDeviceLinksItAndSavesOnSignal) {
    for (int nSignal : {SIGTERM, SIGINT}) {
        const std::string strLink = m_dir.File("radio");
        const std::string strSave = m_dir.File("final.w73");
        CToolProcess tool({"--model", "old", "--baud", "0", "--link", strLink, "--save", strSave});
        const std::string strDevice = tool.ReadLine();
        ASSERT_EQ(strDevice.rfind("/dev/", 0), 0u) << strDevice;
        EXPECT_EQ(std::filesystem::read_symlink(strLink), strDevice);

        m_pVariant = &OldVariant();
        m_pApp.reset();
        m_pApp = std::make_unique<CWR7310App>(OldVariant(), m_dir.File("old.ini"));
        m_pApp->SetNotifier(&m_notes);
        m_pApp->m_strPortDevice = strLink;
        CRadioComm comm(m_pApp.get());
        ASSERT_NE(comm.Connect(), 0);
        EXPECT_TRUE(comm.CheckFirmwareVersion());
        const std::uint8_t b = 0x5C;
        ASSERT_TRUE(comm.WriteBlock(0, 1, &b));
        comm.Close();

        const int nStatus = tool.Stop(nSignal);
        ASSERT_TRUE(WIFEXITED(nStatus));
        EXPECT_EQ(WEXITSTATUS(nStatus), 0);
        EXPECT_FALSE(std::filesystem::is_symlink(strLink)) << "link removed at exit";
        const Bytes file = ReadBinaryFile(strSave);
        ASSERT_EQ(file.size(), OldVariant().FileSize());
        EXPECT_EQ(file[OldVariant().nSignatureFieldSize], 0x5C);
    }
}

TEST(RadioSimTool, RefusesBadOptions) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--model", "new"},
                                          {"--stop-at", "0x10000"},
                                          {"--baud", "fast"},
                                          {"--bogus", "1"},
                                          {"--image", "/nonexistent/file"}}) {
        CToolProcess tool(args);
        EXPECT_EQ(tool.ReadLine(), "") << args[0];
        const int nStatus = tool.Stop(0);
        ASSERT_TRUE(WIFEXITED(nStatus));
        EXPECT_NE(WEXITSTATUS(nStatus), 0) << args[0];
    }
}

} // namespace
