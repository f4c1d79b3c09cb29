// SPDX-License-Identifier: GPL-3.0-or-later
// What both systems share of the interrupt handling: the one recorded signal.
#include "transfer/Interrupt.h"

#include <atomic>

namespace {

// Lock-free, so a signal handler may store to it.
std::atomic<int> g_nSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

} // namespace

void RecordInterrupt(int nSignal) {
    int nNone = 0;
    g_nSignal.compare_exchange_strong(nNone, nSignal); // the first one counts
}

bool InterruptRequested() {
    return g_nSignal.load() != 0;
}

int InterruptExitStatus(int nStatus) {
    const int nSignal = g_nSignal.load();
    return nSignal != 0 ? 128 + nSignal : nStatus;
}

void ResetInterrupt() {
    g_nSignal.store(0);
}
