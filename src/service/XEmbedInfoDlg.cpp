// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/XEmbedInfoDlg.h"

#include "base/DialogHelpers.h"
#include "service/ContextHelp.h"
#include "service/HelpLauncher.h"
#include "service/InfoTexts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CXEmbedInfoDlg::CXEmbedInfoDlg(const CWR7310App& app, std::span<const std::uint8_t> info,
                               QWidget* pParent)
    : QDialog(pParent), m_info(info.begin(), info.end()) {
    setObjectName("XEmbedInfoDlg");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle("Embedded Information");

    m_pEdit = new QPlainTextEdit;
    m_pEdit->setObjectName("edit2701");
    m_pEdit->setAccessibleName("Embedded Information");
    m_pEdit->setTabChangesFocus(true);
    m_pEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    const std::string strText = info::EmbeddedEditText(m_info);
    m_strAccepted = Qs(strText);
    m_pEdit->setPlainText(m_strAccepted);
    // About 40 characters across and 8 lines down, as the text usually runs.
    const QFontMetrics fm = m_pEdit->fontMetrics();
    m_pEdit->setMinimumSize(fm.horizontalAdvance(QString(40, 'x')), fm.lineSpacing() * 9);

    m_pStatus = new QLabel;
    m_pStatus->setObjectName("staticEmbedStatus");
    m_pStatus->setWordWrap(true);

    m_pOk = new QPushButton("&OK ");
    m_pOk->setAutoDefault(false);
    m_pCancel = new QPushButton("&Cancel");
    m_pCancel->setAutoDefault(false);
    QHBoxLayout* buttons = SpreadButtonRow({m_pOk, m_pCancel});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pEdit);
    layout->addWidget(m_pStatus);
    layout->addLayout(buttons);
    SetStatus(info::BytesLeftText(m_info.size() -
                                  std::min(m_info.size(), info::EmbeddedStoredLength(strText))));

    connect(m_pEdit, &QPlainTextEdit::textChanged, this, &CXEmbedInfoDlg::OnTextChanged);
    connect(m_pOk, &QPushButton::clicked, this, &CXEmbedInfoDlg::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &CXEmbedInfoDlg::reject);
    InstallContextHelp(this, app, help::kEmbedInfoContext, help::kEmbedInfoContext);
}

void CXEmbedInfoDlg::SetStatus(const std::string& strText) {
    m_pStatus->setText(Qs(strText));
    m_pStatus->setAccessibleName(Qs(strText));
}

void CXEmbedInfoDlg::OnTextChanged() {
    const QString strText = m_pEdit->toPlainText();
    std::string strRefusal;
    if (const auto c = info::FirstUnstorable(strText.toStdU32String())) {
        strRefusal = info::UnstorableText(*c);
    } else {
        const QByteArray bytes = strText.toLatin1();
        const std::size_t nStored = info::EmbeddedStoredLength(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        if (nStored <= m_info.size()) {
            m_strAccepted = strText;
            SetStatus(info::BytesLeftText(m_info.size() - nStored));
            return;
        }
        strRefusal = info::AreaFullText(m_info.size());
    }
    SetStatus(strRefusal);
    // The edit refuses the input, as a limited edit does, and says why.
    const int nAdded = static_cast<int>(strText.size() - m_strAccepted.size());
    const int nPos = std::clamp(m_pEdit->textCursor().position() - nAdded, 0,
                                static_cast<int>(m_strAccepted.size()));
    const QSignalBlocker block(m_pEdit);
    m_pEdit->setPlainText(m_strAccepted);
    QTextCursor cursor = m_pEdit->textCursor();
    cursor.setPosition(nPos);
    m_pEdit->setTextCursor(cursor);
    QApplication::beep();
}

void CXEmbedInfoDlg::accept() {
    const QByteArray bytes = m_pEdit->toPlainText().toLatin1();
    info::StoreEmbeddedEditText(
        m_info, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    QDialog::accept();
}

void CXEmbedInfoDlg::GetInfo(std::span<std::uint8_t> info) const {
    std::copy_n(m_info.begin(), std::min(info.size(), m_info.size()), info.begin());
}
