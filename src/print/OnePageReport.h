// SPDX-License-Identifier: GPL-3.0-or-later
// The one-page settings printout: every text and rule of the page, placed in 0.01 inch with y
// growing upward from the top-left corner of the printable area (negative y lies on the page).
// A text's y is its top edge. The painter only draws what this lays out.
#pragma once

#include "variants/Variant.h"
#include "view/FeaturePanel.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace onepage {

// The three fonts, "Arial" of normal weight: texts, headings, the channel table.
inline constexpr std::array<int, 3> kFontHeights = {14, 18, 14};
inline constexpr int kFontText = 0;
inline constexpr int kFontHeading = 1;
inline constexpr int kFontTable = 2;

// Right edge of the page's texts and rules, and the footer's line.
inline constexpr int kRight = 760;
inline constexpr int kFooterY = -1060;

struct CText {
    int nFont = kFontText;
    int x = 0;
    int y = 0;
    bool bRightAligned = false; // x is the right end of the text
    std::string str;
    bool operator==(const CText&) const = default;
};

struct CRule {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const CRule&) const = default;
};

struct CPage {
    std::vector<CText> texts;
    std::vector<CRule> rules;
};

// What the page shows of the form, as its controls hold it now.
struct CFormTexts {
    feature::CFeatureValues values;                            // the check boxes
    std::vector<std::pair<std::string, std::string>> settings; // list label, its current text
    std::string strAvailable;                                  // "Available CHs:" list text
    std::string strSelected;                                   // "Selected CH:" list text
};

// "%m/%d/%Y, %H:%M:%S %P" of the local time ("am"/"pm" in lower case).
std::string FormatFooterTime(std::time_t t);

// The page: header with the document's path and title, the radio's information, the switches
// and lists of the form, the channel table from the document's records, the receive and
// transmit frequency of each entry the shown channels refer to, and the footer with the time
// and "Page 1". doc: the document's working copy, which Radio Information shows too.
CPage LayOut(const CFormTexts& form, const CVariant& variant, std::span<const std::uint8_t> doc,
             const std::string& strPathName, const std::string& strTitle, std::time_t tPrinted);

} // namespace onepage
