// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/OnePageReport.h"

#include "base/LocalTime.h"
#include "image/ImageFields.h"
#include "image/SettingTexts.h"
#include "print/PrintReport.h"
#include "view/ChannelPanel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace onepage {

namespace {

constexpr int kLeft = 20;
constexpr int kHeadingX = 25;
constexpr int kLabelX = 40;
constexpr int kValueX = 210;
constexpr std::size_t kVersionChars = 16;
constexpr const char* kOscillatorText = "21.25 MHz";

// The switch table: three columns of label/value pairs, rows from the top.
struct CSwitchCell {
    int nId;
    const char* pszLabel;
};
constexpr int kSwitchLabelX[3] = {40, 282, 532};
constexpr int kSwitchValueX[3] = {210, 452, 702};
constexpr CSwitchCell kSwitchTable[4][3] = {
    {{feature::kVox, "VOX"},
     {feature::kManualTxPower, "Manual Tx Power"},
     {feature::kFrequencySet, "Frequency Set"}},
    {{feature::kButtonBeep, "Button Beep"},
     {feature::kBatterySave, "Battery Save"},
     {feature::kSignalingSet, "Signaling Set"}},
    {{feature::kCallTone, "Call Tone"},
     {feature::kTailCut, "Tail Cut Signal Transmit"},
     {feature::kDefaultSetMode, "Default Set Mode"}},
    {{feature::kRangeAlarm, "Comm Range Alarm"}, {feature::kKeypadLock, "Keypad Lock"}, {0, ""}},
};

// The channel table: frame, column lines, rules, and where its texts stand.
constexpr int kTableRight = 310;
constexpr int kTableHeight = 202;
constexpr int kTableColumnX[3] = {100, 170, 250};
constexpr int kTableFirstRule = 26;
constexpr int kTableRuleStep = 22;
constexpr int kTableRules = 8;
constexpr int kHeaderTextDrop = 6;
constexpr int kHeaderTextX[4] = {55, 107, 187, 265};
constexpr int kCellTextDrop = 30;
constexpr int kCellTextX[4] = {54, 124, 192, 265};
constexpr int kSelectedX = 320;
// The frequency list below the table: number, receive and transmit frequency.
constexpr int kFreqColumnX[3] = {kLabelX, kValueX, 380};

// Texts placed line by line downward; each line is as high as its font.
class CCursor {
public:
    CCursor(CPage& page, int y) : m_page(page), m_y(y) {}
    int Y() const { return m_y; }
    void Text(int nFont, int x, std::string str, bool bRight = false) {
        m_page.texts.push_back({nFont, x, m_y, bRight, std::move(str)});
    }
    void Down(int nUnits) { m_y -= nUnits; }
    void NextLine(int nFont = kFontText) { m_y -= kFontHeights[static_cast<std::size_t>(nFont)]; }
    void Heading(const char* pszTitle) {
        NextLine(); // a blank line before every heading
        Text(kFontHeading, kHeadingX, pszTitle);
        NextLine(kFontHeading);
    }
    void Pair(const std::string& strLabel, const std::string& strValue) {
        Text(kFontText, kLabelX, strLabel);
        Text(kFontText, kValueX, strValue);
        NextLine();
    }

private:
    CPage& m_page;
    int m_y;
};

std::string Range(std::span<const std::uint8_t> image, const CVariant& v) {
    char sz[64];
    std::snprintf(sz, sizeof sz, "%.0f - %.0f MHz", field::GetRangeLimit(image, v, true),
                  field::GetRangeLimit(image, v, false));
    return sz;
}

} // namespace

std::string FormatFooterTime(std::time_t t) {
    // The hour is always two digits, so the text compares as the number would.
    const bool bMorning = FormatLocalTime(t, "%H") < "12";
    return FormatLocalTime(t, "%m/%d/%Y, %H:%M:%S ") + (bMorning ? "am" : "pm");
}

