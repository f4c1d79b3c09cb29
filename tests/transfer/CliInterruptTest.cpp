// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl-C, SIGTERM and SIGHUP sent to the command-line tool in the middle of a whole-image
// transfer with the simulated radio on a pseudo-terminal.
#include "TransferFixture.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

class CliInterruptTest : public TransferTest {
protected:
    void SetUp() override { setenv("XDG_DATA_HOME", m_dir.File("data").c_str(), 1); }

    // Starts the tool with SIGINT, SIGTERM and SIGHUP at their default disposition, whatever
    // this test process does with them.
    pid_t Spawn(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {WR7310_CLI_PATH, "--ini", m_strIni, "--port", m_pRadio->DevicePath()});
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, m_dir.File("out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, m_dir.File("err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int s : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&defaults, s);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigdefault(&attr, &defaults);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ), 0);
        posix_spawnattr_destroy(&attr);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    // Waits until the radio has received nFrames frames (the transfer is under way).
    void WaitForFrames(std::size_t nFrames) {
        while (m_pRadio->Frames().size() < nFrames)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    // The exit status, or 1000 + the signal that ended the process.
    static int Wait(pid_t pid) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }

    // The device's exclusive flag, as the next opener meets it.
    bool ExclusiveFlagSet() { return ExclusiveFlagSet(m_pRadio->DevicePath()); }
    static bool ExclusiveFlagSet(const std::string& strDevice) {
        const int fd = ::open(strDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(fd, 0);
        int nExcl = 0;
        EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &nExcl), 0);
        ::close(fd);
        return nExcl != 0;
    }

    static std::uint16_t FrameAddr(const std::vector<std::uint8_t>& f) {
        return static_cast<std::uint16_t>((f[1] << 8) | f[2]);
    }
};

struct CCase {
    int nSignal;
    int nRepeat; // further signals right after the first, while the tool is stopping
    int nExit;
};
const CCase kCases[] = {{SIGINT, 1, 130}, {SIGINT, 3, 130}, {SIGTERM, 1, 143}, {SIGHUP, 1, 129}};

TEST_F(CliInterruptTest, WriteStopsAtABlockEndsTheTransferAndSaysWhatTheRadioHolds) {
    for (const CCase& c : kCases) {
        SCOPED_TRACE(::testing::Message() << "signal " << c.nSignal << " x" << c.nRepeat);
        const auto before = RandomRadioMemory(41);
        CRadioSimOptions o;
        o.image = before;
        o.nReplyDelayMs = 20; // a transfer of a few seconds
        StartRadio(o);
        WriteTextFile(m_strIni, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
        auto file = RandomRadioMemory(42);
        std::vector<std::uint8_t> bytes(128 + file.size(), 0);
        std::copy(file.begin(), file.end(), bytes.begin() + 128);
        std::copy(XtraVariant().strSignature.begin(), XtraVariant().strSignature.end(),
                  bytes.begin());
        WriteBinaryFile(m_dir.File("new.wr73"), bytes);

        const pid_t pid = Spawn({"write", m_dir.File("new.wr73")});
        WaitForFrames(40);
        for (int i = 0; i < c.nRepeat; ++i)
            ::kill(pid, c.nSignal);
        EXPECT_EQ(Wait(pid), c.nExit);

        const auto frames = m_pRadio->Frames();
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back(), EndFrame()); // the radio has left programming mode
        std::vector<std::uint16_t> written;
        for (const auto& f : frames)
            if (f.size() > 4 && f[0] == 0x57)
                written.push_back(FrameAddr(f));
        ASSERT_FALSE(written.empty());
        const std::uint16_t nStop = written.back() + 8; // next block of the plan below 0x318
        char text[128];
        std::snprintf(text, sizeof text,
                      "Write interrupted at address %X: the radio holds a partly written "
                      "configuration; write the file again.",
                      nStop);
        const std::string strErr = ReadTextFile(m_dir.File("err"));
        EXPECT_NE(strErr.find(text), std::string::npos) << strErr;
        const auto after = m_pRadio->Memory();
        for (std::uint16_t a : written)
            EXPECT_TRUE(std::equal(after.begin() + a, after.begin() + a + 8, file.begin() + a))
                << a;
        EXPECT_TRUE(std::equal(after.begin() + nStop, after.end(), before.begin() + nStop));
        EXPECT_FALSE(ExclusiveFlagSet());
        m_pRadio.reset();
    }
}

