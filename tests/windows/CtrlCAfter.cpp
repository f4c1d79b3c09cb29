// SPDX-License-Identifier: GPL-3.0-or-later
// ctrl-c-after SIGNALFILE PROGRAM [ARGS...]: runs PROGRAM on a console of its own, with this
// program's standard handles, and presses Ctrl-C on that console once SIGNALFILE exists (the
// test creates it when the transfer is under way). Exits with PROGRAM's exit code. Ctrl-C
// reaches a program only through its console, which a test started from a Linux shell does
// not have.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// This program stays alive through its own Ctrl-C. (A handler, not SetConsoleCtrlHandler with
// no routine: that would pass "ignore Ctrl-C" on to the program started.)
BOOL WINAPI KeepRunning(DWORD) {
    return TRUE;
}

// Quotes one argument by the rules the C runtime's argument parser undoes.
std::wstring Quote(const wchar_t* pszArg) {
    std::wstring strOut = L"\"";
    std::size_t nSlashes = 0;
    for (const wchar_t* p = pszArg; *p; ++p) {
        if (*p == L'\\') {
            ++nSlashes;
            continue;
        }
        strOut.append(*p == L'"' ? 2 * nSlashes + 1 : nSlashes, L'\\');
        nSlashes = 0;
        strOut += *p;
    }
    strOut.append(2 * nSlashes, L'\\');
    return strOut + L"\"";
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: ctrl-c-after SIGNALFILE PROGRAM [ARGS...]\n", stderr);
        return 2;
    }
    std::wstring strCommand;
    for (int i = 2; i < argc; ++i)
        strCommand += (i > 2 ? L" " : L"") + Quote(argv[i]);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        ::SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    // A console of our own, shared with the program started: Ctrl-C goes to both.
    ::FreeConsole();
    if (!::AllocConsole()) {
        std::fprintf(stderr, "ctrl-c-after: no console (error %lu)\n", ::GetLastError());
        return 2;
    }
    ::SetConsoleCtrlHandler(KeepRunning, TRUE);

    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, strCommand.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process)) {
        std::fprintf(stderr, "ctrl-c-after: cannot start the program (error %lu)\n",
                     ::GetLastError());
        return 2;
    }
    while (::WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT) {
        if (::GetFileAttributesW(argv[1]) != INVALID_FILE_ATTRIBUTES) {
            ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
            break;
        }
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD nExit = 2;
    ::GetExitCodeProcess(process.hProcess, &nExit);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(nExit);
}
