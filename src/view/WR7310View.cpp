// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/WR7310View.h"

#include "app/WR7310App.h"
#include "base/DialogHelpers.h"
#include "base/DialogUnits.h"
#include "base/FindOrNull.h"
#include "base/Messages.h"
#include "base/ProfileFile.h"
#include "freqedit/EditRules.h"
#include "freqedit/MSFlexGrid.h"
#include "freqedit/RowClipboard.h"
#include "freqedit/XUhfSetDlg.h"
#include "image/RadioInfo.h"
#include "image/SettingTexts.h"
#include "service/ContextHelp.h"
#include "service/EepromDlg.h"
#include "service/EepromMap.h"
#include "service/HelpLauncher.h"
#include "service/InfoTexts.h"
#include "service/TransferRunner.h"
#include "service/TuneDlg.h"
#include "service/XEmbedInfoDlg.h"
#include "service/XRadioInfoDlg.h"
#include "service/XScheduleDlg.h"
#include "transfer/Backup.h"
#include "transfer/CommDlg.h"
#include "view/ChannelPanel.h"
#include "view/WheelComboBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QUndoCommand>
#include <QUndoStack>

#include <cstdio>
#include <string>

namespace {

using namespace feature;

struct CPlace {
    int nId;
    int x, y, w;
};

// Check boxes of the newer radio's form: x, y, width in dialog units, height 9.
constexpr CPlace kSwitchPlaces[] = {
    {kMenuEnable, 17, 16, 59},      {kVox, 27, 29, 33},
    {kButtonBeep, 27, 42, 57},      {kCallTone, 27, 55, 47},
    {kManualTxPower, 107, 29, 87},  {kRangeAlarm, 107, 42, 81},
    {kChannelSet, 210, 16, 55},     {kFrequencySet, 219, 29, 65},
    {kSignalingSet, 219, 42, 59},   {kChannelNumber, 219, 55, 67},
    {kDefaultSetMode, 317, 16, 81}, {kBatterySave, 317, 29, 60},
    {kTailCut, 317, 42, 92},        {kKeypadLock, 317, 55, 60},
};

// Without the masters on show, the rest stand in three plain columns.
constexpr CPlace kCompactSwitchPlaces[] = {
    {kMenuEnable, 17, 16, 59},    {kVox, 17, 16, 33},           {kButtonBeep, 17, 29, 57},
    {kCallTone, 17, 42, 47},      {kRangeAlarm, 17, 55, 81},    {kManualTxPower, 143, 16, 87},
    {kBatterySave, 143, 29, 60},  {kTailCut, 143, 42, 92},      {kKeypadLock, 143, 55, 60},
    {kFrequencySet, 289, 16, 65}, {kSignalingSet, 289, 29, 59}, {kDefaultSetMode, 289, 42, 81},
};

// Busy cursor over the main window while a transfer runs, arrow again on every way out. The
// transfer dialog keeps its own cursor, so its buttons do not look busy before OK.
class CFrameWaitCursor {
public:
    explicit CFrameWaitCursor(QWidget* pFrame) : m_pFrame(pFrame) {
        m_pFrame->setCursor(Qt::WaitCursor);
    }
    ~CFrameWaitCursor() { m_pFrame->unsetCursor(); }
    CFrameWaitCursor(const CFrameWaitCursor&) = delete;
    CFrameWaitCursor& operator=(const CFrameWaitCursor&) = delete;

private:
    QWidget* m_pFrame;
};

// One step of the history: the core step, and the form that shows what it restores.
class CSnapshotCommand : public QUndoCommand {
public:
    CSnapshotCommand(CWR7310View& view, history::CEditStep step)
        : QUndoCommand(QString::fromStdString(step.Name())), m_view(view), m_step(std::move(step)) {
    }
    void undo() override { Apply(true); }
    void redo() override {
        // Pushed after the change was made: the first redo has nothing to do.
        if (m_bPushed)
            Apply(false);
        m_bPushed = true;
    }

private:
    void Apply(bool bUndo) {
        history::CDocState state = m_view.CaptureState();
        m_step.Apply(state, bUndo);
        m_view.RestoreState(state);
    }
    CWR7310View& m_view;
    history::CEditStep m_step;
    bool m_bPushed = false;
};

// Where the settings file keeps the size of "Frequency Setting".
constexpr const char* kFreqDlgSection = "Frequency Setting";

// How long a passing word stays in the status bar.
constexpr int kNoteMs = 5000;

QString StepName(std::string_view strText) {
    return Qs(strText).trimmed().remove(':');
}

} // namespace

CWR7310View::CWR7310View(CWR7310App& app, CWR7310Doc& doc, QWidget* pParent)
    : QWidget(pParent), m_app(app), m_doc(doc), m_variant(app.m_variant) {
    setObjectName("WR7310View");
    BuildForm();
    m_pUndo = new QUndoStack(this);
    m_doc.AddView(this);
    m_doc.SetEditRecorder([this](std::string_view strName) { RecordStep(Qs(strName)); });
    // F1: the topic of the control that has the focus, else the form's.
    InstallContextHelp(this, m_app, 0, help::kFormContext);
}

