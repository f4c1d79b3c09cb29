// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window of the embedded-information transfers: modeless, with a smooth bar,
// the percentage and "Please waiting a minute ...". CScheduleProgress shows it for the
// length of a transfer, centred on a point.
#pragma once

#include "base/Progress.h"

#include <QDialog>
#include <QPoint>
#include <QSize>

#include <memory>

class QLabel;
class QProgressBar;

class CXScheduleDlg : public QDialog {
    Q_OBJECT
public:
    CXScheduleDlg(const QString& strTitle, int nRange, QWidget* pParent = nullptr);

    // Moves the bar to nPos (at most the range) and shows its percentage; returns 1.
    int SetProgress(int nPos);

    QProgressBar* Bar() const { return m_pBar; }
    QLabel* Percent() const { return m_pPercent; }
    QLabel* Prompt() const { return m_pPrompt; }

private:
    int m_nRange;
    QProgressBar* m_pBar = nullptr;
    QLabel* m_pPercent = nullptr;
    QLabel* m_pPrompt = nullptr;
};

// A transfer's progress in a CXScheduleDlg whose centre is ptCentre, of the given size. The
// window exists from Begin to End.
class CScheduleProgress : public IProgress {
public:
    CScheduleProgress(QWidget* pParent, QPoint ptCentre, QSize size);
    ~CScheduleProgress() override;
    void Begin(std::string_view strTitle, int nRange) override;
    void SetProgress(int nPos) override;
    void End() override;

    CXScheduleDlg* Window() const { return m_pDlg.get(); }

private:
    QWidget* m_pParent;
    QPoint m_ptCentre;
    QSize m_size;
    std::unique_ptr<CXScheduleDlg> m_pDlg;
};
