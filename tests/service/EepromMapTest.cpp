// SPDX-License-Identifier: GPL-3.0-or-later
// The EEPROM map's rules: grid texts, the change list against the previous opening and the
// handling of its scratch file.
#include "service/EepromMap.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using eeprom::CChangeTracker;

namespace {

// The map's cells for an image: "%02X" of each byte, 16 a row.
CChangeTracker::CellTextFn Cells(const std::vector<std::uint8_t>& image) {
    return [&image](int nRow, int nCol) {
        return eeprom::CellText(image[static_cast<std::size_t>((nRow - 1) * 16 + nCol - 1)]);
    };
}

std::vector<std::string> Entries(const std::vector<eeprom::CByteChange>& changes) {
    std::vector<std::string> v;
    for (const auto& c : changes)
        v.push_back(c.Entry());
    return v;
}

class EepromChangesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CChangeTracker::s_bGridSaved = false;
        for (std::size_t i = 0; i < m_image.size(); ++i)
            m_image[i] = static_cast<std::uint8_t>(i * 7);
    }
    void TearDown() override { CChangeTracker::s_bGridSaved = false; }
    std::vector<std::string> Open(const std::string& strPath) {
        return Entries(CChangeTracker::ShowChanges(Cells(m_image), 128, 16, strPath));
    }

    CTempDir m_dir;
    std::string m_strPath = m_dir.File("wr7310/TempSaveGridData.tmp");
    std::vector<std::uint8_t> m_image = std::vector<std::uint8_t>(2048);
};

} // namespace

TEST(EepromMapTexts, HeadersCellsAndAddresses) {
    EXPECT_EQ(eeprom::CornerText(), "Addr.");
    const std::pair<int, const char*> cols[] = {{1, "__0"}, {11, "__A"}, {16, "__F"}};
    for (const auto& [n, psz] : cols)
        EXPECT_EQ(eeprom::ColumnHeaderText(n), psz);
    const std::pair<int, const char*> rows[] = {{1, "000_"}, {27, "01A_"}, {128, "07F_"}};
    for (const auto& [n, psz] : rows)
        EXPECT_EQ(eeprom::RowHeaderText(n), psz);
    EXPECT_EQ(eeprom::CellText(0x0A), "0A");
    EXPECT_EQ(eeprom::CellText(0xFF), "FF");
    EXPECT_EQ(eeprom::AddressLabelText(128, 16), "$07FF:");
    EXPECT_EQ(eeprom::AddressLabelText(1, 1), "$0000:");
    EXPECT_EQ(eeprom::ValueText("5A"), "0x5A");
}

TEST(EepromMapTexts, HexTextToByte) {
    const std::pair<const char*, int> cases[] = {
        {"00", 0x00}, {"7f", 0x7F}, {"A5", 0xA5},  {"fF", 0xFF},
        {"", 0xFF},   {"1", 0xFF},  {"123", 0xFF},
    };
    for (const auto& [psz, n] : cases)
        EXPECT_EQ(eeprom::HexTextToByte(psz), n) << psz;
}

