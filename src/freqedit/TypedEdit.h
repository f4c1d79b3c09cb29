// SPDX-License-Identifier: GPL-3.0-or-later
// An edit field that takes only the characters of a numbered input type, makes letters capitals
// where the type takes letters and turns the keypad's decimal key into the user's decimal point.
// Other characters are dropped without a sound.
#pragma once

#include <QLineEdit>

class CTypedEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CTypedEdit(QWidget* pParent = nullptr);

    // Input type 1..8 (kTypedSigned .. kTypedPrintable); 0 filters nothing. Set by the owner.
    int m_nType = 0;
    // The user's decimal point, which the keypad's decimal key types. Set by the owner.
    int m_nDecimalPoint = '.';
    // The last key pressed was the numeric keypad's decimal key.
    int m_bKeypadDecimal = 0;

    // Inserts the clipboard's text through the type's rule (dropped characters are left out).
    void FilteredPaste();

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
};
