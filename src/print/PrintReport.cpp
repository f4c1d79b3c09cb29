// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/PrintReport.h"

#include "app/WR7310App.h"
#include "base/LocalTime.h"
#include "image/FreqCodec.h"
#include "image/ImageFields.h"
#include "image/RadioInfo.h"
#include "image/SettingTexts.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

constexpr std::size_t kChannelGroupTexts = 8; // four pairs per channel
constexpr std::string_view kFreqSectionTitle = "Frequency Setting";

std::string Format2d(const char* pszFormat, int n) {
    char sz[32];
    std::snprintf(sz, sizeof sz, pszFormat, n);
    return sz;
}

} // namespace

int RowFontIndex(int nStyle) {
    switch (nStyle) {
    case kRowTitle:
        return 3;
    case kRowGroupHead:
        return 4;
    default:
        return 2;
    }
}

std::string FormatPrintTime(std::time_t t) {
    return FormatLocalTime(t, "%m/%d/%Y %H:%M:%S");
}

std::vector<CUsedFrequency> UsedFrequencies(std::span<const std::uint8_t> doc, const CVariant& v,
                                            int nChannels) {
    std::set<int> numbers;
    const int nLast = std::min<int>(nChannels, v.channels.table.nCount);
    for (int n = 1; n <= nLast; ++n) {
        const int nNumber = field::GetChannel(doc, v, n).nFreqNumber;
        if (nNumber >= 1 && nNumber <= v.freqTable.nCount)
            numbers.insert(nNumber);
    }
    std::vector<CUsedFrequency> used;
    for (int nNumber : numbers) {
        const field::CFreqRecord rec = field::GetFreqRecord(doc, v, nNumber);
        used.push_back({nNumber, FormatFrequency(rec.RxMHz()) + " MHz",
                        FormatFrequency(rec.TxMHz()) + " MHz"});
    }
    return used;
}

