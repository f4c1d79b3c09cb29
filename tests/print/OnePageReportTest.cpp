// SPDX-License-Identifier: GPL-3.0-or-later
// The older program's one-page printout laid out without a printer: where each text and rule
// stands, in 0.01 inch with y upward.
#include "print/OnePageReport.h"

#include "image/ImageFields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

using namespace onepage;

namespace {

const onepage::CText* Find(const CPage& page, const std::string& str) {
    const auto it = std::find_if(page.texts.begin(), page.texts.end(),
                                 [&str](const onepage::CText& t) { return t.str == str; });
    return it == page.texts.end() ? nullptr : &*it;
}

// An older document: range 460..470 MHz, identity texts, channels with known records.
struct CImages {
    std::vector<std::uint8_t> doc = std::vector<std::uint8_t>(0x400, 0);
    CImages() {
        const std::uint8_t range[6] = {0x80, 0x1F, 0x01, 0xC0, 0x25, 0x01};
        std::copy(std::begin(range), std::end(range), doc.begin() + 0x138);
        field::SetText(doc, {0x110, 16}, "MT-7310");
        field::SetText(doc, {0x120, 16}, "SN-77");
        field::SetText(doc, {0x360, 16}, "1.01.08");
        for (int n = 1; n <= 8; ++n) {
            doc[static_cast<std::size_t>(16 * (n - 1) + 1)] = static_cast<std::uint8_t>(n + 10);
            doc[static_cast<std::size_t>(16 * (n - 1) + 4)] = static_cast<std::uint8_t>(n % 3);
            doc[static_cast<std::size_t>(16 * (n - 1) + 13)] = n % 2 ? 1 : 0;
        }
    }
};

CFormTexts Form(const std::string& strAvailable, bool bAllChecked) {
    CFormTexts form;
    for (const feature::CSwitchDef& def : feature::kSwitches)
        form.values.SetChecked(def.nId, bAllChecked);
    form.settings = {{"VOX:", "OFF"},
                     {"Button Beep:", "ON"},
                     {"Call Tone:", "1"},
                     {"Comm Range Alarm:", "OFF"},
                     {"TX Power Set:", "Low"},
                     {"TOT:", "1 Minute"},
                     {"Revert Channel:", "Current CH"},
                     {"Squelch Level:", "2"}};
    form.strAvailable = strAvailable;
    form.strSelected = "1";
    return form;
}

CPage Page(const CFormTexts& form, const CImages& images = {}) {
    return LayOut(form, OldVariant(), images.doc, "/home/u/radio.w73", "radio.w73", 0);
}

TEST(OnePagePrintout, HeaderRadioInfoAndFooterStandWhereTheLayoutPutsThem) {
    const CPage page = Page(Form("8", true));
    struct {
        const char* pszText;
        int x;
        bool bRight;
        int nFont;
    } const kCases[] = {
        {"/home/u/radio.w73", 20, false, 0},
        {"radio.w73", 760, true, 0},
        {"Radio Info", 25, false, 1},
        {"Frequency Range:", 40, false, 0},
        {"460 - 470 MHz", 210, false, 0},
        {"MT-7310", 210, false, 0},
        {"SN-77", 210, false, 0},
        {"1.01.08", 210, false, 0},
        {"Local Oscillator Freq:", 40, false, 0},
        {"21.25 MHz", 210, false, 0},
        {"Feature Switch", 25, false, 1},
        {"Manual Tx Power", 282, false, 0},
        {"Default Set Mode", 532, false, 0},
        {"Feature Setting", 25, false, 1},
        {"Revert Channel:", 40, false, 0},
        {"Current CH", 210, false, 0},
        {"Channel Setting", 25, false, 1},
        {"Available CH:  8", 40, false, 0},
        {"Selected CH:  1", 320, false, 0},
        {"Page 1", 760, true, 0},
    };
    for (const auto& c : kCases) {
        const onepage::CText* p = Find(page, c.pszText);
        ASSERT_NE(p, nullptr) << c.pszText;
        EXPECT_EQ(p->x, c.x) << c.pszText;
        EXPECT_EQ(p->bRightAligned, c.bRight) << c.pszText;
        EXPECT_EQ(p->nFont, c.nFont) << c.pszText;
    }
    EXPECT_EQ(Find(page, "/home/u/radio.w73")->y, -28); // twice the text height down
    EXPECT_EQ(Find(page, "radio.w73")->y, -28);
    EXPECT_EQ(Find(page, "Page 1")->y, -1062);
    // Texts of one label/value line share it; the next line is one text height lower.
    EXPECT_EQ(Find(page, "MT-7310")->y, Find(page, "Model:")->y);
    EXPECT_EQ(Find(page, "Serial:")->y, Find(page, "Model:")->y - 14);
    // Two header rules 2 apart and the footer rule, each from 20 to 760.
    std::vector<int> wide;
    for (const CRule& r : page.rules)
        if (r.x1 == 20 && r.x2 == 760 && r.y1 == r.y2)
            wide.push_back(r.y1);
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_EQ(wide[0] - wide[1], 2);
    EXPECT_EQ(wide[2], -1060);
}

TEST(OnePagePrintout, SwitchValuesFollowTheCheckBoxesInThreeColumns) {
    struct {
        int nId;
        const char* pszLabel;
        int nLabelX;
        int nValueX;
        int nRow;
    } const kCells[] = {
        {feature::kVox, "VOX", 40, 210, 0},
        {feature::kManualTxPower, "Manual Tx Power", 282, 452, 0},
        {feature::kFrequencySet, "Frequency Set", 532, 702, 0},
        {feature::kButtonBeep, "Button Beep", 40, 210, 1},
        {feature::kBatterySave, "Battery Save", 282, 452, 1},
        {feature::kSignalingSet, "Signaling Set", 532, 702, 1},
        {feature::kCallTone, "Call Tone", 40, 210, 2},
        {feature::kTailCut, "Tail Cut Signal Transmit", 282, 452, 2},
        {feature::kDefaultSetMode, "Default Set Mode", 532, 702, 2},
        {feature::kRangeAlarm, "Comm Range Alarm", 40, 210, 3},
        {feature::kKeypadLock, "Keypad Lock", 282, 452, 3},
    };
    for (int nChecked : {feature::kVox, feature::kTailCut, feature::kKeypadLock}) {
        CFormTexts form = Form("8", false);
        form.values.SetChecked(nChecked, true);
        const CPage page = Page(form);
        const int nFirstRowY = Find(page, "VOX")->y;
        for (const auto& c : kCells) {
            const onepage::CText* pLabel = Find(page, c.pszLabel);
            ASSERT_NE(pLabel, nullptr) << c.pszLabel;
            EXPECT_EQ(pLabel->x, c.nLabelX) << c.pszLabel;
            EXPECT_EQ(pLabel->y, nFirstRowY - 14 * c.nRow) << c.pszLabel;
            const auto it =
                std::find_if(page.texts.begin(), page.texts.end(), [&](const onepage::CText& t) {
                    return t.x == c.nValueX && t.y == pLabel->y;
                });
            ASSERT_NE(it, page.texts.end()) << c.pszLabel;
            EXPECT_EQ(it->str, c.nId == nChecked ? " Enable" : " -----") << c.pszLabel;
        }
    }
}

TEST(OnePagePrintout, ChannelTableShowsTheAvailableChannelsOnly) {
    const CImages images;
    for (const auto& [strAvailable, nRows] : std::vector<std::pair<std::string, int>>{
             {"", 0}, {"0", 0}, {"1", 1}, {"3", 3}, {"8", 8}, {"99", 8}}) {
        const CPage page = Page(Form(strAvailable, true), images);
        const onepage::CText* pHeader = Find(page, "Freq Num");
        ASSERT_NE(pHeader, nullptr);
        const int top = pHeader->y + 6;
        EXPECT_EQ(Find(page, "CH")->x, 55);
        EXPECT_EQ(Find(page, "Signal")->x, 187);
        EXPECT_EQ(Find(page, "Scan")->x, 265);
        // Frame, three column lines, eight rules 22 apart.
        int nFrame = 0, nColumns = 0, nRules = 0;
        for (const CRule& r : page.rules) {
            if (r.y1 == r.y2 && r.x1 == 40 && r.x2 == 310 && r.y1 <= top - 26 &&
                r.y1 >= top - 180 && (top - 26 - r.y1) % 22 == 0)
                ++nRules;
            else if (r.x1 == r.x2 && (r.x1 == 100 || r.x1 == 170 || r.x1 == 250) && r.y1 == top &&
                     r.y2 == top - 202)
                ++nColumns;
            else if (r.x1 >= 40 && r.x2 <= 310 && r.y1 <= top && r.y1 >= top - 202)
                ++nFrame;
        }
        EXPECT_EQ(nRules, 8) << strAvailable;
        EXPECT_EQ(nColumns, 3) << strAvailable;
        EXPECT_EQ(nFrame, 4) << strAvailable;
        for (int n = 1; n <= 8; ++n) {
            const onepage::CText* p = Find(page, "CH " + std::to_string(n));
            EXPECT_EQ(p != nullptr, n <= nRows) << strAvailable << " CH " << n;
            if (!p)
                continue;
            EXPECT_EQ(p->y, top - 30 - 22 * (n - 1));
            EXPECT_EQ(p->x, 54);
            // The record's cells: frequency number, signal code ("OFF" for 0), scan.
            const auto cell = [&](int x) {
                const auto it =
                    std::find_if(page.texts.begin(), page.texts.end(),
                                 [&](const onepage::CText& t) { return t.x == x && t.y == p->y; });
                return it == page.texts.end() ? std::string("?") : it->str;
            };
            EXPECT_EQ(cell(124), std::to_string(n + 10));
            EXPECT_EQ(cell(192), n % 3 ? std::to_string(n % 3) : "OFF");
            EXPECT_EQ(cell(265), n % 2 ? "Add" : "Del");
        }
    }
}

TEST(OnePagePrintout, EverythingStaysOnTheOnePageWhateverTheFormHolds) {
    CImages images;
    std::fill(images.doc.begin(), images.doc.end(), 0xFF); // widest cell texts
    for (const char* pszAvailable : {"8", "255", "-4"}) {
        CFormTexts form = Form(pszAvailable, true);
        for (auto& [strLabel, strValue] : form.settings)
            strValue = "Last Stop CH";
        const CPage page = Page(form, images);
        for (const onepage::CText& t : page.texts) {
            EXPECT_LE(t.y, 0) << t.str;
            EXPECT_GE(t.y, -1062) << t.str;
            EXPECT_LE(t.x, 760) << t.str;
        }
        for (const CRule& r : page.rules) {
            EXPECT_GE(std::min(r.y1, r.y2), -1060);
            EXPECT_LE(std::max(r.x1, r.x2), 760);
        }
    }
}

TEST(OnePagePrintout, FrequencyListBelowTheTableForTheShownChannels) {
    CImages images;
    const CVariant& v = OldVariant();
    for (int n = 1; n <= v.freqTable.nCount; ++n) // entry n: 460 MHz + n x 12.5 kHz
        field::SetFreqRecord(images.doc, v, n,
                             {static_cast<std::uint32_t>(36800 + n),
                              static_cast<std::uint32_t>(37600 + n), 2, 2, false});
    struct {
        const char* pszAvailable;
        std::vector<std::string> numbers; // listed, in order
    } const cases[] = {
        {"8", {"11", "12", "13", "14", "15", "16", "17", "18"}}, // channel n uses entry n + 10
        {"2", {"11", "12"}},
        {"0", {}},
    };
    for (const auto& c : cases) {
        const CPage page = Page(Form(c.pszAvailable, true), images);
        const onepage::CText* pHeading = Find(page, "Frequency Setting");
        ASSERT_EQ(pHeading != nullptr, !c.numbers.empty()) << c.pszAvailable;
        if (!pHeading)
            continue;
        // Below the channel table, whose frame ends 202 under its top.
        const int nTableTop = Find(page, "Freq Num")->y + 6;
        EXPECT_LT(pHeading->y, nTableTop - 202);
        std::vector<std::string> numbers;
        int nLastY = 0;
        for (const onepage::CText& t : page.texts)
            if (t.x == 40 && t.y < pHeading->y && t.str != "Freq Num") {
                numbers.push_back(t.str);
                nLastY = t.y;
            }
        EXPECT_EQ(numbers, c.numbers) << c.pszAvailable;
        EXPECT_GT(nLastY, -1060 + 14) << "above the footer";
        const auto at = [&](int x, const std::string& str) {
            return std::any_of(page.texts.begin(), page.texts.end(),
                               [&](const onepage::CText& t) { return t.x == x && t.str == str; });
        };
        EXPECT_TRUE(at(210, "Rx Freq") && at(380, "Tx Freq"));
        EXPECT_TRUE(at(210, "460.13750 MHz")) << "entry 11's receive frequency";
        EXPECT_TRUE(at(380, "470.13750 MHz")) << "entry 11's transmit frequency";
    }
}

TEST(OnePagePrintout, FooterTimeIsMonthDayYearAndTheHalfOfTheDay) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    struct {
        std::time_t t;
        const char* pszExpected;
    } const kCases[] = {
        {0, "01/01/1970, 00:00:00 am"},
        {1796601600 + 5 * 60 + 9, "12/07/2026, 00:05:09 am"}, // 2026-12-07 00:05:09
        {1796601600 + 13 * 3600 + 5 * 60 + 9, "12/07/2026, 13:05:09 pm"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(FormatFooterTime(c.t), c.pszExpected) << c.t;
}

} // namespace
