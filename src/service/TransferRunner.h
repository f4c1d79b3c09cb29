// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a service transfer of the document on a worker thread while the window stays drawn.
// The transfer's messages and progress are shown on the user-interface thread, one at a
// time, while the worker waits, exactly as the whole-image transfer dialog does; user input
// to the program's windows waits until the transfer is over. A wait cursor shows meanwhile.
#pragma once

#include <functional>

class CWR7310App;
class IProgress;

// fnTransfer runs on the worker; it is given a progress that forwards to pProgress (may be
// null). Returns what fnTransfer returned.
int RunServiceTransfer(CWR7310App& app, IProgress* pProgress,
                       const std::function<int(IProgress& progress)>& fnTransfer);
