// Start-up of a desktop program: the application object for its model, the main window, the
// first document (new, or the file named on the command line) and the message loop.
#pragma once

struct CVariant;

// Command line: [--ini FILE] [--port N|DEVICE] [FILE]. Returns the process's exit code; a
// file that cannot be opened at start ends the program after its failure was reported.
int RunDesktopProgram(const CVariant& variant, int argc, char** argv);
