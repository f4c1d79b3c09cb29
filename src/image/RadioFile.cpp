#include "image/RadioFile.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <filesystem>

// The Windows versions of the file operations are in RadioFileWin32.cpp.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a file descriptor when it goes out of scope.
class CUniqueFd {
public:
    explicit CUniqueFd(int fd = -1) : m_fd(fd) {}
    ~CUniqueFd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CUniqueFd(const CUniqueFd&) = delete;
    CUniqueFd& operator=(const CUniqueFd&) = delete;

    int Get() const { return m_fd; }
    void Reset(int fd) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and reports a failure of the close itself (a delayed write error).
    int Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// Removes a temporary file unless the save succeeded.
class CTempFileGuard {
public:
    explicit CTempFileGuard(std::string strPath) : m_strPath(std::move(strPath)) {}
    ~CTempFileGuard() {
        if (!m_bKeep)
            ::unlink(m_strPath.c_str());
    }
    CTempFileGuard(const CTempFileGuard&) = delete;
    CTempFileGuard& operator=(const CTempFileGuard&) = delete;
    void Keep() { m_bKeep = true; }

private:
    std::string m_strPath;
    bool m_bKeep = false;
};

std::atomic<unsigned> g_nTempCounter{0};

// A symbolic link stays a link: the file it names is the one replaced.
std::filesystem::path ResolveTarget(const std::string& strPath) {
    std::error_code ec;
    std::filesystem::path target(strPath);
    if (std::filesystem::is_symlink(target, ec)) {
        auto resolved = std::filesystem::canonical(target, ec);
        if (!ec)
            return resolved;
    }
    return target;
}

} // namespace

CFileReadResult ReadFilePrefix(const std::string& strPath, std::size_t nSize,
                               std::vector<std::uint8_t>& bytes) {
    CFileReadResult result;
    CUniqueFd fd(::open(strPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        result.nErrno = errno;
        return result;
    }
    std::vector<std::uint8_t> buffer(nSize);
    std::size_t nDone = 0;
    while (nDone < nSize) {
        const ssize_t n = ::read(fd.Get(), buffer.data() + nDone, nSize - nDone);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result.nErrno = errno;
            return result;
        }
        if (n == 0)
            break;
        nDone += static_cast<std::size_t>(n);
    }
    result.nBytesRead = nDone;
    buffer.resize(nDone);
    bytes = std::move(buffer);
    result.status = nDone < nSize ? CFileReadResult::Status::TooShort : CFileReadResult::Status::Ok;
    return result;
}

int WriteFileReplacing(const std::string& strPath, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target = ResolveTarget(strPath);
    const std::filesystem::path dir = target.parent_path();
    const std::string strName = target.filename().string();
    if (strName.empty())
        return EISDIR;

    std::string strTemp;
    CUniqueFd fd;
    for (int nAttempt = 0; nAttempt < 100; ++nAttempt) {
        const std::string strTempName = "." + strName + ".tmp" + std::to_string(::getpid()) + "-" +
                                        std::to_string(g_nTempCounter++);
        strTemp = (dir / strTempName).string();
        const int n = ::open(strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (n >= 0) {
            fd.Reset(n);
            break;
        }
        if (errno != EEXIST)
            return errno;
    }
    if (fd.Get() < 0)
        return EEXIST;
    CTempFileGuard guard(strTemp);

    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd.Get(), st.st_mode & 07777);

    std::size_t nDone = 0;
    while (nDone < bytes.size()) {
        const ssize_t n = ::write(fd.Get(), bytes.data() + nDone, bytes.size() - nDone);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        nDone += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.Get()) != 0 && errno != EINVAL && errno != EROFS)
        return errno;
    if (const int nErr = fd.Close(); nErr != 0)
        return nErr;
    if (::rename(strTemp.c_str(), target.c_str()) != 0)
        return errno;
    guard.Keep();
    return 0;
}
#endif

std::string FormatText(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    std::string str(n > 0 ? static_cast<std::size_t>(n) : 0u, '\0');
    if (n > 0)
        std::vsnprintf(str.data(), str.size() + 1, pszFormat, args);
    va_end(args);
    return str;
}
