// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/FreqCodec.h"
#include "TempDir.h"
#include "app/WR7310App.h"
#include "image/ImageFields.h"

#include <gtest/gtest.h>

namespace {

// An application whose working range is set by the test.
class Codec : public ::testing::Test {
protected:
    void SetRange(double dMin, double dMax) {
        app.m_dMinFreq = dMin;
        app.m_dMaxFreq = dMax;
    }

    struct CEncoded {
        double dValue;
        std::uint32_t n;
        std::uint8_t code;
        std::uint8_t bytes[3]; // lowest address first
    };
    CEncoded Encode(double d) const {
        CEncoded e{d, 0, 0xEE, {0xEE, 0xEE, 0xEE}};
        EncodeFrequency(e.dValue, e.bytes[2], e.bytes[1], e.bytes[0], e.code, app.Range());
        e.n = e.bytes[0] | (e.bytes[1] << 8) | (e.bytes[2] << 16);
        return e;
    }

    CTempDir dir;
    CWR7310App app{XtraVariant(), dir.File("none.ini")};
};

TEST_F(Codec, PrefersTwelveAndAHalfThenTenThenSixAndAQuarterKilohertz) {
    SetRange(400, 470);
    auto e = Encode(462.5625);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.n, 37005u);
    EXPECT_EQ(e.bytes[0], 0x8D);
    EXPECT_EQ(e.bytes[1], 0x90);
    EXPECT_EQ(e.bytes[2], 0x00);
    EXPECT_DOUBLE_EQ(e.dValue, 462.5625);

    e = Encode(462.56);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.n, 46256u);
    EXPECT_EQ(e.bytes[0], 0xB0);
    EXPECT_EQ(e.bytes[1], 0xB4);
    EXPECT_EQ(e.bytes[2], 0x00);

    e = Encode(462.55625);
    EXPECT_EQ(e.code, 0);
    EXPECT_EQ(e.n, 74009u);
    EXPECT_EQ(e.bytes[0], 0x19);
    EXPECT_EQ(e.bytes[1], 0x21);
    EXPECT_EQ(e.bytes[2], 0x01);

    // 462.5 fits every raster: the coarsest wins.
    e = Encode(462.5);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.n, 37000u);
}

TEST_F(Codec, OffRasterValuesRoundDownToTwelveAndAHalfKilohertz) {
    SetRange(400, 470);
    auto e = Encode(462.551);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.n, 37004u);
    EXPECT_DOUBLE_EQ(e.dValue, 462.55);

    // Just below a 6.25 kHz point still goes down to 12.5 kHz, never to 6.25 kHz.
    e = Encode(462.5624);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.n, 37004u);
    EXPECT_DOUBLE_EQ(e.dValue, 462.55);
}

TEST_F(Codec, ClampsToTheWorkingRangeFirst) {
    SetRange(400, 470);
    auto e = Encode(399.9);
    EXPECT_DOUBLE_EQ(e.dValue, 400.0);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.n, 32000u);

    e = Encode(470.5);
    EXPECT_DOUBLE_EQ(e.dValue, 470.0);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.n, 37600u);

    // Inside the range nothing is clamped.
    e = Encode(400.00625);
    EXPECT_DOUBLE_EQ(e.dValue, 400.00625);
    EXPECT_EQ(e.code, 0);
}

TEST_F(Codec, ZeroRangeEncodesEverythingAsZero) {
    SetRange(0, 0);
    for (double d : {462.5625, 0.0, -5.0, 1e12}) {
        const auto e = Encode(d);
        EXPECT_EQ(e.dValue, 0.0) << d;
        EXPECT_EQ(e.n, 0u) << d;
        EXPECT_EQ(e.code, 2) << d;
    }
}

TEST_F(Codec, AllOutputsOnOneScratchByteGiveTheSnappedValue) {
    SetRange(400, 470);
    double d = 462.551;
    std::uint8_t scratch = 0;
    EncodeFrequency(d, scratch, scratch, scratch, scratch, app.Range());
    EXPECT_DOUBLE_EQ(d, 462.55);
    EXPECT_EQ(scratch, 2);
}

