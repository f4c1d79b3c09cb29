// SPDX-License-Identifier: GPL-3.0-or-later
// The program's main window: menu, toolbar, status bar and the form. It also runs the file
// commands (New, Open, Save, Save As, recent files) for the one document, asks before unsaved
// edits are thrown away, and carries the COM port command.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

class CPrintCommands;
class CWR7310App;
class CWR7310Doc;
class CWR7310View;
class QLabel;
class QMenu;
class QScrollArea;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static constexpr int kMaxRecentFiles = 4;

    enum class SaveChoice { Save, Discard, Cancel };
    // Asks "Save changes to ...?"; tests answer without a message box.
    using SavePrompt = std::function<SaveChoice(const QString& strQuestion)>;
    // Picks a file to open (bSave false) or to save to; empty when the user cancelled.
    using FileChooser = std::function<QString(bool bSave, const QString& strSuggested)>;
    // Shows the help file by path; tests look without starting a viewer.
    using HelpViewer = std::function<void(const QString& strPath)>;

    explicit CMainFrame(CWR7310App& app, QWidget* pParent = nullptr);
    ~CMainFrame() override;

    // --- the document ---
    // A new document, without asking about the current one.
    bool NewDocument();
    // Opens a radio file, without asking about the current one. False when it failed (the
    // failure was reported); the current document then stays.
    bool OpenDocumentFile(const QString& strPath);
    // Saves to strPath and makes it the document's file.
    bool DoSave(const QString& strPath);
    // Before the current document is replaced or the program ends: true to go on.
    bool SaveModified();
    void SetModified(bool bModified);
    QString DocumentTitle() const;
    // The file last opened or saved; empty for a new document.
    QString PathName() const;
    QStringList RecentFiles() const;

    // --- commands ---
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnRecentFile(int nIndex);
    void OnComPort();
    void OnHelpFinder();
    void OnAppAbout();

    // --- frame ---
    // 800 x 600, centred; at 0,0 on a smaller screen. Done once, when the frame is made.
    void PlaceAtStart();
    // Centres the frame at its present size, keeping it on the screen.
    void PlaceOnScreen();
    // Shrinks the frame so that the form fits it without blank margins; never grows it.
    void FitToForm();
    // " COMn ", or the device's name while the command line's --port DEVICE is in use.
    void SetPortPane(int nPort);
    // The Num Lock pane follows the keyboard where the platform can tell; else it stays empty.
    void UpdateKeyIndicators();
    void SetCaption(const QString& strText);
    // Removes the service entries the settings file's user level does not allow.
    void TrimMenu();
    void UpdateTitle();

    CWR7310Doc& Document() { return *m_pDoc; }
    CWR7310View& View() { return *m_pView; }
    CPrintCommands& Printing() { return *m_pPrint; }
    QAction* Action(int nId) const;
    QMenu* ProgrammingMenu() const { return m_pProgramMenu; }
    QLabel* Pane(int nId) const;
    void SetSavePrompt(SavePrompt fn) { m_fnSavePrompt = std::move(fn); }
    void SetFileChooser(FileChooser fn) { m_fnChooseFile = std::move(fn); }
    void SetHelpViewer(HelpViewer fn) { m_fnHelp = std::move(fn); }

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    QAction* MakeAction(int nId, const QString& strText);
    void BuildMenus();
    // Undo, Redo, Copy, Paste and Select All, on the form's history and grids.
    void BuildEditMenu();
    void BuildToolBar();
    void BuildStatusBar();
    void AddRecentFile(const QString& strPath);
    void RemoveRecentFile(const QString& strPath);
    void StoreRecentFiles(const QStringList& files);
    void RebuildRecentMenu();

    CWR7310App& m_app;
    std::unique_ptr<CWR7310Doc> m_pDoc;
    CWR7310View* m_pView = nullptr;
    CPrintCommands* m_pPrint = nullptr;
    QScrollArea* m_pScroll = nullptr;
    std::map<int, QAction*> m_actions;
    std::map<int, QLabel*> m_panes;
    QMenu* m_pFileMenu = nullptr;
    QMenu* m_pProgramMenu = nullptr;
    QAction* m_pRecentSeparator = nullptr;
    std::vector<QAction*> m_recentActions;
    SavePrompt m_fnSavePrompt;
    FileChooser m_fnChooseFile;
    HelpViewer m_fnHelp;
};
