// SPDX-License-Identifier: GPL-3.0-or-later
// Typed access to image fields over any image-shaped byte span (the application's image
// buffer or the document's working copy). Addresses come from the variant description.
#pragma once

#include "image/FreqCodec.h"
#include "variants/Variant.h"

#include <cstdint>
#include <span>
#include <string>

namespace field {

bool GetBit(std::span<const std::uint8_t> image, CBitField f);
void SetBit(std::span<std::uint8_t> image, CBitField f, bool bOn);
std::uint8_t GetByte(std::span<const std::uint8_t> image, std::uint16_t nAddr);
void SetByte(std::span<std::uint8_t> image, std::uint16_t nAddr, std::uint8_t nValue);
std::uint32_t GetU24(std::span<const std::uint8_t> image, std::uint16_t nAddr);
void SetU24(std::span<std::uint8_t> image, std::uint16_t nAddr, std::uint32_t nValue);
std::uint16_t GetU16(std::span<const std::uint8_t> image, std::uint16_t nAddr);
// The text of a field up to its first zero byte, at most nMaxChars characters.
std::string GetText(std::span<const std::uint8_t> image, CAddrRange r, std::size_t nMaxChars);
// Writes the text zero-padded; a text longer than the field is cut.
void SetText(std::span<std::uint8_t> image, CAddrRange r, std::string_view strText);
// Every byte of the range set to nValue.
void Fill(std::span<std::uint8_t> image, CAddrRange r, std::uint8_t nValue);
// The bytes of a range.
std::span<const std::uint8_t> Bytes(std::span<const std::uint8_t> image, CAddrRange r);
std::span<std::uint8_t> Bytes(std::span<std::uint8_t> image, CAddrRange r);

// The highest signalling code a channel may carry (the editor offers "OFF", "1".."121").
inline constexpr int kMaxSignalCode = 121;

// One channel record (numbered from 1) as the editor sees it.
struct CChannelRecord {
    std::uint8_t nFreqNumber = 0;
    std::uint8_t nSignalCode = 0; // 0: no signalling
    bool bScanAdd = false;
};
CChannelRecord GetChannel(std::span<const std::uint8_t> image, const CVariant& v, int n);
// Writes the three fields; every other bit of the record keeps its value.
void SetChannel(std::span<std::uint8_t> image, const CVariant& v, int n, const CChannelRecord& rec);

// One frequency record (numbered from 1): receive and transmit counts with their step codes.
struct CFreqRecord {
    std::uint32_t nRxCount = 0;
    std::uint32_t nTxCount = 0;
    std::uint8_t nRxStepCode = 0;
    std::uint8_t nTxStepCode = 0;
    bool bNonStandard = false;

    double RxMHz() const;
    double TxMHz() const;
};
CFreqRecord GetFreqRecord(std::span<const std::uint8_t> image, const CVariant& v, int n);
// Writes counts, codes and the marker; the record's other bits keep their values.
void SetFreqRecord(std::span<std::uint8_t> image, const CVariant& v, int n, const CFreqRecord& rec);
// Encodes both frequencies (clamped to the working range and snapped, each updated in place)
// into a record.
CFreqRecord EncodeFreqRecord(double& dRx, double& dTx, bool bNonStandard, CFreqRange range);
// One column of record n changed as the frequency table's editor commits it: dValue is encoded
// (clamped to the working range and put on the raster, updated in place) into the column's
// count and step code; a value that is not number n's standard frequency sets the
// non-standard marker, a standard one clears it only when dOther (the other column) is
// standard too. Returns whether dValue is standard.
bool CommitFreqColumn(CFreqRecord& rec, int n, bool bRx, double& dValue, double dOther,
                      CFreqRange range);

// The tune frequency: a 24-bit count and a whole step-code byte.
double GetTuneFrequency(std::span<const std::uint8_t> image, const CVariant& v);
// The low (bLow) or high limit of the range bytes, in MHz.
double GetRangeLimit(std::span<const std::uint8_t> image, const CVariant& v, bool bLow);

} // namespace field
