// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/TuneRules.h"

#include "app/WR7310App.h"
#include "base/Messages.h"
#include "image/FreqCodec.h"
#include "image/ImageFields.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tune {

namespace {

// Working range and raster only: what EncodeFrequency leaves of a value.
double Rastered(double dValue, CFreqRange range) {
    std::uint8_t nHi = 0, nMid = 0, nLo = 0, nCode = 0;
    EncodeFrequency(dValue, nHi, nMid, nLo, nCode, range);
    return dValue;
}

} // namespace

CTuneInfoTexts TuneInfoTexts(const CWR7310App& app, std::span<const std::uint8_t> doc) {
    const CVariant& v = app.m_variant;
    CTuneInfoTexts t;
    t.bOpen = field::GetBit(doc, v.keyTuneSwitch);
    const double dTune = field::GetTuneFrequency(doc, v);
    if (!(dTune < app.m_dMinFreq) && !(dTune > app.m_dMaxFreq))
        t.strFrequency = FormatTuneText(dTune, app.m_nDecimalPoint);
    t.strModel = field::GetText(doc, v.modelName, v.modelName.nLength);
    char sz[64];
    std::snprintf(sz, sizeof sz, "%.5f - %.5fMHz", field::GetRangeLimit(doc, v, true),
                  field::GetRangeLimit(doc, v, false));
    t.strRange = sz;
    const std::string strVersion = field::GetText(doc, v.firmwareVersion, kVersionChars);
    if (!strVersion.empty())
        t.strFirmware = "V" + strVersion;
    return t;
}

std::optional<double> ParseTuneText(std::string_view strText, int nDecimalPoint) {
    if (strText.empty())
        return std::nullopt;
    std::string str(strText);
    for (char& c : str)
        if (c == static_cast<char>(nDecimalPoint))
            c = '.';
    // As atof: leading blanks skipped, the longest number at the start, 0 when there is none.
    std::size_t nStart = str.find_first_not_of(" \t");
    if (nStart == std::string::npos)
        return 0.0;
    if (str[nStart] == '+')
        ++nStart;
    double dValue = 0.0;
    const auto result = std::from_chars(str.data() + nStart, str.data() + str.size(), dValue,
                                        std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(dValue))
        return 0.0;
    return dValue;
}

std::string FormatTuneText(double dValue, int nDecimalPoint) {
    std::string str = FormatFrequency(dValue);
    if (nDecimalPoint != '.')
        for (char& c : str)
            if (c == '.')
                c = static_cast<char>(nDecimalPoint);
    return str;
}

double ApplyRangeRules(CWR7310App& app, std::span<const std::uint8_t> doc, double dValue) {
    const double dLow = field::GetRangeLimit(doc, app.m_variant, true);
    const double dHigh = field::GetRangeLimit(doc, app.m_variant, false);
    if (dValue < dLow) {
        app.ShowMessage(msg::kTuneBelowRange, {}, MsgIcon::Exclamation);
        dValue = dLow;
    }
    if (dValue > dHigh) {
        app.ShowMessage(msg::kTuneAboveRange, {}, MsgIcon::Exclamation);
        dValue = dHigh;
    }
    return Rastered(dValue, app.Range());
}

std::optional<std::string> CheckTuneInput(CWR7310App& app, std::span<const std::uint8_t> doc,
                                          std::string_view strText) {
    const std::optional<double> value = ParseTuneText(strText, app.m_nDecimalPoint);
    if (!value)
        return std::nullopt;
    return FormatTuneText(ApplyRangeRules(app, doc, *value), app.m_nDecimalPoint);
}

double StoreTuneFrequency(const CWR7310App& app, std::span<std::uint8_t> doc, double dValue) {
    const CVariant& v = app.m_variant;
    const auto bytes = field::Bytes(doc, v.tuneFrequency);
    EncodeFrequency(dValue, bytes[2], bytes[1], bytes[0], bytes[3], app.Range());
    field::SetBit(doc, v.keyTuneSwitch, false);
    return dValue;
}

} // namespace tune
