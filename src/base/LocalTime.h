// SPDX-License-Identifier: GPL-3.0-or-later
// Local time as text, for the time stamps of printed reports and backup file names.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>

// t in the local time zone, formatted by std::strftime with pszFormat; empty when the text
// does not fit.
inline std::string FormatLocalTime(std::time_t t, const char* pszFormat) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    char sz[64];
    const std::size_t n = std::strftime(sz, sizeof sz, pszFormat, &local);
    return std::string(sz, n);
}
