#include "cli/CliSupport.h"

#include "app/ProfileFile.h"
#include "cli/Commands.h"
#include "link/RadioComm.h"
#include "transfer/Interrupt.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

void AttachTrace(CRadioComm& comm, const CCliOptions& options) {
    if (!options.bTrace)
        return;
    comm.SetTrace([](bool bSent, std::span<const std::uint8_t> bytes) {
        std::cerr << (bSent ? "> " : "< ") << HexBytes(bytes) << '\n';
    });
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    char pair[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        if (!text.empty())
            text += ' ';
        text += pair;
    }
    return text;
}

std::string PrintableText(std::string_view str) {
    std::string text;
    char escape[8];
    for (char c : str) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\') {
            text += c;
        } else {
            std::snprintf(escape, sizeof escape, "\\x%02X", u);
            text += escape;
        }
    }
    return text;
}

void PrintPermissionHints(const CRadioComm& comm) {
    if (const std::string strReason = comm.DeviceFailureReason(); !strReason.empty())
        std::cerr << strReason << '\n';
    for (const std::string& strHint : comm.PermissionHints())
        std::cerr << strHint << '\n';
}

bool ConnectRadio(CRadioComm& comm, const CCliContext& ctx) {
    AttachTrace(comm, ctx.options);
    if (comm.Connect() == 0) {
        PrintPermissionHints(comm);
        return false;
    }
    if (!comm.CheckFirmwareVersion()) {
        comm.Close();
        return false;
    }
    return true;
}

bool CheckSettingsFile(const std::string& strIniFile, const CCliOptions& options) {
    std::error_code ec;
    if (!options.strIniFile.empty() && !std::filesystem::exists(options.strIniFile, ec)) {
        std::cerr << "wr7310: settings file " << options.strIniFile << " does not exist\n";
        return false;
    }
    const std::string strProblem = profile::FileProblem(strIniFile);
    if (!strProblem.empty()) {
        std::cerr << "wr7310: settings file " << strProblem << '\n';
        return false;
    }
    return true;
}

int FinishCommand(int nStatus) {
    std::cout.flush();
    errno = 0;
    const bool bFlushed = std::fflush(stdout) == 0;
    const int nErr = errno;
    if (!bFlushed || std::ferror(stdout) || !std::cout) {
        std::cerr << "wr7310: cannot write standard output"
                  << (nErr != 0 ? std::string(": ") + std::strerror(nErr) : std::string()) << '\n';
        // 2, as diff and cmp report trouble: 1 would read as "the images differ".
        if (nStatus < 2)
            nStatus = 2;
    }
    return InterruptExitStatus(nStatus);
}
