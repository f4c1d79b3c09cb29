// SPDX-License-Identifier: GPL-3.0-or-later
// The serial port over real pseudo-terminals.
#include "link/SerialPort.h"
#include "FakeRadio.h"
#include "TempDir.h"
#include "link/PortNames.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::chrono::milliseconds Since(Clock::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0);
}

// An open port on a fresh pseudo-terminal, in the radio's line format.
struct SerialFixture : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(port.Open(pty.SlavePath()));
        ASSERT_TRUE(port.SetCommParams(9600, 8, 1, 0));
    }

    CPty pty;
    CSerialPort port;
};

} // namespace

TEST(SerialOpenClose, SecondOpenerIsRefusedAndStaysClosed) {
    CPty pty;
    CSerialPort first;
    CSerialPort second;
    ASSERT_TRUE(first.Open(pty.SlavePath()));
    EXPECT_EQ(first.PortName(), pty.SlavePath());

    EXPECT_FALSE(second.Open(pty.SlavePath()));
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.PortName(), "");
    EXPECT_EQ(second.LastOpenError(), EBUSY);
    std::uint8_t b = 0;
    EXPECT_EQ(second.Write(&b, 1), 0u);
    EXPECT_EQ(second.Read(&b, 1), 0u);

    // Once the first lets go, the port is free again.
    EXPECT_TRUE(first.Close());
    EXPECT_TRUE(second.Open(pty.SlavePath()));
}

TEST(SerialOpenClose, MissingDeviceAndNonTerminalsAreRefused) {
    CTempDir dir;
    CSerialPort port;
    EXPECT_FALSE(port.Open(dir.File("ttyUSB9")));
    EXPECT_EQ(port.LastOpenError(), ENOENT);
    WriteTextFile(dir.File("plain"), "x");
    EXPECT_FALSE(port.Open(dir.File("plain")));
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialOpenClose, CloseOnClosedPortReturnsTrue) {
    CPty pty;
    CSerialPort port;
    EXPECT_TRUE(port.Close());
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.PortName(), "");
    EXPECT_TRUE(port.Close());
}

TEST(SerialOpenClose, OpeningAgainLeavesNoDescriptorBehind) {
    CPty a;
    CPty b;
    CSerialPort port;
    ASSERT_TRUE(port.Open(a.SlavePath()));
    ASSERT_TRUE(port.Open(b.SlavePath()));
    EXPECT_EQ(port.PortName(), b.SlavePath());
    // The first terminal was let go: another opener gets it.
    CSerialPort other;
    EXPECT_TRUE(other.Open(a.SlavePath()));
}

// The terminal outlives our descriptor while the radio's side holds it; the exclusive flag
// must not outlive it too, or no ordinary user could open the port a second time.
TEST(SerialOpenClose, OrdinaryUserCanOpenAgainAfterClose) {
    CPty pty;
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0666), 0);
    auto tryOpen = [&] {
        return RunUnprivileged([&]() -> std::string {
            const int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (fd < 0)
                return errno == EBUSY ? "busy" : "error " + std::to_string(errno);
            ::close(fd);
            return "opened";
        });
    };
    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    EXPECT_EQ(tryOpen(), "busy"); // held exclusively for everyone else
    ASSERT_TRUE(port.Close());
    EXPECT_EQ(tryOpen(), "opened");
}

TEST_F(SerialFixture, ReplyThatNeverComesReturnsShortAfterTheDeadline) {
    ASSERT_TRUE(port.SetReadTimeout(300));
    std::uint8_t buffer[5] = {};
    auto t0 = Clock::now();
    EXPECT_EQ(port.Read(buffer, 5), 0u);
    EXPECT_GE(Since(t0), 300ms);
    EXPECT_LT(Since(t0), 5s);

    pty.Send({0x52, 0x06});
    t0 = Clock::now();
    EXPECT_EQ(port.Read(buffer, 5), 2u);
    EXPECT_GE(Since(t0), 300ms);
    EXPECT_EQ(buffer[0], 0x52);
    EXPECT_EQ(buffer[1], 0x06);
}

TEST_F(SerialFixture, BytesArrivingInPiecesMakeOneRead) {
    ASSERT_TRUE(port.SetReadTimeout(3000));
    std::thread sender([&] {
        for (std::uint8_t b = 1; b <= 4; ++b) {
            pty.Send({b});
            std::this_thread::sleep_for(30ms);
        }
    });
    std::uint8_t buffer[4] = {};
    const auto t0 = Clock::now();
    EXPECT_EQ(port.Read(buffer, 4), 4u);
    EXPECT_LT(Since(t0), 2s); // returned when complete, not at the deadline
    sender.join();
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{1, 2, 3, 4}));
}