TEST_F(Codec, DecodesEveryStepCode) {
    double d = 0;
    DecodeFrequency(d, 0x00, 0x90, 0x8D, 2);
    EXPECT_DOUBLE_EQ(d, 462.5625);
    DecodeFrequency(d, 0x00, 0xB4, 0xB0, 1);
    EXPECT_DOUBLE_EQ(d, 462.56);
    DecodeFrequency(d, 0x01, 0x21, 0x19, 0);
    EXPECT_DOUBLE_EQ(d, 462.55625);

    double d3 = 0;
    DecodeFrequency(d, 0x00, 0x90, 0x8D, 2);
    DecodeFrequency(d3, 0x00, 0x90, 0x8D, 3);
    EXPECT_EQ(d3, d);
    // Only the two low bits of the code count.
    DecodeFrequency(d3, 0x00, 0x90, 0x8D, 0x05);
    EXPECT_EQ(d3, 0x908D * 0.01);
}

TEST_F(Codec, EncodeThenDecodeGivesTheStoredValue) {
    SetRange(400, 470);
    for (double f : {400.0, 433.3125, 446.00625, 462.56, 469.99375, 470.0}) {
        const auto e = Encode(f);
        double d = 0;
        DecodeFrequency(d, e.bytes[2], e.bytes[1], e.bytes[0], e.code);
        EXPECT_NEAR(d, f, 1e-9) << f;
    }
}

TEST_F(Codec, EncodeRangeFloorsAndDecodeRangeLimitReadsBack) {
    double dLow = 400.003, dHigh = 470.0;
    std::uint8_t range[6] = {};
    app.EncodeRange(dLow, dHigh, range);
    EXPECT_EQ(range[0], 0x00);
    EXPECT_EQ(range[1], 0xFA);
    EXPECT_EQ(range[2], 0x00);
    EXPECT_DOUBLE_EQ(dLow, 400.0);
    EXPECT_DOUBLE_EQ(DecodeRangeLimit(range, true), 400.0);
    EXPECT_DOUBLE_EQ(DecodeRangeLimit(range, false), 470.0);

    const std::uint8_t radio[6] = {0x80, 0x1F, 0x01, 0xC0, 0x25, 0x01};
    EXPECT_DOUBLE_EQ(DecodeRangeLimit(radio, true), 460.0);
    EXPECT_DOUBLE_EQ(DecodeRangeLimit(radio, false), 470.0);
}

// Off-raster values whose round-down would leave the working range, and values whose text
// carries digits beyond the raster: the result stays inside the range and is exactly what
// the bytes decode to.
TEST_F(Codec, ResultsStayInsideTheRangeAndEqualTheStoredValue) {
    struct {
        double dMin, dMax, dIn;
        std::uint8_t code;
        std::uint32_t n;
        const char* pszShown;
    } const cases[] = {
        {400.00625, 470, 400.007, 0, 64001, "400.00625"},   // nearest inside, not 400.00000
        {400.00625, 470, 400.0124, 2, 32001, "400.01250"},  // up to 12.5 kHz, nearer than 10
        {400.00625, 470, 400.0098, 1, 40001, "400.01000"},  // the 10 kHz point is nearest
        {400.00625, 470, 400.00625, 0, 64001, "400.00625"}, // the limit itself
        {400, 470, 462.562509, 2, 37005, "462.56250"},      // digits below 10 Hz dropped
        {400, 470, 462.551, 2, 37004, "462.55000"},         // inside: still rounds down
        {400, 470, 462.5624, 2, 37004, "462.55000"},
        {400, 470, 399.9, 2, 32000, "400.00000"},
        {400, 470, 470.5, 2, 37600, "470.00000"},
        {400.003, 400.00625, 400.004, 0, 64001, "400.00625"}, // one raster point fits
        // A lower limit between two 10 Hz units: the clamped value would truncate below it.
        {738.8800028, 969.11, 0.0, 0, 118221, "738.88125"},
    };
    for (const auto& c : cases) {
        SetRange(c.dMin, c.dMax);
        const auto e = Encode(c.dIn);
        EXPECT_EQ(e.code, c.code) << c.dIn;
        EXPECT_EQ(e.n, c.n) << c.dIn;
        EXPECT_EQ(FormatFrequency(e.dValue), c.pszShown) << c.dIn;
        double dStored = 0;
        DecodeFrequency(dStored, e.bytes[2], e.bytes[1], e.bytes[0], e.code);
        EXPECT_EQ(e.dValue, dStored) << c.dIn;
        EXPECT_GE(e.dValue, c.dMin - 1e-9) << c.dIn;
        EXPECT_LE(e.dValue, c.dMax + 1e-9) << c.dIn;
    }
}

