// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-image read and write against a radio on a given port, for comparing one build with
// another on the same radio: the Linux program with the Windows one under Wine, say, both
// talking to the simulated radio pacing its line at 9600 baud. Prints the wall time of each
// transfer against the wire floor computed from the frames exchanged.
//
//     port_transfer_bench DEVICE|COMn [read|write|both] [RUNS]
#include "app/WR7310App.h"
#include "base/Notifier.h"
#include "link/RadioComm.h"
#include "transfer/ImageTransfer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace {

// CPU time of this process so far (every thread), in seconds.
double CpuSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    auto sec = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) *
               1e-7;
    };
    return sec(kernel) + sec(user);
#else
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    auto sec = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return sec(ru.ru_utime) + sec(ru.ru_stime);
#endif
}

constexpr double kBitsPerChar = 11.0; // start, 8 data, parity, stop
constexpr double kBaud = 9600.0;

struct CFigures {
    double dWall = 0;
    double dCpu = 0;
    std::size_t nSent = 0;
    std::size_t nReceived = 0;
    std::size_t nExchanges = 0;
};

bool Measure(CWR7310App& app, TransferMode mode, CFigures& f) {
    CImageTransfer transfer(app, mode);
    transfer.m_comm.SetTrace([&f](bool bSent, std::span<const std::uint8_t> bytes) {
        if (bSent) {
            f.nSent += bytes.size();
            ++f.nExchanges;
        } else {
            f.nReceived += bytes.size();
        }
    });
    const double dCpu0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    const bool bOk = RunTransfer(transfer, [](TransferMsg, long) {});
    f.dWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    f.dCpu = CpuSeconds() - dCpu0;
    return bOk;
}

void Report(const char* pszName, const CFigures& f) {
    const double dFloor = static_cast<double>(f.nSent + f.nReceived) * kBitsPerChar / kBaud +
                          static_cast<double>(f.nExchanges) * radio::kCommandPauseMs * 1e-3 +
                          radio::kOpenSettleMs * 1e-3;
    std::printf("%-6s %4zu exchanges  wall %7.3f s  wire floor %7.3f s  wall/floor %6.1f %%  "
                "CPU %6.3f s (%4.2f %%)\n",
                pszName, f.nExchanges, f.dWall, dFloor, 100.0 * f.dWall / dFloor, f.dCpu,
                100.0 * f.dCpu / f.dWall);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: port_transfer_bench DEVICE|COMn [read|write|both] [RUNS]\n");
        return 2;
    }
    const std::string strWhat = argc > 2 ? argv[2] : "both";
    const int nRuns = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
    namespace fs = std::filesystem;
    const fs::path ini = fs::temp_directory_path() / "wr7310-port-bench.ini";
    std::ofstream(ini) << "[FreqRange]\nMinFreq=400\nMaxFreq=470\n";

    CWR7310App app(XtraVariant(), ini.string());
    CRecordingNotifier notes;
    app.SetNotifier(&notes);
    app.m_strPortDevice = argv[1];
    int nStatus = 0;
    for (int nRun = 0; nRun < nRuns && nStatus == 0; ++nRun) {
        for (const auto& [mode, pszName] :
             {std::pair{TransferMode::Read, "read"}, std::pair{TransferMode::Write, "write"}}) {
            if (strWhat != "both" && strWhat != pszName)
                continue;
            CFigures f;
            if (!Measure(app, mode, f)) {
                nStatus = 1;
                break;
            }
            Report(pszName, f);
        }
    }
    for (const std::string& s : notes.Texts())
        std::fprintf(stderr, "message: %s\n", s.c_str());
    std::error_code ec;
    fs::remove(ini, ec);
    return nStatus;
}
