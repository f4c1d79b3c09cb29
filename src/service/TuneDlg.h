// SPDX-License-Identifier: GPL-3.0-or-later
// "Tune Mode": the service screen for the radio's tune frequency and its key-enter-tune-mode
// switch. It reads and writes them in the radio directly through the document's service
// transfers; the rules live in TuneRules.h.
#pragma once

#include <QDialog>

#include <functional>
#include <string_view>

class CTypedEdit;
class CWR7310App;
class CWR7310Doc;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CTuneDlg : public QDialog {
    Q_OBJECT
public:
    CTuneDlg(CWR7310App& app, CWR7310Doc& doc, QWidget* pParent = nullptr);

    // Fills the controls from the document.
    void ShowTuneInfo();
    // The range check when the tune edit loses the focus.
    void OnKillFocusTune();
    void OnReadAll();
    void OnWriteSwitch();
    void OnWriteFrequency();
    // Whether Read All or Write Frequency changed the document (the caller marks it modified:
    // what was read or typed is in no file yet).
    bool DocumentChanged() const { return m_bDocChanged; }

    CTypedEdit* TuneEdit() const { return m_pEditTune; }
    QRadioButton* OpenButton() const { return m_pOpen; }
    QRadioButton* CloseButton() const { return m_pClose; }
    QLineEdit* ModelEdit() const { return m_pModel; }
    QLineEdit* RangeEdit() const { return m_pRange; }
    QLineEdit* FirmwareEdit() const { return m_pFirmware; }
    QPushButton* ReadAllButton() const { return m_pReadAll; }
    QPushButton* WriteSwitchButton() const { return m_pWriteSwitch; }
    QPushButton* WriteFrequencyButton() const { return m_pWriteFreq; }
    QLabel* FrequencyNote() const { return m_pFreqNote; }
    QLabel* SwitchNote() const { return m_pSwitchNote; }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    // Runs fnTransfer as a service transfer; on 1 shows strDone under strCaption. Returns
    // what fnTransfer returned.
    int RunTune(const std::function<int()>& fnTransfer, std::string_view strDone,
                std::string_view strCaption);

    CWR7310App& m_app;
    CWR7310Doc& m_doc;
    CTypedEdit* m_pEditTune = nullptr;
    QRadioButton* m_pOpen = nullptr;
    QRadioButton* m_pClose = nullptr;
    QLineEdit* m_pModel = nullptr;
    QLineEdit* m_pRange = nullptr;
    QLineEdit* m_pFirmware = nullptr;
    QPushButton* m_pReadAll = nullptr;
    QPushButton* m_pWriteSwitch = nullptr;
    QPushButton* m_pWriteFreq = nullptr;
    QLabel* m_pFreqNote = nullptr;
    QLabel* m_pSwitchNote = nullptr;
    bool m_bChecking = false;
    bool m_bDocChanged = false;
};
