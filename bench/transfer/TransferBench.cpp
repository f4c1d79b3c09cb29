// Whole-image read and write against the simulated radio pacing its replies at 9600 baud.
// The radio runs in a child process, so the CPU time measured is this program's alone: the
// transfer's caller thread and its worker. Each transfer's wall time is set against the wire
// floor, computed from the frames actually exchanged.
#include "RadioSim.h"
#include "app/Notifier.h"
#include "app/WR7310App.h"
#include "link/RadioComm.h"
#include "transfer/ImageTransfer.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
        Report("Full write", Measure(app, TransferMode::Write));
        for (const std::string& s : notes.Texts())
            std::fprintf(stderr, "message: %s\n", s.c_str());
        nStatus = notes.Texts().empty() ? 0 : 1;
    }
    ::kill(child, SIGTERM);
    ::waitpid(child, nullptr, 0);
    fs::remove_all(strDir);
    return nStatus;
}
