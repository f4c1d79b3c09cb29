// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/CommDlg.h"

#include "app/WR7310App.h"
#include "base/DialogHelpers.h"
#include "base/Messages.h"
#include "transfer/Interrupt.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

// Busy cursor for the length of a scope, removed on every way out.
class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

} // namespace

CCommDlg::CCommDlg(CWR7310App& app, TransferMode mode, QWidget* pParent)
    : QDialog(pParent), m_app(app), m_nMode(mode) {
    setObjectName("CommDlg");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle(Qs(mode == TransferMode::Read ? msg::kReadCaption : msg::kWriteCaption));

    m_pMsg = new QLabel(Qs(mode == TransferMode::Read ? msg::kReadPrompt : msg::kWritePrompt));
    m_pMsg->setMinimumWidth(
        m_pMsg->fontMetrics().horizontalAdvance(QString::asprintf(msg::kReadingFmt, 100) + "    "));
    m_pProgress = new QProgressBar;
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_pProgress->setTextVisible(false);
    m_pOk = new QPushButton("OK");
    m_pOk->setDefault(true);
    m_pCancel = new QPushButton("Cancel");

    QHBoxLayout* buttons = SpreadButtonRow({m_pOk, m_pCancel});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pMsg);
    layout->addWidget(m_pProgress);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_pOk, &QPushButton::clicked, this, &CCommDlg::OnCommOk);
    connect(m_pCancel, &QPushButton::clicked, this, &CCommDlg::reject);
}

CCommDlg::~CCommDlg() {
    if (m_pTransfer)
        m_pTransfer->Join();
}

void CCommDlg::reject() {
    if (m_bRunning)
        return;
    QDialog::reject();
}

void CCommDlg::OnCommOk() {
    if (m_bRunning)
        return;
    CWaitCursor wait;
    m_pTransfer = std::make_unique<CImageTransfer>(m_app, m_nMode);
    m_pTransfer->m_bVerify = m_nMode == TransferMode::Write && GetVerifyAfterWrite(m_app);
    // The worker waits until the message has been handled here, as a synchronous send does.
    m_pTransfer->SetStopCheck(InterruptRequested);
    const StartResult result = m_pTransfer->Start([this](TransferMsg msg, long lParam) {
        QMetaObject::invokeMethod(
            this, [this, msg, lParam] { OnTransferMessage(msg, lParam); },
            Qt::BlockingQueuedConnection);
    });
    switch (result) {
    case StartResult::NoRadio:
    case StartResult::VersionRejected:
        // The message was shown; the user may try again or cancel.
        m_pTransfer.reset();
        return;
    case StartResult::RangeMismatch:
        m_pTransfer.reset();
        QDialog::reject();
        return;
    case StartResult::Started:
        m_bRunning = true;
        m_pOk->setEnabled(false);
        m_pCancel->setEnabled(false);
        return;
    }
}

void CCommDlg::OnTransferMessage(TransferMsg msg, long lParam) {
    const QString strText = QString::fromStdString(CImageTransfer::MessageText(msg, lParam));
    switch (msg) {
    case TransferMsg::Reading:
    case TransferMsg::Writing:
    case TransferMsg::Verifying:
        m_pMsg->setText(strText);
        m_pProgress->setValue(static_cast<int>(lParam));
        return;
    case TransferMsg::ReadDone:
    case TransferMsg::WriteDone:
        m_app.ShowMessage(strText.toStdString(), {}, MsgIcon::Information);
        m_bRunning = false;
        accept();
        return;
    case TransferMsg::ReadError:
    case TransferMsg::WriteError:
    case TransferMsg::VerifyError:
    case TransferMsg::VerifyReadError:
        m_app.ShowMessage(strText.toStdString(), {}, MsgIcon::Exclamation);
        m_bRunning = false;
        QDialog::reject();
        return;
    case TransferMsg::ReadStopped:
    case TransferMsg::WriteStopped:
    case TransferMsg::VerifyStopped:
        // Only the end of the session stops a transfer here: the worker has sent the end of
        // transfer and touches the port no more, so it is released before anything else.
        m_pTransfer->m_comm.Close();
        std::fprintf(stderr, "%s\n", strText.toLocal8Bit().constData());
        m_bRunning = false;
        QDialog::reject();
        return;
    }
}
