// SPDX-License-Identifier: GPL-3.0-or-later
// File names beyond the ANSI code page: settings, radio files and backups in folders named in
// several scripts, as a user called "Jürgen" or "Дмитрий" has them, and the user folders
// taken from the environment.
#include "TempDir.h"
#include "app/WR7310App.h"
#include "base/Platform.h"
#include "base/ProfileFile.h"
#include "base/RadioFile.h"
#include "service/EepromMap.h"
#include "transfer/Backup.h"
#include "variants/Variant.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>
#include <windows.h>

namespace {

// Folder names as UTF-8 bytes, so the test's meaning does not hang on the source encoding.
const char* const kFolderNames[] = {
    "J\xC3\xBCrgen",                                            // Jürgen
    "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9", // Дмитрий
    "\xE7\x94\xB0\xE4\xB8\xAD \xE5\xA4\xAA\xE9\x83\x8E",        // 田中 太郎
    "plain ascii",
};

// True when the system finds the file under its wide-character name.
bool ExistsWide(const std::string& strUtf8Path) {
    const std::wstring wide = platform::WideFromUtf8(strUtf8Path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Sets an environment variable for this process and restores it at the end of the scope.
class CScopedEnv {
public:
    CScopedEnv(const wchar_t* pszName, const std::string& strUtf8Value) : m_strName(pszName) {
        wchar_t old[32768];
        const DWORD n = ::GetEnvironmentVariableW(pszName, old, 32768);
        if (n > 0 && n < 32768)
            m_old = std::wstring(old, n);
        m_bHadOld = n > 0;
        ::SetEnvironmentVariableW(pszName, platform::WideFromUtf8(strUtf8Value).c_str());
    }
    ~CScopedEnv() {
        ::SetEnvironmentVariableW(m_strName.c_str(), m_bHadOld ? m_old.c_str() : nullptr);
    }
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    std::wstring m_strName;
    std::wstring m_old;
    bool m_bHadOld = false;
};

struct WidePaths : ::testing::TestWithParam<const char*> {
    // A folder of that name inside a fresh temporary folder, as UTF-8.
    std::string Folder() {
        const std::string strFolder = platform::Utf8FromPath(dir.Path()) + "\\" + GetParam();
        EXPECT_TRUE(::CreateDirectoryW(platform::WideFromUtf8(strFolder).c_str(), nullptr));
        return strFolder;
    }
    CTempDir dir;
};

TEST_P(WidePaths, Utf8AndWideNamesRoundTrip) {
    const std::string strName = GetParam();
    EXPECT_EQ(platform::Utf8FromWide(platform::WideFromUtf8(strName)), strName);
    EXPECT_EQ(platform::Utf8FromPath(platform::PathFromUtf8(strName)), strName);
}

TEST_P(WidePaths, SettingsFileIsWrittenAndReadThere) {
    const std::string strIni = Folder() + "\\WR7310SXtra.ini";
    ASSERT_TRUE(profile::WriteString("COM PORT", "ComPort", "7", strIni));
    ASSERT_TRUE(profile::WriteString("FreqRange", "MinFreq", "410", strIni));
    EXPECT_TRUE(ExistsWide(strIni));
    EXPECT_EQ(profile::GetInt("COM PORT", "ComPort", 1, strIni), 7);
    EXPECT_EQ(profile::GetString("FreqRange", "MinFreq", "0", 8, strIni), "410");
    // The system's own reader finds the same file under its wide name.
    wchar_t value[16] = {};
    ::GetPrivateProfileStringW(L"FreqRange", L"MinFreq", L"", value, 16,
                               platform::WideFromUtf8(strIni).c_str());
    EXPECT_STREQ(value, L"410");
}

TEST_P(WidePaths, RadioFileIsSavedReplacedAndReadThere) {
    const std::string strFolder = Folder();
    const std::string strFile = strFolder + "\\radio.wr73";
    const std::vector<std::uint8_t> first(2176, 0x11);
    const std::vector<std::uint8_t> second(2176, 0x22);
    ASSERT_EQ(WriteFileReplacing(strFile, first), 0);
    ASSERT_EQ(WriteFileReplacing(strFile, second), 0); // replaces the existing file
    EXPECT_TRUE(ExistsWide(strFile));
    std::vector<std::uint8_t> back;
    const CFileReadResult result = ReadFilePrefix(strFile, 2176, back);
    EXPECT_EQ(result.status, CFileReadResult::Status::Ok);
    EXPECT_EQ(back, second);
    // Nothing but the file is left in the folder: no temporary file.
    std::size_t nEntries = 0;
    for ([[maybe_unused]] const auto& e :
         std::filesystem::directory_iterator(platform::PathFromUtf8(strFolder)))
        ++nEntries;
    EXPECT_EQ(nEntries, 1u);
}

// A save is checked before a long read: the folder takes a new file (and keeps none), a
// folder or a missing folder is refused with the reason.
TEST_P(WidePaths, SaveIsCheckedThere) {
    const std::string strFolder = Folder();
    const std::string strFile = strFolder + "\\radio.dat";
    const struct {
        std::string strPath;
        int nErrno;
    } cases[] = {
        {strFile, 0},
        {strFolder, EISDIR},
        {strFolder + "\\", EISDIR},
        {strFolder + "\\missing\\radio.dat", ENOENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strPath);
        EXPECT_EQ(CheckCanSave(c.strPath), c.nErrno);
    }
    EXPECT_FALSE(ExistsWide(strFile));
    std::size_t nEntries = 0;
    for ([[maybe_unused]] const auto& e :
         std::filesystem::directory_iterator(platform::PathFromUtf8(strFolder)))
        ++nEntries;
    EXPECT_EQ(nEntries, 0u); // no temporary file left behind
}

TEST_P(WidePaths, BackupsGoBelowLocalAppData) {
    const std::string strLocal = Folder();
    CScopedEnv env(L"LOCALAPPDATA", strLocal);
    EXPECT_EQ(BackupDir(), strLocal + "\\wr7310\\backups");
    const std::vector<std::uint8_t> image(XtraVariant().nImageSize, 0x5A);
    const CBackupResult result = SaveBackup(XtraVariant(), image);
    ASSERT_TRUE(result.Ok()) << result.strError;
    EXPECT_EQ(result.strPath.rfind(strLocal + "\\wr7310\\backups\\", 0), 0u) << result.strPath;
    EXPECT_TRUE(ExistsWide(result.strPath));
}

// The EEPROM map's copy from the previous opening lives below the user's local application
// data, whatever the folder is called, and a changed byte is found at the next opening.
TEST_P(WidePaths, EepromCopyIsKeptBelowLocalAppData) {
    const std::string strLocal = Folder();
    CScopedEnv env(L"LOCALAPPDATA", strLocal);
    const std::string strPath = eeprom::ScratchPath();
    EXPECT_EQ(strPath.rfind(strLocal + "\\wr7310\\", 0), 0u) << strPath;
    std::vector<std::string> cells(4, "00");
    const auto fnCells = [&cells](int nRow, int nCol) {
        return cells[static_cast<std::size_t>((nRow - 1) * 2 + (nCol - 1))];
    };
    EXPECT_TRUE(eeprom::CChangeTracker::ShowChanges(fnCells, 2, 2, strPath).empty());
    EXPECT_TRUE(ExistsWide(strPath));
    cells[3] = "A5";
    const auto changes = eeprom::CChangeTracker::ShowChanges(fnCells, 2, 2, strPath);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Entry(), "$0011:0x00 -> 0xA5");
    eeprom::RemoveScratchFile();
    EXPECT_FALSE(ExistsWide(strPath));
}

TEST_P(WidePaths, SettingsFolderIsBelowAppData) {
    const std::string strRoaming = Folder();
    CScopedEnv env(L"APPDATA", strRoaming);
    EXPECT_EQ(platform::UserConfigDir(), strRoaming + "\\wr7310");
}

INSTANTIATE_TEST_SUITE_P(Names, WidePaths, ::testing::ValuesIn(kFolderNames));

TEST(Folders, MissingOrRelativeUserFoldersGiveNone) {
    for (const char* pszValue : {"", "relative\\folder"}) {
        SCOPED_TRACE(pszValue);
        CScopedEnv local(L"LOCALAPPDATA", pszValue);
        CScopedEnv roaming(L"APPDATA", pszValue);
        EXPECT_EQ(platform::UserDataDir(), "");
        EXPECT_EQ(platform::UserConfigDir(), "");
        EXPECT_EQ(BackupDir(), "");
    }
}

TEST(Folders, SettingsFileIsBesideTheProgramWhenItsFolderIsWritable) {
    const std::string strExeDir = platform::ExecutableDir();
    ASSERT_TRUE(platform::IsWritableDir(strExeDir));
    EXPECT_EQ(DefaultIniPath(XtraVariant()), strExeDir + "\\WR7310SXtra.ini");
    EXPECT_EQ(DefaultIniPath(OldVariant()), strExeDir + "\\WR7310S.ini");
}

TEST(Folders, WritableFolderTest) {
    CTempDir dir;
    EXPECT_TRUE(platform::IsWritableDir(platform::Utf8FromPath(dir.Path())));
    EXPECT_FALSE(platform::IsWritableDir(platform::Utf8FromPath(dir.Path() / "missing")));
    // The test leaves nothing behind.
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

} // namespace
