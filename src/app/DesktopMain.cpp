#include "app/DesktopMain.h"

#include "app/DialogHelpers.h"
#include "app/MainFrame.h"
#include "app/MessageBoxNotifier.h"
#include "app/ProfileFile.h"
#include "app/WR7310App.h"
#include "image/WR7310Doc.h"
#include "print/PrintCommands.h"
#include "transfer/CommDlg.h"
#include "transfer/Interrupt.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QStringList>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <optional>

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
};

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

std::optional<CCommandLine> ParseCommandLine(const QStringList& args) {
    CCommandLine line;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == "--ini" || a == "--port") && i + 1 < args.size())
            (a == "--ini" ? line.strIniFile : line.strPort) = args[++i];
        else if (a == "--print-pdf" && i + 1 < args.size())
            line.strPrintPdf = args[++i];
        else if (a.startsWith("--") || !line.strFile.isEmpty())
            return std::nullopt;
        else
            line.strFile = a;
    }
    return line;
}

// Scripted printing needs no display: without a platform chosen, it draws offscreen. Windows
// always has its own windowing system, which shows nothing unless asked to.
void ChooseScriptedPlatform(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--print-pdf") {
#ifndef _WIN32
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
            SilenceQtDiagnostics(); // failures are reported in the program's words only
        }
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

} // namespace

int RunDesktopProgram(const CVariant& variant, int argc, char** argv) {
    UseParentConsole();
    ChooseScriptedPlatform(argc, argv);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(Qs(variant.strAppTitle));
    QApplication::setApplicationVersion(Qs(variant.strFileVersion));
    QApplication::setWindowIcon(ProgramIcon(Qs(variant.strModel)));

    const auto line = ParseCommandLine(QApplication::arguments());
    if (!line) {
        std::fprintf(stderr,
                     "usage: %s [--ini FILE] [--port N|DEVICE] [--print-pdf OUT.pdf] [FILE]\n",
                     std::string(variant.strModel).c_str());
        return 2;
    }

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
    const bool bScripted = !line->strPrintPdf.isEmpty();
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

    frame.PlaceOnScreen();
    frame.show();
    const int nResult = qapp.exec();
    return nResult;
}