TEST_F(CliInterruptTest, ReadStopsAtABlockAndLeavesNoFile) {
    for (const CCase& c : kCases) {
        SCOPED_TRACE(::testing::Message() << "signal " << c.nSignal << " x" << c.nRepeat);
        CRadioSimOptions o;
        o.image = RandomRadioMemory(43);
        o.nReplyDelayMs = 20;
        StartRadio(o);
        WriteTextFile(m_strIni, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");

        const std::string strOut = m_dir.File("read.wr73");
        const pid_t pid = Spawn({"read", "-o", strOut});
        WaitForFrames(40);
        for (int i = 0; i < c.nRepeat; ++i)
            ::kill(pid, c.nSignal);
        EXPECT_EQ(Wait(pid), c.nExit);

        const auto frames = m_pRadio->Frames();
        EXPECT_EQ(frames.back(), EndFrame());
        const auto& lastRead = frames[frames.size() - 2];
        ASSERT_EQ(lastRead[0], 0x52);
        char text[96];
        std::snprintf(text, sizeof text, "Read interrupted at address %X: nothing was saved",
                      FrameAddr(lastRead) + 8);
        const std::string strErr = ReadTextFile(m_dir.File("err"));
        EXPECT_NE(strErr.find(text), std::string::npos) << strErr;
        EXPECT_FALSE(fs::exists(strOut));
        EXPECT_FALSE(fs::exists(m_dir.File("data/wr7310/backups")));
        EXPECT_FALSE(ExclusiveFlagSet());
        m_pRadio.reset();
    }
}

} // namespace

namespace {

// The address of the block that follows nAddr in a plan of block addresses.
std::uint16_t NextInPlan(const std::vector<std::uint16_t>& plan, std::uint16_t nAddr) {
    const auto it = std::find(plan.begin(), plan.end(), nAddr);
    return it != plan.end() && it + 1 != plan.end() ? *(it + 1) : 0xFFFF;
}

std::vector<std::uint16_t> TunePlan() {
    std::vector<std::uint16_t> plan;
    for (const CTuneReadBlock& b : XtraVariant().tuneReadPlan)
        plan.push_back(b.nAddr);
    return plan;
}

// Frames of nCommand from the first one at nFirstAddr on; with bAfterWrite, only frames after
// the first write count (the read-back of a verified write).
std::size_t CountFrames(const std::vector<std::vector<std::uint8_t>>& frames, std::uint8_t nCommand,
                        std::uint16_t nFirstAddr, bool bAfterWrite) {
    std::size_t n = 0;
    bool bWritten = !bAfterWrite;
    for (const auto& f : frames) {
        bWritten = bWritten || f[0] == 0x57;
        if (f.size() < 4 || f[0] != nCommand || !bWritten)
            continue;
        if (n > 0 || ((f[1] << 8) | f[2]) == nFirstAddr)
            ++n;
    }
    return n;
}

std::vector<std::uint16_t> WritePlan() {
    std::vector<std::uint16_t> plan;
    for (const CWriteBlock& b : XtraVariant().writePlan)
        plan.push_back(b.nAddr);
    return plan;
}

} // namespace

