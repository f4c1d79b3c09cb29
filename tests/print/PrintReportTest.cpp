// The settings printout's rows, pages and places, without a printer.
#include "print/PrintReport.h"
#include "SwitchCaptions.h"
#include "TempDir.h"
#include "app/WR7310App.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What a row is, in the words of the layout: title, pair (label/value), group head, blank.
std::string Kind(const CPrintRow& row) {
    if (row.m_nStyle == 1 && row.m_nWeights == std::vector<unsigned>{1, 1, 1})
        return "T";
    if (row.m_nWeights == std::vector<unsigned>{3, 3, 3, 3} && row.m_nStyle == 2)
        return "B";
    if (row.m_nWeights == std::vector<unsigned>{2, 1, 1})
        return row.m_nStyle == 4 ? "H" : (row.m_nStyle == 2 ? "P" : "?");
    return "?";
}

std::string Kinds(const std::vector<CPrintRow>& rows, std::size_t nFirst = 0) {
    std::string s;
    for (std::size_t i = nFirst; i < rows.size(); ++i)
        s += Kind(rows[i]);
    return s;
}

void Put(std::span<std::uint8_t> image, std::size_t nAddr, const std::string& str) {
    std::copy(str.begin(), str.end(), image.begin() + static_cast<long>(nAddr));
}

// The form as the newer program shows it, every switch named, the lists with a value each.
CPrintForm SampleForm() {
    CPrintForm form;
    bool bOn = true;
    for (const char* psz : kSwitchCaptions) {
        form.switches.push_back({psz, bOn});
        bOn = !bOn;
    }
    form.settings = {{"VOX:", "3"},
                     {"Button Beep:", "ON"},
                     {"Call Tone:", "OFF"},
                     {"Comm Range Alarm:", "OFF"},
                     {"TX Power Set:", "High"},
                     {"TOT:", "5 Minute"},
                     {"Revert Channel:", "Last Stop CH"},
                     {"Squelch Level:", "4"}};
    form.strAvailable = "3";
    form.strSelected = "2";
    return form;
}

// An application and a document-shaped copy of the newer radio's image.
struct CReportFixture {
    CReportFixture() : app(XtraVariant(), dir.File("none.ini")), doc(0x800, 0) {
        app.m_dMinFreq = 400.0;
        app.m_dMaxFreq = 469.99375;
        const auto image = app.Image();
        std::fill(image.begin(), image.end(), std::uint8_t{0});
        Put(image, 0x328, "MT-7310");
        Put(image, 0x338, "SN-4711");
        Put(image, 0x668, "1.02.05-beta");
    }
    void SetChannels(int nCount) { doc[0x318] = static_cast<std::uint8_t>(nCount); }
    void SetChannel(int n, int nFreq, int nSignal, int nScanByte) {
        const std::size_t a = 8 * static_cast<std::size_t>(n - 1);
        doc[a + 1] = static_cast<std::uint8_t>(nFreq);
        doc[a + 4] = static_cast<std::uint8_t>(nSignal);
        doc[a + 6] = static_cast<std::uint8_t>(nScanByte);
    }
    CPrintReport Build(bool bPreview = false) {
        CPrintReport report;
        report.PreparePrinting(bPreview, SampleForm(), app, doc);
        return report;
    }

    CTempDir dir;
    CWR7310App app;
    std::vector<std::uint8_t> doc;
};

TEST(PrintRows, OneChannelGivesFortySevenRowsInFiveSections) {
    CReportFixture f;
    f.SetChannels(1);
    const CPrintReport report = f.Build();
    EXPECT_EQ(report.Rows().size(), 47u);
    EXPECT_EQ(Kinds(report.Rows()), "TTPPPPB"           // Radio Info
                                    "TTPPPPPPPPPPPPPPB" // Feature Switch
                                    "TTPPPPPPPPB"       // Feature Setting
                                    "TTPPB"             // Channel Setting (lists)
                                    "TTHPPPB");         // Channel Setting (records)
    std::vector<std::string> seen;
    for (const CPrintRow& row : report.Rows())
        if (Kind(row) == "T")
            seen.push_back(row.m_strTexts[1]);
    EXPECT_EQ(seen,
              (std::vector<std::string>{"Radio Info", "", "Feature Switch", "", "Feature Setting",
                                        "", "Channel Setting", "", "Channel Setting", ""}));
    // Titles stand in the middle column, the outer ones empty.
    EXPECT_EQ(report.Rows()[0].m_strTexts, (std::vector<std::string>{"", "Radio Info", ""}));
}

TEST(PrintRows, ChannelCountZeroLeavesOnlyTheTitlesOfTheLastSection) {
    CReportFixture f;
    f.SetChannels(0);
    const CPrintReport report = f.Build();
    ASSERT_EQ(report.Rows().size(), 42u);
    EXPECT_EQ(Kinds(report.Rows(), 40), "TT");
    EXPECT_EQ(report.Rows()[40].m_strTexts[1], "Channel Setting");
}