CWR7310View::~CWR7310View() {
    // The cell editor may go while it has the focus: nothing is committed any more.
    m_cboCellEdit->removeEventFilter(this);
    m_grid->removeEventFilter(this);
    disconnect(m_grid, nullptr, this, nullptr);
    m_doc.RemoveView(this);
    m_doc.SetEditRecorder({});
    // A form that never started (its file failed to open) has not read the port, and must not
    // overwrite the remembered one.
    if (!m_bFirstUpdate) {
        if (!m_app.WriteSetting("COM PORT", "ComPort", std::to_string(m_doc.m_nComPort)))
            std::fprintf(stderr, "cannot save the COM port in %s\n", m_app.m_strIniFile.c_str());
    }
    eeprom::RemoveScratchFile(); // a missing file is fine
}

void CWR7310View::BuildForm() {
    const CDialogUnits du(fontMetrics());
    const bool bCompact = m_variant.switchLayout == SwitchLayout::ThreeColumns;
    auto place = [&](QWidget* w, int x, int y, int cx, int cy) {
        const QSize hint = w->sizeHint();
        w->setGeometry(du.X(x), du.Y(y), std::max(du.X(cx), hint.width()),
                       std::max(du.Y(cy), hint.height()));
    };
    auto group = [&](const char* text, int x, int y, int cx, int cy) {
        auto* g = new QGroupBox(QString::fromLatin1(text), this);
        g->setGeometry(du.X(x), du.Y(y), du.X(cx), du.Y(cy));
        return g;
    };
    // Groups first so that the controls created after them lie above them.
    m_groups[0] = group("Feature Switch", 7, 4, 408, 68);
    m_groups[1] = group("Feature Setting", 7, 80, 167, 166);
    m_groups[2] = group("Channel Setting", 189, 80, 226, 167);

    // Feature Switch: created in the table's order, which is also the Tab order.
    for (const CSwitchDef& def : kSwitches) {
        auto* box = new QCheckBox(Qs(def.strText), this);
        box->setObjectName(QString("switch%1").arg(def.nId));
        m_switches[def.nId] = box;
        const CPlace* pPlace = nullptr;
        if (bCompact) {
            for (const CPlace& p : kCompactSwitchPlaces)
                if (p.nId == def.nId)
                    pPlace = &p;
        } else {
            for (const CPlace& p : kSwitchPlaces)
                if (p.nId == def.nId)
                    pPlace = &p;
        }
        if (pPlace)
            place(box, pPlace->x, pPlace->y, pPlace->w, 9);
        // A switch the model lacks is not shown; "Menu Enable " of a model that never stores
        // it is read but hidden.
        const bool bShown = SwitchField(m_variant, def.nId).has_value() &&
                            (def.nId != kMenuEnable || m_variant.switches.bMenuEnableStored);
        box->setVisible(bShown);
        const int nId = def.nId;
        connect(box, &QCheckBox::clicked, this, [this, nId, def] {
            OnSwitchClicked(nId);
            RecordStep(StepName(def.strText));
            emit modified();
        });
    }

    // Feature Setting: a label and a list per row.
    const int kRowY[] = {95, 113, 131, 149, 167, 185, 203, 221};
    const int kLabelY[] = {98, 116, 134, 152, 169, 188, 206, 223};
    for (std::size_t i = 0; i < kLists.size(); ++i) {
        const CListDef& def = kLists[i];
        auto* label = new QLabel(Qs(def.strLabel), this);
        place(label, 15, kLabelY[i], 72, 9);
        auto* list = new QComboBox(this);
        list->setObjectName(QString("list%1").arg(def.nId));
        list->setMaxVisibleItems(def.nId == kCboTxPower ? def.nItems : 10);
        label->setBuddy(list);
        place(list, 98, kRowY[i], 61, 12);
        // Center the label on its list's line.
        label->move(label->x(), list->y() + (list->height() - label->height()) / 2);
        m_labels[def.nId] = label;
        m_lists[def.nId] = list;
        connect(list, &QComboBox::activated, this, [this, def] {
            RecordStep(StepName(def.strLabel));
            emit modified();
        });
    }

    // Channel Setting: the two channel lists; the grid comes later, its place stays empty.
    auto* labelAvail = new QLabel("Available CHs:", this);
    place(labelAvail, 198, 95, 47, 8);
    m_cboAvailable = new CWheelComboBox(this);
    m_cboAvailable->setObjectName("list2401");
    m_cboAvailable->SetPause(m_variant.nChannelWheelPauseMs);
    place(m_cboAvailable, 251, 93, 41, 12);
    labelAvail->setBuddy(m_cboAvailable);
    auto* labelSel = new QLabel("Selected CH:", this);
    place(labelSel, 314, 95, 42, 8);
    m_cboSelected = new CDropDownComboBox(this);
    m_cboSelected->setObjectName("list2403");
    place(m_cboSelected, 365, 93, 41, 12);
    labelSel->setBuddy(m_cboSelected);
    for (QLabel* label : {labelAvail, labelSel})
        label->move(label->x(),
                    m_cboAvailable->y() + (m_cboAvailable->height() - label->height()) / 2);
    m_labels[kCboChAvailable] = labelAvail;
    m_labels[kCboChSelected] = labelSel;
    m_lists[kCboChAvailable] = m_cboAvailable;
    m_lists[kCboChSelected] = m_cboSelected;
    connect(m_cboAvailable, &QComboBox::activated, this, &CWR7310View::OnAvailableChanged);
    connect(m_cboSelected, &QComboBox::activated, this, &CWR7310View::OnSelectedChanged);
    connect(m_cboSelected, &CDropDownComboBox::aboutToDropDown, this,
            &CWR7310View::OnSelectedDropDown);

    m_grid = new CMSFlexGrid(this);
    m_grid->setObjectName(QString("grid%1").arg(kChannelGrid));
    m_grid->setAccessibleName("Channels");
    m_grid->setGeometry(du.X(198), du.Y(111), du.X(208), du.Y(111));
    m_grid->SetRows(MaxChannels(m_variant) + 1);
    m_grid->SetCols(channel::kCols);
    m_grid->installEventFilter(this);
    connect(m_grid, &CMSFlexGrid::KeyPress, this, &CWR7310View::OnGridChar);
    m_grid->EnableRowSelection();
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this, &CWR7310View::OnGridContextMenu);
    connect(m_grid, &CMSFlexGrid::CopyRows, this, &CWR7310View::OnEditCopy);
    connect(m_grid, &CMSFlexGrid::PasteRows, this, &CWR7310View::OnEditPaste);
    connect(m_grid, &QTableWidget::currentCellChanged, this, &CWR7310View::ShowRowFrequencies);
    connect(m_grid, &CMSFlexGrid::MouseUp, this, &CWR7310View::OnGridMouseUp);
    // A scrolled grid would leave an open cell editor behind.
    connect(m_grid, &CMSFlexGrid::Scroll, this, [this] {
        if (m_cboCellEdit->isVisible())
            EndCellEdit();
    });

    m_btnFreqList = new QPushButton("Frequency List", this);
    m_btnFreqList->setObjectName(QString("button%1").arg(kFrequencyList));
    place(m_btnFreqList, 199, 226, 66, 15);
    connect(m_btnFreqList, &QPushButton::clicked, this, &CWR7310View::OnFrequencyList);

    // The cell editor: laid over the cell being edited, hidden otherwise. Created last so that
    // it lies above the grid.
    m_cboCellEdit = new QComboBox(this);
    m_cboCellEdit->setObjectName(QString("list%1").arg(kCellEdit));
    m_cboCellEdit->setAccessibleName("Channel value");
    place(m_cboCellEdit, 357, 111, 34, 12);
    // A short list that scrolls, rather than 122 signalling codes down the whole screen.
    m_cboCellEdit->setMaxVisibleItems(12);
    m_cboCellEdit->setStyleSheet("combobox-popup: 0;");
    m_cboCellEdit->hide();
    m_cboCellEdit->installEventFilter(this);
    connect(m_cboCellEdit, &QComboBox::activated, this, [this] { m_cboCellEdit->setFocus(); });

    setMinimumSize(du.X(423), du.Y(253));
    resize(du.X(423), du.Y(253));
}

