// SPDX-License-Identifier: GPL-3.0-or-later
// The tune screen's rules: what it shows of the document, the range check of a typed
// frequency and the encoding written before a tune frequency goes to the radio.
#include "service/TuneRules.h"
#include "TempDir.h"
#include "app/WR7310App.h"
#include "base/Messages.h"
#include "base/Notifier.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

class TuneRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteTextFile(m_strIni, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
        m_pApp = std::make_unique<CWR7310App>(XtraVariant(), m_strIni);
        m_pApp->SetNotifier(&m_notes);
        m_doc.assign(2048, 0xFF);
        SetRadioRange({0x00, 0xFA, 0x00, 0xC0, 0x25, 0x01}); // 400 .. 470 MHz
    }
    void SetRadioRange(std::vector<std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), m_doc.begin() + 0x348);
    }

    CTempDir m_dir;
    std::string m_strIni = m_dir.File("WR7310SXtra.ini");
    CRecordingNotifier m_notes;
    std::unique_ptr<CWR7310App> m_pApp;
    std::vector<std::uint8_t> m_doc;
};

const std::string kBelow(msg::kTuneBelowRange);
const std::string kAbove(msg::kTuneAboveRange);

} // namespace

TEST_F(TuneRulesTest, ShownTexts) {
    // 450.0 MHz in 12.5 kHz steps: 36000 = 0x008CA0, step code 2.
    const std::uint8_t tune[] = {0xA0, 0x8C, 0x00, 0x02};
    std::copy(std::begin(tune), std::end(tune), m_doc.begin() + 0x678);
    const std::string strModel = "ABCDEFGHIJKLMNOP"; // 16 characters, no terminating zero
    std::copy(strModel.begin(), strModel.end(), m_doc.begin() + 0x328);
    const std::string strVersion = "1.02.03";
    std::fill(m_doc.begin() + 0x668, m_doc.begin() + 0x678, 0);
    std::copy(strVersion.begin(), strVersion.end(), m_doc.begin() + 0x668);
    m_doc[0x324] = 0x85;

    tune::CTuneInfoTexts t = tune::TuneInfoTexts(*m_pApp, m_doc);
    EXPECT_TRUE(t.bOpen);
    EXPECT_EQ(t.strFrequency, "450.00000");
    EXPECT_EQ(t.strModel, strModel);
    EXPECT_EQ(t.strRange, "400.00000 - 470.00000MHz");
    EXPECT_EQ(t.strFirmware, "V1.02.03");

    m_doc[0x324] = 0x05;
    std::fill(m_doc.begin() + 0x668, m_doc.begin() + 0x678, 0);
    t = tune::TuneInfoTexts(*m_pApp, m_doc);
    EXPECT_FALSE(t.bOpen);
    EXPECT_EQ(t.strFirmware, "");
}

TEST_F(TuneRulesTest, StoredFrequencyOutsideTheWorkingRangeShowsEmpty) {
    struct {
        std::uint8_t bytes[4];
        const char* pszShown;
    } const cases[] = {
        {{0xA0, 0x8C, 0x00, 0x02}, "450.00000"}, // inside
        {{0x00, 0x7D, 0x00, 0x02}, "400.00000"}, // the low limit itself
        {{0xFF, 0x7C, 0x00, 0x02}, ""},          // 399.9875
        {{0x00, 0x96, 0x00, 0x02}, ""},          // 480.0
        {{0xFF, 0xFF, 0xFF, 0xFF}, ""},          // an erased radio
    };
    for (const auto& c : cases) {
        std::copy(std::begin(c.bytes), std::end(c.bytes), m_doc.begin() + 0x678);
        EXPECT_EQ(tune::TuneInfoTexts(*m_pApp, m_doc).strFrequency, c.pszShown) << c.pszShown;
    }
}

TEST_F(TuneRulesTest, RangeCheckOnFocusLoss) {
    struct {
        const char* pszTyped;
        int nDecimalPoint;
        std::optional<std::string> shown;
        std::vector<std::string> messages;
    } const cases[] = {
        {"", '.', std::nullopt, {}},           {"450", '.', "450.00000", {}},
        {"399.5", '.', "400.00000", {kBelow}}, {"480", '.', "470.00000", {kAbove}},
        {"abc", '.', "400.00000", {kBelow}}, // no number reads as 0
        {"450.0031", '.', "450.00000", {}},  // off every raster: down to 12.5 kHz
        {"450.00625", '.', "450.00625", {}},   {"450,5", ',', "450,50000", {}},
    };
    for (const auto& c : cases) {
        m_notes.m_messages.clear();
        m_pApp->m_nDecimalPoint = c.nDecimalPoint;
        EXPECT_EQ(tune::CheckTuneInput(*m_pApp, m_doc, c.pszTyped), c.shown) << c.pszTyped;
        EXPECT_EQ(m_notes.Texts(), c.messages) << c.pszTyped;
    }
}

TEST_F(TuneRulesTest, RadioRangeWithMessagesThenWorkingRangeSilently) {
    // The radio's range 420 .. 450 MHz inside the working range 400 .. 470.
    SetRadioRange({0x80, 0x06, 0x01, 0x40, 0x19, 0x01});
    EXPECT_EQ(tune::CheckTuneInput(*m_pApp, m_doc, "410"), "420.00000");
    EXPECT_EQ(tune::CheckTuneInput(*m_pApp, m_doc, "460"), "450.00000");
    EXPECT_EQ(m_notes.Texts(), (std::vector<std::string>{kBelow, kAbove}));
    // A working range inside the radio's: clamped without a message.
    m_notes.m_messages.clear();
    m_pApp->m_dMinFreq = 430.0;
    m_pApp->m_dMaxFreq = 440.0;
    EXPECT_EQ(tune::CheckTuneInput(*m_pApp, m_doc, "425"), "430.00000");
    EXPECT_EQ(tune::CheckTuneInput(*m_pApp, m_doc, "445"), "440.00000");
    EXPECT_TRUE(m_notes.Texts().empty());
}

TEST_F(TuneRulesTest, StoreEncodesAndClosesTheSwitch) {
    struct {
        double dTyped;
        std::uint8_t bytes[4];
        double dStored;
    } const cases[] = {
        {465.0, {0x50, 0x91, 0x00, 0x02}, 465.0},         // 37200 steps of 12.5 kHz
        {462.01, {0x79, 0xB4, 0x00, 0x01}, 462.01},       // 46201 steps of 10 kHz
        {400.00625, {0x01, 0xFA, 0x00, 0x00}, 400.00625}, // 64001 steps of 6.25 kHz
        {500.0, {0xE0, 0x92, 0x00, 0x02}, 470.0},         // the working range's top
    };
    for (const auto& c : cases) {
        m_doc[0x324] = 0xC5;
        const double d = tune::StoreTuneFrequency(*m_pApp, m_doc, c.dTyped);
        EXPECT_NEAR(d, c.dStored, 1e-9) << c.dTyped;
        EXPECT_EQ(std::vector<std::uint8_t>(m_doc.begin() + 0x678, m_doc.begin() + 0x67C),
                  std::vector<std::uint8_t>(std::begin(c.bytes), std::end(c.bytes)))
            << c.dTyped;
        EXPECT_EQ(m_doc[0x324], 0x45) << c.dTyped; // only bit 7 cleared
    }
}
