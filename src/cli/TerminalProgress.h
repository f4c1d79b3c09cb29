// SPDX-License-Identifier: GPL-3.0-or-later
// A progress bar on standard error while a transfer runs, redrawn in place. It draws only when
// standard error is a terminal, so scripts and logs get no control characters.
#pragma once

#include "base/Progress.h"

#include <cstdio>
#include <string>

class CTerminalProgress : public IProgress {
public:
    // Draws on pOut when bEnabled; the default draws on standard error when it is a terminal.
    CTerminalProgress();
    CTerminalProgress(std::FILE* pOut, bool bEnabled);
    ~CTerminalProgress() override;

    void Begin(std::string_view strTitle, int nRange) override;
    void SetProgress(int nPos) override;
    void End() override;

    // True when standard error is a terminal: progress is drawn there.
    static bool StderrIsTerminal();

    // "Title [#####               ]  25%": the line as drawn, without the carriage return.
    static std::string BarLine(std::string_view strTitle, int nPos, int nRange);

private:
    std::FILE* m_pOut;
    bool m_bEnabled;
    bool m_bDrawn = false;
    std::string m_strTitle;
    int m_nRange = 100;
    int m_nLastPercent = -1;
};
