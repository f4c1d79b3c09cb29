// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqedit/RowClipboard.h"

#include <algorithm>
#include <cctype>

namespace clip {

namespace {

std::string Trim(std::string_view s) {
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return std::string(s);
}

CRow SplitCells(std::string_view strLine) {
    CRow cells;
    std::size_t nStart = 0;
    for (;;) {
        const std::size_t nTab = strLine.find('\t', nStart);
        cells.push_back(Trim(strLine.substr(nStart, nTab - nStart)));
        if (nTab == std::string_view::npos)
            return cells;
        nStart = nTab + 1;
    }
}

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool IsHeaderLine(const CRow& cells, std::span<const std::string_view> headers) {
    const std::size_t nSkip = cells.size() == headers.size() ? 0 : 1;
    if (cells.size() + nSkip != headers.size())
        return false;
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (!SameText(cells[i], headers[i + nSkip]))
            return false;
    return true;
}

} // namespace

std::string FormatRows(std::span<const std::string_view> headers, std::span<const CRow> rows) {
    std::string strText;
    auto line = [&strText](auto const& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0)
                strText += '\t';
            strText += cells[i];
        }
        strText += '\n';
    };
    line(headers);
    for (const CRow& row : rows)
        line(row);
    return strText;
}

CParsedRows ParseRows(std::string_view strText, std::span<const std::string_view> headers) {
    CParsedRows result;
    std::vector<std::string_view> lines;
    for (std::size_t nStart = 0; nStart < strText.size();) {
        std::size_t nEnd = strText.find('\n', nStart);
        if (nEnd == std::string_view::npos)
            nEnd = strText.size();
        std::string_view strLine = strText.substr(nStart, nEnd - nStart);
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.remove_suffix(1);
        lines.push_back(strLine);
        nStart = nEnd + 1;
    }
    while (!lines.empty() && Trim(lines.back()).empty())
        lines.pop_back();
    const std::size_t nValues = headers.size() - 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        CRow cells = SplitCells(lines[i]);
        if (i == 0 && IsHeaderLine(cells, headers))
            continue;
        if (cells.size() == nValues + 1)
            cells.erase(cells.begin()); // the row label
        if (cells.size() != nValues) {
            result.rows.clear();
            result.strError = "Line " + std::to_string(i + 1) + " has " +
                              std::to_string(cells.size()) + " cells; a row has " +
                              std::to_string(nValues) + " values";
            return result;
        }
        result.rows.push_back(std::move(cells));
    }
    if (result.rows.empty())
        result.strError = "The clipboard holds no rows to paste";
    return result;
}

} // namespace clip
