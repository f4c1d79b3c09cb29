// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/RadioFile.h"
#include "DocTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>

namespace {

const std::string kSignature = "This is PC Programe for WR7310SXtra. [070327]";

// An image with a different value in every byte, so misplaced copies show.
void FillPattern(std::span<std::uint8_t> image, unsigned nSeed) {
    for (std::size_t a = 0; a < image.size(); ++a)
        image[a] = static_cast<std::uint8_t>((a * 37 + nSeed) ^ (a >> 8));
}

std::vector<std::uint8_t> RadioFileOf(const std::vector<std::uint8_t>& image,
                                      const std::string& strSignature) {
    std::vector<std::uint8_t> file(128 + image.size(), 0);
    std::copy_n(strSignature.begin(), std::min<std::size_t>(strSignature.size(), 127),
                file.begin());
    std::copy(image.begin(), image.end(), file.begin() + 128);
    return file;
}

std::size_t FilesIn(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                  std::filesystem::directory_iterator()));
}

// --- saving and opening ---

TEST(RadioFile, SaveThenOpenGivesTheSameImage) {
    CDocFixture f(XtraVariant(), kRange400to470);
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    f.pDoc->SetChannel(5, {99, 121, false});
    f.pDoc->Data()[0x780] = 'X';
    const std::string path = f.dir.File("a.wr73");
    ASSERT_TRUE(f.pDoc->OnSaveDocument(path));
    EXPECT_EQ(f.pDoc->GetPathName(), path);
    const auto saved = f.Image();

    CDocFixture g(XtraVariant(), kRange400to470);
    ASSERT_TRUE(g.pDoc->OnOpenDocument(path));
    EXPECT_EQ(g.Image(), saved);
    EXPECT_EQ(g.pDoc->GetChannel(5).nFreqNumber, 99);
    EXPECT_EQ(g.pDoc->GetChannel(5).nSignalCode, 121);
    EXPECT_EQ(g.pDoc->Data()[0x780], 'X');
    EXPECT_TRUE(g.notifier.m_messages.empty());
}

TEST(RadioFile, LayoutIsSignatureFieldThenImage) {
    CDocFixture f(XtraVariant(), kRange400to470);
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    const std::string path = f.dir.File("a.wr73");
    ASSERT_TRUE(f.pDoc->OnSaveDocument(path));
    const auto file = ReadBinaryFile(path);
    ASSERT_EQ(file.size(), 2176u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 45), kSignature);
    for (std::size_t i = 45; i < 128; ++i)
        EXPECT_EQ(file[i], 0) << i;
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 128, file.end()), f.Image());
}

TEST(RadioFile, SaveClearsTheKeyTuneSwitchAfterTheControlsAreStored) {
    CDocFixture f(XtraVariant(), kRange400to470);
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    std::vector<std::string> log;
    CFakeView first(log, "first"), second(log, "second");
    // Storing the controls sets a VOX level and, as a stale form could, the tune bit.
    first.m_fnStore = [&] {
        f.pDoc->Data()[0x320] = 3;
        f.pDoc->Data()[0x324] |= 0x80;
    };
    f.pDoc->AddView(&first);
    f.pDoc->AddView(&second);
    const std::string path = f.dir.File("a.wr73");
    ASSERT_TRUE(f.pDoc->OnSaveDocument(path));
    EXPECT_EQ(log, (std::vector<std::string>{"first.EndCellEdit", "second.EndCellEdit",
                                             "first.StoreControls"}));
    const auto file = ReadBinaryFile(path);
    EXPECT_EQ(file[128 + 0x320], 3);
    EXPECT_EQ(file[128 + 0x324], 0x4F);
    EXPECT_EQ(f.pDoc->Data()[0x324] & 0x80, 0);
    EXPECT_EQ(f.Image()[0x324] & 0x80, 0);
}

TEST(RadioFile, ForeignSignatureOpens) {
    CDocFixture f(XtraVariant(), kRange400to470);
    std::vector<std::uint8_t> image(2048);
    FillPattern(image, 1);
    std::vector<std::uint8_t> file = RadioFileOf(image, "Some other program wrote this");
    std::fill(file.begin() + 40, file.begin() + 128, 0xA5); // no zero padding either
    const std::string path = f.dir.File("foreign.wr73");
    WriteBinaryFile(path, file);
    std::vector<std::string> log;
    CFakeView view(log);
    f.pDoc->AddView(&view);
    ASSERT_TRUE(f.pDoc->OnOpenDocument(path));
    EXPECT_EQ(f.Image(), image);
    EXPECT_EQ(log, std::vector<std::string>{"view.EndCellEdit"});
    EXPECT_TRUE(f.notifier.m_messages.empty());
}

