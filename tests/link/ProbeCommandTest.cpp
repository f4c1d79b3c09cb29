// SPDX-License-Identifier: GPL-3.0-or-later
// wr7310 probe, run as a program against a fake radio on a pseudo-terminal.
#include "FakeRadio.h"
#include "SimRadio.h"
#include "TempDir.h"
#include "base/Messages.h"
#include "base/ProfileFile.h"
#include "link/SerialPort.h"
#include "variants/Variant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <memory>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct ToolResult {
    int nExit = -1;
    std::string strOut;
    std::string strErr;
};

// Runs the tool (the one built, unless strTool names a copy) with its output in files of dir.
ToolResult RunTool(const CTempDir& dir, std::vector<std::string> args,
                   const std::string& strTool = WR7310_TOOL) {
    args.insert(args.begin(), strTool);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = dir.File("stdout");
    const std::string err = dir.File("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    ToolResult r;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        r.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    r.strOut = ReadTextFile(out);
    r.strErr = ReadTextFile(err);
    return r;
}

const Bytes kEntryFrame = {0x5A, 0xC3, 0x17, 0x8E};

struct ProbeFixture : ::testing::Test {
    ProbeFixture() : ini(dir.File("WR7310SXtra.ini")) {
        for (int n = 1; n <= 16; ++n)
            profile::WriteString("COM PORT", "Device" + std::to_string(n),
                                 dir.File("missing" + std::to_string(n)), ini);
    }
    // The radio's peer thread starts here, so that tests which fork run without it.
    CFakeRadio& StartRadio(const std::string& strVersion) {
        pRadio = std::make_unique<CFakeRadio>();
        pRadio->SetVersion(XtraVariant().firmwareVersion.nStart, strVersion);
        return *pRadio;
    }

    CTempDir dir;
    std::string ini;
    std::unique_ptr<CFakeRadio> pRadio;
};

} // namespace

