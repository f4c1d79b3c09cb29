// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/FreqCodec.h"

#include <cmath>
#include <cstdio>
#include <limits>

const double StdFreqTable[kStdFreqCount + 1] = {
    0.0, // numbers start at 1
    464.5000, 464.5500, 467.7625, 467.8125, 467.8500, 467.8750, 467.9000, 467.9250, 461.0375,
    461.0625, 461.0875, 461.1125, 461.1375, 461.1625, 461.1875, 461.2125, 461.2375, 461.2625,
    461.2875, 461.3125, 461.3375, 461.3625, 462.7625, 462.7875, 462.8125, 462.8375, 462.8625,
    462.8875, 462.9125, 464.4875, 464.5125, 464.5375, 464.5625, 466.0375, 466.0625, 466.0875,
    466.1125, 466.1375, 466.1625, 466.1875, 466.2125, 466.2375, 466.2625, 466.2875, 466.3125,
    466.3375, 466.3625, 467.7875, 467.8375, 467.8625, 467.8875, 467.9125, 469.4875, 469.5125,
    469.5375, 469.5625, 467.5125, 467.5250, 467.5375, 467.5500, 467.5625, 467.5750, 467.5875,
    467.6000, 467.6125, 467.6250, 467.6375, 467.6500, 467.6625, 467.6750, 460.0000, 460.0125,
    460.0250, 460.0375, 460.0500, 460.0625, 460.0750, 460.0875, 460.1000, 460.1125, 460.1250,
    460.1375, 460.1500, 460.1625, 460.1750, 460.1875, 460.9000, 463.0000, 463.0125, 463.0250,
    463.0375, 463.0500, 463.0625, 463.0750, 463.0875, 463.1000, 463.1125, 463.1250, 463.5500,
};

std::uint32_t TenHertzUnits(double dMHz) {
    const double dUnits = dMHz * 100000.0 + 0.01;
    if (!(dUnits > 0.0))
        return 0;
    if (dUnits >= static_cast<double>(std::numeric_limits<std::uint32_t>::max()))
        return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(dUnits);
}

namespace {

// The step of each step code in 10 Hz units.
constexpr double kStepUnits[3] = {625.0, 1000.0, 1250.0};

double StepMHz(int nStepCode) {
    switch (nStepCode & 3) {
    case 0:
        return 0.00625;
    case 1:
        return 0.01;
    default: // 2, and 3 which the encoder never produces
        return 0.0125;
    }
}

// The smallest count of 10 Hz units that is not below dMin.
double LowestUnitsInRange(double dMin) {
    return std::ceil(dMin * 100000.0 - 0.01);
}

// Of the raster points (12.5, 10 and 6.25 kHz) next to u, the nearest one inside dMin..dMax;
// on a tie the coarser raster wins. Leaves n and nCode as they are when none is inside.
void NearestInRange(std::uint32_t u, double dMin, double dMax, std::uint32_t& n,
                    std::uint8_t& nCode) {
    const double dLow = LowestUnitsInRange(dMin);
    const double dHigh = std::floor(dMax * 100000.0 + 0.01);
    constexpr std::uint32_t kSteps[3] = {1250, 1000, 625};
    constexpr std::uint8_t kCodes[3] = {2, 1, 0};
    double dBest = -1.0;
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t nDown = u / kSteps[i];
        for (const std::uint32_t nCand : {nDown, nDown + 1}) {
            const double dUnits = static_cast<double>(nCand) * kSteps[i];
            if (dUnits < dLow || dUnits > dHigh)
                continue;
            const double dDist = std::fabs(dUnits - static_cast<double>(u));
            if (dBest < 0.0 || dDist < dBest) {
                dBest = dDist;
                n = nCand;
                nCode = kCodes[i];
            }
        }
    }
}

} // namespace

void DecodeFrequency(double& dValue, std::uint8_t nHi, std::uint8_t nMid, std::uint8_t nLo,
                     int nStepCode) {
    const std::uint32_t n = nLo + 256u * nMid + 65536u * nHi;
    dValue = n * StepMHz(nStepCode);
}

void EncodeFrequency(double& dValue, std::uint8_t& nHi, std::uint8_t& nMid, std::uint8_t& nLo,
                     std::uint8_t& nStepCode, CFreqRange range) {
    if (std::isnan(dValue))
        dValue = range.dMin;
    if (dValue < range.dMin)
        dValue = range.dMin;
    if (dValue > range.dMax)
        dValue = range.dMax;

    const std::uint32_t u = TenHertzUnits(dValue);
    std::uint32_t n = 0;
    std::uint8_t nCode = 2;
    if (u % 1250 == 0) {
        n = u / 1250;
    } else if (u % 1000 == 0) {
        nCode = 1;
        n = u / 1000;
    } else if (u % 625 == 0) {
        nCode = 0;
        n = u / 625;
    } else {
        n = u / 1250;
    }
    // Rounding down may leave the working range when its lower limit lies on a finer raster
    // (400.00625, and 400.007 typed) or between two 10 Hz units: then the nearest raster point
    // inside the range wins.
    if (static_cast<double>(n) * kStepUnits[nCode] < LowestUnitsInRange(range.dMin))
        NearestInRange(u, range.dMin, range.dMax, n, nCode);
    // What the caller shows is exactly what the bytes decode to.
    dValue = n * StepMHz(nCode);
    // Callers that only want the snapped value point all four outputs at one byte, so the
    // step code, written last, is what such a byte ends up holding.
    nHi = static_cast<std::uint8_t>((n >> 16) & 0xFF);
    nMid = static_cast<std::uint8_t>((n >> 8) & 0xFF);
    nLo = static_cast<std::uint8_t>(n & 0xFF);
    nStepCode = nCode;
}

double DecodeRangeLimit(const std::uint8_t* pRange6, bool bLow) {
    const std::uint8_t* p = bLow ? pRange6 : pRange6 + 3;
    double d = 0.0;
    DecodeFrequency(d, p[2], p[1], p[0], 0);
    return d;
}

bool IsStandardFrequency(double dFreq, int n) {
    if (n < 1 || n > kStdFreqCount)
        return false;
    return std::fabs(dFreq - StdFreqTable[n]) <= 1e-8;
}

std::string FormatFrequency(double dValue) {
    char sz[32];
    std::snprintf(sz, sizeof sz, "%.5f", dValue);
    return sz;
}
