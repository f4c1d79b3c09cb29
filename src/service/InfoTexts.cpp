// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/InfoTexts.h"

#include "image/ImageFields.h"

#include <algorithm>
#include <cstdio>

namespace info {

std::string EmbeddedEditText(std::span<const std::uint8_t> area) {
    std::string str;
    for (std::size_t i = 0; i < area.size() && area[i] != 0; ++i) {
        const char c = static_cast<char>(area[i]);
        if (c == '\r' && i + 1 < area.size() && area[i + 1] == '\n')
            continue; // the line feed that follows stands for the pair
        str.push_back(c);
    }
    return str;
}

std::size_t EmbeddedStoredLength(std::string_view strEditText) {
    return strEditText.size() +
           static_cast<std::size_t>(std::count(strEditText.begin(), strEditText.end(), '\n'));
}

void StoreEmbeddedEditText(std::span<std::uint8_t> area, std::string_view strEditText) {
    std::fill(area.begin(), area.end(), std::uint8_t{0});
    std::size_t n = 0;
    auto put = [&](char c) {
        if (n < area.size())
            area[n++] = static_cast<std::uint8_t>(c);
    };
    for (char c : strEditText) {
        if (c == '\n')
            put('\r');
        put(c);
    }
}

std::optional<char32_t> FirstUnstorable(std::u32string_view strText) {
    for (char32_t c : strText)
        if (c > 0xFF)
            return c;
    return std::nullopt;
}

std::string UnstorableText(char32_t c) {
    char sz[96];
    std::snprintf(sz, sizeof sz, "The radio cannot store U+%04X: it takes Latin-1 characters only.",
                  static_cast<unsigned>(c));
    return sz;
}

std::string AreaFullText(std::size_t nAreaSize) {
    char sz[96];
    std::snprintf(sz, sizeof sz, "The radio stores %zu bytes: there is no room for more.",
                  nAreaSize);
    return sz;
}

std::string BytesLeftText(std::size_t nLeft) {
    char sz[48];
    std::snprintf(sz, sizeof sz, nLeft == 1 ? "%zu byte left" : "%zu bytes left", nLeft);
    return sz;
}

int ProgressPosition(int nPos, int nRange) {
    return std::clamp(nPos, 0, std::max(nRange, 0));
}

std::string ProgressPercentText(int nPos, int nRange) {
    const int nPercent =
        nRange > 0 ? static_cast<int>(ProgressPosition(nPos, nRange) * 100.0 / nRange) : 0;
    char sz[16];
    std::snprintf(sz, sizeof sz, "%2d%%", nPercent);
    return sz;
}

void CopyEmbeddedInfo(const CVariant& v, std::span<const std::uint8_t> from,
                      std::span<std::uint8_t> to) {
    const auto src = field::Bytes(from, v.embeddedInfo);
    std::copy(src.begin(), src.end(), field::Bytes(to, v.embeddedInfo).begin());
}

} // namespace info
