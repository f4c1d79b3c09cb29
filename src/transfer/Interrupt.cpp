#include "transfer/Interrupt.h"

#include <atomic>
#include <csignal>
#include <iterator>
#include <signal.h>

namespace {

constexpr int kGuarded[] = {SIGINT, SIGTERM, SIGHUP};

// Lock-free, so the handler may store to it.
std::atomic<int> g_nSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void RecordSignal(int nSignal) {
    int nNone = 0;
    g_nSignal.compare_exchange_strong(nNone, nSignal); // the first one counts
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

bool InterruptRequested() {
    return g_nSignal.load() != 0;
}

int InterruptSignal() {
    return g_nSignal.load();
}

int InterruptExitStatus(int nStatus) {
    const int nSignal = g_nSignal.load();
    return nSignal != 0 ? 128 + nSignal : nStatus;
}

void ResetInterrupt() {
    g_nSignal.store(0);
}
