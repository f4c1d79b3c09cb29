// The rules of the EEPROM map: the texts of its grid, the byte a cell shows, and the list of
// bytes changed since the map was last opened in this run. The previous image is kept in a
// scratch file in the user's own runtime folder, so the map can compare against it.
#pragma once

#include "variants/Variant.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace eeprom {

inline constexpr int kBytesPerRow = 16;
// Scratch file of the map: the image as shown at the previous opening, raw, no header.
inline constexpr const char* kScratchFileName = "TempSaveGridData.tmp";
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
// The scratch file's full path in ScratchFolder().
std::string ScratchPath();
// Removes the scratch file (never what a link there points to); a missing file is fine.
void RemoveScratchFile();

// Compares the map's cells with the copy kept at the previous opening and keeps the cells
// as the new copy. fnCellText(row, col) gives a data cell's text (rows 1..nRows, columns
// 1..nCols). The result is in row-major order, that is in address order.
//
// The scratch file is created with mode 0600 in a folder of mode 0700 and never opened
// through a link. When it cannot be used (no folder, no write access, a link planted in its
// place) the result is empty, nothing is saved, and the next opening counts as a first one.
class CChangeTracker {
public:
    using CellTextFn = std::function<std::string(int nRow, int nCol)>;
    static std::vector<CByteChange> ShowChanges(const CellTextFn& fnCellText, int nRows, int nCols,
                                                const std::string& strPath);
    // True once a copy has been saved in this run; never reset while the program runs.
    static bool s_bGridSaved;
};

} // namespace eeprom
