#include "app/Platform.h"

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
