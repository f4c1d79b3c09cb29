// The Windows counterpart of Interrupt.cpp: Ctrl-C and Ctrl-Break count as SIGINT, closing the
// console window, logging off and shutting down as SIGTERM, so the exit status is the same as
// on the POSIX systems.
#include "transfer/Interrupt.h"

#include <atomic>
#include <csignal>
#include <windows.h>

namespace {

std::atomic<int> g_nSignal{0};
std::atomic<int> g_nGuards{0};

BOOL WINAPI RecordConsoleEvent(DWORD nEvent) {
    if (g_nGuards.load() == 0)
        return FALSE; // no transfer running: the system's default (the process ends)
    const int nSignal = nEvent == CTRL_C_EVENT || nEvent == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
    int nNone = 0;
    g_nSignal.compare_exchange_strong(nNone, nSignal); // the first one counts
    return TRUE;
}

} // namespace

struct CInterruptGuard::CSaved {};

CInterruptGuard::CInterruptGuard() {
    if (g_nGuards.fetch_add(1) == 0)
        ::SetConsoleCtrlHandler(RecordConsoleEvent, TRUE);
}

CInterruptGuard::~CInterruptGuard() {
    if (g_nGuards.fetch_sub(1) == 1)
        ::SetConsoleCtrlHandler(RecordConsoleEvent, FALSE);
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
