#include "service/HelpLauncher.h"

#include "app/WR7310App.h"
#include "service/ContextHelp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QRegularExpression>
#include <QShortcut>
#include <QWidget>

namespace {

HelpOpener& Opener() {
    static HelpOpener s_fnOpen = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return s_fnOpen;
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
        if (Opener()(url))
            return;
        // No viewer for the topic: the page's top, before giving up.
        if (!topic->strAnchor.empty() && Opener()(url.adjusted(QUrl::RemoveFragment)))
            return;
    }
    app.ShowMessage(help::NoHelpMessage(pages), "Help", MsgIcon::Information);
}

void InstallContextHelp(QWidget* pWindow, const CWR7310App& app, int nFirst, int nSecond) {
    auto* pShortcut = new QShortcut(QKeySequence(Qt::Key_F1), pWindow);
    pShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(pShortcut, &QShortcut::activated, pWindow, [pWindow, &app, nFirst, nSecond] {
        const int nContext = nFirst != 0 ? nFirst : FocusContext(pWindow);
        ShowContextHelp(app, nContext != 0 ? nContext : nSecond, nSecond);
    });
}
