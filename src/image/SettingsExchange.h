// The settings of a radio file as data for other programs: one JSON schema (the command-line
// tool's show --json and export print it, import reads it back), and two CSV tables a
// spreadsheet opens (channels and frequencies). Imports go through the editor's rules:
// frequencies are limited to the working range and put on the raster, the non-standard marker
// follows the frequency table's rule, numbers and codes are range-checked. An import changes
// only the bytes of the values that differ from the document's, and nothing at all when one
// value is refused.
#pragma once

#include "image/ImageFields.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CWR7310Doc;

namespace exchange {

struct CNamedValue {
    std::string strName;
    std::string strValue;
};

struct CSwitchValue {
    std::string strName;
    bool bOn;
};

struct CFreqEntry {
    int nNumber;
    double dRx;
    double dTx;
    bool bStandard; // both frequencies equal the standard frequency of the number
};

// Everything the listings show, decoded once for every output form.
struct CSettingsListing {
    std::string strModel;
    std::vector<CSwitchValue> switches; // names without their trailing blanks
    std::vector<CNamedValue> settings;  // labels with their colon, item texts
    int nChannelCount = 0;
    int nCurrentChannel = 0;
    std::vector<std::pair<int, field::CChannelRecord>> channels; // the channels in use
    std::vector<CFreqEntry> freqs;
    std::string strModelName;
    std::string strSerial;
    std::string strFirmware;
    double dOscillatorMHz = 0;
    double dRangeLow = 0;
    double dRangeHigh = 0;
    std::optional<double> dTune; // empty: radio files of this model do not carry it
};

// The settings of the document's working copy and image.
CSettingsListing Decode(const CWR7310Doc& doc);

// The listing as one JSON object, indented, ending in a line break. Stored texts are bytes:
// each byte is the character of that code (Latin-1), escaped when not printable ASCII.
std::string JsonText(const CSettingsListing& listing);
// Two CSV tables separated by an empty line: "channel,frequency number,signal,scan" with the
// channels in use, then "number,rx MHz,tx MHz" with the frequency table.
std::string CsvText(const CSettingsListing& listing);

struct CImportResult {
    bool bOk = false;
    // When refused: the field, the value and the rule ("channels[3].freqNumber: 120: a
    // frequency number is 1 to 99").
    std::string strError;
    // Values that were stored other than given (limited to the range, moved onto the raster).
    std::vector<std::string> notes;
    int nChanged = 0; // values that differed from the document's and were stored
};

enum class ImportFormat { Json, Csv };

// Applies the values the source names onto the document's working copy. The identity, the
// frequency range and the tune frequency are the radio's own and are not imported.
CImportResult ImportSettings(CWR7310Doc& doc, std::string_view strSource, ImportFormat format);

} // namespace exchange
