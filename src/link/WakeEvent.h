// A flag another thread can raise that also wakes a poll() on ReadFd().
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
    int ReadFd() const { return m_fd; }

private:
    int m_fd;
};
