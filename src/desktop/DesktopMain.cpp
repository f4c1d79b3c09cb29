// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/DesktopMain.h"

#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "base/DialogHelpers.h"
#include "base/Licence.h"
#include "base/Platform.h"
#include "base/ProfileFile.h"
#include "desktop/MainFrame.h"
#include "desktop/MessageBoxNotifier.h"
#include "print/PrintCommands.h"
#include "transfer/CommDlg.h"
#include "transfer/Interrupt.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QMimeData>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace {

struct CCommandLine {
    QString strIniFile;
    QString strPort; // a number 1..16 or a device path
    QString strFile;
    QString strPrintPdf; // print the document to this PDF file and end, showing no window
    bool bHelp = false;
    bool bVersion = false;
};

constexpr const char* kNoDisplay = "no display: set DISPLAY or WAYLAND_DISPLAY, or use wr7310";

std::string UsageLine(const CVariant& variant) {
    return "usage: " + std::string(variant.strModel) +
           " [--ini FILE] [--port N|DEVICE] [--print-pdf OUT.pdf] [FILE]\n";
}

std::string HelpText(const CVariant& variant) {
    return UsageLine(variant) + "\n" + std::string(variant.strAppTitle) +
           ": opens the radio file FILE (" + std::string(variant.strFileExt) +
           "), or starts with a new document.\n\n"
           "Options:\n"
           "  --ini FILE           settings file (default: the program's own)\n"
           "  --port N|DEVICE      COM port number to try first, or one device path only\n"
           "  --print-pdf OUT.pdf  print the document to OUT.pdf and end, showing no window\n"
           "  -h, --help           show this help and end\n"
           "  --version            show the version and the licence and end\n";
}

// The program's icon: the desktop theme's when it has one, else the scalable drawing where Qt can
// read it, and the bitmaps always (a system without the SVG plugin still shows an icon).
QIcon ProgramIcon(const QString& strModel) {
    const QString strBase = ":/icons/" + strModel;
    QIcon icon;
    if (QImageReader::supportedImageFormats().contains("svg"))
        icon.addFile(strBase + ".svg");
    icon.addFile(strBase + "-32.png", QSize(32, 32));
    icon.addFile(strBase + "-48.png", QSize(48, 48));
    return QIcon::fromTheme(strModel, icon);
}

// The arguments after the program's name, as UTF-8. Read before Qt starts, so that the help,
// the version and a mistyped option need no display; Qt's own options are not taken.
std::optional<CCommandLine> ParseCommandLine(const std::vector<std::string>& args) {
    CCommandLine line;
    bool bOptions = true; // until "--"
    for (std::size_t i = 0; i < args.size(); ++i) {
        const QString a = QString::fromStdString(args[i]);
        const bool bValue = i + 1 < args.size();
        if (bOptions && (a == "--ini" || a == "--port") && bValue)
            (a == "--ini" ? line.strIniFile : line.strPort) = QString::fromStdString(args[++i]);
        else if (bOptions && a == "--print-pdf" && bValue)
            line.strPrintPdf = QString::fromStdString(args[++i]);
        else if (bOptions && (a == "-h" || a == "--help"))
            line.bHelp = true;
        else if (bOptions && a == "--version")
            line.bVersion = true;
        else if (bOptions && a == "--")
            bOptions = false;
        else if ((bOptions && a.startsWith('-') && a.size() > 1) || !line.strFile.isEmpty())
            return std::nullopt;
        else
            line.strFile = a;
    }
    return line;
}

// A Windows GUI program gets no console; started from one, its usage and scripted-printing
// messages still belong there. Output already redirected to a file or pipe stays where it is.
void UseParentConsole() {
#ifdef _WIN32
    const auto hasHandle = [](DWORD nStd) {
        const HANDLE h = ::GetStdHandle(nStd);
        return h != nullptr && h != INVALID_HANDLE_VALUE;
    };
    if (hasHandle(STD_OUTPUT_HANDLE) && hasHandle(STD_ERROR_HANDLE))
        return;
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!hasHandle(STD_OUTPUT_HANDLE))
        std::freopen("CONOUT$", "w", stdout);
    if (!hasHandle(STD_ERROR_HANDLE))
        std::freopen("CONOUT$", "w", stderr);
