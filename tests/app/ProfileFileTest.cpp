// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ProfileFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "EndlessFifo.h" // named pipes and /dev are a matter of the POSIX systems
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/inotify.h>
#endif

#include <climits>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>

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

TEST_F(ProfileFile, ByteOrderMarkIsSkippedAndKept) {
    WriteTextFile(path, "\xEF\xBB\xBF[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
    EXPECT_EQ(profile::GetString("FreqRange", "MinFreq", "0", 8, path), "400");
    EXPECT_EQ(profile::GetString("FreqRange", "MaxFreq", "0", 8, path), "470");
    ASSERT_TRUE(profile::WriteString("FreqRange", "MinFreq", "410", path));
    EXPECT_EQ(ReadTextFile(path), "\xEF\xBB\xBF[FreqRange]\nMinFreq=410\nMaxFreq=470\n");
}

// Files that are no settings file are refused at once, by name, never read to their end
// (a hang or an allocation without bound), and never replaced.
TEST_F(ProfileFile, DevicesPipesAndHugeFilesAreRefused) {
    const std::string huge = dir.File("huge.ini");
    {
        std::ofstream out(huge, std::ios::binary);
        out << "[FreqRange]\nMinFreq=400\n" << std::string(1024 * 1024, ';');
    }
    const std::string fits = dir.File("fits.ini");
    {
        std::ofstream out(fits, std::ios::binary);
        out << "[FreqRange]\nMinFreq=400\n;";
        out << std::string(1024 * 1024 - 25, ';');
    }
    ASSERT_EQ(std::filesystem::file_size(fits), 1024u * 1024u);
#ifndef _WIN32
    CEndlessFifo fifo(dir.File("pipe.ini"), {'[', 'A', ']', '\n'});
#endif
#ifdef __linux__
    // A pipe is judged by its name alone: opening it, even briefly, would release its writer.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, fifo.Path().c_str(), IN_OPEN), 0);
#endif
    struct {
        std::string strPath;
        const char* pszReason; // empty: accepted
    } const cases[] = {
#ifndef _WIN32
        {"/dev/zero", "not a regular file"}, {fifo.Path(), "not a regular file"},
#endif
        {huge, "larger than 1 MiB"},         {dir.Path().string(), "folder"},     {fits, ""},
        {dir.File("missing.ini"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strPath);
        const std::string strProblem = profile::FileProblem(c.strPath);
        if (*c.pszReason == '\0') {
            EXPECT_EQ(strProblem, "");
            continue;
        }
        EXPECT_NE(strProblem.find(c.strPath), std::string::npos) << strProblem;
        EXPECT_NE(strProblem.find(c.pszReason), std::string::npos) << strProblem;
        EXPECT_EQ(profile::GetString("FreqRange", "MinFreq", "0", 8, c.strPath), "0");
    }
    EXPECT_EQ(profile::GetString("FreqRange", "MinFreq", "0", 8, fits), "400");
    const auto nHugeSize = std::filesystem::file_size(huge);
    EXPECT_FALSE(profile::WriteString("FreqRange", "MaxFreq", "470", huge));
    EXPECT_EQ(std::filesystem::file_size(huge), nHugeSize);
#ifndef _WIN32
    EXPECT_FALSE(profile::WriteString("FreqRange", "MaxFreq", "470", fifo.Path()));
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.Path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
#endif
#ifdef __linux__
    char events[256];
    EXPECT_EQ(::read(watch, events, sizeof events), -1) << "the pipe was opened";
    ::close(watch);
#endif
}

TEST_F(ProfileFile, WritingOneKeyChangesNoOtherAndLeavesNoTemporaryFile) {
    const std::string text = "; c\n[A]\nx=1\ny = 2\n\n[B]\nx=3\n";
    WriteTextFile(path, text);
    ASSERT_TRUE(profile::WriteString("B", "x", "4", path));
    EXPECT_EQ(ReadTextFile(path), "; c\n[A]\nx=1\ny = 2\n\n[B]\nx=4\n");
    std::size_t nFiles = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++nFiles;
    EXPECT_EQ(nFiles, 1u);
}

// Programs saving the same file at the same time each keep their own keys.
TEST_F(ProfileFile, ConcurrentWritersLoseNoKey) {
    WriteTextFile(path, "[S]\n");
    constexpr int kWriters = 4;
    constexpr int kRounds = 30;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            for (int r = 1; r <= kRounds; ++r)
                profile::WriteString("S", "k" + std::to_string(w), std::to_string(r), path);
        });
    for (auto& t : writers)
        t.join();
    for (int w = 0; w < kWriters; ++w)
        EXPECT_EQ(profile::GetInt("S", "k" + std::to_string(w), -1, path), kRounds) << w;
}

} // namespace
