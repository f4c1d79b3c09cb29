// SPDX-License-Identifier: GPL-3.0-or-later
// CPU time used by one serial Read that waits out its whole deadline with no reply coming.
// The port is a pseudo-terminal whose other side stays silent; each Read is measured with
// getrusage (user + system time of the process) and the monotonic clock.
//
// usage: bench_link_read_wait [REPEATS]   (default 5; each costs about one second)
#include "link/SerialPort.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t kDeadlineMs = 1000;

double CpuSeconds() {
    rusage ru{};
    ::getrusage(RUSAGE_SELF, &ru);
    auto seconds = [](const timeval& tv) {
        return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
    };
    return seconds(ru.ru_utime) + seconds(ru.ru_stime);
}

} // namespace

int main(int argc, char** argv) {
    const int nRepeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int nMaster = ::posix_openpt(O_RDWR | O_NOCTTY);
    char name[128] = {};
    if (nMaster < 0 || ::grantpt(nMaster) != 0 || ::unlockpt(nMaster) != 0 ||
        ::ptsname_r(nMaster, name, sizeof name) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    CSerialPort port;
    if (!port.Open(name) || !port.SetCommParams(9600, 8, 1, 0) ||
        !port.SetReadTimeout(kDeadlineMs)) {
        std::fprintf(stderr, "cannot open %s\n", name);
        return 1;
    }

    std::printf("Read of 12 bytes that never come, deadline %u ms, on %s\n", kDeadlineMs, name);
    std::printf("%6s %10s %10s %9s\n", "run", "wall ms", "CPU ms", "CPU/wall");
    double dWallTotal = 0.0;
    double dCpuTotal = 0.0;
    for (int i = 1; i <= nRepeats; ++i) {
        std::uint8_t reply[12];
        port.ClearInput();
        const double dCpu0 = CpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        const std::size_t nGot = port.Read(reply, sizeof reply);
        const auto t1 = std::chrono::steady_clock::now();
        const double dCpu = CpuSeconds() - dCpu0;
        const double dWall = std::chrono::duration<double>(t1 - t0).count();
        if (nGot != 0) {
            std::fprintf(stderr, "unexpected reply of %zu bytes\n", nGot);
            return 1;
        }
        dWallTotal += dWall;
        dCpuTotal += dCpu;
        std::printf("%6d %10.1f %10.3f %8.3f%%\n", i, dWall * 1e3, dCpu * 1e3,
                    100.0 * dCpu / dWall);
    }
    const double dRatio = 100.0 * dCpuTotal / dWallTotal;
    std::printf("%6s %10.1f %10.3f %8.3f%%   target < 1%%: %s\n", "mean", dWallTotal * 1e3 / nRepeats,
                dCpuTotal * 1e3 / nRepeats, dRatio, dRatio < 1.0 ? "met" : "MISSED");
    ::close(nMaster);
    return dRatio < 1.0 ? 0 : 1;
}
