#include "link/PortNames.h"

#include "app/ProfileFile.h"

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// Devices /dev/<prefix>N, ordered by N.
std::vector<std::string> Numbered(const std::string& strPrefix, bool bNeedHardware) {
    std::vector<std::pair<long, std::string>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/sys/class/tty", ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(strPrefix) || name.size() == strPrefix.size())
            continue;
        const std::string digits = name.substr(strPrefix.size());
        if (digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // Built-in UART slots exist whether or not a port is fitted; a fitted one has a
        // driver bound to a device other than the generic platform placeholder.
        if (bNeedHardware) {
            std::error_code ec2;
            const fs::path driver = fs::read_symlink(entry.path() / "device" / "driver", ec2);
            if (ec2 || driver.filename() == "serial8250")
                continue;
        }
        found.emplace_back(std::stol(digits), "/dev/" + name);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> devices;
    for (auto& [n, path] : found)
        devices.push_back(std::move(path));
    return devices;
}

} // namespace

std::vector<std::string> PresentSerialDevices() {
    std::vector<std::string> devices;
    for (const auto& [prefix, bNeedHardware] :
         {std::pair{"ttyUSB", false}, std::pair{"ttyACM", false}, std::pair{"ttyS", true}}) {
        auto more = Numbered(prefix, bNeedHardware);
        devices.insert(devices.end(), more.begin(), more.end());
    }
    return devices;
}

std::string ComPortDevice(int nPort, const std::string& strIniFile) {
    if (nPort < 1)
        return {};
    const std::string strKey = "Device" + std::to_string(nPort);
    std::string strDevice = profile::GetString("COM PORT", strKey, "", 4096, strIniFile);
    if (!strDevice.empty())
        return strDevice;
    const std::vector<std::string> present = PresentSerialDevices();
    return static_cast<std::size_t>(nPort) <= present.size() ? present[nPort - 1] : std::string{};
}
