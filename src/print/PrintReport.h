// SPDX-License-Identifier: GPL-3.0-or-later
// The settings printout without its painter: the rows of the report in six sections, the page
// metrics and the pagination, the places of the columns and the texts of the radio block and
// the footer. Lengths are in 0.1 mm; y grows upward from the top of the printable area, so a
// row whose top is at distance y below that edge lies between -y and -y - row height.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CWR7310App;
struct CVariant;

// Row styles: they select the font of the row.
inline constexpr int kRowTitle = 1;
inline constexpr int kRowNormal = 2;
inline constexpr int kRowGroupHead = 4;

// One printed row: a text and a relative width per column.
struct CPrintRow {
    int m_nStyle = kRowNormal;
    std::vector<std::string> m_strTexts;
    std::vector<unsigned> m_nWeights;
    // The row is printed on the same page as the next one (a title and what it heads, the
    // lines of one channel).
    bool m_bKeepWithNext = false;

    int ColumnCount() const { return static_cast<int>(m_strTexts.size()); }
    bool operator==(const CPrintRow&) const = default;
};

// What the printout reads from the form: the texts as its controls show them.
struct CPrintForm {
    struct CSwitch {
        std::string strCaption; // the check box's caption, trailing blanks included
        bool bChecked = false;
    };
    std::vector<CSwitch> switches;                             // in print order
    std::vector<std::pair<std::string, std::string>> settings; // list label, its current text
    std::string strAvailable;                                  // "Available CHs:" list text
    std::string strSelected;                                   // "Selected CH:" list text
};

// A font of the report: cell height in 0.1 mm and weight (400 normal, 900 heavy).
struct CReportFont {
    int nHeight;
    int nWeight;
};
// F1: header title and footer; F2: radio block; F3: normal rows; F4: section titles; F5: the
// first row of a group.
inline constexpr CReportFont kReportFonts[5] = {
    {30, 400}, {30, 900}, {35, 400}, {50, 900}, {40, 900}};
// Index into kReportFonts for a row style.
int RowFontIndex(int nStyle);

// Left and right edge of one column.
struct CColumnSpan {
    int nLeft = 0;
    int nRight = 0;
    bool operator==(const CColumnSpan&) const = default;
};

// The report's footer time: "%m/%d/%Y %H:%M:%S" of the local time.
std::string FormatPrintTime(std::time_t t);

// A frequency entry that a used channel refers to, as the printouts list it.
struct CUsedFrequency {
    int nNumber = 0;   // the entry's number, from 1
    std::string strRx; // "462.56250 MHz"
    std::string strTx;
    bool operator==(const CUsedFrequency&) const = default;
};
// The entries channels 1..nChannels of the document refer to, each once, by number. A number
// outside the frequency table refers to nothing and is left out.
std::vector<CUsedFrequency> UsedFrequencies(std::span<const std::uint8_t> doc, const CVariant& v,
                                            int nChannels);

// Whether bytes are a whole PDF file: its header first and its end-of-file marker last (only
// line ends after it). A file cut short by a full disk fails.
bool IsCompletePdf(std::span<const std::uint8_t> bytes);

// Where each page begins (row indexes, the first 0) when nPerPage rows fit on a page: as many
// rows as fit, but a page never ends between a row kept with the next one and that next row,
// unless the kept rows fill the whole page.
std::vector<std::size_t> PageStarts(const std::vector<CPrintRow>& rows, std::size_t nPerPage);

class CPrintReport {
public:
    static constexpr int kPreviewMargin = 30;
    static constexpr int kPrintMargin = 50;
    static constexpr int kTop = 150;
    static constexpr int kRowHeight = 50;
    static constexpr int kHeaderRows = 4;

    // Starts a job: the margin for a preview or a printed page, and the rows from the form, the
    // document's working copy (identity texts, channel records and count, frequency table) and
    // the application's working range.
    void PreparePrinting(bool bPreview, const CPrintForm& form, const CWR7310App& app,
                         std::span<const std::uint8_t> doc);
    // The printable area of the page in 0.1 mm: the centring offset of the row band, the rows
    // per page and the page count.
    void BeginPrinting(int nPageWidth, int nPageHeight);
    // The pages from the rows and the rows per page, channels kept whole (0 rows: the count
    // stays).
    void Paginate();
    // Forgets the rows; the report is ready for the next job.
    void EndPrinting();

    // The six sections: "Radio Info", "Feature Switch", "Feature Setting", "Channel Setting"
    // (the channel lists), "Channel Setting" again (the channel records) and, when a channel
    // is used, "Frequency Setting" (the receive and transmit frequency of each entry the used
    // channels refer to).
    void BuildRows(const CPrintForm& form, const CWR7310App& app,
                   std::span<const std::uint8_t> doc);
    // label1, value1, label2, value2, ... as pair rows, ending with a blank row. Grouped, every
    // nGroup texts start a group: a blank row before it (but the first) and its first pair
    // in the group style. Fewer than two texts add nothing.
    static void AddPairs(std::vector<CPrintRow>& rows, const std::vector<std::string>& list,
                         bool bGrouped = false, std::size_t nGroup = 0);
    static CPrintRow TitleRow(std::string strTitle);
    static CPrintRow PairRow(std::string strLabel, std::string strValue, int nStyle);
    static CPrintRow BlankRow();

    // Rows [first, end) of page p (from 1).
    std::pair<std::size_t, std::size_t> PageRows(int nPage) const;
    // Distance of the top of the page's row i (from 0) below the printable area's top edge.
    int RowTop(std::size_t nIndexOnPage) const;
    // Where the columns of a row lie across the printable width.
    std::vector<CColumnSpan> Columns(const CPrintRow& row) const;
    // "Page %d of %d".
    std::string PageText(int nPage) const;

    const std::vector<CPrintRow>& Rows() const { return m_rows; }
    bool IsPreview() const { return m_bPreview; }
    int Margin() const { return m_nMargin; }
    int VOffset() const { return m_nVOffset; }
    int RowsPerPage() const { return m_nRowsPerPage; }
    int Pages() const { return m_nPages; }
    int PageWidth() const { return m_nPageWidth; }
    int PageHeight() const { return m_nPageHeight; }
    // Radio block texts, taken when the job was prepared.
    const std::string& ModelText() const { return m_strModel; }
    const std::string& RangeText() const { return m_strRange; }
    const std::string& VersionText() const { return m_strVersion; }

private:
    bool m_bPreview = false;
    std::vector<CPrintRow> m_rows;
    int m_nMargin = kPreviewMargin;
    int m_nVOffset = 0;
    int m_nRowsPerPage = 1;
    int m_nPages = 1;
    std::vector<std::size_t> m_pageStarts;
    int m_nPageWidth = 0;
    int m_nPageHeight = 0;
    std::string m_strModel;
    std::string m_strRange;
    std::string m_strVersion;
};
