// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the editing form, apart from its widgets: which control shows which image
// field, how a field becomes a list selection and back, the masters and the gates, and the
// channel-count rules of the channel lists. The desktop form only moves values between these
// and its controls.
#pragma once

#include "variants/Variant.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace feature {

// Control ids of the form.
inline constexpr int kMenuEnable = 1060;
inline constexpr int kVox = 2001;
inline constexpr int kButtonBeep = 2003;
inline constexpr int kCallTone = 2005;
inline constexpr int kManualTxPower = 2015;
inline constexpr int kRangeAlarm = 2007;
inline constexpr int kChannelSet = 1061;
inline constexpr int kFrequencySet = 1067;
inline constexpr int kSignalingSet = 2019;
inline constexpr int kChannelNumber = 2020;
inline constexpr int kDefaultSetMode = 2021;
inline constexpr int kBatterySave = 2009;
inline constexpr int kTailCut = 2011;
inline constexpr int kKeypadLock = 2013;

inline constexpr int kCboVox = 2201;
inline constexpr int kCboButtonBeep = 2203;
inline constexpr int kCboCallTone = 2205;
inline constexpr int kCboRangeAlarm = 2207;
inline constexpr int kCboTxPower = 2209;
inline constexpr int kCboTot = 2211;
inline constexpr int kCboRevert = 2213;
inline constexpr int kCboSquelch = 2215;

inline constexpr int kCboChAvailable = 2401;
inline constexpr int kCboChSelected = 2403;
inline constexpr int kChannelGrid = 1042;
inline constexpr int kCellEdit = 1052;
inline constexpr int kFrequencyList = 1053;

// One "Feature Switch" check box. nMaster: the switch that enables it (0: always enabled).
// nList: the list it enables and resets when clicked (0: none).
struct CSwitchDef {
    int nId;
    std::string_view strText;
    int nMaster;
    int nList;
};

// In the order of the group's table; the texts keep their trailing blanks.
inline constexpr std::array<CSwitchDef, 14> kSwitches = {{
    {kMenuEnable, "Menu Enable ", 0, 0},
    {kVox, "VOX ", kMenuEnable, kCboVox},
    {kButtonBeep, "Button Beep ", kMenuEnable, kCboButtonBeep},
    {kCallTone, "Call Tone ", kMenuEnable, kCboCallTone},
    {kManualTxPower, "Manual TX Power Set", kMenuEnable, 0},
    {kRangeAlarm, "Comm Range Alarm ", kMenuEnable, kCboRangeAlarm},
    {kChannelSet, "Channel Set", 0, 0},
    {kFrequencySet, "Frequency Set ", kChannelSet, 0},
    {kSignalingSet, "Signaling Set ", kChannelSet, 0},
    {kChannelNumber, "Channel Number", kChannelSet, 0},
    {kDefaultSetMode, "Default Set Mode ", 0, 0},
    {kBatterySave, "Battery Save ", 0, 0},
    {kTailCut, "Tail Cut Signal Transmit ", 0, 0},
    {kKeypadLock, "Keypad Lock ", 0, 0},
}};

// How a list's selected index is kept in the image.
enum class ListKind {
    WholeByte,   // the byte is the index
    Bit,         // one bit is the index
    BytePlusOne, // the byte is the index plus one
};

// One "Feature Setting" drop-down list. nSwitch: the switch that enables it and gates its
// stored value (0: always enabled, never gated).
struct CListDef {
    int nId;
    std::string_view strLabel;
    std::array<std::string_view, 6> items;
    int nItems;
    ListKind kind;
    int nSwitch;
};

inline constexpr std::array<CListDef, 8> kLists = {{
    {kCboVox, "VOX:", {"OFF", "1", "2", "3", "4", "5"}, 6, ListKind::WholeByte, kVox},
    {kCboButtonBeep, "Button Beep:", {"OFF", "ON"}, 2, ListKind::Bit, kButtonBeep},
    {kCboCallTone,
     "Call Tone:",
     {"OFF", "1", "2", "3", "4", "5"},
     6,
     ListKind::WholeByte,
     kCallTone},
    {kCboRangeAlarm, "Comm Range Alarm:", {"OFF", "ON"}, 2, ListKind::Bit, kRangeAlarm},
    {kCboTxPower, "TX Power Set:", {"Low", "High"}, 2, ListKind::Bit, 0},
    {kCboTot, "TOT:", {"OFF", "1 Minute", "5 Minute"}, 3, ListKind::WholeByte, 0},
    {kCboRevert, "Revert Channel:", {"Current CH", "Last Stop CH"}, 2, ListKind::Bit, 0},
    {kCboSquelch, "Squelch Level:", {"1", "2", "3", "4"}, 4, ListKind::BytePlusOne, 0},
}};

// Switches checked by the first set-up of the form, before any image is shown.
inline constexpr std::array<int, 5> kInitiallyChecked = {kVox, kButtonBeep, kCallTone, kRangeAlarm,
                                                         kManualTxPower};

const CSwitchDef* FindSwitch(int nId);
const CListDef* FindList(int nId);

// The image bit of a switch; empty when the model has no such switch.
std::optional<CBitField> SwitchField(const CVariant& variant, int nId);
// False for a switch that is shown from the image but never written back.
bool SwitchStored(const CVariant& variant, int nId);
// Whether a master switch enables and disables its dependents. A master the model lacks, or
// one that is never stored (the user can neither see nor change it), gates nothing: its
// dependents stay usable.
bool MasterGates(const CVariant& variant, int nMasterId);
// Address of a list's byte (whole-byte kinds) or its bit (ListKind::Bit).
CBitField ListField(const CVariant& variant, int nId);

// What the two groups show: a check state per switch and a selection per list (-1: none).
struct CFeatureValues {
    std::array<bool, kSwitches.size()> checks{};
    std::array<int, kLists.size()> indexes{};

    bool Checked(int nId) const;
    void SetChecked(int nId, bool bChecked);
    int Index(int nId) const;
    void SetIndex(int nId, int nIndex);
    bool operator==(const CFeatureValues&) const = default;
};

// Whether check box nId can be used while the form shows values.
bool SwitchEnabled(const CFeatureValues& values, const CVariant& variant, int nId);

// The form's values for an image-shaped working copy. A byte outside its list gives -1.
CFeatureValues LoadFeatures(std::span<const std::uint8_t> data, const CVariant& variant);

// Writes the values into the working copy: switch bits, then list fields (an empty list
// writes its index -1: 0xFF into a whole byte, 0 into a plus-one byte), then the gates (a
// list whose switch bit is 0 stores 0), then the tune switch bit is cleared.
void StoreFeatures(const CFeatureValues& values, std::span<std::uint8_t> data,
                   const CVariant& variant);

// --- channel lists ---

struct CChannelSelection {
    int nCount;   // channels in use, 1..MaxChannels
    int nCurrent; // selected channel, 0 (none) .. nCount
};

int MaxChannels(const CVariant& variant);
// Clamps the channel count (0 becomes 1, above the table becomes its size) and the current
// channel (above the count becomes the count) in the working copy and returns both.
CChannelSelection ClampChannelSelection(std::span<std::uint8_t> data, const CVariant& variant);
// A new channel count chosen while the selected-channel list showed nKeptIndex (-1: none):
// the selection moves down to the last channel when it lies beyond the count. Writes both.
CChannelSelection ChangeChannelCount(std::span<std::uint8_t> data, const CVariant& variant,
                                     int nCount, int nKeptIndex);
void SetCurrentChannel(std::span<std::uint8_t> data, const CVariant& variant, int nChannel);

} // namespace feature