TEST_F(ProbeFixture, ShowsThePortAndTheVersionAndEndsTheTransfer) {
    CFakeRadio& radio = StartRadio("1.02.03");
    profile::WriteString("COM PORT", "Device3", radio.Device(), ini);
    const ToolResult r = RunTool(dir, {"--ini", ini, "--port", "3", "probe"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut,
              "Radio found on COM3 (" + radio.Device() + ")\nFirmware version: 1.02.03\n");
    EXPECT_EQ(r.strErr, "");
    const std::uint16_t nVersion = XtraVariant().firmwareVersion.nStart;
    const auto hi = static_cast<std::uint8_t>(nVersion >> 8);
    const auto lo = static_cast<std::uint8_t>(nVersion & 0xFF);
    EXPECT_EQ(radio.Frames(), (std::vector<Bytes>{kEntryFrame,
                                                  {0x52, hi, lo, 8},
                                                  {0x52, hi, static_cast<std::uint8_t>(lo + 8), 8},
                                                  {0x99}}));
}

TEST_F(ProbeFixture, ScanStartsAtThePortInTheSettingsFile) {
    CFakeRadio& radio = StartRadio("1.02");
    profile::WriteString("COM PORT", "ComPort", "7", ini);
    profile::WriteString("COM PORT", "Device7", radio.Device(), ini);
    const ToolResult r = RunTool(dir, {"--ini", ini, "probe"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "Radio found on COM7 (" + radio.Device() + ")\nFirmware version: 1.02\n");
}

TEST_F(ProbeFixture, NamedDeviceAndTrace) {
    CFakeRadio& radio = StartRadio("1.02");
    const ToolResult r = RunTool(dir, {"--ini", ini, "--port", radio.Device(), "--trace", "probe"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "Radio found on " + radio.Device() + "\nFirmware version: 1.02\n");
    EXPECT_NE(r.strErr.find("> 5A C3 17 8E\n< 99\n"), std::string::npos) << r.strErr;
    char reply[64];
    const std::uint16_t nVersion = XtraVariant().firmwareVersion.nStart;
    std::snprintf(reply, sizeof reply, "< 52 %02X %02X 08 31 2E 30 32 00 00 00 00\n", nVersion >> 8,
                  nVersion & 0xFF);
    EXPECT_NE(r.strErr.find(reply), std::string::npos) << r.strErr;
    EXPECT_NE(r.strErr.find("> 99\n< 99\n"), std::string::npos) << r.strErr;
}

TEST_F(ProbeFixture, LaterFirmwareFailsWithTheMessageAndNoEndByte) {
    CFakeRadio& radio = StartRadio("1.03");
    const ToolResult r = RunTool(dir, {"--ini", ini, "--port", radio.Device(), "probe"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strOut, "");
    EXPECT_EQ(r.strErr, "wr7310 probe: " + std::string(msg::kVersionTooNew) + "\n");
    EXPECT_EQ(radio.Frames().size(), 3u); // entry and the two version blocks
}

// A device named with --port that finds no radio: the connection error, then why.
TEST_F(ProbeFixture, NamedDeviceFailureSaysWhy) {
    CPty busy;
    CSerialPort holder; // another program's claim on the port
    ASSERT_TRUE(holder.Open(busy.SlavePath()));
    CPty silent;
    WriteTextFile(dir.File("plain"), "");
    const std::string strSelf = std::to_string(::getpid());
    struct {
        std::string strDevice;
        std::string strReason;
    } const cases[] = {
        {dir.File("ttyUSB9"), dir.File("ttyUSB9") + ": No such device."},
        {dir.File("plain"), dir.File("plain") + ": Not a serial port."},
        {busy.SlavePath(),
         busy.SlavePath() + ": Busy: another program holds it: PID " + strSelf + " ("},
        {silent.SlavePath(), silent.SlavePath() + ": The port opened, but no radio answered."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strDevice);
        const ToolResult r = RunTool(dir, {"--ini", ini, "--port", c.strDevice, "probe"});
        EXPECT_EQ(r.nExit, 1);
        EXPECT_EQ(r.strOut, "");
        const std::string strExpected =
            "wr7310 probe: Connection error. Please check all connections!\nwr7310 probe: " +
            c.strReason;
        EXPECT_EQ(r.strErr.substr(0, strExpected.size()), strExpected) << r.strErr;
        EXPECT_EQ(std::count(r.strErr.begin(), r.strErr.end(), '\n'), 2) << r.strErr;
    }
}

TEST_F(ProbeFixture, RefusedPortGetsAHintAfterTheConnectionError) {
    CPty pty;
    const group* dialout = ::getgrnam("dialout");
    if (::geteuid() == 0 && dialout) {
        ASSERT_EQ(::chown(pty.SlavePath().c_str(), 0, dialout->gr_gid), 0);
    }
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0060), 0);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
    // The build folder may lie where only its owner may enter (a home folder): the ordinary
    // user runs a copy of the tool from the test's own folder.
    const std::string strTool = dir.File("wr7310");
    std::filesystem::copy_file(WR7310_TOOL, strTool);
    std::filesystem::permissions(
        strTool, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                     std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                     std::filesystem::perms::others_exec);
    const std::string strReach = RunUnprivileged(
        [&] { return ::access(strTool.c_str(), X_OK) == 0 ? std::string() : std::string("no"); });
    if (!strReach.empty())
        GTEST_SKIP() << "an ordinary user cannot reach " << strTool
                     << " (the temporary folder lies in a private folder); set TMPDIR to a "
                        "folder every user may enter to run this test";
    const std::string result = RunUnprivileged([&] {
        const ToolResult r =
            RunTool(dir, {"--ini", ini, "--port", pty.SlavePath(), "probe"}, strTool);
        return std::to_string(r.nExit) + "|" + r.strOut + "|" + r.strErr;
    });
    const std::string prefix = "1||wr7310 probe: " + std::string(msg::kConnectionError) + "\n";
    ASSERT_EQ(result.substr(0, prefix.size()), prefix) << result;
    const std::string hint = result.substr(prefix.size());
    EXPECT_NE(hint.find(pty.SlavePath()), std::string::npos) << hint;
    EXPECT_EQ(std::count(hint.begin(), hint.end(), '\n'), 1) << hint;
}

TEST_F(ProbeFixture, HelpAndUsageErrors) {
    CFakeRadio& radio = StartRadio("1.02");
    ToolResult r = RunTool(dir, {"probe", "--help"});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.strOut.rfind("usage: wr7310 [OPTIONS] probe\n", 0), 0u) << r.strOut;
    r = RunTool(dir, {"--help"});
    EXPECT_NE(r.strOut.find("probe"), std::string::npos);
    r = RunTool(dir, {"--ini", ini, "probe", "extra"});
    EXPECT_EQ(r.nExit, 2);
    EXPECT_TRUE(radio.Frames().empty());
}

// The same through the simulated radio, paced at the radio's 9600 baud.
TEST(ProbeSimulatedRadio, FindsTheRadioAndItsVersion) {
    CTempDir dir;
    CRadioSimOptions options;
    options.firmwareVersion = "1.02-sim";
    options.strLinkPath = dir.File("radio");
    CSimRadio radio(options);
    WriteTextFile(dir.File("wr.ini"), "");
    const ToolResult r =
        RunTool(dir, {"--ini", dir.File("wr.ini"), "--port", dir.File("radio"), "probe"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "Radio found on " + dir.File("radio") + "\nFirmware version: 1.02-sim\n");
    EXPECT_EQ(r.strErr, "");
    EXPECT_EQ(radio.Frames().back(), Bytes{0x99}); // the transfer was ended
}
