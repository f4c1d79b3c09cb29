#include "view/ChannelPanel.h"

#include "image/SettingTexts.h"

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

} // namespace channel
