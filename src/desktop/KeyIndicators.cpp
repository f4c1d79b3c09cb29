// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/KeyIndicators.h"

#include <QGuiApplication>

#if defined(WR7310_HAVE_X11)
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

std::optional<bool> NumLockState() {
#if defined(WR7310_HAVE_X11)
    const auto* pX11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* pDisplay = pX11 ? pX11->display() : nullptr;
    if (!pDisplay)
        return std::nullopt;
    const Atom numLock = XInternAtom(pDisplay, "Num Lock", True);
    Bool bOn = False;
    if (numLock == None ||
        !XkbGetNamedIndicator(pDisplay, numLock, nullptr, &bOn, nullptr, nullptr))
        return std::nullopt;
    return bOn != False;
#else
    return std::nullopt;
#endif
}
