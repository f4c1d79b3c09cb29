// SPDX-License-Identifier: GPL-3.0-or-later
// COM port names on Windows are the system's own: COMn is \\.\COMn.
#include "link/PortNames.h"

#include "base/Platform.h"

#include <algorithm>
#include <cwchar>
#include <windows.h>

std::vector<std::string> PresentSerialDevices(const std::string&, const std::string&) {
    // Every DOS device name; the COM ports among them, by number.
    std::wstring names(1 << 16, L'\0');
    DWORD n = 0;
    while ((n = ::QueryDosDeviceW(nullptr, names.data(), static_cast<DWORD>(names.size()))) == 0 &&
           ::GetLastError() == ERROR_INSUFFICIENT_BUFFER && names.size() < (1u << 24))
        names.resize(names.size() * 2);
    std::vector<unsigned long> ports;
    for (const wchar_t* p = names.c_str(); p < names.c_str() + n && *p; p += std::wcslen(p) + 1) {
        if (_wcsnicmp(p, L"COM", 3) != 0 || !p[3])
            continue;
        wchar_t* pEnd = nullptr;
        const unsigned long nPort = std::wcstoul(p + 3, &pEnd, 10);
        if (*pEnd == L'\0' && nPort > 0)
            ports.push_back(nPort);
    }
    std::sort(ports.begin(), ports.end());
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    std::vector<std::string> devices;
    for (const unsigned long nPort : ports)
        devices.push_back("\\\\.\\COM" + std::to_string(nPort));
    return devices;
}

std::string ComPortDevice(int nPort, const std::string&) {
    if (nPort < 1)
        return {};
    return "\\\\.\\COM" + std::to_string(nPort);
}

std::string PortPermissionHint(const std::string&) {
    return {}; // Windows grants COM ports to every user; a port in use is simply busy
}

std::vector<std::string> ProcessesHolding(const std::string&, const std::string&) {
    // Windows tells no user program which process holds a COM port open: the busy message
    // then names the port alone.
    return {};
}