// The service commands and the read-back of a verified write stop the same way: the radio
// leaves programming mode, the port is free, and the message names the first block not moved.
TEST_F(CliInterruptTest, ServiceTransfersAndVerifyStopAtABlockAndSayWhatTheRadioHolds) {
    struct {
        const char* pszName;
        std::vector<std::string> args;
        std::uint8_t nCommand;    // the frames that mark the transfer under way,
        std::uint16_t nFirstAddr; // from the first one at this address on
        bool bAfterWrite;         // and after the first write
        std::function<std::uint16_t(std::uint16_t)> fnNext; // the block after the last one
        const char* pszText;                                // %X: that block
    } const cases[] = {
        {"embedded write",
         {"embedded", "write", "TEXT"},
         0x57,
         0x780,
         false,
         [](std::uint16_t a) { return static_cast<std::uint16_t>(a + 8); },
         "Write interrupted at address %X: the radio holds part of the new embedded "
         "information; write it again."},
        {"embedded read",
         {"embedded", "read", "-o", "OUT"},
         0x52,
         0x780,
         false,
         [](std::uint16_t a) { return static_cast<std::uint16_t>(a + 8); },
         "Read interrupted at address %X: nothing was saved; the radio is unchanged."},
        {"tune read",
         {"tune", "read"},
         0x52,
         0x320,
         false,
         [](std::uint16_t a) { return NextInPlan(TunePlan(), a); },
         "Read interrupted at address %X: nothing was saved; the radio is unchanged."},
        {"verify",
         {"write", "FILE", "--verify"},
         0x52,
         XtraVariant().writePlan.front().nAddr,
         true,
         [](std::uint16_t a) { return NextInPlan(WritePlan(), a); },
         "Verify interrupted at address %X: the whole file was written, but not all of it was "
         "read back."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        const auto before = RandomRadioMemory(44);
        CRadioSimOptions o;
        o.image = before;
        o.nReplyDelayMs = 30; // a service transfer of about a second
        StartRadio(o);
        WriteTextFile(m_strIni, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
        WriteTextFile(m_dir.File("text"), std::string(120, 'x'));
        auto file = RandomRadioMemory(45);
        std::vector<std::uint8_t> bytes(128 + file.size(), 0);
        std::copy(file.begin(), file.end(), bytes.begin() + 128);
        std::copy(XtraVariant().strSignature.begin(), XtraVariant().strSignature.end(),
                  bytes.begin());
        WriteBinaryFile(m_dir.File("new.wr73"), bytes);
        std::vector<std::string> args = c.args;
        for (std::string& a : args)
            a = a == "TEXT"   ? m_dir.File("text")
                : a == "OUT"  ? m_dir.File("out.txt")
                : a == "FILE" ? m_dir.File("new.wr73")
                              : a;

        const pid_t pid = Spawn(args);
        // Two blocks into the transfer, Ctrl-C.
        while (CountFrames(m_pRadio->Frames(), c.nCommand, c.nFirstAddr, c.bAfterWrite) < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ::kill(pid, SIGINT);
        EXPECT_EQ(Wait(pid), 130);

        const auto frames = m_pRadio->Frames();
        ASSERT_GE(frames.size(), 2u);
        EXPECT_EQ(frames.back(), EndFrame()); // the radio has left programming mode
        const auto& last = frames[frames.size() - 2];
        ASSERT_EQ(last[0], c.nCommand);
        char text[160];
        std::snprintf(text, sizeof text, c.pszText, c.fnNext(FrameAddr(last)));
        const std::string strErr = ReadTextFile(m_dir.File("err"));
        EXPECT_NE(strErr.find(text), std::string::npos) << strErr;
        EXPECT_FALSE(ExclusiveFlagSet());
        EXPECT_FALSE(fs::exists(m_dir.File("out.txt"))); // only a read names it
        if (c.nCommand == 0x57) {
            // The blocks after the stop keep what the radio held.
            const auto after = m_pRadio->Memory();
            const std::uint16_t nStop = c.fnNext(FrameAddr(last));
            EXPECT_TRUE(std::equal(after.begin() + nStop, after.end(), before.begin() + nStop));
        }
        m_pRadio.reset();
    }
}

// Several radios at once: each stops at its own next block and says so on its result line.
TEST_F(CliInterruptTest, EveryRadioOfAFleetStopsAndSaysWhatItHolds) {
    CRadioSimOptions o;
    o.image = RandomRadioMemory(46);
    o.nReplyDelayMs = 20;
    StartRadio(o);
    CSimRadio second(o);
    WriteTextFile(m_strIni, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
    auto file = RandomRadioMemory(47);
    std::vector<std::uint8_t> bytes(128 + file.size(), 0);
    std::copy(file.begin(), file.end(), bytes.begin() + 128);
    std::copy(XtraVariant().strSignature.begin(), XtraVariant().strSignature.end(), bytes.begin());
    WriteBinaryFile(m_dir.File("new.wr73"), bytes);

    const pid_t pid = Spawn({"write", m_dir.File("new.wr73"), "--port", second.DevicePath()});
    while (m_pRadio->Frames().size() < 40 || second.Frames().size() < 40)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(pid, SIGINT);
    EXPECT_EQ(Wait(pid), 130);

    const std::string strOut = ReadTextFile(m_dir.File("out"));
    for (const CSimRadio* pRadio : {m_pRadio.get(), &second}) {
        SCOPED_TRACE(pRadio->DevicePath());
        const auto frames = pRadio->Frames();
        EXPECT_EQ(frames.back(), EndFrame());
        const auto& last = frames[frames.size() - 2];
        ASSERT_EQ(last[0], 0x57);
        char text[200];
        std::snprintf(text, sizeof text,
                      "%s: FAILED (Write interrupted at address %X: the radio holds a partly "
                      "written configuration; write the file again.)",
                      pRadio->DevicePath().c_str(), NextInPlan(WritePlan(), FrameAddr(last)));
        EXPECT_NE(strOut.find(text), std::string::npos) << strOut;
    }
    EXPECT_NE(strOut.find("0 of 2 radios succeeded"), std::string::npos) << strOut;
    EXPECT_FALSE(ExclusiveFlagSet());
    EXPECT_FALSE(ExclusiveFlagSet(second.DevicePath()));
}