QCheckBox* CWR7310View::Switch(int nId) const {
    return FindOrNull(m_switches, nId);
}

QComboBox* CWR7310View::List(int nId) const {
    return FindOrNull(m_lists, nId);
}

QLabel* CWR7310View::Label(int nId) const {
    return FindOrNull(m_labels, nId);
}

void CWR7310View::OnSwitchClicked(int nId) {
    const CSwitchDef* pDef = FindSwitch(nId);
    if (!pDef)
        return;
    const bool bChecked = Switch(nId)->isChecked();
    if (nId == kMenuEnable || nId == kChannelSet) {
        if (MasterGates(m_variant, nId))
            for (const CSwitchDef& dep : kSwitches)
                if (dep.nMaster == nId)
                    Switch(dep.nId)->setEnabled(bChecked);
    } else if (pDef->nList != 0) {
        // Switching a feature on or off starts its setting again from "OFF".
        QComboBox* list = List(pDef->nList);
        list->setEnabled(bChecked);
        list->setCurrentIndex(0);
    }
}

void CWR7310View::ApplyMasters() {
    const CFeatureValues values = Values();
    for (const CSwitchDef& dep : kSwitches)
        if (dep.nMaster != 0)
            Switch(dep.nId)->setEnabled(SwitchEnabled(values, m_variant, dep.nId));
}

void CWR7310View::InitComboBoxes() {
    for (const CListDef& def : kLists) {
        QComboBox* list = List(def.nId);
        list->clear();
        for (int i = 0; i < def.nItems; ++i)
            list->addItem(Qs(def.items[static_cast<std::size_t>(i)]));
    }
    const int nMax = MaxChannels(m_variant);
    for (QComboBox* list :
         {static_cast<QComboBox*>(m_cboAvailable), static_cast<QComboBox*>(m_cboSelected)}) {
        list->clear();
        for (int i = 1; i <= nMax; ++i)
            list->addItem(QString::number(i));
    }
    for (int nId : kInitiallyChecked)
        Switch(nId)->setChecked(true);
}

