// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tool where a hostile user or a flaky machine meets it: paths that cannot
// be saved, full disks, settings files that are no settings files, radio text with control
// bytes. Against the simulated radio on a pseudo-terminal.
#include "TransferFixture.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

class CliSafetyTest : public TransferTest {
protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", m_dir.File("data").c_str(), 1);
        WriteTextFile(m_strIni, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
    }

    void StartRadioWith(std::vector<std::uint8_t> memory) {
        CRadioSimOptions o;
        o.image = std::move(memory);
        StartRadio(o);
    }

    struct CResult {
        int nStatus = -1;
        std::string strOut;
        std::string strErr;
    };
    // Runs the tool through the shell: strPrefix goes before it (ulimit, trap), strOut is
    // where its standard output goes (empty: a file that is then read).
    CResult Cli(const std::string& strArgs, const std::string& strOut = {},
                const std::string& strPrefix = {}, const std::string& strIni = {}) {
        const std::string strOutFile = m_dir.File("stdout");
        const std::string strPort = m_pRadio ? m_pRadio->DevicePath() : m_dir.File("noradio");
        const std::string strCommand = strPrefix + " exec " + Quote(WR7310_CLI_PATH) + " --ini " +
                                       Quote(strIni.empty() ? m_strIni : strIni) + " --port " +
                                       Quote(strPort) + " " + strArgs + " >" +
                                       (strOut.empty() ? Quote(strOutFile) : strOut) + " 2>" +
                                       Quote(m_dir.File("stderr")) + " </dev/null";
        const int nRaw = std::system(strCommand.c_str());
        CResult r;
        r.nStatus = WIFEXITED(nRaw) ? WEXITSTATUS(nRaw) : -1;
        r.strOut = strOut.empty() ? ReadTextFile(strOutFile) : "";
        r.strErr = ReadTextFile(m_dir.File("stderr"));
        return r;
    }

    static std::vector<std::uint8_t> RadioFileOf(const std::vector<std::uint8_t>& image) {
        std::vector<std::uint8_t> file(128 + image.size(), 0);
        std::copy(image.begin(), image.end(), file.begin() + 128);
        return file;
    }
};

// show, dump and diff print to standard output; when it cannot be written, the command fails.
TEST_F(CliSafetyTest, OutputThatCannotBeWrittenFailsTheCommand) {
    const std::string a = m_dir.File("a.wr73"), b = m_dir.File("b.wr73");
    WriteBinaryFile(a, RadioFileOf(RandomRadioMemory(1)));
    WriteBinaryFile(b, RadioFileOf(RandomRadioMemory(2)));
    struct {
        std::string strArgs;
        int nStatus;     // with output that can be written
        int nFullStatus; // to a full disk
    } const cases[] = {
        {"show " + Quote(a), 0, 2},
        {"show " + Quote(a) + " --json", 0, 2},
        {"dump " + Quote(a), 0, 2},
        {"diff " + Quote(a) + " " + Quote(b), 1, 2},
        {"diff " + Quote(a) + " " + Quote(a), 0, 0}, // nothing to print, nothing lost
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strArgs);
        EXPECT_EQ(Cli(c.strArgs).nStatus, c.nStatus);
        const CResult r = Cli(c.strArgs, "/dev/full");
        EXPECT_EQ(r.nStatus, c.nFullStatus);
        if (c.nFullStatus != 0) {
            EXPECT_NE(r.strErr.find("wr7310 " + c.strArgs.substr(0, c.strArgs.find(' ')) +
                                    ": Cannot write standard output"),
                      std::string::npos)
                << r.strErr;
        }
    }
}

