// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WR7310App.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

class AppSettings : public ::testing::Test {
protected:
    CTempDir dir;
    std::string ini = dir.File("WR7310SXtra.ini");
};

TEST_F(AppSettings, ImageStartsAllFF) {
    CWR7310App app(XtraVariant(), ini);
    ASSERT_EQ(app.Image().size(), 2048u);
    for (std::uint8_t b : app.Image())
        ASSERT_EQ(b, 0xFF);
}

TEST_F(AppSettings, MissingRangeReadsAsZero) {
    CWR7310App app(XtraVariant(), ini);
    EXPECT_EQ(app.m_dMinFreq, 0.0);
    EXPECT_EQ(app.m_dMaxFreq, 0.0);
}

TEST_F(AppSettings, MaxFreqDefaultsToTheMinFreqText) {
    WriteTextFile(ini, "[FreqRange]\nMinFreq=462.5\n");
    CWR7310App app(XtraVariant(), ini);
    EXPECT_DOUBLE_EQ(app.m_dMinFreq, 462.5);
    EXPECT_DOUBLE_EQ(app.m_dMaxFreq, 462.5);
}

TEST_F(AppSettings, RangeTextIsCutToSevenCharacters) {
    WriteTextFile(ini, "[FreqRange]\nMinFreq=400.0062599\nMaxFreq=470\n");
    CWR7310App app(XtraVariant(), ini);
    EXPECT_DOUBLE_EQ(app.m_dMinFreq, 400.006);
    EXPECT_DOUBLE_EQ(app.m_dMaxFreq, 470.0);
}

TEST_F(AppSettings, UserLevelIsReadAfreshFromTwoCharacters) {
    CWR7310App app(XtraVariant(), ini);
    EXPECT_EQ(app.GetUserLevel(), 0);
    WriteTextFile(ini, "[User Mode]\nLevel=" + std::to_string(kFactoryLevel) + "5\n");
    EXPECT_EQ(app.GetUserLevel(), kFactoryLevel);
    WriteTextFile(ini, "[user mode]\nlevel=" + std::to_string(kTuneLevel) + "\n");
    EXPECT_EQ(app.GetUserLevel(), kTuneLevel);
}

TEST_F(AppSettings, OlderModelUsesTheFixedBand) {
    WriteTextFile(ini, "[FreqRange]\nMinFreq=400\nMaxFreq=410\n");
    CWR7310App app(OldVariant(), ini);
    EXPECT_EQ(app.Image().size(), 1024u);
    EXPECT_EQ(app.m_dMinFreq, 460.0);
    EXPECT_EQ(app.m_dMaxFreq, 470.0);
}

TEST_F(AppSettings, EncodeRangeFloorsToWholeSteps) {
    CWR7310App app(XtraVariant(), ini);
    double lo = 400.003, hi = 470.0;
    std::uint8_t range[6] = {};
    app.EncodeRange(lo, hi, range);
    EXPECT_DOUBLE_EQ(lo, 400.0);
    EXPECT_DOUBLE_EQ(hi, 470.0);
    const std::uint8_t expected[6] = {0x00, 0xFA, 0x00, 0xC0, 0x25, 0x01}; // 64000, 75200
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(range[i], expected[i]) << "byte " << i;
}

TEST_F(AppSettings, HugeRangeFromTheSettingsFileSaturatesInsteadOfWrapping) {
    WriteTextFile(ini, "[FreqRange]\nMinFreq=400\nMaxFreq=1e38\n");
    CWR7310App app(XtraVariant(), ini);
    ASSERT_EQ(app.m_dMaxFreq, 1e38);
    std::uint8_t range[6] = {};
    app.EncodeRange(app.m_dMinFreq, app.m_dMaxFreq, range);
    // The largest count the 10 Hz conversion holds: (2^32 - 1) / 625 steps of 6.25 kHz.
    EXPECT_DOUBLE_EQ(app.m_dMaxFreq, 6871947 * 0.00625);
    EXPECT_GT(app.m_dMaxFreq, app.m_dMinFreq);
    const std::uint32_t nHigh = range[3] | (range[4] << 8) | (range[5] << 16);
    EXPECT_EQ(nHigh, 6871947u);
}

} // namespace
