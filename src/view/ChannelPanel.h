// SPDX-License-Identifier: GPL-3.0-or-later
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

// The texts of channel nRow's cells, its row label first: a row of the copied text.
std::vector<std::string> RowTexts(std::span<const std::uint8_t> data, const CVariant& variant,
                                  int nRow);
// Pastes rows of cell texts (Freq Num, Signal, Scan) into channels nFirst, nFirst + 1, ...:
// every value must be one the cell editor offers (letters in any case) for a channel in use,
// else nothing changes and the refusal names the channel, the column and the value. Returns
// the refusal, empty when everything was pasted.
std::string PasteRows(std::span<std::uint8_t> data, const CVariant& variant, int nFirst,
                      int nChannelCount, std::span<const std::vector<std::string>> rows);
// The receive and transmit frequency of channel nRow's frequency number, for its tooltip and
// the status bar: "CH 5: Freq Num 15, Rx 462.56250 MHz, Tx 467.56250 MHz".
std::string FrequencyText(std::span<const std::uint8_t> data, const CVariant& variant, int nRow);

// Contrast ratio (1 to 21) of two 0x00BBGGRR colours, as the accessibility guidelines count it.
double ContrastRatio(std::uint32_t clrA, std::uint32_t clrB);
// The text colour of channels not in use: as far from clrText toward the background clrBack
// as still reads at 4.5:1 or better, so the rows look dimmed yet stay legible.
std::uint32_t DimmedTextColour(std::uint32_t clrText, std::uint32_t clrBack);

} // namespace channel