TEST_F(SerialFixture, LongerReplyLeavesTheRestQueuedUntilClearInput) {
    ASSERT_TRUE(port.SetReadTimeout(300));
    pty.Send({1, 2, 3, 4, 5, 6});
    std::uint8_t buffer[4] = {};
    ASSERT_EQ(port.Read(buffer, 4), 4u);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{1, 2, 3, 4}));
    ASSERT_EQ(port.Read(buffer, 1), 1u);
    EXPECT_EQ(buffer[0], 5); // still queued

    std::this_thread::sleep_for(50ms); // let the last byte land before discarding
    EXPECT_EQ(port.ClearInput(), 0);
    buffer[0] = 0;
    EXPECT_EQ(port.Read(buffer, 1), 0u);
    pty.Send({9});
    ASSERT_EQ(port.Read(buffer, 1), 1u);
    EXPECT_EQ(buffer[0], 9);
}

TEST_F(SerialFixture, InjectedLineErrorEndsAWaitingReadAtOnce) {
    ASSERT_TRUE(port.SetReadTimeout(0)); // would wait for ever
    std::thread injector([&] {
        std::this_thread::sleep_for(100ms);
        port.InjectLineError();
    });
    std::uint8_t buffer[4] = {};
    const auto t0 = Clock::now();
    EXPECT_EQ(port.Read(buffer, 4), 0u);
    EXPECT_LT(Since(t0), 5s);
    injector.join();
}

TEST_F(SerialFixture, LineErrorLosesTheReplyEvenWhenItIsComplete) {
    ASSERT_TRUE(port.SetReadTimeout(300));
    pty.Send({1, 2, 3, 4});
    std::uint8_t buffer[4] = {};
    ASSERT_EQ(port.Read(buffer, 1), 1u); // the bytes are queued
    port.InjectLineError();
    EXPECT_EQ(port.Read(buffer, 3), 0u);
    // The error stays until ClearInput clears it.
    EXPECT_EQ(port.Read(buffer, 3), 0u);
    port.ClearInput();
    pty.Send({7, 8});
    EXPECT_EQ(port.Read(buffer, 2), 2u);
    EXPECT_EQ(buffer[0], 7);
}

TEST_F(SerialFixture, ZeroDeadlineWaitsForTheBytes) {
    ASSERT_TRUE(port.SetReadTimeout(0));
    std::thread sender([&] {
        std::this_thread::sleep_for(100ms);
        pty.Send({0x11});
        std::this_thread::sleep_for(1200ms); // past the radio link's usual deadline
        pty.Send({0x22, 0x33});
    });
    std::uint8_t buffer[3] = {};
    const auto t0 = Clock::now();
    EXPECT_EQ(port.Read(buffer, 3), 3u);
    EXPECT_GE(Since(t0), 1200ms); // the sender started its clock a moment before ours
    sender.join();
    EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{0x11, 0x22, 0x33}));
}

TEST_F(SerialFixture, WriteSendsTheWholeBuffer) {
    const Bytes command = {0x57, 0x03, 0x20, 0x02, 0xAB, 0xCD};
    EXPECT_EQ(port.Write(command.data(), command.size()), command.size());
    EXPECT_EQ(pty.Receive(200), command);
}

// The line settings as the radio needs them, starting from a driver that had software and
// hardware flow control on (or hardware flow control off).
class SerialLineSettings : public ::testing::TestWithParam<bool> {};

