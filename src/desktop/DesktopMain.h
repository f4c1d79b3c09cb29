// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of a desktop program: the application object for its model, the main window, the
// first document (new, or the file named on the command line) and the message loop.
#pragma once

#include <string>

class CMainFrame;
struct CVariant;

// Command line: [--ini FILE] [--port N|DEVICE] [--print-pdf OUT.pdf] [FILE], or --help or
// --version, which print to standard output and need no display. Returns the process's exit
// code: 2 for a wrong command line, 1 without a display or when a file named at start could
// not be opened (its failure was reported).
int RunDesktopProgram(const CVariant& variant, int argc, char** argv);

// The --version text of a desktop program: its own version, the release and the licence.
std::string DesktopVersionText(const CVariant& variant);

// Radio files dropped on the frame's window open as File > Open opens them.
void AcceptFileDrops(CMainFrame& frame);
