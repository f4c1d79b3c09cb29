// The Windows versions of the radio file's whole-file operations (see RadioFile.h): wide
// file names, a temporary file beside the target and MoveFileEx to replace it.
#include "image/RadioFile.h"

#include "app/Platform.h"

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

// Removes a temporary file unless the save succeeded.
class CTempFileGuard {
public:
    explicit CTempFileGuard(std::filesystem::path path) : m_path(std::move(path)) {}
    ~CTempFileGuard() {
        if (!m_bKeep)
            ::DeleteFileW(m_path.c_str());
    }
    CTempFileGuard(const CTempFileGuard&) = delete;
    CTempFileGuard& operator=(const CTempFileGuard&) = delete;
    void Keep() { m_bKeep = true; }

private:
    std::filesystem::path m_path;
    bool m_bKeep = false;
};

std::atomic<unsigned> g_nTempCounter{0};

int LastErrno() {
    return platform::ErrnoFromWin32(::GetLastError());
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
    result.nBytesRead = nDone;
    buffer.resize(nDone);
    bytes = std::move(buffer);
    result.status = nDone < nSize ? CFileReadResult::Status::TooShort : CFileReadResult::Status::Ok;
    return result;
}

int WriteFileReplacing(const std::string& strPath, std::span<const std::uint8_t> bytes) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target = platform::PathFromUtf8(strPath);
    if (fs::is_symlink(target, ec)) {
        if (auto resolved = fs::canonical(target, ec); !ec)
            target = std::move(resolved);
    }
    const fs::path dir = target.parent_path();
    const std::wstring name = target.filename().wstring();
    if (name.empty())
        return EISDIR;
    if (fs::is_directory(target, ec))
        return EISDIR;

    fs::path temp;
    CUniqueHandle file;
    for (int nAttempt = 0; nAttempt < 100 && file.Get() == INVALID_HANDLE_VALUE; ++nAttempt) {
        temp = dir / (L"." + name + L".tmp" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                      std::to_wstring(g_nTempCounter++));
        const HANDLE h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            file.Reset(h);
            break;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return LastErrno();
    }
    if (file.Get() == INVALID_HANDLE_VALUE)
        return EEXIST;
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
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = platform::PathFromUtf8(strPath);
    if (target.filename().empty() || fs::is_directory(target, ec))
        return EISDIR;
    // The folder must take a new file: the save writes one beside the target.
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(L".");
    const fs::path probe = dir / (L"." + target.filename().wstring() + L".tmp" +
                                  std::to_wstring(::GetCurrentProcessId()) + L"-check");
    const HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return LastErrno();
    ::CloseHandle(h);
    return 0;
}
