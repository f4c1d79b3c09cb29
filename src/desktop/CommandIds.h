// SPDX-License-Identifier: GPL-3.0-or-later
// Command ids of the desktop programs. They key the menu, the toolbar, the status-line prompts
// and the help contexts, and keep the numbers the programs have always used.
#pragma once

namespace cmd {

// File
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintDirect = 57608;
inline constexpr int kFilePrintPreview = 57609;
inline constexpr int kFileMru = 57616;
inline constexpr int kAppExit = 57665;

// Edit
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditSelectAll = 57642;
inline constexpr int kEditUndo = 57643;
inline constexpr int kEditRedo = 57644;

// Programming
inline constexpr int kComPort = 32771;
inline constexpr int kProgramRead = 32772;
inline constexpr int kProgramWrite = 32773;
inline constexpr int kRadioInfo = 32776;
inline constexpr int kEmbeddedInfo = 32777;
inline constexpr int kReadEmbeddedInfo = 32781;
inline constexpr int kWriteEmbeddedInfo = 32782;
inline constexpr int kProgramEeprom = 32783;
inline constexpr int kProgramTune = 32784;
inline constexpr int kVerifyAfterWrite = 32900; // Programming > Verify after write

// View and help
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kHelpFinder = 57667;
inline constexpr int kAppAbout = 57664;

// Status bar panes
inline constexpr int kPaneComPort = 61447;
inline constexpr int kPaneModel = 61446;
inline constexpr int kPaneNumLock = 59138;

} // namespace cmd
