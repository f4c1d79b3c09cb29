// SPDX-License-Identifier: GPL-3.0-or-later
// Drop-down lists of the channel panel with two behaviours a plain list lacks.
#pragma once

#include <QComboBox>

#include <chrono>
#include <cstdint>
#include <functional>

// "Available CHs": a mouse wheel turns a long list too fast, so after one accepted wheel step
// further steps within a pause (the model's, see SetPause) are swallowed.
class CWheelComboBox : public QComboBox {
    Q_OBJECT
public:
    using Clock = std::function<std::int64_t()>; // milliseconds of a monotonic clock

    explicit CWheelComboBox(QWidget* pParent = nullptr);
    // Replaces the clock (tests); restarts the pause from now.
    void SetClock(Clock fnClock);
    // Milliseconds in which further wheel steps are swallowed; 0: every step turns the list.
    void SetPause(std::int64_t nPauseMs) { m_nPauseMs = nPauseMs; }

protected:
    void wheelEvent(QWheelEvent* pEvent) override;

private:
    Clock m_fnClock;
    std::int64_t m_nLastWheel;
    std::int64_t m_nPauseMs = 0;
};

// A list that tells its owner just before it drops down, so the owner can refill it.
class CDropDownComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    void aboutToDropDown();
};
