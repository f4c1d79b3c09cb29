// SPDX-License-Identifier: GPL-3.0-or-later
// Every image read from a radio is also kept as a timestamped radio file in the user's data
// folder, so that a radio's configuration survives a later mistake (a wrong write, a file
// saved over). The desktop and the command-line tool call the same function.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct CVariant;

// $XDG_DATA_HOME/wr7310/backups, or ~/.local/share/wr7310/backups when XDG_DATA_HOME is unset
// or not absolute (on Windows %LOCALAPPDATA%\wr7310\backups). Empty when none is known.
std::string BackupDir();

struct CBackupResult {
    std::string strPath;  // the radio file written, when it succeeded (its raw image beside it)
    std::string strError; // what went wrong, when it failed
    bool Ok() const { return strError.empty(); }
};

// Writes the image as a radio file of the variant named "<model>-YYYYMMDD-HHMMSS<ext>" (local
// time) in strDir (empty: BackupDir()), creating the folder as needed, and beside it the raw
// image with every byte the radio sent, also those a radio file never carries (BackupImagePath).
// An existing file is never replaced: a second backup in the same second gets "-2", "-3", ...
// before the extension.
CBackupResult
SaveBackup(const CVariant& variant, std::span<const std::uint8_t> image,
           const std::string& strDir = {},
           std::chrono::system_clock::time_point when = std::chrono::system_clock::now());

// The raw image kept beside a backup radio file: the same name with the extension ".img".
std::string BackupImagePath(const std::string& strBackup);

// The image a backup holds, for writing it back: the raw image beside the radio file when there
// is one, else the image of the radio file itself (a backup from before raw images were kept,
// without the areas a radio file never carries). Empty: a reason in strError.
std::vector<std::uint8_t> LoadBackupImage(const CVariant& variant, const std::string& strBackup,
                                          std::string& strError);