#endif
}

// True where Qt can be expected to find a display: a platform was chosen, or an X11 or
// Wayland display is named. Other systems always have one.
bool DisplayNamed() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// While Qt starts, its messages are held back: a display that is named but cannot be reached
// then ends the program with one clear line and a failure status, where Qt would abort after
// several lines about its plugins.
struct CHeldMessage {
    QtMsgType type;
    QString strCategory;
    QString strText;
};
QtMessageHandler g_pQtHandler = nullptr;
std::vector<CHeldMessage> g_heldMessages;

void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
    if (type != QtFatalMsg) {
        g_heldMessages.push_back({type, QString::fromUtf8(context.category), msg});
        return;
    }
    bool bDisplay = false;
    for (const CHeldMessage& held : g_heldMessages)
        bDisplay = bDisplay || held.strText.contains("display", Qt::CaseInsensitive);
    if (!bDisplay)
        for (const CHeldMessage& held : g_heldMessages)
            std::fprintf(stderr, "%s\n", held.strText.toLocal8Bit().constData());
    std::fprintf(stderr, "%s\n", bDisplay ? kNoDisplay : msg.toLocal8Bit().constData());
    std::_Exit(1);
}

// Qt started: what it said meanwhile goes where its messages always go.
void ReleaseStartupMessages() {
    qInstallMessageHandler(g_pQtHandler);
    for (const CHeldMessage& held : g_heldMessages) {
        const QByteArray category = held.strCategory.toUtf8();
        g_pQtHandler(held.type, QMessageLogContext(nullptr, 0, nullptr, category.constData()),
                     held.strText);
    }
    g_heldMessages.clear();
}

// Radio files dropped anywhere on the main window open as File > Open would open them: the
// unsaved document is asked about first, and the other model's file is refused with its
// message. Text fields of the form take no file names as text.
class CFileDropFilter : public QObject {
public:
    explicit CFileDropFilter(CMainFrame& frame) : QObject(&frame), m_frame(frame) {
        frame.setAcceptDrops(true);
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        const QEvent::Type type = pEvent->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        const auto* pWidget = qobject_cast<QWidget*>(pWatched);
        if (!pWidget || pWidget->window() != &m_frame)
            return false;
        auto* pDrop = static_cast<QDropEvent*>(pEvent);
        if (!pDrop->mimeData() || !pDrop->mimeData()->hasUrls())
            return false; // text dragged into a field stays the field's business
        const QString strPath = DroppedFile(pDrop->mimeData());
        if (strPath.isEmpty()) {
            pDrop->ignore();
            return true;
        }
        pDrop->acceptProposedAction();
        if (type == QEvent::Drop) // after the drop ends: the source is not kept waiting
            QTimer::singleShot(0, &m_frame, [&frame = m_frame, strPath] {
                if (frame.SaveModified())
                    frame.OpenDocumentFile(strPath);
            });
        return true;
    }

private:
    // The one local file a drag carries; empty for anything else.
    static QString DroppedFile(const QMimeData* pData) {
        if (pData->urls().size() != 1)
            return {};
        const QUrl url = pData->urls().front();
        return url.isLocalFile() ? url.toLocalFile() : QString();
    }

    CMainFrame& m_frame;
};

} // namespace

void AcceptFileDrops(CMainFrame& frame) {
    new CFileDropFilter(frame); // owned by the frame
}

std::string DesktopVersionText(const CVariant& variant) {
    // The program's own version, then the release of the software it comes with.
    std::string strVersion(variant.strAboutVersion.substr(variant.strAboutVersion.find(' ') + 1));
    strVersion.append(" (wr7310 ").append(PackageVersion()).append(")");
    return VersionText(variant.strModel, strVersion);
}

