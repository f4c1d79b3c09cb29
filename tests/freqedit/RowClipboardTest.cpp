// SPDX-License-Identifier: GPL-3.0-or-later
// Rows of the grids as tab-separated text both ways, the paste rules of the channel grid and
// the frequency table with their refusals, and the words that say how a value was stored.
#include "freqedit/RowClipboard.h"
#include "TempDir.h"
#include "app/WR7310App.h"
#include "freqedit/FreqTable.h"
#include "image/ImageFields.h"
#include "image/SettingTexts.h"
#include "view/ChannelPanel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<clip::CRow>;

const auto& kChannelHeaders = texts::kChannelHeaders;

} // namespace

TEST(RowClipboard, FormatsAHeaderLineAndTheShownTexts) {
    const Rows rows = {{"CH 5", "15", "OFF", "Add"}, {"CH 6", "1", "121", "Del"}};
    EXPECT_EQ(clip::FormatRows(kChannelHeaders, rows),
              "CH\tFreq Num\tSignal\tScan\nCH 5\t15\tOFF\tAdd\nCH 6\t1\t121\tDel\n");
    const clip::CParsedRows back =
        clip::ParseRows(clip::FormatRows(kChannelHeaders, rows), kChannelHeaders);
    EXPECT_EQ(back.strError, "");
    EXPECT_EQ(back.rows, (Rows{{"15", "OFF", "Add"}, {"1", "121", "Del"}}));
}

TEST(RowClipboard, ReadsWhatSpreadsheetsWrite) {
    const struct {
        const char* szText;
        Rows rows;
        const char* szError;
    } cases[] = {
        {"Freq Num\tSignal\tScan\r\n3\tOFF\tAdd\r\n\r\n", {{"3", "OFF", "Add"}}, ""},
        {"freq num\tsignal\tscan\n\"3\"\t OFF \tAdd", {{"3", "OFF", "Add"}}, ""},
        {"3\t7\tDel\nCH 9\t4\t8\tAdd\n", {{"3", "7", "Del"}, {"4", "8", "Add"}}, ""},
        {"3\t7\n", {}, "Line 1 has 2 cells; a row has 3 values"},
        {"CH\tFreq Num\tSignal\tScan\n1\t2\t3\t4\t5\n",
         {},
         "Line 2 has 5 cells; a row has 3 values"},
        {"", {}, "The clipboard holds no rows to paste"},
        {"CH\tFreq Num\tSignal\tScan\n", {}, "The clipboard holds no rows to paste"},
    };
    for (const auto& c : cases) {
        const clip::CParsedRows parsed = clip::ParseRows(c.szText, kChannelHeaders);
        EXPECT_EQ(parsed.rows, c.rows) << c.szText;
        EXPECT_EQ(parsed.strError, c.szError) << c.szText;
    }
}

TEST(ChannelPaste, CommitsEveryValueOrNone) {
    const CVariant& v = XtraVariant();
    std::vector<std::uint8_t> data(v.nImageSize, 0);
    for (int n = 1; n <= 99; ++n)
        field::SetChannel(data, v, n, {1, 0, false});
    const std::vector<std::uint8_t> original = data;
    const struct {
        int nFirst, nCount;
        Rows rows;
        const char* szError;
    } refusals[] = {
        {5,
         10,
         {{"15", "200", "Add"}},
         "Cannot paste: CH 5, Signal: \"200\" is not one of the column's values"},
        {5,
         10,
         {{"15", "OFF", "Add"}, {"0", "OFF", "Add"}},
         "Cannot paste: CH 6, Freq Num: \"0\" is not one of the column's values"},
        {5,
         10,
         {{"15", "OFF", "Maybe"}},
         "Cannot paste: CH 5, Scan: \"Maybe\" is not one of the column's values"},
        {9,
         10,
         {{"1", "1", "Add"}, {"1", "1", "Add"}, {"1", "1", "Add"}},
         "Cannot paste 3 rows from CH 9 on: CH 11 is not in use (Available CHs: 10)"},
    };
    for (const auto& c : refusals) {
        EXPECT_EQ(channel::PasteRows(data, v, c.nFirst, c.nCount, c.rows), c.szError);
        EXPECT_EQ(data, original) << c.szError;
    }
    EXPECT_EQ(channel::PasteRows(data, v, 98, 99, Rows{{"99", "off", "add"}, {"2", "121", "Del"}}),
              "");
    EXPECT_EQ(channel::RowTexts(data, v, 98), (clip::CRow{"CH 98", "99", "OFF", "Add"}));
    EXPECT_EQ(channel::RowTexts(data, v, 99), (clip::CRow{"CH 99", "2", "121", "Del"}));
}

