// SPDX-License-Identifier: GPL-3.0-or-later
// The settings of a radio file as data for other programs: one JSON schema (the command-line
// tool's show --json and export print it, import reads it back), and two CSV tables a
// spreadsheet opens (channels and frequencies). Imports go through the editor's rules:
// frequencies are limited to the working range and put on the raster, the non-standard marker
// follows the frequency table's rule, numbers and codes are range-checked. An import changes
// only the bytes of the values that differ from the document's, and nothing at all when one
// value is refused.
#pragma once

#include "image/ImageFields.h"

#include <cstddef>
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

// The version of the JSON form: every export carries it as "schema"; a file without one is of
// the first version.
inline constexpr int kSchemaVersion = 1;
// A JSON source nested deeper than this is refused before it is built: exports are 3 levels
// deep, one more lets a misplaced value reach the rule that names it.
inline constexpr std::size_t kMaxJsonDepth = 4;

struct CImportResult {
    bool bOk = false;
    // When refused: the source, the line (CSV) or the field (JSON), the value in quotes and
    // the rule: 'radio.csv:12: column "signal": "300" is not a signal code ("OFF" or 1 to
    // 121)'.
    std::string strError;
    // Refused because a frequency was to be stored while the document had no working range.
    bool bNoRange = false;
    // Values that were stored other than given (limited to the range, moved onto the raster).
    std::vector<std::string> notes;
    int nChanged = 0; // values that differed from the document's and were stored
    // Rows a table of the source did not hold (only for the tables it holds): the channels in
    // use and the frequency entries that keep their values.
    int nMissingChannels = 0;
    int nMissingFreqs = 0;
};

enum class ImportFormat { Json, Csv };

struct CImportOptions {
    std::string strSourceName = "settings"; // the file as the user named it, for messages
    // The document is a new one: a working range the source carries (JSON "range") is taken
    // when the document has none, and written into its range bytes.
    bool bNewDocument = false;
};

// Applies the values the source names onto the document's working copy. The identity, the
// frequency range and the tune frequency are the radio's own and are not imported. A value
// equal to the document's is never checked, so whatever the export of a file holds (values
// the editor cannot show included) imports back onto that file unchanged.
CImportResult ImportSettings(CWR7310Doc& doc, std::string_view strSource, ImportFormat format,
                             const CImportOptions& options = {});

} // namespace exchange
