#include "freqedit/FreqTable.h"

#include "image/FreqCodec.h"
#include "image/ImageFields.h"

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
    : m_variant(variant), m_image(variant.nImageSize, 0) {
    const CAddrRange range = variant.freqTable.Range();
    std::copy_n(records.begin(), std::min<std::size_t>(records.size(), range.nLength),
                m_image.begin() + range.nStart);
}

std::span<const std::uint8_t> CFreqTable::Records() const {
    return field::Bytes(m_image, m_variant.freqTable.Range());
}

double CFreqTable::Frequency(int nNumber, int nCol) const {
    const field::CFreqRecord rec = field::GetFreqRecord(m_image, m_variant, nNumber);
    return nCol == kFreqColRx ? rec.RxMHz() : rec.TxMHz();
}

std::string CFreqTable::CellText(int nNumber, int nCol) const {
    return FormatFrequency(Frequency(nNumber, nCol));
}

bool CFreqTable::IsStandardCell(int nNumber, int nCol) const {
    return IsStandardFrequency(Frequency(nNumber, nCol), nNumber);
}

bool CFreqTable::NonStandard(int nNumber) const {
    return field::GetFreqRecord(m_image, m_variant, nNumber).bNonStandard;
}

CFreqCellCommit CFreqTable::CommitCell(int nNumber, int nCol, std::string_view strText,
                                       std::string_view strOtherShown) {
    field::CFreqRecord rec = field::GetFreqRecord(m_image, m_variant, nNumber);
    double dValue = ParseFrequencyText(strText);
    const bool bStandard = field::CommitFreqColumn(rec, nNumber, nCol == kFreqColRx, dValue,
                                                   ParseFrequencyText(strOtherShown));
    field::SetFreqRecord(m_image, m_variant, nNumber, rec);
    return {FormatFrequency(dValue), bStandard};
}
