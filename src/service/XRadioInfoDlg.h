// SPDX-License-Identifier: GPL-3.0-or-later
// "Radio Information": the working range, model, serial, firmware version and local
// oscillator, read only.
#pragma once

#include "image/RadioInfo.h"

#include <QDialog>

#include <array>

class CWR7310App;
class QLabel;

class CXRadioInfoDlg : public QDialog {
    Q_OBJECT
public:
    CXRadioInfoDlg(const CWR7310App& app, const CRadioInfoTexts& texts, QWidget* pParent = nullptr);

    // The value shown beside label nIndex (0 range, 1 model, 2 serial, 3 version, 4 local
    // oscillator).
    QLabel* Value(int nIndex) const { return m_values[static_cast<std::size_t>(nIndex)]; }

private:
    std::array<QLabel*, 5> m_values{};
};
