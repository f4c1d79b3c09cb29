// SPDX-License-Identifier: GPL-3.0-or-later
// The settings printout's rows, pages and places, without a printer.
#include "print/PrintReport.h"
#include "SwitchCaptions.h"
#include "TempDir.h"
#include "app/WR7310App.h"
#include "image/ImageFields.h"
#include "image/RadioInfo.h"

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

// An application and a document-shaped copy of the newer radio's image. The identity texts
// are the document's; the image buffer holds older ones, which the printout must not show.
struct CReportFixture {
    CReportFixture() : app(XtraVariant(), dir.File("none.ini")), doc(0x800, 0) {
        app.m_dMinFreq = 400.0;
        app.m_dMaxFreq = 469.99375;
        const auto image = app.Image();
        std::fill(image.begin(), image.end(), std::uint8_t{0});
        Put(image, 0x328, "OLD-MODEL");
        Put(image, 0x338, "OLD-SERIAL");
        Put(image, 0x668, "0.99");
        Put(doc, 0x328, "MT-7310");
        Put(doc, 0x338, "SN-4711");
        Put(doc, 0x668, "1.02.05-beta");
    }
    void SetChannels(int nCount) { doc[0x318] = static_cast<std::uint8_t>(nCount); }
    void SetChannel(int n, int nFreq, int nSignal, int nScanByte) {
        const std::size_t a = 8 * static_cast<std::size_t>(n - 1);
        doc[a + 1] = static_cast<std::uint8_t>(nFreq);
        doc[a + 4] = static_cast<std::uint8_t>(nSignal);
        doc[a + 6] = static_cast<std::uint8_t>(nScanByte);
    }
    // Frequency entry n of the document: receive and transmit as counts of 12.5 kHz.
    void SetFrequency(int n, std::uint32_t nRx, std::uint32_t nTx) {
        field::SetFreqRecord(doc, app.m_variant, n, {nRx, nTx, 2, 2, false});
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

TEST(PrintRows, EveryValueComesFromTheFormOrTheDocument) {
    CReportFixture f;
    f.SetChannels(3);
    f.SetChannel(1, 5, 0, 0x01);
    f.SetChannel(2, 12, 7, 0xFE); // even: not in the scan list
    f.SetChannel(3, 99, 15, 0x03);
    f.SetFrequency(5, 37005, 37417);  // 462.5625 and 467.7125 MHz
    f.SetFrequency(12, 36801, 36801); // 460.0125 MHz both ways
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
        {"", "Rx Freq"},
        {"Freq Num  5", "462.56250 MHz"},
        {"Freq Num 12", "460.01250 MHz"},
        {"Freq Num 99", "0.00000 MHz"},
    };
    EXPECT_EQ(pairs, expected);
    // The frequency rows carry the transmit frequency in their third column.
    const std::vector<CPrintRow>& rows = report.Rows();
    ASSERT_GE(rows.size(), 5u);
    EXPECT_EQ(rows[rows.size() - 5].m_strTexts[1], "Rx Freq");
    EXPECT_EQ(rows[rows.size() - 5].m_strTexts[2], "Tx Freq");
    EXPECT_EQ(rows[rows.size() - 4].m_strTexts[2], "467.71250 MHz");
    EXPECT_EQ(rows[rows.size() - 3].m_strTexts[2], "460.01250 MHz");
    EXPECT_EQ(report.ModelText(), "MT-7310");
    EXPECT_EQ(report.RangeText(), "400.00000 - 469.99375 MHz");
    EXPECT_EQ(report.VersionText(), "1.02.05");
}

TEST(PrintRows, IdentityTextsStopAtTheirFields) {
    CReportFixture f;
    Put(f.doc, 0x328, "ABCDEFGHIJKLMNOPQRST"); // runs on into the serial field
    const CPrintReport report = f.Build();
    EXPECT_EQ(report.ModelText(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(report.Rows()[3].m_strTexts[1], "ABCDEFGHIJKLMNOP");
}

TEST(PrintRows, IdentityIsTheDocumentsAsRadioInformationShowsIt) {
    CReportFixture f;
    Put(f.doc, 0x328, "ABCDEFGHIJKLMNOP"); // as a tune read leaves it, the image not yet
    const CPrintReport report = f.Build();
    const CRadioInfoTexts info = RadioInfoTexts(f.app.m_variant, f.app.Range(), f.doc);
    EXPECT_EQ(report.ModelText(), info.strModel);
    EXPECT_EQ(report.ModelText(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(report.VersionText(), info.strVersion);
    EXPECT_EQ(report.RangeText(), info.strRange);
    const std::vector<std::string> shown = {report.Rows()[3].m_strTexts[1],
                                            report.Rows()[4].m_strTexts[1],
                                            report.Rows()[5].m_strTexts[1]};
    EXPECT_EQ(shown, (std::vector<std::string>{info.strModel, info.strSerial, info.strVersion}));
}

TEST(PrintRows, EverySignallingCodePrintsAsItself) {
    // Only code 0 means no signalling; every other code is printed as its number.
    const std::pair<int, const char*> cases[] = {{0, "OFF"}, {1, " 1"},  {2, " 2"},   {9, " 9"},
                                                 {10, "10"}, {15, "15"}, {255, "255"}};
    for (const auto& [nCode, pszShown] : cases) {
        CReportFixture f;
        f.SetChannels(1);
        f.SetChannel(1, 7, nCode, 1);
        const CPrintReport report = f.Build();
        const auto it =
            std::find_if(report.Rows().begin(), report.Rows().end(),
                         [](const CPrintRow& r) { return r.m_strTexts[0] == "Signal"; });
        ASSERT_NE(it, report.Rows().end());
        EXPECT_EQ(it->m_strTexts[1], pszShown) << nCode;
    }
}

TEST(PrintRows, FrequencySectionListsEachEntryTheUsedChannelsReferTo) {
    struct {
        const char* pszCase;
        const CVariant& v;
        int nChannels;
        std::vector<int> freqNumbers; // of channels 1, 2, ...
        std::vector<int> listed;
    } const cases[] = {
        {"in number order, each once", XtraVariant(), 4, {24, 5, 24, 99}, {5, 24, 99}},
        {"unused channels do not count", XtraVariant(), 2, {24, 5, 30, 31}, {5, 24}},
        {"numbers outside the table refer to nothing", XtraVariant(), 3, {0, 100, 7}, {7}},
        {"no channel", XtraVariant(), 0, {1, 2}, {}},
        {"older model: 56 entries",
         OldVariant(),
         8,
         {56, 57, 1, 1, 2, 3, 4, 5},
         {1, 2, 3, 4, 5, 56}},
        {"older model: a count past 8",
         OldVariant(),
         200,
         {9, 8, 7, 6, 5, 4, 3, 2},
         {2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> doc(c.v.nImageSize, 0);
        for (std::size_t i = 0; i < c.freqNumbers.size(); ++i)
            field::SetChannel(doc, c.v, static_cast<int>(i + 1),
                              {static_cast<std::uint8_t>(c.freqNumbers[i]), 0, true});
        for (int n = 1; n <= c.v.freqTable.nCount; ++n)
            field::SetFreqRecord(doc, c.v, n,
                                 {static_cast<std::uint32_t>(36800 + n),
                                  static_cast<std::uint32_t>(37200 + n), 2, 2, false});
        const std::vector<CUsedFrequency> used = UsedFrequencies(doc, c.v, c.nChannels);
        std::vector<int> numbers;
        for (const CUsedFrequency& u : used)
            numbers.push_back(u.nNumber);
        EXPECT_EQ(numbers, c.listed) << c.pszCase;
        if (!used.empty()) {
            char szRx[32], szTx[32];
            std::snprintf(szRx, sizeof szRx, "%.5f MHz", (36800 + used[0].nNumber) * 0.0125);
            std::snprintf(szTx, sizeof szTx, "%.5f MHz", (37200 + used[0].nNumber) * 0.0125);
            EXPECT_EQ(used[0].strRx, szRx) << c.pszCase;
            EXPECT_EQ(used[0].strTx, szTx) << c.pszCase;
        }
    }
}

TEST(PrintRows, NoFrequencySectionWithoutAnEntryToList) {
    CReportFixture f;
    f.SetChannels(2); // both channels refer to entry 0, which is none
    const CPrintReport report = f.Build();
    EXPECT_EQ(Kinds(report.Rows(), 40), "TTHPPPBHPPPB");
    f.SetChannel(2, 3, 0, 1);
    EXPECT_EQ(Kinds(f.Build().Rows(), 40), "TTHPPPBHPPPBTTHPB");
    EXPECT_EQ(f.Build().Rows()[52].m_strTexts[1], "Frequency Setting");
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

TEST(PrintPages, RowsKeptWithTheNextOneStayOnItsPage) {
    struct {
        const char* pszKeep; // per row: 'k' kept with the next row, '.' not
        std::size_t nPerPage;
        std::vector<std::size_t> starts;
    } const cases[] = {
        {".....", 2, {0, 2, 4}},
        {".....", 5, {0}},
        {".....", 9, {0}},
        {"k.k.k.", 3, {0, 2, 4}}, // a page never ends after a kept row
        {"..k..", 3, {0, 2}},     // the kept rows move to the next page
        {"..kkk.", 3, {0, 2, 5}}, // four kept together do not fit three to a page
        {"kkkk..", 3, {0, 3}},    // kept rows that fill a page are split after all
        {".kk.", 2, {0, 1, 3}},
        {"kkk", 2, {0, 2}}, // the last row keeps with nothing
        {"", 3, {}},
        {"...", 0, {}},
    };
    for (const auto& c : cases) {
        std::vector<CPrintRow> rows;
        for (const char* p = c.pszKeep; *p; ++p) {
            rows.push_back(CPrintReport::BlankRow());
            rows.back().m_bKeepWithNext = *p == 'k';
        }
        EXPECT_EQ(PageStarts(rows, c.nPerPage), c.starts) << c.pszKeep << " " << c.nPerPage;
    }
}

TEST(PrintPages, NoPageBeginsInsideAChannelOrUnderATitle) {
    CReportFixture f;
    f.SetChannels(99);
    for (int n = 1; n <= 99; ++n) {
        f.SetChannel(n, n, n % 16, 1);
        f.SetFrequency(n, static_cast<std::uint32_t>(36800 + n),
                       static_cast<std::uint32_t>(36800 + n));
    }
    for (int nHeight = 1200; nHeight <= 3000; nHeight += 50) {
        CPrintReport report = f.Build();
        report.BeginPrinting(2000, nHeight);
        std::size_t nNext = 0;
        for (int p = 1; p <= report.Pages(); ++p) {
            const auto [nFirst, nEnd] = report.PageRows(p);
            ASSERT_EQ(nFirst, nNext) << nHeight;
            ASSERT_GT(nEnd, nFirst) << nHeight;
            EXPECT_LE(nEnd - nFirst, static_cast<std::size_t>(report.RowsPerPage()));
            nNext = nEnd;
            const std::vector<CPrintRow>& rows = report.Rows();
            if (p == 1)
                continue;
            // A page goes on with a blank row, a section title or a channel's heading, never
            // with a channel's other lines or what a title heads.
            const std::string strFirst = rows[nFirst].m_strTexts[0];
            EXPECT_TRUE(strFirst != "Freq Num" && strFirst != "Signal" && strFirst != "Scan")
                << nHeight << " page " << p << ": " << strFirst;
            EXPECT_FALSE(rows[nFirst - 1].m_bKeepWithNext) << nHeight << " page " << p;
        }
        EXPECT_EQ(nNext, report.Rows().size()) << nHeight;
    }
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

TEST(PrintPdfCheck, OnlyAWholeFileCounts) {
    const std::pair<std::string, bool> cases[] = {
        {"%PDF-1.4\n1 0 obj\n<<>>\nendobj\n%%EOF\n", true},
        {"%PDF-1.4\n%%EOF", true},
        {"%PDF-1.4\n%%EOF\r\n\n", true},
        {"%PDF-1.4\n1 0 obj\n<</Length 400>>\nstream\nxxxx", false}, // cut short by a full disk
        {"%PDF-1.4\n%%EOF\nmore", false},
        {"%%EOF", false},
        {"", false},
    };
    for (const auto& [str, bWhole] : cases)
        EXPECT_EQ(
            IsCompletePdf(std::span(reinterpret_cast<const std::uint8_t*>(str.data()), str.size())),
            bWhole)
            << str;
}
