// SPDX-License-Identifier: GPL-3.0-or-later
// Export and import of a radio file's settings: the round trip leaves every byte alone, an
// edit changes exactly the bytes of the values it names, and a value that breaks a rule is
// refused with nothing changed.
#include "exchange/SettingsExchange.h"
#include "DocTestSupport.h"
#include "image/FreqCodec.h"
#include "image/ImageFields.h"
#include "view/FeaturePanel.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <set>
#include <tuple>

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
        doc.SetFreqRecord(2, field::EncodeFreqRecord(dRx, dTx, true, fx.pApp->Range()));
        d[v.settings.nTotSetting] = 2;
    }

    std::string Json() { return exchange::JsonText(exchange::Decode(*fx.pDoc)); }

    // Imports the source; the document is then saved and compared with the base.
    exchange::CImportResult Import(const std::string& strSource,
                                   exchange::ImportFormat format = exchange::ImportFormat::Json,
                                   bool bNewDocument = false) {
        exchange::CImportOptions options;
        options.strSourceName = format == exchange::ImportFormat::Json ? "radio.json" : "radio.csv";
        options.bNewDocument = bNewDocument;
        const exchange::CImportResult r =
            exchange::ImportSettings(*fx.pDoc, strSource, format, options);
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
        EXPECT_NE(r.notes[0].find(std::string("is stored as \"") + c.pszStored + "\""),
                  std::string::npos)
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
        const char* pszError; // the message: the file, the field, the value and the rule
    } const cases[] = {
        {[](json& j) { j["channels"][0]["freqNumber"] = 100; },
         "radio.json: channels[0].freqNumber: \"100\" is not a frequency number (1 to 99)"},
        {[](json& j) { j["channels"][0]["freqNumber"] = 0; },
         "radio.json: channels[0].freqNumber: \"0\" is not a frequency number (1 to 99)"},
        {[](json& j) { j["channels"][0]["freqNumber"] = -3; },
         "radio.json: channels[0].freqNumber: \"-3\" is not a frequency number (1 to 99)"},
        {[](json& j) { j["channels"][0]["signal"] = "122"; },
         "radio.json: channels[0].signal: \"122\" is not a signal code (\"OFF\" or 1 to 121)"},
        {[](json& j) { j["channels"][0]["signal"] = 122; },
         "radio.json: channels[0].signal: \"122\" is not a signal code (\"OFF\" or 1 to 121)"},
        {[](json& j) { j["channels"][0]["signal"] = "loud"; },
         "radio.json: channels[0].signal: \"loud\" is not a signal code"},
        {[](json& j) { j["channels"][0]["scan"] = "Maybe"; },
         "radio.json: channels[0].scan: \"Maybe\" is not \"Add\" or \"Del\""},
        {[](json& j) { j["channels"][0]["channel"] = 13; },
         "radio.json: channels[0].channel: \"13\" is not a channel in use (1 to 12)"},
        {[](json& j) { j["channels"][1]["channel"] = 1; },
         "radio.json: channels[1].channel: Channel \"1\" is also in channels[0]"},
        {[](json& j) { j["channels"][0]["colour"] = "red"; },
         "radio.json: channels[0]: \"colour\" is not a key of a channel"},
        {[](json& j) { j["channels"][0].erase("channel"); },
         "radio.json: channels[0]: A channel names its \"channel\" number"},
        {[](json& j) { j["channelCount"] = 100; },
         "radio.json: channelCount: \"100\" is not a channel count (1 to 99)"},
        {[](json& j) { j["channelCount"] = 0; },
         "radio.json: channelCount: \"0\" is not a channel count (1 to 99)"},
        {[](json& j) { j["selectedChannel"] = 13; },
         "radio.json: selectedChannel: \"13\" is not a channel in use (0 to 12)"},
        {[](json& j) { j["featureSettings"]["TOT"] = "2 Minute"; },
         "radio.json: featureSettings.TOT: \"2 Minute\" is not one of \"OFF\", \"1 Minute\", "
         "\"5 Minute\""},
        {[](json& j) { j["featureSettings"]["Volume"] = "3"; },
         "radio.json: featureSettings: \"Volume\" is not a setting of the WR7310SXtra"},
        {[](json& j) {
             j["featureSwitches"]["VOX"] = false;
             j["featureSettings"]["VOX"] = "3";
         },
         "radio.json: featureSettings.VOX: \"3\" cannot be kept: its switch is off"},
        {[](json& j) { j["featureSwitches"]["Turbo"] = true; },
         "radio.json: featureSwitches: \"Turbo\" is not a switch of the WR7310SXtra"},
        {[](json& j) { j["featureSwitches"]["VOX"] = "yes"; },
         "radio.json: featureSwitches.VOX: \"yes\" is not true or false"},
        {[](json& j) { j["frequencies"][0]["rx"] = "abc"; },
         "radio.json: frequencies[0].rx: \"abc\" is not a frequency in MHz"},
        {[](json& j) { j["frequencies"][0]["number"] = 100; },
         "radio.json: frequencies[0].number: \"100\" is not a frequency number (1 to 99)"},
        {[](json& j) { j["frequencies"][0]["nonStandard"] = 1; },
         "radio.json: frequencies[0].nonStandard: \"1\" is not true or false"},
        {[](json& j) { j["model"] = "WR7310S"; },
         "radio.json: model: \"WR7310S\" is not the WR7310SXtra this import is for"},
        {[](json& j) { j["schema"] = 2; },
         "radio.json: schema: \"2\" is not a schema this version reads (1)"},
        {[](json& j) { j["colour"] = 1; }, "radio.json: \"colour\" is not a key of the settings"},
        {[](json& j) { j["channels"] = json::object(); },
         "radio.json: channels: \"{...}\" is not a list"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        json j = json::parse(Json());
        j["channels"][3]["freqNumber"] = 40; // a valid edit that must not survive the refusal
        c.edit(j);
        const std::vector<std::uint8_t> data(fx.pDoc->Data().begin(), fx.pDoc->Data().end());
        const exchange::CImportResult r = Import(j.dump());
        EXPECT_FALSE(r.bOk) << c.pszError;
        EXPECT_EQ(r.strError.rfind(c.pszError, 0), 0u) << r.strError;
        EXPECT_EQ(std::vector<std::uint8_t>(fx.pDoc->Data().begin(), fx.pDoc->Data().end()), data)
            << c.pszError;
        EXPECT_EQ(after, base) << c.pszError;
    }
    EXPECT_EQ(Import("[1, 2]").strError, "radio.json: \"[...]\" is not an object");
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
}

