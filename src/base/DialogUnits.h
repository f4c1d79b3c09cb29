// SPDX-License-Identifier: GPL-3.0-or-later
// Dialog units of the program's forms and dialogs: a quarter of the average character width
// across, an eighth of the character height down, so layouts scale with the font and the DPI.
#pragma once

#include <QFontMetrics>

class CDialogUnits {
public:
    explicit CDialogUnits(const QFontMetrics& fm)
        : m_nCharWidth(
              (fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 +
               1) /
              2),
          m_nCharHeight(fm.height()) {}
    int X(int n) const { return n * m_nCharWidth / 4; }
    int Y(int n) const { return n * m_nCharHeight / 8; }

private:
    int m_nCharWidth;
    int m_nCharHeight;
};
