// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the tune mode screen, shared by the desktop dialog and the command-line tool:
// what the screen shows of the document, the range check of a typed tune frequency and the
// encoding of the frequency that is about to be written.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

class CWR7310App;

namespace tune {

// Longest text the tune frequency edit takes.
inline constexpr int kMaxInputChars = 9;
// The screen's two notes (UTF-8), each with an English line for readers of English.
inline constexpr const char* kFreqNote =
    "无论下面的按键进入调测模式开关选择什么，在写入调测频率时一律写“关”模式。";
inline constexpr const char* kFreqNoteEnglish =
    "Writing the tune frequency always writes the switch below as \"Close\".";
inline constexpr const char* kSwitchNote =
    "按键进入调测模式开关必须单独写入，建议先写调测频率，否则开关可能不是期望状态。";
inline constexpr const char* kSwitchNoteEnglish =
    "Write the switch on its own, after the tune frequency; otherwise it may not stay as set.";

// Longest firmware version text shown.
inline constexpr std::size_t kVersionChars = 16;

// What the screen shows of the document.
struct CTuneInfoTexts {
    bool bOpen = false;       // the key tune switch
    std::string strFrequency; // "%.5f", empty when outside the working range
    std::string strModel;
    std::string strRange;    // "400.00000 - 470.00000MHz" from the range bytes
    std::string strFirmware; // "V" and the version text, or empty
};
CTuneInfoTexts TuneInfoTexts(const CWR7310App& app, std::span<const std::uint8_t> doc);

// The number at the start of a typed text, as atof reads it; nDecimalPoint is the user's
// separator. Nothing for an empty text.
std::optional<double> ParseTuneText(std::string_view strText, int nDecimalPoint = '.');
// "%.5f" with the user's separator.
std::string FormatTuneText(double dValue, int nDecimalPoint = '.');

// Raises a value below the radio's range (its range bytes in the document) to the low limit
// and lowers one above it to the high limit, each with its message; the result is then put on
// the working range and its raster, silently.
double ApplyRangeRules(CWR7310App& app, std::span<const std::uint8_t> doc, double dValue);
// The check when the edit loses the focus: the text the edit shows afterwards, or nothing
// (edit unchanged) for an empty text.
std::optional<std::string> CheckTuneInput(CWR7310App& app, std::span<const std::uint8_t> doc,
                                          std::string_view strText);

// Encodes dValue (working range and raster) into the document's tune frequency, clears the
// key tune switch in the document and returns the value stored.
double StoreTuneFrequency(const CWR7310App& app, std::span<std::uint8_t> doc, double dValue);

} // namespace tune
