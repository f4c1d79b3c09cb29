#include "service/EepromMap.h"

#include "app/Messages.h"
#include "app/Platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
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

std::string ScratchPath() {
    const std::string strFolder = ScratchFolder();
#if defined(_WIN32)
    constexpr const char* kSeparator = "\\";
#else
    constexpr const char* kSeparator = "/";
#endif
    return strFolder.empty() ? std::string() : strFolder + kSeparator + kScratchFileName;
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