namespace {

class FreqPasteTest : public ::testing::Test {
protected:
    FreqPasteTest() {
        WriteTextFile(m_dir.File("radio.ini"), "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
        m_pApp = std::make_unique<CWR7310App>(XtraVariant(), m_dir.File("radio.ini"));
    }
    CTempDir m_dir;
    std::unique_ptr<CWR7310App> m_pApp;
    std::vector<std::uint8_t> m_records = std::vector<std::uint8_t>(99 * 8, 0);
};

} // namespace

TEST_F(FreqPasteTest, RefusalsChangeNothing) {
    CFreqTable table(XtraVariant(), m_pApp->Range(), m_records);
    const struct {
        int nFirst;
        Rows rows;
        const char* szError;
    } cases[] = {
        {1, {{"462.5", "abc"}}, "Cannot paste: row 1, Tx Freq: \"abc\" is not a frequency"},
        {4,
         {{"462.5", "462.5"}, {"", "462.5"}},
         "Cannot paste: row 5, Rx Freq: \"\" is not a frequency"},
        {2, {{".", "462.5"}}, "Cannot paste: row 2, Rx Freq: \".\" is not a frequency"},
        {98,
         {{"462.5", "462.5"}, {"462.5", "462.5"}, {"462.5", "462.5"}},
         "Cannot paste 3 rows from row 98 on: the table ends at row 99"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(table.PasteRows(c.nFirst, c.rows, '.').strError, c.szError);
        EXPECT_TRUE(std::equal(m_records.begin(), m_records.end(), table.Records().begin()));
    }
}

TEST_F(FreqPasteTest, PastedValuesGoThroughTheTypedRulesAndSaySo) {
    CFreqTable table(XtraVariant(), m_pApp->Range(), m_records);
    const CFreqPaste pasted =
        table.PasteRows(7, Rows{{"462,5625", "461.40001"}, {"480", "399"}}, ',');
    EXPECT_EQ(pasted.strError, "");
    EXPECT_EQ(table.RowTexts(7), (clip::CRow{"7", "462.56250", "461.40000"}));
    EXPECT_EQ(table.RowTexts(8), (clip::CRow{"8", "470.00000", "400.00000"}));
    EXPECT_EQ(pasted.notes, (std::vector<std::string>{
                                "461.40001 MHz stored as 461.40000 MHz: 12.5 kHz raster",
                                "480 MHz is above the working range: stored as 470.00000 MHz",
                                "399 MHz is below the working range: stored as 400.00000 MHz"}));
}

TEST(StoredFrequencyNote, SaysNothingForAValueStoredAsTyped) {
    EXPECT_EQ(StoredFrequencyNote("462.5625", 462.5625, 0, 400, 470), "");
    EXPECT_EQ(StoredFrequencyNote("462,50", 462.5, 2, 400, 470), "");
    EXPECT_EQ(StoredFrequencyNote("462.551", 462.55, 1, 400, 470),
              "462.551 MHz stored as 462.55000 MHz: 10 kHz raster");
}

TEST(ChannelRows, UnusedRowsAreDimmedYetReadable) {
    const struct {
        std::uint32_t clrText, clrBack;
    } cases[] = {{0x000000, 0xFFFFFF}, {0x303030, 0xF0F0F0}, {0xFFFFFF, 0x202020}};
    for (const auto& c : cases) {
        const std::uint32_t clrDim = channel::DimmedTextColour(c.clrText, c.clrBack);
        EXPECT_GE(channel::ContrastRatio(clrDim, c.clrBack), 4.5) << std::hex << c.clrText;
        EXPECT_LT(channel::ContrastRatio(clrDim, c.clrBack),
                  channel::ContrastRatio(c.clrText, c.clrBack) - 5.0); // clearly dimmed
    }
    EXPECT_LT(channel::ContrastRatio(0xBEBEBE, 0xFFFFFF), 2.0); // the old grey
}
