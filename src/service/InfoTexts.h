// The rules of the small information screens: the embedded information text as its editor
// shows and stores it, the progress window's percentage, and the carrying of an embedded
// information text into the image buffer.
#pragma once

#include "variants/Variant.h"

#include <cstdint>
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

// The progress window's percentage of nPos (limited to the range) as "%2d%%".
std::string ProgressPercentText(int nPos, int nRange);
// nPos limited to 0..nRange.
int ProgressPosition(int nPos, int nRange);

// Copies the embedded information area of one image-shaped buffer into another.
void CopyEmbeddedInfo(const CVariant& v, std::span<const std::uint8_t> from,
                      std::span<std::uint8_t> to);

} // namespace info
