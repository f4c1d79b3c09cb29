// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Licence.h"

std::string_view PackageVersion() {
    return WR7310_VERSION;
}

std::string VersionText(std::string_view strProgram, std::string_view strVersion) {
    std::string strText(strProgram);
    strText.append(" ").append(strVersion).append("\n").append(kLicenceNotice);
    return strText;
}
