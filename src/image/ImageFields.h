// Typed access to image fields over any image-shaped byte span (the application's image
// buffer or the document's working copy). Addresses come from the variant description.
#pragma once

#include "variants/Variant.h"

#include <cstdint>
#include <span>
#include <string>

namespace field {

bool GetBit(std::span<const std::uint8_t> image, CBitField f);
void SetBit(std::span<std::uint8_t> image, CBitField f, bool bOn);
std::uint32_t GetU24(std::span<const std::uint8_t> image, std::uint16_t nAddr);
void SetU24(std::span<std::uint8_t> image, std::uint16_t nAddr, std::uint32_t nValue);
std::uint16_t GetU16(std::span<const std::uint8_t> image, std::uint16_t nAddr);
// The text of a field up to its first zero byte, at most nMaxChars characters.
std::string GetText(std::span<const std::uint8_t> image, CAddrRange r, std::size_t nMaxChars);
// Writes the text zero-padded; a text longer than the field is cut.
void SetText(std::span<std::uint8_t> image, CAddrRange r, std::string_view strText);

} // namespace field
