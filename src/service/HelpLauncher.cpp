// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/HelpLauncher.h"

#include "app/WR7310App.h"
#include "service/ContextHelp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QWidget>

namespace {

HelpOpener& Opener() {
    static HelpOpener s_fnOpen;
    return s_fnOpen;
}

bool Open(const QUrl& url) {
    return Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
}

// The number at the end of the focused control's object name, or 0.
int FocusContext(const QWidget* pWindow) {
    const QWidget* pFocus = QApplication::focusWidget();
    if (!pFocus || !pWindow->isAncestorOf(pFocus))
        return 0;
    static const QRegularExpression s_reNumber("(\\d+)$");
    const QRegularExpressionMatch match = s_reNumber.match(pFocus->objectName());
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

void SetHelpOpener(HelpOpener fnOpen) {
    Opener() = std::move(fnOpen);
}

void ShowContextHelp(const CWR7310App& app, int nFirst, int nSecond) {
    const std::vector<std::string> pages = help::HelpPageCandidates(app.m_strHelpFile);
    if (const auto topic = help::ResolveContextHelp(pages, nFirst, nSecond)) {
        QUrl url = QUrl::fromLocalFile(QFile::decodeName(topic->strPath.c_str()));
        if (!topic->strAnchor.empty())
            url.setFragment(QString::fromStdString(topic->strAnchor));
        if (Open(url))
            return;
        // No viewer for the topic: the page's top, before giving up.
        if (!topic->strAnchor.empty() && Open(url.adjusted(QUrl::RemoveFragment)))
            return;
        // The page is there; what is missing is a browser to show it.
        app.ShowMessage(help::NoBrowserMessage(topic->strPath), "Help", MsgIcon::Information);
        return;
    }
    app.ShowMessage(help::NoHelpMessage(pages), "Help", MsgIcon::Information);
}

namespace {

// F1 that no control of the window took: the help request of the window.
class CHelpKeyFilter : public QObject {
public:
    CHelpKeyFilter(QWidget* pWindow, const CWR7310App& app, int nFirst, int nSecond)
        : QObject(pWindow), m_pWindow(pWindow), m_app(app), m_nFirst(nFirst), m_nSecond(nSecond) {
        pWindow->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        if (pWatched != m_pWindow || pEvent->type() != QEvent::KeyPress)
            return false;
        const auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if (pKey->key() != Qt::Key_F1 || pKey->modifiers() != Qt::NoModifier)
            return false;
        const int nContext = m_nFirst != 0 ? m_nFirst : FocusContext(m_pWindow);
        ShowContextHelp(m_app, nContext != 0 ? nContext : m_nSecond, m_nSecond);
        return true; // always handled
    }

private:
    QWidget* m_pWindow;
    const CWR7310App& m_app;
    int m_nFirst;
    int m_nSecond;
};

} // namespace

void InstallContextHelp(QWidget* pWindow, const CWR7310App& app, int nFirst, int nSecond) {
    new CHelpKeyFilter(pWindow, app, nFirst, nSecond); // owned by pWindow
}
