// SPDX-License-Identifier: GPL-3.0-or-later
// The form's rules without widgets: field <-> selection, gates, tune bit, channel clamping.
#include "view/FeaturePanel.h"
#include "image/ImageFields.h"

#include <gtest/gtest.h>

#include <string>

#include <vector>

using namespace feature;

namespace {

const CVariant& V() {
    return XtraVariant();
}

std::vector<std::uint8_t> Blank() {
    return std::vector<std::uint8_t>(V().nImageSize, 0);
}

} // namespace

TEST(FeaturePanelRules, LoadMapsEveryFieldAndFlagsOutOfListValues) {
    auto data = Blank();
    data[0x320] = 5;    // VOX 5
    data[0x321] = 6;    // Call Tone: beyond "5"
    data[0x322] = 0;    // Squelch: below "1"
    data[0x325] = 2;    // TOT "5 Minute"
    data[0x31A] = 0x24; // TX power High (bit 5), Button Beep ON (bit 2)
    data[0x324] = 0x60; // Menu Enable (bit 6), Revert "Last Stop CH" (bit 5)
    data[0x323] = 0x88; // Button Beep switch (bit 7), Channel Number (bit 3)
    const CFeatureValues v = LoadFeatures(data, V());
    EXPECT_EQ(v.Index(kCboVox), 5);
    EXPECT_EQ(v.Index(kCboCallTone), -1);
    EXPECT_EQ(v.Index(kCboSquelch), -1);
    EXPECT_EQ(v.Index(kCboTot), 2);
    EXPECT_EQ(v.Index(kCboTxPower), 1);
    EXPECT_EQ(v.Index(kCboButtonBeep), 1);
    EXPECT_EQ(v.Index(kCboRangeAlarm), 0);
    EXPECT_EQ(v.Index(kCboRevert), 1);
    EXPECT_TRUE(v.Checked(kMenuEnable));
    EXPECT_TRUE(v.Checked(kButtonBeep));
    EXPECT_TRUE(v.Checked(kChannelNumber));
    EXPECT_FALSE(v.Checked(kVox));
    EXPECT_FALSE(v.Checked(kChannelSet));
}

TEST(FeaturePanelRules, StoreWritesSwitchBitsAndKeepsOtherBits) {
    auto data = Blank();
    data[0x323] = 0x10; // bit 4 belongs to no switch
    data[0x31A] = 0x13; // bits 0, 1, 4 belong to no field
    CFeatureValues v = LoadFeatures(data, V());
    for (const CSwitchDef& def : kSwitches)
        v.SetChecked(def.nId, true);
    StoreFeatures(v, data, V());
    EXPECT_EQ(data[0x323], 0xFF);        // 0, 1, 2, 3, 5, 6, 7 set; 4 kept
    EXPECT_EQ(data[0x324] & 0x4F, 0x4F); // 0, 1, 2, 3, 6
    EXPECT_EQ(data[0x31A] & 0xD3, 0xD3); // 7, 6 set; 0, 1, 4 kept
}

TEST(FeaturePanelRules, EmptyListsStoreMinusOne) {
    auto data = Blank();
    CFeatureValues v;
    for (const CSwitchDef& def : kSwitches)
        v.SetChecked(def.nId, true); // no gate applies
    for (const CListDef& def : kLists)
        v.SetIndex(def.nId, -1);
    StoreFeatures(v, data, V());
    EXPECT_EQ(data[0x320], 0xFF);
    EXPECT_EQ(data[0x321], 0xFF);
    EXPECT_EQ(data[0x325], 0xFF);
    EXPECT_EQ(data[0x322], 0); // index -1 plus one
}

TEST(FeaturePanelRules, SwitchedOffFeaturesStoreNoSetting) {
    auto data = Blank();
    CFeatureValues v;
    v.SetIndex(kCboVox, 4);
    v.SetIndex(kCboButtonBeep, 1);
    v.SetIndex(kCboCallTone, 3);
    v.SetIndex(kCboRangeAlarm, 1);
    v.SetIndex(kCboTxPower, 1);
    v.SetIndex(kCboSquelch, 2);
    StoreFeatures(v, data, V()); // every switch unchecked
    EXPECT_EQ(data[0x320], 0);
    EXPECT_EQ(data[0x321], 0);
    EXPECT_FALSE(field::GetBit(data, {0x31A, 2}));
    EXPECT_FALSE(field::GetBit(data, {0x31A, 3}));
    EXPECT_TRUE(field::GetBit(data, {0x31A, 5})); // TX power has no gate
    EXPECT_EQ(data[0x322], 3);

    // Each gate is tied to its own switch only.
    v.SetChecked(kVox, true);
    v.SetChecked(kRangeAlarm, true);
    StoreFeatures(v, data, V());
    EXPECT_EQ(data[0x320], 4);
    EXPECT_EQ(data[0x321], 0);
    EXPECT_FALSE(field::GetBit(data, {0x31A, 2}));
    EXPECT_TRUE(field::GetBit(data, {0x31A, 3}));
}

