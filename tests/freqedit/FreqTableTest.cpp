// SPDX-License-Identifier: GPL-3.0-or-later
// The frequency table editor's records: cell texts, committing a cell byte by byte, the
// non-standard marker across both columns; and the channel grid's cell rules.
#include "freqedit/FreqTable.h"
#include "TempDir.h"
#include "app/WR7310App.h"
#include "view/ChannelPanel.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// An application with the working range 400..470 MHz.
class FreqTableTest : public ::testing::Test {
protected:
    FreqTableTest() {
        WriteTextFile(m_dir.File("radio.ini"), "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
        m_pApp = std::make_unique<CWR7310App>(XtraVariant(), m_dir.File("radio.ini"));
    }
    // A table of the newer radio with record n set to the given bytes.
    static std::vector<std::uint8_t> Records(int n, std::array<std::uint8_t, 8> rec) {
        std::vector<std::uint8_t> v(99 * 8, 0);
        std::copy(rec.begin(), rec.end(), v.begin() + 8 * (n - 1));
        return v;
    }
    static std::array<std::uint8_t, 8> RecordOf(const CFreqTable& t, int n) {
        std::array<std::uint8_t, 8> rec{};
        std::copy_n(t.Records().begin() + 8 * (n - 1), 8, rec.begin());
        return rec;
    }

    CTempDir m_dir;
    std::unique_ptr<CWR7310App> m_pApp;
};

} // namespace

