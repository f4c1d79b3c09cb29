// The frequency table editor's private copy of the frequency records: what each cell shows and
// what committing a cell does to its record. Without widgets, so it is tested without a display.
#pragma once

#include "variants/Variant.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Grid columns of the table: 0 is the fixed number column.
inline constexpr int kFreqColRx = 1;
inline constexpr int kFreqColTx = 2;
inline constexpr int kFreqCols = 3;

// A frequency typed by the user, in MHz. Reads a leading number as atof does (nothing readable
// gives 0), with either '.' or ',' as the decimal separator whatever the locale.
double ParseFrequencyText(std::string_view strText);

struct CFreqCellCommit {
    std::string strText; // what the cell shows now: the stored value, "%.5f"
    bool bStandard;      // the value is the standard frequency of the record's number
};

class CFreqTable {
public:
    // pRecords: the variant's freqTable.nCount records of freqTable.nRecordSize bytes.
    CFreqTable(const CVariant& variant, std::span<const std::uint8_t> records);

    int Count() const { return m_variant.freqTable.nCount; }
    std::span<const std::uint8_t> Records() const;

    // Frequency of record nNumber (1..Count) in column kFreqColRx or kFreqColTx, in MHz.
    double Frequency(int nNumber, int nCol) const;
    std::string CellText(int nNumber, int nCol) const;
    bool IsStandardCell(int nNumber, int nCol) const;
    bool NonStandard(int nNumber) const;

    // Takes the text of an edited cell: encodes its value (clamped to the working range, on a
    // raster) into the record's count and step code for the column; a value that is not the
    // number's standard frequency sets the record's non-standard marker; a standard one clears
    // it only when the other column's shown text strOtherShown is standard too.
    CFreqCellCommit CommitCell(int nNumber, int nCol, std::string_view strText,
                               std::string_view strOtherShown);

private:
    const CVariant& m_variant;
    // Laid out as the image, so the records are read and written by the image's own rules;
    // only the table's range is meaningful.
    std::vector<std::uint8_t> m_image;
};
