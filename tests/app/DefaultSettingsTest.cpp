// SPDX-License-Identifier: GPL-3.0-or-later
// The installed default settings: where they are found, when they are read instead of the
// user's file, and how the user's own file is made from them.
#include "TempDir.h"
#include "app/WR7310App.h"
#include "base/Platform.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

const char* const kDefaultIni = "[FreqRange]\nMinFreq=400\nMaxFreq=470\n[User Mode]\nLevel=42\n";

void MakeDefault(const fs::path& shareDir, const std::string& strProgram) {
    fs::create_directories(shareDir / "wr7310");
    WriteTextFile((shareDir / "wr7310" / (strProgram + ".ini")).string(), kDefaultIni);
}

// Where the default is looked for: beside the installation's bin folder first, then each
// folder of the data-dirs list in order.
TEST(FindDefaultIni, SearchOrder) {
    struct Case {
        const char* name;
        bool bBesideBin;             // prefix/share/wr7310/<program>.ini exists
        std::vector<int> dataDirs;   // which of the data dirs d0, d1 hold one
        const char* pszDataDirsList; // the list, with "{0}", "{1}" for the folders
        const char* pszExpected;     // "prefix", "d0", "d1" or "" (none)
    };
    const Case cases[] = {
        {"prefix wins over data dirs", true, {0, 1}, "{0}:{1}", "prefix"},
        {"first data dir holding one", false, {1}, "{0}:{1}", "d1"},
        {"order of the list", false, {0, 1}, "{1}:{0}", "d1"},
        {"empty entries skipped", false, {0}, "::{0}:", "d0"},
        {"nothing installed", false, {}, "{0}:{1}", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        const fs::path prefix = dir.Path() / "prefix";
        fs::create_directories(prefix / "bin");
        const fs::path d[2] = {dir.Path() / "d0", dir.Path() / "d1"};
        if (c.bBesideBin)
            MakeDefault(prefix / "share", "WR7310SXtra");
        for (int i : c.dataDirs)
            MakeDefault(d[i], "WR7310SXtra");
        // The other program's default must never be taken for this one's.
        MakeDefault(d[0], "WR7310S");
        std::string strList = c.pszDataDirsList;
        for (int i = 0; i < 2; ++i)
            for (auto pos = strList.find("{" + std::to_string(i) + "}"); pos != std::string::npos;
                 pos = strList.find("{" + std::to_string(i) + "}"))
                strList.replace(pos, 3, d[i].string());
        const std::string strFound =
            FindDefaultIni("WR7310SXtra", (prefix / "bin").string(), strList);
        const std::string strExpected =
            std::string(c.pszExpected) == "prefix"
                ? (prefix / "share/wr7310/WR7310SXtra.ini").string()
            : std::string(c.pszExpected) == "d0" ? (d[0] / "wr7310/WR7310SXtra.ini").string()
            : std::string(c.pszExpected) == "d1" ? (d[1] / "wr7310/WR7310SXtra.ini").string()
                                                 : std::string();
        EXPECT_EQ(strFound, strExpected);
    }
}

class DefaultSettings : public ::testing::Test {
protected:
    DefaultSettings() {
        fs::create_directories(dir.Path() / "share/wr7310");
        WriteTextFile(strDefault, kDefaultIni);
    }
    // The application of a user whose settings file would be strUser; the default installed.
    std::unique_ptr<CWR7310App> MakeApp() {
        auto pApp = std::make_unique<CWR7310App>(XtraVariant(), strUser);
        pApp->m_strDefaultIniFile = strDefault;
        pApp->ReadFreqRange();
        return pApp;
    }
    CTempDir dir;
    std::string strDefault = dir.File("share/wr7310/WR7310SXtra.ini");
    std::string strUser = dir.File("home/.config/wr7310/WR7310SXtra.ini");
};

TEST_F(DefaultSettings, UserWithoutFileReadsTheDefault) {
    auto pApp = MakeApp();
    EXPECT_DOUBLE_EQ(pApp->m_dMinFreq, 400.0);
    EXPECT_DOUBLE_EQ(pApp->m_dMaxFreq, 470.0);
    EXPECT_EQ(pApp->GetUserLevel(), 42);
    EXPECT_FALSE(fs::exists(strUser)); // reading creates nothing
}

TEST_F(DefaultSettings, UsersOwnFileWinsEvenWithoutTheKeys) {
    fs::create_directories(fs::path(strUser).parent_path());
    WriteTextFile(strUser, "[COM PORT]\nComPort=3\n");
    auto pApp = MakeApp();
    // Missing keys in the user's own file take the built-in defaults, as they always did.
    EXPECT_EQ(pApp->m_dMinFreq, 0.0);
    EXPECT_EQ(pApp->m_dMaxFreq, 0.0);
    EXPECT_EQ(pApp->GetUserLevel(), 0);
}

TEST_F(DefaultSettings, CreateUserSettingsCopiesTheDefaultOnce) {
    auto pApp = MakeApp();
    ASSERT_TRUE(pApp->CreateUserSettings());
    EXPECT_EQ(ReadTextFile(strUser), kDefaultIni);
    // Later changes of the user's file are never overwritten by the default.
    WriteTextFile(strUser, "[FreqRange]\nMinFreq=450\nMaxFreq=460\n");
    ASSERT_TRUE(pApp->CreateUserSettings());
    EXPECT_EQ(ReadTextFile(strUser), "[FreqRange]\nMinFreq=450\nMaxFreq=460\n");
    pApp->ReadFreqRange();
    EXPECT_DOUBLE_EQ(pApp->m_dMinFreq, 450.0);
}

// The first key a user without a settings file saves (here the verify choice) lands beside
// the default's values: the working range and level are not lost with it.
TEST_F(DefaultSettings, FirstKeyWrittenKeepsTheDefaultsValues) {
    auto pApp = MakeApp();
    ASSERT_FALSE(fs::exists(strUser));
    EXPECT_EQ(pApp->GetSettingInt("FreqRange", "MaxFreq", 0), 470);
    ASSERT_TRUE(pApp->WriteSetting("Programming", "VerifyAfterWrite", "1"));
    EXPECT_EQ(ReadTextFile(strUser),
              std::string(kDefaultIni) + "[Programming]\nVerifyAfterWrite=1\n");
    pApp->ReadFreqRange();
    EXPECT_DOUBLE_EQ(pApp->m_dMaxFreq, 470.0);
    EXPECT_EQ(pApp->GetSettingInt("Programming", "VerifyAfterWrite", 0), 1);
}

TEST_F(DefaultSettings, NamedFileHasNoFallback) {
    // A settings file named explicitly (--ini) is the only one read.
    CWR7310App app(XtraVariant(), strUser);
    EXPECT_TRUE(app.m_strDefaultIniFile.empty());
    EXPECT_EQ(app.m_dMaxFreq, 0.0);
    EXPECT_TRUE(app.CreateUserSettings());
    EXPECT_FALSE(fs::exists(strUser));
}

TEST_F(DefaultSettings, MissingDefaultLeavesTheBuiltInValues) {
    fs::remove(strDefault);
    auto pApp = MakeApp();
    EXPECT_EQ(pApp->m_dMaxFreq, 0.0);
    EXPECT_TRUE(pApp->CreateUserSettings());
    EXPECT_FALSE(fs::exists(strUser));
}

// Only a portable copy keeps its settings beside itself: never a program in a system folder,
// even one its user (root) may write to, nor one in a tree `cmake --install` laid down.
TEST(PortableDir, OnlyAWritableFolderOutsideAnyInstallation) {
    CTempDir dir;
    fs::create_directories(dir.Path() / "copy");
    fs::create_directories(dir.Path() / "prefix/bin");
    fs::create_directories(dir.Path() / "prefix/share/wr7310");
    fs::create_symlink("/usr/bin", dir.Path() / "bin-link");
    fs::create_directories(dir.Path() / "usrx");
    const struct {
        std::string strDir;
        bool bPortable;
    } cases[] = {
        {dir.File("copy"), true},
        {dir.File("usrx"), true}, // a name that only starts like a system folder
        {dir.File("prefix/bin"), false},
        {dir.File("bin-link"), false},
        {dir.File("missing"), false},
        {"/usr/bin", false},
        {"/usr/local/bin", false},
        {"/opt/wr7310/bin", false},
        {"/bin", false},
        {"relative/bin", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::IsPortableDir(c.strDir), c.bPortable) << c.strDir;
}

} // namespace
