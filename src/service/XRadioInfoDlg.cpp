// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/XRadioInfoDlg.h"

#include "base/DialogHelpers.h"
#include "service/ContextHelp.h"
#include "service/HelpLauncher.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CXRadioInfoDlg::CXRadioInfoDlg(const CWR7310App& app, const CRadioInfoTexts& texts,
                               QWidget* pParent)
    : QDialog(pParent) {
    setObjectName("XRadioInfoDlg");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle("Radio Information");

    struct CRow {
        const char* pszLabel;
        int nId;
        const std::string& strValue;
    };
    const CRow rows[] = {
        {"Frequency Range:", 1062, texts.strRange},
        {"Model:", 1064, texts.strModel},
        {"Serial:", 1065, texts.strSerial},
        {"Verion:", 1066, texts.strVersion},
        {"Local Oscillator:", 1072, texts.strOscillator},
    };
    auto* group = new QGroupBox("Radio Info");
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(16);
    grid->setColumnMinimumWidth(1, fontMetrics().horizontalAdvance("400.00000 - 470.00000 MHz"));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        auto* label = new QLabel(QString::fromLatin1(rows[i].pszLabel));
        auto* value = new QLabel(Qs(rows[i].strValue));
        value->setObjectName(QString("static%1").arg(rows[i].nId));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        // A screen reader says the label and the value, "Model: MT-7310".
        value->setAccessibleName(label->text() + " " + value->text());
        label->setBuddy(value);
        grid->addWidget(label, static_cast<int>(i), 0);
        grid->addWidget(value, static_cast<int>(i), 1);
        m_values[i] = value;
    }

    auto* close = new QPushButton("&Close");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    QHBoxLayout* buttons = SpreadButtonRow({close});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    close->setFocus();
    InstallContextHelp(this, app, help::kRadioInfoContext, help::kRadioInfoContext);
}
