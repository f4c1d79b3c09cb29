// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/RadioFile.h"
#include "base/FileSupport.h"

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

std::atomic<unsigned> g_nTempCounter{0};

constexpr int kMaxLinks = 40;

// The path a chain of symbolic links finally names; it need not exist yet (a dangling link
// names the file to create). A path that is no link names itself. 0, or the errno.
int FinalTarget(const std::string& strPath, std::filesystem::path& target) {
    std::filesystem::path path(strPath);
    for (int i = 0; i < kMaxLinks; ++i) {
        char link[4096];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
        if (n < 0) {
            if (errno != EINVAL && errno != ENOENT)
                return errno;
            target = path;
            return 0;
        }
        if (static_cast<std::size_t>(n) >= sizeof link)
            return ENAMETOOLONG;
        const std::filesystem::path next(std::string(link, static_cast<std::size_t>(n)));
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return ELOOP;
}

// Creates a new, unique temporary file beside target. 0, or the errno.
int CreateTempBeside(const std::filesystem::path& target, CUniqueFd& fd, std::string& strTemp) {
    const std::string strName = target.filename().string();
    for (int nAttempt = 0; nAttempt < 100; ++nAttempt) {
        const std::string strTempName = "." + strName + ".tmp" + std::to_string(::getpid()) + "-" +
                                        std::to_string(g_nTempCounter++);
        strTemp = (target.parent_path() / strTempName).string();
        const int n = ::open(strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (n >= 0) {
            fd.Reset(n);
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t nDone = 0;
    while (nDone < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + nDone, bytes.size() - nDone);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        nDone += static_cast<std::size_t>(n);
    }
    return 0;
}

// A device or a pipe is written where it is: renaming a file over it would replace the
// device node or pipe itself. A pipe nobody reads is refused (ENXIO) instead of waiting.
int WriteInPlace(const std::filesystem::path& target, std::span<const std::uint8_t> bytes) {
    CUniqueFd fd(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0)
        return errno;
    const int nFlags = ::fcntl(fd.Get(), F_GETFL);
    if (nFlags >= 0)
        ::fcntl(fd.Get(), F_SETFL, nFlags & ~O_NONBLOCK);
    if (const int nErr = WriteAll(fd.Get(), bytes); nErr != 0)
        return nErr;
    return fd.Close();
}

// Whether the target exists as something other than a regular file or a folder.
bool IsSpecialFile(const std::filesystem::path& target) {
    struct stat st {};
    return ::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
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
    return PrefixRead(std::move(buffer), nDone, nSize, bytes);
}

int WriteFileReplacing(const std::string& strPath, std::span<const std::uint8_t> bytes) {
    std::filesystem::path target;
    if (const int nErr = FinalTarget(strPath, target); nErr != 0)
        return nErr;
    if (target.filename().empty())
        return EISDIR;
    if (IsSpecialFile(target))
        return WriteInPlace(target, bytes);

    std::string strTemp;
    CUniqueFd fd;
    if (const int nErr = CreateTempBeside(target, fd, strTemp); nErr != 0)
        return nErr;
    CTempFileGuard guard(strTemp);

    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd.Get(), st.st_mode & 07777);

    if (const int nErr = WriteAll(fd.Get(), bytes); nErr != 0)
        return nErr;
    if (::fsync(fd.Get()) != 0 && errno != EINVAL && errno != EROFS)
        return errno;
    if (const int nErr = fd.Close(); nErr != 0)
        return nErr;
    if (::rename(strTemp.c_str(), target.c_str()) != 0)
        return errno;
    guard.Keep();
    // The rename itself reaches the disk with the folder.
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    CUniqueFd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.Get() >= 0)
        ::fsync(dirFd.Get());
    return 0;
}

int CheckCanSave(const std::string& strPath) {
    std::filesystem::path target;
    if (const int nErr = FinalTarget(strPath, target); nErr != 0)
        return nErr;
    if (target.filename().empty())
        return EISDIR;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        if (!S_ISREG(st.st_mode))
            return ::access(target.c_str(), W_OK) == 0 ? 0 : errno;
    }
    // The folder must take a new file: the save writes one beside the target.
    std::string strTemp;
    CUniqueFd fd;
    if (const int nErr = CreateTempBeside(target, fd, strTemp); nErr != 0)
        return nErr;
    CTempFileGuard guard(strTemp);
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

std::string FileMessage(bool bFileFirst, std::string_view strVerb, std::string_view strPath,
                        std::string_view strRest) {
    std::string str;
    if (bFileFirst)
        str.append(strPath).append(": ").append(strVerb).append(": ");
    else
        str.append(strVerb).append(" \"").append(strPath).append("\": ");
    return str.append(strRest);
}