void CWR7310View::OnInitialUpdate() {
    emit fitFrameRequested();
    if (m_bFirstUpdate) {
        m_doc.m_nComPort = m_app.GetSettingInt("COM PORT", "ComPort", 1);
        emit portChanged(m_doc.m_nComPort);
        m_app.m_nComPort = m_doc.m_nComPort;
        InitComboBoxes();
        InitChannelGrid();
        m_bFirstUpdate = false;
    }
    LoadFromImage();
}

void CWR7310View::LoadFromImage() {
    setUpdatesEnabled(false); // one repaint for the whole refill
    m_doc.SyncImageToDoc();
    m_doc.m_nComPort = m_app.m_nComPort;
    emit portChanged(m_doc.m_nComPort);

    const auto image = m_doc.Data();
    m_app.TakeRangeFromImage(image.data() + m_variant.rangeBytes.nStart);

    ShowValues(LoadFeatures(image, m_variant));
    LoadChannelLists();
    FillChannelGrid();
    setUpdatesEnabled(true);
}

void CWR7310View::ShowValues(const feature::CFeatureValues& values) {
    for (const CListDef& def : kLists)
        List(def.nId)->setCurrentIndex(values.Index(def.nId));
    for (const CSwitchDef& def : kSwitches) {
        if (!SwitchField(m_variant, def.nId))
            continue;
        const bool bChecked = values.Checked(def.nId);
        Switch(def.nId)->setChecked(bChecked);
        if (def.nList != 0)
            List(def.nList)->setEnabled(bChecked);
    }
    ApplyMasters();
}

// --- undo history ---

history::CDocState CWR7310View::CaptureState() const {
    const auto docData = m_doc.Data();
    const auto image = std::as_const(m_app).Image();
    return {{docData.begin(), docData.end()}, {image.begin(), image.end()}, Values()};
}

void CWR7310View::RestoreState(const history::CDocState& state) {
    m_bHoldSteps = true;
    EndCellEdit();
    std::copy(state.data.begin(), state.data.end(), m_doc.Data().begin());
    const auto image = m_app.Image();
    std::copy_n(state.image.begin(), std::min(state.image.size(), image.size()), image.begin());
    setUpdatesEnabled(false);
    m_app.TakeRangeFromImage(m_doc.Data().data() + m_variant.rangeBytes.nStart);
    ShowValues(state.values);
    LoadChannelLists();
    RefreshChannelCells();
    setUpdatesEnabled(true);
    m_lastState = CaptureState();
    m_bHoldSteps = false;
}

void CWR7310View::RecordStep(const QString& strName) {
    if (m_bHoldSteps)
        return;
    history::CDocState now = CaptureState();
    if (m_lastState.data.size() != now.data.size()) { // no history started yet
        m_lastState = std::move(now);
        return;
    }
    history::CEditStep step(strName.toStdString(), m_lastState, now);
    m_lastState = std::move(now);
    if (!step.Empty())
        m_pUndo->push(new CSnapshotCommand(*this, std::move(step))); // the stack owns it
}

void CWR7310View::ResetHistory(bool bClean) {
    m_pUndo->clear();
    if (!bClean)
        m_pUndo->resetClean(); // a document read from the radio is in no file yet
    m_lastState = CaptureState();
}

void CWR7310View::MarkSaved() {
    m_pUndo->setClean();
    // Saving stores the form into the document: no change of the user's.
    m_lastState = CaptureState();
}

void CWR7310View::OnEditUndo() {
    CommitViewEdits();
    m_pUndo->undo();
}

void CWR7310View::OnEditRedo() {
    CommitViewEdits();
    m_pUndo->redo();
}

feature::CFeatureValues CWR7310View::Values() const {
    CFeatureValues values;
    for (const CSwitchDef& def : kSwitches)
        values.SetChecked(def.nId, Switch(def.nId)->isChecked());
    for (const CListDef& def : kLists)
        values.SetIndex(def.nId, List(def.nId)->currentIndex());
    return values;
}

void CWR7310View::StoreControls() {
    // An edit still open in some control is finished before the values are taken.
    if (QWidget* w = window(); w && w != this)
        w->setFocus();
    EndCellEdit();
    StoreFeatures(Values(), m_doc.Data(), m_variant);
}

void CWR7310View::FillSelectedList(int nCount) {
    m_cboSelected->clear();
    for (int i = 1; i <= nCount; ++i)
        m_cboSelected->addItem(QString::number(i));
}

void CWR7310View::LoadChannelLists() {
    const CChannelSelection sel = ClampChannelSelection(m_doc.Data(), m_variant);
    m_cboAvailable->setCurrentIndex(sel.nCount - 1);
    FillSelectedList(sel.nCount);
    m_cboSelected->setCurrentIndex(sel.nCurrent - 1);
}

void CWR7310View::OnAvailableChanged(int nIndex) {
    const int nKept = m_cboSelected->currentIndex();
    const CChannelSelection sel = ChangeChannelCount(m_doc.Data(), m_variant, nIndex + 1, nKept);
    FillSelectedList(sel.nCount);
    m_cboSelected->setCurrentIndex(sel.nCurrent - 1);
    ColourChannelRows();
    RecordStep("Available CHs");
    emit modified();
}