TEST(PrintRows, ChannelsAreGroupedWithABlankRowBetweenThem) {
    CReportFixture f;
    f.SetChannels(3);
    const CPrintReport report = f.Build();
    EXPECT_EQ(Kinds(report.Rows(), 40), "TTHPPPBHPPPBHPPPB");
}

TEST(PrintRows, CountBeyondTheTablePrintsTheWholeTableOnly) {
    CReportFixture f;
    f.SetChannels(0xFF);
    const CPrintReport report = f.Build();
    // 40 rows before the records, then 99 groups of 4 pairs and a blank row each.
    EXPECT_EQ(report.Rows().size(), 40u + 2u + 99u * 5u);
    EXPECT_EQ(report.Rows()[report.Rows().size() - 5].m_strTexts[0], "CH 99");
}

TEST(PrintRows, EveryValueComesFromTheFormOrTheImage) {
    CReportFixture f;
    f.SetChannels(3);
    f.SetChannel(1, 5, 0, 0x01);
    f.SetChannel(2, 12, 7, 0xFE); // even: not in the scan list
    f.SetChannel(3, 99, 15, 0x03);
    const CPrintReport report = f.Build();
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const CPrintRow& row : report.Rows())
        if (Kind(row) == "P" || Kind(row) == "H")
            pairs.emplace_back(row.m_strTexts[0], row.m_strTexts[1]);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Frequency Range:", "400.00000 - 469.99375 MHz"},
        {"Model:", "MT-7310"},
        {"Serial:", "SN-4711"},
        {"Version", "1.02.05"},
        {"Menu Enable ", "Checked"},
        {"VOX ", "Unchecked"},
        {"Button Beep ", "Checked"},
        {"Call Tone ", "Unchecked"},
        {"Manual TX Power Set", "Checked"},
        {"Comm Range Alarm ", "Unchecked"},
        {"Channel Set", "Checked"},
        {"Frequency Set ", "Unchecked"},
        {"Signaling Set ", "Checked"},
        {"Channel Number", "Unchecked"},
        {"Default Set Mode ", "Checked"},
        {"Battery Save ", "Unchecked"},
        {"Tail Cut Signal Transmit ", "Checked"},
        {"Keypad Lock ", "Unchecked"},
        {"VOX:", "3"},
        {"Button Beep:", "ON"},
        {"Call Tone:", "OFF"},
        {"Comm Range Alarm:", "OFF"},
        {"TX Power Set:", "High"},
        {"TOT:", "5 Minute"},
        {"Revert Channel:", "Last Stop CH"},
        {"Squelch Level:", "4"},
        {"Available CHs:", "3"},
        {"Selected CH:", "2"},
        {"CH  1", ""},
        {"Freq Num", " 5"},
        {"Signal", "OFF"},
        {"Scan", "Add"},
        {"CH  2", ""},
        {"Freq Num", "12"},
        {"Signal", " 7"},
        {"Scan", "Del"},
        {"CH  3", ""},
        {"Freq Num", "99"},
        {"Signal", "15"},
        {"Scan", "Add"},
    };
    EXPECT_EQ(pairs, expected);
    EXPECT_EQ(report.ModelText(), "MT-7310");
    EXPECT_EQ(report.RangeText(), "400.00000 - 469.99375 MHz");
    EXPECT_EQ(report.VersionText(), "1.02.05");
}

