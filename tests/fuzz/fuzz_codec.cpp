// SPDX-License-Identifier: GPL-3.0-or-later
// The frequency codec over any working range and value. Properties: the result lies inside
// the working range whenever a raster point does; it is exactly the value the stored bytes
// decode to, so what is shown is what is stored; the range limits floor to 6.25 kHz; and the
// worked examples of the codec keep their results.
#include "FuzzSupport.h"
#include "app/WR7310App.h"
#include "image/FreqCodec.h"

#include <cmath>

namespace {

struct CEncoded {
    double dValue;
    std::uint8_t hi, mid, lo, code;
};

CEncoded Encode(double d, CFreqRange range) {
    CEncoded e{d, 0, 0, 0, 0};
    EncodeFrequency(e.dValue, e.hi, e.mid, e.lo, e.code, range);
    return e;
}

// A frequency in MHz from four input bytes: 0 to about 1000 MHz in 10 Hz units with a
// fraction below them, so values on and off every raster come up.
double Frequency(CFuzzInput& input) {
    const std::uint32_t n = input.U32();
    return static_cast<double>(n % 100000000u) * 0.00001 + (n >> 28) * 0.0000007;
}

// Whether any raster point (6.25, 10 or 12.5 kHz) lies in dMin..dMax.
bool RasterPointInside(double dMin, double dMax) {
    const double dLow = std::ceil(dMin * 100000.0 - 0.01);
    const double dHigh = std::floor(dMax * 100000.0 + 0.01);
    for (double dStep : {625.0, 1000.0, 1250.0})
        if (std::ceil(dLow / dStep) * dStep <= dHigh)
            return true;
    return false;
}

void CheckWorkedExamples() {
    CWR7310App app(XtraVariant(), FuzzDir() + "/none.ini");
    app.m_dMinFreq = 400;
    app.m_dMaxFreq = 470;
    struct {
        double dIn, dOut;
        std::uint8_t code;
        std::uint32_t n;
    } const examples[] = {{462.5625, 462.5625, 2, 37005},   {462.56, 462.56, 1, 46256},
                          {462.55625, 462.55625, 0, 74009}, {462.551, 462.55, 2, 37004},
                          {399.9, 400.0, 2, 32000},         {470.5, 470.0, 2, 37600}};
    for (const auto& x : examples) {
        const CEncoded e = Encode(x.dIn, app.Range());
        FuzzCheck(e.code == x.code && (e.lo | e.mid << 8 | e.hi << 16) == static_cast<int>(x.n) &&
                      std::fabs(e.dValue - x.dOut) < 1e-9,
                  "worked example of the encoder");
    }
    double dLow = 400.003, dHigh = 470.0;
    std::uint8_t range[6] = {};
    app.EncodeRange(dLow, dHigh, range);
    FuzzCheck(range[0] == 0x00 && range[1] == 0xFA && range[2] == 0x00 && dLow == 400.0,
              "worked example of the range encoding");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CheckWorkedExamples();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    CFuzzInput input(pData, nSize);
    double dMin = Frequency(input), dMax = Frequency(input);
    if (dMin > dMax)
        std::swap(dMin, dMax);
    const double dIn = Frequency(input) * ((input.Byte() & 1) ? 1.0 : 1.1);

    CWR7310App app(XtraVariant(), FuzzDir() + "/none.ini");
    app.m_dMinFreq = dMin;
    app.m_dMaxFreq = dMax;
    const CEncoded e = Encode(dIn, app.Range());
    double dStored = 0;
    DecodeFrequency(dStored, e.hi, e.mid, e.lo, e.code);
    FuzzCheck(dStored == e.dValue, "the value handed back is the stored value");
    FuzzCheck(FormatFrequency(dStored) == FormatFrequency(e.dValue), "shown value = stored value");
    FuzzCheck(e.code <= 2, "the encoder never produces step code 3");
    if (RasterPointInside(dMin, dMax))
        FuzzCheck(e.dValue >= dMin - 1e-9 && e.dValue <= dMax + 1e-9,
                  "the result lies inside the working range");

    double dLow = dMin, dHigh = dMax;
    std::uint8_t range[6] = {};
    app.EncodeRange(dLow, dHigh, range);
    FuzzCheck(dLow <= dMin + 1e-9 && dMin - dLow < 0.00625 + 1e-9, "low limit floors to 6.25 kHz");
    FuzzCheck(DecodeRangeLimit(range, true) == dLow && DecodeRangeLimit(range, false) == dHigh,
              "range bytes decode to the floored limits");
    return 0;
}
