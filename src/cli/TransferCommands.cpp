// SPDX-License-Identifier: GPL-3.0-or-later
// Commands that talk to the radio: whole-image read and write, the radio information, the
// tune data and the embedded information. They run the same transfer engine and document code
// as the desktop; messages go to standard error through the application's notifier, data to
// standard output.
#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "base/Messages.h"
#include "base/Progress.h"
#include "base/RadioFile.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/FleetTransfer.h"
#include "cli/TerminalProgress.h"
#include "image/FreqCodec.h"
#include "image/ImageFields.h"
#include "image/RadioInfo.h"
#include "service/InfoTexts.h"
#include "service/TuneRules.h"
#include "transfer/Backup.h"
#include "transfer/ImageTransfer.h"
#include "transfer/Interrupt.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>

namespace {

// The usage of the command whose name starts pszUsage.
int Usage(const char* pszUsage) {
    const std::string strUsage = pszUsage;
    const std::string strCommand = strUsage.substr(0, strUsage.find(' '));
    return UsageError(strCommand.c_str(), "usage: wr7310 [OPTIONS] " + strUsage);
}

// After a failed connection (Connect leaves the current port at 0), name the ports that exist
// but could not be opened for lack of permission, and the group that would grant access.
void ReportConnectionTrouble(const CWR7310App& app, const CRadioComm& comm) {
    if (app.m_nComPort != 0)
        return;
    PrintPermissionHints(comm);
}

// A whole-image transfer with a progress bar; the final message goes through the notifier.
// With bVerify, a write reads every written block back; the bytes that differ are printed
// in the diff form (written -> read back).
bool RunImageTransfer(CCliContext& ctx, TransferMode mode, bool bVerify = false) {
    // Ctrl-C (or SIGTERM, SIGHUP) stops the transfer at its next block; a second one is
    // ignored until the port is closed, which happens before this guard ends.
    const CInterruptGuard interruptGuard;
    CImageTransfer transfer(ctx.app, mode);
    transfer.SetStopCheck(InterruptRequested);
    transfer.m_bVerify = bVerify;
    AttachTrace(transfer.m_comm, ctx.options);
    CTerminalProgress progress;
    progress.Begin(mode == TransferMode::Read ? msg::kReadCaption : msg::kWriteCaption, 100);
    StartResult start = StartResult::Started;
    const bool bOk = RunTransfer(
        transfer,
        [&](TransferMsg m, long lParam) {
            if (!IsFinalMessage(m)) {
                progress.SetProgress(static_cast<int>(lParam));
                return;
            }
            progress.End();
            ctx.app.ShowMessage(CImageTransfer::MessageText(m, lParam), {},
                                IsSuccessMessage(m) ? MsgIcon::Information : MsgIcon::Error);
        },
        &start);
    progress.End();
    if (start == StartResult::NoRadio)
        ReportConnectionTrouble(ctx.app, transfer.m_comm);
    if (!transfer.m_mismatches.empty()) {
        std::cerr << "Verify: " << transfer.m_mismatches.size()
                  << " byte(s) read back differ from what was written (written -> read back):\n";
        for (const CByteMismatch& m : transfer.m_mismatches)
            std::cout << DiffLine(m.nAddr, m.nWritten, m.nRead);
    } else if (transfer.m_bVerified) {
        std::cerr << "Verify: every written block read back as written.\n";
    }
    return bOk;
}

// Before a read whose result is to be saved: a path that cannot take the file is refused now,
// with the reason, rather than after the whole read.
bool CheckOutputPath(const std::string& strPath) {
    if (strPath == kStdStream || IsStreamPath(strPath))
        return true; // written as it stands, not replaced
    const int nErr = CheckCanSave(strPath);
    if (nErr == 0)
        return true;
    Complain() << strPath << ": Cannot save: " << std::strerror(nErr) << ". Nothing was read.\n";
    return false;
}

// Reads the whole image and keeps a backup of it unless --no-backup (pstrBackup, when given,
// receives the backup's path).
bool ReadImage(CCliContext& ctx, std::string* pstrBackup = nullptr) {
    if (!RunImageTransfer(ctx, TransferMode::Read))
        return false;
    SetWorkingRangeFromImage(ctx.app, ctx.app.Image());
    if (!ctx.options.bNoBackup) {
        const CBackupResult backup = SaveBackup(ctx.app.m_variant, ctx.app.Image());
        if (backup.Ok()) {
            std::cerr << "Backup: " << backup.strPath << '\n';
            if (pstrBackup)
                *pstrBackup = backup.strPath;
        } else
            Complain() << "Warning: no backup kept: " << backup.strError << '\n';
    }
    return true;
}

void SetupRead(CLI::App& cmd, CCliArgs& args) {
    AddOutputOption(cmd, args,
                    "the radio file to write ('-': standard output); with several --port, "
                    "each radio's file gets the port's name added");
}

int CmdRead(CCliContext& ctx, const CCliArgs& args) {
    if (args.strOut.empty())
        return Usage("read -o FILE");
    if (ctx.options.ports.size() > 1)
        return ReadFleet(ctx, args.strOut);
    if (!CheckOutputPath(args.strOut))
        return kExitFailure;
    std::string strBackup;
    if (!ReadImage(ctx, &strBackup))
        return kExitFailure;
    CWR7310Doc doc(ctx.app);
    doc.SyncImageToDoc();
    if (!SaveRadioFile(doc, args.strOut)) {
        // The document has said why; the image read is not lost.
        if (!strBackup.empty())
            Complain() << "The image read is kept in " << strBackup << '\n';
        return kExitFailure;
    }
    return kExitOk;
}

void SetupWrite(CLI::App& cmd, CCliArgs& args) {
    AddFileArguments(cmd, args);
    cmd.add_flag("--verify", args.bVerify,
                 "read every written block back and compare; differences are printed as diff "
                 "prints them and end with status 1");
    cmd.add_flag("--force", args.bForce,
                 "write a file that does not look like a radio file (an export, no signature)");
}

int CmdWrite(CCliContext& ctx, const CCliArgs& args) {
    if (args.positionals.size() != 1)
        return Usage("write FILE [--verify] [--force]");
    // The desktop opens any file of the right size; here a file that plainly is something
    // else never reaches a radio by mistake.
    if (!args.bForce) {
        if (const std::string strReason = NotARadioFileReason(args.positionals[0]);
            !strReason.empty()) {
            Complain() << strReason << ". Nothing was written.\n";
            return kExitFailure;
        }
    }
    if (ctx.options.ports.size() > 1)
        return WriteFleet(ctx, args.positionals[0], args.bVerify);
    if (!PrepareWrite(ctx.app, args.positionals[0]))
        return kExitFailure;
    return RunImageTransfer(ctx, TransferMode::Write, args.bVerify) ? kExitOk : kExitFailure;
}

void SetupRestore(CLI::App& cmd, CCliArgs& args) {
    AddFileArguments(cmd, args, "BACKUP", "a backup radio file (its raw image beside it)");
    cmd.add_flag("--verify", args.bVerify,
                 "read every written block back and compare, as write --verify does");
}

// Writes a backup back as it was read: the raw image, key tune switch included, every block a
// write sends. The radio's identity and service areas stay the radio's own.
int CmdRestore(CCliContext& ctx, const CCliArgs& args) {
    if (args.positionals.size() != 1)
        return Usage("restore BACKUP [--verify]");
    const std::string& strBackup = args.positionals[0];
    std::string strError;
    const std::vector<std::uint8_t> image = LoadBackupImage(ctx.app.m_variant, strBackup, strError);
    if (image.empty()) {
        Complain() << strError << ". Nothing was written.\n";
        return kExitFailure;
    }
    if (!std::filesystem::exists(BackupImagePath(strBackup)))
        Complain() << strBackup
                   << ": No raw image beside it; the areas a radio file never carries are "
                      "written as it holds them\n";
    std::copy(image.begin(), image.end(), ctx.app.Image().begin());
    SetWorkingRangeFromImage(ctx.app, ctx.app.Image());
    return RunImageTransfer(ctx, TransferMode::Write, args.bVerify) ? kExitOk : kExitFailure;
}

void SetupWords(CLI::App& cmd, CCliArgs& args) {
    cmd.add_option("WORDS", args.positionals, "what to do, as the usage shows");
}

void SetupEmbedded(CLI::App& cmd, CCliArgs& args) {
    SetupWords(cmd, args);
    AddOutputOption(cmd, args, "embedded read: the text file to write ('-': standard output)");
}

int CmdInfo(CCliContext& ctx, const CCliArgs& /*args*/) {
    if (!ReadImage(ctx))
        return kExitFailure;
    const CRadioInfoTexts t = RadioInfoTexts(ctx.app.m_variant, ctx.app.Range(), ctx.app.Image());
    std::printf("Frequency Range:   %s\n", t.strRange.c_str());
    std::printf("Model:             %s\n", PrintableText(t.strModel).c_str());
    std::printf("Serial:            %s\n", PrintableText(t.strSerial).c_str());
    std::printf("Verion:            %s\n", PrintableText(t.strVersion).c_str());
    std::printf("Local Oscillator:  %s\n", t.strOscillator.c_str());
    return kExitOk;
}

// The tune data as the tune screen shows it.
void PrintTuneInfo(const CWR7310Doc& doc) {
    const CVariant& v = doc.m_variant;
    const auto data = doc.Data();
    const double dTune = field::GetTuneFrequency(data, v);
    const std::string strVersion = PrintableText(field::GetText(data, v.firmwareVersion, 16));
    std::printf("Model:                %s\n",
                PrintableText(field::GetText(data, v.modelName, 16)).c_str());
    std::printf("Frequency range:      %.5f - %.5fMHz\n", field::GetRangeLimit(data, v, true),
                field::GetRangeLimit(data, v, false));
    std::printf("Firmware version:     %s%s\n", strVersion.empty() ? "" : "V", strVersion.c_str());
    std::printf("%-22s%.5f\n", std::string(v.strTuneFreqLabel).c_str(), dTune);
    std::printf("Key Tune Switch:      %s\n",
                field::GetBit(data, v.keyTuneSwitch) ? "Open" : "Close");
}

// Reads the tune information into the document; the working range then follows the radio's
// range bytes, as it does after a whole-image read.
bool ReadTune(CCliContext& ctx, CWR7310Doc& doc) {
    if (doc.ReadTuneInfo() != 1) {
        ReportConnectionTrouble(ctx.app, doc.m_comm);
        return false;
    }
    SetWorkingRangeFromImage(ctx.app, doc.Data());
    return true;
}

int CmdTune(CCliContext& ctx, const CCliArgs& cliArgs) {
    const std::vector<std::string>& args = cliArgs.positionals;
    const char* const pszUsage = "tune read | tune switch open|close | tune frequency MHZ";
    if (args.empty())
        return Usage(pszUsage);
    // Ctrl-C stops a tune transfer before its next block (see RunImageTransfer).
    const CInterruptGuard interruptGuard;
    CWR7310Doc doc(ctx.app);
    doc.SetStopCheck(InterruptRequested);
    AttachTrace(doc.m_comm, ctx.options);
    const std::string& strSub = args[0];
    if (strSub == "read" && args.size() == 1) {
        if (!ReadTune(ctx, doc))
            return kExitFailure;
        ctx.app.ShowMessage(msg::kCompleteReading, msg::kReadCaption, MsgIcon::Information);
        PrintTuneInfo(doc);
        return kExitOk;
    }
    if (strSub == "switch" && args.size() == 2 && (args[1] == "open" || args[1] == "close")) {
        if (doc.WriteTuneSwitch(args[1] == "open") != 1) {
            ReportConnectionTrouble(ctx.app, doc.m_comm);
            return kExitFailure;
        }
        ctx.app.ShowMessage(msg::kCompleteWriting, msg::kWriteCaption, MsgIcon::Information);
        return kExitOk;
    }
    if (strSub == "frequency" && args.size() == 2) {
        char* pEnd = nullptr;
        double dValue = std::strtod(args[1].c_str(), &pEnd);
        // "nan", "inf" and numbers beyond a double are no frequency either.
        if (pEnd == args[1].c_str() || *pEnd != '\0' || !std::isfinite(dValue)) {
            Complain() << '"' << args[1] << "\" is not a frequency in MHz\n";
            return kExitUsage;
        }
        if (!ReadTune(ctx, doc))
            return kExitFailure;
        // The tune screen's rules: the radio's range with its messages, then the working
        // range and the raster.
        dValue = tune::ApplyRangeRules(ctx.app, doc.Data(), dValue);
        dValue = tune::StoreTuneFrequency(ctx.app, doc.Data(), dValue);
        std::cerr << "Tune frequency: " << FormatFrequency(dValue) << " MHz\n";
        if (doc.WriteTuneFrequency() != 1) {
            ReportConnectionTrouble(ctx.app, doc.m_comm);
            return kExitFailure;
        }
        ctx.app.ShowMessage(msg::kCompleteWriting, msg::kWriteCaption, MsgIcon::Information);
        return kExitOk;
    }
    return Usage(pszUsage);
}

// The embedded information on the terminal as its editor shows it, control bytes escaped.
void PrintEmbeddedText(const std::string& strText) {
    std::string strLine;
    for (char c : strText) {
        if (c == '\n') {
            std::cout << PrintableText(strLine) << '\n';
            strLine.clear();
        } else {
            strLine.push_back(c);
        }
    }
    if (!strLine.empty())
        std::cout << PrintableText(strLine) << '\n';
}

int CmdEmbedded(CCliContext& ctx, const CCliArgs& cliArgs) {
    const std::vector<std::string>& args = cliArgs.positionals;
    const char* const pszUsage =
        "embedded read [-o TEXTFILE] | embedded write TEXTFILE | embedded show FILE";
    if (args.empty())
        return Usage(pszUsage);
    const CInterruptGuard interruptGuard;
    CWR7310Doc doc(ctx.app);
    doc.SetStopCheck(InterruptRequested);
    AttachTrace(doc.m_comm, ctx.options);
    const CAddrRange area = ctx.app.m_variant.embeddedInfo;
    CTerminalProgress progress;
    if (args[0] == "show" && args.size() == 2) {
        if (!doc.OnOpenDocument(args[1]))
            return kExitFailure; // the document has said why
        const std::span<const std::uint8_t> image = ctx.app.Image();
        PrintEmbeddedText(info::EmbeddedEditText(field::Bytes(image, area)));
        return kExitOk;
    }
    if (args[0] == "read") {
        std::optional<std::string> strOut;
        if (args.size() != 1)
            return Usage(pszUsage);
        if (!cliArgs.strOut.empty())
            strOut = cliArgs.strOut;
        if (strOut && !CheckOutputPath(*strOut))
            return kExitFailure;
        if (doc.ReadEmbeddedInfo(progress) != 1) {
            ReportConnectionTrouble(ctx.app, doc.m_comm);
            return kExitFailure;
        }
        ctx.app.ShowMessage(msg::kCompleteReading, msg::kReadShortCaption, MsgIcon::Information);
        const std::string strText = field::GetText(doc.Data(), area, area.nLength);
        if (!strOut) {
            PrintEmbeddedText(strText); // escaped, as show and info print radio texts
            return kExitOk;
        }
        // A file, or standard output named with "-", gets the bytes exactly, so that embedded
        // write puts the same text back; a file goes through the one safe save.
        return WriteText(*strOut, strText) ? kExitOk : kExitFailure;
    }
    if (args[0] == "write" && args.size() == 2 && cliArgs.strOut.empty()) {
        // One byte more than fits is enough to refuse a text, and a device or pipe that
        // never ends is not read to its (missing) end.
        std::string strText;
        if (!ReadSource(args[1], area.nLength, strText))
            return kExitFailure;
        field::SetText(doc.Data(), area, strText);
        if (doc.WriteEmbeddedInfo(progress) != 1) {
            ReportConnectionTrouble(ctx.app, doc.m_comm);
            return kExitFailure;
        }
        ctx.app.ShowMessage(msg::kCompleteWriting, msg::kWriteShortCaption, MsgIcon::Information);
        return kExitOk;
    }
    return Usage(pszUsage);
}

const CCliCommand kCommands[] = {
    {"read", "read -o FILE", "read the whole radio into a radio file",
     "Connects to the radio, reads its whole memory and saves it as a radio file. A failed\n"
     "read writes no file. Unless --no-backup is given, a timestamped copy is also kept in\n"
     "$XDG_DATA_HOME/wr7310/backups (default ~/.local/share/wr7310/backups).\n"
     "\n"
     "With --port given several times, all radios are read at once, one thread each; each\n"
     "radio's file is FILE with the port's name added before the extension\n"
     "(radio.wr73 and --port /dev/ttyUSB1 give radio-ttyUSB1.wr73; --port 3 gives\n"
     "radio-COM3.wr73). One result line per radio follows; the status is 0 only when every\n"
     "radio was read and saved.\n"
     "\n"
     "Example: wr7310 read -o radio.wr73\n",
     SetupRead, CmdRead},
    {"write", "write FILE [--verify] [--force]", "write a radio file to the radio",
     "Opens the radio file, takes the working frequency range from its range bytes, checks it\n"
     "against the radio's range and writes the image (the radio's identity and service areas\n"
     "are never written).\n"
     "\n"
     "--verify reads every written block back and compares it; differing bytes are printed\n"
     "on standard output as diff prints them (\"$0324:0xCF -> 0x4F\": written -> read back)\n"
     "and the status is 1.\n"
     "\n"
     "With --port given several times, the file is written to all radios at once, one\n"
     "thread each, each checked against its own range. One result line per radio follows;\n"
     "the status is 0 only when every radio succeeded.\n"
     "\n"
     "A file that plainly is no radio file (JSON or CSV from export, or a file without the\n"
     "signature of any model) is refused: import makes a radio file of it. --force writes it\n"
     "all the same.\n"
     "\n"
     "Example: wr7310 write radio.wr73 --verify\n",
     SetupWrite, CmdWrite},
    {"restore", "restore BACKUP [--verify]", "write a backup back to the radio",
     "Writes a backup kept by read, info or the desktop program back to the radio: the raw\n"
     "image kept beside the backup's radio file, with every byte the radio sent (also those a\n"
     "radio file never carries, such as the older radio's tune frequency), in every block a\n"
     "write sends. The radio's identity and service areas are never written. --verify reads\n"
     "every written block back, as write --verify does.\n"
     "\n"
     "Example: wr7310 restore ~/.local/share/wr7310/backups/WR7310S-20240307-090501.w73\n",
     SetupRestore, CmdRestore},
    {"info", "info", "read the radio and show its information",
     "Reads the whole radio and prints the frequency range, model, serial number, firmware\n"
     "version and local oscillator. The image read is backed up as by 'read'.\n"
     "\n"
     "Example: wr7310 --model old info\n",
     SetupNone, CmdInfo},
    {"tune", "tune read|switch open|close|frequency MHZ", "tune mode data of the radio",
     "tune read              print the model, range, firmware version, tune frequency and the\n"
     "                       key tune switch read from the radio\n"
     "tune switch open|close set or clear the radio's key tune switch\n"
     "tune frequency MHZ     write the tune frequency; a value outside the radio's range is\n"
     "                       raised or lowered to its limit, and the key tune switch is closed\n"
     "\n"
     "Example: wr7310 tune frequency 465.0\n",
     SetupWords, CmdTune},
    {"embedded", "embedded read [-o TEXTFILE]|write TEXTFILE|show FILE",
     "the embedded information text",
     "embedded read [-o TEXTFILE]  print the radio's embedded information (or save it)\n"
     "embedded write TEXTFILE      write the file's bytes, exactly, as the embedded\n"
     "                             information (at most 128 bytes)\n"
     "embedded show FILE           print the embedded information kept in a radio file\n"
     "\n"
     "On the terminal, control bytes of the text are shown escaped (\"\\x0D\"); -o FILE and\n"
     "-o - write the text's bytes exactly, as embedded write takes them back.\n"
     "\n"
     "Example: wr7310 embedded read -o info.txt\n",
     SetupEmbedded, CmdEmbedded},
};

} // namespace

std::span<const CCliCommand> TransferCommands() {
    return kCommands;
}