TEST(PrintRows, IdentityTextsStopAtTheirFields) {
    CReportFixture f;
    Put(f.app.Image(), 0x328, "ABCDEFGHIJKLMNOPQRST"); // runs on into the serial field
    const CPrintReport report = f.Build();
    EXPECT_EQ(report.ModelText(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(report.Rows()[3].m_strTexts[1], "ABCDEFGHIJKLMNOP");
}

struct CPairsCase {
    const char* pszName;
    std::vector<std::string> list;
    bool bGrouped;
    std::size_t nGroup;
    std::string strKinds;
};

TEST(PrintRows, AddPairsTable) {
    const std::vector<std::string> k16(16, "x");
    const CPairsCase kCases[] = {
        {"empty", {}, false, 0, ""},
        {"one text", {"a"}, false, 0, ""},
        {"one pair", {"a", "b"}, false, 0, "PB"},
        {"two pairs", {"a", "b", "c", "d"}, false, 0, "PPB"},
        {"unpaired last text is dropped", {"a", "b", "c"}, false, 0, "PB"},
        {"grouped, one group", {"a", "b", "c", "d"}, true, 8, "HPB"},
        {"grouped, two groups", k16, true, 8, "HPPPBHPPPB"},
        {"grouped by pairs", {"a", "b", "c", "d"}, true, 2, "HBHB"},
    };
    for (const CPairsCase& c : kCases) {
        std::vector<CPrintRow> rows;
        CPrintReport::AddPairs(rows, c.list, c.bGrouped, c.nGroup);
        EXPECT_EQ(Kinds(rows), c.strKinds) << c.pszName;
    }
    std::vector<CPrintRow> rows;
    CPrintReport::AddPairs(rows, {"label", "value"});
    EXPECT_EQ(rows[0].m_strTexts, (std::vector<std::string>{"label", "value", ""}));
    EXPECT_EQ(rows[1].m_strTexts, (std::vector<std::string>{"", "", "", ""}));
}

struct CPageCase {
    int nHeight;
    int nVOffset;
    int nRowsPerPage;
    int nChannels;
    int nPages;
};

TEST(PrintPages, RowsPerPageAndPagesTable) {
    const CPageCase kCases[] = {
        {2850, 25, 46, 1, 2},   // 47 rows
        {2850, 25, 46, 0, 1},   // 42 rows
        {2970, 35, 48, 1, 1},   // 47 rows
        {2794, 47, 44, 3, 2},   // 57 rows
        {2794, 47, 44, 99, 13}, // 42 + 99 * 5 = 537 rows
        {320, 35, 1, 0, 42},    // no room for the header: one row a page, nothing lost
    };
    for (const CPageCase& c : kCases) {
        CReportFixture f;
        f.SetChannels(c.nChannels);
        CPrintReport report = f.Build();
        report.BeginPrinting(2000, c.nHeight);
        EXPECT_EQ(report.VOffset(), c.nVOffset) << c.nHeight;
        EXPECT_EQ(report.RowsPerPage(), c.nRowsPerPage) << c.nHeight;
        EXPECT_EQ(report.Pages(), c.nPages) << c.nHeight << " " << c.nChannels;
        // Every row is on exactly one page, in order.
        std::size_t nNext = 0;
        for (int p = 1; p <= report.Pages(); ++p) {
            const auto [nFirst, nEnd] = report.PageRows(p);
            EXPECT_EQ(nFirst, nNext);
            EXPECT_GT(nEnd, nFirst);
            nNext = nEnd;
        }
        EXPECT_EQ(nNext, report.Rows().size());
    }
}

TEST(PrintPages, FooterNamesThePageAndTheCount) {
    CReportFixture f;
    f.SetChannels(1);
    CPrintReport report = f.Build();
    report.BeginPrinting(2000, 2850);
    EXPECT_EQ(report.PageText(1), "Page 1 of 2");
    EXPECT_EQ(report.PageText(2), "Page 2 of 2");
    EXPECT_EQ(report.PageRows(2), (std::pair<std::size_t, std::size_t>{46, 47}));
    report.EndPrinting();
    EXPECT_TRUE(report.Rows().empty());
}

TEST(PrintPages, PreviewAndPrintUseTheirMarginsAndRowPlaces) {
    CReportFixture f;
    f.SetChannels(1);
    CPrintReport print = f.Build(false);
    print.BeginPrinting(2100, 2850);
    EXPECT_EQ(print.Margin(), 50);
    EXPECT_EQ(print.RowTop(0), 275); // 4 rows of 50, V 25, top 150, less two margins
    EXPECT_EQ(print.RowTop(1), 325);
    CPrintReport preview = f.Build(true);
    preview.BeginPrinting(2100, 2850);
    EXPECT_TRUE(preview.IsPreview());
    EXPECT_EQ(preview.Margin(), 30);
    EXPECT_EQ(preview.RowTop(0), 315);
}

struct CColumnCase {
    CPrintRow row;
    std::vector<CColumnSpan> spans;
};

TEST(PrintPages, ColumnsTable) {
    CReportFixture f;
    CPrintReport report = f.Build(false); // margin 50
    report.BeginPrinting(2100, 2850);     // 2000 across
    const CColumnCase kCases[] = {
        {CPrintReport::PairRow("a", "b", 2), {{50, 1050}, {1050, 1550}, {1550, 2050}}},
        {CPrintReport::TitleRow("t"), {{50, 716}, {716, 1382}, {1382, 2048}}},
        {CPrintReport::BlankRow(), {{50, 550}, {548, 1048}, {1046, 1546}, {1544, 2044}}},
    };
    for (const CColumnCase& c : kCases)
        EXPECT_EQ(report.Columns(c.row), c.spans) << c.row.m_nStyle;
}

TEST(PrintPages, FontsByRowStyle) {
    EXPECT_EQ(kReportFonts[RowFontIndex(1)].nHeight, 50);
    EXPECT_EQ(kReportFonts[RowFontIndex(1)].nWeight, 900);
    EXPECT_EQ(kReportFonts[RowFontIndex(4)].nHeight, 40);
    EXPECT_EQ(kReportFonts[RowFontIndex(2)].nHeight, 35);
    EXPECT_EQ(kReportFonts[RowFontIndex(2)].nWeight, 400);
    EXPECT_EQ(kReportFonts[RowFontIndex(3)].nHeight, 35);
}

TEST(PrintPages, FooterTimeIsMonthDayYearAndSeconds) {
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 2;
    tm.tm_mday = 4;
    tm.tm_hour = 5;
    tm.tm_min = 6;
    tm.tm_sec = 7;
    tm.tm_isdst = -1;
    EXPECT_EQ(FormatPrintTime(std::mktime(&tm)), "03/04/2026 05:06:07");
}

} // namespace
