// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the small information screens: the embedded information text as its editor
// shows and stores it, the progress window's percentage, and the carrying of an embedded
// information text into the image buffer.
#pragma once

#include "variants/Variant.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace info {

// The embedded information as the editor shows it: the bytes up to the first zero, each
// stored line break (carriage return and line feed) as one line feed.
std::string EmbeddedEditText(std::span<const std::uint8_t> area);
// How many bytes an edited text takes when stored: each line break counts as two.
std::size_t EmbeddedStoredLength(std::string_view strEditText);
// Stores an edited text into the area: cleared to zero bytes, then the first area-size bytes
// of the text with its line breaks as carriage return and line feed (a text that fills the
// area has no terminating zero).
void StoreEmbeddedEditText(std::span<std::uint8_t> area, std::string_view strEditText);

// The first character of an edited text that the radio cannot store: it keeps one byte per
// character, Latin-1.
std::optional<char32_t> FirstUnstorable(std::u32string_view strText);
// What the editor says when it refuses such a character: "The radio cannot store U+20AC: it
// takes Latin-1 characters only."
std::string UnstorableText(char32_t c);
// What it says when the area is full (nAreaSize bytes).
std::string AreaFullText(std::size_t nAreaSize);
// "12 bytes left", "1 byte left".
std::string BytesLeftText(std::size_t nLeft);

// The progress window's percentage of nPos (limited to the range) as "%2d%%".
std::string ProgressPercentText(int nPos, int nRange);
// nPos limited to 0..nRange.
int ProgressPosition(int nPos, int nRange);

// Copies the embedded information area of one image-shaped buffer into another.
void CopyEmbeddedInfo(const CVariant& v, std::span<const std::uint8_t> from,
                      std::span<std::uint8_t> to);

} // namespace info
