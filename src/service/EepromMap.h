// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the EEPROM map: the texts of its grid, the byte a cell shows, and the list of
// bytes changed since the map was last opened in this run. The previous image is kept in a
// scratch file in the user's own runtime folder, one per running program, so the map can
// compare against it.
#pragma once

#include "variants/Variant.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace eeprom {

inline constexpr int kBytesPerRow = 16;
// Scratch files of the map: the image as shown at the previous opening, raw, no header. Each
// running program has its own, named by its process id: "TempSaveGridData-1234.tmp".
inline constexpr std::string_view kScratchPrefix = "TempSaveGridData-";
inline constexpr std::string_view kScratchSuffix = ".tmp";
// Background of a changed cell: red 123, green 234, blue 50.
inline constexpr std::uint32_t kChangedColour = 0x0032EA7B; // 0x00BBGGRR

// Data rows of the map (the header row not counted): 16 bytes a row over the whole image.
int DataRows(const CVariant& v);

// Grid texts. Rows and columns count from 0, which is the header row and column.
std::string CornerText();               // "Addr."
std::string ColumnHeaderText(int nCol); // "__0" .. "__F" for columns 1..16
std::string RowHeaderText(int nRow);    // "000_" .. for rows 1..
std::string CellText(std::uint8_t nByte);
// Image address of a data cell.
int CellAddress(int nRow, int nCol);
// "$07FF:" for the byte under a data cell, and "0x5A" for the cell's text.
std::string AddressLabelText(int nRow, int nCol);
std::string ValueText(std::string_view strCellText);
// A cell's text back to its byte: 16 * first + second hex digit; a text whose length is not
// 2 gives 0xFF.
std::uint8_t HexTextToByte(std::string_view strText);
// "Address is out of range: 0000 ~ 07FF" with the model's last address.
std::string RangeMessage(const CVariant& v);
// True when a fill from nStartRow is allowed; the fill itself always covers the whole image.
bool FillAllowed(const CVariant& v, int nStartRow);

// What a screen reader says for a data cell: its address and its value, "$01A3: 0x3F".
std::string CellAccessibleText(int nRow, int nCol, std::string_view strCellText);
// The grid cell (row, column) of an image address.
std::pair<int, int> CellOfAddress(int nAddress);
// The address a change-list entry ("$01A3:0x3F -> 0x40") names; nothing for another text.
std::optional<int> EntryAddress(std::string_view strEntry);

// The image as an Intel HEX file: data records of 16 bytes, an extended linear address record
// before each 64 KiB past the first, and the end-of-file record; lines end with CR LF.
std::string IntelHex(std::span<const std::uint8_t> image);

// What the Find box asks for: an address ("$01A3" or "0x1A3") or a byte sequence (hex bytes
// apart, "3F 40 4A", or run together in pairs, "3F404A").
struct CFindQuery {
    enum class Kind { Address, Bytes, Invalid };
    Kind kind = Kind::Invalid;
    int nAddress = 0;
    std::vector<std::uint8_t> bytes;
};
CFindQuery ParseFind(std::string_view strText);
// What the Find box says when its text is neither.
inline constexpr std::string_view kFindHelp =
    "Type an address such as $01A3, or bytes such as 3F 40";
inline constexpr std::string_view kFindNotFound = "Not found";
// "$0123 is past the last address $07FF"
std::string AddressPastEndText(int nAddress, int nImageSize);
// The first address at or after nFrom where bytes occur, going on from the start of the image
// after its end; nothing when they occur nowhere.
std::optional<int> FindBytes(std::span<const std::uint8_t> image,
                             std::span<const std::uint8_t> bytes, int nFrom);

// One byte that differs from the previous opening.
struct CByteChange {
    int nRow = 0; // grid row and column of the cell
    int nCol = 0;
    std::uint8_t nOld = 0;
    std::string strNewText; // the cell's text now
    // "$01A3:0x3F -> 0x40"
    std::string Entry() const;
};

// The folder of the scratch file: $XDG_RUNTIME_DIR/wr7310 when that variable names an
// absolute folder, else the per-user cache folder ($XDG_CACHE_HOME/wr7310, ~/.cache/wr7310);
// on Windows %LOCALAPPDATA%\wr7310.
std::string ScratchFolder();
// The scratch file name of the program with process id nPid.
std::string ScratchFileName(long nPid);
// The process id a scratch file name carries; 0 when the name is not a scratch file's.
long ScratchFilePid(std::string_view strName);
// This program's scratch file: its full path in ScratchFolder().
std::string ScratchPath();
// Removes this program's scratch file (never what a link there points to); a missing file is
// fine.
void RemoveScratchFile();
// Whether a program with process id nPid is running.
bool ProcessRunning(long nPid);
// Removes the scratch files in strFolder of programs that no longer run (fnRunning says which
// do); this program's own and every other file are left alone.
void RemoveStaleScratchFiles(const std::string& strFolder,
                             const std::function<bool(long nPid)>& fnRunning = ProcessRunning);

// Compares the map's cells with the copy kept at the previous opening and keeps the cells
// as the new copy. fnCellText(row, col) gives a data cell's text (rows 1..nRows, columns
// 1..nCols). The result is in row-major order, that is in address order.
//
// The scratch file is created with mode 0600 in a folder of mode 0700 and never opened
// through a link. The first opening in a run also clears the folder of the scratch files that
// programs no longer running left behind. When it cannot be used (no folder, no write access, a
// link planted in its place) the result is empty, nothing is saved, and the next opening counts as
// a first one.
class CChangeTracker {
public:
    using CellTextFn = std::function<std::string(int nRow, int nCol)>;
    static std::vector<CByteChange> ShowChanges(const CellTextFn& fnCellText, int nRows, int nCols,
                                                const std::string& strPath);
    // True once a copy has been saved in this run; never reset while the program runs.
    static bool s_bGridSaved;
};

} // namespace eeprom
