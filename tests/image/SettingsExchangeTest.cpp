// Export and import of a radio file's settings: the round trip leaves every byte alone, an
// edit changes exactly the bytes of the values it names, and a value that breaks a rule is
// refused with nothing changed.
#include "image/SettingsExchange.h"
#include "DocTestSupport.h"
#include "image/ImageFields.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <map>

namespace {

using nlohmann::json;

constexpr std::size_t kSig = 128; // the radio file's signature field comes before the image

// Image address -> new value of every byte that differs between two radio files.
std::map<std::size_t, std::uint8_t> Changed(const std::vector<std::uint8_t>& before,
                                            const std::vector<std::uint8_t>& after) {
    std::map<std::size_t, std::uint8_t> changed;
    EXPECT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
        if (before[i] != after[i])
            changed[i - kSig] = after[i];
    return changed;
}

class SettingsExchange : public ::testing::Test {
protected:
    explicit SettingsExchange(const CVariant& v = XtraVariant()) : fx(v, kRange400to470) {
        fx.pDoc->OnNewDocument();
        Vary();
        base = fx.pDoc->SaveToBytes();
    }

    // A document unlike a new one: varied channels, frequencies on every raster, a
    // non-standard marker, settings off their defaults.
    void Vary() {
        CWR7310Doc& doc = *fx.pDoc;
        const CVariant& v = doc.m_variant;
        auto d = doc.Data();
        const int nCount = std::min<int>(12, v.channels.table.nCount);
        d[v.nChannelCount] = static_cast<std::uint8_t>(nCount);
        d[v.nCurrentChannel] = 5;
        for (int n = 1; n <= nCount; ++n)
            doc.SetChannel(n, {static_cast<std::uint8_t>(n * 7 % 56 + 1),
                               static_cast<std::uint8_t>(n % 3 == 0 ? 0 : n * 10), n % 2 == 0});
        double dRx = 462.5625, dTx = 465.01; // 6.25 kHz and 10 kHz rasters
        doc.SetFreqRecord(2, field::EncodeFreqRecord(dRx, dTx, true));
        d[v.settings.nTotSetting] = 2;
    }

    std::string Json() { return exchange::JsonText(exchange::Decode(*fx.pDoc)); }

    // Imports the source; the document is then saved and compared with the base.
    exchange::CImportResult Import(const std::string& strSource,
                                   exchange::ImportFormat format = exchange::ImportFormat::Json) {
        const exchange::CImportResult r = exchange::ImportSettings(*fx.pDoc, strSource, format);
        after = fx.pDoc->SaveToBytes();
        return r;
    }

