// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/WheelComboBox.h"

#include <QWheelEvent>

namespace {

std::int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

CWheelComboBox::CWheelComboBox(QWidget* pParent)
    : QComboBox(pParent), m_fnClock(SteadyMs), m_nLastWheel(SteadyMs()) {}

void CWheelComboBox::SetClock(Clock fnClock) {
    m_fnClock = std::move(fnClock);
    m_nLastWheel = m_fnClock();
}

void CWheelComboBox::wheelEvent(QWheelEvent* pEvent) {
    const std::int64_t nNow = m_fnClock();
    if (m_nPauseMs > 0 && nNow - m_nLastWheel <= m_nPauseMs) {
        pEvent->accept();
        return;
    }
    m_nLastWheel = nNow;
    QComboBox::wheelEvent(pEvent);
}

void CDropDownComboBox::showPopup() {
    emit aboutToDropDown();
    QComboBox::showPopup();
}
