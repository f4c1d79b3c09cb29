// SPDX-License-Identifier: GPL-3.0-or-later
// The POSIX side of the interrupt guard: SIGINT, SIGTERM and SIGHUP are recorded while a
// guard lives.
#include "transfer/Interrupt.h"

#include <csignal>
#include <iterator>
#include <signal.h>

namespace {

constexpr int kGuarded[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RecordSignal(int nSignal) {
    RecordInterrupt(nSignal);
}

} // namespace

struct CInterruptGuard::CSaved {
    struct sigaction previous[std::size(kGuarded)];
};

CInterruptGuard::CInterruptGuard() : m_pSaved(std::make_unique<CSaved>()) {
    for (std::size_t i = 0; i < std::size(kGuarded); ++i) {
        struct sigaction action {};
        action.sa_handler = RecordSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(kGuarded[i], &action, &m_pSaved->previous[i]);
    }
}

CInterruptGuard::~CInterruptGuard() {
    for (std::size_t i = 0; i < std::size(kGuarded); ++i)
        sigaction(kGuarded[i], &m_pSaved->previous[i], nullptr);
}