// A path that cannot take the file is refused before the radio is asked anything.
TEST_F(CliSafetyTest, UnsavablePathIsRefusedBeforeConnecting) {
    StartRadioWith(RandomRadioMemory(3));
    fs::create_directory(m_dir.File("folder"));
    WriteTextFile(m_dir.File("plain"), "");
    struct {
        std::string strCommand;
        std::string strPath;
        const char* pszReason;
    } const cases[] = {
        {"read -o", m_dir.File("none/r.wr73"), "No such file or directory"},
        {"read -o", m_dir.File("folder"), "Is a directory"},
        {"read -o", m_dir.File("plain/r.wr73"), "Not a directory"},
        {"embedded read -o", m_dir.File("none/e.txt"), "No such file or directory"},
        {"embedded read -o", m_dir.File("folder"), "Is a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strCommand + " " + c.strPath);
        const CResult r = Cli(c.strCommand + " " + Quote(c.strPath));
        EXPECT_EQ(r.nStatus, 1);
        EXPECT_EQ(r.strErr, "wr7310 " + c.strCommand.substr(0, c.strCommand.find(' ')) + ": " +
                                c.strPath + ": Cannot save: " + c.pszReason +
                                ". Nothing was read.\n");
    }
    EXPECT_TRUE(m_pRadio->Frames().empty());
    EXPECT_FALSE(fs::exists(m_dir.File("data")));
}

// When the final save fails all the same (here a pipe nobody reads), the read image survives
// in the backup and the message names it.
TEST_F(CliSafetyTest, FailedFinalSaveNamesTheBackup) {
    const auto memory = RandomRadioMemory(4);
    StartRadioWith(memory);
    const std::string strPipe = m_dir.File("r.wr73");
    ASSERT_EQ(::mkfifo(strPipe.c_str(), 0600), 0);
    const CResult r = Cli("read -o " + Quote(strPipe));
    EXPECT_EQ(r.nStatus, 1);
    const std::string strBackups = m_dir.File("data/wr7310/backups");
    ASSERT_TRUE(fs::is_directory(strBackups));
    fs::path backup;
    for (const auto& e : fs::directory_iterator(strBackups))
        if (e.path().extension() == ".wr73") // not the raw image beside it
            backup = e.path();
    EXPECT_NE(r.strErr.find("wr7310 read: The image read is kept in " + backup.string() + "\n"),
              std::string::npos)
        << r.strErr;
    std::vector<std::uint8_t> expected = RadioFileOf(memory);
    const std::vector<std::uint8_t> saved = ReadBinaryFile(backup.string());
    ASSERT_EQ(saved.size(), expected.size());
    EXPECT_TRUE(std::equal(saved.begin() + 128, saved.end(), memory.begin()));
    struct stat st {};
    ASSERT_EQ(::lstat(strPipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)); // never renamed over
}

// A full disk (a file size limit) while the embedded text is saved over an older one.
TEST_F(CliSafetyTest, FullDiskKeepsTheOldTextFile) {
    auto memory = RandomRadioMemory(5);
    std::fill(memory.begin() + 0x780, memory.end(), 'x');
    StartRadioWith(memory);
    const std::string strText = m_dir.File("e.txt");
    WriteTextFile(strText, "old text");
    // The limit holds for the tool alone; its messages and status leave through a pipe.
    const std::string strCommand =
        "{ (trap '' XFSZ; ulimit -f 0; exec " + Quote(WR7310_CLI_PATH) + " --ini " +
        Quote(m_strIni) + " --port " + Quote(m_pRadio->DevicePath()) + " embedded read -o " +
        Quote(strText) + " </dev/null >/dev/null) 2>&1; echo \"status $?\"; } | cat >" +
        Quote(m_dir.File("log"));
    ASSERT_EQ(std::system(strCommand.c_str()), 0);
    const std::string strLog = ReadTextFile(m_dir.File("log"));
    EXPECT_NE(strLog.find("wr7310 embedded: " + strText + ": Cannot write: File too large\n"),
              std::string::npos)
        << strLog;
    EXPECT_NE(strLog.find("status 1\n"), std::string::npos) << strLog;
    EXPECT_EQ(ReadTextFile(strText), "old text");
    for (const auto& e : fs::directory_iterator(m_dir.Path()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(CliSafetyTest, EmbeddedTextReachesTheTerminalEscaped) {
    auto memory = RandomRadioMemory(6);
    const std::string strStored = "Site\x1B]0;owned\x07\nline two\r";
    std::fill(memory.begin() + 0x780, memory.end(), 0);
    std::copy(strStored.begin(), strStored.end(), memory.begin() + 0x780);
    StartRadioWith(memory);
    CResult r = Cli("embedded read");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "Site\\x1B]0;owned\\x07\nline two\\x0D\n");
    // A file gets the bytes exactly, and so does standard output named with "-".
    r = Cli("embedded read -o " + Quote(m_dir.File("e.txt")));
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(ReadTextFile(m_dir.File("e.txt")), strStored);
    r = Cli("embedded read -o -", Quote(m_dir.File("piped.txt")));
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(ReadTextFile(m_dir.File("piped.txt")), strStored);
    // What was piped out goes back unchanged.
    std::fill(memory.begin() + 0x780, memory.end(), 'x');
    m_pRadio.reset();
    StartRadioWith(memory);
    ASSERT_EQ(Cli("embedded write " + Quote(m_dir.File("piped.txt"))).nStatus, 0);
    const auto after = m_pRadio->Memory();
    EXPECT_EQ(std::string(after.begin() + 0x780, after.begin() + 0x780 + 24), strStored);
    EXPECT_EQ(after[0x780 + 24], 0);
}

// Settings files that are no settings files are refused at once, by name; a missing one named
// with --ini is an error.
TEST_F(CliSafetyTest, SettingsFileProblemsAreRefusedByName) {
    const std::string strHuge = m_dir.File("huge.ini");
    WriteTextFile(strHuge, "[FreqRange]\nMinFreq=400\n" + std::string(1024 * 1024, ';'));
    struct {
        std::string strIni;
        const char* pszReason;
    } const cases[] = {
        {m_dir.File("missing.ini"), "does not exist"},
        {"/dev/zero", "is not a regular file"},
        {strHuge, "is larger than 1 MiB"},
        {m_dir.Path().string(), "is a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strIni);
        const CResult r = Cli("new -o " + Quote(m_dir.File("n.wr73")), {}, {}, c.strIni);
        EXPECT_EQ(r.nStatus, 1);
        EXPECT_EQ(r.strErr.rfind("wr7310 new: " + c.strIni + ": Settings file " + c.pszReason, 0),
                  0u)
            << r.strErr;
        EXPECT_FALSE(fs::exists(m_dir.File("n.wr73")));
    }
    // With a byte-order mark the first section still counts: the new file has the range.
    WriteTextFile(m_strIni, "\xEF\xBB\xBF[FreqRange]\nMinFreq=410\nMaxFreq=420\n");
    const CResult r = Cli("new -o " + Quote(m_dir.File("n.wr73")));
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const auto file = ReadBinaryFile(m_dir.File("n.wr73"));
    ASSERT_EQ(file.size(), 2176u);
    // 410 MHz and 420 MHz as counts of 6.25 kHz steps.
    EXPECT_EQ(file[128 + 0x348] | (file[128 + 0x349] << 8) | (file[128 + 0x34A] << 16), 65600);
    EXPECT_EQ(file[128 + 0x34B] | (file[128 + 0x34C] << 8) | (file[128 + 0x34D] << 16), 67200);
}

} // namespace
