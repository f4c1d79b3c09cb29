// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl-C, a closing terminal and the session's end during a whole-image transfer. While a
// CInterruptGuard lives, SIGINT, SIGTERM and SIGHUP do not end the process: the first one is
// recorded, and the transfer, which polls InterruptRequested at every block boundary, stops
// there, sends the end-of-transfer byte and closes its port. Further signals change nothing
// until the guard is gone; the program then ends with InterruptExitStatus.
#pragma once

#include <memory>

class CInterruptGuard {
public:
    CInterruptGuard();
    // Restores what the three signals did before (the pending interrupt stays recorded).
    ~CInterruptGuard();
    CInterruptGuard(const CInterruptGuard&) = delete;
    CInterruptGuard& operator=(const CInterruptGuard&) = delete;

private:
    struct CSaved; // the previous dispositions
    std::unique_ptr<CSaved> m_pSaved;
};

// True once one of the three signals arrived while a guard lived. Safe from any thread.
bool InterruptRequested();
// 128 + the signal after an interrupt, as a shell reports a program its signal ended (130 for
// Ctrl-C, 143 for SIGTERM, 129 for SIGHUP); nStatus otherwise.
int InterruptExitStatus(int nStatus);
// Forgets a recorded interrupt (tests).
void ResetInterrupt();
// Records nSignal unless one is recorded already; async-signal-safe (the guards' handlers).
void RecordInterrupt(int nSignal);
