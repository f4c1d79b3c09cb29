// SPDX-License-Identifier: GPL-3.0-or-later
// The information screens' rules: the embedded text as edited and stored, the progress
// percentage, and the help page's topics.
#include "service/InfoTexts.h"
#include "TempDir.h"
#include "service/ContextHelp.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

namespace {

std::array<std::uint8_t, 128> Area(const std::string& str) {
    std::array<std::uint8_t, 128> a{};
    std::copy_n(str.begin(), std::min<std::size_t>(str.size(), 128), a.begin());
    return a;
}

} // namespace

TEST(EmbeddedText, ShownUpToTheFirstZeroWithStoredLineBreaks) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {std::string("\0abc", 4), ""},
        {"Site 4\r\nClub", "Site 4\nClub"},
        {"lone\rreturn", "lone\rreturn"},
        {std::string(128, 'x'), std::string(128, 'x')}, // full: no terminating zero
    };
    for (const auto& [stored, shown] : cases)
        EXPECT_EQ(info::EmbeddedEditText(Area(stored)), shown) << shown;
}

TEST(EmbeddedText, StoredWithCarriageReturnsClearedAndCut) {
    struct {
        std::string strEdit;
        std::size_t nLength;
        std::string strStored; // the area's bytes up to its end or zero
    } const cases[] = {
        {"", 0, ""},
        {"a\nb", 4, "a\r\nb"},
        {std::string(128, 'y'), 128, std::string(128, 'y')},
        {std::string(127, 'y') + "\n", 129, std::string(127, 'y') + "\r"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(info::EmbeddedStoredLength(c.strEdit), c.nLength);
        std::array<std::uint8_t, 128> area;
        area.fill(0xEE);
        info::StoreEmbeddedEditText(area, c.strEdit);
        const std::string strBack(area.begin(),
                                  area.begin() + static_cast<long>(c.strStored.size()));
        EXPECT_EQ(strBack, c.strStored);
        EXPECT_TRUE(std::all_of(area.begin() + static_cast<long>(c.strStored.size()), area.end(),
                                [](std::uint8_t b) { return b == 0; }));
    }
}

TEST(EmbeddedText, OnlyLatin1CharactersAreStorable) {
    const std::pair<std::u32string, std::optional<char32_t>> cases[] = {
        {U"", std::nullopt},
        {U"Site 4\nClub", std::nullopt},
        {U"caf\u00E9 \u00FF\u00A9", std::nullopt}, // Latin-1 letters and signs fit
        {U"5 \u20AC", U'\u20AC'},                  // the euro sign does not
        {U"ok \u0100 \u4E2D", U'\u0100'},          // the first that does not fit
        {U"\U0001F600", U'\U0001F600'},
    };
    for (const auto& [strText, bad] : cases)
        EXPECT_EQ(info::FirstUnstorable(strText), bad) << strText.size();
    EXPECT_EQ(info::UnstorableText(U'\u20AC'),
              "The radio cannot store U+20AC: it takes Latin-1 characters only.");
    EXPECT_EQ(info::UnstorableText(U'\U0001F600'),
              "The radio cannot store U+1F600: it takes Latin-1 characters only.");
    EXPECT_EQ(info::AreaFullText(128), "The radio stores 128 bytes: there is no room for more.");
    const std::pair<std::size_t, const char*> left[] = {
        {128, "128 bytes left"}, {2, "2 bytes left"}, {1, "1 byte left"}, {0, "0 bytes left"}};
    for (const auto& [n, psz] : left)
        EXPECT_EQ(info::BytesLeftText(n), psz);
}

TEST(ProgressWindow, PercentOfTheRange) {
    const std::tuple<int, int, const char*, int> cases[] = {
        {0, 128, " 0%", 0},     {8, 128, " 6%", 8},      {64, 128, "50%", 64},
        {120, 128, "93%", 120}, {200, 128, "100%", 128}, {-5, 128, " 0%", 0},
    };
    for (const auto& [nPos, nRange, pszText, nShown] : cases) {
        EXPECT_EQ(info::ProgressPercentText(nPos, nRange), pszText) << nPos;
        EXPECT_EQ(info::ProgressPosition(nPos, nRange), nShown) << nPos;
    }
}

TEST(ContextHelp, FirstContextThenSecondThenTop) {
    CTempDir dir;
    const std::string strPage = dir.File("WR7310S.html");
    WriteTextFile(strPage, "<h2 id=\"context-101\">Form</h2><h2 id=\"context-2700\">E</h2>");
    const std::vector<std::string> pages = {dir.File("missing.html"), strPage};
    struct {
        int nFirst, nSecond;
        const char* pszAnchor;
    } const cases[] = {
        {2700, 2700, "context-2700"},
        {2301, 101, "context-101"},
        {137, 137, ""},
    };
    for (const auto& c : cases) {
        const auto topic = help::ResolveContextHelp(pages, c.nFirst, c.nSecond);
        ASSERT_TRUE(topic) << c.nFirst;
        EXPECT_EQ(topic->strPath, strPage);
        EXPECT_EQ(topic->strAnchor, c.pszAnchor) << c.nFirst;
    }
    EXPECT_FALSE(help::ResolveContextHelp({dir.File("missing.html")}, 101, 101));
}

TEST(ContextHelp, PageIsTheHelpFilesHtmlNamesake) {
    const auto pages = help::HelpPageCandidates("/opt/wr/bin/WR7310S.chm");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], "/opt/wr/bin/WR7310S.html");
    EXPECT_EQ(pages[1], "/opt/wr/bin/../share/doc/wr7310/WR7310S.html");
    EXPECT_EQ(help::HelpPageCandidates("/x/WR7310S.HLP")[0], "/x/WR7310S.html");
}

TEST(ContextHelp, BundledPageHasATopicForEveryScreen) {
    std::vector<std::string> pages = {WR7310_HELP_PAGE};
    for (int n : {help::kFormContext, help::kEmbedInfoContext, help::kRadioInfoContext,
                  help::kComPortContext, help::kTuneContext, help::kEepromContext}) {
        const auto topic = help::ResolveContextHelp(pages, n, -1);
        ASSERT_TRUE(topic);
        EXPECT_EQ(topic->strAnchor, "context-" + std::to_string(n));
    }
}
