// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqedit/FilterEdit.h"

#include "freqedit/EditRules.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

CFilterEdit::CFilterEdit(QWidget* pParent) : QLineEdit(pParent) {
    // Dropped text would bypass the character check.
    setAcceptDrops(false);
}

void CFilterEdit::SetFilterType(int nType, int nDecimalPoint) {
    m_strAllowed = FilterCharSet(nType, nDecimalPoint);
}

bool CFilterEdit::IsAllowedChar(int nChar) const {
    return IsFilterCharAllowed(m_strAllowed, nChar);
}

bool CFilterEdit::CheckedPaste() {
    const QMimeData* pData = QApplication::clipboard()->mimeData();
    const bool bText = pData && pData->hasText();
    const QString strText = bText ? pData->text() : QString();
    // Characters outside Latin-1 become '?', which no set holds.
    if (!bText || !IsFilterTextAllowed(m_strAllowed, strText.toLatin1().toStdString())) {
        QApplication::beep();
        emit Refused();
        return false;
    }
    paste();
    return true;
}

void CFilterEdit::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->matches(QKeySequence::Paste)) {
        CheckedPaste();
        return;
    }
    if (pEvent->modifiers() & Qt::ControlModifier) {
        switch (pEvent->key()) {
        case Qt::Key_C:
            copy();
            return;
        case Qt::Key_V:
            CheckedPaste();
            return;
        case Qt::Key_X:
            cut();
            return;
        case Qt::Key_Z:
            undo();
            return;
        default:
            break;
        }
    }
    const QString strText = pEvent->text();
    // Keys without a character (arrows, Delete, Home, ...) and Escape keep their usual meaning.
    if (strText.isEmpty() || pEvent->key() == Qt::Key_Escape) {
        QLineEdit::keyPressEvent(pEvent);
        return;
    }
    for (const QChar ch : strText) {
        int nChar = ch.unicode();
        if (nChar >= 'a' && nChar <= 'z')
            nChar -= 'a' - 'A';
        if (!IsAllowedChar(nChar)) {
            QApplication::beep();
            emit Refused();
            return;
        }
    }
    if (strText.size() == 1 && strText.at(0).unicode() < 32) {
        QLineEdit::keyPressEvent(pEvent); // backspace, Enter
        return;
    }
    insert(strText.toUpper());
}

void CFilterEdit::contextMenuEvent(QContextMenuEvent* pEvent) {
    std::unique_ptr<QMenu> pMenu(createStandardContextMenu());
    for (QAction* pAction : pMenu->actions()) {
        if (pAction->objectName() == QLatin1String("edit-paste")) {
            disconnect(pAction, &QAction::triggered, nullptr, nullptr);
            connect(pAction, &QAction::triggered, this, [this] { CheckedPaste(); });
        }
    }
    pMenu->exec(pEvent->globalPos());
}

void CFilterEdit::mouseReleaseEvent(QMouseEvent* pEvent) {
    // The middle button would paste the selection unchecked.
    if (pEvent->button() == Qt::MiddleButton) {
        pEvent->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(pEvent);
}
