// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder for one test, removed with everything in it when the test ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Full path of a file inside the folder.
    std::string File(const std::string& strName) const { return (m_path / strName).string(); }

private:
    std::filesystem::path m_path;
};

// Whole-file helpers for tests.
std::string ReadTextFile(const std::string& strPath);
void WriteTextFile(const std::string& strPath, const std::string& strText);
std::vector<std::uint8_t> ReadBinaryFile(const std::string& strPath);
void WriteBinaryFile(const std::string& strPath, const std::vector<std::uint8_t>& bytes);
