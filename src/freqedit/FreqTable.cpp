// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqedit/FreqTable.h"

#include "app/WR7310App.h"
#include "freqedit/EditRules.h"
#include "image/FreqCodec.h"
#include "image/ImageFields.h"

#include "image/SettingTexts.h"
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

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

CFreqTable::CFreqTable(const CVariant& variant, CFreqRange workingRange,
                       std::span<const std::uint8_t> records)
    : m_variant(variant), m_range(workingRange), m_image(variant.nImageSize, 0) {
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
                                                   ParseFrequencyText(strOtherShown), m_range);
    field::SetFreqRecord(m_image, m_variant, nNumber, rec);
    return {FormatFrequency(dValue), bStandard,
            StoredFrequencyNote(strText, dValue,
                                nCol == kFreqColRx ? rec.nRxStepCode : rec.nTxStepCode,
                                m_range.dMin, m_range.dMax)};
}

std::string StoredFrequencyNote(std::string_view strTyped, double dStored, int nStepCode,
                                double dMin, double dMax) {
    const double dTyped = ParseFrequencyText(strTyped);
    if (TenHertzUnits(dTyped) == TenHertzUnits(dStored) && std::abs(dTyped - dStored) < 0.000005)
        return {};
    std::string strShown(strTyped);
    std::replace(strShown.begin(), strShown.end(), ',', '.');
    const std::string strStored = FormatFrequency(dStored) + " MHz";
    if (dTyped > dMax)
        return strShown + " MHz is above the working range: stored as " + strStored;
    if (dTyped < dMin)
        return strShown + " MHz is below the working range: stored as " + strStored;
    static constexpr const char* kRasters[] = {"6.25 kHz", "10 kHz", "12.5 kHz", "12.5 kHz"};
    return strShown + " MHz stored as " + strStored + ": " + kRasters[nStepCode & 3] + " raster";
}

void CFreqTable::SetRecords(std::span<const std::uint8_t> records) {
    const CAddrRange range = m_variant.freqTable.Range();
    std::copy_n(records.begin(), std::min<std::size_t>(records.size(), range.nLength),
                m_image.begin() + range.nStart);
}

std::vector<std::string> CFreqTable::RowTexts(int nNumber) const {
    return {std::to_string(nNumber), CellText(nNumber, kFreqColRx), CellText(nNumber, kFreqColTx)};
}

CFreqPaste CFreqTable::PasteRows(int nFirst, std::span<const std::vector<std::string>> rows,
                                 int nDecimalPoint) {
    const int nLast = nFirst + static_cast<int>(rows.size()) - 1;
    if (nLast > Count())
        return {"Cannot paste " + std::to_string(rows.size()) + " rows from row " +
                    std::to_string(nFirst) + " on: the table ends at row " +
                    std::to_string(Count()),
                {}};
    const std::string strAllowed = FilterCharSet(kFilterFrequency, nDecimalPoint);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (int nCol = kFreqColRx; nCol <= kFreqColTx; ++nCol) {
            const std::string& strText = rows[i][static_cast<std::size_t>(nCol - 1)];
            const bool bDigit = std::any_of(strText.begin(), strText.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c)) != 0;
            });
            if (!bDigit || !IsFilterTextAllowed(strAllowed, strText))
                return {"Cannot paste: row " + std::to_string(nFirst + static_cast<int>(i)) + ", " +
                            std::string(texts::kFreqHeaders[static_cast<std::size_t>(nCol)]) +
                            ": \"" + strText + "\" is not a frequency",
                        {}};
        }
    }
    CFreqPaste result;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int n = nFirst + static_cast<int>(i);
        for (int nCol = kFreqColRx; nCol <= kFreqColTx; ++nCol) {
            const int nOther = nCol == kFreqColRx ? kFreqColTx : kFreqColRx;
            const CFreqCellCommit commit = CommitCell(
                n, nCol, rows[i][static_cast<std::size_t>(nCol - 1)], CellText(n, nOther));
            if (!commit.strNote.empty())
                result.notes.push_back(commit.strNote);
        }
    }
    return result;
}