TEST_P(SerialLineSettings, SoftwareFlowControlOffHardwareFlowControlAsFound) {
    const bool bRtsCts = GetParam();
    CPty pty;
    termios before{};
    ASSERT_EQ(::tcgetattr(pty.HeldSlave(), &before), 0);
    before.c_iflag |= IXON | IXOFF | ICRNL;
    before.c_lflag |= ICANON | ECHO;
    if (bRtsCts)
        before.c_cflag |= CRTSCTS;
    else
        before.c_cflag &= ~CRTSCTS;
    ASSERT_EQ(::tcsetattr(pty.HeldSlave(), TCSANOW, &before), 0);

    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    ASSERT_TRUE(port.SetCommParams(9600, 8, 1, 0));
    termios after{};
    ASSERT_EQ(::tcgetattr(pty.HeldSlave(), &after), 0);
    EXPECT_EQ(after.c_iflag & (IXON | IXOFF | IXANY), 0u);
    EXPECT_EQ((after.c_cflag & CRTSCTS) != 0, bRtsCts);
    EXPECT_EQ(::cfgetispeed(&after), static_cast<speed_t>(B9600));
    EXPECT_EQ(::cfgetospeed(&after), static_cast<speed_t>(B9600));
    EXPECT_EQ(after.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    // Odd parity. (A pseudo-terminal drops PARENB itself, so only PARODD can be seen here.)
    EXPECT_NE(after.c_cflag & PARODD, 0u);
    EXPECT_EQ(after.c_cflag & CSTOPB, 0u);
    // Binary frames: no line editing, no echo, no carriage-return mapping.
    EXPECT_EQ(after.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(after.c_iflag & ICRNL, 0u);
}

INSTANTIATE_TEST_SUITE_P(RtsCts, SerialLineSettings, ::testing::Bool());

TEST(SerialLineSettingsRefused, SettingsTheLineCannotCarryChangeNothing) {
    CPty pty;
    CSerialPort port;
    EXPECT_FALSE(port.SetCommParams(9600, 8, 1, 0)); // not open
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    ASSERT_TRUE(port.SetCommParams(9600, 8, 1, 0));
    EXPECT_FALSE(port.SetCommParams(9600, 8, 1, 1)); // one and a half stop bits
    EXPECT_FALSE(port.SetCommParams(9600, 9, 1, 0));
    EXPECT_FALSE(port.SetCommParams(9600, 8, 5, 0));
    EXPECT_FALSE(port.SetCommParams(1234, 8, 1, 0));
    termios after{};
    ASSERT_EQ(::tcgetattr(pty.HeldSlave(), &after), 0);
    EXPECT_EQ(::cfgetospeed(&after), static_cast<speed_t>(B9600));
    EXPECT_EQ(after.c_cflag & (PARODD | CSTOPB | CSIZE), static_cast<tcflag_t>(PARODD | CS8));
}

// The COM port names: a fake kernel list of terminals and a fake device folder.
struct PortNamesFixture : ::testing::Test {
    void Add(const std::string& strName, int nUartType = -1, bool bNode = true) {
        const auto entry = dir.Path() / "sys" / strName;
        std::filesystem::create_directories(entry / "device");
        if (nUartType >= 0)
            WriteTextFile((entry / "type").string(), std::to_string(nUartType) + "\n");
        if (bNode)
            WriteTextFile((dir.Path() / "dev" / strName).string(), "");
    }
    std::string Sys() const { return (dir.Path() / "sys").string(); }
    std::string Dev() const { return (dir.Path() / "dev").string(); }
    std::string Node(const std::string& strName) const { return Dev() + "/" + strName; }

    void SetUp() override {
        std::filesystem::create_directories(dir.Path() / "sys");
        std::filesystem::create_directories(dir.Path() / "dev");
    }

    CTempDir dir;
};

TEST_F(PortNamesFixture, UsbCableIsFoundWithNoConfiguration) {
    Add("ttyUSB0");
    EXPECT_EQ(PresentSerialDevices(Sys(), Dev()), std::vector<std::string>{Node("ttyUSB0")});
}

TEST_F(PortNamesFixture, UsbAdaptersFirstThenFittedBuiltInPortsInNumberOrder) {
    Add("ttyS0", 0); // empty slot
    Add("ttyS1", 4); // a 16550A
    Add("ttyS10", 4);
    Add("ttyS2", 4);
    Add("ttyACM0");
    Add("ttyUSB10");
    Add("ttyUSB1");
    Add("ttyUSB2", -1, false); // listed but no node here
    Add("tty0");
    Add("ttyUSBx");
    EXPECT_EQ(PresentSerialDevices(Sys(), Dev()),
              (std::vector<std::string>{Node("ttyUSB1"), Node("ttyUSB10"), Node("ttyACM0"),
                                        Node("ttyS1"), Node("ttyS2"), Node("ttyS10")}));
}

TEST_F(PortNamesFixture, WithoutKernelListTheDeviceFolderIsUsed) {
    Add("ttyACM0");
    Add("ttyUSB0");
    EXPECT_EQ(PresentSerialDevices(dir.File("nosys"), Dev()),
              (std::vector<std::string>{Node("ttyUSB0"), Node("ttyACM0")}));
}

TEST_F(PortNamesFixture, DeviceKeyWinsForItsPortOnly) {
    const std::string ini = dir.File("wr.ini");
    WriteTextFile(ini, "[COM PORT]\r\nComPort=3\r\ndevice3 = /dev/ttyCable\r\n");
    EXPECT_EQ(ComPortDevice(3, ini), "/dev/ttyCable");
    EXPECT_EQ(ComPortDevice(0, ini), "");
    EXPECT_EQ(ComPortDevice(-1, ini), "");
    // Without a key, COMn is the n-th device present on this machine, or nothing.
    const auto present = PresentSerialDevices();
    EXPECT_EQ(ComPortDevice(1, ini), present.empty() ? std::string{} : present[0]);
    EXPECT_EQ(ComPortDevice(16, ini), present.size() >= 16 ? present[15] : std::string{});
}
