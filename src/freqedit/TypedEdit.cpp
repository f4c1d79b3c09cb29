// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqedit/TypedEdit.h"

#include "freqedit/EditRules.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>

CTypedEdit::CTypedEdit(QWidget* pParent) : QLineEdit(pParent) {
    // The right button is swallowed, so there is no context menu; dropped text would bypass the
    // type's rule.
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
}

void CTypedEdit::FilteredPaste() {
    const QString strText = QApplication::clipboard()->text();
    QString strInsert;
    for (const QChar ch : strText) {
        const int nChar = TypedEditChar(m_nType, ch.unicode(), m_nDecimalPoint, false);
        if (nChar >= 32)
            strInsert.append(QChar(nChar));
    }
    if (!strInsert.isEmpty())
        insert(strInsert);
}

void CTypedEdit::keyPressEvent(QKeyEvent* pEvent) {
    m_bKeypadDecimal = (pEvent->modifiers() & Qt::KeypadModifier) &&
                       (pEvent->key() == Qt::Key_Period || pEvent->key() == Qt::Key_Comma ||
                        pEvent->key() == Qt::Key_Delete);
    if (pEvent->matches(QKeySequence::Paste)) {
        FilteredPaste();
        return;
    }
    const QString strText = pEvent->text();
    if (strText.isEmpty()) {
        QLineEdit::keyPressEvent(pEvent); // keys without a character (also the keypad's Delete)
        return;
    }
    if (strText.size() != 1) {
        if (m_nType == kTypedAny || m_nType > kTypedLast)
            QLineEdit::keyPressEvent(pEvent);
        return; // composed text is refused by every filtering type
    }
    const int nTyped = strText.at(0).unicode();
    const int nChar = TypedEditChar(m_nType, nTyped, m_nDecimalPoint, m_bKeypadDecimal != 0);
    if (nChar < 0)
        return;
    if (nChar == nTyped) {
        QLineEdit::keyPressEvent(pEvent); // also backspace, Enter and control keys
        return;
    }
    insert(QString(QChar(nChar)));
}

void CTypedEdit::mousePressEvent(QMouseEvent* pEvent) {
    if (pEvent->button() == Qt::RightButton) {
        pEvent->accept();
        return;
    }
    QLineEdit::mousePressEvent(pEvent);
}

void CTypedEdit::mouseReleaseEvent(QMouseEvent* pEvent) {
    // The middle button would paste the selection past the type's rule.
    if (pEvent->button() == Qt::MiddleButton) {
        pEvent->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(pEvent);
}
