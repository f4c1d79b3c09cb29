// SPDX-License-Identifier: GPL-3.0-or-later
// Small pieces the program's windows share: Latin-1 texts as QStrings, the row of push
// buttons at the bottom and the F1 key that opens a dialog's help.
#pragma once

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QString>

#include <functional>
#include <initializer_list>
#include <string_view>

// The program's texts (messages, labels, radio and file contents) are Latin-1.
inline QString Qs(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// A row holding the buttons spread evenly: equal stretches before, between and after them.
inline QHBoxLayout* SpreadButtonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* pButton : buttons) {
        row->addWidget(pButton);
        row->addStretch(1);
    }
    return row;
}

// A plain F1 calls fnHelp (when there is one) and is used up; true when pEvent was that key.
inline bool HandleHelpKey(QKeyEvent* pEvent, const std::function<void()>& fnHelp) {
    if (pEvent->key() != Qt::Key_F1 || pEvent->modifiers() != Qt::NoModifier)
        return false;
    if (fnHelp)
        fnHelp();
    pEvent->accept();
    return true;
}
