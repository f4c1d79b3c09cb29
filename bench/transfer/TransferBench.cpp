// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-image read and write against the simulated radio pacing its replies at 9600 baud.
// The radio runs in a child process, so the CPU time measured is this program's alone: the
// transfer's caller thread and its worker. Each transfer's wall time is set against the wire
// floor, computed from the frames actually exchanged.
#include "RadioSim.h"
#include "app/WR7310App.h"
#include "base/Notifier.h"
#include "link/RadioComm.h"
#include "transfer/ImageTransfer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kBitsPerChar = 11.0; // start, 8 data, parity, stop
constexpr double kBaud = 9600.0;

double CpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    auto sec = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return sec(ru.ru_utime) + sec(ru.ru_stime);
}

struct CWireCount {
    std::size_t nSent = 0;
    std::size_t nReceived = 0;
    std::size_t nExchanges = 0;
};

struct CFigures {
    double dWall = 0;
    double dCpu = 0;
    CWireCount wire;
};

CFigures Measure(CWR7310App& app, TransferMode mode) {
    CImageTransfer transfer(app, mode);
    CFigures f;
    transfer.m_comm.SetTrace([&f](bool bSent, std::span<const std::uint8_t> bytes) {
        if (bSent) {
            f.wire.nSent += bytes.size();
            ++f.wire.nExchanges;
        } else {
            f.wire.nReceived += bytes.size();
        }
    });
    const double dCpu0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    const bool bOk = RunTransfer(transfer, [](TransferMsg, long) {});
    f.dWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    f.dCpu = CpuSeconds() - dCpu0;
    if (!bOk) {
        std::fprintf(stderr, "transfer failed\n");
        std::exit(1);
    }
    return f;
}

void Report(const char* pszName, const CFigures& f) {
    // Every byte crosses the line in both directions (the simulator paces what it receives
    // and what it sends), plus the pauses the protocol itself makes: 5 ms before each
    // exchange and 50 ms after the port was opened.
    const double dPauses = static_cast<double>(f.wire.nExchanges) * radio::kCommandPauseMs * 1e-3;
    const double dSettle = radio::kOpenSettleMs * 1e-3;
    const double dFloor =
        static_cast<double>(f.wire.nSent + f.wire.nReceived) * kBitsPerChar / kBaud + dPauses +
        dSettle;
    std::printf("%s: %zu exchanges, %zu bytes sent, %zu received\n", pszName, f.wire.nExchanges,
                f.wire.nSent, f.wire.nReceived);
    std::printf("  wall time          %8.3f s\n", f.dWall);
    std::printf("  wire floor         %8.3f s  (frame bytes x 11 / 9600 + 5 ms an exchange + "
                "50 ms port settle)\n",
                dFloor);
    std::printf("  wall / wire floor  %8.1f %%   (target < 105 %%)\n", 100.0 * f.dWall / dFloor);
    std::printf("  CPU time           %8.3f s  (%.2f %% of wall; target < 2 %%)\n", f.dCpu,
                100.0 * f.dCpu / f.dWall);
}

// N radios at once, one thread each, as wr7310 read/write with several --port do it.
CFigures MeasureFleet(std::vector<std::unique_ptr<CWR7310App>>& apps, TransferMode mode) {
    CFigures f;
    const double dCpu0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    std::atomic<int> nFailed{0};
    for (auto& pApp : apps)
        threads.emplace_back([&pApp, mode, &nFailed] {
            CImageTransfer transfer(*pApp, mode);
            if (!RunTransfer(transfer, [](TransferMsg, long) {}))
                ++nFailed;
        });
    for (std::thread& t : threads)
        t.join();
    f.dWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    f.dCpu = CpuSeconds() - dCpu0;
    if (nFailed != 0) {
        std::fprintf(stderr, "%d fleet transfers failed\n", nFailed.load());
        std::exit(1);
    }
    return f;
}

