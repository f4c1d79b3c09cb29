// SPDX-License-Identifier: GPL-3.0-or-later
// WR7310S: the desktop programming software for the older radio (1 KiB image).
#include "desktop/DesktopMain.h"
#include "variants/Variant.h"

int main(int argc, char** argv) {
    return RunDesktopProgram(OldVariant(), argc, argv);
}