void CWR7310View::OnSelectedChanged(int nIndex) {
    SetCurrentChannel(m_doc.Data(), m_variant, nIndex + 1);
    RecordStep("Selected CH");
    emit modified();
}

void CWR7310View::OnSelectedDropDown() {
    const int nCount = m_cboAvailable->currentIndex() + 1;
    const QString strShown = m_cboSelected->currentText();
    FillSelectedList(nCount);
    // An empty list stays empty: matching "" would select channel 1 behind the document's back.
    m_cboSelected->setCurrentIndex(
        strShown.isEmpty() ? -1 : m_cboSelected->findText(strShown, Qt::MatchStartsWith));
}

bool CWR7310View::RunTransfer(int nMode) {
    CCommDlg dlg(m_app, nMode == 0 ? TransferMode::Read : TransferMode::Write, window());
    return dlg.exec() == QDialog::Accepted;
}

bool CWR7310View::OnProgramRead() {
    const CFrameWaitCursor wait(window());
    if (!RunTransfer(0))
        return false;
    CommitViewEdits();
    // A copy of every radio read is kept, so a later mistake cannot lose its settings.
    if (const CBackupResult backup = SaveBackup(m_variant, m_app.Image()); !backup.Ok())
        m_app.ShowMessage(backup.strError, {}, MsgIcon::Exclamation);
    LoadFromImage();
    ResetHistory(false);
    emit modified(); // the radio's data is not in any file yet
    emit captionChanged(Qs(msg::kReadCaption));
    return true;
}

bool CWR7310View::OnProgramWrite() {
    const CFrameWaitCursor wait(window());
    EndCellEdit();
    StoreControls();
    m_doc.SyncDocToImage();
    if (!RunTransfer(1))
        return false;
    emit captionChanged(Qs(msg::kWriteCaption));
    return true;
}

// --- channel grid ---

namespace {

constexpr COLORREF kBlue = 0xFF0000;
constexpr double kGridRowsPerHeight = 0.0970873786407767; // 1 / 10.3
constexpr double kGridColsPerWidth = 0.136986301369863;   // 1 / 7.3

} // namespace

void CWR7310View::resizeEvent(QResizeEvent* pEvent) {
    QWidget::resizeEvent(pEvent);
    g_nTwipsPerPixelX = kTwipsPerInch / logicalDpiX();
    g_nTwipsPerPixelY = kTwipsPerInch / logicalDpiY();
}

void CWR7310View::InitChannelGrid() {
    const long nRowUnit = static_cast<long>(static_cast<double>(m_grid->height()) *
                                            g_nTwipsPerPixelY * kGridRowsPerHeight);
    const long nColUnit = static_cast<long>(static_cast<double>(m_grid->width()) *
                                            g_nTwipsPerPixelX * kGridColsPerWidth);
    m_grid->SetForeColorFixed(kBlue);
    m_grid->SetRowHeight(0, static_cast<long>(static_cast<double>(nRowUnit) * 1.8));
    m_grid->SetCellAlignment(kFlexAlignCenterCenter);
    const double kWidths[channel::kCols] = {1.5, 1.9, 1.9, 1.45};
    for (int c = 0; c < channel::kCols; ++c) {
        m_grid->SetColWidth(c, static_cast<long>(static_cast<double>(nColUnit) * kWidths[c]));
        m_grid->SetTextArray(c, Qs(texts::kChannelHeaders[static_cast<std::size_t>(c)]));
        m_grid->SetColAlignment(c, kFlexAlignCenterCenter);
    }
    for (long r = 1; r < m_grid->GetRows(); ++r) {
        m_grid->SetRowHeight(r, nRowUnit);
        m_grid->SetTextMatrix(r, 0,
                              QString::fromStdString(channel::RowHeader(static_cast<int>(r))));
    }
    m_nGridLeft = m_grid->x();
    m_nGridTop = m_grid->y();
}

void CWR7310View::FillChannelGrid() {
    CommitViewEdits();
    RefreshChannelCells();
    m_grid->SetRow(1);
    m_grid->SetCol(1);
}

void CWR7310View::RefreshChannelCells() {
    for (long r = 1; r < m_grid->GetRows(); ++r) {
        const int n = static_cast<int>(r);
        const field::CChannelRecord rec = m_doc.GetChannel(n);
        const QString strTip =
            QString::fromStdString(channel::FrequencyText(m_doc.Data(), m_variant, n));
        for (int c = channel::kColFreqNumber; c <= channel::kColScan; ++c) {
            m_grid->SetTextMatrix(r, c, QString::fromStdString(channel::CellText(rec, c)));
            if (QTableWidgetItem* pItem = m_grid->item(n - 1, c - 1))
                pItem->setToolTip(strTip);
        }
    }
    ColourChannelRows();
    ShowRowFrequencies();
}