TEST_F(SettingsExchange, MalformedJsonIsRefusedWithItsPlaceAndABoundedMessage) {
    const std::string strDeep = std::string(100000, '[') + std::string(100000, ']');
    std::string strDeepObjects;
    for (int i = 0; i < 100000; ++i)
        strDeepObjects += "{\"a\":";
    strDeepObjects += "1" + std::string(100000, '}');
    struct {
        std::string strSource;
        std::string strError; // the start of the message
    } const cases[] = {
        {R"({"frequencies": [{"number": 1, "rx": 1e999}]})",
         "radio.json:1: frequencies[0].rx: \"1e999\" is too large a number"},
        {"{\"channels\": [{\"channel\": 1,\n \"freqNumber\": " + std::string(300000, '9') + "}]}",
         "radio.json:2: channels[0].freqNumber: \"" + std::string(40, '9') +
             "...\" is too large a number"},
        {"{\"colour\": " + strDeep + "}",
         "radio.json: colour[0][0][0]: Nested deeper than 4 levels (a settings file has 3)"},
        {"{\"channels\": [{\"channel\": 1, \"scan\": " + strDeepObjects + "}]}",
         "radio.json: channels[0].scan.a: Nested deeper than 4 levels"},
        {strDeep, "radio.json: [0][0][0][0]: Nested deeper than 4 levels"},
        {"{\"channels\": [", "radio.json:1: Not JSON: syntax error while parsing value"},
        {"{\n\"channelCount\": 8,\n\"selectedChannel\": tru\n}",
         "radio.json:3: Not JSON: syntax error while parsing value - invalid literal"},
        {"{\"featureSettings\": {\"TOT\": \"" + std::string(100000, 'x') + "\"}}",
         "radio.json: featureSettings.TOT: \"" + std::string(40, 'x') + "...\" is not one of"},
        {R"({"featureSettings": {"TOT": "\u001b[2J"}})",
         "radio.json: featureSettings.TOT: \"\\x1B[2J\" is not one of"},
        {"{\"" + std::string(100000, 'k') + "\": 1}",
         "radio.json: \"" + std::string(40, 'k') + "...\" is not a key of the settings"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        const exchange::CImportResult r = Import(c.strSource);
        EXPECT_FALSE(r.bOk);
        EXPECT_EQ(r.strError.substr(0, c.strError.size()), c.strError);
        EXPECT_LT(r.strError.size(), 300u) << r.strError.substr(0, 300);
        EXPECT_EQ(after, base) << c.strError;
    }
}

TEST_F(SettingsExchange, AnEmptySourceIsRefusedInEitherFormat) {
    for (const auto format : {exchange::ImportFormat::Json, exchange::ImportFormat::Csv})
        for (const char* pszSource : {"", " \n\t", "\r\n\r\n", "\xEF\xBB\xBF\n"}) {
            const exchange::CImportResult r = Import(pszSource, format);
            EXPECT_FALSE(r.bOk);
            EXPECT_EQ(r.strError, format == exchange::ImportFormat::Json
                                      ? "radio.json: Holds no settings"
                                      : "radio.csv: Holds no settings");
            EXPECT_EQ(after, base);
        }
}

TEST_F(SettingsExchangeOld, AFrequencyNumberBeyondTheOlderTableIsRefused) {
    struct {
        std::function<void(json&)> edit;
        const char* pszError; // empty: accepted
    } const cases[] = {
        {[](json& j) { j["channels"][0]["freqNumber"] = 56; }, ""},
        {[](json& j) { j["channels"][0]["freqNumber"] = 57; },
         "radio.json: channels[0].freqNumber: \"57\" is not a frequency number (1 to 56)"},
        {[](json& j) { j["channels"][0]["freqNumber"] = 99; },
         "radio.json: channels[0].freqNumber: \"99\" is not a frequency number (1 to 56)"},
        {[](json& j) {
             j["frequencies"].push_back({{"number", 57}, {"rx", 465.0}});
         },
         "radio.json: frequencies[56].number: \"57\" is not a frequency number (1 to 56)"},
        {[](json& j) { j["channels"][0]["channel"] = 9; },
         "radio.json: channels[0].channel: \"9\" is not a channel (1 to 8)"},
        {[](json& j) { j["model"] = "WR7310SXtra"; },
         "radio.json: model: \"WR7310SXtra\" is not the WR7310S this import is for"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        json j = json::parse(Json());
        c.edit(j);
        const exchange::CImportResult r = Import(j.dump());
        EXPECT_EQ(r.bOk, *c.pszError == 0) << c.pszError << r.strError;
        EXPECT_EQ(r.strError.rfind(c.pszError, 0), 0u) << r.strError;
    }
}

TEST_F(SettingsExchange, NoFrequencyIsStoredThatIsNotFinite) {
    const std::vector<std::pair<std::string, exchange::ImportFormat>> sources = {
        {R"({"frequencies": [{"number": 3, "rx": "inf"}]})", exchange::ImportFormat::Json},
        {R"({"frequencies": [{"number": 3, "rx": "nan"}]})", exchange::ImportFormat::Json},
        {R"({"frequencies": [{"number": 3, "tx": "-inf"}]})", exchange::ImportFormat::Json},
        {R"({"frequencies": [{"number": 3, "tx": "1e999"}]})", exchange::ImportFormat::Json},
        {R"({"frequencies": [{"number": 3, "tx": -1e999}]})", exchange::ImportFormat::Json},
        {"number,rx MHz,tx MHz\n3,inf,464.5\n", exchange::ImportFormat::Csv},
        {"number,rx MHz,tx MHz\n3,464.5,NaN\n", exchange::ImportFormat::Csv},
        {"number,rx MHz,tx MHz\n3,464.5,1e400\n", exchange::ImportFormat::Csv},
    };
    for (const auto& [strSource, format] : sources) {
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        const exchange::CImportResult r = Import(strSource, format);
        EXPECT_FALSE(r.bOk) << strSource;
        EXPECT_EQ(after, base) << strSource;
    }
}

TEST_F(SettingsExchange, ARawItemIsKeptOnlyWhenGivenWhole) {
    const CVariant& v = fx.pDoc->m_variant;
    fx.pDoc->Data()[v.settings.nTotSetting] = 0x07; // no item of the TOT list
    base = fx.pDoc->SaveToBytes();
    ASSERT_EQ(json::parse(Json())["featureSettings"]["TOT"], "(0x07)");
    struct {
        const char* pszValue;
        bool bOk;
    } const cases[] = {
        {"(0x07)", true}, {"(0x07", false},   {"0x07)", false},   {"(0x08)", false},
        {"(0x7)", false}, {"(0x07) ", false}, {"(0x07))", false}, {"OFF", true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        const exchange::CImportResult r =
            Import(std::string(R"({"featureSettings": {"TOT": ")") + c.pszValue + "\"}}");
        EXPECT_EQ(r.bOk, c.bOk) << c.pszValue;
        EXPECT_EQ(At(after, v.settings.nTotSetting), c.bOk && c.pszValue[0] == 'O' ? 0 : 0x07)
            << c.pszValue;
    }
}

// Every dependent switch of both models, changed alone while its master is on: only its own
// bit changes.
TEST(SettingsExchangeSwitches, AChangedDependentSwitchLeavesItsMasterAlone) {
    int nChecked = 0;
    for (const CVariant* pVariant : {&XtraVariant(), &OldVariant()}) {
        CDocFixture fx(*pVariant, kRange400to470);
        fx.pDoc->OnNewDocument();
        for (const feature::CSwitchDef& def : feature::kSwitches) {
            const auto f = feature::SwitchField(*pVariant, def.nId);
            const auto master = feature::SwitchField(*pVariant, def.nMaster);
            if (def.nMaster == 0 || !f || !master || !feature::SwitchStored(*pVariant, def.nId))
                continue;
            for (const bool bOn : {false, true}) {
                field::SetBit(fx.pDoc->Data(), *master, true);
                field::SetBit(fx.pDoc->Data(), *f, !bOn);
                const std::vector<std::uint8_t> base = fx.pDoc->SaveToBytes();
                json j;
                j["featureSwitches"]
                 [std::string(def.strText.substr(0, def.strText.find_last_not_of(' ') + 1))] = bOn;
                const exchange::CImportResult r =
                    exchange::ImportSettings(*fx.pDoc, j.dump(), exchange::ImportFormat::Json);
                ASSERT_TRUE(r.bOk) << r.strError;
                EXPECT_EQ(r.nChanged, 1) << def.strText;
                // Its own bit, and the list it gates when it was turned off.
                std::set<std::size_t> allowed = {f->nAddr};
                if (def.nList != 0 && !bOn)
                    allowed.insert(feature::ListField(*pVariant, def.nList).nAddr);
                for (const auto& [nAddr, nValue] : Changed(base, fx.pDoc->SaveToBytes()))
                    EXPECT_TRUE(allowed.count(nAddr)) << def.strText << " changed " << nAddr;
                EXPECT_NE(field::GetBit(fx.pDoc->Data(), *f), !bOn) << def.strText;
                EXPECT_TRUE(field::GetBit(fx.pDoc->Data(), *master)) << def.strText;
                ++nChecked;
            }
        }
    }
    EXPECT_GE(nChecked, 8);
}

// One edit (channel 3: frequency number 20, scan Add; entry 5: transmit 462.5625 MHz) as
// spreadsheets save it: each variant must give the bytes and the summary of the plain form.
TEST_F(SettingsExchange, SpreadsheetStyleCsvGivesTheSameFile) {
    const std::string strPlain = "channel,frequency number,signal,scan\n3,20,OFF,Add\n\n"
                                 "number,rx MHz,tx MHz\n5,467.85000,462.56250\n";
    const exchange::CImportResult plain = Import(strPlain, exchange::ImportFormat::Csv);
    ASSERT_TRUE(plain.bOk) << plain.strError;
    const std::vector<std::uint8_t> expected = after;
    EXPECT_EQ(plain.nChanged, 3); // values, not channels: frequency number, scan, transmit
    EXPECT_EQ(plain.nMissingChannels, 11);
    EXPECT_EQ(plain.nMissingFreqs, 98);
    struct {
        const char* pszName;
        std::string strCsv;
    } const variants[] = {
        {"byte-order mark and CRLF", "\xEF\xBB\xBF"
                                     "channel,frequency number,signal,scan\r\n3,20,OFF,Add\r\n\r\n"
                                     "number,rx MHz,tx MHz\r\n5,467.85000,462.56250\r\n"},
        {"every cell quoted",
         "\"channel\",\"frequency number\",\"signal\",\"scan\"\n\"3\",\"20\",\"OFF\",\"Add\"\n"
         "\"number\",\"rx MHz\",\"tx MHz\"\n\"5\",\"467.85000\",\"462.56250\"\n"},
        {"trailing empty cells and rows of commas",
         "channel,frequency number,signal,scan,,\n3,20,OFF,Add,,\n,,,,,\n"
         "number,rx MHz,tx MHz,,,\n5,467.85000,462.56250,,,\n"},
        {"headers in any letter case",
         "Channel,Frequency Number,SIGNAL,Scan\n3,20,OFF,Add\nNUMBER,RX MHZ,Tx "
         "MHz\n5,467.85,462.5625\n"},
        {"columns in any order", "scan,signal,channel,frequency number\nAdd,OFF,3,20\ntx "
                                 "MHz,number,rx MHz\n462.5625,5,467.85\n"},
        {"tables in the other order, no last line break",
         "number,rx MHz,tx MHz\n5,467.85000,462.56250\nchannel,frequency number,signal,scan\n"
         "3,20,OFF,Add"},
        {"only the columns that change, blanks around cells",
         "channel , frequency number,scan\n 3 ,20, Add\nnumber,tx MHz\n5, 462.5625\n"},
        {"an empty cell keeps its value", "channel,frequency number,signal,scan\n3,20,,Add\n"
                                          "number,rx MHz,tx MHz\n5,,462.5625\n"},
        {"lower-case items", "channel,frequency number,signal,scan\n3,20,off,add\n"
                             "number,rx MHz,tx MHz\n5,467.85,462.5625\n"},
    };
    for (const auto& c : variants) {
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        const exchange::CImportResult r = Import(c.strCsv, exchange::ImportFormat::Csv);
        ASSERT_TRUE(r.bOk) << c.pszName << ": " << r.strError;
        EXPECT_EQ(after, expected) << c.pszName;
        EXPECT_EQ(r.nChanged, 3) << c.pszName;
    }
}

TEST_F(SettingsExchange, ACsvRefusalNamesTheLineAndColumnOfTheFile) {
    const std::string strHeader = "Channel,Frequency Number,Signal,Scan\r\n";
    struct {
        std::string strCsv;
        const char* pszError;
    } const cases[] = {
        {strHeader + "1,2,OFF,Add\r\n2,3,300,Del\r\n",
         "radio.csv:3: Column \"Signal\": \"300\" is not a signal code (\"OFF\" or 1 to 121)"},
        {strHeader + "3,20,OFF,Add\r\n1,2,OFF,Add\r\n3,21,OFF,Add\r\n",
         "radio.csv:4: Column \"Channel\": Channel \"3\" is also on line 2"},
        {"number,rx MHz,tx MHz\n5,467.85,462.5625\n\n5,467.85,462.5625\n",
         "radio.csv:4: Column \"number\": Number \"5\" is also on line 2"},
        {strHeader + "1,100,OFF,Add\r\n",
         "radio.csv:2: Column \"Frequency Number\": \"100\" is not a frequency number (1 to 99)"},
        {strHeader + "1,x,OFF,Add\r\n",
         "radio.csv:2: Column \"Frequency Number\": \"x\" is not a frequency number"},
        {strHeader + "1,2,OFF,Maybe\r\n", "radio.csv:2: Column \"Scan\": \"Maybe\" is not \"Add\""},
        {strHeader + "100,2,OFF,Add\r\n",
         "radio.csv:2: Column \"Channel\": \"100\" is not a channel (1 to 99)"},
        {strHeader + "A,2,OFF,Add\r\n",
         "radio.csv:2: Column \"Channel\": \"A\" is not a channel number"},
        {strHeader + ",2,OFF,Add\r\n", "radio.csv:2: The row has no channel number"},
        {strHeader + "1,2,OFF,Add,x\r\n",
         "radio.csv:2: Column 5: \"x\" is in no column of the header on line 1"},
        {"channel,frequency number,colour\n",
         "radio.csv:1: Column 3: \"colour\" is not a column of the channel table"},
        {"channel,scan,Scan\n", "radio.csv:1: Column 3: \"Scan\" is a second column of that name"},
        {"1,2,3\n", "radio.csv:1: \"1\" comes before a table's header"},
        {"number,rx MHz,tx MHz\n\n\n1,x,464.5\n",
         "radio.csv:4: Column \"rx MHz\": \"x\" is not a frequency in MHz"},
        {"number,rx MHz,tx MHz\n0,464.5,464.5\n",
         "radio.csv:2: Column \"number\": \"0\" is not a frequency number (1 to 99)"},
        {strHeader + "1,2,\"OFF,Add\r\n", "radio.csv:2: A quoted cell is not closed"},
        {strHeader + "1,2,OFF,\"Add\"\r\n\"2\r\n\",3,OFF,Del\r\n3,4,OFF,Sometimes\r\n",
         "radio.csv:3: Column \"Channel\": \"2\\x0D\\x0A\" is not a channel number"},
        {strHeader + "1,2,OFF,\"Add\r\n\"\r\n3,4,OFF,Sometimes\r\n",
         "radio.csv:2: Column \"Scan\": \"Add\\x0D\\x0A\" is not \"Add\" or \"Del\""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(fx.pDoc->OnOpenBytes(base, "base"));
        const exchange::CImportResult r = Import(c.strCsv, exchange::ImportFormat::Csv);
        EXPECT_FALSE(r.bOk) << c.pszError;
        EXPECT_EQ(r.strError.rfind(c.pszError, 0), 0u) << r.strError;
        EXPECT_EQ(after, base) << c.pszError;
    }
}

TEST_F(SettingsExchange, TheJsonIsTyped) {
    EXPECT_EQ(nlohmann::ordered_json::parse(Json()).begin().key(), "schema");
    const json j = json::parse(Json());
    EXPECT_EQ(j["schema"], 1);
    EXPECT_EQ(j["model"], "WR7310SXtra");
    EXPECT_EQ(j["channels"][0]["signal"], 10); // a number, as every number
    EXPECT_EQ(j["channels"][2]["signal"], "OFF");
    EXPECT_EQ(j["channels"][0]["freqNumber"], 8);
    EXPECT_EQ(j["channels"][0]["scan"], "Del");
    EXPECT_TRUE(j["featureSwitches"]["VOX"].is_boolean());
    EXPECT_TRUE(j["frequencies"][1]["rx"].is_number_float());
    // The string forms of the first exports are still read.
    const exchange::CImportResult r = Import(
        R"({"channelCount": "12", "channels": [{"channel": "1", "freqNumber": "8", "signal": "10",
            "scan": "Del"}], "frequencies": [{"number": "2", "rx": "462.56250"}]})");
    ASSERT_TRUE(r.bOk) << r.strError;
    EXPECT_EQ(r.nChanged, 0);
    EXPECT_EQ(after, base);
}

// A new document without a working range never stores a frequency as 0: it takes the range a
// JSON source carries, and a source without one is refused.
TEST(SettingsExchangeRange, ANewDocumentWithoutARangeTakesTheSourcesOrRefuses) {
    CDocFixture ranged(XtraVariant(), kRange400to470);
    ranged.pDoc->OnNewDocument();
    double dRx = 462.5625, dTx = 465.01;
    ranged.pDoc->SetFreqRecord(7, field::EncodeFreqRecord(dRx, dTx, true, ranged.pApp->Range()));
    const exchange::CSettingsListing l = exchange::Decode(*ranged.pDoc);
    const std::vector<std::uint8_t> source = ranged.pDoc->SaveToBytes();

    CDocFixture bare(XtraVariant());
    auto import = [&bare](const std::string& strText, exchange::ImportFormat format, bool bNew) {
        bare.pDoc->OnNewDocument();
        exchange::CImportOptions options;
        options.bNewDocument = bNew;
        return exchange::ImportSettings(*bare.pDoc, strText, format, options);
    };
    exchange::CImportResult r = import(exchange::JsonText(l), exchange::ImportFormat::Json, true);
    ASSERT_TRUE(r.bOk) << r.strError;
    EXPECT_EQ(bare.pDoc->SaveToBytes(), source); // the range bytes and every frequency
    ASSERT_FALSE(r.notes.empty());
    EXPECT_NE(r.notes[0].find("takes the range 400.00000 to 470.00000 MHz"), std::string::npos);

    for (const auto& [strText, format, bNew] :
         {std::tuple{exchange::CsvText(l), exchange::ImportFormat::Csv, true},
          std::tuple{exchange::JsonText(l), exchange::ImportFormat::Json, false}}) {
        r = import(strText, format, bNew);
        EXPECT_FALSE(r.bOk);
        EXPECT_TRUE(r.bNoRange);
        EXPECT_NE(r.strError.find("cannot be stored: the document has no frequency range"),
                  std::string::npos)
            << r.strError;
    }
}

TEST(SettingsExchangeRange, ACsvOfAllChannelsPutsThemInUseOnANewDocument) {
    CDocFixture full(XtraVariant(), kRange400to470);
    full.pDoc->OnNewDocument();
    const CVariant& v = full.pDoc->m_variant;
    full.pDoc->Data()[v.nChannelCount] = 99;
    for (int n = 1; n <= 99; ++n)
        full.pDoc->SetChannel(n, {static_cast<std::uint8_t>(100 - n),
                                  static_cast<std::uint8_t>(n % 122), n % 3 == 0});
    double dRx = 462.5625, dTx = 465.01;
    full.pDoc->SetFreqRecord(99, field::EncodeFreqRecord(dRx, dTx, true, full.pApp->Range()));
    const std::string strCsv = exchange::CsvText(exchange::Decode(*full.pDoc));

    CDocFixture fresh(XtraVariant(), kRange400to470);
    fresh.pDoc->OnNewDocument();
    const exchange::CImportResult r =
        exchange::ImportSettings(*fresh.pDoc, strCsv, exchange::ImportFormat::Csv, {"r.csv", true});
    ASSERT_TRUE(r.bOk) << r.strError;
    EXPECT_EQ(fresh.pDoc->Data()[v.nChannelCount], 99);
    for (int n = 1; n <= 99; ++n) {
        const field::CChannelRecord a = full.pDoc->GetChannel(n), b = fresh.pDoc->GetChannel(n);
        EXPECT_EQ(std::tie(a.nFreqNumber, a.nSignalCode, a.bScanAdd),
                  std::tie(b.nFreqNumber, b.nSignalCode, b.bScanAdd))
            << n;
    }
    EXPECT_EQ(FormatFrequency(fresh.pDoc->GetFreqRecord(99).TxMHz()), "465.01000");
    ASSERT_FALSE(r.notes.empty());
    EXPECT_EQ(r.notes[0],
              "r.csv: The channel count is raised from 8 to 99 (the channels the file holds)");
}

} // namespace
