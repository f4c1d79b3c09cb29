// SPDX-License-Identifier: GPL-3.0-or-later
// "Communication Port": sixteen radio buttons COM1..COM16. A port whose device is missing or
// held by another program is disabled; the port in use is preselected when it can be opened.
#pragma once

#include <QDialog>

#include <array>
#include <string>

class QButtonGroup;
class QLabel;
class QRadioButton;

class CComPortDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPortCount = 16;

    // nPort: the port in use (1..16; anything else preselects nothing). strIniFile names the
    // settings file that maps port numbers to devices.
    CComPortDlg(int nPort, std::string strIniFile, QWidget* pParent = nullptr);

    // Opens and closes each port's device at once; nothing is sent.
    void ProbePorts();
    // Port number - 1 of the checked button, -1 when none is checked.
    int PortIndex() const { return m_nPortIndex; }
    QRadioButton* PortButton(int nPort) const {
        return m_buttons[static_cast<std::size_t>(nPort - 1)];
    }

    // Says above the ports that the command line chose strDevice (--port DEVICE) and that OK
    // uses the COM port chosen here instead.
    void SetCommandLineDevice(const QString& strDevice);
    QLabel* CommandLineNote() const { return m_pNote; }

    void accept() override;

private:
    void SetButtonsFromIndex();

    int m_nPortIndex;
    std::string m_strIniFile;
    QButtonGroup* m_pGroup = nullptr;
    QLabel* m_pNote = nullptr;
    std::array<QRadioButton*, kPortCount> m_buttons{};
};
