// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/Backup.h"
#include "TempDir.h"
#include "variants/Variant.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> CountingImage(std::size_t n) {
    std::vector<std::uint8_t> image(n);
    std::iota(image.begin(), image.end(), std::uint8_t{1});
    return image;
}

std::chrono::system_clock::time_point LocalTime(int y, int mo, int d, int h, int mi, int s) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    t.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&t));
}

TEST(Backup, IsARadioFileNamedAfterModelAndTime) {
    CTempDir dir;
    const auto image = CountingImage(XtraVariant().nImageSize);
    const CBackupResult r =
        SaveBackup(XtraVariant(), image, dir.File("b"), LocalTime(2024, 3, 7, 9, 5, 1));
    ASSERT_TRUE(r.Ok()) << r.strError;
    EXPECT_EQ(fs::path(r.strPath).filename(), "WR7310SXtra-20240307-090501.wr73");
    const auto bytes = ReadBinaryFile(r.strPath);
    ASSERT_EQ(bytes.size(), 2176u);
    const std::string strSignature = "This is PC Programe for WR7310SXtra. [070327]";
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 45), strSignature);
    for (std::size_t i = 45; i < 128; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_TRUE(std::equal(image.begin(), image.end(), bytes.begin() + 128));
}

TEST(Backup, OlderModelLeavesOutTheAreasItsFilesNeverCarry) {
    CTempDir dir;
    const CVariant& v = OldVariant();
    const auto image = CountingImage(v.nImageSize);
    const CBackupResult r = SaveBackup(v, image, dir.Path().string());
    ASSERT_TRUE(r.Ok()) << r.strError;
    EXPECT_EQ(fs::path(r.strPath).extension(), ".w73");
    const auto bytes = ReadBinaryFile(r.strPath);
    ASSERT_EQ(bytes.size(), 1152u);
    for (std::size_t a = 0; a < v.nImageSize; ++a) {
        const bool bZero = std::any_of(v.fileZeroRanges.begin(), v.fileZeroRanges.end(),
                                       [a](const CAddrRange& z) { return z.Contains(a); });
        ASSERT_EQ(bytes[128 + a], bZero ? 0 : image[a]) << std::hex << a;
    }
}

TEST(Backup, NeverReplacesAnEarlierBackup) {
    CTempDir dir;
    const auto when = LocalTime(2024, 1, 2, 3, 4, 5);
    auto first = CountingImage(2048);
    auto second = first;
    second[0x100] ^= 0xFF;
    const CBackupResult a = SaveBackup(XtraVariant(), first, dir.Path().string(), when);
    const CBackupResult b = SaveBackup(XtraVariant(), second, dir.Path().string(), when);
    ASSERT_TRUE(a.Ok() && b.Ok());
    EXPECT_NE(a.strPath, b.strPath);
    EXPECT_EQ(fs::path(b.strPath).filename(), "WR7310SXtra-20240102-030405-2.wr73");
    EXPECT_EQ(ReadBinaryFile(a.strPath)[128 + 0x100], first[0x100]);
    EXPECT_EQ(ReadBinaryFile(b.strPath)[128 + 0x100], second[0x100]);
}

TEST(Backup, FolderFollowsXdgDataHomeThenHome) {
    setenv("XDG_DATA_HOME", "/data/x", 1);
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(BackupDir(), "/data/x/wr7310/backups");
    setenv("XDG_DATA_HOME", "relative/dir", 1); // not absolute: ignored, as the XDG rules say
    EXPECT_EQ(BackupDir(), "/home/u/.local/share/wr7310/backups");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(BackupDir(), "/home/u/.local/share/wr7310/backups");
    unsetenv("HOME");
    EXPECT_EQ(BackupDir(), "");
    EXPECT_FALSE(SaveBackup(XtraVariant(), CountingImage(2048)).Ok());
}

TEST(Backup, DefaultFolderIsCreated) {
    CTempDir dir;
    setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
    const CBackupResult r = SaveBackup(XtraVariant(), CountingImage(2048));
    ASSERT_TRUE(r.Ok()) << r.strError;
    EXPECT_EQ(fs::path(r.strPath).parent_path(), dir.Path() / "wr7310" / "backups");
}

TEST(Backup, UnwritableFolderGivesAnErrorText) {
    CTempDir dir;
    WriteTextFile(dir.File("file"), "x"); // a file where the folder should be
    const CBackupResult r = SaveBackup(XtraVariant(), CountingImage(2048), dir.File("file/sub"));
    EXPECT_FALSE(r.Ok());
    EXPECT_TRUE(r.strPath.empty());
    EXPECT_NE(r.strError.find("file/sub"), std::string::npos) << r.strError;
}

} // namespace
