// Rules of the channel grid in the "Channel Setting" group: what each cell shows, which cells
// open for editing, the items of the cell editor and what a committed item stores. The view
// moves values between these rules, the document and the grid.
#pragma once

#include "image/ImageFields.h"
#include "variants/Variant.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace channel {

// Grid columns: 0 is the fixed "CH n" column.
inline constexpr int kColFreqNumber = 1;
inline constexpr int kColSignal = 2;
inline constexpr int kColScan = 3;
inline constexpr int kCols = 4;
// Highest signalling code the cell editor offers.
inline constexpr int kMaxSignalCode = field::kMaxSignalCode;

// "CH n" of the fixed column.
std::string RowHeader(int nChannel);
// Text of a channel cell: "%d" frequency number; "OFF" or "%d" signalling code; "Add"/"Del".
std::string CellText(const field::CChannelRecord& rec, int nCol);
// Items of the cell editor for a column (empty for a column that is not edited): frequency
// numbers 1..the frequency table's size, "OFF" and 1..121, "Add" and "Del".
std::vector<std::string> EditorItems(const CVariant& variant, int nCol);
// Only cells of channels 1..nChannelCount in columns 1..3 open for editing.
bool CanEdit(int nRow, int nCol, int nChannelCount, int nChannels);
// Stores the editor's text into channel nRow: column 1 atoi as a byte; column 2 0 for "OFF",
// else atoi; column 3 "Add" or not. The record's other bits keep their values.
void CommitCell(std::span<std::uint8_t> data, const CVariant& variant, int nRow, int nCol,
                std::string_view strText);

} // namespace channel
