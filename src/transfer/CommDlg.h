// SPDX-License-Identifier: GPL-3.0-or-later
// The whole-image transfer dialog: the user confirms, the transfer connects on this thread and
// then runs its block loop on a worker, whose messages arrive here one by one while the worker
// waits. Success ends the dialog with Accepted, any failure after the start with Rejected.
#pragma once

#include "transfer/ImageTransfer.h"

#include <QDialog>

#include <memory>

class CWR7310App;
class QLabel;
class QProgressBar;
class QPushButton;

class CCommDlg : public QDialog {
    Q_OBJECT
public:
    CCommDlg(CWR7310App& app, TransferMode mode, QWidget* pParent = nullptr);
    // Waits for the worker (it has delivered its last message by then) and closes the port.
    ~CCommDlg() override;

    // The start button: connect, check, then hand over to the worker.
    void OnCommOk();
    // Refused while the worker runs: neither Escape nor the close box may end the dialog then.
    void reject() override;

    bool IsTransferring() const { return m_bRunning; }
    QLabel* MessageText() const { return m_pMsg; }
    QProgressBar* ProgressBar() const { return m_pProgress; }
    QPushButton* StartButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }

private:
    void OnTransferMessage(TransferMsg msg, long lParam);

    CWR7310App& m_app;
    TransferMode m_nMode;
    std::unique_ptr<CImageTransfer> m_pTransfer;
    bool m_bRunning = false;
    QLabel* m_pMsg = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
};
