// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/TransferRunner.h"

#include "app/WR7310App.h"
#include "base/Progress.h"
#include "transfer/Interrupt.h"

#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// Runs fn on the user-interface thread and waits for it.
template <typename Fn> void OnUiThread(Fn fn) {
    QMetaObject::invokeMethod(qApp, fn, Qt::BlockingQueuedConnection);
}

class CForwardingNotifier : public INotifier {
public:
    explicit CForwardingNotifier(INotifier& target) : m_target(target) {}
    void ShowMessage(std::string_view strText, std::string_view strCaption, MsgIcon icon) override {
        const std::string text(strText), caption(strCaption);
        if (InterruptRequested()) {
            // The session is ending: no box would stay up to be read.
            std::fprintf(stderr, "%s\n", text.c_str());
            return;
        }
        OnUiThread([&] {
            // The message box is for the user to act on: no busy cursor over it.
            QApplication::setOverrideCursor(Qt::ArrowCursor);
            m_target.ShowMessage(text, caption, icon);
            QApplication::restoreOverrideCursor();
        });
    }

private:
    INotifier& m_target;
};

class CForwardingProgress : public IProgress {
public:
    explicit CForwardingProgress(IProgress* pTarget) : m_pTarget(pTarget) {}
    void Begin(std::string_view strTitle, int nRange) override {
        if (m_pTarget) {
            const std::string title(strTitle);
            OnUiThread([&] { m_pTarget->Begin(title, nRange); });
        }
    }
    void SetProgress(int nPos) override {
        if (m_pTarget)
            OnUiThread([&] { m_pTarget->SetProgress(nPos); });
    }
    void End() override {
        if (m_pTarget)
            OnUiThread([&] { m_pTarget->End(); });
    }

private:
    IProgress* m_pTarget;
};

// Restores the application's notifier and the cursor on every way out.
class CTransferScope {
public:
    CTransferScope(CWR7310App& app, INotifier& forwarding)
        : m_app(app), m_previous(app.Notifier()) {
        m_app.SetNotifier(&forwarding);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~CTransferScope() {
        QApplication::restoreOverrideCursor();
        m_app.SetNotifier(&m_previous);
    }
    CTransferScope(const CTransferScope&) = delete;
    CTransferScope& operator=(const CTransferScope&) = delete;

private:
    CWR7310App& m_app;
    INotifier& m_previous;
};

} // namespace

int RunServiceTransfer(CWR7310App& app, IProgress* pProgress,
                       const std::function<int(IProgress& progress)>& fnTransfer) {
    CForwardingNotifier notifier(app.Notifier());
    CForwardingProgress progress(pProgress);
    const CTransferScope scope(app, notifier);
    int nResult = -1;
    std::atomic<bool> bDone{false};
    std::thread worker([&] {
        nResult = fnTransfer(progress);
        bDone = true;
        QMetaObject::invokeMethod(
            qApp, [] {}, Qt::QueuedConnection); // wakes the wait below
    });
    // Not a nested event loop: the application quitting (the session ends) ends every loop at
    // once, while the worker still needs this thread for its progress and its last message.
    while (!bDone)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    worker.join();
    return nResult;
}