CPage LayOut(const CFormTexts& form, const CVariant& v, std::span<const std::uint8_t> doc,
             const std::string& strPathName, const std::string& strTitle, std::time_t tPrinted) {
    CPage page;
    const int h = kFontHeights[kFontText];

    // Header: path and title on one line, two rules below them.
    CCursor line(page, -2 * h);
    line.Text(kFontText, kLeft, strPathName);
    line.Text(kFontText, kRight, strTitle, true);
    line.NextLine();
    page.rules.push_back({kLeft, line.Y(), kRight, line.Y()});
    page.rules.push_back({kLeft, line.Y() - 2, kRight, line.Y() - 2});
    line.Down(2);

    line.Heading("Radio Info");
    line.Pair("Frequency Range:", Range(doc, v));
    line.Pair("Model:", field::GetText(doc, v.modelName, v.modelName.nLength));
    line.Pair("Serial:", field::GetText(doc, v.serialNumber, v.serialNumber.nLength));
    line.Pair("Version:", field::GetText(doc, v.firmwareVersion, kVersionChars));
    line.Pair("Local Oscillator Freq:", kOscillatorText);

    line.Heading("Feature Switch");
    for (const auto& row : kSwitchTable) {
        for (std::size_t c = 0; c < 3; ++c) {
            if (row[c].nId == 0)
                continue;
            line.Text(kFontText, kSwitchLabelX[c], row[c].pszLabel);
            line.Text(kFontText, kSwitchValueX[c],
                      form.values.Checked(row[c].nId) ? " Enable" : " -----");
        }
        line.NextLine();
    }

    line.Heading("Feature Setting");
    for (const auto& [strLabel, strValue] : form.settings)
        line.Pair(strLabel, strValue);

    line.Heading("Channel Setting");
    line.Text(kFontText, kLabelX, "Available CH:  " + form.strAvailable);
    line.Text(kFontText, kSelectedX, "Selected CH:  " + form.strSelected);
    line.NextLine();

    // The channel table, one text line lower.
    const int top = line.Y() - h;
    const int bottom = top - kTableHeight;
    page.rules.push_back({kLabelX, top, kTableRight, top});
    page.rules.push_back({kTableRight, top, kTableRight, bottom});
    page.rules.push_back({kTableRight, bottom, kLabelX, bottom});
    page.rules.push_back({kLabelX, bottom, kLabelX, top});
    for (int x : kTableColumnX)
        page.rules.push_back({x, top, x, bottom});
    for (int k = 0; k < kTableRules; ++k) {
        const int y = top - kTableFirstRule - kTableRuleStep * k;
        page.rules.push_back({kLabelX, y, kTableRight, y});
    }
    for (std::size_t c = 0; c < texts::kChannelHeaders.size(); ++c)
        page.texts.push_back({kFontTable, kHeaderTextX[c], top - kHeaderTextDrop, false,
                              std::string(texts::kChannelHeaders[c])});
    const int nShown = std::min<int>(std::atoi(form.strAvailable.c_str()), v.channels.table.nCount);
    for (int n = 1; n <= nShown; ++n) {
        const int y = top - kCellTextDrop - kTableRuleStep * (n - 1);
        const field::CChannelRecord rec = field::GetChannel(doc, v, n);
        page.texts.push_back({kFontTable, kCellTextX[0], y, false, channel::RowHeader(n)});
        for (int c = 1; c < channel::kCols; ++c)
            page.texts.push_back({kFontTable, kCellTextX[c], y, false, channel::CellText(rec, c)});
    }

    // What each "Freq Num" of the table means, below it.
    const std::vector<CUsedFrequency> used = UsedFrequencies(doc, v, nShown);
    if (!used.empty()) {
        CCursor freq(page, bottom);
        freq.Heading("Frequency Setting");
        for (std::size_t c = 0; c < texts::kFreqHeaders.size(); ++c)
            freq.Text(kFontTable, kFreqColumnX[c], std::string(texts::kFreqHeaders[c]));
        freq.NextLine(kFontTable);
        for (const CUsedFrequency& f : used) {
            freq.Text(kFontTable, kFreqColumnX[0], std::to_string(f.nNumber));
            freq.Text(kFontTable, kFreqColumnX[1], f.strRx);
            freq.Text(kFontTable, kFreqColumnX[2], f.strTx);
            freq.NextLine(kFontTable);
        }
    }

    // Footer.
    page.rules.push_back({kLeft, kFooterY, kRight, kFooterY});
    page.texts.push_back({kFontText, kLeft, kFooterY - 2, false, FormatFooterTime(tPrinted)});
    page.texts.push_back({kFontText, kRight, kFooterY - 2, true, "Page 1"});
    return page;
}

} // namespace onepage