    CDocFixture fx;
    std::vector<std::uint8_t> base;
    std::vector<std::uint8_t> after;
};

class SettingsExchangeOld : public SettingsExchange {
protected:
    SettingsExchangeOld() : SettingsExchange(OldVariant()) {}
};

TEST_F(SettingsExchange, ExportThenImportOfTheSameFileChangesNoByte) {
    for (auto format : {exchange::ImportFormat::Json, exchange::ImportFormat::Csv}) {
        const exchange::CSettingsListing l = exchange::Decode(*fx.pDoc);
        const std::string strSource =
            format == exchange::ImportFormat::Json ? exchange::JsonText(l) : exchange::CsvText(l);
        const exchange::CImportResult r = Import(strSource, format);
        ASSERT_TRUE(r.bOk) << r.strError;
        EXPECT_EQ(r.nChanged, 0);
        EXPECT_TRUE(r.notes.empty());
        EXPECT_EQ(Changed(base, after), (std::map<std::size_t, std::uint8_t>{}));
    }
}

TEST_F(SettingsExchangeOld, ExportThenImportOfTheSameFileChangesNoByte) {
    const exchange::CImportResult r = Import(Json());
    ASSERT_TRUE(r.bOk) << r.strError;
    EXPECT_EQ(r.nChanged, 0);
    EXPECT_EQ(after, base);
    ASSERT_TRUE(
        Import(exchange::CsvText(exchange::Decode(*fx.pDoc)), exchange::ImportFormat::Csv).bOk);
    EXPECT_EQ(after, base);
}

// One edit of the exported JSON and the image bytes it must change (address -> value), from the
// newer radio's memory map.
struct CEditCase {
    const char* pszName;
    std::function<void(json&)> edit;
    std::function<std::map<std::size_t, std::uint8_t>(const std::vector<std::uint8_t>& image)>
        expected;
};

std::uint8_t At(const std::vector<std::uint8_t>& file, std::size_t nAddr) {
    return file[kSig + nAddr];
}

TEST_F(SettingsExchange, AnEditedValueChangesExactlyItsBytes) {
    const CEditCase cases[] = {
        {"frequency number of channel 3", [](json& j) { j["channels"][2]["freqNumber"] = 20; },
         [](auto&) {
             return std::map<std::size_t, std::uint8_t>{{0x011, 20}};
         }},
        {"signal of channel 1", [](json& j) { j["channels"][0]["signal"] = "121"; },
         [](auto&) {
             return std::map<std::size_t, std::uint8_t>{{0x004, 121}};
         }},
        {"signal back to OFF", [](json& j) { j["channels"][1]["signal"] = "OFF"; },
         [](auto&) {
             return std::map<std::size_t, std::uint8_t>{{0x00C, 0}};
         }},
        {"scan of channel 2", [](json& j) { j["channels"][1]["scan"] = "Del"; },
         [](auto& f) {
             return std::map<std::size_t, std::uint8_t>{
                 {0x00E, static_cast<std::uint8_t>(At(f, 0x00E) & ~1)}};
         }},
        {"TOT", [](json& j) { j["featureSettings"]["TOT"] = "OFF"; },
         [](auto&) {
             return std::map<std::size_t, std::uint8_t>{{0x325, 0}};
         }},
        {"squelch level (stored plus one)",
         [](json& j) { j["featureSettings"]["Squelch Level"] = "4"; },
         [](auto&) {
             return std::map<std::size_t, std::uint8_t>{{0x322, 4}};
         }},
        {"call tone switched off clears its level",
         [](json& j) { j["featureSwitches"]["Call Tone"] = false; },
         [](auto& f) {
             return std::map<std::size_t, std::uint8_t>{
                 {0x323, static_cast<std::uint8_t>(At(f, 0x323) & ~0x20)}, {0x321, 0}};
         }},
        {"channel count, selection kept", [](json& j) { j["channelCount"] = 30; },
         [](auto&) {
             return std::map<std::size_t, std::uint8_t>{{0x318, 30}};
         }},
        {"channel count below the selection moves it",
         [](json& j) {
             j["channelCount"] = 3;
             j["channels"] = json::array();
             j.erase("selectedChannel");
         },
         [](auto&) {
             return std::map<std::size_t, std::uint8_t>{{0x318, 3}, {0x319, 3}};
         }},
        {"selected channel", [](json& j) { j["selectedChannel"] = 0; },
         [](auto&) {
             return std::map<std::size_t, std::uint8_t>{{0x319, 0}};
         }},
        // 462.56875 MHz = 74011 steps of 6.25 kHz = 0x01211B, receive code 0, marker set.
        {"receive frequency of entry 5 on the 6.25 kHz raster",
         [](json& j) { j["frequencies"][4]["rx"] = 462.56875; },
         [](auto& f) {
             return std::map<std::size_t, std::uint8_t>{
                 {0x370, 0x1B},
                 {0x371, 0x21},
                 {0x372, 0x01},
                 {0x376, static_cast<std::uint8_t>((At(f, 0x376) & ~0x03) | 0x10)}};
         }},
        // 465.01 MHz = 46501 steps of 10 kHz = 0x00B5A5, transmit code 1 in bits 2-3; the
        // high byte was 0 already (464.5 MHz = 0x009128 steps of 12.5 kHz).
        {"transmit frequency of entry 1 on the 10 kHz raster",
         [](json& j) { j["frequencies"][0]["tx"] = "465.01"; },
         [](auto& f) {
             return std::map<std::size_t, std::uint8_t>{
                 {0x353, 0xA5},
                 {0x354, 0xB5},
                 {0x356, static_cast<std::uint8_t>((At(f, 0x356) & ~0x0C) | 0x04 | 0x10)}};
         }},
    };
    const std::string strExport = Json();
    for (const CEditCase& c : cases) {
        // Each case starts from the base file again.
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        json j = json::parse(strExport);
        c.edit(j);
        const exchange::CImportResult r = Import(j.dump());
        ASSERT_TRUE(r.bOk) << c.pszName << ": " << r.strError;
        EXPECT_EQ(Changed(base, after), c.expected(base)) << c.pszName;
    }
}

TEST_F(SettingsExchange, FrequenciesAreLimitedToTheRangeAndPutOnTheRasterWithANote) {
    struct {
        double dGiven;
        const char* pszStored;
    } const cases[] = {
        {480.0, "470.00000"},    // above the file's range 400..470
        {399.0, "400.00000"},    // below it
        {462.5631, "462.56250"}, // on no raster: down to 12.5 kHz
        {462.5131, "462.51250"}, // likewise
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        json j = json::parse(Json());
        j["frequencies"][9]["rx"] = c.dGiven;
        const exchange::CImportResult r = Import(j.dump());
        ASSERT_TRUE(r.bOk) << r.strError;
        ASSERT_EQ(r.notes.size(), 1u) << c.dGiven;
        EXPECT_NE(r.notes[0].find(std::string("stored as ") + c.pszStored), std::string::npos)
            << r.notes[0];
        EXPECT_NE(r.notes[0].find("frequencies[9].rx"), std::string::npos) << r.notes[0];
    }
}

TEST_F(SettingsExchange, TheNonStandardMarkerFollowsTheFrequencyTablesRule) {
    // Entry 1's standard frequency is 464.5 MHz; the marker is bit 4 of record byte 6.
    struct {
        const char* pszName;
        std::vector<std::pair<const char*, double>> steps; // column, value, in order
        bool bMarker;
    } const cases[] = {
        {"a transmit frequency off the standard sets it", {{"tx", 465.0}}, true},
        {"receive back to standard keeps it while transmit is off",
         {{"tx", 465.0}, {"rx", 464.0}, {"rx", 464.5}},
         true},
        {"both back to standard clear it", {{"tx", 465.0}, {"tx", 464.5}}, false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        for (const auto& [pszColumn, dValue] : c.steps) {
            json j = json::parse(Json());
            j["frequencies"][0][pszColumn] = dValue;
            ASSERT_TRUE(Import(j.dump()).bOk) << c.pszName;
        }
        EXPECT_EQ((At(after, 0x356) & 0x10) != 0, c.bMarker) << c.pszName;
    }
}

TEST_F(SettingsExchange, AnInvalidValueIsRefusedWithFieldValueAndRuleAndNothingChanges) {
    struct {
        std::function<void(json&)> edit;
        const char* pszError; // a part of the message: the field, the value, the rule
    } const cases[] = {
        {[](json& j) { j["channels"][0]["freqNumber"] = 100; },
         "channels[0].freqNumber: 100: a frequency number is 1 to 99"},
        {[](json& j) { j["channels"][0]["freqNumber"] = 0; }, "freqNumber: 0:"},
        {[](json& j) { j["channels"][0]["freqNumber"] = -3; }, "freqNumber: -3:"},
        {[](json& j) { j["channels"][0]["signal"] = "122"; }, "signal: 122: a signal is \"OFF\""},
        {[](json& j) { j["channels"][0]["signal"] = 122; }, "from 1 to 121"},
        {[](json& j) { j["channels"][0]["scan"] = "Maybe"; }, "scan is \"Add\" or \"Del\""},
        {[](json& j) { j["channels"][0]["channel"] = 13; }, "(the channels in use)"},
        {[](json& j) { j["channels"][0]["colour"] = "red"; }, "channels[0].colour"},
        {[](json& j) { j["channelCount"] = 100; },
         "channelCount: 100: the channel count is 1 to 99"},
        {[](json& j) { j["channelCount"] = 0; }, "channelCount: 0:"},
        {[](json& j) { j["selectedChannel"] = 13; }, "selectedChannel: 13:"},
        {[](json& j) { j["featureSettings"]["TOT"] = "2 Minute"; },
         "featureSettings.TOT: \"2 Minute\": one of \"OFF\", \"1 Minute\", \"5 Minute\""},
        {[](json& j) { j["featureSettings"]["Volume"] = "3"; }, "featureSettings.Volume"},
        {[](json& j) {
             j["featureSwitches"]["VOX"] = false;
             j["featureSettings"]["VOX"] = "3";
         },
         "its switch is off"},
        {[](json& j) { j["featureSwitches"]["Turbo"] = true; }, "no such switch"},
        {[](json& j) { j["featureSwitches"]["VOX"] = "yes"; }, "a switch is true or false"},
        {[](json& j) { j["frequencies"][0]["rx"] = "abc"; }, "frequencies[0].rx: \"abc\""},
        {[](json& j) { j["frequencies"][0]["number"] = 100; }, "a frequency number is 1 to 99"},
        {[](json& j) { j["model"] = "WR7310S"; }, "model: \"WR7310S\""},
        {[](json& j) { j["colour"] = 1; }, "colour: 1: not a key of the settings"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        json j = json::parse(Json());
        j["channels"][3]["freqNumber"] = 40; // a valid edit that must not survive the refusal
        c.edit(j);
        const std::vector<std::uint8_t> data(fx.pDoc->Data().begin(), fx.pDoc->Data().end());
        const exchange::CImportResult r = Import(j.dump());
        EXPECT_FALSE(r.bOk) << c.pszError;
        EXPECT_NE(r.strError.find(c.pszError), std::string::npos) << r.strError;
        EXPECT_EQ(std::vector<std::uint8_t>(fx.pDoc->Data().begin(), fx.pDoc->Data().end()), data)
            << c.pszError;
        EXPECT_EQ(after, base) << c.pszError;
    }
    EXPECT_FALSE(Import("{\"channels\": [").bOk);
    EXPECT_NE(Import("[1, 2]").strError.find("an object is needed"), std::string::npos);
}

TEST_F(SettingsExchange, CsvTablesRoundTripAndAnEditedRowChangesItsBytes) {
    const std::string strCsv = exchange::CsvText(exchange::Decode(*fx.pDoc));
    EXPECT_EQ(strCsv.rfind("channel,frequency number,signal,scan\n1,8,10,Del\n", 0), 0u) << strCsv;
    EXPECT_NE(
        strCsv.find("\n\nnumber,rx MHz,tx MHz\n1,464.50000,464.50000\n2,462.56250,465.01000\n"),
        std::string::npos)
        << strCsv;

    // As a spreadsheet saves it: CRLF, quoted cells, only some rows, tables in either order.
    const exchange::CImportResult r =
        Import("number,rx MHz,tx MHz\r\n5,\"467.85000\",462.56250\r\n\r\n"
               "channel,frequency number,signal,scan\r\n3,20,OFF,Add\r\n",
               exchange::ImportFormat::Csv);
    ASSERT_TRUE(r.bOk) << r.strError;
    const auto changed = Changed(base, after);
    // Channel 3 (record at 0x010): frequency number 20, signal 0, scan bit set.
    EXPECT_EQ(changed.at(0x011), 20);
    EXPECT_EQ(changed.count(0x014), 0u); // its signal was OFF already
    EXPECT_EQ(changed.at(0x016) & 1, 1);
    // Entry 5's transmit frequency 462.5625 = 37005 = 0x00908D steps of 12.5 kHz (the code
    // it had), now off the standard: the marker is set. Its receive frequency stays.
    EXPECT_EQ(changed.at(0x373), 0x8D);
    EXPECT_EQ(changed.at(0x374), 0x90);
    EXPECT_EQ(changed.at(0x376), At(base, 0x376) | 0x10);
    EXPECT_EQ(changed.count(0x370), 0u);
    EXPECT_EQ(changed.size(), 5u); // 0x011, 0x016, 0x373, 0x374, 0x376

    for (const char* pszBad : {"1,2,3\n", "channel,frequency number,signal,scan\n1,2,OFF\n",
                               "number,rx MHz,tx MHz\n1,x,464.5\n",
                               "channel,frequency number,signal,scan\nA,2,OFF,Add\n"}) {
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        const exchange::CImportResult bad = Import(pszBad, exchange::ImportFormat::Csv);
        EXPECT_FALSE(bad.bOk) << pszBad;
        EXPECT_NE(bad.strError.find("CSV line"), std::string::npos) << bad.strError;
        EXPECT_EQ(after, base) << pszBad;
    }
}

} // namespace
