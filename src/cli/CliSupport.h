// SPDX-License-Identifier: GPL-3.0-or-later
// Small pieces shared by the command-line tool's commands.
#pragma once

#include "base/Notifier.h"

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CRadioComm;
struct CVariant;
class CWR7310App;
struct CCliOptions;
struct CCliContext;
struct CCliArgs;
namespace CLI {
class App;
}

// With --trace, every frame the link sends and receives is printed in hexadecimal on
// standard error ("> 52 00 00 08", "< 52 00 00 08 ..."), each line after strPrefix (the
// port's name when several radios are programmed at once) and written whole.
void AttachTrace(CRadioComm& comm, const CCliOptions& options, std::string strPrefix = {});

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
// The same lines, for a caller that reports them elsewhere (one radio of several).
std::vector<std::string> ConnectionTroubleLines(const CRadioComm& comm);

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
class CWR7310Doc;

// "-" names standard input or output wherever a file is read or written.
inline constexpr const char* kStdStream = "-";

// The model of a radio file named on the command line, from its signature, else its size,
// as the desktop tells them apart; "-" looks at the start of standard input, which stays
// available to the command. nullptr: the file does not tell (or cannot be read).
const CVariant* VariantOfArgument(const std::string& strPath);

// Why a file given to write to a radio is plainly no radio file: a JSON or CSV export, or a
// file whose signature belongs to no model. Empty: it may be one. The reason ends with the
// hint to build a radio file with import.
std::string NotARadioFileReason(const std::string& strPath);

// Names that are the process's own open streams rather than files to replace: /dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N (what ">(cmd)" gives). They are written directly.
bool IsStreamPath(const std::string& strPath);

// Opens a radio file, or reads one from standard input for "-" (no more than a radio file's
// bytes are read). False: the document has said why.
bool OpenRadioFile(CWR7310Doc& doc, const std::string& strPath);
// Saves the document as a radio file, or writes its bytes to standard output for "-".
bool SaveRadioFile(CWR7310Doc& doc, const std::string& strPath);
// Reads a whole text source of at most nMax bytes ("-": standard input). False: the reason
// is on standard error.
bool ReadSource(const std::string& strPath, std::size_t nMax, std::string& strText);
// Writes a text to a file (through a temporary file, as radio files are saved) or, for "-",
// to standard output. False: the reason is on standard error.
bool WriteText(const std::string& strPath, const std::string& strText);

// --port N starts the port scan at COMn; --port DEVICE uses that device only; without it
// (empty) the scan starts at the port remembered in the settings file, as the desktop's does.
// CheckPortOption refuses a number that is no COM port (false, the reason on standard
// error); ApplyPortOption takes a checked one.
bool IsComNumber(const std::string& strPort); // digits only: a COM port, not a device
bool CheckPortOption(const std::string& strPort);
void ApplyPortOption(CWR7310App& app, const std::string& strPort);

// As every shown image does: the working range follows the image's range bytes.
void SetWorkingRangeFromImage(CWR7310App& app, std::span<const std::uint8_t> image);
// Opens a radio file for writing to a radio: the working range follows its range bytes, and
// the key tune switch is cleared as the form does whenever it stores its controls, so a
// whole-image write never opens the radio's tune mode; the tune commands alone set it.
// False when the file could not be opened (the document has said why).
bool PrepareWrite(CWR7310App& app, const std::string& strFile);

// Every message of the tool reads "wr7310[ COMMAND]: [FILE[:LINE]: ]Sentence": the file a
// message is about comes first, as compilers and editors expect it; values appear in double
// quotes, commands to type in single quotes ('wr7310 --help').
std::string SentenceCase(std::string str); // the first letter upper case
// The command whose messages follow; empty before one is known.
void SetCommandName(std::string strCommand);
// Standard error after "wr7310[ COMMAND]: ", for one message.
std::ostream& Complain();
// Prints the messages of the application and its document in the tool's voice.
class CToolNotifier : public INotifier {
public:
    void ShowMessage(std::string_view strText, std::string_view strCaption, MsgIcon icon) override;
};
// A command line the command cannot take: says why and where its help is; kExitUsage.
int UsageError(const char* pszCommand, const std::string& strProblem);
// For a command without options or arguments of its own.
void SetupNone(CLI::App& cmd, CCliArgs& args);

// "$0324:0xCF -> 0x4F\n": one differing byte as diff and write --verify print it.
std::string DiffLine(std::size_t nAddr, std::uint8_t nBefore, std::uint8_t nAfter);

// Declares "-o,--output FILE" on a command's parser.
void AddOutputOption(CLI::App& cmd, CCliArgs& args, const std::string& strDescription);
// Declares the command's file arguments (any number: the command checks how many it needs).
void AddFileArguments(CLI::App& cmd, CCliArgs& args, const std::string& strName = "FILE",
                      const std::string& strDescription = "a radio file ('-': standard input)");
