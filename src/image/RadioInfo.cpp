// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/RadioInfo.h"

#include "image/ImageFields.h"

#include <cstdio>

namespace {

constexpr std::size_t kIdentityChars = 16;
constexpr std::size_t kVersionChars = 7;

template <typename... Args> std::string Format(std::string_view strFormat, Args... args) {
    char sz[96];
    const std::string strFmt(strFormat);
    std::snprintf(sz, sizeof sz, strFmt.c_str(), args...);
    return sz;
}

} // namespace

CRadioInfoTexts RadioInfoTexts(const CVariant& v, CFreqRange range,
                               std::span<const std::uint8_t> image) {
    CRadioInfoTexts t;
    const bool bRadioRange = v.info.bRangeFromRadio;
    const double dLow = bRadioRange ? field::GetRangeLimit(image, v, true) : range.dMin;
    const double dHigh = bRadioRange ? field::GetRangeLimit(image, v, false) : range.dMax;
    t.strRange = Format(v.info.strRangeFmt, dLow, dHigh);
    t.strModel = field::GetText(image, v.modelName, kIdentityChars);
    t.strSerial = field::GetText(image, v.serialNumber, kIdentityChars);
    t.strVersion = field::GetText(image, v.firmwareVersion, kVersionChars);
    if (v.info.bVersionMarked && !t.strVersion.empty())
        t.strVersion = "V" + t.strVersion;
    t.strOscillator =
        Format(v.info.strOscillatorFmt, field::GetU16(image, v.localOscillator.nStart) * 0.001);
    return t;
}
