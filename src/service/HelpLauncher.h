// SPDX-License-Identifier: GPL-3.0-or-later
// F1 on the form and on the service dialogs: opens the help page at the topic of the first
// context number, else of the second, else at its top. When no page can be shown the user is
// told so; a help request is never dropped silently.
#pragma once

#include <QUrl>

#include <functional>

class CWR7310App;
class QWidget;

// Opens a URL; true when it could. Empty (the default): the desktop's viewer. Tests replace it.
using HelpOpener = std::function<bool(const QUrl& url)>;
void SetHelpOpener(HelpOpener fnOpen);

void ShowContextHelp(const CWR7310App& app, int nFirst, int nSecond);

// F1 anywhere in pWindow asks for help with the given contexts; nFirst == 0 takes the number
// in the object name of the focused control ("switch2301" is 2301), else nSecond.
void InstallContextHelp(QWidget* pWindow, const CWR7310App& app, int nFirst, int nSecond);
