// SPDX-License-Identifier: GPL-3.0-or-later
// The licence the software is given under, as --version prints it and the About box shows it.
#pragma once

#include <string>
#include <string_view>

// The holder of the copyright, the licence and the absence of warranty, one line each.
inline constexpr std::string_view kLicenceNotice =
    "Copyright (C) 2026 The WR7310 software developers.\n"
    "License GPLv3+: GNU GPL version 3 or later <https://www.gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.";

// The release of the whole software ("1.2.3"), which the package carries.
std::string_view PackageVersion();

// "<strProgram> <strVersion>", a line break and the licence notice: the --version text.
std::string VersionText(std::string_view strProgram, std::string_view strVersion);
