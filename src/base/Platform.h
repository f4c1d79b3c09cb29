// SPDX-License-Identifier: GPL-3.0-or-later
// What differs between the systems the core runs on, apart from the serial port: where the
// program and the user's folders are, and how file names given as UTF-8 text reach the
// system. Every path the core hands around is UTF-8 text; PathFromUtf8 turns one into a path
// the standard library opens correctly everywhere (on Windows through the wide-character API,
// so non-ASCII user names and folders work).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::filesystem::path PathFromUtf8(std::string_view strPath);
std::string Utf8FromPath(const std::filesystem::path& path);

#ifdef _WIN32
std::wstring WideFromUtf8(std::string_view str);
std::string Utf8FromWide(std::wstring_view str);
// The errno value nearest to a Win32 error code (EIO when there is none).
int ErrnoFromWin32(unsigned long nError);
#endif

// The folder of the running program.
std::string ExecutableDir();

// True when this process may create files in strDir.
bool IsWritableDir(const std::string& strDir);

// True when a program in strDir is a portable copy, which keeps its settings beside itself:
// the folder is writable and belongs to no installation. Installed are the system's folders
// (below /usr, /opt, /bin or /sbin; on Windows the Program Files folders) and a tree that
// `cmake --install` laid down (a share/wr7310/ folder beside strDir).
bool IsPortableDir(const std::string& strDir);

// The folder for the user's settings of this software: "$XDG_CONFIG_HOME/wr7310" (default
// "~/.config/wr7310"); on Windows "%APPDATA%\wr7310". Empty when the system names none.
std::string UserConfigDir();

// The folder for the user's data of this software (backups live below it):
// "$XDG_DATA_HOME/wr7310" (default "~/.local/share/wr7310"); on Windows
// "%LOCALAPPDATA%\wr7310". Empty when the system names none.
std::string UserDataDir();

// The arguments after the program name, as UTF-8 (on Windows taken from the wide command
// line, so no character is lost to the ANSI code page).
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Lets the console show UTF-8 text written to standard output and error (Windows); nothing
// elsewhere.
void UseUtf8Console();

} // namespace platform
