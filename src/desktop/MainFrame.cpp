// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/MainFrame.h"

#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "base/DialogHelpers.h"
#include "base/FindOrNull.h"
#include "desktop/AboutDlg.h"
#include "desktop/CommandIds.h"
#include "desktop/KeyIndicators.h"
#include "print/PrintCommands.h"
#include "service/ComPortDlg.h"
#include "service/ContextHelp.h"
#include "service/HelpLauncher.h"
#include "transfer/ImageTransfer.h"
#include "view/WR7310View.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUndoStack>
#include <QUrl>

#include <filesystem>
#include <optional>

namespace {

// A new document's name before it is saved.
constexpr const char* kDefaultDocName = "RadioFile";

// Status-line prompt of each command; the part after the line break is the tool tip.
const std::map<int, const char*> kPrompts = {
    {cmd::kComPort, "Com Port Setting\nCom Port"},
    {cmd::kProgramRead, "Read From Radio visa Communication Port \nRead"},
    {cmd::kProgramWrite, "Write To Radio visa Communication Port \nWrite"},
    {cmd::kVerifyAfterWrite, "Read every written block back after a write and compare it\nVerify"},
    {cmd::kRadioInfo, "Sestting Radio Serial"},
    {cmd::kEmbeddedInfo, "Setting Radio Embedded Information"},
    {cmd::kFileNew, "Create a new document\nNew"},
    {cmd::kFileOpen, "Open an existing document\nOpen"},
    {cmd::kFileSave, "Save the activate document\nSave"},
    {cmd::kFileSaveAs, "Save the activate document with a new name\nSave As"},
    {cmd::kFilePrintSetup, "change the printer and printing options\nPrint Setup"},
    {cmd::kFilePrint, "Print the active document\nPrint"},
    {cmd::kFilePrintPreview, "Display full pages\nPrint Preview"},
    {cmd::kFileMru, "Open this document"},
    {cmd::kEditUndo, "Undo the last change\nUndo"},
    {cmd::kEditRedo, "Redo the change undone last\nRedo"},
    {cmd::kEditCopy, "Copy the selected rows as tab-separated text\nCopy"},
    {cmd::kEditPaste, "Paste tab-separated rows from the current row on\nPaste"},
    {cmd::kEditSelectAll, "Select every row of the channel grid\nSelect All"},
    {cmd::kAppExit, "Quit the application; prompts to save documents\nExit"},
    {cmd::kHelpFinder, "List Help topics\nHelp Topics"},
    {cmd::kViewToolbar, "Show or hide the toolbar\nToggle ToolBar"},
    {cmd::kViewStatusBar, "Show or hide the status bar\nToggle StatusBar"},
};

void ApplyPrompt(QAction* pAction, int nId) {
    const auto it = kPrompts.find(nId);
    if (it == kPrompts.end())
        return;
    const QString strPrompt = QString::fromLatin1(it->second);
    const qsizetype nBreak = strPrompt.indexOf('\n');
    pAction->setStatusTip(nBreak < 0 ? strPrompt : strPrompt.left(nBreak));
    if (nBreak >= 0)
        pAction->setToolTip(strPrompt.mid(nBreak + 1));
}

CMainFrame::SaveChoice AskSaveChanges(QWidget* pParent, const QString& strQuestion) {
    const auto answer = QMessageBox::question(
        pParent, QGuiApplication::applicationName(), strQuestion,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return CMainFrame::SaveChoice::Save;
    if (answer == QMessageBox::Discard)
        return CMainFrame::SaveChoice::Discard;
    return CMainFrame::SaveChoice::Cancel;
}

} // namespace

CMainFrame::CMainFrame(CWR7310App& app, QWidget* pParent)
    : QMainWindow(pParent), m_app(app), m_pDoc(std::make_unique<CWR7310Doc>(app)) {
    setObjectName("MainFrame");
    m_fnSavePrompt = [this](const QString& strQuestion) {
        return AskSaveChanges(this, strQuestion);
    };
    m_fnHelp = [](const QString& strPath) {
        // Help that cannot be shown is ignored.
        std::error_code ec;
        if (std::filesystem::exists(QFile::encodeName(strPath).toStdString(), ec))
            QDesktopServices::openUrl(QUrl::fromLocalFile(strPath));
    };
    m_fnChooseFile = [this](bool bSave, const QString& strSuggested) {
        const QString strFilter = Qs(m_app.m_variant.strFileFilter) + ";;All Files (*)";
        return bSave ? QFileDialog::getSaveFileName(this, "Save As", strSuggested, strFilter)
                     : QFileDialog::getOpenFileName(this, "Open", QString(), strFilter);
    };

    m_pScroll = new QScrollArea;
    m_pScroll->setFrameShape(QFrame::NoFrame);
    // The form's controls are the Tab stops; the area around them is not one.
    m_pScroll->setFocusPolicy(Qt::NoFocus);
    m_pView = new CWR7310View(m_app, *m_pDoc);
    m_pScroll->setWidget(m_pView);
    setCentralWidget(m_pScroll);
    connect(m_pView, &CWR7310View::modified, this, [this] { SetModified(true); });
    connect(m_pView, &CWR7310View::portChanged, this, &CMainFrame::SetPortPane);
    connect(m_pView, &CWR7310View::captionChanged, this, &CMainFrame::SetCaption);
    connect(m_pView, &CWR7310View::fitFrameRequested, this, &CMainFrame::FitToForm);
    m_pPrint = new CPrintCommands(m_app, *m_pDoc, *m_pView, this);
    m_pPrint->SetDocumentTitle([this] { return DocumentTitle(); });
    connect(m_pView, &CWR7310View::helpRequested, this, &CMainFrame::OnHelpFinder);
    connect(m_pView, &CWR7310View::statusMessage, this,
            [this](const QString& strText, int nMs) { statusBar()->showMessage(strText, nMs); });

    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    TrimMenu();
    PlaceAtStart();
    UpdateTitle();
}

CMainFrame::~CMainFrame() {
    // The form goes before the document it shows.
    std::unique_ptr<QWidget> pCentral(takeCentralWidget());
    pCentral.reset();
    m_pView = nullptr;
}

QAction* CMainFrame::MakeAction(int nId, const QString& strText) {
    auto* pAction = new QAction(strText, this);
    pAction->setObjectName(QString("cmd%1").arg(nId));
    ApplyPrompt(pAction, nId);
    m_actions[nId] = pAction;
    return pAction;
}

QAction* CMainFrame::Action(int nId) const {
    return FindOrNull(m_actions, nId);
}

QLabel* CMainFrame::Pane(int nId) const {
    return FindOrNull(m_panes, nId);
}

void CMainFrame::BuildMenus() {
    auto add = [this](QMenu* pMenu, int nId, const char* text, QKeySequence key = QKeySequence()) {
        QAction* a = MakeAction(nId, QString::fromLatin1(text));
        if (!key.isEmpty())
            a->setShortcut(key);
        pMenu->addAction(a);
        return a;
    };

    m_pFileMenu = menuBar()->addMenu("&File");
    connect(add(m_pFileMenu, cmd::kFileNew, "&New\tCtrl+N", QKeySequence("Ctrl+N")),
            &QAction::triggered, this, &CMainFrame::OnFileNew);
    connect(add(m_pFileMenu, cmd::kFileOpen, "&Open...\tCtrl+O", QKeySequence("Ctrl+O")),
            &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(add(m_pFileMenu, cmd::kFileSave, "&Save\tCtrl+S", QKeySequence("Ctrl+S")),
            &QAction::triggered, this, &CMainFrame::OnFileSave);
    connect(add(m_pFileMenu, cmd::kFileSaveAs, "Save &As..."), &QAction::triggered, this,
            &CMainFrame::OnFileSaveAs);
    m_pFileMenu->addSeparator();
    connect(add(m_pFileMenu, cmd::kFilePrint, "&Print...\tCtrl+P", QKeySequence("Ctrl+P")),
            &QAction::triggered, m_pPrint, &CPrintCommands::OnFilePrint);
    connect(add(m_pFileMenu, cmd::kFilePrintPreview, "Print Pre&view"), &QAction::triggered,
            m_pPrint, &CPrintCommands::OnFilePrintPreview);
    connect(add(m_pFileMenu, cmd::kFilePrintSetup, "P&rint Setup..."), &QAction::triggered,
            m_pPrint, &CPrintCommands::OnFilePrintSetup);
    m_pFileMenu->addSeparator();
    m_pRecentSeparator = m_pFileMenu->addSeparator();
    connect(add(m_pFileMenu, cmd::kAppExit, "E&xit"), &QAction::triggered, this, &QWidget::close);
    RebuildRecentMenu();

    BuildEditMenu();

    m_pProgramMenu = menuBar()->addMenu("&Programming");
    connect(add(m_pProgramMenu, cmd::kProgramRead, "&Read\tCtrl+R", QKeySequence("Ctrl+R")),
            &QAction::triggered, m_pView, &CWR7310View::OnProgramRead);
    m_pProgramMenu->addSeparator();
    connect(add(m_pProgramMenu, cmd::kProgramWrite, "&Write\tCtrl+W", QKeySequence("Ctrl+W")),
            &QAction::triggered, m_pView, &CWR7310View::OnProgramWrite);
    // Read every written block back after a write; remembered in the settings file.
    QAction* pVerify = add(m_pProgramMenu, cmd::kVerifyAfterWrite, "&Verify after write");
    pVerify->setCheckable(true);
    pVerify->setChecked(GetVerifyAfterWrite(m_app));
    connect(pVerify, &QAction::toggled, this,
            [this](bool bOn) { SetVerifyAfterWrite(bOn, m_app); });
    m_pProgramMenu->addSeparator();
    connect(add(m_pProgramMenu, cmd::kProgramEeprom, "EEPROM"), &QAction::triggered, m_pView,
            &CWR7310View::OnProgramEeprom);
    connect(add(m_pProgramMenu, cmd::kProgramTune, "Tune..."), &QAction::triggered, m_pView,
            &CWR7310View::OnProgramTune);

    QMenu* pInfo = menuBar()->addMenu("&Information");
    connect(add(pInfo, cmd::kRadioInfo, "Ra&dio Information"), &QAction::triggered, m_pView,
            &CWR7310View::OnRadioInfo);
    pInfo->addSeparator();
    connect(add(pInfo, cmd::kEmbeddedInfo, "&Embedded Information"), &QAction::triggered, m_pView,
            &CWR7310View::OnEmbeddedInfo);
    pInfo->addSeparator();
    connect(add(pInfo, cmd::kReadEmbeddedInfo, "&Read Embedded Information"), &QAction::triggered,
            m_pView, &CWR7310View::OnReadEmbeddedInfo);
    connect(add(pInfo, cmd::kWriteEmbeddedInfo, "&Write Embedded Information"), &QAction::triggered,
            m_pView, &CWR7310View::OnWriteEmbeddedInfo);

    QMenu* pView = menuBar()->addMenu("&View");
    QAction* pToolbar = add(pView, cmd::kViewToolbar, "&Toolbar");
    pToolbar->setCheckable(true);
    pToolbar->setChecked(true);
    QAction* pStatus = add(pView, cmd::kViewStatusBar, "&Status Bar");
    pStatus->setCheckable(true);
    pStatus->setChecked(true);
    connect(pStatus, &QAction::toggled, this, [this](bool b) { statusBar()->setVisible(b); });

    QMenu* pCom = menuBar()->addMenu("&Com-Port");
    connect(add(pCom, cmd::kComPort, "COM &Port"), &QAction::triggered, this,
            &CMainFrame::OnComPort);

    QMenu* pHelp = menuBar()->addMenu("&Help");
    connect(add(pHelp, cmd::kHelpFinder, "Help &Topics"), &QAction::triggered, this,
            &CMainFrame::OnHelpFinder);
    pHelp->addSeparator();
    connect(add(pHelp, cmd::kAppAbout, "&About ..."), &QAction::triggered, this,
            &CMainFrame::OnAppAbout);
}

void CMainFrame::BuildEditMenu() {
    QMenu* pEdit = menuBar()->addMenu("&Edit");
    QUndoStack* pStack = m_pView->UndoStack();
    QAction* pUndo = MakeAction(cmd::kEditUndo, "&Undo");
    pUndo->setShortcuts({QKeySequence::Undo});
    QAction* pRedo = MakeAction(cmd::kEditRedo, "&Redo");
    pRedo->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
    // The menu names the step: "Undo Channel 5 Signal".
    auto follow = [](QAction* pAction, const QString& strVerb, const QString& strStep) {
        pAction->setText(strStep.isEmpty() ? "&" + strVerb : "&" + strVerb + " " + strStep);
        pAction->setToolTip(strStep.isEmpty() ? strVerb : strVerb + " " + strStep);
    };
    connect(pStack, &QUndoStack::undoTextChanged, pUndo,
            [=](const QString& s) { follow(pUndo, "Undo", s); });
    connect(pStack, &QUndoStack::redoTextChanged, pRedo,
            [=](const QString& s) { follow(pRedo, "Redo", s); });
    connect(pStack, &QUndoStack::canUndoChanged, pUndo, &QAction::setEnabled);
    connect(pStack, &QUndoStack::canRedoChanged, pRedo, &QAction::setEnabled);
    pUndo->setEnabled(false);
    pRedo->setEnabled(false);
    connect(pUndo, &QAction::triggered, m_pView, &CWR7310View::OnEditUndo);
    connect(pRedo, &QAction::triggered, m_pView, &CWR7310View::OnEditRedo);
    // Undoing back to the saved state clears the modified mark.
    connect(pStack, &QUndoStack::cleanChanged, this, [this](bool bClean) { SetModified(!bClean); });
    pEdit->addAction(pUndo);
    pEdit->addAction(pRedo);
    pEdit->addSeparator();
    const struct {
        int nId;
        const char* szText;
        QKeySequence key;
        std::function<void()> fn;
    } kClipboard[] = {
        {cmd::kEditCopy, "&Copy", QKeySequence::Copy, [this] { m_pView->OnEditCopy(); }},
        {cmd::kEditPaste, "&Paste", QKeySequence::Paste, [this] { m_pView->OnEditPaste(); }},
        {cmd::kEditSelectAll, "Select &All", QKeySequence::SelectAll,
         [this] { m_pView->OnEditSelectAll(); }},
    };
    for (const auto& entry : kClipboard) {
        QAction* a = MakeAction(entry.nId, QString::fromLatin1(entry.szText));
        a->setShortcut(entry.key);
        connect(a, &QAction::triggered, m_pView, entry.fn);
        pEdit->addAction(a);
    }
}

void CMainFrame::BuildToolBar() {
    QToolBar* pBar = addToolBar("Standard");
    pBar->setObjectName("ToolBar");
    pBar->setIconSize(QSize(16, 15));
    QStyle* s = style();
    const std::pair<int, QStyle::StandardPixmap> kIcons[] = {
        {cmd::kFileNew, QStyle::SP_FileIcon},
        {cmd::kFileOpen, QStyle::SP_DialogOpenButton},
        {cmd::kFileSave, QStyle::SP_DialogSaveButton},
        {0, {}},
        {cmd::kEditUndo, QStyle::SP_ArrowBack},
        {cmd::kEditRedo, QStyle::SP_ArrowForward},
        {0, {}},
        {cmd::kFilePrint, QStyle::SP_FileDialogDetailedView},
        {0, {}},
        {cmd::kProgramRead, QStyle::SP_ArrowDown},
        {0, {}},
        {cmd::kComPort, QStyle::SP_DriveNetIcon},
        {cmd::kProgramWrite, QStyle::SP_ArrowUp},
        {0, {}},
        {cmd::kAppAbout, QStyle::SP_MessageBoxQuestion},
    };
    for (const auto& [nId, pixmap] : kIcons) {
        if (nId == 0) {
            pBar->addSeparator();
            continue;
        }
        QAction* a = Action(nId);
        a->setIcon(s->standardIcon(pixmap));
        pBar->addAction(a);
    }
    connect(Action(cmd::kViewToolbar), &QAction::toggled, pBar, &QToolBar::setVisible);
    connect(pBar, &QToolBar::visibilityChanged, Action(cmd::kViewToolbar), &QAction::setChecked);
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* pBar = statusBar();
    // Pane 1 shows the idle text; a command's prompt covers it while the command is
    // highlighted.
    auto* pIdle = new QLabel(Qs(m_app.m_variant.strAppTitle));
    pBar->addWidget(pIdle, 1);
    m_panes[0] = pIdle;

    auto pane = [&](int nId, const QString& strWidthText, const QString& strText) {
        auto* pLabel = new QLabel(strText);
        pLabel->setObjectName(QString("pane%1").arg(nId));
        pLabel->setFrameShape(QFrame::Panel);
        pLabel->setFrameShadow(QFrame::Sunken);
        pLabel->setAlignment(Qt::AlignCenter);
        pLabel->setMinimumWidth(pLabel->fontMetrics().horizontalAdvance(strWidthText) + 16);
        pBar->addPermanentWidget(pLabel);
        m_panes[nId] = pLabel;
    };
    pane(cmd::kPaneComPort, "9COM99", QString());
    pane(cmd::kPaneModel, Qs(m_app.m_variant.strModel), Qs(m_app.m_variant.strModel));
    pane(cmd::kPaneNumLock, "Velmor", QString());
    // Num Lock can change in any window: look again after each key and at each activation.
    QCoreApplication::instance()->installEventFilter(this);
    UpdateKeyIndicators();
}

void CMainFrame::UpdateKeyIndicators() {
    const std::optional<bool> numLock = NumLockState();
    Pane(cmd::kPaneNumLock)->setText(numLock.value_or(false) ? "Velmor" : QString());
}

bool CMainFrame::eventFilter(QObject* pWatched, QEvent* pEvent) {
    switch (pEvent->type()) {
    case QEvent::KeyRelease:
        // Only Num Lock changes the indicator; asking the display costs a round trip, and
        // a key event passes this filter once for every widget it propagates to.
        if (static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_NumLock)
            UpdateKeyIndicators();
        break;
    case QEvent::ApplicationStateChange:
    case QEvent::WindowActivate:
        UpdateKeyIndicators();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(pWatched, pEvent);
}

void CMainFrame::TrimMenu() {
    const int nLevel = m_app.GetUserLevel();
    if (nLevel == kFactoryLevel)
        return;
    m_pProgramMenu->removeAction(Action(cmd::kProgramEeprom));
    if (nLevel != kTuneLevel) {
        // The separator after the write entries (Write, Verify after write) goes with Tune.
        const QList<QAction*> entries = m_pProgramMenu->actions();
        const qsizetype nSeparator = entries.indexOf(Action(cmd::kVerifyAfterWrite)) + 1;
        if (nSeparator > 0 && entries.size() > nSeparator && entries[nSeparator]->isSeparator())
            m_pProgramMenu->removeAction(entries[nSeparator]);
        m_pProgramMenu->removeAction(Action(cmd::kProgramTune));
    }
}

namespace {

QRect ScreenRect(const QWidget* pWidget) {
    const QScreen* pScreen =
        pWidget->screen() ? pWidget->screen() : QGuiApplication::primaryScreen();
    return pScreen ? pScreen->geometry() : QRect(0, 0, CMainFrame::kWidth, CMainFrame::kHeight);
}

} // namespace

void CMainFrame::PlaceAtStart() {
    const QRect r = ScreenRect(this);
    resize(kWidth, kHeight);
    move(r.x() + std::max(0, (r.width() - kWidth) / 2),
         r.y() + std::max(0, (r.height() - kHeight) / 2));
}

void CMainFrame::PlaceOnScreen() {
    const QRect r = ScreenRect(this);
    move(r.x() + std::max(0, (r.width() - width()) / 2),
         r.y() + std::max(0, (r.height() - height()) / 2));
}

void CMainFrame::FitToForm() {
    // The layout is brought up to the present size first: before the frame is shown, Qt does
    // not redo it on its own after a resize.
    layout()->invalidate();
    layout()->activate();
    const QSize room = m_pScroll->maximumViewportSize();
    const QSize form = m_pView->size();
    const int nShrinkX = std::max(0, room.width() - form.width());
    const int nShrinkY = std::max(0, room.height() - form.height());
    if (nShrinkX > 0 || nShrinkY > 0)
        resize(width() - nShrinkX, height() - nShrinkY);
}

void CMainFrame::SetPortPane(int nPort) {
    QLabel* pPane = Pane(cmd::kPaneComPort);
    if (m_app.m_strPortDevice.empty()) {
        pPane->setText(QString::asprintf(" COM%d ", nPort));
        pPane->setToolTip(QString());
        return;
    }
    // The device the command line chose is the port in use; "/dev/" goes without saying.
    const QString strDevice = QFile::decodeName(m_app.m_strPortDevice.c_str());
    const QString strShown = strDevice.startsWith("/dev/") ? strDevice.mid(5) : strDevice;
    pPane->setText(" " + strShown + " ");
    pPane->setToolTip(strDevice);
}

void CMainFrame::SetCaption(const QString& strText) {
    setWindowTitle(strText);
}

QString CMainFrame::PathName() const {
    return QFile::decodeName(m_pDoc->GetPathName().c_str());
}

QString CMainFrame::DocumentTitle() const {
    return PathName().isEmpty() ? QString::fromLatin1(kDefaultDocName)
                                : QFileInfo(PathName()).fileName();
}

void CMainFrame::UpdateTitle() {
    setWindowTitle(DocumentTitle() + "[*] - " + Qs(m_app.m_variant.strModel));
    setWindowModified(m_pDoc->IsModified());
}

void CMainFrame::SetModified(bool bModified) {
    if (m_pDoc->IsModified() == bModified)
        return;
    m_pDoc->SetModifiedFlag(bModified);
    UpdateTitle();
}

bool CMainFrame::SaveModified() {
    // An open cell edit counts as a change the prompt must see.
    m_pView->CommitViewEdits();
    if (!m_pDoc->IsModified())
        return true;
    const QString strName = PathName().isEmpty() ? DocumentTitle() : PathName();
    switch (m_fnSavePrompt(QString("Save changes to %1?").arg(strName))) {
    case SaveChoice::Save:
        return OnFileSave();
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
    default:
        return false;
    }
}

bool CMainFrame::NewDocument() {
    if (!m_pDoc->OnNewDocument())
        return false;
    m_pDoc->SetModifiedFlag(false);
    m_pView->OnInitialUpdate();
    m_pView->ResetHistory(true);
    UpdateTitle();
    return true;
}

bool CMainFrame::OpenDocumentFile(const QString& strPath) {
    const QString strFull = QFileInfo(strPath).absoluteFilePath();
    if (!m_pDoc->OnOpenDocument(QFile::encodeName(strFull).toStdString())) {
        RemoveRecentFile(strFull);
        return false;
    }
    m_pDoc->SetModifiedFlag(false);
    m_pView->OnInitialUpdate();
    m_pView->ResetHistory(true);
    UpdateTitle();
    AddRecentFile(strFull);
    return true;
}

bool CMainFrame::DoSave(const QString& strPath) {
    const QString strFull = QFileInfo(strPath).absoluteFilePath();
    if (!m_pDoc->OnSaveDocument(QFile::encodeName(strFull).toStdString()))
        return false;
    m_pDoc->SetModifiedFlag(false);
    m_pView->MarkSaved();
    UpdateTitle();
    AddRecentFile(strFull);
    return true;
}

void CMainFrame::OnFileNew() {
    if (SaveModified())
        NewDocument();
}

void CMainFrame::OnFileOpen() {
    if (!SaveModified())
        return;
    const QString strPath = m_fnChooseFile(false, QString());
    if (!strPath.isEmpty())
        OpenDocumentFile(strPath);
}

bool CMainFrame::OnFileSave() {
    if (PathName().isEmpty())
        return OnFileSaveAs();
    return DoSave(PathName());
}

bool CMainFrame::OnFileSaveAs() {
    const QString strExt = Qs(m_app.m_variant.strFileExt);
    QString strSuggested = PathName().isEmpty() ? DocumentTitle() + strExt : PathName();
    QString strPath = m_fnChooseFile(true, strSuggested);
    if (strPath.isEmpty())
        return false;
    if (QFileInfo(strPath).suffix().isEmpty())
        strPath += strExt;
    return DoSave(strPath);
}

void CMainFrame::OnRecentFile(int nIndex) {
    const QStringList files = RecentFiles();
    if (nIndex < 0 || nIndex >= files.size() || !SaveModified())
        return;
    OpenDocumentFile(files[nIndex]);
}

void CMainFrame::OnComPort() {
    CComPortDlg dlg(m_pDoc->m_nComPort, m_app.m_strIniFile, this);
    InstallContextHelp(&dlg, m_app, help::kComPortContext, help::kComPortContext);
    if (!m_app.m_strPortDevice.empty())
        dlg.SetCommandLineDevice(QFile::decodeName(m_app.m_strPortDevice.c_str()));
    if (dlg.exec() != QDialog::Accepted)
        return;
    // The port chosen here replaces the device the command line named.
    m_app.m_strPortDevice.clear();
    m_pDoc->m_nComPort = dlg.PortIndex() + 1;
    m_app.m_nComPort = m_pDoc->m_nComPort;
    SetPortPane(m_pDoc->m_nComPort);
}

void CMainFrame::OnHelpFinder() {
    m_fnHelp(QFile::decodeName(m_app.m_strHelpFile.c_str()));
}

void CMainFrame::OnAppAbout() {
    CAboutDlg dlg(m_app.m_variant, this);
    dlg.exec();
}

void CMainFrame::closeEvent(QCloseEvent* pEvent) {
    if (SaveModified())
        pEvent->accept();
    else
        pEvent->ignore();
}

// --- recent files, kept under the program's registry key ---

QStringList CMainFrame::RecentFiles() const {
    QSettings settings(Qs(m_app.m_variant.strRegistryKey), Qs(m_app.m_variant.strModel));
    QStringList files;
    for (int i = 1; i <= kMaxRecentFiles; ++i) {
        const QString strFile =
            settings.value(QString("Recent File List/File%1").arg(i)).toString();
        if (!strFile.isEmpty())
            files << strFile;
    }
    return files;
}

void CMainFrame::StoreRecentFiles(const QStringList& files) {
    if (m_app.m_bHeadless)
        return; // a scripted run leaves the user's list alone
    QSettings settings(Qs(m_app.m_variant.strRegistryKey), Qs(m_app.m_variant.strModel));
    settings.remove("Recent File List");
    for (int i = 0; i < files.size() && i < kMaxRecentFiles; ++i)
        settings.setValue(QString("Recent File List/File%1").arg(i + 1), files[i]);
    settings.sync();
    RebuildRecentMenu();
}

void CMainFrame::AddRecentFile(const QString& strPath) {
    QStringList files = RecentFiles();
    files.removeAll(strPath);
    files.prepend(strPath);
    StoreRecentFiles(files.mid(0, kMaxRecentFiles));
}

void CMainFrame::RemoveRecentFile(const QString& strPath) {
    QStringList files = RecentFiles();
    if (files.removeAll(strPath) > 0)
        StoreRecentFiles(files);
}

void CMainFrame::RebuildRecentMenu() {
    for (QAction* a : m_recentActions) {
        m_pFileMenu->removeAction(a);
        a->deleteLater();
    }
    m_recentActions.clear();
    const QStringList files = RecentFiles();
    if (files.isEmpty()) {
        auto* a = new QAction("Recent File", this);
        a->setEnabled(false);
        m_recentActions.push_back(a);
    }
    for (int i = 0; i < files.size(); ++i) {
        QString strText = files[i];
        strText.replace('&', "&&");
        auto* a = new QAction(QString("&%1 %2").arg(i + 1).arg(strText), this);
        ApplyPrompt(a, cmd::kFileMru);
        connect(a, &QAction::triggered, this, [this, i] { OnRecentFile(i); });
        m_recentActions.push_back(a);
    }
    for (QAction* a : m_recentActions)
        m_pFileMenu->insertAction(m_pRecentSeparator, a);
}