TEST(FeaturePanelRules, StoreClearsTheTuneSwitch) {
    auto data = Blank();
    data[0x324] = 0xFF;
    CFeatureValues v = LoadFeatures(data, V());
    StoreFeatures(v, data, V());
    EXPECT_EQ(data[0x324], 0x7F);
}

TEST(FeaturePanelRules, OlderModelNeverStoresMenuEnable) {
    const CVariant& old = OldVariant();
    std::vector<std::uint8_t> data(old.nImageSize, 0);
    CFeatureValues v;
    v.SetChecked(kMenuEnable, true); // shares its bit with "Revert Channel"
    v.SetIndex(kCboRevert, 0);
    StoreFeatures(v, data, old);
    EXPECT_FALSE(field::GetBit(data, old.switches.menuEnable));
    EXPECT_FALSE(SwitchField(old, kChannelSet).has_value());
}

TEST(FeaturePanelRules, OnlyAMasterTheUserCanChangeGreysItsSwitches) {
    // The newer form greys the five menu switches with "Menu Enable " and three with
    // "Channel Set"; the older form shows neither master, so nothing it offers is ever grey.
    const int kMenuSwitches[] = {kVox, kButtonBeep, kCallTone, kRangeAlarm, kManualTxPower};
    const int kChannelSwitches[] = {kFrequencySet, kSignalingSet};
    const int kFree[] = {kDefaultSetMode, kBatterySave, kTailCut, kKeypadLock};
    struct {
        const CVariant* pVariant;
        bool bMenuChecked;
        bool bChannelSetChecked;
        bool bMenuSwitchesEnabled;
        bool bChannelSwitchesEnabled;
    } const kCases[] = {
        {&XtraVariant(), false, false, false, false}, {&XtraVariant(), true, false, true, false},
        {&XtraVariant(), false, true, false, true},   {&XtraVariant(), true, true, true, true},
        {&OldVariant(), false, false, true, true},    {&OldVariant(), true, false, true, true},
    };
    for (const auto& c : kCases) {
        CFeatureValues v;
        v.SetChecked(kMenuEnable, c.bMenuChecked);
        v.SetChecked(kChannelSet, c.bChannelSetChecked);
        const std::string strTrace = std::string(c.pVariant->strModel) + " menu " +
                                     std::to_string(c.bMenuChecked) + " channel set " +
                                     std::to_string(c.bChannelSetChecked);
        for (int nId : kMenuSwitches)
            EXPECT_EQ(SwitchEnabled(v, *c.pVariant, nId), c.bMenuSwitchesEnabled)
                << strTrace << " id " << nId;
        for (int nId : kChannelSwitches)
            EXPECT_EQ(SwitchEnabled(v, *c.pVariant, nId), c.bChannelSwitchesEnabled)
                << strTrace << " id " << nId;
        for (int nId : kFree)
            EXPECT_TRUE(SwitchEnabled(v, *c.pVariant, nId)) << strTrace << " id " << nId;
    }
}

TEST(FeaturePanelRules, OlderDefaultsLeaveTheMenuSwitchesUsable) {
    // A new older document holds 0xCF at 0x10C: bit 5 ("Menu Enable " and "Revert Channel")
    // is clear.
    const CVariant& old = OldVariant();
    std::vector<std::uint8_t> data(old.nImageSize, 0);
    data[0x10C] = 0xCF;
    const CFeatureValues v = LoadFeatures(data, old);
    EXPECT_FALSE(v.Checked(kMenuEnable));
    EXPECT_EQ(v.Index(kCboRevert), 0);
    for (int nId : {kVox, kButtonBeep, kCallTone, kRangeAlarm, kManualTxPower})
        EXPECT_TRUE(SwitchEnabled(v, old, nId)) << nId;
}

TEST(ChannelListRules, ClampOnLoad) {
    auto data = Blank();
    data[0x318] = 0;
    data[0x319] = 5;
    auto sel = ClampChannelSelection(data, V());
    EXPECT_EQ(sel.nCount, 1);
    EXPECT_EQ(sel.nCurrent, 1);
    EXPECT_EQ(data[0x318], 1);
    EXPECT_EQ(data[0x319], 1);

    data[0x318] = 120;
    data[0x319] = 0;
    sel = ClampChannelSelection(data, V());
    EXPECT_EQ(sel.nCount, 99);
    EXPECT_EQ(sel.nCurrent, 0); // no selection stays no selection
}

TEST(ChannelListRules, FewerChannelsPullTheSelectionDown) {
    auto data = Blank();
    auto sel = ChangeChannelCount(data, V(), 10, 14); // "Selected CH" showed 15
    EXPECT_EQ(sel.nCount, 10);
    EXPECT_EQ(sel.nCurrent, 10);
    EXPECT_EQ(data[0x318], 10);
    EXPECT_EQ(data[0x319], 10);
    sel = ChangeChannelCount(data, V(), 30, 4);
    EXPECT_EQ(sel.nCurrent, 5);
    EXPECT_EQ(data[0x319], 5);
}
