// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/WakeEvent.h"

#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

CWakeEvent::CWakeEvent() : m_fd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CWakeEvent::~CWakeEvent() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void CWakeEvent::Signal() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_fd, &one, sizeof one);
}

void CWakeEvent::Clear() {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t n = ::read(m_fd, &value, sizeof value);
}

bool CWakeEvent::IsSignalled() const {
    pollfd p{m_fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}
