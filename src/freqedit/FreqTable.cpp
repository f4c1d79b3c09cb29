#include "freqedit/FreqTable.h"

#include "image/FreqCodec.h"

#include <algorithm>
#include <cctype>
#include <charconv>

double ParseFrequencyText(std::string_view strText) {
    std::string str(strText);
    std::replace(str.begin(), str.end(), ',', '.');
    const char* p = str.c_str();
    while (*p != '\0' && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (*p == '+')
        ++p;
    double dValue = 0.0;
    const auto result = std::from_chars(p, str.c_str() + str.size(), dValue);
    return result.ec == std::errc() ? dValue : 0.0;
}

CFreqTable::CFreqTable(const CVariant& variant, std::span<const std::uint8_t> records)
    : m_variant(variant), m_records(records.begin(), records.end()) {
    m_records.resize(variant.freqTable.Range().nLength, 0);
}

std::uint8_t* CFreqTable::Record(int nNumber) {
    return m_records.data() + static_cast<std::size_t>(m_variant.freqTable.nRecordSize) *
                                  static_cast<std::size_t>(nNumber - 1);
}

const std::uint8_t* CFreqTable::Record(int nNumber) const {
    return m_records.data() + static_cast<std::size_t>(m_variant.freqTable.nRecordSize) *
                                  static_cast<std::size_t>(nNumber - 1);
}

double CFreqTable::Frequency(int nNumber, int nCol) const {
    const CFreqRecordLayout& l = m_variant.freqRecord;
    const std::uint8_t* r = Record(nNumber);
    const int nOff = nCol == kFreqColRx ? l.nRxCountOffset : l.nTxCountOffset;
    const int nShift = nCol == kFreqColRx ? l.nRxCodeShift : l.nTxCodeShift;
    double dValue = 0.0;
    DecodeFrequency(dValue, r[nOff + 2], r[nOff + 1], r[nOff], (r[l.nCodeOffset] >> nShift) & 3);
    return dValue;
}

std::string CFreqTable::CellText(int nNumber, int nCol) const {
    return FormatFrequency(Frequency(nNumber, nCol));
}

bool CFreqTable::IsStandardCell(int nNumber, int nCol) const {
    return IsStandardFrequency(Frequency(nNumber, nCol), nNumber);
}

bool CFreqTable::NonStandard(int nNumber) const {
    const CFreqRecordLayout& l = m_variant.freqRecord;
    return ((Record(nNumber)[l.nCodeOffset] >> l.nNonStandardBit) & 1) != 0;
}

CFreqCellCommit CFreqTable::CommitCell(int nNumber, int nCol, std::string_view strText,
                                       std::string_view strOtherShown) {
    const CFreqRecordLayout& l = m_variant.freqRecord;
    std::uint8_t* r = Record(nNumber);
    double dValue = ParseFrequencyText(strText);
    std::uint8_t nHi = 0;
    std::uint8_t nMid = 0;
    std::uint8_t nLo = 0;
    std::uint8_t nCode = 0;
    EncodeFrequency(dValue, nHi, nMid, nLo, nCode);
    const int nOff = nCol == kFreqColRx ? l.nRxCountOffset : l.nTxCountOffset;
    const int nShift = nCol == kFreqColRx ? l.nRxCodeShift : l.nTxCodeShift;
    r[nOff] = nLo;
    r[nOff + 1] = nMid;
    r[nOff + 2] = nHi;
    std::uint8_t& nCodeByte = r[l.nCodeOffset];
    nCodeByte = static_cast<std::uint8_t>((nCodeByte & ~(3 << nShift)) | ((nCode & 3) << nShift));

    const std::uint8_t nMarker = static_cast<std::uint8_t>(1 << l.nNonStandardBit);
    const bool bStandard = IsStandardFrequency(dValue, nNumber);
    if (!bStandard)
        nCodeByte |= nMarker;
    else if (IsStandardFrequency(ParseFrequencyText(strOtherShown), nNumber))
        nCodeByte = static_cast<std::uint8_t>(nCodeByte & ~nMarker);
    return {FormatFrequency(dValue), bStandard};
}
