// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/TuneDlg.h"

#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "base/DialogHelpers.h"
#include "base/Messages.h"
#include "freqedit/EditRules.h"
#include "freqedit/TypedEdit.h"
#include "service/ContextHelp.h"
#include "service/HelpLauncher.h"
#include "service/TransferRunner.h"
#include "service/TuneRules.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

QLabel* Note(const char* pszNote, const char* pszEnglish) {
    auto* label = new QLabel(QString::fromUtf8(pszNote) + "\n" + QString::fromUtf8(pszEnglish));
    label->setWordWrap(true);
    return label;
}

QLineEdit* ReadOnlyEdit(const char* pszName, const char* pszAccessible) {
    auto* edit = new QLineEdit;
    edit->setObjectName(pszName);
    edit->setReadOnly(true);
    edit->setAccessibleName(pszAccessible);
    return edit;
}

} // namespace

CTuneDlg::CTuneDlg(CWR7310App& app, CWR7310Doc& doc, QWidget* pParent)
    : QDialog(pParent), m_app(app), m_doc(doc) {
    setObjectName("TuneDlg");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle("Tune Mode");

    // "Manual Tune Frequency"
    auto* freqGroup = new QGroupBox("Manual Tune Frequency");
    m_pFreqNote = Note(tune::kFreqNote, tune::kFreqNoteEnglish);
    m_pFreqNote->setObjectName("static1100");
    auto* freqLabel = new QLabel(
        QString::fromUtf8(m_app.m_variant.strTuneFreqLabel.data(),
                          static_cast<qsizetype>(m_app.m_variant.strTuneFreqLabel.size())));
    m_pEditTune = new CTypedEdit;
    m_pEditTune->setObjectName("edit1502");
    m_pEditTune->m_nType = kTypedDecimal;
    m_pEditTune->m_nDecimalPoint = m_app.m_nDecimalPoint;
    m_pEditTune->setMaxLength(tune::kMaxInputChars);
    freqLabel->setBuddy(m_pEditTune);
    m_pWriteFreq = new QPushButton("Write Frequency");
    m_pWriteFreq->setObjectName("button1507");
    m_pWriteFreq->setDefault(true);
    auto* freqLayout = new QGridLayout(freqGroup);
    freqLayout->addWidget(m_pFreqNote, 0, 0, 1, 2);
    freqLayout->addWidget(freqLabel, 1, 0);
    freqLayout->addWidget(m_pEditTune, 1, 1);
    freqLayout->addWidget(m_pWriteFreq, 2, 1, Qt::AlignRight);

    // "Key Tune Switch"
    auto* switchGroup = new QGroupBox("Key Tune Switch");
    m_pSwitchNote = Note(tune::kSwitchNote, tune::kSwitchNoteEnglish);
    m_pSwitchNote->setObjectName("static1101");
    m_pOpen = new QRadioButton("Open");
    m_pOpen->setObjectName("radio1500");
    m_pClose = new QRadioButton("Close");
    m_pClose->setObjectName("radio1501");
    m_pWriteSwitch = new QPushButton("Write Switch");
    m_pWriteSwitch->setObjectName("button1506");
    m_pWriteSwitch->setAutoDefault(false);
    auto* switchLayout = new QGridLayout(switchGroup);
    switchLayout->addWidget(m_pSwitchNote, 0, 0, 1, 3);
    switchLayout->addWidget(m_pOpen, 1, 0);
    switchLayout->addWidget(m_pClose, 1, 1);
    switchLayout->addWidget(m_pWriteSwitch, 2, 2, Qt::AlignRight);
    switchLayout->setColumnStretch(2, 1);

    // "Radio Model Type"
    auto* modelGroup = new QGroupBox("Radio Model Type");
    m_pModel = ReadOnlyEdit("edit1503", "Model:");
    m_pRange = ReadOnlyEdit("edit1504", "Frequency range:");
    m_pFirmware = ReadOnlyEdit("edit1505", "Firmware version:");
    auto* modelLayout = new QGridLayout(modelGroup);
    int nRow = 0;
    for (auto [pszLabel, edit] : {std::pair<const char*, QLineEdit*>{"Model:", m_pModel},
                                  {"Frequency range:", m_pRange},
                                  {"Firmware version:", m_pFirmware}}) {
        auto* label = new QLabel(pszLabel);
        label->setBuddy(edit);
        modelLayout->addWidget(label, nRow, 0);
        modelLayout->addWidget(edit, nRow, 1);
        ++nRow;
    }
    m_pRange->setMinimumWidth(
        m_pRange->fontMetrics().horizontalAdvance("400.00000 - 470.00000MHz") + 12);
    m_pReadAll = new QPushButton("Read All");
    m_pReadAll->setObjectName("button1508");
    m_pReadAll->setAutoDefault(false);
    auto* close = new QPushButton("Close");
    close->setObjectName("button2");
    close->setAutoDefault(false);

    auto* right = new QVBoxLayout;
    right->addWidget(modelGroup);
    right->addStretch(1);
    right->addWidget(m_pReadAll, 0, Qt::AlignHCenter);
    right->addWidget(close, 0, Qt::AlignHCenter);
    right->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addWidget(freqGroup);
    left->addWidget(switchGroup);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);
    const int nNoteWidth = fontMetrics().horizontalAdvance(QString(34, 'x'));
    m_pFreqNote->setMinimumWidth(nNoteWidth);
    m_pSwitchNote->setMinimumWidth(nNoteWidth);

    // Tab order as the template has it.
    setTabOrder(m_pEditTune, m_pWriteFreq);
    setTabOrder(m_pWriteFreq, m_pOpen);
    setTabOrder(m_pOpen, m_pClose);
    setTabOrder(m_pClose, m_pWriteSwitch);
    setTabOrder(m_pWriteSwitch, m_pReadAll);
    setTabOrder(m_pReadAll, close);

    m_pEditTune->installEventFilter(this);
    connect(m_pReadAll, &QPushButton::clicked, this, &CTuneDlg::OnReadAll);
    connect(m_pWriteSwitch, &QPushButton::clicked, this, &CTuneDlg::OnWriteSwitch);
    connect(m_pWriteFreq, &QPushButton::clicked, this, &CTuneDlg::OnWriteFrequency);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    InstallContextHelp(this, app, help::kTuneContext, help::kTuneContext);

    ShowTuneInfo();
}

