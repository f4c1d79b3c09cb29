// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/MessageBoxNotifier.h"

#include <QApplication>
#include <QMessageBox>

void CMessageBoxNotifier::ShowMessage(std::string_view strText, std::string_view strCaption,
                                      MsgIcon icon) {
    QMessageBox box(m_pParent);
    box.setText(QString::fromLocal8Bit(strText.data(), static_cast<qsizetype>(strText.size())));
    // A box without a caption carries the application's name, as message boxes always have.
    box.setWindowTitle(
        strCaption.empty()
            ? QApplication::applicationName()
            : QString::fromLocal8Bit(strCaption.data(), static_cast<qsizetype>(strCaption.size())));
    switch (icon) {
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::None:
        break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
