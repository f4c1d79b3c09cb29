// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the core's messages as modal message boxes with an OK button.
#pragma once

#include "base/Notifier.h"

class QWidget;

class CMessageBoxNotifier : public INotifier {
public:
    // pParent: the window the boxes are modal to (may be null).
    explicit CMessageBoxNotifier(QWidget* pParent = nullptr) : m_pParent(pParent) {}
    void SetParent(QWidget* pParent) { m_pParent = pParent; }
    void ShowMessage(std::string_view strText, std::string_view strCaption, MsgIcon icon) override;

private:
    QWidget* m_pParent;
};
