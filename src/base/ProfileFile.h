// SPDX-License-Identifier: GPL-3.0-or-later
// Private-profile (INI) settings files with the semantics programs of this kind have always
// had: section and key names compare case-insensitively, a value is cut to the reader's
// buffer, a missing file or key gives the default, and writing a key creates its section and
// the file. Lines the program does not understand (comments, other sections, CRLF endings,
// blanks around "=", a UTF-8 byte-order mark) are read correctly and kept when one key is
// written. Files are read bounded: a device, a pipe or a file over 1 MiB is never read.
#pragma once

#include <string>
#include <string_view>

namespace profile {

// The value of strKey in strSection, or strDefault when the file, section or key is missing.
// The result is cut to nBufferSize - 1 characters, as a reader with a buffer of that size
// (including the terminating zero) would see it.
std::string GetString(std::string_view strSection, std::string_view strKey,
                      std::string_view strDefault, std::size_t nBufferSize,
                      const std::string& strPath);

// The value read as a decimal integer (leading blanks, an optional sign, digits; anything
// else ends the number), or nDefault when the key is missing.
int GetInt(std::string_view strSection, std::string_view strKey, int nDefault,
           const std::string& strPath);

// Sets strKey in strSection to strValue, creating the key, the section and the file as
// needed; every other line of the file is kept as it was. Returns false when the file could
// not be written.
bool WriteString(std::string_view strSection, std::string_view strKey, std::string_view strValue,
                 const std::string& strPath);

// Empty when strPath can serve as a settings file (or does not exist). Otherwise a message
// naming the file and why it is refused: a device or pipe, larger than 1 MiB, unreadable.
// Readers treat such a file as missing and the writer refuses to replace it.
std::string FileProblem(const std::string& strPath);

} // namespace profile
