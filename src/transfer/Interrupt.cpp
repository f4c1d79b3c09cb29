#include "transfer/Interrupt.h"

#include <atomic>
#include <csignal>
#include <iterator>

#ifdef _WIN32
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <windows.h>
#else
#include <signal.h>
#endif

namespace {

#ifndef _WIN32
constexpr int kGuarded[] = {SIGINT, SIGTERM, SIGHUP};
#endif

// Lock-free, so the handler may store to it.
std::atomic<int> g_nSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void RecordSignal(int nSignal) {
    int nNone = 0;
    g_nSignal.compare_exchange_strong(nNone, nSignal); // the first one counts
}

} // namespace

#ifdef _WIN32

// The console's control events stand for the signals: Ctrl-C and Ctrl-Break for SIGINT, the
// console window closing for SIGHUP, logoff and shutdown for SIGTERM, so the exit status is
// the same as on the POSIX systems (130, 129, 143). The handler runs on a thread of its own.
// Ctrl-C and Ctrl-Break are simply recorded. After the other three Windows ends the process as
// soon as the handler returns, so the handler waits (a few seconds at most, within the time
// the system grants) until the guard is gone, i.e. the transfer has stopped at its block and
// released the radio.
namespace {

constexpr int kSigHup = 1; // what SIGHUP is on the POSIX systems

std::mutex g_guardMutex;
std::condition_variable g_guardGone;
int g_nGuards = 0; // living guards; guarded by g_guardMutex

BOOL WINAPI OnConsoleControl(DWORD dwEvent) {
    switch (dwEvent) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        RecordSignal(SIGINT);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: {
        RecordSignal(dwEvent == CTRL_CLOSE_EVENT ? kSigHup : SIGTERM);
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

CInterruptGuard::CInterruptGuard() : m_pSaved(std::make_unique<CSaved>()) {
    {
        std::lock_guard lock(g_guardMutex);
        ++g_nGuards;
    }
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

CInterruptGuard::~CInterruptGuard() {
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    {
        std::lock_guard lock(g_guardMutex);
        --g_nGuards;
    }
    g_guardGone.notify_all();
}

#else

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

#endif

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