bool IsCompletePdf(std::span<const std::uint8_t> bytes) {
    const std::string_view str(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string_view strEnd = str;
    while (!strEnd.empty() && (strEnd.back() == '\n' || strEnd.back() == '\r'))
        strEnd.remove_suffix(1);
    return str.starts_with("%PDF-") && strEnd.ends_with("%%EOF");
}

std::vector<std::size_t> PageStarts(const std::vector<CPrintRow>& rows, std::size_t nPerPage) {
    std::vector<std::size_t> starts;
    if (rows.empty() || nPerPage == 0)
        return starts;
    for (std::size_t nStart = 0; nStart < rows.size();) {
        starts.push_back(nStart);
        std::size_t nEnd = std::min(nStart + nPerPage, rows.size());
        if (nEnd < rows.size()) {
            std::size_t nBreak = nEnd;
            while (nBreak > nStart && rows[nBreak - 1].m_bKeepWithNext)
                --nBreak;
            if (nBreak > nStart) // else the kept rows fill the page: they are split after all
                nEnd = nBreak;
        }
        nStart = nEnd;
    }
    return starts;
}

CPrintRow CPrintReport::TitleRow(std::string strTitle) {
    return {kRowTitle, {"", std::move(strTitle), ""}, {1, 1, 1}, true};
}

CPrintRow CPrintReport::PairRow(std::string strLabel, std::string strValue, int nStyle) {
    return {nStyle, {std::move(strLabel), std::move(strValue), ""}, {2, 1, 1}};
}

CPrintRow CPrintReport::BlankRow() {
    return {kRowNormal, {"", "", "", ""}, {3, 3, 3, 3}};
}

void CPrintReport::AddPairs(std::vector<CPrintRow>& rows, const std::vector<std::string>& list,
                            bool bGrouped, std::size_t nGroup) {
    if (list.size() < 2)
        return;
    for (std::size_t k = 0; k + 1 < list.size(); k += 2) {
        int nStyle = kRowNormal;
        if (bGrouped && nGroup > 0 && k % nGroup == 0) {
            if (k > 0)
                rows.push_back(BlankRow());
            nStyle = kRowGroupHead;
        }
        rows.push_back(PairRow(list[k], list[k + 1], nStyle));
        // A group's pairs stay on one page.
        rows.back().m_bKeepWithNext = bGrouped && nGroup > 0 && (k + 2) % nGroup != 0;
    }
    rows.push_back(BlankRow());
}

void CPrintReport::PreparePrinting(bool bPreview, const CPrintForm& form, const CWR7310App& app,
                                   std::span<const std::uint8_t> doc) {
    m_bPreview = bPreview;
    m_rows.clear();
    m_nMargin = bPreview ? kPreviewMargin : kPrintMargin;
    BuildRows(form, app, doc);
}

void CPrintReport::BuildRows(const CPrintForm& form, const CWR7310App& app,
                             std::span<const std::uint8_t> doc) {
    const CVariant& v = app.m_variant;
    auto section = [this](std::string_view strTitle, const std::vector<std::string>& list,
                          bool bGrouped = false, std::size_t nGroup = 0) {
        m_rows.push_back(TitleRow(std::string(strTitle)));
        m_rows.push_back(TitleRow({}));
        AddPairs(m_rows, list, bGrouped, nGroup);
    };

    // The document's identity, as Radio Information shows it (a tune read updates it there).
    const CRadioInfoTexts info = RadioInfoTexts(v, app.Range(), doc);
    m_strModel = info.strModel;
    m_strRange = info.strRange;
    m_strVersion = info.strVersion;
    section("Radio Info", {"Frequency Range:", info.strRange, "Model:", info.strModel,
                           "Serial:", info.strSerial, "Version", info.strVersion});

    std::vector<std::string> list;
    for (const CPrintForm::CSwitch& sw : form.switches) {
        list.push_back(sw.strCaption);
        list.emplace_back(sw.bChecked ? "Checked" : "Unchecked");
    }
    section("Feature Switch", list);

    list.clear();
    for (const auto& [strLabel, strValue] : form.settings) {
        list.push_back(strLabel);
        list.push_back(strValue);
    }
    section("Feature Setting", list);

    section("Channel Setting",
            {"Available CHs:", form.strAvailable, "Selected CH:", form.strSelected});

    // A count byte beyond the table prints the whole table, never bytes past it.
    const int nCount = std::min<int>(field::GetByte(doc, v.nChannelCount), v.channels.table.nCount);
    list.clear();
    for (int n = 1; n <= nCount; ++n) {
        const field::CChannelRecord rec = field::GetChannel(doc, v, n);
        list.push_back(Format2d("CH %2d", n));
        list.emplace_back();
        list.emplace_back("Freq Num");
        list.push_back(Format2d("%2d", rec.nFreqNumber));
        list.emplace_back("Signal");
        list.push_back(rec.nSignalCode == 0 ? std::string(texts::kSignalOff)
                                            : Format2d("%2d", rec.nSignalCode));
        list.emplace_back("Scan");
        list.emplace_back(rec.bScanAdd ? texts::kScanAdd : texts::kScanDel);
    }
    section("Channel Setting", list, true, kChannelGroupTexts);

    // What each "Freq Num" of the channels means.
    const std::vector<CUsedFrequency> used = UsedFrequencies(doc, v, nCount);
    if (used.empty())
        return;
    m_rows.push_back(TitleRow(std::string(kFreqSectionTitle)));
    m_rows.push_back(TitleRow({}));
    m_rows.push_back(
        {kRowGroupHead,
         {"", std::string(texts::kFreqHeaders[1]), std::string(texts::kFreqHeaders[2])},
         {2, 1, 1},
         true});
    for (const CUsedFrequency& f : used)
        m_rows.push_back(
            {kRowNormal, {Format2d("Freq Num %2d", f.nNumber), f.strRx, f.strTx}, {2, 1, 1}});
    m_rows.push_back(BlankRow());
}

void CPrintReport::BeginPrinting(int nPageWidth, int nPageHeight) {
    m_nPageWidth = nPageWidth;
    m_nPageHeight = nPageHeight;
    const int nUsable = std::max(nPageHeight - 2 * kTop, 0);
    m_nVOffset = (kRowHeight + nUsable % kRowHeight) / 2;
    // A page too small for the header still carries one row, so that every row is printed.
    m_nRowsPerPage = std::max(nUsable / kRowHeight - 5, 1);
    Paginate();
}

void CPrintReport::Paginate() {
    if (m_rows.empty())
        return;
    m_pageStarts = PageStarts(m_rows, static_cast<std::size_t>(m_nRowsPerPage));
    m_nPages = static_cast<int>(m_pageStarts.size());
}

void CPrintReport::EndPrinting() {
    m_rows.clear();
    m_pageStarts.clear();
    m_bPreview = false;
}

std::pair<std::size_t, std::size_t> CPrintReport::PageRows(int nPage) const {
    const auto nIndex = static_cast<std::size_t>(nPage - 1);
    if (nPage < 1 || nIndex >= m_pageStarts.size())
        return {m_rows.size(), m_rows.size()};
    const std::size_t nEnd =
        nIndex + 1 < m_pageStarts.size() ? m_pageStarts[nIndex + 1] : m_rows.size();
    return {m_pageStarts[nIndex], nEnd};
}

int CPrintReport::RowTop(std::size_t nIndexOnPage) const {
    return kHeaderRows * kRowHeight + m_nVOffset + kTop - 2 * m_nMargin +
           static_cast<int>(nIndexOnPage) * kRowHeight;
}

std::vector<CColumnSpan> CPrintReport::Columns(const CPrintRow& row) const {
    const int nUsable = m_nPageWidth - 2 * m_nMargin;
    int nSum = 0;
    for (unsigned w : row.m_nWeights)
        nSum += static_cast<int>(w);
    std::vector<CColumnSpan> spans;
    if (nSum == 0)
        return spans;
    int nLeft = m_nMargin;
    for (std::size_t i = 0; i < row.m_nWeights.size(); ++i) {
        const int nWeight = static_cast<int>(row.m_nWeights[i]);
        if (i > 0)
            nLeft += (nUsable / nSum) * static_cast<int>(row.m_nWeights[i - 1]);
        spans.push_back({nLeft, nLeft + (nWeight * nUsable) / nSum});
    }
    return spans;
}

std::string CPrintReport::PageText(int nPage) const {
    char sz[64];
    std::snprintf(sz, sizeof sz, "Page %d of %d", nPage, m_nPages);
    return sz;
}
