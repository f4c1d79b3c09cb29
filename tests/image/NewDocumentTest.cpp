// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocTestSupport.h"
#include "image/FreqCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// The newer radio's new-document image, written out byte by byte from the radio's memory
// map, with every frequency-table entry given as a 12.5 kHz count.
std::vector<std::uint8_t> ExpectedXtraImage(const std::vector<std::uint32_t>& counts,
                                            const std::uint8_t range[6]) {
    std::vector<std::uint8_t> e(0x800, 0xFF); // untouched bytes keep the start-up 0xFF
    for (int ch = 0; ch < 99; ++ch) {
        std::uint8_t* r = &e[8 * ch];
        std::memset(r, 0, 8);
        r[1] = 1;
        r[6] = ch < 8 ? 1 : 0;
    }
    const std::uint8_t freqNumbers[8] = {7, 15, 16, 31, 34, 45, 48, 52};
    for (int ch = 0; ch < 8; ++ch)
        e[8 * ch + 1] = freqNumbers[ch];
    e[0x318] = 8;
    e[0x319] = 1;
    e[0x31A] = 0xC4;
    const std::uint8_t settings[8] = {0x00, 0x01, 0x02, 0xE7, 0xCF, 0x01, 0x28, 0x3E};
    std::memcpy(&e[0x320], settings, 8);
    std::memset(&e[0x328], 0, 0x20);
    std::memcpy(&e[0x328], "MT-7310", 7);
    std::memcpy(&e[0x348], range, 6);
    e[0x34E] = 0x02;
    e[0x34F] = 0x53;
    for (int k = 0; k < 99; ++k) {
        std::uint8_t* r = &e[0x350 + 8 * k];
        const std::uint32_t n = counts[k];
        r[0] = r[3] = static_cast<std::uint8_t>(n);
        r[1] = r[4] = static_cast<std::uint8_t>(n >> 8);
        r[2] = r[5] = static_cast<std::uint8_t>(n >> 16);
        r[6] = 0x0A;
        r[7] = 0;
    }
    std::memset(&e[0x668], 0, 16);
    const std::uint8_t tune[4] = {0x50, 0x91, 0x00, 0x02};
    std::memcpy(&e[0x678], tune, 4);
    std::memset(&e[0x780], 0, 128);
    return e;
}

// 12.5 kHz counts of the standard frequencies, each first limited to [dMin, dMax].
std::vector<std::uint32_t> StandardCounts(double dMin, double dMax) {
    std::vector<std::uint32_t> counts;
    for (int n = 1; n <= 99; ++n) {
        const double f = std::min(std::max(StdFreqTable[n], dMin), dMax);
        counts.push_back(static_cast<std::uint32_t>(std::lround(f / 0.0125)));
    }
    return counts;
}

void ExpectSameBytes(const std::vector<std::uint8_t>& actual,
                     const std::vector<std::uint8_t>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t a = 0; a < actual.size(); ++a)
        EXPECT_EQ(actual[a], expected[a]) << "address 0x" << std::hex << a;
}

TEST(NewDocument, SetsEveryDefaultByteOfTheNewerRadio) {
    CDocFixture f(XtraVariant(), kRange400to470);
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    const std::uint8_t range[6] = {0x00, 0xFA, 0x00, 0xC0, 0x25, 0x01};
    const auto expected = ExpectedXtraImage(StandardCounts(400, 470), range);
    ExpectSameBytes(f.Image(), expected);
    // Spot checks of the table against hand-computed counts: 464.5 and 460.0 MHz.
    EXPECT_EQ(f.Image()[0x350], 0x28);
    EXPECT_EQ(f.Image()[0x351], 0x91);
    const std::uint16_t a71 = 0x350 + 8 * 70;
    EXPECT_EQ(f.Image()[a71], 0xC0);
    EXPECT_EQ(f.Image()[a71 + 1], 0x8F);
    // The document holds the same values, the key-tune switch still set.
    const auto doc = f.DocData();
    for (const CAddrRange& r : XtraVariant().docSyncRanges)
        for (std::size_t a = r.nStart; a < r.End(); ++a)
            EXPECT_EQ(doc[a], expected[a]) << "document address 0x" << std::hex << a;
    EXPECT_EQ(doc[0x324] & 0x80, 0x80);
    EXPECT_TRUE(f.notifier.m_messages.empty());
}

TEST(NewDocument, LeavesTheImageOnlyBytesAlone) {
    CDocFixture f(XtraVariant(), kRange400to470);
    auto image = f.pApp->Image();
    for (std::size_t a = 0x31B; a <= 0x31F; ++a)
        image[a] = static_cast<std::uint8_t>(a);
    for (std::size_t a = 0x67C; a <= 0x77F; ++a)
        image[a] = static_cast<std::uint8_t>(a * 7);
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    for (std::size_t a = 0x31B; a <= 0x31F; ++a)
        EXPECT_EQ(image[a], static_cast<std::uint8_t>(a));
    for (std::size_t a = 0x67C; a <= 0x77F; ++a)
        EXPECT_EQ(image[a], static_cast<std::uint8_t>(a * 7));
}