TEST(RadioFile, LongFileReadsOnlyItsFirst2176Bytes) {
    CDocFixture f(XtraVariant(), kRange400to470);
    std::vector<std::uint8_t> image(2048);
    FillPattern(image, 2);
    std::vector<std::uint8_t> file = RadioFileOf(image, kSignature);
    file.resize(file.size() + 500, 0x77);
    const std::string path = f.dir.File("long.wr73");
    WriteBinaryFile(path, file);
    ASSERT_TRUE(f.pDoc->OnOpenDocument(path));
    EXPECT_EQ(f.Image(), image);
}

// --- refused files change nothing ---

class RefusedFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(f.pDoc->OnNewDocument());
        f.pDoc->SetChannel(1, {42, 7, true}); // an edit not yet in the image
        imageBefore = f.Image();
        docBefore = f.DocData();
    }
    void ExpectUnchanged() {
        EXPECT_EQ(f.Image(), imageBefore);
        EXPECT_EQ(f.DocData(), docBefore);
    }

    CDocFixture f{XtraVariant(), kRange400to470};
    std::vector<std::uint8_t> imageBefore, docBefore;
};

TEST_F(RefusedFile, ShortFileChangesNothingAndSaysWhy) {
    std::vector<std::uint8_t> image(2048, 0x11);
    std::vector<std::uint8_t> file = RadioFileOf(image, kSignature);
    file.resize(2175);
    const std::string path = f.dir.File("short.wr73");
    WriteBinaryFile(path, file);
    EXPECT_FALSE(f.pDoc->OnOpenDocument(path));
    ExpectUnchanged();
    ASSERT_EQ(f.notifier.m_messages.size(), 1u);
    const std::string& text = f.notifier.m_messages[0].strText;
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find("2175 bytes"), std::string::npos) << text;
    EXPECT_NE(text.find("2176 bytes"), std::string::npos) << text;
}

TEST_F(RefusedFile, EmptyFileChangesNothing) {
    const std::string path = f.dir.File("empty.wr73");
    WriteBinaryFile(path, {});
    EXPECT_FALSE(f.pDoc->OnOpenDocument(path));
    ExpectUnchanged();
    ASSERT_EQ(f.notifier.m_messages.size(), 1u);
    EXPECT_NE(f.notifier.m_messages[0].strText.find("holds 0 bytes"), std::string::npos);
}

TEST_F(RefusedFile, MissingFileIsReportedWithTheSystemsReason) {
    const std::string path = f.dir.File("missing.wr73");
    EXPECT_FALSE(f.pDoc->OnOpenDocument(path));
    ExpectUnchanged();
    ASSERT_EQ(f.notifier.m_messages.size(), 1u);
    const std::string& text = f.notifier.m_messages[0].strText;
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find(std::strerror(ENOENT)), std::string::npos) << text;
}

TEST_F(RefusedFile, FolderIsReportedWithTheSystemsReason) {
    EXPECT_FALSE(f.pDoc->OnOpenDocument(f.dir.Path().string()));
    ExpectUnchanged();
    ASSERT_EQ(f.notifier.m_messages.size(), 1u);
    EXPECT_NE(f.notifier.m_messages[0].strText.find(std::strerror(EISDIR)), std::string::npos)
        << f.notifier.m_messages[0].strText;
}

// --- failed saves keep the old file ---

TEST(FailedSave, KeepsTheOldFileAndLeavesNoTemporaryFile) {
    CDocFixture f(XtraVariant(), kRange400to470);
    const std::string path = f.dir.File("a.wr73");
    const std::vector<std::uint8_t> old(2176, 0x3C);
    WriteBinaryFile(path, old);
    ASSERT_TRUE(f.pDoc->OnNewDocument());

    // A file-size limit makes the write fail part-way, as a full disk would.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* prevHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool bSaved = f.pDoc->OnSaveDocument(path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, prevHandler);

    EXPECT_FALSE(bSaved);
    EXPECT_EQ(ReadBinaryFile(path), old);
    EXPECT_EQ(FilesIn(f.dir.Path()), 2u); // a.wr73 and the settings file: no leftovers
    ASSERT_EQ(f.notifier.m_messages.size(), 1u);
    const std::string& text = f.notifier.m_messages[0].strText;
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find(std::strerror(EFBIG)), std::string::npos) << text;
    EXPECT_TRUE(f.pDoc->GetPathName().empty());
}

TEST(FailedSave, MissingFolderIsReported) {
    CDocFixture f(XtraVariant(), kRange400to470);
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    const std::string path = f.dir.File("no/such/folder/a.wr73");
    EXPECT_FALSE(f.pDoc->OnSaveDocument(path));
    ASSERT_EQ(f.notifier.m_messages.size(), 1u);
    const std::string& text = f.notifier.m_messages[0].strText;
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find(std::strerror(ENOENT)), std::string::npos) << text;
}

