#include "app/ProfileFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

namespace {

class ProfileFile : public ::testing::Test {
protected:
    CTempDir dir;
    std::string path = dir.File("settings.ini");
};

TEST_F(ProfileFile, MissingFileGivesDefaults) {
    EXPECT_EQ(profile::GetString("FreqRange", "MinFreq", "0", 8, path), "0");
    EXPECT_EQ(profile::GetInt("COM PORT", "ComPort", 1, path), 1);
}

TEST_F(ProfileFile, ValuesAreCutToTheReadersBuffer) {
    WriteTextFile(path, "[FreqRange]\nMinFreq=400.00625\n[User Mode]\nLevel=7300\n");
    EXPECT_EQ(profile::GetString("FreqRange", "MinFreq", "0", 8, path), "400.006");
    EXPECT_EQ(profile::GetString("User Mode", "Level", "0", 3, path), "73");
    // The default is cut the same way.
    EXPECT_EQ(profile::GetString("FreqRange", "Other", "123456789", 8, path), "1234567");
}

TEST_F(ProfileFile, NamesCompareWithoutCase) {
    WriteTextFile(path, "[freqrange]\nMINFREQ=460\n");
    EXPECT_EQ(profile::GetString("FreqRange", "MinFreq", "0", 8, path), "460");
}

TEST_F(ProfileFile, AskedNamesAreTrimmedAndEmptyNumbersAreMissing) {
    WriteTextFile(path, "[COM PORT]\nComPort=3\nEmpty=\n");
    EXPECT_EQ(profile::GetString(" COM PORT ", "ComPort\t", "1", 8, path), "3");
    EXPECT_EQ(profile::GetInt("COM PORT", " ComPort", 1, path), 3);
    EXPECT_EQ(profile::GetInt("COM PORT", "Empty", 7, path), 7);
    EXPECT_EQ(profile::GetString("COM PORT", "Empty", "dflt", 8, path), "");
}

TEST_F(ProfileFile, ForeignFileIsReadAndKeptOnWrite) {
    const std::string foreign = "; written by another program\r\n"
                                "[FreqRange]\r\n"
                                "MinFreq = 400\r\n"
                                "MaxFreq=470 \r\n"
                                "\r\n"
                                "[COM PORT]\r\n"
                                "ComPort = 3\r\n"
                                "[Other]\r\n"
                                "Key=Value\r\n";
    WriteTextFile(path, foreign);
    EXPECT_EQ(profile::GetString("FreqRange", "MinFreq", "0", 8, path), "400");
    EXPECT_EQ(profile::GetString("FreqRange", "MaxFreq", "0", 8, path), "470");
    EXPECT_EQ(profile::GetInt("com port", "comport", 1, path), 3);

    ASSERT_TRUE(profile::WriteString("COM PORT", "ComPort", "5", path));
    std::string expected = foreign;
    expected.replace(expected.find("ComPort = 3"), 11, "ComPort=5");
    EXPECT_EQ(ReadTextFile(path), expected);
}

TEST_F(ProfileFile, WritingCreatesSectionAndFile) {
    const std::string nested = dir.File("sub/dir/new.ini");
    ASSERT_TRUE(profile::WriteString("COM PORT", "ComPort", "2", nested));
    EXPECT_EQ(profile::GetInt("COM PORT", "ComPort", 1, nested), 2);

    WriteTextFile(path, "[FreqRange]\nMinFreq=400\n");
    ASSERT_TRUE(profile::WriteString("FreqRange", "MaxFreq", "470", path));
    ASSERT_TRUE(profile::WriteString("COM PORT", "ComPort", "4", path));
    EXPECT_EQ(ReadTextFile(path), "[FreqRange]\nMinFreq=400\nMaxFreq=470\n[COM PORT]\nComPort=4\n");
}

TEST_F(ProfileFile, IntegersReadLikeTheOldRuntime) {
    WriteTextFile(path, "[A]\nx=12abc\ny=abc\nz= -3\n");
    EXPECT_EQ(profile::GetInt("A", "x", 9, path), 12);
    EXPECT_EQ(profile::GetInt("A", "y", 9, path), 0);
    EXPECT_EQ(profile::GetInt("A", "z", 9, path), -3);
}

TEST_F(ProfileFile, HugeIntegersStopAtTheLimit) {
    WriteTextFile(path, "[A]\nbig=99999999999999999999\nsmall=-99999999999\n");
    EXPECT_EQ(profile::GetInt("A", "big", 9, path), INT32_MAX);
    EXPECT_EQ(profile::GetInt("A", "small", 9, path), INT32_MIN);
}

TEST_F(ProfileFile, WritingThroughALinkKeepsTheLinkAndThePermissions) {
    namespace fs = std::filesystem;
    const std::string real = dir.File("real.ini");
    WriteTextFile(real, "[COM PORT]\nComPort=1\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, path);

    ASSERT_TRUE(profile::WriteString("COM PORT", "ComPort", "3", path));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadTextFile(real), "[COM PORT]\nComPort=3\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ProfileFile, UnwritableTargetReportsFailure) {
    EXPECT_FALSE(profile::WriteString("A", "b", "c", "/proc/nonexistent/x.ini"));
}

} // namespace
