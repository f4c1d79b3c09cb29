// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalProgress.h"

#include <algorithm>
#include <unistd.h>

namespace {
constexpr int kBarWidth = 30;

int Percent(int nPos, int nRange) {
    if (nRange <= 0)
        return 100;
    return std::clamp(nPos, 0, nRange) * 100 / nRange;
}
} // namespace

CTerminalProgress::CTerminalProgress() : CTerminalProgress(stderr, StderrIsTerminal()) {}

bool CTerminalProgress::StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

CTerminalProgress::CTerminalProgress(std::FILE* pOut, bool bEnabled)
    : m_pOut(pOut), m_bEnabled(bEnabled) {}

CTerminalProgress::~CTerminalProgress() {
    End();
}

void CTerminalProgress::Begin(std::string_view strTitle, int nRange) {
    End();
    m_strTitle = strTitle;
    m_nRange = nRange;
    m_nLastPercent = -1;
}

void CTerminalProgress::SetProgress(int nPos) {
    if (!m_bEnabled)
        return;
    // Redraw only when the figure changes: a read reports 256 blocks but 101 percentages.
    const int nPercent = Percent(nPos, m_nRange);
    if (nPercent == m_nLastPercent)
        return;
    m_nLastPercent = nPercent;
    std::fprintf(m_pOut, "\r%s", BarLine(m_strTitle, nPos, m_nRange).c_str());
    std::fflush(m_pOut);
    m_bDrawn = true;
}

void CTerminalProgress::End() {
    if (m_bDrawn) {
        std::fputc('\n', m_pOut);
        std::fflush(m_pOut);
    }
    m_bDrawn = false;
    m_nLastPercent = -1;
}

std::string CTerminalProgress::BarLine(std::string_view strTitle, int nPos, int nRange) {
    const int nPercent = Percent(nPos, nRange);
    const int nFilled = nPercent * kBarWidth / 100;
    std::string line(strTitle);
    line += " [";
    line.append(static_cast<std::size_t>(nFilled), '#');
    line.append(static_cast<std::size_t>(kBarWidth - nFilled), ' ');
    char tail[24];
    std::snprintf(tail, sizeof tail, "] %3d%%", nPercent);
    return line + tail;
}
