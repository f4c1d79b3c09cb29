// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows versions of the radio file's whole-file operations (see RadioFile.h): wide
// file names, a temporary file beside the target and MoveFileEx to replace it.
#include "base/FileSupport.h"
#include "base/RadioFile.h"

#include "base/Platform.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <windows.h>

namespace {

// Closes a file handle when it goes out of scope.
class CUniqueHandle {
public:
    explicit CUniqueHandle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~CUniqueHandle() {
        if (m_h != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_h);
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;

    HANDLE Get() const { return m_h; }
    void Reset(HANDLE h) {
        if (m_h != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_h);
        m_h = h;
    }
    // Closes now; false when the close failed (a delayed write error).
    bool Close() {
        const HANDLE h = m_h;
        m_h = INVALID_HANDLE_VALUE;
        return ::CloseHandle(h) != 0;
    }

private:
    HANDLE m_h;
};

std::atomic<unsigned> g_nTempCounter{0};

int LastErrno() {
    return platform::ErrnoFromWin32(::GetLastError());
}

// The file a save of strPath writes: a symbolic link's target, else the path itself. 0, or
// EISDIR when the path names a folder (or ends in a separator).
int SaveTarget(const std::string& strPath, std::filesystem::path& target) {
    namespace fs = std::filesystem;
    std::error_code ec;
    target = platform::PathFromUtf8(strPath);
    if (fs::is_symlink(target, ec)) {
        if (auto resolved = fs::canonical(target, ec); !ec)
            target = std::move(resolved);
    }
    if (target.filename().empty() || fs::is_directory(target, ec))
        return EISDIR;
    return 0;
}

// Creates a new, unique temporary file in the target's folder, opened for writing. 0, or the
// errno.
int CreateTempBeside(const std::filesystem::path& target, CUniqueHandle& file,
                     std::filesystem::path& temp) {
    const std::filesystem::path dir = target.parent_path();
    const std::wstring name = target.filename().wstring();
    for (int nAttempt = 0; nAttempt < 100; ++nAttempt) {
        temp = dir / (L"." + name + L".tmp" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                      std::to_wstring(g_nTempCounter++));
        const HANDLE h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            file.Reset(h);
            return 0;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return LastErrno();
    }
    return EEXIST;
}

} // namespace

CFileReadResult ReadFilePrefix(const std::string& strPath, std::size_t nSize,
                               std::vector<std::uint8_t>& bytes) {
    CFileReadResult result;
    const std::filesystem::path path = platform::PathFromUtf8(strPath);
    CUniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        result.nErrno = LastErrno();
        return result;
    }
    std::vector<std::uint8_t> buffer(nSize);
    std::size_t nDone = 0;
    while (nDone < nSize) {
        DWORD nGot = 0;
        const auto nAsk = static_cast<DWORD>(std::min<std::size_t>(nSize - nDone, 1u << 20));
        if (!::ReadFile(file.Get(), buffer.data() + nDone, nAsk, &nGot, nullptr)) {
            if (::GetLastError() == ERROR_BROKEN_PIPE)
                break; // the writer of a pipe is gone: its end of file
            result.nErrno = LastErrno();
            return result;
        }
        if (nGot == 0)
            break;
        nDone += nGot;
    }
    return PrefixRead(std::move(buffer), nDone, nSize, bytes);
}

int WriteFileReplacing(const std::string& strPath, std::span<const std::uint8_t> bytes) {
    namespace fs = std::filesystem;
    fs::path target;
    if (const int nErr = SaveTarget(strPath, target); nErr != 0)
        return nErr;

    fs::path temp;
    CUniqueHandle file;
    if (const int nErr = CreateTempBeside(target, file, temp); nErr != 0)
        return nErr;
    CTempFileGuard guard(temp);

    std::size_t nDone = 0;
    while (nDone < bytes.size()) {
        DWORD nWritten = 0;
        const auto nAsk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - nDone, 1u << 20));
        if (!::WriteFile(file.Get(), bytes.data() + nDone, nAsk, &nWritten, nullptr))
            return LastErrno();
        nDone += nWritten;
    }
    if (!::FlushFileBuffers(file.Get()))
        return LastErrno();
    if (!file.Close())
        return LastErrno();
    // The old file keeps its place until the new one takes it: a failure leaves it intact.
    if (!::MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return LastErrno();
    guard.Keep();
    return 0;
}

int CheckCanSave(const std::string& strPath) {
    std::filesystem::path target;
    if (const int nErr = SaveTarget(strPath, target); nErr != 0)
        return nErr;
    // The folder must take a new file: the save writes one beside the target.
    std::filesystem::path temp;
    CUniqueHandle file;
    if (const int nErr = CreateTempBeside(target, file, temp); nErr != 0)
        return nErr;
    file.Close();
    CTempFileGuard guard(temp);
    return 0;
}
