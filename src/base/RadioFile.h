// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads and writes for radio files. A save never destroys the file it replaces:
// the bytes go to a temporary file beside the target, which is then renamed over it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct CFileReadResult {
    enum class Status { Ok, TooShort, Failed };
    Status status = Status::Failed;
    std::size_t nBytesRead = 0; // TooShort: the whole length of the file
    int nErrno = 0;             // Failed: the system's reason
};

// Reads the first nSize bytes of a file into bytes (resized to nSize). Bytes after them are
// never read, so a device or pipe that never ends costs no more than nSize bytes. A file
// shorter than nSize gives TooShort, with the whole file in bytes.
CFileReadResult ReadFilePrefix(const std::string& strPath, std::size_t nSize,
                               std::vector<std::uint8_t>& bytes);

// Writes bytes as the whole content of strPath through a temporary file in the same folder
// and an atomic rename: every text and radio file the programs save goes through here. An
// existing file keeps its permissions. A symbolic link (or a chain of them, or one whose
// target does not exist yet) stays a link: the file it finally names is written. A device or
// a pipe is written directly, never renamed over; a pipe nobody reads is refused (ENXIO).
// Returns 0, or the errno of the failure (the target is then unchanged and no temporary file
// is left behind).
int WriteFileReplacing(const std::string& strPath, std::span<const std::uint8_t> bytes);

// Whether WriteFileReplacing could save strPath now: its folder exists and takes a new file
// (tried with a temporary file that is removed again), and it names no folder. 0, or the
// errno. Run before a long read so that a path that cannot be saved is refused at once.
int CheckCanSave(const std::string& strPath);

#if defined(__MINGW32__) // the C library's printf there is MinGW's own, with C99 formats
#define WR7310_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#elif defined(__GNUC__)
#define WR7310_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define WR7310_PRINTF_FORMAT(f, a)
#endif

// printf-style message text with the arguments filled in.
std::string FormatText(const char* pszFormat, ...) WR7310_PRINTF_FORMAT(1, 2);

// A message about one file: a sentence that names it ("Cannot open "radio.wr73": why."), or,
// as the command-line tool reports file errors, the file first ("radio.wr73: Cannot open: why.").
std::string FileMessage(bool bFileFirst, std::string_view strVerb, std::string_view strPath,
                        std::string_view strRest);
