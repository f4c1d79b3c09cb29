// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tool's commands. Each group of commands lives in its own file and offers
// its table; main.cpp builds the parser from the tables and dispatches.
#pragma once

#include <span>
#include <string>
#include <vector>

class CWR7310App;
namespace CLI {
class App;
}

struct CCliOptions {
    std::string strModel = "xtra";  // --model
    std::string strIniFile;         // --ini; empty: the program's default settings file
    std::vector<std::string> ports; // --port, each a COM number or a device path; empty:
                                    // settings file; more than one: read and write a fleet
    bool bTrace = false;            // --trace: every frame in hexadecimal on standard error
    bool bNoBackup = false;         // --no-backup: no timestamped copy of a read image

    // The one port of a command that talks to one radio (empty: the settings file's).
    std::string Port() const { return ports.empty() ? std::string() : ports.front(); }
};

struct CCliContext {
    CWR7310App& app;
    const CCliOptions& options;
};

// What a command's own options and arguments are bound to by the parser.
struct CCliArgs {
    std::vector<std::string> positionals; // FILE, A B, read|write ..., in order
    std::string strOut;                   // -o/--output; "-": standard output
    bool bJson = false;                   // show --json
    std::string strFormat;                // export/import --format
    std::string strBase;                  // import --base
    bool bVerify = false;                 // write --verify
    bool bForce = false;                  // write --force: a file that is no radio file too
};

// Exit status of every command: the same failure ends with the same status everywhere.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; // the radio or a file failed, a value was refused,
                                       // diff found differences, --verify found a mismatch
inline constexpr int kExitUsage = 2;   // the command line is wrong (diff: also a file it
                                       // cannot read, as diff tools do)

// Returns the process exit status.
using CliCommandFn = int (*)(CCliContext& ctx, const CCliArgs& args);
// Declares the command's own options and arguments on its parser.
using CliSetupFn = void (*)(CLI::App& cmd, CCliArgs& args);

struct CCliCommand {
    const char* pszName;    // "probe", "tune", ...
    const char* pszUsage;   // "probe", "dump FILE", ...
    const char* pszSummary; // one line for the tool's --help
    const char* pszHelp;    // the command's --help text (after the usage line)
    CliSetupFn setup;
    CliCommandFn fn;
};

std::span<const CCliCommand> LinkCommands();     // probe
std::span<const CCliCommand> ImageCommands();    // new, dump, diff, show
std::span<const CCliCommand> TransferCommands(); // read, write, info, tune, embedded
std::span<const CCliCommand> ExchangeCommands(); // export, import