void CTuneDlg::ShowTuneInfo() {
    const tune::CTuneInfoTexts t = tune::TuneInfoTexts(m_app, m_doc.Data());
    m_pOpen->setChecked(t.bOpen);
    m_pClose->setChecked(!t.bOpen);
    m_pEditTune->setText(Qs(t.strFrequency));
    m_pModel->setText(Qs(t.strModel));
    m_pRange->setText(Qs(t.strRange));
    m_pFirmware->setText(Qs(t.strFirmware));
}

bool CTuneDlg::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == m_pEditTune && pEvent->type() == QEvent::FocusOut) {
        // Focus that goes to a message box or to another program's window is not the user
        // leaving the field.
        const auto reason = static_cast<QFocusEvent*>(pEvent)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            OnKillFocusTune();
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

void CTuneDlg::OnKillFocusTune() {
    if (m_bChecking)
        return;
    m_bChecking = true;
    const std::string strText = m_pEditTune->text().toStdString();
    if (const auto shown = tune::CheckTuneInput(m_app, m_doc.Data(), strText))
        m_pEditTune->setText(Qs(*shown));
    m_bChecking = false;
}

int CTuneDlg::RunTune(const std::function<int()>& fnTransfer, std::string_view strDone,
                      std::string_view strCaption) {
    const int nResult =
        RunServiceTransfer(m_app, nullptr, [&fnTransfer](IProgress&) { return fnTransfer(); });
    if (nResult == 1)
        m_app.ShowMessage(strDone, strCaption, MsgIcon::Information);
    return nResult;
}

void CTuneDlg::OnReadAll() {
    // A read that fails half way has still filled the blocks before the failure.
    const std::vector<std::uint8_t> before(m_doc.Data().begin(), m_doc.Data().end());
    const int nResult =
        RunTune([this] { return m_doc.ReadTuneInfo(); }, msg::kCompleteReading, msg::kReadCaption);
    if (!std::equal(before.begin(), before.end(), m_doc.Data().begin()))
        m_bDocChanged = true;
    if (nResult == 1) {
        m_doc.RecordEdit("Tune Read All");
        ShowTuneInfo();
    }
}

void CTuneDlg::OnWriteSwitch() {
    const bool bOpen = m_pOpen->isChecked();
    RunTune([this, bOpen] { return m_doc.WriteTuneSwitch(bOpen); }, msg::kCompleteWriting,
            msg::kWriteCaption);
}

void CTuneDlg::OnWriteFrequency() {
    const std::optional<double> value =
        tune::ParseTuneText(m_pEditTune->text().toStdString(), m_app.m_nDecimalPoint);
    if (!value)
        return;
    const std::vector<std::uint8_t> before(m_doc.Data().begin(), m_doc.Data().end());
    const double dStored = tune::StoreTuneFrequency(m_app, m_doc.Data(), *value);
    if (!std::equal(before.begin(), before.end(), m_doc.Data().begin()))
        m_bDocChanged = true;
    m_pEditTune->setText(Qs(tune::FormatTuneText(dStored, m_app.m_nDecimalPoint)));
    m_pOpen->setChecked(false);
    m_pClose->setChecked(true);
    RunTune([this] { return m_doc.WriteTuneFrequency(); }, msg::kCompleteWriting,
            msg::kWriteCaption);
}
