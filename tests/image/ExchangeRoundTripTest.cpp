// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever export writes, import takes back: for any radio file of either model (random bytes,
// an erased radio, counts and codes the editor cannot show), export then import onto the same
// file changes no byte and reports no change, in JSON and in CSV.
#include "DocTestSupport.h"
#include "exchange/SettingsExchange.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

// The number of random images per model; each is exported and imported in both formats.
constexpr int kRandomImages = 300;

struct CImageCase {
    std::string strName;
    std::function<void(std::span<std::uint8_t> image, const CVariant& v)> fill;
};

std::vector<CImageCase> ImageCases() {
    std::vector<CImageCase> cases = {
        {"erased radio", [](auto image, const CVariant&) { std::ranges::fill(image, 0xFF); }},
        {"all zero", [](auto image, const CVariant&) { std::ranges::fill(image, 0x00); }},
        {"channel count 0", [](auto image, const CVariant& v) { image[v.nChannelCount] = 0; }},
        {"channel count 20, selection 30",
         [](auto image, const CVariant& v) {
             image[v.nChannelCount] = 20;
             image[v.nCurrentChannel] = 30;
         }},
        {"signal 255, frequency number 0",
         [](auto image, const CVariant& v) {
             field::CChannelRecord rec = field::GetChannel(image, v, 1);
             rec.nSignalCode = 255;
             rec.nFreqNumber = 0;
             field::SetChannel(image, v, 1, rec);
         }},
    };
    for (int i = 0; i < kRandomImages; ++i)
        cases.push_back({"random image " + std::to_string(i), [i](auto image, const CVariant&) {
                             std::mt19937 random(static_cast<std::uint32_t>(7919 * i + 1));
                             for (std::uint8_t& b : image)
                                 b = static_cast<std::uint8_t>(random() & 0xFF);
                         }});
    return cases;
}

class ExchangeRoundTrip : public ::testing::TestWithParam<const CVariant*> {};

TEST_P(ExchangeRoundTrip, ExportThenImportOntoTheSameFileGivesTheIdenticalFile) {
    const CVariant& v = *GetParam();
    CDocFixture fx(v, kRange400to470);
    CWR7310Doc& doc = *fx.pDoc;
    doc.OnNewDocument();
    const std::vector<std::uint8_t> fresh = doc.SaveToBytes();
    int nRoundTrips = 0;
    for (const CImageCase& c : ImageCases()) {
        // The case's image in a radio file, as a radio read would leave it.
        std::vector<std::uint8_t> file = fresh;
        c.fill(std::span(file).subspan(v.nSignatureFieldSize, v.nImageSize), v);
        ASSERT_TRUE(doc.OnOpenBytes(file, "case"));
        const std::vector<std::uint8_t> base = doc.SaveToBytes();
        const exchange::CSettingsListing listing = exchange::Decode(doc);
        for (const auto format : {exchange::ImportFormat::Json, exchange::ImportFormat::Csv}) {
            const std::string strSource = format == exchange::ImportFormat::Json
                                              ? exchange::JsonText(listing)
                                              : exchange::CsvText(listing);
            ASSERT_TRUE(doc.OnOpenBytes(base, "base"));
            const exchange::CImportResult r = exchange::ImportSettings(doc, strSource, format);
            ASSERT_TRUE(r.bOk) << c.strName << ": " << r.strError;
            EXPECT_EQ(r.nChanged, 0) << c.strName;
            EXPECT_TRUE(r.notes.empty()) << c.strName << ": " << r.notes.front();
            EXPECT_EQ(r.nMissingChannels, 0) << c.strName;
            EXPECT_EQ(r.nMissingFreqs, 0) << c.strName;
            ASSERT_EQ(doc.SaveToBytes(), base) << c.strName;
            ++nRoundTrips;
        }
    }
    EXPECT_EQ(nRoundTrips, 2 * (kRandomImages + 5));
}

INSTANTIATE_TEST_SUITE_P(BothModels, ExchangeRoundTrip,
                         ::testing::Values(&XtraVariant(), &OldVariant()),
                         [](const auto& param) { return std::string(param.param->strModel); });

} // namespace
