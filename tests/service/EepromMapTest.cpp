// The EEPROM map's rules: grid texts, the change list against the previous opening and the
// handling of its scratch file.
#include "service/EepromMap.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

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
        EXPECT_EQ(eeprom::ScratchPath(), std::string(c.pszExpected) + "/TempSaveGridData.tmp");
    }
    restore("XDG_RUNTIME_DIR", runtime);
    restore("XDG_CACHE_HOME", cache);
    restore("HOME", home);
}
