// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/Backup.h"

#include "base/LocalTime.h"
#include "base/Platform.h"
#include "base/RadioFile.h"
#include "variants/Variant.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// The radio file of an image: the signature field, then the image with the areas a radio
// file never carries written as zeros.
std::vector<std::uint8_t> RadioFileBytes(const CVariant& v, std::span<const std::uint8_t> image) {
    std::vector<std::uint8_t> bytes(v.nSignatureFieldSize, 0);
    std::copy_n(v.strSignature.begin(), std::min(v.strSignature.size(), bytes.size() - 1),
                bytes.begin());
    bytes.insert(bytes.end(), image.begin(), image.end());
    for (const CAddrRange& r : v.fileZeroRanges)
        std::fill_n(bytes.begin() + static_cast<long>(v.nSignatureFieldSize + r.nStart), r.nLength,
                    std::uint8_t{0});
    return bytes;
}

std::string Timestamp(std::chrono::system_clock::time_point when) {
    return FormatLocalTime(std::chrono::system_clock::to_time_t(when), "%Y%m%d-%H%M%S");
}

#ifdef _WIN32
// Creates strPath (never replacing a file) and writes all bytes. Empty on success, else the
// reason.
std::string WriteNewFile(const std::string& strPath, const std::vector<std::uint8_t>& bytes) {
    const std::filesystem::path path = platform::PathFromUtf8(strPath);
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::system_category().message(static_cast<int>(::GetLastError()));
    DWORD nWritten = 0;
    const bool bOk =
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, nullptr) &&
        nWritten == bytes.size();
    const DWORD nError = bOk ? 0 : ::GetLastError();
    if (!::CloseHandle(h) || !bOk) {
        ::DeleteFileW(path.c_str());
        return std::system_category().message(static_cast<int>(nError ? nError : ::GetLastError()));
    }
    return {};
}
#else
// Creates strPath (never replacing a file) and writes all bytes. Empty on success, else the
// reason.
std::string WriteNewFile(const std::string& strPath, const std::vector<std::uint8_t>& bytes) {
    const int fd = ::open(strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return std::strerror(errno);
    std::size_t nDone = 0;
    while (nDone < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + nDone, bytes.size() - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const std::string strError = std::strerror(errno);
            ::close(fd);
            ::unlink(strPath.c_str());
            return strError;
        }
        nDone += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        const std::string strError = std::strerror(errno);
        ::unlink(strPath.c_str());
        return strError;
    }
    return {};
}
#endif

} // namespace

std::string BackupDir() {
    const std::string strData = platform::UserDataDir();
    if (strData.empty())
        return {};
    return platform::Utf8FromPath(platform::PathFromUtf8(strData) / "backups");
}

CBackupResult SaveBackup(const CVariant& variant, std::span<const std::uint8_t> image,
                         const std::string& strDir, std::chrono::system_clock::time_point when) {
    namespace fs = std::filesystem;
    CBackupResult result;
    const std::string strFolder = strDir.empty() ? BackupDir() : strDir;
    if (strFolder.empty()) {
        result.strError = "no folder for backups (neither XDG_DATA_HOME nor HOME is set)";
        return result;
    }
    std::error_code ec;
    fs::create_directories(platform::PathFromUtf8(strFolder), ec);
    if (ec) {
        result.strError = "cannot create " + strFolder + ": " + ec.message();
        return result;
    }
    const std::vector<std::uint8_t> bytes = RadioFileBytes(variant, image);
    const std::vector<std::uint8_t> raw(image.begin(), image.end());
    const std::string strStem =
        platform::Utf8FromPath(platform::PathFromUtf8(strFolder) /
                               (std::string(variant.strModel) + "-" + Timestamp(when)));
    const std::string strExt(variant.strFileExt);
    for (int nCopy = 1; nCopy < 100; ++nCopy) {
        const std::string strPath =
            nCopy == 1 ? strStem + strExt : strStem + "-" + std::to_string(nCopy) + strExt;
        const std::string strError = WriteNewFile(strPath, bytes);
        if (strError.empty()) {
            // A backup is both files: without its raw image it would not restore everything.
            const std::string strImage = BackupImagePath(strPath);
            if (std::string strImageError = WriteNewFile(strImage, raw); !strImageError.empty()) {
                fs::remove(platform::PathFromUtf8(strPath), ec);
                result.strError = "cannot write " + strImage + ": " + strImageError;
                return result;
            }
            result.strPath = strPath;
            return result;
        }
        if (!fs::exists(platform::PathFromUtf8(strPath))) {
            result.strError = "cannot write " + strPath + ": " + strError;
            return result;
        }
    }
    result.strError = "too many backups named " + strStem + "*" + strExt;
    return result;
}

std::string BackupImagePath(const std::string& strBackup) {
    std::filesystem::path path = platform::PathFromUtf8(strBackup);
    path.replace_extension(".img");
    return platform::Utf8FromPath(path);
}

std::vector<std::uint8_t> LoadBackupImage(const CVariant& variant, const std::string& strBackup,
                                          std::string& strError) {
    std::vector<std::uint8_t> bytes;
    const std::string strImage = BackupImagePath(strBackup);
    // One byte more than an image tells a file that is no image of this model.
    CFileReadResult r = ReadFilePrefix(strImage, variant.nImageSize + 1, bytes);
    if (r.status == CFileReadResult::Status::TooShort && bytes.size() == variant.nImageSize)
        return bytes;
    if (r.status != CFileReadResult::Status::Failed || r.nErrno != ENOENT) {
        strError = strImage + " is no raw image of the " + std::string(variant.strModel) + " (" +
                   std::to_string(variant.nImageSize) + " bytes)";
        return {};
    }
    r = ReadFilePrefix(strBackup, variant.FileSize(), bytes);
    if (r.status != CFileReadResult::Status::Ok) {
        strError = strBackup +
                   (r.status == CFileReadResult::Status::Failed
                        ? std::string(": ") + std::strerror(r.nErrno)
                        : " is shorter than a radio file of the " + std::string(variant.strModel));
        return {};
    }
    if (VariantOfFile(bytes, bytes.size()) != &variant) {
        strError = strBackup + " is no radio file of the " + std::string(variant.strModel);
        return {};
    }
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<long>(variant.nSignatureFieldSize));
    return bytes;
}