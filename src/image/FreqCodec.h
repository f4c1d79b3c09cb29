// SPDX-License-Identifier: GPL-3.0-or-later
// Frequencies in MHz against the radio's stored form: a 24-bit little-endian step count with
// a 2-bit step code (0: 6.25 kHz, 1: 10 kHz, 2 and 3: 12.5 kHz). The encoder clamps to the
// working range it is given and snaps to a raster.
#pragma once

#include <cstdint>
#include <string>

// The working range in MHz, as the application object reads it from the settings or takes it
// from a shown image.
struct CFreqRange {
    double dMin = 0.0;
    double dMax = 0.0;
};

inline constexpr int kStdFreqCount = 99;
// StdFreqTable[n] is standard frequency number n (1..99) in MHz; index 0 is unused.
extern const double StdFreqTable[kStdFreqCount + 1];

// dValue = (lo + 256 mid + 65536 hi) times the step of nStepCode (only its low two bits count).
void DecodeFrequency(double& dValue, std::uint8_t nHi, std::uint8_t nMid, std::uint8_t nLo,
                     int nStepCode);
// Clamps dValue to the working range, picks the step (12.5, then 10, then 6.25 kHz; off every
// raster: rounded down to 12.5 kHz, or to the nearest raster point inside the range when that
// would leave it) and writes the count bytes and the step code. dValue is updated to exactly
// the value the bytes decode to.
void EncodeFrequency(double& dValue, std::uint8_t& nHi, std::uint8_t& nMid, std::uint8_t& nLo,
                     std::uint8_t& nStepCode, CFreqRange range);
// The low limit (bLow) or high limit of six range bytes, in MHz.
double DecodeRangeLimit(const std::uint8_t* pRange6, bool bLow);
// True when dFreq is within 1e-8 MHz of standard frequency number n.
bool IsStandardFrequency(double dFreq, int n);

// MHz as a count of 10 Hz units, as the encoders count: + 0.01 so that values such as
// 462.5625 do not truncate one unit low; below zero or not a number gives 0, and values beyond
// the 32-bit range saturate rather than wrap.
std::uint32_t TenHertzUnits(double dMHz);

// "%.5f" of a frequency, as every edit, grid cell and listing shows it.
std::string FormatFrequency(double dValue);
