// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortNames.h"

#include "base/Messages.h"
#include "base/ProfileFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A built-in UART slot exists whether or not a port is fitted; the serial core reports the
// UART type it found, 0 meaning none.
bool HasUart(const fs::path& sysEntry) {
    std::ifstream in(sysEntry / "type");
    int nType = 0;
    if (in >> nType)
        return nType != 0;
    std::error_code ec;
    return fs::exists(sysEntry / "device", ec); // no type: a port with hardware of its own
}

// Names "<prefix>N" in a folder, ordered by N.
std::vector<std::string> Numbered(const fs::path& dir, const std::string& strPrefix, bool bNeedUart,
                                  const fs::path& devDir) {
    std::vector<std::pair<unsigned long, std::string>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(strPrefix) || name.size() == strPrefix.size() ||
            name.size() > strPrefix.size() + 6)
            continue;
        const std::string digits = name.substr(strPrefix.size());
        if (digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code ec2;
        if (!fs::exists(devDir / name, ec2))
            continue; // listed by the kernel but without a node here (a container, say)
        if (bNeedUart && !HasUart(entry.path()))
            continue;
        found.emplace_back(std::stoul(digits), (devDir / name).string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> devices;
    for (auto& [n, path] : found)
        devices.push_back(std::move(path));
    return devices;
}

// True when this process already holds group gid.
bool InSessionGroup(gid_t gid) {
    if (::getegid() == gid)
        return true;
    const int n = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(n, 0)));
    const int nGot = ::getgroups(n, groups.data());
    return std::find(groups.begin(), groups.begin() + std::max(nGot, 0), gid) !=
           groups.begin() + std::max(nGot, 0);
}

// True when the group database lists the user of this process in the group, whether or not
// this login session has picked that membership up yet.
bool ListedInGroup(const group& gr) {
    if (const passwd* pw = ::getpwuid(::geteuid())) {
        if (pw->pw_gid == gr.gr_gid)
            return true;
        for (char** pp = gr.gr_mem; pp && *pp; ++pp)
            if (std::string_view(*pp) == pw->pw_name)
                return true;
    }
    return false;
}

template <typename... Args> std::string Format(const char* pszFormat, const Args&... args) {
    const int n = std::snprintf(nullptr, 0, pszFormat, args.c_str()...);
    if (n <= 0)
        return {};
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(text.data(), text.size(), pszFormat, args.c_str()...);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

} // namespace

std::vector<std::string> PresentSerialDevices(const std::string& strSysTtyDir,
                                              const std::string& strDevDir) {
    // The kernel's list of terminals says which built-in ports have hardware; without it
    // (sysfs not mounted) the device folder itself is the list.
    std::error_code ec;
    const bool bSysfs = fs::is_directory(strSysTtyDir, ec);
    const fs::path listDir = bSysfs ? fs::path(strSysTtyDir) : fs::path(strDevDir);
    std::vector<std::string> devices;
    for (const auto& [prefix, bNeedUart] :
         {std::pair{"ttyUSB", false}, std::pair{"ttyACM", false}, std::pair{"ttyS", bSysfs}}) {
        auto more = Numbered(listDir, prefix, bNeedUart, strDevDir);
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

std::string PortPermissionHint(const std::string& strDevice) {
    struct stat st {};
    if (::stat(strDevice.c_str(), &st) != 0)
        return {};
    const group* gr = ::getgrgid(st.st_gid);
    const bool bGroupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (!gr || !bGroupMayUse || st.st_gid == 0)
        return Format(msg::kPortNoAccessFmt, strDevice);
    const std::string strGroup = gr->gr_name;
    if (InSessionGroup(st.st_gid))
        return Format(msg::kPortNoAccessFmt, strDevice); // the group is not what is missing
    if (ListedInGroup(*gr))
        return Format(msg::kPortGroupPendingFmt, strDevice, strGroup);
    return Format(msg::kPortGroupHintFmt, strDevice, strGroup, strGroup);
}

std::vector<std::string> ProcessesHolding(const std::string& strDevice,
                                          const std::string& strProcDir) {
    std::vector<std::string> holders;
    std::error_code ec;
    const fs::path device = fs::canonical(strDevice, ec);
    if (ec)
        return holders;
    const std::string strSelf = std::to_string(::getpid());
    for (const auto& proc : fs::directory_iterator(strProcDir, ec)) {
        const std::string strPid = proc.path().filename().string();
        if (strPid.empty() || strPid.find_first_not_of("0123456789") != std::string::npos ||
            strPid == strSelf)
            continue;
        std::error_code ecFd;
        for (const auto& fd : fs::directory_iterator(proc.path() / "fd", ecFd)) {
            std::error_code ecLink;
            if (fs::read_symlink(fd.path(), ecLink) != device || ecLink)
                continue;
            std::string strName;
            std::ifstream comm(proc.path() / "comm");
            std::getline(comm, strName);
            holders.push_back(strPid + (strName.empty() ? "" : " (" + strName + ")"));
            break;
        }
    }
    return holders;
}
