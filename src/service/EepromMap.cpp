// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/EepromMap.h"

#include "base/Messages.h"
#include "base/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace eeprom {

namespace {

template <typename... Args> std::string Format(const char* pszFormat, Args... args) {
    char sz[64];
    std::snprintf(sz, sizeof sz, pszFormat, args...);
    return sz;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

#ifndef _WIN32
std::string EnvFolder(const char* pszName) {
    const char* psz = std::getenv(pszName);
    if (!psz || psz[0] != '/')
        return {};
    return psz;
}
#endif

long CurrentPid() {
#if defined(_WIN32)
    return static_cast<long>(::_getpid());
#else
    return static_cast<long>(::getpid());
#endif
}

#if !defined(_WIN32)
// Calls fnPart(nDone), a pread or pwrite at offset nDone, until nSize bytes are done, retrying
// an interrupted call; false on an error or an early end of file.
template <typename Fn> bool TransferAll(std::size_t nSize, Fn fnPart) {
    std::size_t nDone = 0;
    while (nDone < nSize) {
        const ssize_t n = fnPart(nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        nDone += static_cast<std::size_t>(n);
    }
    return true;
}
#endif

// The scratch file, opened for reading and writing and created when missing; -1 when it
// cannot be used. The folder is made private to the user first.
class CScratchFile {
public:
    explicit CScratchFile(const std::string& strPath) {
#if defined(_WIN32)
        // The folder is below the user's own local application data, which only the user
        // may open; the name goes to the system as wide characters.
        const std::filesystem::path path = platform::PathFromUtf8(strPath);
        std::error_code ec;
        std::filesystem::create_directories(path.parent_path(), ec);
        m_fd = _wopen(path.c_str(), _O_RDWR | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                      _S_IREAD | _S_IWRITE);
#else
        const std::filesystem::path folder = std::filesystem::path(strPath).parent_path();
        std::error_code ec; // a missing cache folder is made; its absence shows below
        std::filesystem::create_directories(folder.parent_path(), ec);
        if (!folder.empty() && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return;
        // The folder must be a real folder of this user, not a link or somebody else's.
        struct stat st {};
        if (!folder.empty() &&
            (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()))
            return;
        m_fd = ::open(strPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return;
        // Only a plain file of this user that has no other name is ours to overwrite.
        if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
            st.st_nlink != 1) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        ::fchmod(m_fd, 0600);
#endif
    }
    ~CScratchFile() {
        if (m_fd >= 0)
#if defined(_WIN32)
            _close(m_fd);
#else
            ::close(m_fd);
#endif
    }
    CScratchFile(const CScratchFile&) = delete;
    CScratchFile& operator=(const CScratchFile&) = delete;

    bool IsOpen() const {
        return m_fd >= 0;
    }

    // Reads exactly buffer.size() bytes from the start; false on a short read.
    bool ReadAll(std::vector<std::uint8_t>& buffer) {
#if defined(_WIN32)
        if (_lseek(m_fd, 0, SEEK_SET) != 0)
            return false;
        return _read(m_fd, buffer.data(), static_cast<unsigned>(buffer.size())) ==
               static_cast<int>(buffer.size());
#else
        return TransferAll(buffer.size(), [&](std::size_t nDone) {
            return ::pread(m_fd, buffer.data() + nDone, buffer.size() - nDone,
                           static_cast<off_t>(nDone));
        });
#endif
    }

    // Replaces the contents with buffer; false when not all of it was written.
    bool WriteAll(const std::vector<std::uint8_t>& buffer) {
#if defined(_WIN32)
        if (_lseek(m_fd, 0, SEEK_SET) != 0 || _chsize(m_fd, 0) != 0)
            return false;
        return _write(m_fd, buffer.data(), static_cast<unsigned>(buffer.size())) ==
               static_cast<int>(buffer.size());
#else
        if (::ftruncate(m_fd, 0) != 0)
            return false;
        return TransferAll(buffer.size(), [&](std::size_t nDone) {
            return ::pwrite(m_fd, buffer.data() + nDone, buffer.size() - nDone,
                            static_cast<off_t>(nDone));
        });
#endif
    }

private:
    int m_fd = -1;
};

} // namespace

bool CChangeTracker::s_bGridSaved = false;

int DataRows(const CVariant& v) {
    return v.nImageSize / kBytesPerRow;
}

std::string CornerText() {
    return "Addr.";
}

std::string ColumnHeaderText(int nCol) {
    return Format("__%01X", nCol - 1);
}

std::string RowHeaderText(int nRow) {
    return Format("%03X_", nRow - 1);
}

std::string CellText(std::uint8_t nByte) {
    return Format("%02X", nByte);
}

int CellAddress(int nRow, int nCol) {
    return (nRow - 1) * kBytesPerRow + (nCol - 1);
}

std::string AddressLabelText(int nRow, int nCol) {
    return Format("$%04X:", CellAddress(nRow, nCol));
}

std::string ValueText(std::string_view strCellText) {
    return "0x" + std::string(strCellText);
}

std::uint8_t HexTextToByte(std::string_view strText) {
    if (strText.size() != 2)
        return 0xFF;
    return static_cast<std::uint8_t>(16 * HexDigit(strText[0]) + HexDigit(strText[1]));
}

std::string RangeMessage(const CVariant& v) {
    return Format(msg::kAddressRangeFmt, v.nImageSize - 1);
}

bool FillAllowed(const CVariant& v, int nStartRow) {
    return nStartRow < DataRows(v);
}

std::string CellAccessibleText(int nRow, int nCol, std::string_view strCellText) {
    return AddressLabelText(nRow, nCol) + " " + ValueText(strCellText);
}

std::pair<int, int> CellOfAddress(int nAddress) {
    return {nAddress / kBytesPerRow + 1, nAddress % kBytesPerRow + 1};
}

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The value of 1 to nMaxDigits hex digits; nothing for anything else.
std::optional<int> HexNumber(std::string_view str, std::size_t nMaxDigits) {
    if (str.empty() || str.size() > nMaxDigits)
        return std::nullopt;
    int n = 0;
    for (char c : str) {
        if (!IsHexDigit(c))
            return std::nullopt;
        n = n * 16 + HexDigit(c);
    }
    return n;
}

std::string Trimmed(std::string_view str) {
    const auto nFirst = str.find_first_not_of(" \t");
    if (nFirst == std::string_view::npos)
        return {};
    const auto nLast = str.find_last_not_of(" \t");
    return std::string(str.substr(nFirst, nLast - nFirst + 1));
}

} // namespace

std::optional<int> EntryAddress(std::string_view strEntry) {
    if (strEntry.size() < 6 || strEntry[0] != '$' || strEntry[5] != ':')
        return std::nullopt;
    return HexNumber(strEntry.substr(1, 4), 4);
}

std::string IntelHex(std::span<const std::uint8_t> image) {
    std::string str;
    auto record = [&str](int nType, unsigned nAddress, std::span<const std::uint8_t> data) {
        unsigned nSum = static_cast<unsigned>(data.size()) + ((nAddress >> 8) & 0xFF) +
                        (nAddress & 0xFF) + static_cast<unsigned>(nType);
        str += Format(":%02X%04X%02X", static_cast<unsigned>(data.size()), nAddress & 0xFFFF,
                      static_cast<unsigned>(nType));
        for (std::uint8_t b : data) {
            str += Format("%02X", b);
            nSum += b;
        }
        str += Format("%02X\r\n", (0x100 - (nSum & 0xFF)) & 0xFF);
    };
    for (std::size_t nAt = 0; nAt < image.size(); nAt += kBytesPerRow) {
        if (nAt > 0 && nAt % 0x10000 == 0) {
            const std::uint8_t upper[2] = {static_cast<std::uint8_t>(nAt >> 24),
                                           static_cast<std::uint8_t>(nAt >> 16)};
            record(4, 0, upper);
        }
        record(0, static_cast<unsigned>(nAt),
               image.subspan(nAt, std::min<std::size_t>(kBytesPerRow, image.size() - nAt)));
    }
    record(1, 0, {});
    return str;
}

CFindQuery ParseFind(std::string_view strText) {
    CFindQuery q;
    const std::string str = Trimmed(strText);
    std::string_view rest(str);
    if (rest.starts_with('$') || rest.starts_with("0x") || rest.starts_with("0X")) {
        rest.remove_prefix(rest[0] == '$' ? 1 : 2);
        if (const auto nAddress = HexNumber(rest, 4)) {
            q.kind = CFindQuery::Kind::Address;
            q.nAddress = *nAddress;
        }
        return q;
    }
    // Bytes: blank- or comma-separated tokens of one hex digit, or of pairs of them.
    std::size_t nAt = 0;
    while (nAt < rest.size()) {
        if (rest[nAt] == ' ' || rest[nAt] == '\t' || rest[nAt] == ',') {
            ++nAt;
            continue;
        }
        std::size_t nEnd = nAt;
        while (nEnd < rest.size() && IsHexDigit(rest[nEnd]))
            ++nEnd;
        const std::size_t nLength = nEnd - nAt;
        const bool bSeparated =
            nEnd == rest.size() || rest[nEnd] == ' ' || rest[nEnd] == '\t' || rest[nEnd] == ',';
        if (nLength == 0 || !bSeparated || (nLength > 2 && nLength % 2 != 0)) {
            q.bytes.clear();
            return q;
        }
        for (std::size_t i = nAt; i < nEnd; i += 2)
            q.bytes.push_back(static_cast<std::uint8_t>(
                *HexNumber(rest.substr(i, std::min<std::size_t>(2, nEnd - i)), 2)));
        nAt = nEnd;
    }
    if (!q.bytes.empty())
        q.kind = CFindQuery::Kind::Bytes;
    return q;
}

std::string AddressPastEndText(int nAddress, int nImageSize) {
    return Format("$%04X is past the last address $%04X", nAddress, nImageSize - 1);
}

std::optional<int> FindBytes(std::span<const std::uint8_t> image,
                             std::span<const std::uint8_t> bytes, int nFrom) {
    const auto nSize = static_cast<int>(image.size());
    const auto nLength = static_cast<int>(bytes.size());
    if (nLength == 0 || nLength > nSize)
        return std::nullopt;
    const int nStart = nFrom >= 0 && nFrom < nSize ? nFrom : 0;
    for (int k = 0; k < nSize; ++k) {
        const int nAt = (nStart + k) % nSize;
        if (nAt + nLength <= nSize && std::equal(bytes.begin(), bytes.end(), image.begin() + nAt))
            return nAt;
    }
    return std::nullopt;
}

std::string CByteChange::Entry() const {
    return Format("$%04X:0x%02X -> 0x", CellAddress(nRow, nCol), nOld) + strNewText;
}

std::string ScratchFolder() {
#if defined(_WIN32)
    return platform::UserDataDir(); // %LOCALAPPDATA%\wr7310
#else
    std::string strBase = EnvFolder("XDG_RUNTIME_DIR");
    if (strBase.empty()) {
        strBase = EnvFolder("XDG_CACHE_HOME");
        if (strBase.empty()) {
            const std::string strHome = EnvFolder("HOME");
            if (strHome.empty())
                return {};
            strBase = strHome + "/.cache";
        }
    }
    return strBase + "/wr7310";
#endif
}

std::string ScratchFileName(long nPid) {
    return std::string(kScratchPrefix) + std::to_string(nPid) + std::string(kScratchSuffix);
}

long ScratchFilePid(std::string_view strName) {
    if (strName.size() <= kScratchPrefix.size() + kScratchSuffix.size() ||
        !strName.starts_with(kScratchPrefix) || !strName.ends_with(kScratchSuffix))
        return 0;
    const std::string_view strDigits = strName.substr(
        kScratchPrefix.size(), strName.size() - kScratchPrefix.size() - kScratchSuffix.size());
    if (strDigits.size() > 9 || strDigits.front() == '0')
        return 0;
    long nPid = 0;
    for (char c : strDigits) {
        if (c < '0' || c > '9')
            return 0;
        nPid = nPid * 10 + (c - '0');
    }
    return nPid;
}

std::string ScratchPath() {
    const std::string strFolder = ScratchFolder();
#if defined(_WIN32)
    constexpr const char* kSeparator = "\\";
#else
    constexpr const char* kSeparator = "/";
#endif
    return strFolder.empty() ? std::string()
                             : strFolder + kSeparator + ScratchFileName(CurrentPid());
}

bool ProcessRunning(long nPid) {
#if defined(_WIN32)
    HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(nPid));
    if (!h)
        return ::GetLastError() == ERROR_ACCESS_DENIED; // somebody else's, and running
    DWORD nCode = 0;
    const bool bRunning = ::GetExitCodeProcess(h, &nCode) && nCode == STILL_ACTIVE;
    ::CloseHandle(h);
    return bRunning;
#else
    return ::kill(static_cast<pid_t>(nPid), 0) == 0 || errno == EPERM;
#endif
}

void RemoveStaleScratchFiles(const std::string& strFolder,
                             const std::function<bool(long nPid)>& fnRunning) {
    if (strFolder.empty())
        return;
    std::error_code ec; // a folder that cannot be listed holds nothing to clean
    std::vector<std::filesystem::path> stale;
    std::filesystem::directory_iterator it(platform::PathFromUtf8(strFolder), ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const long nPid = ScratchFilePid(platform::Utf8FromPath(it->path().filename()));
        std::error_code ecType;
        const auto type = it->symlink_status(ecType).type();
        const bool bFile = type == std::filesystem::file_type::regular ||
                           type == std::filesystem::file_type::symlink;
        if (nPid > 0 && nPid != CurrentPid() && bFile && !fnRunning(nPid))
            stale.push_back(it->path());
    }
    for (const std::filesystem::path& path : stale)
        std::filesystem::remove(path, ec); // a link goes, never what it names
}

void RemoveScratchFile() {
    const std::string strPath = ScratchPath();
    if (strPath.empty())
        return;
#if defined(_WIN32)
    ::_wremove(platform::PathFromUtf8(strPath).c_str()); // the name in any script
#else
    std::remove(strPath.c_str()); // removes a link itself, never its target
#endif
}

std::vector<CByteChange> CChangeTracker::ShowChanges(const CellTextFn& fnCellText, int nRows,
                                                     int nCols, const std::string& strPath) {
    std::vector<CByteChange> changes;
    if (strPath.empty() || nRows <= 0 || nCols <= 0)
        return changes;
    if (!s_bGridSaved)
        RemoveStaleScratchFiles(
            platform::Utf8FromPath(platform::PathFromUtf8(strPath).parent_path()));
    CScratchFile file(strPath);
    if (!file.IsOpen())
        return changes;

    const auto n = static_cast<std::size_t>(nRows) * static_cast<std::size_t>(nCols);
    std::vector<std::uint8_t> saved(n);
    std::vector<std::uint8_t> current(n);
    auto index = [nCols](int nRow, int nCol) {
        return static_cast<std::size_t>((nRow - 1) * nCols + (nCol - 1));
    };
    // A copy that is shorter than the map (cut by something else) counts as no copy.
    const bool bHaveSaved = s_bGridSaved && file.ReadAll(saved);
    for (int nRow = 1; nRow <= nRows; ++nRow)
        for (int nCol = 1; nCol <= nCols; ++nCol) {
            const std::size_t i = index(nRow, nCol);
            std::string strText = fnCellText(nRow, nCol);
            current[i] = HexTextToByte(strText);
            if (bHaveSaved && current[i] != saved[i])
                changes.push_back({nRow, nCol, saved[i], std::move(strText)});
        }
    if (file.WriteAll(current))
        s_bGridSaved = true;
    return changes;
}

} // namespace eeprom
