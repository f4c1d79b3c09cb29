// SPDX-License-Identifier: GPL-3.0-or-later
// The captions of the form's fourteen switches, top to bottom, trailing blanks included, as the
// form shows them and the printout repeats them.
#pragma once

#include <array>

inline constexpr std::array<const char*, 14> kSwitchCaptions = {"Menu Enable ",
                                                                "VOX ",
                                                                "Button Beep ",
                                                                "Call Tone ",
                                                                "Manual TX Power Set",
                                                                "Comm Range Alarm ",
                                                                "Channel Set",
                                                                "Frequency Set ",
                                                                "Signaling Set ",
                                                                "Channel Number",
                                                                "Default Set Mode ",
                                                                "Battery Save ",
                                                                "Tail Cut Signal Transmit ",
                                                                "Keypad Lock "};
