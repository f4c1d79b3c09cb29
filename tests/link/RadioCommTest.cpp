// SPDX-License-Identifier: GPL-3.0-or-later
// The programming protocol against a fake radio on a pseudo-terminal.
#include "link/RadioComm.h"
#include "FakeRadio.h"
#include "TempDir.h"
#include "app/WR7310App.h"
#include "base/Messages.h"
#include "base/ProfileFile.h"
#include "link/PortNames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <grp.h>
#include <memory>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const Bytes kEntryFrame = {0x5A, 0xC3, 0x17, 0x8E};

std::uint16_t VersionAddr() {
    return XtraVariant().firmwareVersion.nStart;
}

Bytes ReadFrame(std::uint16_t nAddr, std::uint8_t n) {
    return {0x52, static_cast<std::uint8_t>(nAddr >> 8), static_cast<std::uint8_t>(nAddr), n};
}

// An application with its own settings file and recorded messages; COMn mapped to devices by
// "DeviceN" keys, and every port not mapped otherwise pointing at a device that does not
// exist, so that no test ever touches this machine's own serial ports.
struct LinkFixture : ::testing::Test {
    LinkFixture() : ini(dir.File("WR7310SXtra.ini")), app(XtraVariant(), ini) {
        app.SetNotifier(&notes);
        for (int n = 1; n <= radio::kMaxComPort; ++n)
            MapPort(n, dir.File("missing" + std::to_string(n)));
        comm.SetPortObserver([this](int nPort, const std::string&) { tried.push_back(nPort); });
    }

    void MapPort(int nPort, const std::string& strDevice) {
        ASSERT_TRUE(
            profile::WriteString("COM PORT", "Device" + std::to_string(nPort), strDevice, ini));
    }

    // A radio on COM1 with the given behaviour and firmware version, connected.
    CFakeRadio& ConnectTo(CRadioBehaviour behaviour = {}, std::string strVersion = "1.02") {
        radio = std::make_unique<CFakeRadio>(behaviour);
        radio->SetVersion(VersionAddr(), strVersion);
        MapPort(1, radio->Device());
        app.m_nComPort = 1;
        EXPECT_EQ(comm.Connect(), 1);
        return *radio;
    }

    // Frames after the entry sequence.
    std::vector<Bytes> FramesAfterEntry() const {
        auto frames = radio->Frames();
        EXPECT_FALSE(frames.empty());
        if (!frames.empty()) {
            EXPECT_EQ(frames.front(), kEntryFrame);
            frames.erase(frames.begin());
        }
        return frames;
    }

    CTempDir dir;
    std::string ini;
    CWR7310App app;
    CRecordingNotifier notes;
    CRadioComm comm{&app};
    std::unique_ptr<CFakeRadio> radio;
    std::vector<int> tried;
};

} // namespace

TEST_F(LinkFixture, HandshakeSendsTheEntrySequenceAndLeavesThePortOpen) {
    ConnectTo();
    EXPECT_EQ(radio->Frames(), std::vector<Bytes>{kEntryFrame});
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_EQ(comm.PortName(), radio->Device());
    EXPECT_EQ(app.m_nComPort, 1);
    EXPECT_TRUE(notes.Texts().empty());
}

TEST_F(LinkFixture, EntryAnsweredWithAnotherByteIsNoRadio) {
    CFakeRadio fake({.nEntryReply = 0x98});
    MapPort(1, fake.Device());
    app.m_nComPort = 1;
    EXPECT_EQ(comm.Connect(), 0);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(notes.Texts(), std::vector<std::string>{std::string(msg::kConnectionError)});
}

TEST_F(LinkFixture, BlockReadFrameAndData) {
    ConnectTo();
    const Bytes data = {0x10, 0x21, 0x32, 0x43, 0x54, 0x65, 0x76, 0x87};
    radio->SetMemory(0x1A8, data);
    std::uint8_t dest[8] = {};
    ASSERT_TRUE(comm.ReadBlock(0x1A8, 8, dest));
    EXPECT_EQ(Bytes(dest, dest + 8), data);
    std::uint8_t six[6] = {};
    ASSERT_TRUE(comm.ReadBlock(0x348, 6, six));
    EXPECT_EQ(FramesAfterEntry(), (std::vector<Bytes>{ReadFrame(0x1A8, 8), ReadFrame(0x348, 6)}));
}

