// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/ImageFields.h"

#include "image/FreqCodec.h"

#include <algorithm>
#include <cstdlib>

namespace field {

namespace {

// Addresses come from the variant description; one outside the image is a programming error,
// stopped here rather than left to corrupt memory.
void CheckRange(std::size_t nImageSize, std::size_t nAddr, std::size_t nLength) {
    if (nAddr + nLength > nImageSize)
        std::abort();
}

} // namespace

bool GetBit(std::span<const std::uint8_t> image, CBitField f) {
    return ((GetByte(image, f.nAddr) >> f.nBit) & 1u) != 0;
}

void SetBit(std::span<std::uint8_t> image, CBitField f, bool bOn) {
    const auto mask = static_cast<std::uint8_t>(1u << f.nBit);
    const std::uint8_t n = GetByte(image, f.nAddr);
    SetByte(image, f.nAddr, static_cast<std::uint8_t>(bOn ? (n | mask) : (n & ~mask)));
}

std::uint8_t GetByte(std::span<const std::uint8_t> image, std::uint16_t nAddr) {
    CheckRange(image.size(), nAddr, 1);
    return image[nAddr];
}

void SetByte(std::span<std::uint8_t> image, std::uint16_t nAddr, std::uint8_t nValue) {
    CheckRange(image.size(), nAddr, 1);
    image[nAddr] = nValue;
}

std::uint32_t GetU24(std::span<const std::uint8_t> image, std::uint16_t nAddr) {
    CheckRange(image.size(), nAddr, 3);
    return image[nAddr] | (image[nAddr + 1u] << 8) | (image[nAddr + 2u] << 16);
}

void SetU24(std::span<std::uint8_t> image, std::uint16_t nAddr, std::uint32_t nValue) {
    CheckRange(image.size(), nAddr, 3);
    image[nAddr] = static_cast<std::uint8_t>(nValue & 0xFF);
    image[nAddr + 1u] = static_cast<std::uint8_t>((nValue >> 8) & 0xFF);
    image[nAddr + 2u] = static_cast<std::uint8_t>((nValue >> 16) & 0xFF);
}

std::uint16_t GetU16(std::span<const std::uint8_t> image, std::uint16_t nAddr) {
    CheckRange(image.size(), nAddr, 2);
    return static_cast<std::uint16_t>(image[nAddr] | (image[nAddr + 1u] << 8));
}

std::string GetText(std::span<const std::uint8_t> image, CAddrRange r, std::size_t nMaxChars) {
    const auto bytes = Bytes(image, r);
    std::string str;
    for (std::uint8_t c : bytes) {
        if (c == 0 || str.size() >= nMaxChars)
            break;
        str.push_back(static_cast<char>(c));
    }
    return str;
}

void SetText(std::span<std::uint8_t> image, CAddrRange r, std::string_view strText) {
    const auto bytes = Bytes(image, r);
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
    const std::size_t n = std::min(strText.size(), bytes.size());
    std::copy_n(strText.begin(), n, bytes.begin());
}

void Fill(std::span<std::uint8_t> image, CAddrRange r, std::uint8_t nValue) {
    const auto bytes = Bytes(image, r);
    std::fill(bytes.begin(), bytes.end(), nValue);
}

std::span<const std::uint8_t> Bytes(std::span<const std::uint8_t> image, CAddrRange r) {
    CheckRange(image.size(), r.nStart, r.nLength);
    return image.subspan(r.nStart, r.nLength);
}

std::span<std::uint8_t> Bytes(std::span<std::uint8_t> image, CAddrRange r) {
    CheckRange(image.size(), r.nStart, r.nLength);
    return image.subspan(r.nStart, r.nLength);
}

CChannelRecord GetChannel(std::span<const std::uint8_t> image, const CVariant& v, int n) {
    const CChannelLayout& c = v.channels;
    const std::uint16_t a = c.table.RecordAddr(n);
    CChannelRecord rec;
    rec.nFreqNumber = GetByte(image, static_cast<std::uint16_t>(a + c.nFreqNumberOffset));
    rec.nSignalCode = GetByte(image, static_cast<std::uint16_t>(a + c.nSignalCodeOffset));
    rec.bScanAdd = GetBit(image, {static_cast<std::uint16_t>(a + c.nScanOffset), 0});
    return rec;
}

void SetChannel(std::span<std::uint8_t> image, const CVariant& v, int n,
                const CChannelRecord& rec) {
    const CChannelLayout& c = v.channels;
    const std::uint16_t a = c.table.RecordAddr(n);
    SetByte(image, static_cast<std::uint16_t>(a + c.nFreqNumberOffset), rec.nFreqNumber);
    SetByte(image, static_cast<std::uint16_t>(a + c.nSignalCodeOffset), rec.nSignalCode);
    SetBit(image, {static_cast<std::uint16_t>(a + c.nScanOffset), 0}, rec.bScanAdd);
}

// A 24-bit count with its step code, in MHz.
static double CountToMHz(std::uint32_t nCount, int nStepCode) {
    double d = 0.0;
    DecodeFrequency(d, static_cast<std::uint8_t>(nCount >> 16),
                    static_cast<std::uint8_t>(nCount >> 8), static_cast<std::uint8_t>(nCount),
                    nStepCode);
    return d;
}

double CFreqRecord::RxMHz() const {
    return CountToMHz(nRxCount, nRxStepCode);
}

double CFreqRecord::TxMHz() const {
    return CountToMHz(nTxCount, nTxStepCode);
}

CFreqRecord GetFreqRecord(std::span<const std::uint8_t> image, const CVariant& v, int n) {
    const CFreqRecordLayout& l = v.freqRecord;
    const std::uint16_t a = v.freqTable.RecordAddr(n);
    CFreqRecord rec;
    rec.nRxCount = GetU24(image, static_cast<std::uint16_t>(a + l.nRxCountOffset));
    rec.nTxCount = GetU24(image, static_cast<std::uint16_t>(a + l.nTxCountOffset));
    const std::uint8_t nCodes = GetByte(image, static_cast<std::uint16_t>(a + l.nCodeOffset));
    rec.nRxStepCode = static_cast<std::uint8_t>((nCodes >> l.nRxCodeShift) & 3u);
    rec.nTxStepCode = static_cast<std::uint8_t>((nCodes >> l.nTxCodeShift) & 3u);
    rec.bNonStandard = ((nCodes >> l.nNonStandardBit) & 1u) != 0;
    return rec;
}

void SetFreqRecord(std::span<std::uint8_t> image, const CVariant& v, int n,
                   const CFreqRecord& rec) {
    const CFreqRecordLayout& l = v.freqRecord;
    const std::uint16_t a = v.freqTable.RecordAddr(n);
    SetU24(image, static_cast<std::uint16_t>(a + l.nRxCountOffset), rec.nRxCount);
    SetU24(image, static_cast<std::uint16_t>(a + l.nTxCountOffset), rec.nTxCount);
    const auto nCodeAddr = static_cast<std::uint16_t>(a + l.nCodeOffset);
    const unsigned nMask =
        (3u << l.nRxCodeShift) | (3u << l.nTxCodeShift) | (1u << l.nNonStandardBit);
    unsigned nCodes = GetByte(image, nCodeAddr) & ~nMask;
    nCodes |= (rec.nRxStepCode & 3u) << l.nRxCodeShift;
    nCodes |= (rec.nTxStepCode & 3u) << l.nTxCodeShift;
    if (rec.bNonStandard)
        nCodes |= 1u << l.nNonStandardBit;
    SetByte(image, nCodeAddr, static_cast<std::uint8_t>(nCodes));
}

CFreqRecord EncodeFreqRecord(double& dRx, double& dTx, bool bNonStandard, CFreqRange range) {
    CFreqRecord rec;
    std::uint8_t b[3];
    EncodeFrequency(dRx, b[2], b[1], b[0], rec.nRxStepCode, range);
    rec.nRxCount = b[0] | (b[1] << 8) | (b[2] << 16);
    EncodeFrequency(dTx, b[2], b[1], b[0], rec.nTxStepCode, range);
    rec.nTxCount = b[0] | (b[1] << 8) | (b[2] << 16);
    rec.bNonStandard = bNonStandard;
    return rec;
}

bool CommitFreqColumn(CFreqRecord& rec, int n, bool bRx, double& dValue, double dOther,
                      CFreqRange range) {
    std::uint8_t b[3];
    std::uint8_t nCode = 0;
    EncodeFrequency(dValue, b[2], b[1], b[0], nCode, range);
    const std::uint32_t nCount = b[0] | (b[1] << 8) | (b[2] << 16);
    (bRx ? rec.nRxCount : rec.nTxCount) = nCount;
    (bRx ? rec.nRxStepCode : rec.nTxStepCode) = nCode;
    const bool bStandard = IsStandardFrequency(dValue, n);
    if (!bStandard)
        rec.bNonStandard = true;
    else if (IsStandardFrequency(dOther, n))
        rec.bNonStandard = false;
    return bStandard;
}

double GetTuneFrequency(std::span<const std::uint8_t> image, const CVariant& v) {
    const auto bytes = Bytes(image, v.tuneFrequency);
    double d = 0.0;
    DecodeFrequency(d, bytes[2], bytes[1], bytes[0], bytes[3]);
    return d;
}

double GetRangeLimit(std::span<const std::uint8_t> image, const CVariant& v, bool bLow) {
    return DecodeRangeLimit(Bytes(image, v.rangeBytes).data(), bLow);
}

} // namespace field