// Values that rounding to the nearest point would store differently: the range limits are
// floored, never rounded.
TEST_F(Codec, EncodeRangeRoundsDownNotToNearest) {
    struct {
        double dIn;
        std::uint32_t n;
    } const cases[] = {{400.005, 64000}, {400.0062, 64000}, {469.99999, 75199}, {400.00625, 64001}};
    for (const auto& c : cases) {
        double dLow = c.dIn, dHigh = c.dIn;
        std::uint8_t range[6] = {};
        app.EncodeRange(dLow, dHigh, range);
        EXPECT_EQ(range[0] | (range[1] << 8) | (range[2] << 16), c.n) << c.dIn;
        EXPECT_EQ(range[3] | (range[4] << 8) | (range[5] << 16), c.n) << c.dIn;
        EXPECT_LE(dLow, c.dIn) << c.dIn;
    }
}

TEST_F(Codec, StandardFrequencyToleranceIsInclusiveOneE8) {
    EXPECT_TRUE(IsStandardFrequency(464.500000005, 1));
    EXPECT_FALSE(IsStandardFrequency(464.5001, 1));
    EXPECT_TRUE(IsStandardFrequency(463.55, 99));
    EXPECT_FALSE(IsStandardFrequency(464.5, 2));
    EXPECT_FALSE(IsStandardFrequency(464.5, 0));
    EXPECT_FALSE(IsStandardFrequency(464.5, 100));
}

TEST_F(Codec, StandardTableIsOnTheTwelveAndAHalfRaster) {
    SetRange(400, 470);
    EXPECT_DOUBLE_EQ(StdFreqTable[1], 464.5);
    EXPECT_DOUBLE_EQ(StdFreqTable[56], 469.5625);
    EXPECT_DOUBLE_EQ(StdFreqTable[71], 460.0);
    EXPECT_DOUBLE_EQ(StdFreqTable[99], 463.55);
    for (int n = 1; n <= kStdFreqCount; ++n) {
        const auto e = Encode(StdFreqTable[n]);
        EXPECT_EQ(e.code, 2) << n;
        EXPECT_DOUBLE_EQ(e.dValue, StdFreqTable[n]) << n;
    }
}

TEST_F(Codec, FormatsWithFiveDecimals) {
    EXPECT_EQ(FormatFrequency(462.5625), "462.56250");
    EXPECT_EQ(FormatFrequency(0.0), "0.00000");
}

// --- field access ---

TEST(ImageFields, FrequencyRecordKeepsTheBitsItDoesNotOwn) {
    const CVariant& v = XtraVariant();
    std::vector<std::uint8_t> image(v.nImageSize, 0xFF);
    field::CFreqRecord rec;
    rec.nRxCount = 0x01A2B3;
    rec.nTxCount = 0x000102;
    rec.nRxStepCode = 1;
    rec.nTxStepCode = 0;
    rec.bNonStandard = false;
    field::SetFreqRecord(image, v, 2, rec);
    const std::uint16_t a = 0x358; // entry 2
    EXPECT_EQ(image[a + 0], 0xB3);
    EXPECT_EQ(image[a + 1], 0xA2);
    EXPECT_EQ(image[a + 2], 0x01);
    EXPECT_EQ(image[a + 3], 0x02);
    EXPECT_EQ(image[a + 4], 0x01);
    EXPECT_EQ(image[a + 5], 0x00);
    EXPECT_EQ(image[a + 6], 0xE1); // bits 5..7 kept, tx code 0, rx code 1, marker 0
    EXPECT_EQ(image[a + 7], 0xFF);
    EXPECT_EQ(image[a - 1], 0xFF);
    EXPECT_EQ(image[a + 8], 0xFF);

    const field::CFreqRecord back = field::GetFreqRecord(image, v, 2);
    EXPECT_EQ(back.nRxCount, rec.nRxCount);
    EXPECT_EQ(back.nTxCount, rec.nTxCount);
    EXPECT_EQ(back.nRxStepCode, 1);
    EXPECT_EQ(back.nTxStepCode, 0);
    EXPECT_FALSE(back.bNonStandard);
    EXPECT_DOUBLE_EQ(back.RxMHz(), 0x01A2B3 * 0.01);
}

