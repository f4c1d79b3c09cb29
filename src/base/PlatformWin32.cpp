// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Platform.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

#include <shellapi.h>

namespace platform {

namespace {

// An environment variable's value as UTF-8; empty when it is not set.
std::string EnvUtf8(const wchar_t* pszName) {
    const DWORD n = ::GetEnvironmentVariableW(pszName, nullptr, 0);
    if (n == 0)
        return {};
    std::wstring value(n, L'\0');
    const DWORD nGot = ::GetEnvironmentVariableW(pszName, value.data(), n);
    value.resize(nGot < n ? nGot : 0);
    return Utf8FromWide(value);
}

std::string SoftwareDirBelow(const wchar_t* pszEnv) {
    const std::string strBase = EnvUtf8(pszEnv);
    if (strBase.empty() || !PathFromUtf8(strBase).is_absolute())
        return {};
    return Utf8FromPath(PathFromUtf8(strBase) / L"wr7310");
}

} // namespace

std::wstring WideFromUtf8(std::string_view str) {
    if (str.empty())
        return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), wide.data(), n);
    return wide;
}

std::string Utf8FromWide(std::wstring_view str) {
    if (str.empty())
        return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), text.data(), n,
                              nullptr, nullptr);
    return text;
}

int ErrnoFromWin32(unsigned long nError) {
    switch (nError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_DIRECTORY:
        return EISDIR;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}

std::filesystem::path PathFromUtf8(std::string_view strPath) {
    return std::filesystem::path(WideFromUtf8(strPath));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return Utf8FromWide(path.native());
}

std::string ExecutableDir() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0) {
            std::error_code ec;
            return Utf8FromPath(std::filesystem::current_path(ec));
        }
        if (n < name.size()) {
            name.resize(n);
            break;
        }
        name.resize(name.size() * 2); // a long path: try a larger buffer
    }
    return Utf8FromPath(std::filesystem::path(name).parent_path());
}

bool IsWritableDir(const std::string& strDir) {
    // Access rights on Windows live in the folder's ACL, which the read-only attribute does
    // not show: the one sure test is to create a file there.
    for (unsigned n = 0; n < 16; ++n) {
        const std::filesystem::path probe =
            PathFromUtf8(strDir) / (L"~wr7310-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(n) + L".tmp");
        const HANDLE h =
            ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h);
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

bool IsPortableDir(const std::string& strDir) {
    // Names compare without regard to case, as the file system does.
    auto lower = [](std::wstring str) {
        if (!str.empty())
            ::CharLowerBuffW(str.data(), static_cast<DWORD>(str.size()));
        const std::filesystem::path path = std::filesystem::path(str).lexically_normal();
        return path.has_filename() ? path : path.parent_path(); // no trailing separator
    };
    const std::filesystem::path dir = lower(WideFromUtf8(strDir));
    for (const wchar_t* pszEnv : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
        const std::string strBase = EnvUtf8(pszEnv);
        if (strBase.empty())
            continue;
        const std::filesystem::path base = lower(WideFromUtf8(strBase));
        if (std::mismatch(base.begin(), base.end(), dir.begin(), dir.end()).first == base.end())
            return false;
    }
    return IsWritableDir(strDir);
}

std::string UserConfigDir() {
    return SoftwareDirBelow(L"APPDATA");
}

std::string UserDataDir() {
    return SoftwareDirBelow(L"LOCALAPPDATA");
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int nArgs = 0;
    LPWSTR* ppArgs = ::CommandLineToArgvW(::GetCommandLineW(), &nArgs);
    if (!ppArgs)
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                        : std::vector<std::string>{};
    std::vector<std::string> args;
    for (int i = 1; i < nArgs; ++i)
        args.push_back(Utf8FromWide(ppArgs[i]));
    ::LocalFree(ppArgs);
    return args;
}

void UseUtf8Console() {
    ::SetConsoleOutputCP(CP_UTF8);
}

} // namespace platform