void ReportFleet(const char* pszName, std::size_t nRadios, const CFigures& f, double dOneWall) {
    std::printf("%s, %zu radios at once:\n", pszName, nRadios);
    std::printf("  wall time          %8.3f s  (%.1f %% of one radio's %.3f s; target < 110 %%)\n",
                f.dWall, 100.0 * f.dWall / dOneWall, dOneWall);
    std::printf("  CPU time           %8.3f s  (%.2f %% of wall, %.3f s a radio)\n", f.dCpu,
                100.0 * f.dCpu / f.dWall, f.dCpu / static_cast<double>(nRadios));
}

// Simulated radios in child processes, so that the CPU time measured is the transfers' alone.
struct CSimProcesses {
    std::vector<std::unique_ptr<CRadioSim>> sims;
    std::vector<pid_t> children;

    bool Start(std::size_t nCount) {
        for (std::size_t i = 0; i < nCount; ++i) {
            CRadioSimOptions options;
            options.nBaudRate = 9600;
            auto pSim = std::make_unique<CRadioSim>(options);
            if (!pSim->Open()) {
                std::fprintf(stderr, "%s\n", pSim->LastError().c_str());
                return false;
            }
            const pid_t child = ::fork();
            if (child < 0)
                return false;
            if (child == 0)
                _exit(pSim->Run() ? 0 : 1);
            children.push_back(child);
            sims.push_back(std::move(pSim));
        }
        return true;
    }
    ~CSimProcesses() {
        for (pid_t child : children)
            ::kill(child, SIGTERM);
        for (pid_t child : children)
            ::waitpid(child, nullptr, 0);
    }
};

} // namespace

int main() {
    namespace fs = std::filesystem;
    std::string strDir = (fs::temp_directory_path() / "wr7310-bench-XXXXXX").string();
    if (!::mkdtemp(strDir.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string strIni = strDir + "/WR7310SXtra.ini";
    std::ofstream(strIni) << "[FreqRange]\nMinFreq=400\nMaxFreq=470\n";

    CRadioSimOptions options;
    options.nBaudRate = 9600;
    CRadioSim sim(options);
    if (!sim.Open()) {
        std::fprintf(stderr, "%s\n", sim.LastError().c_str());
        return 1;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("fork");
        return 1;
    }
    if (child == 0)
        _exit(sim.Run() ? 0 : 1);

    int nStatus = 0;
    {
        CWR7310App app(XtraVariant(), strIni);
        CRecordingNotifier notes;
        app.SetNotifier(&notes);
        app.m_strPortDevice = sim.DevicePath();
        std::printf("Simulated radio at 9600 baud on %s\n\n", sim.DevicePath().c_str());
        Report("Full read", Measure(app, TransferMode::Read));
        std::printf("\n");
        const CFigures oneWrite = Measure(app, TransferMode::Write);
        Report("Full write", oneWrite);
        // The same write to several radios at once: the wire of each is the limit, so the wall
        // time stays close to one radio's.
        for (std::size_t nRadios : {3u, 8u}) {
            CSimProcesses fleet;
            if (!fleet.Start(nRadios))
                return 1;
            std::vector<std::unique_ptr<CWR7310App>> apps;
            std::vector<std::unique_ptr<CRecordingNotifier>> fleetNotes;
            for (const auto& pSim : fleet.sims) {
                apps.push_back(std::make_unique<CWR7310App>(XtraVariant(), strIni));
                fleetNotes.push_back(std::make_unique<CRecordingNotifier>());
                apps.back()->SetNotifier(fleetNotes.back().get());
                apps.back()->m_strPortDevice = pSim->DevicePath();
                const auto src = app.Image();
                std::copy(src.begin(), src.end(), apps.back()->Image().begin());
            }
            std::printf("\n");
            ReportFleet("Full write", nRadios, MeasureFleet(apps, TransferMode::Write),
                        oneWrite.dWall);
            while (!apps.empty())
                apps.pop_back(); // the last application object made goes first
        }
        for (const std::string& s : notes.Texts())
            std::fprintf(stderr, "message: %s\n", s.c_str());
        nStatus = notes.Texts().empty() ? 0 : 1;
    }
    ::kill(child, SIGTERM);
    ::waitpid(child, nullptr, 0);
    fs::remove_all(strDir);
    return nStatus;
}