TEST(FrequencyTextTest, ReadsLikeAtofWithEitherSeparator) {
    struct {
        const char* szText;
        double dValue;
    } const cases[] = {{"462.5", 462.5}, {"462,5", 462.5}, {"462.55000", 462.55}, {"", 0.0},
                       {".", 0.0},       {"4.6.2", 4.6},   {" 12", 12.0},         {"+7", 7.0},
                       {"12abc", 12.0},  {"1e999999", 0.0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(ParseFrequencyText(c.szText), c.dValue) << c.szText;
}

TEST_F(FreqTableTest, CellsShowFiveDecimalsAndTheStandardRule) {
    // Record 1: 464.5000 receive (its standard frequency, 12.5 kHz: 37160 = 0x9128) and
    // 462.5625 transmit (6.25 kHz: 74010 = 0x1211A).
    const CFreqTable t(XtraVariant(), m_pApp->Range(),
                       Records(1, {0x28, 0x91, 0x00, 0x1A, 0x21, 0x01, 0x12, 0}));
    EXPECT_EQ(t.Count(), 99);
    EXPECT_EQ(t.CellText(1, kFreqColRx), "464.50000");
    EXPECT_EQ(t.CellText(1, kFreqColTx), "462.56250");
    EXPECT_TRUE(t.IsStandardCell(1, kFreqColRx));
    EXPECT_FALSE(t.IsStandardCell(1, kFreqColTx));
    EXPECT_TRUE(t.NonStandard(1));
    EXPECT_EQ(t.CellText(2, kFreqColRx), "0.00000");
}

TEST_F(FreqTableTest, CommittedCellsAreEncodedByteExact) {
    struct {
        int nNumber, nCol;
        const char* szTyped;
        const char* szOtherShown;
        std::array<std::uint8_t, 8> before;
        const char* szShown;
        bool bStandard;
        std::array<std::uint8_t, 8> after;
    } const cases[] = {
        // Off every raster: rounded down to 12.5 kHz (37004 = 0x908C), marker set.
        {2,
         1,
         "462.551",
         "0.00000",
         {0, 0, 0, 0, 0, 0, 0, 0x5A},
         "462.55000",
         false,
         {0x8C, 0x90, 0x00, 0, 0, 0, 0x12, 0x5A}},
        // The standard frequency of number 1 in both columns clears the marker.
        {1,
         2,
         "464.5",
         "464.50000",
         {0x28, 0x91, 0, 0x1A, 0x21, 0x01, 0x12, 0},
         "464.50000",
         true,
         {0x28, 0x91, 0, 0x28, 0x91, 0, 0x0A, 0}},
        // Standard receive value, but the shown transmit value is not: the marker stays.
        {1,
         1,
         "464.5",
         "462.56250",
         {0, 0, 0, 0x1A, 0x21, 0x01, 0x10, 0},
         "464.50000",
         true,
         {0x28, 0x91, 0, 0x1A, 0x21, 0x01, 0x12, 0}},
        // A 10 kHz value (46257 = 0xB4B1) in the transmit column keeps bits 0-1 and 5-7.
        {3,
         2,
         "462,57",
         "467.76250",
         {0, 0, 0, 0, 0, 0, 0xE1, 0},
         "462.57000",
         false,
         {0, 0, 0, 0xB1, 0xB4, 0x00, 0xF5, 0}},
        // Clamped to the working range: below and above, and text without a number.
        {4,
         1,
         "300",
         "0",
         {0, 0, 0, 0, 0, 0, 0, 0},
         "400.00000",
         false,
         {0x00, 0x7D, 0x00, 0, 0, 0, 0x12, 0}},
        {4,
         1,
         "480",
         "0",
         {0, 0, 0, 0, 0, 0, 0, 0},
         "470.00000",
         false,
         {0xE0, 0x92, 0x00, 0, 0, 0, 0x12, 0}},
        {4,
         1,
         ".",
         "0",
         {0, 0, 0, 0, 0, 0, 0, 0},
         "400.00000",
         false,
         {0x00, 0x7D, 0x00, 0, 0, 0, 0x12, 0}},
    };
    for (const auto& c : cases) {
        CFreqTable t(XtraVariant(), m_pApp->Range(), Records(c.nNumber, c.before));
        const CFreqCellCommit commit = t.CommitCell(c.nNumber, c.nCol, c.szTyped, c.szOtherShown);
        EXPECT_EQ(commit.strText, c.szShown) << c.szTyped;
        EXPECT_EQ(commit.bStandard, c.bStandard) << c.szTyped;
        EXPECT_EQ(RecordOf(t, c.nNumber), c.after) << c.szTyped;
        // No other record changes.
        const int nOther = c.nNumber == 1 ? 2 : 1;
        EXPECT_EQ(RecordOf(t, nOther), (std::array<std::uint8_t, 8>{})) << c.szTyped;
    }
}

TEST_F(FreqTableTest, OlderRadioHasItsOwnTableSize) {
    WriteTextFile(m_dir.File("old.ini"), "");
    m_pApp.reset();
    m_pApp = std::make_unique<CWR7310App>(OldVariant(), m_dir.File("old.ini"));
    std::vector<std::uint8_t> records(56 * 8, 0);
    CFreqTable t(OldVariant(), m_pApp->Range(), records);
    EXPECT_EQ(t.Count(), 56);
    EXPECT_EQ(t.Records().size(), 448U);
    EXPECT_EQ(t.CommitCell(56, kFreqColTx, "455", "0").strText, "460.00000"); // fixed band
}

// ---- channel grid rules ----

TEST(ChannelCellTest, TextsOfEachColumn) {
    struct {
        field::CChannelRecord rec;
        const char* szFreq;
        const char* szSignal;
        const char* szScan;
    } const cases[] = {{{7, 0, true}, "7", "OFF", "Add"},
                       {{99, 121, false}, "99", "121", "Del"},
                       {{0, 1, false}, "0", "1", "Del"},
                       {{255, 255, true}, "255", "255", "Add"}};
    for (const auto& c : cases) {
        EXPECT_EQ(channel::CellText(c.rec, channel::kColFreqNumber), c.szFreq);
        EXPECT_EQ(channel::CellText(c.rec, channel::kColSignal), c.szSignal);
        EXPECT_EQ(channel::CellText(c.rec, channel::kColScan), c.szScan);
    }
    EXPECT_EQ(channel::RowHeader(1), "CH 1");
    EXPECT_EQ(channel::RowHeader(99), "CH 99");
}

TEST(ChannelCellTest, EditorItemsFollowTheModel) {
    struct {
        const CVariant& v;
        int nCol;
        std::size_t nItems;
        const char* szFirst;
        const char* szLast;
    } const cases[] = {{XtraVariant(), 1, 99, "1", "99"},
                       {OldVariant(), 1, 56, "1", "56"},
                       {XtraVariant(), 2, 122, "OFF", "121"},
                       {OldVariant(), 2, 122, "OFF", "121"},
                       {XtraVariant(), 3, 2, "Add", "Del"}};
    for (const auto& c : cases) {
        const std::vector<std::string> items = channel::EditorItems(c.v, c.nCol);
        ASSERT_EQ(items.size(), c.nItems) << c.nCol;
        EXPECT_EQ(items.front(), c.szFirst);
        EXPECT_EQ(items.back(), c.szLast);
    }
    EXPECT_TRUE(channel::EditorItems(XtraVariant(), 0).empty());
    EXPECT_TRUE(channel::EditorItems(XtraVariant(), 4).empty());
}

TEST(ChannelCellTest, OnlyChannelsInUseOpen) {
    struct {
        int nRow, nCol, nCount, nChannels;
        bool bOpen;
    } const cases[] = {{1, 1, 1, 99, true},   {10, 3, 10, 99, true}, {11, 1, 10, 99, false},
                       {0, 1, 10, 99, false}, {5, 0, 10, 99, false}, {5, 4, 10, 99, false},
                       {9, 1, 99, 8, false},  {8, 2, 8, 8, true}};
    for (const auto& c : cases)
        EXPECT_EQ(channel::CanEdit(c.nRow, c.nCol, c.nCount, c.nChannels), c.bOpen)
            << c.nRow << "," << c.nCol;
}

TEST(ChannelCellTest, CommittedTextsStoreTheirValues) {
    struct {
        const CVariant& v;
        int nCol;
        const char* szText;
        std::uint16_t nOffset; // in the record of channel 3
        std::uint8_t nBefore;
        std::uint8_t nAfter;
    } const cases[] = {
        {XtraVariant(), 1, "57", 1, 0xFF, 57},    {XtraVariant(), 2, "OFF", 4, 9, 0},
        {XtraVariant(), 2, "121", 4, 0, 121},     {XtraVariant(), 3, "Add", 6, 0xF0, 0xF1},
        {XtraVariant(), 3, "Del", 6, 0xFF, 0xFE}, {XtraVariant(), 3, "add", 6, 0x01, 0x00},
        {OldVariant(), 3, "Add", 13, 0x80, 0x81}, {OldVariant(), 2, "OFF", 4, 3, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> data(c.v.nImageSize, 0xAA);
        const std::size_t nAddr = c.v.channels.table.RecordAddr(3) + c.nOffset;
        data[nAddr] = c.nBefore;
        std::vector<std::uint8_t> want = data;
        want[nAddr] = c.nAfter;
        channel::CommitCell(data, c.v, 3, c.nCol, c.szText);
        EXPECT_EQ(data, want) << c.szText;
    }
}