TEST(ImageFields, ChannelRecordKeepsTheBitsItDoesNotOwn) {
    for (const CVariant* v : {&XtraVariant(), &OldVariant()}) {
        std::vector<std::uint8_t> image(v->nImageSize, 0xFF);
        field::SetChannel(image, *v, 3, {12, 0, false});
        const std::uint16_t a = v->channels.table.RecordAddr(3);
        EXPECT_EQ(image[a + 1], 12);
        EXPECT_EQ(image[a + 4], 0);
        EXPECT_EQ(image[a + v->channels.nScanOffset], 0xFE);
        const auto rec = field::GetChannel(image, *v, 3);
        EXPECT_EQ(rec.nFreqNumber, 12);
        EXPECT_FALSE(rec.bScanAdd);
        EXPECT_TRUE(field::GetChannel(image, *v, 2).bScanAdd);
    }
}

TEST(ImageFields, TextsArePaddedCutAndReadUpToTheirFirstZero) {
    std::vector<std::uint8_t> image(32, 0xAA);
    const CAddrRange r{4, 8};
    field::SetText(image, r, "MT-7310");
    EXPECT_EQ(image[11], 0);
    EXPECT_EQ(image[12], 0xAA);
    EXPECT_EQ(field::GetText(image, r, 16), "MT-7310");
    EXPECT_EQ(field::GetText(image, r, 4), "MT-7");
    field::SetText(image, r, "ABCDEFGHIJK"); // full field: no terminator, cut
    EXPECT_EQ(field::GetText(image, r, 16), "ABCDEFGH");
    EXPECT_EQ(image[12], 0xAA);
}

} // namespace

// --- the older radio's fixed band ---

TEST(OlderRadioBand, EncodingClampsIntoFourSixtyToFourSeventy) {
    CTempDir dir;
    // Limits in the settings file mean nothing to the older program.
    WriteTextFile(dir.File("old.ini"), "[FreqRange]\nMinFreq=400\nMaxFreq=480\n");
    CWR7310App app(OldVariant(), dir.File("old.ini"));
    struct {
        double dIn;
        double dOut;
        std::uint32_t nCount; // 12.5 kHz steps
    } const kCases[] = {
        {455.0, 460.0, 36800}, {400.0, 460.0, 36800}, {459.9875, 460.0, 36800},
        {475.0, 470.0, 37600}, {480.0, 470.0, 37600}, {470.0125, 470.0, 37600},
        {465.0, 465.0, 37200}, {460.0, 460.0, 36800}, {470.0, 470.0, 37600},
    };
    for (const auto& c : kCases) {
        double d = c.dIn;
        std::uint8_t hi = 0, mid = 0, lo = 0, code = 0xEE;
        EncodeFrequency(d, hi, mid, lo, code, app.Range());
        EXPECT_DOUBLE_EQ(d, c.dOut) << c.dIn;
        EXPECT_EQ(code, 2) << c.dIn;
        EXPECT_EQ(lo | (mid << 8) | (hi << 16), static_cast<int>(c.nCount)) << c.dIn;
    }
}

TEST(OlderRadioBand, ShownImagesMoveTheNewerWorkingRangeOnly) {
    CTempDir dir;
    WriteTextFile(dir.File("a.ini"), "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
    // 450 MHz to 480 MHz in 6.25 kHz steps.
    const std::uint8_t range[6] = {0x40, 0x19, 0x01, 0x00, 0x2C, 0x01};
    struct {
        const CVariant* pVariant;
        double dMin, dMax;
    } const kCases[] = {{&XtraVariant(), 450.0, 480.0}, {&OldVariant(), 460.0, 470.0}};
    for (const auto& c : kCases) {
        CWR7310App app(*c.pVariant, dir.File("a.ini"));
        app.TakeRangeFromImage(range);
        EXPECT_DOUBLE_EQ(app.m_dMinFreq, c.dMin) << c.pVariant->strModel;
        EXPECT_DOUBLE_EQ(app.m_dMaxFreq, c.dMax) << c.pVariant->strModel;
    }
}
