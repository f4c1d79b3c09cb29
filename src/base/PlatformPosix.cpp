// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Platform.h"

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace platform {

namespace {

// The value of an environment variable that names an absolute folder; empty otherwise.
std::string AbsoluteDirFromEnv(const char* pszName) {
    const char* psz = std::getenv(pszName);
    if (psz && *psz && std::filesystem::path(psz).is_absolute())
        return psz;
    return {};
}

// True when path lies in base or below it, compared name by name ("/usrx" is not below "/usr").
bool IsBelow(const std::filesystem::path& path, const std::filesystem::path& base) {
    return std::mismatch(base.begin(), base.end(), path.begin(), path.end()).first == base.end();
}

std::string HomeSubdir(const char* pszSubdir) {
    const char* pszHome = std::getenv("HOME");
    if (!pszHome || !*pszHome)
        return {};
    return (std::filesystem::path(pszHome) / pszSubdir).string();
}

} // namespace

std::filesystem::path PathFromUtf8(std::string_view strPath) {
    return std::filesystem::path(strPath);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return path.string();
}

std::string ExecutableDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}

bool IsWritableDir(const std::string& strDir) {
    return ::access(strDir.c_str(), W_OK) == 0;
}

bool IsPortableDir(const std::string& strDir) {
    std::error_code ec;
    // Through links: a link in a home folder to /usr/bin/WR7310SXtra is still installed.
    const std::filesystem::path dir = std::filesystem::weakly_canonical(strDir, ec);
    if (ec || !dir.is_absolute())
        return false;
    for (const char* pszSystem : {"/usr", "/opt", "/bin", "/sbin"})
        if (IsBelow(dir, pszSystem))
            return false;
    if (std::filesystem::exists(dir.parent_path() / "share" / "wr7310", ec))
        return false;
    return IsWritableDir(dir.string());
}

std::string UserConfigDir() {
    std::string strBase = AbsoluteDirFromEnv("XDG_CONFIG_HOME");
    if (strBase.empty())
        strBase = HomeSubdir(".config");
    return strBase.empty() ? std::string{} : strBase + "/wr7310";
}

std::string UserDataDir() {
    std::string strBase = AbsoluteDirFromEnv("XDG_DATA_HOME");
    if (strBase.empty())
        strBase = HomeSubdir(".local/share");
    return strBase.empty() ? std::string{} : strBase + "/wr7310";
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

void UseUtf8Console() {}

} // namespace platform