TEST(SavedFile, ReplacesAnOldFileKeepingItsPermissionsAndLinks) {
    CDocFixture f(XtraVariant(), kRange400to470);
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    const std::string real = f.dir.File("real.wr73");
    const std::string link = f.dir.File("link.wr73");
    WriteBinaryFile(real, {1, 2, 3});
    std::filesystem::permissions(real, std::filesystem::perms(0640));
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(f.pDoc->OnSaveDocument(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBinaryFile(real).size(), 2176u);
    EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0640));
    EXPECT_EQ(FilesIn(f.dir.Path()), 3u); // the two and the settings file
}

// --- the document's copy of the image ---

TEST(Sync, MovesExactlyTheDocumentsRanges) {
    for (const CVariant* v : {&XtraVariant(), &OldVariant()}) {
        CDocFixture f(*v, kRange400to470);
        FillPattern(f.pApp->Image(), 3);
        std::fill(f.pDoc->Data().begin(), f.pDoc->Data().end(), 0x5A);
        const auto before = f.Image();
        f.pDoc->SyncDocToImage();
        const auto after = f.Image();
        for (std::size_t a = 0; a < after.size(); ++a) {
            const bool bHeld = std::any_of(v->docSyncRanges.begin(), v->docSyncRanges.end(),
                                           [a](const CAddrRange& r) { return r.Contains(a); });
            EXPECT_EQ(after[a], bHeld ? 0x5A : before[a]) << v->strModel << " 0x" << std::hex << a;
        }
        std::fill(f.pDoc->Data().begin(), f.pDoc->Data().end(), 0xA5);
        FillPattern(f.pApp->Image(), 4);
        f.pDoc->SyncImageToDoc();
        for (std::size_t a = 0; a < after.size(); ++a) {
            const bool bHeld = std::any_of(v->docSyncRanges.begin(), v->docSyncRanges.end(),
                                           [a](const CAddrRange& r) { return r.Contains(a); });
            EXPECT_EQ(f.pDoc->Data()[a], bHeld ? f.Image()[a] : 0xA5)
                << v->strModel << " 0x" << std::hex << a;
        }
    }
}

TEST(Sync, ImageOnlyBytesSurviveOpenEditAndSave) {
    CDocFixture f(XtraVariant(), kRange400to470);
    std::vector<std::uint8_t> image(2048);
    FillPattern(image, 5);
    const std::string path = f.dir.File("a.wr73");
    WriteBinaryFile(path, RadioFileOf(image, kSignature));
    ASSERT_TRUE(f.pDoc->OnOpenDocument(path));
    // Edit every byte the document holds.
    for (const CAddrRange& r : XtraVariant().docSyncRanges)
        for (std::size_t a = r.nStart; a < r.End(); ++a)
            f.pDoc->Data()[a] = static_cast<std::uint8_t>(~image[a]);
    ASSERT_TRUE(f.pDoc->OnSaveDocument(path));
    const auto file = ReadBinaryFile(path);
    for (std::size_t a = 0x31B; a <= 0x31F; ++a)
        EXPECT_EQ(file[128 + a], image[a]) << std::hex << a;
    for (std::size_t a = 0x67C; a <= 0x77F; ++a)
        EXPECT_EQ(file[128 + a], image[a]) << std::hex << a;
    EXPECT_EQ(file[128 + 0x000], static_cast<std::uint8_t>(~image[0]));
    EXPECT_EQ(file[128 + 0x7FF], static_cast<std::uint8_t>(~image[0x7FF]));
}

// --- the older radio's file ---

