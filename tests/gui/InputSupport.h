// SPDX-License-Identifier: GPL-3.0-or-later
// Keys and mouse clicks delivered to widgets as a user's would be, for the desktop tests.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

inline void Key(QWidget& w, int nKey, const QString& strText = {},
                Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, nKey, mods, strText);
    QApplication::sendEvent(&w, &press);
    QKeyEvent release(QEvent::KeyRelease, nKey, mods, strText);
    QApplication::sendEvent(&w, &release);
}

// Types every character of strText as a key of the main keyboard.
inline void Type(QWidget& w, const QString& strText) {
    for (const QChar ch : strText)
        Key(w, ch.toUpper().unicode(), QString(ch)); // Latin-1 key codes are the capitals
}

// A click through the window system, so that the focus moves as it does for a user.
inline void Click(QWidget& w, QPoint pt, Qt::MouseButton button) {
    QTest::mouseClick(&w, button, Qt::KeyboardModifiers(), pt);
}

inline void Click(QWidget& w, Qt::MouseButton button = Qt::LeftButton) {
    Click(w, w.rect().center(), button);
}

// Shows a window and makes it the active one, so that focus changes reach its widgets.
inline void ShowActive(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    w.activateWindow();
    QApplication::processEvents();
}
