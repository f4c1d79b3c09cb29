// SPDX-License-Identifier: GPL-3.0-or-later
// Progress of a transfer, shown by whoever started it: a progress window on the desktop, a
// bar on a terminal for the command-line tool, nothing in tests.
#pragma once

#include <string_view>

class IProgress {
public:
    virtual ~IProgress() = default;
    // A transfer begins: its title and the value that means "complete".
    virtual void Begin(std::string_view strTitle, int nRange) = 0;
    virtual void SetProgress(int nPos) = 0;
    // The transfer ended, successfully or not.
    virtual void End() = 0;
};

class CNullProgress : public IProgress {
public:
    void Begin(std::string_view, int) override {}
    void SetProgress(int) override {}
    void End() override {}
};
