// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ProfileFile.h"

#include "base/Platform.h"
#include "base/RadioFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <windows.h>
#endif

namespace profile {
namespace {

constexpr std::size_t kMaxFileSize = 1024 * 1024;
// Why a file is no settings file, after its name.
constexpr const char* kIsFolder = "is a folder, not a settings file";
constexpr const char* kNotRegular =
    "is not a regular file (a device or a pipe); settings are read from files only";
constexpr const char* kTooLarge = "is larger than 1 MiB; a settings file is a few lines of text";

std::string_view Trim(std::string_view s) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The file as lines, line ends removed; empty when it cannot be read.
struct CLines {
    std::vector<std::string> lines;
    bool bCrLf = false;
    bool bFinalNewline = true;
    bool bBom = false;      // began with a UTF-8 byte-order mark, kept when written
    std::string strProblem; // the file exists but is refused (see FileProblem)
};

// Reads at most kMaxFileSize bytes of a regular file. A device, a pipe or a file too large
// is refused with a reason and never read (a pipe is opened without waiting for a writer).
#ifndef _WIN32
std::string ReadBounded(const std::string& strPath, std::string& text, bool& bExists) {
    bExists = false;
    // Look before opening: opening a pipe, even briefly, releases a writer waiting for a
    // reader, and our close then hands it a broken pipe. The descriptor is checked again
    // below, in case the name changed in between.
    struct stat named {};
    if (::stat(strPath.c_str(), &named) == 0) {
        bExists = true;
        if (S_ISDIR(named.st_mode))
            return kIsFolder;
        if (!S_ISREG(named.st_mode))
            return kNotRegular;
    }
    const int fd = ::open(strPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        bExists = errno != ENOENT && errno != ENOTDIR;
        return bExists ? std::string("cannot be read: ") + std::strerror(errno) : std::string();
    }
    bExists = true;
    struct stat st {};
    std::string strProblem;
    if (::fstat(fd, &st) != 0) {
        strProblem = std::string("cannot be read: ") + std::strerror(errno);
    } else if (S_ISDIR(st.st_mode)) {
        strProblem = kIsFolder;
    } else if (!S_ISREG(st.st_mode)) {
        strProblem = kNotRegular;
    } else if (st.st_size > static_cast<off_t>(kMaxFileSize)) {
        strProblem = kTooLarge;
    } else {
        text.resize(static_cast<std::size_t>(st.st_size));
        std::size_t nDone = 0;
        while (nDone < text.size()) {
            const ssize_t n = ::read(fd, text.data() + nDone, text.size() - nDone);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                strProblem = std::string("cannot be read: ") + std::strerror(errno);
                break;
            }
            if (n == 0)
                break; // it shrank while being read
            nDone += static_cast<std::size_t>(n);
        }
        text.resize(nDone);
    }
    ::close(fd);
    if (!strProblem.empty())
        text.clear();
    return strProblem;
}
#else
std::string ReadBounded(const std::string& strPath, std::string& text, bool& bExists) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path path = platform::PathFromUtf8(strPath);
    const fs::file_status st = fs::status(path, ec);
    bExists = fs::exists(st);
    if (!bExists)
        return {};
    if (fs::is_directory(st))
        return kIsFolder;
    if (!fs::is_regular_file(st))
        return kNotRegular;
    const std::uintmax_t nSize = fs::file_size(path, ec);
    if (ec)
        return "cannot be read: " + ec.message();
    if (nSize > kMaxFileSize)
        return kTooLarge;
    std::ifstream in(path, std::ios::binary);
    text.resize(static_cast<std::size_t>(nSize));
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        text.clear();
        return "cannot be read";
    }
    return {};
}
#endif

CLines ReadLines(const std::string& strPath) {
    CLines result;
    std::string text;
    bool bExists = false;
    result.strProblem = ReadBounded(strPath, text, bExists);
    if (!result.strProblem.empty())
        return result;
    // Editors on some systems start UTF-8 files with a byte-order mark; it is no part of the
    // first section's name.
    if (text.starts_with("\xEF\xBB\xBF")) {
        result.bBom = true;
        text.erase(0, 3);
    }
    result.bCrLf = text.find("\r\n") != std::string::npos;
    result.bFinalNewline = text.empty() || text.back() == '\n';
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.lines.push_back(std::move(line));
        start = end + 1;
    }
    return result;
}

