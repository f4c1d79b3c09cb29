// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/WakeEvent.h"

#include <windows.h>

CWakeEvent::CWakeEvent() : m_hEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CWakeEvent::~CWakeEvent() {
    if (m_hEvent)
        ::CloseHandle(m_hEvent);
}

void CWakeEvent::Signal() {
    ::SetEvent(m_hEvent);
}

void CWakeEvent::Clear() {
    ::ResetEvent(m_hEvent);
}

bool CWakeEvent::IsSignalled() const {
    return ::WaitForSingleObject(m_hEvent, 0) == WAIT_OBJECT_0;
}