int RunDesktopProgram(const CVariant& variant, int argc, char** argv) {
    UseParentConsole();
    const auto line = ParseCommandLine(platform::Utf8Arguments(argc, argv));
    if (!line) {
        std::fputs(UsageLine(variant).c_str(), stderr);
        return 2;
    }
    if (line->bHelp || line->bVersion) {
        std::fputs((line->bHelp ? HelpText(variant) : DesktopVersionText(variant) + "\n").c_str(),
                   stdout);
        return 0;
    }
    const bool bScripted = !line->strPrintPdf.isEmpty();
#ifndef _WIN32
    // Scripted printing needs no display: without a platform chosen, it draws offscreen.
    // Windows always has its own windowing system, which shows nothing unless asked to.
    if (bScripted && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    if (!DisplayNamed()) {
        std::fprintf(stderr, "%s\n", kNoDisplay);
        return 1;
    }

    g_pQtHandler = qInstallMessageHandler(StartupMessageHandler);
    QApplication qapp(argc, argv);
    if (bScripted) { // failures are reported in the program's words only
        g_heldMessages.clear();
        SilenceQtDiagnostics();
    } else {
        ReleaseStartupMessages();
    }
    QApplication::setApplicationName(Qs(variant.strAppTitle));
    QApplication::setApplicationVersion(Qs(variant.strFileVersion));
    QApplication::setWindowIcon(ProgramIcon(Qs(variant.strModel)));

    CWR7310App app(variant, QFile::encodeName(line->strIniFile).toStdString());
    std::optional<int> nCommandLinePort;
    if (!line->strPort.isEmpty()) {
        bool bNumber = false;
        const int nPort = line->strPort.toInt(&bNumber);
        if (bNumber)
            nCommandLinePort = nPort;
        else
            app.m_strPortDevice = QFile::encodeName(line->strPort).toStdString();
    }
    CMessageBoxNotifier notifier;
    app.m_bHeadless = bScripted;
    if (!bScripted) // scripted runs report on standard error
        app.SetNotifier(&notifier);
    // A device, a pipe or an oversized file is not read as settings: say so, then go on with
    // the defaults (the file is left alone at exit).
    if (const std::string strProblem = profile::FileProblem(app.m_strIniFile); !strProblem.empty())
        app.ShowMessage("Settings file " + strProblem, {}, MsgIcon::Exclamation);

    CMainFrame frame(app);
    notifier.SetParent(&frame);
    const bool bStarted =
        line->strFile.isEmpty() ? frame.NewDocument() : frame.OpenDocumentFile(line->strFile);
    if (!bStarted)
        return 1; // the failure has been reported where it happened
    if (nCommandLinePort) {
        // A port number on the command line overrides the one remembered in the settings,
        // which the first document has just taken.
        app.m_nComPort = *nCommandLinePort;
        frame.Document().m_nComPort = *nCommandLinePort;
        frame.SetPortPane(*nCommandLinePort);
    }

    std::setlocale(LC_ALL, "");
    if (const std::lconv* pConv = std::localeconv(); pConv && pConv->decimal_point)
        app.m_nDecimalPoint = static_cast<signed char>(pConv->decimal_point[0]);

    if (bScripted)
        return frame.Printing().PrintToPdf(line->strPrintPdf) ? 0 : 1;
    // The end of the session (SIGTERM, SIGHUP) or Ctrl-C in the terminal ends the program
    // cleanly: a running transfer first stops at its next block and releases the radio.
    CInterruptGuard interruptGuard;
    frame.Document().SetStopCheck(InterruptRequested); // the service transfers
    QTimer interruptPoll;
    QObject::connect(&interruptPoll, &QTimer::timeout, [] {
        if (!InterruptRequested())
            return;
        const auto* pDlg = qobject_cast<const CCommDlg*>(QApplication::activeModalWidget());
        if (pDlg && pDlg->IsTransferring())
            return; // it stops at its next block boundary
        QCoreApplication::exit(InterruptExitStatus(0));
    });
    interruptPoll.start(100);

    AcceptFileDrops(frame);
    frame.PlaceOnScreen();
    frame.show();
    const int nResult = qapp.exec();
    return nResult;
}
