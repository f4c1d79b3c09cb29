// SPDX-License-Identifier: GPL-3.0-or-later
// Commands on radio files: create one, list its bytes, compare two, show their settings.
#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "exchange/SettingsExchange.h"
#include "image/FreqCodec.h"
#include "image/ImageFields.h"
#include "view/ChannelPanel.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kExitDiffer = 1;

std::string Hex2(std::uint8_t b) {
    char sz[4];
    std::snprintf(sz, sizeof sz, "%02X", b);
    return sz;
}

// --- new -o FILE ---

void SetupNew(CLI::App& cmd, CCliArgs& args) {
    AddOutputOption(cmd, args, "the radio file to write ('-': standard output)");
}

int CmdNew(CCliContext& ctx, const CCliArgs& args) {
    if (args.strOut.empty())
        return UsageError("new", "-o FILE is needed");
    CWR7310Doc doc(ctx.app);
    if (!doc.OnNewDocument() || !SaveRadioFile(doc, args.strOut))
        return kExitFailure;
    return kExitOk;
}

// --- dump FILE ---

void SetupFiles(CLI::App& cmd, CCliArgs& args) {
    AddFileArguments(cmd, args);
}

int CmdDump(CCliContext& ctx, const CCliArgs& cliArgs) {
    const std::vector<std::string>& args = cliArgs.positionals;
    if (args.size() != 1)
        return UsageError("dump", "one FILE is needed");
    CWR7310Doc doc(ctx.app);
    if (!OpenRadioFile(doc, args[0]))
        return kExitFailure;
    const auto image = ctx.app.Image();
    std::string strOut = "Addr.";
    char sz[16];
    for (int col = 0; col < 16; ++col) {
        std::snprintf(sz, sizeof sz, " __%01X", col);
        strOut += sz;
    }
    strOut += '\n';
    for (std::size_t row = 0; row * 16 < image.size(); ++row) {
        std::snprintf(sz, sizeof sz, "%03X_ ", static_cast<unsigned>(row));
        strOut += sz;
        for (std::size_t col = 0; col < 16 && row * 16 + col < image.size(); ++col) {
            strOut += ' ';
            strOut += Hex2(image[row * 16 + col]);
        }
        strOut += '\n';
    }
    std::cout << strOut;
    return kExitOk;
}

// --- diff A B ---

int CmdDiff(CCliContext& ctx, const CCliArgs& cliArgs) {
    const std::vector<std::string>& args = cliArgs.positionals;
    if (args.size() != 2)
        return UsageError("diff", "two files are needed");
    if (args[0] == kStdStream && args[1] == kStdStream)
        return UsageError("diff", "standard input can be only one of the two files");
    CWR7310Doc doc(ctx.app);
    if (!OpenRadioFile(doc, args[0]))
        return kExitUsage;
    const std::vector<std::uint8_t> a(ctx.app.Image().begin(), ctx.app.Image().end());
    if (!OpenRadioFile(doc, args[1]))
        return kExitUsage;
    const auto b = ctx.app.Image();
    bool bDiffer = false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i])
            continue;
        bDiffer = true;
        std::cout << DiffLine(i, a[i], b[i]);
    }
    return bDiffer ? kExitDiffer : kExitOk;
}

// --- show FILE [--json] ---

std::string Fmt(const char* pszFormat, double d) {
    char sz[64];
    std::snprintf(sz, sizeof sz, pszFormat, d);
    return sz;
}

// The channel grid's own texts, so the listing and the desktop form always agree.
std::string SignalText(const field::CChannelRecord& rec) {
    return channel::CellText(rec, channel::kColSignal);
}

std::string ScanText(const field::CChannelRecord& rec) {
    return channel::CellText(rec, channel::kColScan);
}

