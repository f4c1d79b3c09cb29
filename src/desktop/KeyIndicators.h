// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard's lock indicators, where the platform can tell them: on X11 through the XKB
// extension of the display Qt is connected to. Elsewhere (Wayland, offscreen) the state is
// unknown.
#pragma once

#include <optional>

// Whether Num Lock is on; nullopt when the platform cannot tell.
std::optional<bool> NumLockState();
