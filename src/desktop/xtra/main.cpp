// SPDX-License-Identifier: GPL-3.0-or-later
// WR7310SXtra: the desktop programming software for the newer radio (2 KiB image).
#include "desktop/DesktopMain.h"
#include "variants/Variant.h"

int main(int argc, char** argv) {
    return RunDesktopProgram(XtraVariant(), argc, argv);
}
