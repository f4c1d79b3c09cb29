// SPDX-License-Identifier: GPL-3.0-or-later
// The texts under which the editor, the printout and the command-line listing show the
// feature switches and settings of an image.
#pragma once

#include <array>
#include <string_view>

namespace texts {

// Check-box texts (trailing blanks are part of them).
inline constexpr std::string_view kMenuEnable = "Menu Enable ";
inline constexpr std::string_view kVox = "VOX ";
inline constexpr std::string_view kButtonBeep = "Button Beep ";
inline constexpr std::string_view kCallTone = "Call Tone ";
inline constexpr std::string_view kManualTxPower = "Manual TX Power Set";
inline constexpr std::string_view kRangeAlarm = "Comm Range Alarm ";
inline constexpr std::string_view kChannelSet = "Channel Set";
inline constexpr std::string_view kFrequencySet = "Frequency Set ";
inline constexpr std::string_view kSignalingSet = "Signaling Set ";
inline constexpr std::string_view kChannelNumber = "Channel Number";
inline constexpr std::string_view kDefaultSetMode = "Default Set Mode ";
inline constexpr std::string_view kBatterySave = "Battery Save ";
inline constexpr std::string_view kTailCut = "Tail Cut Signal Transmit ";
inline constexpr std::string_view kKeypadLock = "Keypad Lock ";

// List labels and their items; the item index is the stored value unless noted.
inline constexpr std::string_view kVoxLabel = "VOX:";
inline constexpr std::string_view kButtonBeepLabel = "Button Beep:";
inline constexpr std::string_view kCallToneLabel = "Call Tone:";
inline constexpr std::string_view kRangeAlarmLabel = "Comm Range Alarm:";
inline constexpr std::string_view kTxPowerLabel = "TX Power Set:";
inline constexpr std::string_view kTotLabel = "TOT:";
inline constexpr std::string_view kRevertLabel = "Revert Channel:";
inline constexpr std::string_view kSquelchLabel = "Squelch Level:"; // index = value - 1

inline constexpr std::array<std::string_view, 6> kLevelItems = {"OFF", "1", "2", "3", "4", "5"};
inline constexpr std::array<std::string_view, 2> kOffOnItems = {"OFF", "ON"};
inline constexpr std::array<std::string_view, 2> kTxPowerItems = {"Low", "High"};
inline constexpr std::array<std::string_view, 3> kTotItems = {"OFF", "1 Minute", "5 Minute"};
inline constexpr std::array<std::string_view, 2> kRevertItems = {"Current CH", "Last Stop CH"};
inline constexpr std::array<std::string_view, 4> kSquelchItems = {"1", "2", "3", "4"};

// Channel grid
inline constexpr std::string_view kSignalOff = "OFF";
inline constexpr std::string_view kScanAdd = "Add";
inline constexpr std::string_view kScanDel = "Del";
inline constexpr std::array<std::string_view, 4> kChannelHeaders = {"CH", "Freq Num", "Signal",
                                                                    "Scan"};
inline constexpr const char* kChannelRowFmt = "CH %d";

// Frequency table
inline constexpr std::array<std::string_view, 3> kFreqHeaders = {"Freq Num", "Rx Freq", "Tx Freq"};

} // namespace texts