TEST(EepromMapTexts, RowsAndRangeFollowTheModel) {
    struct {
        const CVariant& v;
        int nRows;
        const char* pszMessage;
    } const cases[] = {
        {XtraVariant(), 128, "Address is out of range: 0000 ~ 07FF"},
        {OldVariant(), 64, "Address is out of range: 0000 ~ 03FF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(eeprom::DataRows(c.v), c.nRows);
        EXPECT_EQ(eeprom::RangeMessage(c.v), c.pszMessage);
        EXPECT_TRUE(eeprom::FillAllowed(c.v, 0));
        EXPECT_TRUE(eeprom::FillAllowed(c.v, c.nRows - 1));
        EXPECT_FALSE(eeprom::FillAllowed(c.v, c.nRows));
    }
}

TEST_F(EepromChangesTest, FirstOpeningListsNothingEvenWithAnEarlierFile) {
    std::filesystem::create_directories(m_dir.File("wr7310"));
    WriteBinaryFile(m_strPath, std::vector<std::uint8_t>(2048, 0x00)); // from an earlier run
    EXPECT_TRUE(Open(m_strPath).empty());
    EXPECT_EQ(ReadBinaryFile(m_strPath), m_image); // replaced by the image shown
    EXPECT_TRUE(Open(m_strPath).empty());          // nothing changed in between
}

TEST_F(EepromChangesTest, ThreeChangesGiveThreeSortedEntries) {
    Open(m_strPath);
    m_image[0x7FF] = 0x40;
    m_image[0x1A3] = 0x3F ^ 0xFF;
    m_image[0x005] = 0x00;
    const std::uint8_t nOld1A3 = static_cast<std::uint8_t>(0x1A3 * 7);
    const auto changes = CChangeTracker::ShowChanges(Cells(m_image), 128, 16, m_strPath);
    ASSERT_EQ(changes.size(), 3u);
    char szMiddle[32];
    std::snprintf(szMiddle, sizeof szMiddle, "$01A3:0x%02X -> 0xC0", nOld1A3);
    EXPECT_EQ(Entries(changes),
              (std::vector<std::string>{"$0005:0x23 -> 0x00", szMiddle, "$07FF:0xF9 -> 0x40"}));
    EXPECT_EQ(changes[2].nRow, 128);
    EXPECT_EQ(changes[2].nCol, 16);
    EXPECT_TRUE(Open(m_strPath).empty()); // the new image is the copy now
}

TEST_F(EepromChangesTest, FileAndFolderArePrivate) {
    Open(m_strPath);
    struct stat st {};
    ASSERT_EQ(::stat(m_strPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(m_dir.File("wr7310").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(EepromChangesTest, PlantedLinksAreNotFollowed) {
    const std::string strTarget = m_dir.File("victim");
    const std::vector<std::uint8_t> victim = {'k', 'e', 'e', 'p'};
    struct {
        const char* pszCase;
        bool bLinkFolder; // the folder itself is a link, else the file
    } const cases[] = {{"file", false}, {"folder", true}};
    for (const auto& c : cases) {
        CTempDir dir;
        WriteBinaryFile(strTarget, victim);
        const std::string strFolder = dir.File("wr7310");
        if (c.bLinkFolder) {
            std::filesystem::create_directories(dir.File("elsewhere"));
            std::filesystem::create_directory_symlink(dir.File("elsewhere"), strFolder);
            std::filesystem::create_symlink(strTarget, dir.File("elsewhere/TempSaveGridData.tmp"));
        } else {
            std::filesystem::create_directories(strFolder);
            std::filesystem::create_symlink(strTarget, strFolder + "/TempSaveGridData.tmp");
        }
        EXPECT_TRUE(Open(strFolder + "/TempSaveGridData.tmp").empty()) << c.pszCase;
        EXPECT_EQ(ReadBinaryFile(strTarget), victim) << c.pszCase;
        EXPECT_FALSE(CChangeTracker::s_bGridSaved) << c.pszCase;
    }
}

TEST_F(EepromChangesTest, UnusableFolderGivesEmptyListAndNextOpeningIsAFirstOne) {
    // A plain file where the folder should be: nothing can be created in it, whoever runs.
    WriteBinaryFile(m_dir.File("wr7310"), {1, 2, 3});
    Open(m_strPath);
    m_image[3] ^= 0xFF;
    EXPECT_TRUE(Open(m_strPath).empty());
    EXPECT_FALSE(CChangeTracker::s_bGridSaved);
    // Once the folder can be used, the first opening lists nothing and saves.
    std::filesystem::remove(m_dir.File("wr7310"));
    EXPECT_TRUE(Open(m_strPath).empty());
    EXPECT_TRUE(CChangeTracker::s_bGridSaved);
}

TEST_F(EepromChangesTest, ShortenedCopyCountsAsNone) {
    Open(m_strPath);
    WriteBinaryFile(m_strPath, std::vector<std::uint8_t>(100, 0));
    m_image[9] ^= 0xFF;
    EXPECT_TRUE(Open(m_strPath).empty());
    EXPECT_EQ(ReadBinaryFile(m_strPath), m_image);
}

TEST_F(EepromChangesTest, OlderModelComparesItsOwnSize) {
    Open(m_strPath); // a 2048-byte copy
    std::vector<std::uint8_t> old(1024, 0x11);
    CChangeTracker::s_bGridSaved = false;
    CChangeTracker::ShowChanges(Cells(old), 64, 16, m_strPath);
    EXPECT_EQ(ReadBinaryFile(m_strPath).size(), 1024u);
    old[0x3FF] = 0x12;
    EXPECT_EQ(Entries(CChangeTracker::ShowChanges(Cells(old), 64, 16, m_strPath)),
              (std::vector<std::string>{"$03FF:0x11 -> 0x12"}));
}

TEST(EepromScratchFolder, RuntimeFolderElseCacheFolder) {
    struct {
        const char* pszRuntime; // nullptr: unset
        const char* pszCache;
        const char* pszHome;
        const char* pszExpected;
    } const cases[] = {
        {"/run/user/1000", "/c", "/h", "/run/user/1000/wr7310"},
        {nullptr, "/c", "/h", "/c/wr7310"},
        {"relative", "/c", "/h", "/c/wr7310"},
        {"", nullptr, "/nonexistent-home", "/nonexistent-home/.cache/wr7310"},
    };
    const auto save = [](const char* psz) {
        const char* p = std::getenv(psz);
        return p ? std::optional<std::string>(p) : std::nullopt;
    };
    const auto restore = [](const char* psz, const std::optional<std::string>& v) {
        if (v)
            ::setenv(psz, v->c_str(), 1);
        else
            ::unsetenv(psz);
    };
    const auto runtime = save("XDG_RUNTIME_DIR"), cache = save("XDG_CACHE_HOME"),
               home = save("HOME");
    for (const auto& c : cases) {
        restore("XDG_RUNTIME_DIR",
                c.pszRuntime ? std::optional<std::string>(c.pszRuntime) : std::nullopt);
        restore("XDG_CACHE_HOME",
                c.pszCache ? std::optional<std::string>(c.pszCache) : std::nullopt);
        restore("HOME", c.pszHome ? std::optional<std::string>(c.pszHome) : std::nullopt);
        EXPECT_EQ(eeprom::ScratchFolder(), c.pszExpected);
        EXPECT_EQ(eeprom::ScratchPath(), std::string(c.pszExpected) + "/TempSaveGridData-" +
                                             std::to_string(::getpid()) + ".tmp");
    }
    restore("XDG_RUNTIME_DIR", runtime);
    restore("XDG_CACHE_HOME", cache);
    restore("HOME", home);
}

// ---- one scratch file per running program ----

namespace {

// Runs fn in a child process, as a second running program would; waits for it to end. Its
// process id, which no longer runs once this returns.
template <typename Fn> pid_t RunInChild(Fn fn) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        fn();
        ::_exit(0);
    }
    int nStatus = 0;
    ::waitpid(pid, &nStatus, 0);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0);
    return pid;
}

// XDG_RUNTIME_DIR pointed into a folder of the test while alive.
class CRuntimeEnv {
public:
    explicit CRuntimeEnv(const std::string& strFolder) {
        if (const char* p = std::getenv("XDG_RUNTIME_DIR"))
            m_saved = p;
        ::setenv("XDG_RUNTIME_DIR", strFolder.c_str(), 1);
        CChangeTracker::s_bGridSaved = false;
    }
    ~CRuntimeEnv() {
        if (m_saved)
            ::setenv("XDG_RUNTIME_DIR", m_saved->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        CChangeTracker::s_bGridSaved = false;
    }
    CRuntimeEnv(const CRuntimeEnv&) = delete;
    CRuntimeEnv& operator=(const CRuntimeEnv&) = delete;

private:
    std::optional<std::string> m_saved;
};

std::set<std::string> FileNames(const std::string& strFolder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(strFolder))
        names.insert(e.path().filename().string());
    return names;
}

} // namespace

TEST(EepromScratchFile, SecondProgramNeitherFakesNorHidesChanges) {
    CTempDir dir;
    CRuntimeEnv env(dir.Path().string());
    std::vector<std::uint8_t> mine(2048, 0x11);
    const std::vector<std::uint8_t> other(2048, 0x22); // the other window's image
    EXPECT_TRUE(CChangeTracker::ShowChanges(Cells(mine), 128, 16, eeprom::ScratchPath()).empty());
    mine[0x123] = 0x33; // a real change in this program
    // The other program opens its map with its own image, then ends.
    RunInChild([&other] {
        CChangeTracker::s_bGridSaved = false;
        CChangeTracker::ShowChanges(Cells(other), 128, 16, eeprom::ScratchPath());
        eeprom::RemoveScratchFile();
    });
    EXPECT_EQ(Entries(CChangeTracker::ShowChanges(Cells(mine), 128, 16, eeprom::ScratchPath())),
              (std::vector<std::string>{"$0123:0x11 -> 0x33"}));
    eeprom::RemoveScratchFile();
    EXPECT_TRUE(FileNames(dir.File("wr7310")).empty()); // each program removed its own
}

TEST(EepromScratchFile, NameCarriesTheProcessId) {
    const std::pair<const char*, long> cases[] = {
        {"TempSaveGridData-1234.tmp", 1234},
        {"TempSaveGridData-1.tmp", 1},
        {"TempSaveGridData.tmp", 0}, // the shared name of older versions
        {"TempSaveGridData-.tmp", 0},
        {"TempSaveGridData-0.tmp", 0},
        {"TempSaveGridData-012.tmp", 0},
        {"TempSaveGridData-12a.tmp", 0},
        {"TempSaveGridData-12.tmp.bak", 0},
        {"TempSaveGridData-1234567890.tmp", 0},
        {"other-12.tmp", 0},
    };
    for (const auto& [psz, nPid] : cases)
        EXPECT_EQ(eeprom::ScratchFilePid(psz), nPid) << psz;
    EXPECT_EQ(eeprom::ScratchFilePid(eeprom::ScratchFileName(4711)), 4711);
}

TEST(EepromScratchFile, OnlyFilesOfProgramsNoLongerRunningAreCleanedUp) {
    CTempDir dir;
    const std::string strFolder = dir.File("wr7310");
    std::filesystem::create_directories(strFolder + "/TempSaveGridData-333.tmp"); // a folder
    const std::string strOwn = eeprom::ScratchFileName(::getpid());
    struct {
        std::string strName;
        bool bStays;
    } const cases[] = {
        {strOwn, true},                      // this program's, whatever the check says
        {"TempSaveGridData-111.tmp", true},  // a running program's
        {"TempSaveGridData-222.tmp", false}, // an ended program's
        {"TempSaveGridData.tmp", true},      // not named by a process
        {"TempSaveGridData-22x.tmp", true},
        {"notes.txt", true},
    };
    for (const auto& c : cases)
        WriteBinaryFile(strFolder + "/" + c.strName, {1});
    std::filesystem::create_symlink(dir.File("victim"), strFolder + "/TempSaveGridData-444.tmp");
    WriteBinaryFile(dir.File("victim"), {7});
    eeprom::RemoveStaleScratchFiles(strFolder, [](long nPid) { return nPid == 111; });
    const std::set<std::string> left = FileNames(strFolder);
    for (const auto& c : cases)
        EXPECT_EQ(left.count(c.strName), c.bStays ? 1u : 0u) << c.strName;
    EXPECT_EQ(left.count("TempSaveGridData-333.tmp"), 1u); // folders are not ours
    EXPECT_EQ(left.count("TempSaveGridData-444.tmp"), 0u); // the link goes ...
    EXPECT_EQ(ReadBinaryFile(dir.File("victim")), std::vector<std::uint8_t>{7}); // ... not its file
}

TEST(EepromScratchFile, FirstOpeningRemovesTheFileOfAnEndedProgram) {
    CTempDir dir;
    CRuntimeEnv env(dir.Path().string());
    const std::string strFolder = dir.File("wr7310");
    const pid_t ended = RunInChild([] {});
    EXPECT_FALSE(eeprom::ProcessRunning(ended));
    EXPECT_TRUE(eeprom::ProcessRunning(::getpid()));
    EXPECT_TRUE(eeprom::ProcessRunning(::getppid()));
    std::filesystem::create_directories(strFolder);
    const std::string strEnded = eeprom::ScratchFileName(ended);
    const std::string strRunning = eeprom::ScratchFileName(::getppid());
    WriteBinaryFile(strFolder + "/" + strEnded, std::vector<std::uint8_t>(2048, 0));
    WriteBinaryFile(strFolder + "/" + strRunning, std::vector<std::uint8_t>(2048, 0));
    const std::vector<std::uint8_t> image(2048, 0x5A);
    CChangeTracker::ShowChanges(Cells(image), 128, 16, eeprom::ScratchPath());
    const std::set<std::string> left = FileNames(strFolder);
    EXPECT_EQ(left, (std::set<std::string>{strRunning, eeprom::ScratchFileName(::getpid())}));
    eeprom::RemoveScratchFile();
}

// ---- find, save, screen reader texts ----

TEST(EepromMapFind, ParseAddressOrBytes) {
    using Kind = eeprom::CFindQuery::Kind;
    struct {
        const char* pszText;
        Kind kind;
        int nAddress;
        std::vector<std::uint8_t> bytes;
    } const cases[] = {
        {"$01A3", Kind::Address, 0x1A3, {}},
        {"0x7ff", Kind::Address, 0x7FF, {}},
        {"  $7FF\t", Kind::Address, 0x7FF, {}},
        {"0X0", Kind::Address, 0, {}},
        {"$", Kind::Invalid, 0, {}},
        {"0x", Kind::Invalid, 0, {}},
        {"$12345", Kind::Invalid, 0, {}},
        {"$G1", Kind::Invalid, 0, {}},
        {"$1 2", Kind::Invalid, 0, {}},
        {"3F 40", Kind::Bytes, 0, {0x3F, 0x40}},
        {"3f40", Kind::Bytes, 0, {0x3F, 0x40}},
        {"3F,40 , 4a", Kind::Bytes, 0, {0x3F, 0x40, 0x4A}},
        {"A", Kind::Bytes, 0, {0x0A}},
        {"1 2 ff", Kind::Bytes, 0, {0x01, 0x02, 0xFF}},
        {"ABC", Kind::Invalid, 0, {}}, // an odd run of digits is no byte sequence
        {"3F 4G", Kind::Invalid, 0, {}},
        {"3F-40", Kind::Invalid, 0, {}},
        {"", Kind::Invalid, 0, {}},
        {"   ", Kind::Invalid, 0, {}},
    };
    for (const auto& c : cases) {
        const eeprom::CFindQuery q = eeprom::ParseFind(c.pszText);
        EXPECT_EQ(q.kind, c.kind) << c.pszText;
        if (c.kind == Kind::Address) {
            EXPECT_EQ(q.nAddress, c.nAddress) << c.pszText;
        }
        if (c.kind == Kind::Bytes) {
            EXPECT_EQ(q.bytes, c.bytes) << c.pszText;
        }
    }
}

TEST(EepromMapFind, NextPlaceFromACellGoingRoundTheEnd) {
    std::vector<std::uint8_t> image(2048);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i);
    struct {
        std::vector<std::uint8_t> bytes;
        int nFrom;
        std::optional<int> found;
    } const cases[] = {
        {{0x10, 0x11}, 0, 0x010},        {{0x10, 0x11}, 0x010, 0x010}, {{0x10, 0x11}, 0x011, 0x110},
        {{0x10, 0x11}, 0x711, 0x010}, // past the last place: round to the first
        {{0xFF, 0x00}, 0, 0x0FF},     // across a row's end
        {{0xFE, 0xFF}, 0x7F0, 0x7FE}, // the image's last two bytes
        {{0xFF, 0x00}, 0x700, 0x0FF}, // 0x7FF, 0x000 does not count: the image does not wrap
        {{0x01, 0x03}, 0, std::nullopt}, {{}, 0, std::nullopt},        {{0x00}, -5, 0x000},
        {{0x00}, 5000, 0x000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eeprom::FindBytes(image, c.bytes, c.nFrom), c.found) << c.nFrom;
    EXPECT_EQ(
        eeprom::FindBytes(std::vector<std::uint8_t>(2, 0), std::vector<std::uint8_t>(3, 0), 0),
        std::nullopt);
    EXPECT_EQ(eeprom::AddressPastEndText(0x800, 2048), "$0800 is past the last address $07FF");
}

TEST(EepromMapSave, IntelHexRecords) {
    std::vector<std::uint8_t> sixteen(16);
    for (std::size_t i = 0; i < 16; ++i)
        sixteen[i] = static_cast<std::uint8_t>(i);
    std::vector<std::uint8_t> seventeen = sixteen;
    seventeen.push_back(0xAB);
    struct {
        const char* pszCase;
        std::vector<std::uint8_t> image;
        std::string strHex;
    } const cases[] = {
        {"empty", {}, ":00000001FF\r\n"},
        {"two bytes", {0x01, 0x02}, ":020000000102FB\r\n:00000001FF\r\n"},
        {"one record", sixteen, ":10000000000102030405060708090A0B0C0D0E0F78\r\n:00000001FF\r\n"},
        {"a short last record", seventeen,
         ":10000000000102030405060708090A0B0C0D0E0F78\r\n:01001000AB44\r\n:00000001FF\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eeprom::IntelHex(c.image), c.strHex) << c.pszCase;
}

TEST(EepromMapSave, IntelHexOfEachModelAndBeyond64KiB) {
    struct {
        std::size_t nSize;
        std::size_t nLines; // data records, extended address records, the end record
    } const cases[] = {{2048, 128 + 1}, {1024, 64 + 1}, {0x10010, 0x1001 + 1 + 1}};
    for (const auto& c : cases) {
        std::vector<std::uint8_t> image(c.nSize);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 31 + 7);
        const std::string strHex = eeprom::IntelHex(image);
        std::vector<std::uint8_t> decoded;
        std::size_t nLines = 0, nUpper = 0;
        for (std::size_t nAt = 0; nAt < strHex.size(); ++nLines) {
            const std::size_t nEnd = strHex.find("\r\n", nAt);
            ASSERT_NE(nEnd, std::string::npos);
            const std::string strLine = strHex.substr(nAt, nEnd - nAt);
            nAt = nEnd + 2;
            ASSERT_EQ(strLine[0], ':');
            std::vector<unsigned> b;
            for (std::size_t i = 1; i + 1 < strLine.size(); i += 2)
                b.push_back(static_cast<unsigned>(std::stoul(strLine.substr(i, 2), nullptr, 16)));
            unsigned nSum = 0;
            for (unsigned n : b)
                nSum += n;
            EXPECT_EQ(nSum & 0xFF, 0u) << strLine; // the checksum makes every record sum to 0
            ASSERT_EQ(b.size(), b[0] + 5u) << strLine;
            if (b[3] == 4)
                nUpper = (b[4] << 24) | (b[5] << 16);
            if (b[3] != 0)
                continue;
            EXPECT_EQ(nUpper + (b[1] << 8) + b[2], decoded.size()) << strLine;
            for (std::size_t i = 0; i < b[0]; ++i)
                decoded.push_back(static_cast<std::uint8_t>(b[4 + i]));
        }
        EXPECT_EQ(nLines, c.nLines) << c.nSize;
        EXPECT_EQ(decoded, image) << c.nSize;
        EXPECT_EQ(strHex.substr(strHex.size() - 13), ":00000001FF\r\n");
    }
}

TEST(EepromMapTexts, ScreenReaderTextsAndChangeEntries) {
    EXPECT_EQ(eeprom::CellAccessibleText(1, 1, "3F"), "$0000: 0x3F");
    EXPECT_EQ(eeprom::CellAccessibleText(128, 16, "00"), "$07FF: 0x00");
    EXPECT_EQ(eeprom::CellOfAddress(0x000), (std::pair<int, int>{1, 1}));
    EXPECT_EQ(eeprom::CellOfAddress(0x1A3), (std::pair<int, int>{27, 4}));
    EXPECT_EQ(eeprom::CellOfAddress(0x7FF), (std::pair<int, int>{128, 16}));
    const std::pair<const char*, std::optional<int>> entries[] = {
        {"$01A3:0x3F -> 0x40", 0x1A3}, {"$07FF:0xF9 -> 0x40", 0x7FF},
        {"01A3:0x3F", std::nullopt},   {"$ZZZZ:0x3F -> 0x40", std::nullopt},
        {"$01A", std::nullopt},        {"", std::nullopt},
    };
    for (const auto& [psz, address] : entries)
        EXPECT_EQ(eeprom::EntryAddress(psz), address) << psz;
    // An entry built by the map leads back to its cell.
    const eeprom::CByteChange change{27, 4, 0x3F, "40"};
    EXPECT_EQ(eeprom::CellOfAddress(*eeprom::EntryAddress(change.Entry())),
              (std::pair<int, int>{27, 4}));
}
