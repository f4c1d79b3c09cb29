// SPDX-License-Identifier: GPL-3.0-or-later
// The program's one editing form: the "Feature Switch" and "Feature Setting" groups, the
// "Channel Setting" group, and the commands that arrive at the form (initial update, Read,
// Write). The rules live in FeaturePanel.h; this class moves values between them, the
// document and its controls.
#pragma once

#include "app/WR7310Doc.h"
#include "view/EditHistory.h"
#include "view/FeaturePanel.h"

#include <QPoint>
#include <QSize>
#include <QWidget>

#include <map>
#include <string_view>

class CMSFlexGrid;
class CWR7310App;
class CWheelComboBox;
class CDropDownComboBox;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QUndoStack;

class CWR7310View : public QWidget, public IDocView {
    Q_OBJECT
public:
    CWR7310View(CWR7310App& app, CWR7310Doc& doc, QWidget* pParent = nullptr);
    // Saves the document's COM port into the settings file (once the form has taken it from
    // there) and removes the EEPROM map's scratch file (eeprom::ScratchPath).
    ~CWR7310View() override;

    // Runs for the first document, every new document and every opened file. The first time
    // it also takes the COM port from the settings file and fills the lists.
    void OnInitialUpdate();
    void InitComboBoxes();
    // Image buffer -> document -> form.
    void LoadFromImage();
    // Form -> document (IDocView).
    void StoreControls() override;
    // Closes an open channel cell edit, committing it into the document (IDocView).
    void EndCellEdit() override;
    // Commits an open cell edit and gives the grid the focus: before new, open, save, Write,
    // printing and the EEPROM map.
    void CommitViewEdits();

    // --- channel grid ---
    void InitChannelGrid();
    void FillChannelGrid();
    // Opens the cell editor over the grid's current cell when that cell may be edited.
    void BeginCellEdit();
    // Writes the cell editor's text into the document and the cell.
    void CommitCellEdit();
    CMSFlexGrid* ChannelGrid() const { return m_grid; }
    QComboBox* CellEditor() const { return m_cboCellEdit; }
    // Opens the frequency table dialog; true when it ended with OK.
    bool OnFrequencyList();

    // Read and Write through the transfer dialog. True when the transfer succeeded.
    bool OnProgramRead();
    bool OnProgramWrite();

    // Service commands.
    void OnProgramEeprom();
    void OnProgramTune();
    void OnRadioInfo();
    // The embedded information editor on the document's text; true after OK.
    bool OnEmbeddedInfo();
    // The form is kept in the document and the image first, and the text read (and edited)
    // goes into the image before the form is filled again. True when the transfer succeeded.
    bool OnReadEmbeddedInfo();
    bool OnWriteEmbeddedInfo();

    QCheckBox* Switch(int nId) const;
    QComboBox* List(int nId) const;
    QLabel* Label(int nId) const;
    QGroupBox* Group(int nIndex) const { return m_groups[nIndex]; }
    CWheelComboBox* AvailableList() const { return m_cboAvailable; }
    CDropDownComboBox* SelectedList() const { return m_cboSelected; }
    QPushButton* FrequencyListButton() const { return m_btnFreqList; }

    // The form's values as the check boxes and lists hold them now.
    feature::CFeatureValues Values() const;

    // --- undo history ---
    QUndoStack* UndoStack() const { return m_pUndo; }
    // Records what changed since the last step as one step named strName; nothing when
    // nothing changed.
    void RecordStep(const QString& strName);
    // A fresh history for a new, opened or read document; bClean: the document is as saved.
    void ResetHistory(bool bClean);
    // The document was saved: this is the state undo returns to without a modified mark.
    void MarkSaved();
    // Edit > Undo and Redo: an open cell edit is committed first.
    void OnEditUndo();
    void OnEditRedo();
    // Edit > Copy, Paste and Select All on the channel grid: whole rows as tab-separated text.
    void OnEditCopy();
    // True when the clipboard's rows were pasted; a refusal is reported and changes nothing.
    bool OnEditPaste();
    void OnEditSelectAll();
    // Puts the document, the image and the form into state (undo and redo).
    void RestoreState(const history::CDocState& state);
    history::CDocState CaptureState() const;

signals:
    // The user changed something the document will save.
    void modified();
    // The port number to show in the status bar.
    void portChanged(int nPort);
    // A caption for the main window ("Read from Radio", "Write to Radio").
    void captionChanged(const QString& strCaption);
    // The frame should shrink to the form (never grow).
    void fitFrameRequested();
    // F1 in a dialog of the form: show the program's help.
    void helpRequested();
    // A passing word for the status bar (nMs: how long it stays; 0 until replaced).
    void statusMessage(const QString& strText, int nMs);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void BuildForm();
    // The controls show values; the masters' gates follow.
    void ShowValues(const feature::CFeatureValues& values);
    // The channel cells' texts and colours from the document; the current cell stays.
    void RefreshChannelCells();
    void OnSwitchClicked(int nId);
    void ApplyMasters();
    void LoadChannelLists();
    void FillSelectedList(int nCount);
    void OnAvailableChanged(int nIndex);
    void OnSelectedChanged(int nIndex);
    void OnSelectedDropDown();
    bool RunTransfer(int nMode);
    // Stores the form into the image, then moves the embedded information with the progress
    // window; on success the port used is remembered and strDone shown. 1 on success.
    int RunEmbeddedTransfer(int (CWR7310Doc::*pfnTransfer)(IProgress&), std::string_view strDone,
                            std::string_view strCaption);
    void ColourChannelRows();
    void OnGridMouseUp(short nButton, short nShift, long x, long y);
    void OnGridContextMenu(const QPoint& pt);
    // A character typed on the grid opens the current cell's list at the first item that
    // starts with it.
    void OnGridChar(int nChar);
    void ShowRowFrequencies();
    // Tab, Enter and Escape on the grid and its cell editor; true when the key was consumed.
    bool OnGridKey(QObject* pWatched, int nKey);
    // Centre of the form's rectangle on the screen, clipped to the screen.
    QPoint ProgressCentre() const;
    // Size of the progress window of the embedded-information transfers.
    static constexpr QSize kProgressSize{380, 100};

    CWR7310App& m_app;
    CWR7310Doc& m_doc;
    const CVariant& m_variant;
    std::map<int, QCheckBox*> m_switches;
    std::map<int, QComboBox*> m_lists;
    std::map<int, QLabel*> m_labels;
    QGroupBox* m_groups[3] = {};
    CWheelComboBox* m_cboAvailable = nullptr;
    CDropDownComboBox* m_cboSelected = nullptr;
    QPushButton* m_btnFreqList = nullptr;
    CMSFlexGrid* m_grid = nullptr;
    QComboBox* m_cboCellEdit = nullptr;
    long m_nEditCol = 1;
    long m_nEditRow = 1;
    int m_nGridLeft = 0;
    int m_nGridTop = 0;
    bool m_bFirstUpdate = true;
    QUndoStack* m_pUndo = nullptr;
    // The state the last step left, which the next step starts from.
    history::CDocState m_lastState;
    bool m_bHoldSteps = false;
};
