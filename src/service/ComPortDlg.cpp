// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/ComPortDlg.h"

#include "link/PortNames.h"
#include "link/SerialPort.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CComPortDlg::CComPortDlg(int nPort, std::string strIniFile, QWidget* pParent)
    : QDialog(pParent), m_nPortIndex(nPort >= 1 && nPort <= kPortCount ? nPort - 1 : -1),
      m_strIniFile(std::move(strIniFile)) {
    setObjectName("ComPortDlg");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle("Communication Port");

    auto* box = new QGroupBox;
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(24);
    m_pGroup = new QButtonGroup(this);
    // Four columns of four: COM1..COM4 down the first column.
    for (int i = 0; i < kPortCount; ++i) {
        auto* button = new QRadioButton(QString("COM%1").arg(i + 1));
        m_buttons[static_cast<std::size_t>(i)] = button;
        m_pGroup->addButton(button, i);
        grid->addWidget(button, i % 4, i / 4);
    }
    // Tab order: down each column, as the numbers run.
    for (int i = 1; i < kPortCount; ++i)
        setTabOrder(m_buttons[static_cast<std::size_t>(i - 1)],
                    m_buttons[static_cast<std::size_t>(i)]);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CComPortDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CComPortDlg::reject);

    auto* layout = new QVBoxLayout(this);
    m_pNote = new QLabel;
    m_pNote->setObjectName("commandLineNote");
    m_pNote->setWordWrap(true);
    m_pNote->hide();
    layout->addWidget(m_pNote);
    layout->addWidget(box);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    SetButtonsFromIndex();
    ProbePorts();
}

void CComPortDlg::ProbePorts() {
    for (int n = 1; n <= kPortCount; ++n) {
        const std::string strDevice = ComPortDevice(n, m_strIniFile);
        CSerialPort port;
        const bool bFree = !strDevice.empty() && port.Open(strDevice);
        if (bFree)
            port.Close();
        PortButton(n)->setEnabled(bFree);
        if (!bFree && m_nPortIndex == n - 1)
            m_nPortIndex = -1;
    }
    SetButtonsFromIndex();
}

void CComPortDlg::SetCommandLineDevice(const QString& strDevice) {
    m_pNote->setText(QString("The command line chose the device %1 (--port). OK uses the COM "
                             "port chosen below instead.")
                         .arg(strDevice));
    m_pNote->setAccessibleName(m_pNote->text());
    m_pNote->setMinimumWidth(m_pGroup->button(0)->parentWidget()->sizeHint().width());
    m_pNote->show();
}

void CComPortDlg::SetButtonsFromIndex() {
    // An exclusive group cannot show "none checked"; lift exclusivity while clearing.
    m_pGroup->setExclusive(false);
    for (int i = 0; i < kPortCount; ++i)
        m_buttons[static_cast<std::size_t>(i)]->setChecked(i == m_nPortIndex);
    m_pGroup->setExclusive(true);
}

void CComPortDlg::accept() {
    m_nPortIndex = m_pGroup->checkedId();
    QDialog::accept();
}