// Serialises programs writing the same settings file, so that none loses a key another has
// just written: an exclusive lock on the file as it is now (created empty when missing). A
// writer that obtains its lock on a file another writer has meanwhile replaced tries again.
#ifndef _WIN32
class CWriterLock {
public:
    explicit CWriterLock(const std::string& strPath) {
        struct stat st {};
        if (::stat(strPath.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return; // refused by the reader anyway
        for (int nAttempt = 0; nAttempt < 100; ++nAttempt) {
            const int fd = ::open(strPath.c_str(), O_RDONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666);
            if (fd < 0)
                return; // the write will fail and say so
            struct stat locked {};
            struct stat now {};
            while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
            }
            if (::fstat(fd, &locked) == 0 && ::stat(strPath.c_str(), &now) == 0 &&
                locked.st_dev == now.st_dev && locked.st_ino == now.st_ino) {
                m_fd = fd;
                return;
            }
            ::close(fd);
        }
    }
    ~CWriterLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CWriterLock(const CWriterLock&) = delete;
    CWriterLock& operator=(const CWriterLock&) = delete;

private:
    int m_fd = -1;
};
#else
// Windows: a file being replaced cannot stay locked by its writer, so the lock is a named
// mutex of the session, named after the file's full path (letters folded, as the file system
// does). Every program that writes the file takes it; one whose holder ended without letting
// go takes it over (the file itself is whole: it is only ever replaced).
class CWriterLock {
public:
    explicit CWriterLock(const std::string& strPath) {
        const std::filesystem::path path = platform::PathFromUtf8(strPath);
        std::wstring full(MAX_PATH, L'\0');
        for (;;) {
            const DWORD n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()),
                                               full.data(), nullptr);
            if (n == 0)
                return; // the write will fail and say so
            if (n < full.size()) {
                full.resize(n);
                break;
            }
            full.resize(n);
        }
        if (!full.empty())
            ::CharLowerBuffW(full.data(), static_cast<DWORD>(full.size()));
        // FNV-1a: the same name in every program and every build.
        std::uint64_t nHash = 14695981039346656037ull;
        for (const wchar_t c : full) {
            nHash ^= static_cast<std::uint16_t>(c);
            nHash *= 1099511628211ull;
        }
        wchar_t name[64];
        std::swprintf(name, std::size(name), L"wr7310-settings-%016llx",
                      static_cast<unsigned long long>(nHash));
        m_hMutex = ::CreateMutexW(nullptr, FALSE, name);
        if (m_hMutex == nullptr)
            return;
        const DWORD dwWait = ::WaitForSingleObject(m_hMutex, INFINITE);
        if (dwWait != WAIT_OBJECT_0 && dwWait != WAIT_ABANDONED) {
            ::CloseHandle(m_hMutex);
            m_hMutex = nullptr;
        }
    }
    ~CWriterLock() {
        if (m_hMutex == nullptr)
            return;
        ::ReleaseMutex(m_hMutex);
        ::CloseHandle(m_hMutex);
    }
    CWriterLock(const CWriterLock&) = delete;
    CWriterLock& operator=(const CWriterLock&) = delete;

private:
    HANDLE m_hMutex = nullptr;
};
#endif

// "[name]" gives name.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    line = Trim(line);
    return !line.empty() && (line.front() == ';' || line.front() == '#');
}

// "key = value" gives key and value, both trimmed.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line) {
    if (IsComment(line))
        return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return std::pair{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

struct CKeyPlace {
    std::optional<std::size_t> section; // index of the section header line
    std::optional<std::size_t> key;     // index of the key line
    std::size_t insertAt = 0;           // where a new key of the section goes
};

CKeyPlace Locate(const std::vector<std::string>& lines, std::string_view strSection,
                 std::string_view strKey) {
    // Names asked for are trimmed like the names in the file.
    strSection = Trim(strSection);
    strKey = Trim(strKey);
    CKeyPlace place;
    bool bInSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionName(lines[i])) {
            if (bInSection)
                break; // only the first section of that name counts
            bInSection = SameName(*name, strSection);
            if (bInSection) {
                place.section = i;
                place.insertAt = i + 1;
            }
            continue;
        }
        if (!bInSection)
            continue;
        if (auto kv = KeyValue(lines[i])) {
            place.insertAt = i + 1;
            if (SameName(kv->first, strKey)) {
                place.key = i;
                return place;
            }
        }
    }
    return place;
}

} // namespace

std::string GetString(std::string_view strSection, std::string_view strKey,
                      std::string_view strDefault, std::size_t nBufferSize,
                      const std::string& strPath) {
    const CLines file = ReadLines(strPath);
    const CKeyPlace place = Locate(file.lines, strSection, strKey);
    std::string value(strDefault);
    if (place.key)
        value = std::string(KeyValue(file.lines[*place.key])->second);
    if (nBufferSize == 0)
        return {};
    if (value.size() > nBufferSize - 1)
        value.resize(nBufferSize - 1);
    return value;
}

int GetInt(std::string_view strSection, std::string_view strKey, int nDefault,
           const std::string& strPath) {
    const CLines file = ReadLines(strPath);
    const CKeyPlace place = Locate(file.lines, strSection, strKey);
    if (!place.key)
        return nDefault;
    const std::string value(KeyValue(file.lines[*place.key])->second);
    if (value.empty())
        return nDefault; // an empty value counts as missing
    // Like the old runtime: leading digits count, anything else ends the number, no digits
    // read as 0; a number too large for an int is held at the int's limit.
    const long long n = std::strtoll(value.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(n, INT32_MIN, INT32_MAX));
}

bool WriteString(std::string_view strSection, std::string_view strKey, std::string_view strValue,
                 const std::string& strPath) {
    const std::filesystem::path path(strPath);
    std::error_code ec;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), ec);
    const CWriterLock lock(strPath);
    CLines file = ReadLines(strPath);
    const CKeyPlace place = Locate(file.lines, strSection, strKey);
    const std::string keyLine = std::string(strKey) + "=" + std::string(strValue);
    if (place.key) {
        file.lines[*place.key] = keyLine;
    } else if (place.section) {
        file.lines.insert(file.lines.begin() + static_cast<long>(place.insertAt), keyLine);
    } else {
        file.lines.push_back("[" + std::string(strSection) + "]");
        file.lines.push_back(keyLine);
    }

    if (!file.strProblem.empty())
        return false; // never replace what could not be read whole

    std::string text = file.bBom ? "\xEF\xBB\xBF" : "";
    const char* eol = file.bCrLf ? "\r\n" : "\n";
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        text += file.lines[i];
        if (i + 1 < file.lines.size() || file.bFinalNewline || !place.key)
            text += eol;
    }
    // A unique temporary file beside the target, renamed over it: the old file survives a
    // failed write, and a link stays a link.
    const auto* pBytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return WriteFileReplacing(strPath, {pBytes, text.size()}) == 0;
}

std::string FileProblem(const std::string& strPath) {
    const CLines file = ReadLines(strPath);
    return file.strProblem.empty() ? std::string() : strPath + " " + file.strProblem;
}

} // namespace profile
