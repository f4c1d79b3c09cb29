// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows counterpart of InterruptPosix.cpp: Ctrl-C and Ctrl-Break count as SIGINT, closing the
// console window as SIGHUP, logging off and shutting down as SIGTERM, so the exit status is
// the same as on the POSIX systems (130, 129, 143). The handler runs on a thread of its own.
// After the last three Windows ends the process as soon as the handler returns, so the handler
// waits (a few seconds at most, within the time the system grants) until the last guard is
// gone, i.e. the transfer has stopped at its block and released the radio.
#include "transfer/Interrupt.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <windows.h>

namespace {

constexpr int kSigHup = 1; // what SIGHUP is on the POSIX systems

std::mutex g_guardMutex;
std::condition_variable g_guardGone;
int g_nGuards = 0; // living guards; guarded by g_guardMutex

BOOL WINAPI RecordConsoleEvent(DWORD nEvent) {
    switch (nEvent) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        RecordInterrupt(SIGINT);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: {
        RecordInterrupt(nEvent == CTRL_CLOSE_EVENT ? kSigHup : SIGTERM);
        std::unique_lock lock(g_guardMutex);
        g_guardGone.wait_for(lock, std::chrono::seconds(4), [] { return g_nGuards == 0; });
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

struct CInterruptGuard::CSaved {};

CInterruptGuard::CInterruptGuard() {
    std::lock_guard lock(g_guardMutex);
    if (g_nGuards++ == 0)
        ::SetConsoleCtrlHandler(RecordConsoleEvent, TRUE);
}

CInterruptGuard::~CInterruptGuard() {
    {
        std::lock_guard lock(g_guardMutex);
        if (--g_nGuards == 0)
            ::SetConsoleCtrlHandler(RecordConsoleEvent, FALSE);
    }
    g_guardGone.notify_all();
}