TEST(OlderRadioFile, ZeroRangesAreWrittenAsZerosAndSkippedOnRead) {
    const CVariant& v = OldVariant();
    CDocFixture f(v);
    FillPattern(f.pApp->Image(), 6);
    f.pDoc->SyncImageToDoc();
    f.pDoc->Data()[0x104] = 0x44; // held by the document only
    const std::string path = f.dir.File("a.w73");
    ASSERT_TRUE(f.pDoc->OnSaveDocument(path));
    const auto file = ReadBinaryFile(path);
    ASSERT_EQ(file.size(), 1152u);
    const std::string strSignature = "This is PC Programe for WR7310S. [040113]";
    EXPECT_EQ(std::string(file.begin(), file.begin() + 41), strSignature);
    EXPECT_EQ(file[41], 0);
    EXPECT_EQ(file[128 + 0x104], 0x44);
    const auto image = f.Image();
    for (std::size_t a = 0; a < 0x400; ++a) {
        const bool bZero = std::any_of(v.fileZeroRanges.begin(), v.fileZeroRanges.end(),
                                       [a](const CAddrRange& r) { return r.Contains(a); });
        if (bZero) {
            EXPECT_EQ(file[128 + a], 0) << std::hex << a;
        } else if (a < 0x104 || a > 0x107) {
            EXPECT_EQ(file[128 + a], image[a]) << std::hex << a;
        }
    }

    // Reading: the skipped ranges keep the image's bytes, 0x104 goes to the document only.
    CDocFixture g(v);
    FillPattern(g.pApp->Image(), 7);
    const auto imageBefore = g.Image();
    std::vector<std::uint8_t> other(file);
    std::fill(other.begin() + 128, other.end(), 0x99);
    WriteBinaryFile(path, other);
    ASSERT_TRUE(g.pDoc->OnOpenDocument(path));
    const auto opened = g.Image();
    for (std::size_t a = 0; a < 0x400; ++a) {
        const bool bSkipped = std::any_of(v.fileZeroRanges.begin(), v.fileZeroRanges.end(),
                                          [a](const CAddrRange& r) { return r.Contains(a); }) ||
                              (a >= 0x104 && a <= 0x107);
        EXPECT_EQ(opened[a], bSkipped ? imageBefore[a] : 0x99) << std::hex << a;
    }
    EXPECT_EQ(g.pDoc->Data()[0x104], 0x99);
}

TEST(OlderRadioFile, ShortFileNamesTheOlderSize) {
    CDocFixture f(OldVariant());
    const std::string path = f.dir.File("a.wr73");
    WriteBinaryFile(path, std::vector<std::uint8_t>(2000, 0)); // too long for nothing: opens
    EXPECT_TRUE(f.pDoc->OnOpenDocument(path));
    WriteBinaryFile(path, std::vector<std::uint8_t>(1151, 0));
    EXPECT_FALSE(f.pDoc->OnOpenDocument(path));
    ASSERT_EQ(f.notifier.m_messages.size(), 1u);
    EXPECT_NE(f.notifier.m_messages[0].strText.find("1152 bytes"), std::string::npos);
}

// --- a file of the other model ---

TEST(OtherModelsFile, IsRefusedWithItsModelNamedAndNothingChanges) {
    const std::string kNewerSig = "This is PC Programe for WR7310SXtra. [070327]";
    const std::string kOlderSig = "This is PC Programe for WR7310S. [040113]";
    struct {
        const CVariant* pProgram;
        std::string strSignature;
        std::size_t nSize;
        const char* pszMaker; // nullptr: the file opens
    } const kCases[] = {
        {&OldVariant(), kNewerSig, 2176, "WR7310SXtra"},
        {&OldVariant(), "", 2176, "WR7310SXtra"}, // no signature, but the newer size
        {&OldVariant(), kNewerSig, 3000, "WR7310SXtra"},
        {&XtraVariant(), kOlderSig, 1152, "WR7310S"},
        {&XtraVariant(), "", 1152, "WR7310S"},
        {&XtraVariant(), kOlderSig, 2176, "WR7310S"},
        {&OldVariant(), kOlderSig, 1152, nullptr},
        {&OldVariant(), "", 2000, nullptr}, // neither signature nor size tells: it opens
        {&XtraVariant(), kNewerSig, 2176, nullptr},
        {&XtraVariant(), kOlderSig + "x", 2176, nullptr},
    };
    for (const auto& c : kCases) {
        const std::string strTrace = std::string(c.pProgram->strModel) + " opening " +
                                     c.strSignature + " of " + std::to_string(c.nSize);
        CDocFixture f(*c.pProgram);
        FillPattern(f.pApp->Image(), 9);
        f.pDoc->SyncImageToDoc();
        const auto imageBefore = f.Image();
        const auto docBefore = f.DocData();
        std::vector<std::uint8_t> file(c.nSize, 0x11);
        std::fill_n(file.begin(), 128, 0);
        std::copy(c.strSignature.begin(), c.strSignature.end(), file.begin());
        const std::string path = f.dir.File("radio.file");
        WriteBinaryFile(path, file);
        const bool bOpened = f.pDoc->OnOpenDocument(path);
        EXPECT_EQ(bOpened, c.pszMaker == nullptr) << strTrace;
        if (!c.pszMaker)
            continue;
        ASSERT_EQ(f.notifier.Texts().size(), 1u) << strTrace;
        EXPECT_EQ(f.notifier.Texts()[0], "Cannot open \"" + path +
                                             "\": it is a radio file of the " + c.pszMaker +
                                             ", not of the " + std::string(c.pProgram->strModel) +
                                             ". Nothing was changed.")
            << strTrace;
        EXPECT_EQ(f.Image(), imageBefore) << strTrace;
        EXPECT_EQ(f.DocData(), docBefore) << strTrace;
    }
}

} // namespace