void CWR7310View::ShowRowFrequencies() {
    const long nRow = m_grid->GetRow();
    if (nRow < 1 || nRow >= m_grid->GetRows() || !m_grid->hasFocus())
        return;
    const QString strText = QString::fromStdString(
        channel::FrequencyText(m_doc.Data(), m_variant, static_cast<int>(nRow)));
    // The grid's description follows the current row for screen readers too.
    m_grid->setAccessibleDescription(strText);
    emit statusMessage(strText, 0);
}

void CWR7310View::OnGridChar(int nChar) {
    if (nChar < 32 || nChar == 127)
        return;
    BeginCellEdit();
    if (nChar == ' ' || !m_cboCellEdit->isVisible())
        return;
    for (int i = 0; i < m_cboCellEdit->count(); ++i) {
        if (m_cboCellEdit->itemText(i).startsWith(QChar(nChar), Qt::CaseInsensitive)) {
            m_cboCellEdit->setCurrentIndex(i);
            break;
        }
    }
}

void CWR7310View::OnGridContextMenu(const QPoint& pt) {
    CommitViewEdits();
    QMenu menu(this);
    menu.setAccessibleName("Channel grid");
    menu.addAction("&Copy", QKeySequence::Copy, this, &CWR7310View::OnEditCopy);
    menu.addAction("&Paste", QKeySequence::Paste, this, &CWR7310View::OnEditPaste);
    menu.addSeparator();
    menu.addAction("Select &All", QKeySequence::SelectAll, this, &CWR7310View::OnEditSelectAll);
    menu.exec(m_grid->viewport()->mapToGlobal(pt));
}

void CWR7310View::OnEditCopy() {
    CommitViewEdits();
    std::vector<clip::CRow> rows;
    for (const long nRow : m_grid->SelectedRows())
        rows.push_back(channel::RowTexts(m_doc.Data(), m_variant, static_cast<int>(nRow)));
    QApplication::clipboard()->setText(
        QString::fromStdString(clip::FormatRows(texts::kChannelHeaders, rows)));
    emit statusMessage(QString("%1 channel row(s) copied").arg(rows.size()), kNoteMs);
}

bool CWR7310View::OnEditPaste() {
    CommitViewEdits();
    const std::string strText = QApplication::clipboard()->text().toStdString();
    const clip::CParsedRows parsed = clip::ParseRows(strText, texts::kChannelHeaders);
    const std::vector<long> selected = m_grid->SelectedRows();
    const int nFirst = static_cast<int>(selected.empty() ? m_grid->GetRow() : selected.front());
    std::string strError = parsed.strError;
    if (strError.empty())
        strError = channel::PasteRows(m_doc.Data(), m_variant, nFirst,
                                      m_cboAvailable->currentIndex() + 1, parsed.rows);
    if (!strError.empty()) {
        m_app.ShowMessage(strError, "Paste", MsgIcon::Exclamation);
        return false;
    }
    RefreshChannelCells();
    const int nLast = nFirst + static_cast<int>(parsed.rows.size()) - 1;
    const QString strName = nLast == nFirst
                                ? QString("Paste Channel %1").arg(nFirst)
                                : QString("Paste Channels %1-%2").arg(nFirst).arg(nLast);
    const history::CDocState before = m_lastState;
    RecordStep(strName);
    if (!(before == m_lastState))
        emit modified();
    emit statusMessage(strName.mid(6) + " pasted", kNoteMs);
    return true;
}

void CWR7310View::OnEditSelectAll() {
    CommitViewEdits();
    m_grid->selectAll();
    m_grid->setFocus();
}

// Channels in use in the window-text colour, the rest dimmed.
void CWR7310View::ColourChannelRows() {
    const long nCount = m_cboAvailable->currentIndex() + 1;
    const COLORREF clrText = RefFromColor(palette().color(QPalette::Active, QPalette::WindowText));
    // Dimmed, yet readable: the disabled text colour is too faint on the grid's background.
    const COLORREF clrGrey =
        channel::DimmedTextColour(clrText, RefFromColor(m_grid->palette().color(QPalette::Base)));
    for (long r = 1; r < m_grid->GetRows(); ++r)
        for (int c = channel::kColFreqNumber; c <= channel::kColScan; ++c)
            m_grid->SetCellForeColor(r, c, r <= nCount ? clrText : clrGrey);
}

