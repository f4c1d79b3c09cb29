// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/ChannelPanel.h"

#include "image/FreqCodec.h"
#include "image/SettingTexts.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include <cstdio>
#include <cstdlib>

namespace channel {

std::string RowHeader(int nChannel) {
    char sz[16];
    std::snprintf(sz, sizeof sz, texts::kChannelRowFmt, nChannel);
    return sz;
}

std::string CellText(const field::CChannelRecord& rec, int nCol) {
    switch (nCol) {
    case kColFreqNumber:
        return std::to_string(rec.nFreqNumber);
    case kColSignal:
        return rec.nSignalCode == 0 ? std::string(texts::kSignalOff)
                                    : std::to_string(rec.nSignalCode);
    case kColScan:
        return std::string(rec.bScanAdd ? texts::kScanAdd : texts::kScanDel);
    default:
        return {};
    }
}

std::vector<std::string> EditorItems(const CVariant& variant, int nCol) {
    std::vector<std::string> items;
    switch (nCol) {
    case kColFreqNumber:
        for (int i = 1; i <= variant.freqTable.nCount; ++i)
            items.push_back(std::to_string(i));
        break;
    case kColSignal:
        items.emplace_back(texts::kSignalOff);
        for (int i = 1; i <= kMaxSignalCode; ++i)
            items.push_back(std::to_string(i));
        break;
    case kColScan:
        items.emplace_back(texts::kScanAdd);
        items.emplace_back(texts::kScanDel);
        break;
    default:
        break;
    }
    return items;
}

bool CanEdit(int nRow, int nCol, int nChannelCount, int nChannels) {
    return nRow >= 1 && nRow <= nChannelCount && nRow <= nChannels && nCol >= kColFreqNumber &&
           nCol <= kColScan;
}

void CommitCell(std::span<std::uint8_t> data, const CVariant& variant, int nRow, int nCol,
                std::string_view strText) {
    if (nRow < 1 || nRow > variant.channels.table.nCount)
        return;
    const std::string str(strText);
    field::CChannelRecord rec = field::GetChannel(data, variant, nRow);
    switch (nCol) {
    case kColFreqNumber:
        rec.nFreqNumber = static_cast<std::uint8_t>(std::atoi(str.c_str()));
        break;
    case kColSignal:
        rec.nSignalCode =
            str == texts::kSignalOff ? 0 : static_cast<std::uint8_t>(std::atoi(str.c_str()));
        break;
    case kColScan:
        rec.bScanAdd = str == texts::kScanAdd;
        break;
    default:
        return;
    }
    field::SetChannel(data, variant, nRow, rec);
}

std::vector<std::string> RowTexts(std::span<const std::uint8_t> data, const CVariant& variant,
                                  int nRow) {
    const field::CChannelRecord rec = field::GetChannel(data, variant, nRow);
    std::vector<std::string> cells{RowHeader(nRow)};
    for (int c = kColFreqNumber; c <= kColScan; ++c)
        cells.push_back(CellText(rec, c));
    return cells;
}

namespace {

// The editor's item for a pasted text, matched without regard to case; empty when none.
std::string MatchItem(const std::vector<std::string>& items, std::string_view strText) {
    for (const std::string& strItem : items) {
        if (std::equal(strItem.begin(), strItem.end(), strText.begin(), strText.end(),
                       [](char a, char b) {
                           return std::tolower(static_cast<unsigned char>(a)) ==
                                  std::tolower(static_cast<unsigned char>(b));
                       }))
            return strItem;
    }
    return {};
}

} // namespace

std::string PasteRows(std::span<std::uint8_t> data, const CVariant& variant, int nFirst,
                      int nChannelCount, std::span<const std::vector<std::string>> rows) {
    const int nChannels = variant.channels.table.nCount;
    const int nLast = nFirst + static_cast<int>(rows.size()) - 1;
    if (nLast > std::min(nChannelCount, nChannels))
        return "Cannot paste " + std::to_string(rows.size()) + " rows from " + RowHeader(nFirst) +
               " on: " + RowHeader(nLast) +
               " is not in use (Available CHs: " + std::to_string(nChannelCount) + ")";
    std::vector<std::vector<std::string>> items(kCols);
    for (int c = kColFreqNumber; c <= kColScan; ++c)
        items[static_cast<std::size_t>(c)] = EditorItems(variant, c);
    std::vector<std::vector<std::string>> matched;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<std::string>& row = matched.emplace_back();
        for (int c = kColFreqNumber; c <= kColScan; ++c) {
            const std::string& strText = rows[i][static_cast<std::size_t>(c - 1)];
            std::string strItem = MatchItem(items[static_cast<std::size_t>(c)], strText);
            if (strItem.empty())
                return "Cannot paste: " + RowHeader(nFirst + static_cast<int>(i)) + ", " +
                       std::string(texts::kChannelHeaders[static_cast<std::size_t>(c)]) + ": \"" +
                       strText + "\" is not one of the column's values";
            row.push_back(std::move(strItem));
        }
    }
    for (std::size_t i = 0; i < matched.size(); ++i)
        for (int c = kColFreqNumber; c <= kColScan; ++c)
            CommitCell(data, variant, nFirst + static_cast<int>(i), c,
                       matched[i][static_cast<std::size_t>(c - 1)]);
    return {};
}

std::string FrequencyText(std::span<const std::uint8_t> data, const CVariant& variant, int nRow) {
    const field::CChannelRecord rec = field::GetChannel(data, variant, nRow);
    std::string strText = RowHeader(nRow) + ": Freq Num " + std::to_string(rec.nFreqNumber);
    if (rec.nFreqNumber < 1 || rec.nFreqNumber > variant.freqTable.nCount)
        return strText + ", no such frequency";
    const field::CFreqRecord freq = field::GetFreqRecord(data, variant, rec.nFreqNumber);
    return strText + ", Rx " + FormatFrequency(freq.RxMHz()) + " MHz, Tx " +
           FormatFrequency(freq.TxMHz()) + " MHz";
}

namespace {

double Luminance(std::uint32_t clr) {
    auto channel = [](std::uint32_t v) {
        const double c = static_cast<double>(v & 0xFF) / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(clr) + 0.7152 * channel(clr >> 8) + 0.0722 * channel(clr >> 16);
}

} // namespace

double ContrastRatio(std::uint32_t clrA, std::uint32_t clrB) {
    const double a = Luminance(clrA);
    const double b = Luminance(clrB);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

std::uint32_t DimmedTextColour(std::uint32_t clrText, std::uint32_t clrBack) {
    constexpr double kMinContrast = 4.6; // 4.5 with a margin for rounding
    auto mix = [&](double t) {
        std::uint32_t clr = 0;
        for (int nShift = 0; nShift <= 16; nShift += 8) {
            const double a = static_cast<double>((clrText >> nShift) & 0xFF);
            const double b = static_cast<double>((clrBack >> nShift) & 0xFF);
            clr |= static_cast<std::uint32_t>(std::lround(a + (b - a) * t)) << nShift;
        }
        return clr;
    };
    for (double t = 0.6; t > 0.0; t -= 0.02)
        if (ContrastRatio(mix(t), clrBack) >= kMinContrast)
            return mix(t);
    return clrText;
}

} // namespace channel
