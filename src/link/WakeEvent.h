// SPDX-License-Identifier: GPL-3.0-or-later
// A flag another thread can raise that also wakes a poll() on ReadFd() (on Windows: a wait on
// Handle()).
#pragma once

class CWakeEvent {
public:
    CWakeEvent();
    ~CWakeEvent();
    CWakeEvent(const CWakeEvent&) = delete;
    CWakeEvent& operator=(const CWakeEvent&) = delete;

    void Signal();
    void Clear();
    bool IsSignalled() const;
#ifdef _WIN32
    void* Handle() const {
        return m_hEvent;
    }

private:
    void* m_hEvent; // a manual-reset event
#else
    int ReadFd() const {
        return m_fd;
    }

private:
    int m_fd;
#endif
};