void CWR7310View::BeginCellEdit() {
    m_nEditCol = m_grid->GetCol();
    m_nEditRow = m_grid->GetRow();
    const int nCount = m_cboAvailable->currentIndex() + 1;
    if (!channel::CanEdit(static_cast<int>(m_nEditRow), static_cast<int>(m_nEditCol), nCount,
                          MaxChannels(m_variant)))
        return;
    m_cboCellEdit->clear();
    for (const std::string& strItem : channel::EditorItems(m_variant, static_cast<int>(m_nEditCol)))
        m_cboCellEdit->addItem(QString::fromStdString(strItem));
    // A cell reached by the keyboard may lie outside the visible rows.
    m_grid->scrollTo(
        m_grid->model()->index(static_cast<int>(m_nEditRow - 1), static_cast<int>(m_nEditCol - 1)));
    m_nGridLeft = m_grid->x();
    m_nGridTop = m_grid->y();
    const int tx = g_nTwipsPerPixelX;
    const int ty = g_nTwipsPerPixelY;
    const int nWidth = static_cast<int>(m_grid->GetColWidth(m_nEditCol) / tx);
    const int nHeight = static_cast<int>(m_grid->GetRowHeight(m_nEditRow) / ty);
    const int x = static_cast<int>(m_grid->GetCellLeft() / tx) + m_nGridLeft;
    const int y = static_cast<int>(m_grid->GetCellTop() / ty) + m_nGridTop;
    m_cboCellEdit->setCurrentIndex(m_cboCellEdit->findText(m_grid->GetText(), Qt::MatchStartsWith));
    // Screen readers hear which cell the list edits, and its value.
    m_cboCellEdit->setAccessibleName(
        QString::fromStdString(channel::RowHeader(static_cast<int>(m_nEditRow))) + " " +
        Qs(texts::kChannelHeaders[static_cast<std::size_t>(m_nEditCol)]));
    m_cboCellEdit->setGeometry(x, y, nWidth, nHeight);
    m_cboCellEdit->raise();
    m_cboCellEdit->show();
    m_cboCellEdit->setFocus(Qt::OtherFocusReason);
}

void CWR7310View::CommitCellEdit() {
    // A stored value outside the list (from a file) shows no item: leaving the list without
    // choosing one keeps it.
    if (m_cboCellEdit->currentIndex() < 0)
        return;
    const QString strText = m_cboCellEdit->currentText();
    const field::CChannelRecord before = m_doc.GetChannel(static_cast<int>(m_nEditRow));
    channel::CommitCell(m_doc.Data(), m_variant, static_cast<int>(m_nEditRow),
                        static_cast<int>(m_nEditCol), strText.toStdString());
    m_grid->SetTextMatrix(m_nEditRow, m_nEditCol, strText);
    const field::CChannelRecord after = m_doc.GetChannel(static_cast<int>(m_nEditRow));
    // A cell opened and closed on its old value is no change to save.
    if (after.nFreqNumber != before.nFreqNumber || after.nSignalCode != before.nSignalCode ||
        after.bScanAdd != before.bScanAdd) {
        RecordStep(QString("Channel %1 %2")
                       .arg(m_nEditRow)
                       .arg(Qs(texts::kChannelHeaders[static_cast<std::size_t>(m_nEditCol)])));
        emit modified();
    }
}

void CWR7310View::EndCellEdit() {
    if (!m_cboCellEdit || !m_cboCellEdit->isVisible())
        return;
    m_cboCellEdit->hide();
    CommitCellEdit();
}

void CWR7310View::CommitViewEdits() {
    if (!m_cboCellEdit || !m_cboCellEdit->isVisible())
        return;
    EndCellEdit();
    m_grid->setFocus();
}

void CWR7310View::OnGridMouseUp(short nButton, short /*nShift*/, long x, long y) {
    // BeginCellEdit takes the clicked cell as the one it edits.
    if (nButton != 2 && m_grid->IsClickOnCurrentCell(x, y))
        BeginCellEdit();
}

bool CWR7310View::OnGridKey(QObject* pWatched, int nKey) {
    const bool bWalk = nKey == Qt::Key_Tab || nKey == Qt::Key_Return || nKey == Qt::Key_Enter;
    if (bWalk && m_cboCellEdit->isVisible()) {
        EndCellEdit();
        m_grid->MoveToNextCell(true);
        return true;
    }
    if (bWalk && pWatched == m_grid)
        return m_grid->MoveToNextCell(true);
    if (bWalk && pWatched == m_cboCellEdit) {
        BeginCellEdit(); // hidden, but still holding the focus
        return true;
    }
    if (nKey == Qt::Key_Escape && m_cboCellEdit->isVisible()) {
        m_cboCellEdit->setCurrentIndex(
            m_cboCellEdit->findText(m_grid->GetText(), Qt::MatchStartsWith));
        m_cboCellEdit->hide();
        m_grid->setFocus();
        return true;
    }
    return false;
}

bool CWR7310View::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == m_cboCellEdit && pEvent->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(pEvent)->reason() != Qt::PopupFocusReason) {
        EndCellEdit();
        return false;
    }
    if ((pWatched == m_grid || pWatched == m_cboCellEdit) && pEvent->type() == QEvent::KeyPress &&
        OnGridKey(pWatched, static_cast<QKeyEvent*>(pEvent)->key()))
        return true;
    return QWidget::eventFilter(pWatched, pEvent);
}

void CWR7310View::mousePressEvent(QMouseEvent* pEvent) {
    // A click on the form's background takes the focus, which closes an open cell edit.
    if (pEvent->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        EndCellEdit();
    }
    QWidget::mousePressEvent(pEvent);
}

