// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/XScheduleDlg.h"

#include "base/DialogHelpers.h"
#include "base/Messages.h"
#include "service/InfoTexts.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>

CXScheduleDlg::CXScheduleDlg(const QString& strTitle, int nRange, QWidget* pParent)
    : QDialog(pParent), m_nRange(nRange) {
    setObjectName("XScheduleDlg");
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                   ~(Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint));
    setModal(false);
    setWindowTitle(strTitle);

    m_pPrompt = new QLabel(Qs(msg::kProgressPrompt));
    m_pPrompt->setObjectName("static1080");
    m_pPercent = new QLabel(strTitle); // the title until the first step
    m_pPercent->setObjectName("static1074");
    m_pPercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pBar = new QProgressBar;
    m_pBar->setObjectName("progress1073");
    m_pBar->setAccessibleName(strTitle);
    m_pBar->setTextVisible(false);
    m_pBar->setRange(0, std::clamp(nRange, 0, 0xFFFF));
    m_pBar->setValue(0);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_pPrompt, 0, 0);
    grid->addWidget(m_pPercent, 0, 1);
    grid->addWidget(m_pBar, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
}

int CXScheduleDlg::SetProgress(int nPos) {
    const int nShown = info::ProgressPosition(nPos, m_nRange);
    m_pBar->setValue(nShown);
    m_pPercent->setText(QString::fromStdString(info::ProgressPercentText(nPos, m_nRange)));
    return 1;
}

CScheduleProgress::CScheduleProgress(QWidget* pParent, QPoint ptCentre, QSize size)
    : m_pParent(pParent), m_ptCentre(ptCentre), m_size(size) {}

CScheduleProgress::~CScheduleProgress() = default;

void CScheduleProgress::Begin(std::string_view strTitle, int nRange) {
    m_pDlg = std::make_unique<CXScheduleDlg>(Qs(strTitle), nRange, m_pParent);
    // Top-left corner half the size up and left of the centre; the size stays as given.
    m_pDlg->setGeometry(m_ptCentre.x() - m_size.width() / 2, m_ptCentre.y() - m_size.height() / 2,
                        m_size.width(), m_size.height());
    m_pDlg->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CScheduleProgress::SetProgress(int nPos) {
    if (m_pDlg)
        m_pDlg->SetProgress(nPos);
}

void CScheduleProgress::End() {
    m_pDlg.reset();
}
