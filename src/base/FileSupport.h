// SPDX-License-Identifier: GPL-3.0-or-later
// What the POSIX and the Windows file code of RadioFile share.
#pragma once

#include "base/RadioFile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

// Removes a temporary file unless the save that wrote it succeeded.
class CTempFileGuard {
public:
    explicit CTempFileGuard(std::filesystem::path path) : m_path(std::move(path)) {}
    ~CTempFileGuard() {
        if (m_bKeep)
            return;
        std::error_code ec; // nothing more to do when it is gone already
        std::filesystem::remove(m_path, ec);
    }
    CTempFileGuard(const CTempFileGuard&) = delete;
    CTempFileGuard& operator=(const CTempFileGuard&) = delete;
    // The save succeeded: the file has become the target.
    void Keep() { m_bKeep = true; }

private:
    std::filesystem::path m_path;
    bool m_bKeep = false;
};

// The end of ReadFilePrefix once nDone of the nSize bytes asked for are in buffer: the bytes go
// to the caller, and fewer than asked for is TooShort.
inline CFileReadResult PrefixRead(std::vector<std::uint8_t>&& buffer, std::size_t nDone,
                                  std::size_t nSize, std::vector<std::uint8_t>& bytes) {
    CFileReadResult result;
    result.nBytesRead = nDone;
    buffer.resize(nDone);
    bytes = std::move(buffer);
    result.status = nDone < nSize ? CFileReadResult::Status::TooShort : CFileReadResult::Status::Ok;
    return result;
}