TEST(NewDocument, FreshProgramKeepsFFInTheImageOnlyBytes) {
    CDocFixture f(XtraVariant(), kRange400to470);
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    for (std::size_t a = 0x31B; a <= 0x31F; ++a)
        EXPECT_EQ(f.Image()[a], 0xFF);
    for (std::size_t a = 0x67C; a <= 0x77F; ++a)
        EXPECT_EQ(f.Image()[a], 0xFF);
}

TEST(NewDocument, RangeFourSixtyToFourSeventyKeepsEveryStandardFrequency) {
    CDocFixture f(XtraVariant(), "[FreqRange]\nMinFreq=460\nMaxFreq=470\n");
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    const std::uint8_t range[6] = {0x80, 0x1F, 0x01, 0xC0, 0x25, 0x01};
    ExpectSameBytes(f.Image(), ExpectedXtraImage(StandardCounts(460, 470), range));
}

TEST(NewDocument, NarrowRangeStoresTheNearestLimit) {
    CDocFixture f(XtraVariant(), "[FreqRange]\nMinFreq=462\nMaxFreq=465\n");
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    // 462 MHz = 73920 steps of 6.25 kHz (0x0120C0), 465 MHz = 74400 (0x0122A0).
    const std::uint8_t range[6] = {0xC0, 0x20, 0x01, 0xA0, 0x22, 0x01};
    const auto counts = StandardCounts(462, 465);
    EXPECT_EQ(counts[2], 37200u); // 467.7625 becomes 465.0
    EXPECT_EQ(counts[8], 36960u); // 461.0375 becomes 462.0
    ExpectSameBytes(f.Image(), ExpectedXtraImage(counts, range));
}

TEST(NewDocument, WithoutSettingsFileEveryFrequencyIsZeroWithCodeTwo) {
    CDocFixture f(XtraVariant());
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    const std::uint8_t range[6] = {0, 0, 0, 0, 0, 0};
    ExpectSameBytes(f.Image(), ExpectedXtraImage(std::vector<std::uint32_t>(99, 0), range));
}

TEST(NewDocument, RereadsTheRangeAndFloorsItToWholeSteps) {
    CDocFixture f(XtraVariant(), kRange400to470);
    WriteTextFile(f.ini, "[FreqRange]\nMinFreq=450.003\nMaxFreq=460\n");
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    EXPECT_DOUBLE_EQ(f.pApp->m_dMinFreq, 450.0);
    EXPECT_DOUBLE_EQ(f.pApp->m_dMaxFreq, 460.0);
    const auto image = f.Image();
    EXPECT_EQ(image[0x348] | (image[0x349] << 8) | (image[0x34A] << 16), 72000);
    EXPECT_EQ(image[0x34B] | (image[0x34C] << 8) | (image[0x34D] << 16), 73600);
    // Entry 1 (464.5) is above the new limit and is stored as 460.0.
    EXPECT_EQ(image[0x350] | (image[0x351] << 8), 36800);
}

TEST(NewDocument, AsksOpenGridEditsToFinishButStoresNoControls) {
    CDocFixture f(XtraVariant(), kRange400to470);
    std::vector<std::string> log;
    CFakeView view(log);
    f.pDoc->AddView(&view);
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    EXPECT_EQ(log, std::vector<std::string>{"view.EndCellEdit"});
}

TEST(NewDocument, OlderRadioGetsItsOwnLayoutAndFixedBand) {
    CDocFixture f(OldVariant(), kRange400to470);
    ASSERT_TRUE(f.pDoc->OnNewDocument());
    const auto image = f.Image();
    ASSERT_EQ(image.size(), 0x400u);
    const std::uint8_t freqNumbers[8] = {7, 15, 16, 31, 34, 45, 48, 52};
    for (int ch = 0; ch < 8; ++ch) {
        EXPECT_EQ(image[16 * ch + 1], freqNumbers[ch]);
        EXPECT_EQ(image[16 * ch + 4], 0);
        EXPECT_EQ(image[16 * ch + 13], 1);
    }
    EXPECT_EQ(image[0x100], 8);
    const std::uint8_t range[6] = {0x80, 0x1F, 0x01, 0xC0, 0x25, 0x01};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(image[0x138 + i], range[i]);
    EXPECT_EQ(image[0x13E], 0x02);
    EXPECT_EQ(image[0x13F], 0x53);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[0x110])), "MT-7310");
    // 56 standard frequencies, limited to 460..470; nothing beyond the table is written.
    for (int k = 0; k < 56; ++k) {
        const std::uint8_t* r = &image[0x140 + 8 * k];
        EXPECT_EQ(r[0] | (r[1] << 8) | (r[2] << 16),
                  static_cast<int>(std::lround(StdFreqTable[k + 1] / 0.0125)));
        EXPECT_EQ(r[6], 0x0A);
    }
    EXPECT_EQ(image[0x300], 0xFF);
    EXPECT_DOUBLE_EQ(f.pApp->m_dMinFreq, 460.0);
}

} // namespace
