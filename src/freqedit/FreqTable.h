// SPDX-License-Identifier: GPL-3.0-or-later
// The frequency table editor's private copy of the frequency records: what each cell shows and
// what committing a cell does to its record. Without widgets, so it is tested without a display.
#pragma once

#include "image/FreqCodec.h"
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

// What the user is told when a typed frequency strTyped was stored as dStored (step code
// nStepCode) in the working range dMin..dMax: "461.40001 MHz stored as 461.40000 MHz: 12.5 kHz
// raster", "480 MHz is above the working range: stored as 470.00000 MHz". Empty when the value
// was stored as typed.
std::string StoredFrequencyNote(std::string_view strTyped, double dStored, int nStepCode,
                                double dMin, double dMax);

struct CFreqCellCommit {
    std::string strText; // what the cell shows now: the stored value, "%.5f"
    bool bStandard;      // the value is the standard frequency of the record's number
    std::string strNote; // how the stored value differs from the typed one (empty: it does not)
};

// A pasted frequency table: the refusal (empty when pasted) and the notes of the values that
// were stored otherwise than pasted.
struct CFreqPaste {
    std::string strError;
    std::vector<std::string> notes;
};

class CFreqTable {
public:
    // pRecords: the variant's freqTable.nCount records of freqTable.nRecordSize bytes; range:
    // the working range committed cells are limited to.
    CFreqTable(const CVariant& variant, CFreqRange range, std::span<const std::uint8_t> records);

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

    // Replaces the records' bytes (undo and redo).
    void SetRecords(std::span<const std::uint8_t> records);
    // The texts of row nNumber, its number first: a row of the copied text.
    std::vector<std::string> RowTexts(int nNumber) const;
    // Pastes rows of (Rx, Tx) texts into records nFirst, nFirst + 1, ..., each value committed
    // as a typed one. A row past the table, or a value with a character the frequency edit
    // does not take or without a digit, refuses the whole paste (nothing changes).
    CFreqPaste PasteRows(int nFirst, std::span<const std::vector<std::string>> rows,
                         int nDecimalPoint);

private:
    const CVariant& m_variant;
    CFreqRange m_range;
    // Laid out as the image, so the records are read and written by the image's own rules;
    // only the table's range is meaningful.
    std::vector<std::uint8_t> m_image;
};
