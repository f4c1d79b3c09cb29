// SPDX-License-Identifier: GPL-3.0-or-later
// The Radio Information texts of both programs.
#include "image/RadioInfo.h"
#include "TempDir.h"
#include "app/WR7310App.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

void Put(std::vector<std::uint8_t>& image, std::size_t nAddr, const std::string& str) {
    std::copy(str.begin(), str.end(), image.begin() + static_cast<long>(nAddr));
}

TEST(RadioInfo, NewerProgramShowsItsWorkingRangeAndSevenVersionCharacters) {
    CTempDir dir;
    CWR7310App app(XtraVariant(), dir.File("none.ini"));
    app.m_dMinFreq = 400.00625;
    app.m_dMaxFreq = 470.0;
    std::vector<std::uint8_t> image(0x800, 0);
    Put(image, 0x328, "MT-7310-LONGMODELNAME"); // 21 characters: cut to 16
    Put(image, 0x338, "SN-0042");
    Put(image, 0x668, "1.02.05-beta");
    image[0x34E] = 0x98; // 21400 kHz
    image[0x34F] = 0x53;
    const CRadioInfoTexts t = RadioInfoTexts(app.m_variant, app.Range(), image);
    EXPECT_EQ(t.strRange, "400.00625 - 470.00000 MHz");
    EXPECT_EQ(t.strModel, "MT-7310-LONGMODE");
    EXPECT_EQ(t.strSerial, "SN-0042");
    EXPECT_EQ(t.strVersion, "1.02.05");
    EXPECT_EQ(t.strOscillator, "21.40 MHz");
}

TEST(RadioInfo, OlderProgramShowsTheRadiosRangeInWholeMegahertzAndMarksTheVersion) {
    CTempDir dir;
    CWR7310App app(OldVariant(), dir.File("none.ini"));
    std::vector<std::uint8_t> image(0x400, 0);
    const std::uint8_t range[6] = {0x00, 0x1F, 0x01, 0xC0, 0x25, 0x01}; // 73472, 75200 steps
    std::copy(std::begin(range), std::end(range), image.begin() + 0x138);
    Put(image, 0x360, "1.01.08x");
    image[0x13E] = 0x02; // 21250 kHz
    image[0x13F] = 0x53;
    const CRadioInfoTexts t = RadioInfoTexts(app.m_variant, app.Range(), image);
    EXPECT_EQ(t.strRange, "459 - 470MHz"); // 459.2 MHz, not the fixed band's 460
    EXPECT_EQ(t.strVersion, "V1.01.08");
    EXPECT_EQ(t.strOscillator, "21.25MHz");

    std::fill_n(image.begin() + 0x360, 16, std::uint8_t{0});
    EXPECT_EQ(RadioInfoTexts(app.m_variant, app.Range(), image).strVersion,
              ""); // no "V" before nothing
}

} // namespace