bool CWR7310View::OnFrequencyList() {
    CommitViewEdits();
    const CAddrRange range = m_variant.freqTable.Range();
    auto table = field::Bytes(m_doc.Data(), range);
    CXUhfSetDlg dlg(m_variant, m_app.Range(), m_app.m_nDecimalPoint, table, window());
    dlg.SetRefusalReport([this](const std::string& strError) {
        m_app.ShowMessage(strError, "Paste", MsgIcon::Exclamation);
    });
    dlg.SetHelp([this] { emit helpRequested(); });
    // The dialog opens at the size the user last gave it.
    const int nWidth = m_app.GetSettingInt(kFreqDlgSection, "Width", 0);
    const int nHeight = m_app.GetSettingInt(kFreqDlgSection, "Height", 0);
    if (nWidth > 0 && nHeight > 0)
        dlg.resize(QSize(nWidth, nHeight).expandedTo(dlg.minimumSize()));
    const int nResult = dlg.exec();
    if (dlg.size() != QSize(nWidth, nHeight)) {
        m_app.WriteSetting(kFreqDlgSection, "Width", std::to_string(dlg.width()));
        m_app.WriteSetting(kFreqDlgSection, "Height", std::to_string(dlg.height()));
    }
    if (nResult != QDialog::Accepted)
        return false;
    dlg.GetRecords(table);
    RecordStep("Frequency Setting");
    emit modified();
    return true;
}
// --- service commands ---

void CWR7310View::OnProgramEeprom() {
    // The map shows the image as the form has it now.
    EndCellEdit();
    StoreControls();
    m_doc.SyncDocToImage();
    CEepromDlg dlg(m_app, window());
    dlg.exec();
}

void CWR7310View::OnProgramTune() {
    CTuneDlg dlg(m_app, m_doc, window());
    dlg.exec();
    RecordStep("Tune"); // what the tune screen changed besides a read
    if (dlg.DocumentChanged())
        emit modified(); // what was read or written is in no file yet
}

void CWR7310View::OnRadioInfo() {
    CXRadioInfoDlg dlg(m_app, RadioInfoTexts(m_variant, m_app.Range(), m_doc.Data()), window());
    dlg.exec();
}

bool CWR7310View::OnEmbeddedInfo() {
    const auto area = field::Bytes(m_doc.Data(), m_variant.embeddedInfo);
    CXEmbedInfoDlg dlg(m_app, area, window());
    if (dlg.exec() != QDialog::Accepted)
        return false;
    const std::vector<std::uint8_t> before(area.begin(), area.end());
    dlg.GetInfo(area);
    if (!std::equal(before.begin(), before.end(), area.begin())) {
        RecordStep("Embedded Information");
        emit modified();
    }
    return true;
}

QPoint CWR7310View::ProgressCentre() const {
    QRect r(mapToGlobal(QPoint(0, 0)), size());
    if (const QScreen* pScreen = screen()) {
        const QRect screenRect = pScreen->geometry();
        r.setLeft(std::max(r.left(), screenRect.left()));
        r.setTop(std::max(r.top(), screenRect.top()));
        r.setRight(std::min(r.right(), screenRect.right()));
        r.setBottom(std::min(r.bottom(), screenRect.bottom()));
    }
    return {(r.left() + r.right() + 1) / 2, (r.top() + r.bottom() + 1) / 2};
}

int CWR7310View::RunEmbeddedTransfer(int (CWR7310Doc::*pfnTransfer)(IProgress&),
                                     std::string_view strDone, std::string_view strCaption) {
    if (QWidget* w = window())
        w->activateWindow();
    // Unsaved edits of the form go into the image first, so the refill after it keeps them.
    StoreControls();
    m_doc.SyncDocToImage();
    CScheduleProgress progress(window(), ProgressCentre(), kProgressSize);
    const int nResult = RunServiceTransfer(
        m_app, &progress, [this, pfnTransfer](IProgress& p) { return (m_doc.*pfnTransfer)(p); });
    if (nResult == 1) {
        m_doc.m_nComPort = m_app.m_nComPort;
        emit portChanged(m_doc.m_nComPort);
        m_app.ShowMessage(strDone, strCaption, MsgIcon::Information);
    }
    return nResult;
}

bool CWR7310View::OnReadEmbeddedInfo() {
    const int nResult = RunEmbeddedTransfer(&CWR7310Doc::ReadEmbeddedInfo, msg::kCompleteReading,
                                            msg::kReadShortCaption);
    // The transfer filled the document's copy only: the image still holds the text before it.
    const auto image = m_app.Image();
    const auto area = field::Bytes(image, m_variant.embeddedInfo);
    const std::vector<std::uint8_t> before(area.begin(), area.end());
    if (nResult == 1) {
        {
            // The text read and edited is one step with the read.
            const QScopedValueRollback hold(m_bHoldSteps, true);
            OnEmbeddedInfo();
        }
        // The text read, as the editor left it, is what the form shows from now on.
        info::CopyEmbeddedInfo(m_variant, m_doc.Data(), image);
    }
    OnInitialUpdate();
    RecordStep("Read Embedded Information");
    if (!std::equal(before.begin(), before.end(), area.begin()))
        emit modified(); // the radio's text is not in any file yet
    return nResult == 1;
}

bool CWR7310View::OnWriteEmbeddedInfo() {
    const int nResult = RunEmbeddedTransfer(&CWR7310Doc::WriteEmbeddedInfo, msg::kCompleteWriting,
                                            msg::kWriteShortCaption);
    OnInitialUpdate();
    m_lastState = CaptureState(); // the form went into the image: no change of the user's
    return nResult == 1;
}
