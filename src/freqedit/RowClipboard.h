// SPDX-License-Identifier: GPL-3.0-or-later
// Whole rows of the program's grids as tab-separated text, as spreadsheets copy and paste
// them: a header line with the grid's column titles, then one line per row with the texts the
// grid shows, its row label first. Without widgets, so it is tested without a display.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace clip {

using CRow = std::vector<std::string>;

// headers: every column's title, the row labels' column first. rows: each row's cells in the
// same order. Lines end in "\n".
std::string FormatRows(std::span<const std::string_view> headers, std::span<const CRow> rows);

struct CParsedRows {
    // The value cells of each row (the row label left out), in the grid's column order.
    std::vector<CRow> rows;
    // Why the text cannot be pasted; empty when it can.
    std::string strError;
};

// Reads text copied from this program or a spreadsheet. A first line that holds the column
// titles (with or without the label column's) is left out; each other line holds the value
// columns, optionally after a row label; "\r\n" and "\n" both end a line and cells lose their
// surrounding blanks and quotes. Blank lines at the end are ignored.
CParsedRows ParseRows(std::string_view strText, std::span<const std::string_view> headers);

} // namespace clip
