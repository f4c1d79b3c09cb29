// SPDX-License-Identifier: GPL-3.0-or-later
// The one save routine of every text and radio file, against what a path may name: links
// (dangling, chained, relative), devices, pipes, folders.
#include "TempDir.h"
#include "base/RadioFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kNew(2176, 0x42);

// Every name in the folder tree that is not one of the test's own: temporary files left
// behind show up here.
std::vector<std::string> Leftovers(const fs::path& dir, const std::vector<std::string>& own) {
    std::vector<std::string> extra;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        const std::string strRel = e.path().lexically_relative(dir).string();
        if (std::find(own.begin(), own.end(), strRel) == own.end())
            extra.push_back(strRel);
    }
    return extra;
}

struct CSaveCase {
    const char* pszName;
    std::function<void(const CTempDir&)> fnSetUp; // lays out the folder
    const char* pszPath;                          // saved, relative to the folder
    int nErrno;                                   // what the save returns
    std::vector<std::string> links;               // must still be symbolic links afterwards
    const char* pszWritten;                       // holds the new bytes afterwards (or null)
    std::vector<std::string> own;                 // every name the folder should hold
};

void Link(const CTempDir& d, const char* pszTarget, const char* pszLink) {
    fs::create_symlink(pszTarget, d.File(pszLink));
}

TEST(SafeSave, EveryKindOfTarget) {
    const CSaveCase cases[] = {
        {"new file", [](const CTempDir&) {}, "a.wr73", 0, {}, "a.wr73", {"a.wr73"}},
        {"old file replaced",
         [](const CTempDir& d) { WriteTextFile(d.File("a.wr73"), "old"); },
         "a.wr73",
         0,
         {},
         "a.wr73",
         {"a.wr73"}},
        {"dangling link: the file it names is created",
         [](const CTempDir& d) { Link(d, "b.wr73", "a.wr73"); },
         "a.wr73",
         0,
         {"a.wr73"},
         "b.wr73",
         {"a.wr73", "b.wr73"}},
        {"chain of links across folders",
         [](const CTempDir& d) {
             fs::create_directory(d.File("sub"));
             WriteTextFile(d.File("c.wr73"), "old");
             Link(d, "sub/b.wr73", "a.wr73");
             Link(d, "../c.wr73", "sub/b.wr73");
         },
         "a.wr73",
         0,
         {"a.wr73", "sub/b.wr73"},
         "c.wr73",
         {"a.wr73", "sub", "sub/b.wr73", "c.wr73"}},
        {"dangling chain",
         [](const CTempDir& d) {
             Link(d, "b.wr73", "a.wr73");
             Link(d, "c.wr73", "b.wr73");
         },
         "a.wr73",
         0,
         {"a.wr73", "b.wr73"},
         "c.wr73",
         {"a.wr73", "b.wr73", "c.wr73"}},
        {"link to a device is written through, never renamed over",
         [](const CTempDir& d) { Link(d, "/dev/null", "a.wr73"); },
         "a.wr73",
         0,
         {"a.wr73"},
         nullptr,
         {"a.wr73"}},
        {"pipe nobody reads is refused at once",
         [](const CTempDir& d) { ASSERT_EQ(::mkfifo(d.File("p").c_str(), 0600), 0); },
         "p",
         ENXIO,
         {},
         nullptr,
         {"p"}},
        {"folder: the rename fails and the temporary file goes",
         [](const CTempDir& d) { fs::create_directory(d.File("a.wr73")); },
         "a.wr73",
         EISDIR,
         {},
         nullptr,
         {"a.wr73"}},
        {"missing folder", [](const CTempDir&) {}, "none/a.wr73", ENOENT, {}, nullptr, {}},
        {"link loop",
         [](const CTempDir& d) {
             Link(d, "b", "a");
             Link(d, "a", "b");
         },
         "a",
         ELOOP,
         {"a", "b"},
         nullptr,
         {"a", "b"}},
    };
    for (const CSaveCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTempDir dir;
        c.fnSetUp(dir);
        EXPECT_EQ(WriteFileReplacing(dir.File(c.pszPath), kNew), c.nErrno);
        for (const std::string& strLink : c.links)
            EXPECT_TRUE(fs::is_symlink(dir.File(strLink))) << strLink;
        if (c.pszWritten) {
            EXPECT_EQ(ReadBinaryFile(dir.File(c.pszWritten)), kNew);
        }
        EXPECT_EQ(Leftovers(dir.Path(), c.own), std::vector<std::string>{});
    }
    // The device is still a device.
    struct stat st {};
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(SafeSave, PipeWithAReaderGetsTheBytes) {
    CTempDir dir;
    const std::string strFifo = dir.File("p");
    ASSERT_EQ(::mkfifo(strFifo.c_str(), 0600), 0);
    const int fdRead = ::open(strFifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fdRead, 0);
    EXPECT_EQ(WriteFileReplacing(strFifo, kNew), 0);
    std::vector<std::uint8_t> got(kNew.size() + 1);
    EXPECT_EQ(::read(fdRead, got.data(), got.size()), static_cast<ssize_t>(kNew.size()));
    got.resize(kNew.size());
    EXPECT_EQ(got, kNew);
    ::close(fdRead);
    struct stat st {};
    ASSERT_EQ(::lstat(strFifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(SafeSave, CheckBeforeAReadSaysWhetherTheSaveCanWork) {
    struct {
        const char* pszName;
        std::function<void(const CTempDir&)> fnSetUp;
        const char* pszPath;
        int nErrno;
    } const cases[] = {
        {"new file in an existing folder", [](const CTempDir&) {}, "a.wr73", 0},
        {"missing folder", [](const CTempDir&) {}, "none/a.wr73", ENOENT},
        {"a folder", [](const CTempDir& d) { fs::create_directory(d.File("x")); }, "x", EISDIR},
        {"a file where the folder should be",
         [](const CTempDir& d) { WriteTextFile(d.File("f"), ""); }, "f/a.wr73", ENOTDIR},
        {"dangling link into a missing folder",
         [](const CTempDir& d) { Link(d, "none/b.wr73", "a.wr73"); }, "a.wr73", ENOENT},
        {"dangling link into an existing folder",
         [](const CTempDir& d) { Link(d, "b.wr73", "a.wr73"); }, "a.wr73", 0},
        {"a device", [](const CTempDir&) {}, "/dev/null", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTempDir dir;
        c.fnSetUp(dir);
        const std::string strPath =
            c.pszPath[0] == '/' ? std::string(c.pszPath) : dir.File(c.pszPath);
        const auto before = Leftovers(dir.Path(), {});
        EXPECT_EQ(CheckCanSave(strPath), c.nErrno);
        EXPECT_EQ(Leftovers(dir.Path(), {}), before); // the probe file is gone again
        EXPECT_FALSE(fs::exists(dir.File("b.wr73")));
    }
}

} // namespace
