// The command-line tool's commands. Each group of commands lives in its own file and offers
// its table; main.cpp parses the global options and dispatches.
#pragma once

#include <span>
#include <string>
#include <vector>

class CWR7310App;

struct CCliOptions {
    std::string strModel = "xtra"; // --model
    std::string strIniFile;        // --ini; empty: the program's default settings file
    std::string strPort;           // --port: a COM number or a device path; empty: settings file
    bool bTrace = false;           // --trace: every frame in hexadecimal on standard error
    bool bNoBackup = false;        // --no-backup: no timestamped copy of a read image
    bool bModelGiven = false;      // false: the command's radio files name the model
};

struct CCliContext {
    CWR7310App& app;
    const CCliOptions& options;
};

// Returns the process exit status.
using CliCommandFn = int (*)(CCliContext& ctx, const std::vector<std::string>& args);

struct CCliCommand {
    const char* pszName;    // "probe", "tune", ...
    const char* pszUsage;   // "probe", "dump FILE", ...
    const char* pszSummary; // one line for the tool's --help
    const char* pszHelp;    // the command's --help text (after the usage line)
    CliCommandFn fn;
};

std::span<const CCliCommand> LinkCommands();     // probe
std::span<const CCliCommand> ImageCommands();    // new, dump, diff, show
std::span<const CCliCommand> TransferCommands(); // read, write, info, tune, embedded
