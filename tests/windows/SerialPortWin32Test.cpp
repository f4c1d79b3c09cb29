// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 serial port and the radio protocol on it, against simulated radios that answer on
// COM3 (a good radio), COM4 (stops at the block holding 0x100) and COM5 (answers too late);
// COM1 and COM2 do not exist. See with-radios.sh, which runs this program.
#include "TempDir.h"
#include "app/WR7310App.h"
#include "base/Messages.h"
#include "base/Notifier.h"
#include "link/RadioComm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// "52 06 68 08": bytes as the radio's log and --trace show them.
std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char item[4];
    for (const std::uint8_t b : bytes) {
        std::snprintf(item, sizeof item, "%02X ", b);
        text += item;
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

struct WinLink : ::testing::Test {
    void SetUp() override {
        ASSERT_NE(std::getenv("WR7310_SIM_DIR"), nullptr) << "run through with-radios.sh";
        app.SetNotifier(&notes);
        comm.SetPortObserver([this](int nPort, const std::string&) { tried.push_back(nPort); });
        comm.SetTrace([this](bool bSent, std::span<const std::uint8_t> bytes) {
            (bSent ? sent : received).push_back(Hex(bytes));
        });
    }
    // Connects to one named port only.
    int ConnectTo(const std::string& strDevice) {
        app.m_strPortDevice = strDevice;
        app.m_nComPort = 0;
        return comm.Connect();
    }

    CTempDir dir;
    CWR7310App app{XtraVariant(), dir.File("WR7310SXtra.ini")};
    CRecordingNotifier notes;
    CRadioComm comm{&app};
    std::vector<int> tried;
    std::vector<std::string> sent;     // every frame written, in hex
    std::vector<std::string> received; // every reply read, in hex
};

TEST_F(WinLink, ScanSkipsMissingPortsAndFindsTheRadioOnCom3) {
    app.m_nComPort = 0;
    EXPECT_EQ(comm.Connect(), 3);
    EXPECT_EQ(app.m_nComPort, 3);
    EXPECT_EQ(tried, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(comm.PortName(), "\\\\.\\COM3");
    EXPECT_TRUE(notes.Texts().empty());
}

TEST_F(WinLink, RememberedPortIsTriedFirst) {
    app.m_nComPort = 3;
    EXPECT_EQ(comm.Connect(), 3);
    EXPECT_EQ(tried, (std::vector<int>{3}));
}

TEST_F(WinLink, PortNamesInEveryForm) {
    const struct {
        const char* pszDevice;
        bool bRadio;
    } cases[] = {
        {"COM3", true},  {"com3", true},          {"\\\\.\\COM3", true},      {"COM1", false},
        {"COM5", false}, {"\\\\.\\COM99", false}, {"Z:\\nonexistent", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszDevice);
        CRecordingNotifier caseNotes;
        app.SetNotifier(&caseNotes);
        const int nPort = ConnectTo(c.pszDevice);
        EXPECT_EQ(nPort != 0, c.bRadio);
        EXPECT_EQ(comm.IsOpen(), c.bRadio);
        if (!c.bRadio) { // no answer by the deadline: the connection error, once
            EXPECT_EQ(caseNotes.Texts(),
                      std::vector<std::string>{std::string(msg::kConnectionError)});
        }
        comm.Close();
    }
}

TEST_F(WinLink, BlockFramesOnTheWire) {
    ASSERT_EQ(ConnectTo("COM3"), 1);
    const struct {
        std::uint16_t nAddr;
        int nLength;
        const char* pszFrame;
    } cases[] = {
        {0x0668, 8, "52 06 68 08"}, {0x0000, 8, "52 00 00 08"}, {0x07F8, 8, "52 07 F8 08"},
        {0x0010, 6, "52 00 10 06"}, {0x0123, 1, "52 01 23 01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszFrame);
        std::uint8_t data[8] = {};
        EXPECT_TRUE(comm.ReadBlock(c.nAddr, c.nLength, data));
        EXPECT_EQ(sent.back(), c.pszFrame);
        // The reply: the command's four bytes again, then the data.
        ASSERT_EQ(received.back().size(), 3u * static_cast<std::size_t>(4 + c.nLength) - 1);
        EXPECT_EQ(received.back().substr(0, 11), c.pszFrame);
    }
    // The firmware version the simulated radio reports by default.
    std::string strVersion;
    EXPECT_EQ(comm.ReadFirmwareVersion(strVersion, "1.02"), 0);
    EXPECT_EQ(strVersion, "1.02.05");
}

TEST_F(WinLink, WrittenBlocksReadBack) {
    ASSERT_EQ(ConnectTo("COM3"), 1);
    const Bytes data = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    for (const int nLength : {8, 4, 1}) {
        SCOPED_TRACE(nLength);
        const auto nAddr = static_cast<std::uint16_t>(0x0200 + 8 * nLength);
        ASSERT_TRUE(comm.WriteBlock(nAddr, nLength, data.data()));
        Bytes back(static_cast<std::size_t>(nLength));
        ASSERT_TRUE(comm.ReadBlock(nAddr, nLength, back.data()));
        EXPECT_EQ(back, Bytes(data.begin(), data.begin() + nLength));
    }
    EXPECT_NE(std::find(sent.begin(), sent.end(), "57 02 40 08 11 22 33 44 55 66 77 88"),
              sent.end());
    EXPECT_TRUE(comm.EndTransfer());
    EXPECT_EQ(sent.back(), "99");
    EXPECT_EQ(received.back(), "99");
}

TEST_F(WinLink, StoppedRadioFailsTheBlockItStopsAt) {
    ASSERT_EQ(ConnectTo("COM4"), 1);
    std::uint8_t data[8] = {};
    EXPECT_TRUE(comm.ReadBlock(0x00F8, 8, data));
    EXPECT_FALSE(comm.ReadBlock(0x0100, 8, data)); // no reply by the deadline
    EXPECT_FALSE(comm.WriteBlock(0x0100, 8, data));
    EXPECT_TRUE(comm.ReadBlock(0x0108, 8, data)); // the next exchange starts clean
}

struct WinPort : ::testing::Test {
    static constexpr std::uint8_t kEntry[4] = {0x5A, 0xC3, 0x17, 0x8E};
    bool OpenRadio(const std::string& strDevice, std::uint32_t nDeadline) {
        if (!port.Open(strDevice))
            return false;
        port.SetCommParams(9600, 8, 1, 0);
        port.SetReadTimeout(nDeadline);
        port.ClearInput();
        return true;
    }
    CSerialPort port;
};

TEST_F(WinPort, MissingPortStaysClosed) {
    EXPECT_TRUE(port.Close()); // closing what was never open
    // COM1 and COM2 have no device behind them; COM42 is not even named.
    const struct {
        const char* pszDevice;
        int nError; // 0: any reason
    } cases[] = {{"COM1", 0}, {"COM2", 0}, {"\\\\.\\COM42", ENOENT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszDevice);
        EXPECT_FALSE(port.Open(c.pszDevice));
        EXPECT_NE(port.LastOpenError(), 0);
        if (c.nError != 0) {
            EXPECT_EQ(port.LastOpenError(), c.nError);
        }
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.PortName(), "");
    }
}

TEST_F(WinPort, OpenAndCloseKeepTheName) {
    ASSERT_TRUE(port.Open("COM3"));
    EXPECT_EQ(port.PortName(), "COM3");
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.PortName(), "");
    EXPECT_TRUE(port.Close());
}

TEST_F(WinPort, ALongerReplyGivesWhatWasAskedAndTheRestIsDiscarded) {
    ASSERT_TRUE(OpenRadio("COM3", 1000));
    ASSERT_EQ(port.Write(kEntry, 4), 4u);
    std::uint8_t ack = 0;
    ASSERT_EQ(port.Read(&ack, 1), 1u);
    EXPECT_EQ(ack, 0x99);
    const std::uint8_t readVersion[4] = {0x52, 0x06, 0x68, 0x08};
    ASSERT_EQ(port.Write(readVersion, 4), 4u);
    std::uint8_t head[4] = {};
    ASSERT_EQ(port.Read(head, 4), 4u); // 12 bytes come; 4 are asked for
    EXPECT_EQ(Bytes(head, head + 4), Bytes(readVersion, readVersion + 4));
    port.ClearInput();
    const std::uint8_t readStart[4] = {0x52, 0x00, 0x00, 0x08};
    ASSERT_EQ(port.Write(readStart, 4), 4u);
    std::uint8_t reply[12] = {};
    ASSERT_EQ(port.Read(reply, 12), 12u);
    EXPECT_EQ(Bytes(reply, reply + 4), Bytes(readStart, readStart + 4));
}

TEST_F(WinPort, NoReplyByTheDeadlineGivesWhatArrived) {
    ASSERT_TRUE(OpenRadio("COM5", 1000)); // this radio answers after 1500 ms
    ASSERT_EQ(port.Write(kEntry, 4), 4u);
    std::uint8_t ack = 0;
    EXPECT_EQ(port.Read(&ack, 1), 0u);
}

TEST_F(WinPort, WithoutADeadlineTheReadWaitsForTheLateReply) {
    ASSERT_TRUE(OpenRadio("COM5", 0));
    ASSERT_EQ(port.Write(kEntry, 4), 4u);
    std::uint8_t ack = 0;
    EXPECT_EQ(port.Read(&ack, 1), 1u);
    EXPECT_EQ(ack, 0x99);
}

TEST_F(WinPort, ALineErrorEndsTheWaitWithNothing) {
    ASSERT_TRUE(OpenRadio("COM5", 0)); // would wait 1500 ms for the reply
    ASSERT_EQ(port.Write(kEntry, 4), 4u);
    std::thread breaker([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        port.InjectLineError();
    });
    std::uint8_t ack = 0;
    EXPECT_EQ(port.Read(&ack, 1), 0u);
    breaker.join();
    // Until the input is cleared the error stands, even with the reply queued.
    EXPECT_EQ(port.Read(&ack, 1), 0u);
    port.ClearInput();
    ASSERT_EQ(port.Write(kEntry, 4), 4u);
    EXPECT_EQ(port.Read(&ack, 1), 1u);
}

} // namespace
