// Removes a temporary file unless the save that wrote it succeeded.
#pragma once

#include <filesystem>
#include <system_error>
#include <utility>

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
