// Small pieces shared by the command-line tool's commands.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class CRadioComm;
struct CCliOptions;
struct CCliContext;

// With --trace, every frame the link sends and receives is printed in hexadecimal on
// standard error ("> 52 00 00 08", "< 52 00 00 08 ...").
void AttachTrace(CRadioComm& comm, const CCliOptions& options);

// "52 00 00 08": bytes as upper-case hexadecimal pairs separated by blanks.
std::string HexBytes(std::span<const std::uint8_t> bytes);

// A text from a radio or a radio file as it may be printed on a terminal: printable ASCII
// as it is, every other byte as "\xNN", so that no stored byte can move the cursor, recolour
// or retitle the user's terminal.
std::string PrintableText(std::string_view str);

// After a Connect that found no radio: prints on standard error, one a line, why a device
// named with --port failed, and what would grant access to the ports that exist but were
// refused for lack of permission.
void PrintPermissionHints(const CRadioComm& comm);

// The start of every command that talks to the radio: trace attached, Connect (with the
// permission hints when no radio answered), then the version gate. True: the port is open
// and the radio in programming mode. False: the user has been told why and the port is closed.
bool ConnectRadio(CRadioComm& comm, const CCliContext& ctx);

// Before any command: an --ini file named on the command line must exist, and no settings
// file may be a device, a pipe or larger than 1 MiB. False: the reason has been printed.
bool CheckSettingsFile(const std::string& strIniFile, const CCliOptions& options);

// The exit status of a command: standard output is flushed, and a failure to write it (a full
// disk, a closed pipe) makes the command fail with the reason and status 2; after Ctrl-C,
// SIGTERM or SIGHUP it is 128 + the signal.
int FinishCommand(int nStatus);