TEST_F(LinkFixture, ReadReplyWithOtherLeadingBytesIsAccepted) {
    ConnectTo({.bCorruptEcho = true});
    radio->SetMemory(0x040, {1, 2, 3, 4, 5, 6, 7, 8});
    std::uint8_t dest[8] = {};
    ASSERT_TRUE(comm.ReadBlock(0x040, 8, dest));
    EXPECT_EQ(Bytes(dest, dest + 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(LinkFixture, ShortReadReplyFailsAndLeavesTheDestinationAlone) {
    ConnectTo({.bShortReadReply = true});
    std::uint8_t dest[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_FALSE(comm.ReadBlock(0x000, 8, dest));
    EXPECT_EQ(Bytes(dest, dest + 8), Bytes(8, 0xEE));
    EXPECT_TRUE(notes.Texts().empty()); // the caller reports the address
}

TEST_F(LinkFixture, BlockWriteFrameByteForByte) {
    ConnectTo();
    const std::uint8_t data[6] = {0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5};
    ASSERT_TRUE(comm.WriteBlock(0x0320, 6, data));
    const std::uint8_t one = 0x85;
    ASSERT_TRUE(comm.WriteBlock(0x0324, 1, &one));
    EXPECT_EQ(FramesAfterEntry(),
              (std::vector<Bytes>{{0x57, 0x03, 0x20, 0x06, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5},
                                  {0x57, 0x03, 0x24, 0x01, 0x85}}));
    const Bytes memory = radio->Memory();
    EXPECT_EQ(Bytes(memory.begin() + 0x320, memory.begin() + 0x326),
              (Bytes{0xA0, 0xB1, 0xC2, 0xD3, 0x85, 0xF5}));
}

TEST_F(LinkFixture, WriteAcknowledgedWithAnotherByteFails) {
    ConnectTo({.nWriteAck = 0x66});
    const std::uint8_t data[8] = {};
    EXPECT_FALSE(comm.WriteBlock(0x0100, 8, data));
}

TEST_F(LinkFixture, BytesAfterACorrectAcknowledgeAreDiscardedByTheNextCommand) {
    ConnectTo({.bJunkAfterAck = true});
    const std::uint8_t data[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    ASSERT_TRUE(comm.WriteBlock(0x0100, 8, data));
    std::uint8_t dest[8] = {};
    ASSERT_TRUE(comm.ReadBlock(0x0100, 8, dest));
    EXPECT_EQ(Bytes(dest, dest + 8), Bytes(8, 9));
}

TEST_F(LinkFixture, EndTransferSendsTheEndByte) {
    ConnectTo();
    EXPECT_TRUE(comm.EndTransfer());
    EXPECT_EQ(FramesAfterEntry(), std::vector<Bytes>{{0x99}});
}

TEST_F(LinkFixture, BlockLengthsOutsideOneToEightAreRefusedUnsent) {
    ConnectTo();
    std::uint8_t buffer[300] = {};
    EXPECT_FALSE(comm.ReadBlock(0x000, 0, buffer));
    EXPECT_FALSE(comm.ReadBlock(0x000, 9, buffer));
    EXPECT_FALSE(comm.ReadBlock(0x000, -1, buffer));
    EXPECT_FALSE(comm.WriteBlock(0x000, 0, buffer));
    EXPECT_FALSE(comm.WriteBlock(0x000, 256, buffer));
    EXPECT_TRUE(FramesAfterEntry().empty());
}

TEST_F(LinkFixture, TraceSeesEveryFrameAndReply) {
    std::vector<std::pair<bool, Bytes>> trace;
    comm.SetTrace([&](bool bSent, std::span<const std::uint8_t> bytes) {
        trace.emplace_back(bSent, Bytes(bytes.begin(), bytes.end()));
    });
    ConnectTo();
    comm.EndTransfer();
    EXPECT_EQ(trace, (std::vector<std::pair<bool, Bytes>>{
                         {true, kEntryFrame}, {false, {0x99}}, {true, {0x99}}, {false, {0x99}}}));
}

// The version gate: the radio's text, and the message expected (empty: the gate passes).
struct VersionCase {
    std::string strVersion;
    std::string_view strMessage;
};

void PrintTo(const VersionCase& c, std::ostream* os) {
    *os << '"' << c.strVersion << '"';
}

class VersionGate : public LinkFixture, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionGate, ComparesTheFirstFourCharacters) {
    const VersionCase& c = GetParam();
    ConnectTo({}, c.strVersion);
    EXPECT_EQ(comm.CheckFirmwareVersion(), c.strMessage.empty());
    std::vector<std::string> expected;
    if (!c.strMessage.empty())
        expected.emplace_back(c.strMessage);
    EXPECT_EQ(notes.Texts(), expected);
    EXPECT_EQ(comm.FirmwareVersion(), c.strVersion);
    EXPECT_EQ(FramesAfterEntry(),
              (std::vector<Bytes>{ReadFrame(VersionAddr(), 8), ReadFrame(VersionAddr() + 8, 8)}));
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionGate,
                         ::testing::Values(VersionCase{"1.02", {}}, VersionCase{"1.02x", {}},
                                           VersionCase{"1.02.03 build 77", {}},
                                           VersionCase{"1.03", msg::kVersionTooNew},
                                           VersionCase{"2", msg::kVersionTooNew},
                                           VersionCase{"1.01", msg::kVersionTooOld},
                                           VersionCase{"1.0", msg::kVersionTooOld},
                                           VersionCase{"", msg::kVersionTooOld}),
                         [](const ::testing::TestParamInfo<VersionCase>& param) {
                             return "Case" + std::to_string(param.index);
                         });

TEST_F(LinkFixture, UnreadableVersionCountsAsEarlier) {
    ConnectTo({.bIgnoreReads = true});
    EXPECT_FALSE(comm.CheckFirmwareVersion());
    EXPECT_EQ(notes.Texts(), std::vector<std::string>{std::string(msg::kVersionTooOld)});
    // Reading stopped at the first block that failed.
    EXPECT_EQ(FramesAfterEntry(), std::vector<Bytes>{ReadFrame(VersionAddr(), 8)});
}

TEST_F(LinkFixture, VersionBytesAboveSevenBitsCompareAsUnsigned) {
    ConnectTo({}, "\xB1.02");
    std::string strVersion = "stale";
    EXPECT_EQ(comm.ReadFirmwareVersion(strVersion, "1.02"), 1);
    EXPECT_EQ(strVersion, "\xB1.02");
}

TEST_F(LinkFixture, FactoryLevelReadsNoVersion) {
    ASSERT_TRUE(profile::WriteString("User Mode", "Level", std::to_string(kFactoryLevel), ini));
    ConnectTo({}, "0.99");
    EXPECT_TRUE(comm.CheckFirmwareVersion());
    EXPECT_TRUE(notes.Texts().empty());
    EXPECT_TRUE(FramesAfterEntry().empty());
}

TEST_F(LinkFixture, ScanTriesTheCurrentPortThenOneToSixteen) {
    CFakeRadio silent1({.bSilent = true}), silent2({.bSilent = true}), silent3({.bSilent = true}),
        silent4({.bSilent = true});
    CFakeRadio answering;
    answering.SetVersion(VersionAddr(), "1.02");
    MapPort(1, silent1.Device());
    MapPort(2, silent2.Device());
    MapPort(3, silent3.Device());
    MapPort(4, silent4.Device());
    MapPort(5, answering.Device());
    app.m_nComPort = 2;
    EXPECT_EQ(comm.Connect(), 5);
    EXPECT_EQ(tried, (std::vector<int>{2, 1, 2, 3, 4, 5}));
    EXPECT_EQ(app.m_nComPort, 5);
    EXPECT_EQ(comm.PortName(), answering.Device());
    EXPECT_TRUE(notes.Texts().empty());
    // Every port tried was sent the entry sequence.
    EXPECT_EQ(silent2.FramesOnceThereAre(2), (std::vector<Bytes>{kEntryFrame, kEntryFrame}));
    EXPECT_EQ(silent4.FramesOnceThereAre(1), std::vector<Bytes>{kEntryFrame});
}

TEST_F(LinkFixture, RadioOnTheCurrentPortIsFoundFirst) {
    CFakeRadio silent1({.bSilent = true});
    CFakeRadio answering;
    MapPort(1, silent1.Device());
    MapPort(5, answering.Device());
    app.m_nComPort = 5;
    EXPECT_EQ(comm.Connect(), 5);
    EXPECT_EQ(tried, std::vector<int>{5});
    EXPECT_TRUE(silent1.Frames().empty());
}

TEST_F(LinkFixture, NoRadioGivesOneMessageAndPortZeroAndTheNextScanStartsThere) {
    CFakeRadio silent1({.bSilent = true}), silent2({.bSilent = true});
    MapPort(1, silent1.Device());
    MapPort(2, silent2.Device());
    app.m_nComPort = 2;
    EXPECT_EQ(comm.Connect(), 0);
    EXPECT_EQ(app.m_nComPort, 0);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(notes.Texts(), std::vector<std::string>{std::string(msg::kConnectionError)});
    // The remembered port, then COM1 to COM16.
    EXPECT_EQ(tried, (std::vector<int>{2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(silent1.FramesOnceThereAre(1), std::vector<Bytes>{kEntryFrame});
    EXPECT_EQ(silent2.FramesOnceThereAre(2), (std::vector<Bytes>{kEntryFrame, kEntryFrame}));
    EXPECT_TRUE(comm.PermissionHints().empty()); // nothing was refused

    tried.clear();
    EXPECT_EQ(comm.Connect(), 0);
    ASSERT_FALSE(tried.empty());
    EXPECT_EQ(tried.front(), 0);
    EXPECT_EQ(notes.Texts().size(), 2u);
}

TEST_F(LinkFixture, NamedDeviceIsTheOnlyOneTried) {
    CFakeRadio answering;
    CFakeRadio other;
    MapPort(1, other.Device());
    app.m_strPortDevice = answering.Device();
    app.m_nComPort = 3;
    EXPECT_EQ(comm.Connect(), 3);
    EXPECT_EQ(comm.PortName(), answering.Device());
    EXPECT_TRUE(other.Frames().empty());
}

// Permission hints: the text names the device and the group whose members may use it.
TEST(PermissionHint, NamesTheDeviceAndTheGroup) {
    const group* dialout = ::getgrnam("dialout");
    if (!dialout)
        GTEST_SKIP() << "no dialout group on this machine";
    CTempDir dir;
    const std::string device = dir.File("ttyUSB0");
    WriteTextFile(device, "");
    if (::chown(device.c_str(), static_cast<uid_t>(-1), dialout->gr_gid) != 0)
        GTEST_SKIP() << "cannot hand the file to the dialout group";
    ASSERT_EQ(::chmod(device.c_str(), 0660), 0);
    const std::string hint = PortPermissionHint(device);
    EXPECT_NE(hint.find(device), std::string::npos) << hint;
    EXPECT_NE(hint.find("60-wr7310.rules"), std::string::npos) << hint; // the udev rule
    if (::getegid() != dialout->gr_gid) { // a member in this session gets no group advice
        EXPECT_NE(hint.find("\"dialout\""), std::string::npos) << hint;
    }

    // A group that may not read and write the device is no advice.
    ASSERT_EQ(::chmod(device.c_str(), 0640), 0);
    const std::string noGroup = PortPermissionHint(device);
    EXPECT_NE(noGroup.find(device), std::string::npos);
    EXPECT_EQ(noGroup.find("dialout"), std::string::npos) << noGroup;
    EXPECT_NE(noGroup.find("60-wr7310.rules"), std::string::npos) << noGroup;

    EXPECT_EQ(PortPermissionHint(dir.File("ttyUSB7")), "");
}

// End to end: an ordinary user whose only port is refused for lack of permission.
TEST(PermissionHint, ScanReportsRefusedPortsAfterTheConnectionError) {
    CTempDir dir;
    CPty pty;
    const group* dialout = ::getgrnam("dialout");
    const gid_t gid = dialout ? dialout->gr_gid : ::getegid();
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(pty.SlavePath().c_str(), 0, gid), 0);
    }
    // Owner and others may not; the group may (an ordinary owner is refused too).
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0060), 0);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
    const std::string ini = dir.File("WR7310SXtra.ini");
    ASSERT_TRUE(profile::WriteString("COM PORT", "Device1", pty.SlavePath(), ini));
    for (int n = 2; n <= radio::kMaxComPort; ++n)
        ASSERT_TRUE(profile::WriteString("COM PORT", "Device" + std::to_string(n),
                                         dir.File("missing"), ini));
    ASSERT_EQ(::chmod(ini.c_str(), 0644), 0);

    const std::string result = RunUnprivileged([&] {
        CWR7310App app(XtraVariant(), ini);
        CRecordingNotifier notes;
        app.SetNotifier(&notes);
        app.m_nComPort = 1;
        CRadioComm comm(&app);
        std::string text = std::to_string(comm.Connect());
        for (const std::string& s : notes.Texts())
            text += "|" + s;
        for (const std::string& s : comm.PermissionHints())
            text += "|" + s;
        return text;
    });
    std::vector<std::string> parts;
    for (std::size_t nFrom = 0;;) {
        const std::size_t nBar = result.find('|', nFrom);
        parts.push_back(result.substr(nFrom, nBar - nFrom));
        if (nBar == std::string::npos)
            break;
        nFrom = nBar + 1;
    }
    // One hint although the port was tried twice (as the current port and as COM1).
    ASSERT_EQ(parts.size(), 3u) << result;
    EXPECT_EQ(parts[0], "0");
    EXPECT_EQ(parts[1], msg::kConnectionError);
    EXPECT_NE(parts[2].find(pty.SlavePath()), std::string::npos) << parts[2];
    if (dialout && ::geteuid() == 0) { // "nobody" is no member: the group is the advice
        EXPECT_NE(parts[2].find("\"dialout\""), std::string::npos) << parts[2];
    }
}

// The radio needs a pause before every command and time to settle after the port opens. The
// fake radio records when each frame arrived and when it answered: only lower bounds are
// required, so a slow machine cannot fail this.
TEST_F(LinkFixture, PausesBeforeEveryCommandAndAfterOpening) {
    using namespace std::chrono_literals;
    radio = std::make_unique<CFakeRadio>();
    radio->SetVersion(VersionAddr(), "1.02");
    MapPort(1, radio->Device());
    app.m_nComPort = 1;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(comm.Connect(), 1);
    ASSERT_TRUE(comm.CheckFirmwareVersion());
    std::uint8_t block[8];
    ASSERT_TRUE(comm.ReadBlock(0x100, 8, block));
    ASSERT_TRUE(comm.WriteBlock(0x108, 8, block));
    ASSERT_TRUE(comm.EndTransfer());
    const auto arrivals = radio->FrameTimes();
    const auto replies = radio->ReplyTimes();
    ASSERT_EQ(arrivals.size(), 6u); // entry, two version blocks, read, write, end
    ASSERT_EQ(replies.size(), 6u);
    EXPECT_GE(arrivals[0] - start, 50ms + 5ms); // settle after opening, then the pause
    for (std::size_t i = 1; i < arrivals.size(); ++i)
        EXPECT_GE(arrivals[i] - replies[i - 1], 5ms) << "frame " << i;
}

// Several application objects live at once (the fleet, tests): a link tries, stores and
// reports with the one that owns it, not with the one made last.
TEST_F(LinkFixture, TheLinkServesItsOwnerNotTheNewestApplication) {
    CWR7310App newest(OldVariant(), dir.File("WR7310S.ini"));
    CRecordingNotifier newestNotes;
    newest.SetNotifier(&newestNotes);
    newest.m_nComPort = 7;
    app.m_nComPort = 3;
    EXPECT_EQ(comm.Connect(), 0); // no radio on any port
    ASSERT_FALSE(tried.empty());
    EXPECT_EQ(tried.front(), 3);
    EXPECT_EQ(app.m_nComPort, 0);
    EXPECT_EQ(newest.m_nComPort, 7);
    EXPECT_EQ(notes.Texts(), std::vector<std::string>{std::string(msg::kConnectionError)});
    EXPECT_TRUE(newestNotes.m_messages.empty());
}
