#include "print/PrintReport.h"

#include "app/LocalTime.h"
#include "app/WR7310App.h"
#include "image/ImageFields.h"
#include "image/RadioInfo.h"
#include "image/SettingTexts.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t kChannelGroupTexts = 8; // four pairs per channel

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

CPrintRow CPrintReport::TitleRow(std::string strTitle) {
    return {kRowTitle, {"", std::move(strTitle), ""}, {1, 1, 1}};
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

    // The identity texts are never edited on the form: the image buffer holds them.
    const CRadioInfoTexts info = RadioInfoTexts(app, app.Image());
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
    const std::size_t nPerPage = static_cast<std::size_t>(m_nRowsPerPage);
    m_nPages = static_cast<int>(m_rows.size() / nPerPage + (m_rows.size() % nPerPage ? 1 : 0));
}

void CPrintReport::EndPrinting() {
    m_rows.clear();
    m_bPreview = false;
}

std::pair<std::size_t, std::size_t> CPrintReport::PageRows(int nPage) const {
    if (nPage < 1)
        return {0, 0};
    const std::size_t nPerPage = static_cast<std::size_t>(m_nRowsPerPage);
    const std::size_t nFirst =
        std::min((static_cast<std::size_t>(nPage) - 1) * nPerPage, m_rows.size());
    const std::size_t nEnd = std::min(nFirst + nPerPage, m_rows.size());
    return {nFirst, nEnd};
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