void PrintText(const exchange::CSettingsListing& l) {
    std::ostringstream out;
    char sz[160];
    out << "Model: " << l.strModel << "\n\nFeature switches:\n";
    for (const exchange::CSwitchValue& s : l.switches) {
        std::snprintf(sz, sizeof sz, "  %-26s %s\n", s.strName.c_str(), s.bOn ? "on" : "off");
        out << sz;
    }
    out << "\nFeature settings:\n";
    for (const exchange::CNamedValue& s : l.settings) {
        std::snprintf(sz, sizeof sz, "  %-26s %s\n", s.strName.c_str(), s.strValue.c_str());
        out << sz;
    }
    out << "\nChannels in use: " << l.nChannelCount << ", selected channel: " << l.nCurrentChannel
        << "\n";
    std::snprintf(sz, sizeof sz, "  %-6s %-8s %-6s %s\n", "CH", "Freq Num", "Signal", "Scan");
    out << sz;
    for (const auto& [n, rec] : l.channels) {
        const std::string strCh = channel::RowHeader(n);
        std::snprintf(sz, sizeof sz, "  %-6s %-8d %-6s %s\n", strCh.c_str(), rec.nFreqNumber,
                      SignalText(rec).c_str(), ScanText(rec).c_str());
        out << sz;
    }
    out << "\nFrequency table (MHz; * marks an entry that is not its standard frequency):\n";
    std::snprintf(sz, sizeof sz, "  %3s  %-10s %s\n", "Num", "RX", "TX");
    out << sz;
    for (const exchange::CFreqEntry& e : l.freqs) {
        std::snprintf(sz, sizeof sz, "  %3d  %-10s %s%s\n", e.nNumber,
                      FormatFrequency(e.dRx).c_str(), FormatFrequency(e.dTx).c_str(),
                      e.bStandard ? "" : " *");
        out << sz;
    }
    out << "\nIdentity:\n"
        << "  Model name:        " << PrintableText(l.strModelName) << "\n"
        << "  Serial number:     " << PrintableText(l.strSerial) << "\n"
        << "  Firmware version:  " << PrintableText(l.strFirmware) << "\n"
        << "  Local oscillator:  " << Fmt("%.2f MHz", l.dOscillatorMHz) << "\n"
        << "\nFrequency range: " << FormatFrequency(l.dRangeLow) << " - "
        << FormatFrequency(l.dRangeHigh) << " MHz\n"
        << "Tune frequency: "
        << (l.dTune ? FormatFrequency(*l.dTune) + " MHz"
                    : "not stored in radio files of this model")
        << "\n";
    std::cout << out.str();
}

void SetupShow(CLI::App& cmd, CCliArgs& args) {
    AddFileArguments(cmd, args);
    cmd.add_flag("--json", args.bJson, "print the settings as one JSON object (as export does)");
}

int CmdShow(CCliContext& ctx, const CCliArgs& args) {
    if (args.positionals.empty())
        return UsageError("show", "FILE is needed");
    if (args.positionals.size() > 1)
        return UsageError("show", "unexpected argument '" + args.positionals[1] + "'");
    CWR7310Doc doc(ctx.app);
    if (!OpenRadioFile(doc, args.positionals[0]))
        return kExitFailure;
    const exchange::CSettingsListing listing = exchange::Decode(doc);
    if (args.bJson)
        std::cout << exchange::JsonText(listing);
    else
        PrintText(listing);
    return kExitOk;
}

const CCliCommand kCommands[] = {
    {"new", "new -o FILE", "save a new radio file with the factory defaults",
     "Creates a radio file holding a new document: the factory defaults, the standard\n"
     "frequencies and the frequency range of the settings file (see --ini). The file is\n"
     "written beside its final name and then renamed, so an existing file is replaced only\n"
     "when the new one is complete.\n"
     "\n"
     "Example: wr7310 new -o radio.wr73\n",
     SetupNew, CmdNew},
    {"dump", "dump FILE", "print the image of a radio file as a hexadecimal map",
     "Prints the image of a radio file as the EEPROM map shows it: 16 bytes a row, each row\n"
     "labelled with the upper digits of its address (\"07F_\" holds 0x7F0..0x7FF).\n"
     "\n"
     "Example: wr7310 dump radio.wr73 | less\n",
     SetupFiles, CmdDump},
    {"diff", "diff A B", "list the image bytes in which two radio files differ",
     "Prints one line per image byte that differs, in address order:\n"
     "  $ADDR:0xAA -> 0xBB   (the value in A, then the value in B)\n"
     "Exit status: 0 when the images are equal, 1 when they differ, 2 on an error.\n"
     "\n"
     "Example: wr7310 diff before.wr73 after.wr73\n",
     SetupFiles, CmdDiff},
    {"show", "show FILE [--json]", "print the settings of a radio file",
     "Prints the decoded settings of a radio file: feature switches and settings, the\n"
     "channel count and selected channel, the channels in use, the frequency table (MHz;\n"
     "entries that are not their standard frequency are marked), the radio's identity, its\n"
     "frequency range and the tune frequency. --json prints the same as one JSON object.\n"
     "\n"
     "Example: wr7310 show --json radio.wr73\n",
     SetupShow, CmdShow},
};

} // namespace

std::span<const CCliCommand> ImageCommands() {
    return kCommands;
}
