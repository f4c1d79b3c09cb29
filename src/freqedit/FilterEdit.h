// SPDX-License-Identifier: GPL-3.0-or-later
// An edit field that takes only the characters of a set (hexadecimal, frequency, DTMF) and beeps
// at anything else, typed or pasted.
#pragma once

#include <QLineEdit>

#include <string>

class CFilterEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CFilterEdit(QWidget* pParent = nullptr);

    // Chooses the set by type (kFilterHex, kFilterFrequency, kFilterDtmf; any other type leaves
    // only backspace, line feed and carriage return), with the owner's decimal point character
    // (the user's locale's, as the application read it at its start).
    void SetFilterType(int nType, int nDecimalPoint);
    bool IsAllowedChar(int nChar) const;

    // Pastes the clipboard when every character of its text is allowed; otherwise beeps and
    // pastes nothing. Returns whether it pasted.
    bool CheckedPaste();

signals:
    // A typed character or a paste was refused (the edit has beeped).
    void Refused();

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    std::string m_strAllowed;
};
