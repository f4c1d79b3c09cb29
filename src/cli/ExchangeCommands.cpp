// SPDX-License-Identifier: GPL-3.0-or-later
// Commands that move a radio file's settings to and from other programs: export prints them as
// JSON (the schema of show --json) or as CSV tables, import builds a radio file from either.
#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "exchange/SettingsExchange.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace {

// A settings source larger than this is no settings file (the JSON of the larger radio is
// about 20 KB).
constexpr std::size_t kMaxSourceBytes = 1024 * 1024;

void AddFormatOption(CLI::App& cmd, CCliArgs& args, const std::string& strDescription) {
    cmd.add_option("--format", args.strFormat, strDescription)->type_name("json|csv");
}

// --- export FILE [--format json|csv] [-o OUT] ---

void SetupExport(CLI::App& cmd, CCliArgs& args) {
    AddFileArguments(cmd, args);
    AddFormatOption(cmd, args, "json (default: the schema of show --json) or csv");
    AddOutputOption(cmd, args,
                    "write the settings to this file (default and '-': standard output)");
}

bool FormatKnown(const CCliArgs& args) {
    return args.strFormat.empty() || args.strFormat == "json" || args.strFormat == "csv";
}

int CmdExport(CCliContext& ctx, const CCliArgs& args) {
    if (!FormatKnown(args))
        return UsageError("export", "--format " + args.strFormat + ": json or csv");
    if (args.positionals.size() != 1)
        return UsageError("export", "one FILE is needed");
    CWR7310Doc doc(ctx.app);
    if (!OpenRadioFile(doc, args.positionals[0]))
        return kExitFailure;
    const exchange::CSettingsListing listing = exchange::Decode(doc);
    const std::string strText =
        args.strFormat == "csv" ? exchange::CsvText(listing) : exchange::JsonText(listing);
    return WriteText(args.strOut.empty() ? kStdStream : args.strOut, strText) ? kExitOk
                                                                              : kExitFailure;
}

// "3 values changed; the file holds no row for 2 channels in use, which keep their values"
std::string Summary(const exchange::CImportResult& r) {
    auto counted = [](int n, const char* pszOne, const char* pszMany) {
        return std::to_string(n) + " " + (n == 1 ? pszOne : pszMany);
    };
    std::string str = counted(r.nChanged, "value changed", "values changed");
    std::string strMissing;
    if (r.nMissingChannels > 0)
        strMissing = counted(r.nMissingChannels, "channel in use", "channels in use");
    if (r.nMissingFreqs > 0)
        strMissing += (strMissing.empty() ? "" : " and ") +
                      counted(r.nMissingFreqs, "frequency entry", "frequency entries");
    if (!strMissing.empty())
        str += "; the file holds no row for " + strMissing + ", which keep their values";
    return str;
}

// --- import SOURCE -o FILE [--base FILE] [--format json|csv] ---

void SetupImport(CLI::App& cmd, CCliArgs& args) {
    AddFileArguments(cmd, args, "SOURCE", "the JSON or CSV settings ('-': standard input)");
    AddOutputOption(cmd, args, "the radio file to write ('-': standard output)");
    cmd.add_option("--base", args.strBase,
                   "start from this radio file: every byte the source does not name stays "
                   "(default: a new document)")
        ->type_name("FILE");
    AddFormatOption(cmd, args, "the source's format (default: JSON when it starts with '{')");
}

int CmdImport(CCliContext& ctx, const CCliArgs& args) {
    if (!FormatKnown(args))
        return UsageError("import", "--format " + args.strFormat + ": json or csv");
    if (args.positionals.size() != 1)
        return UsageError("import", "one SOURCE is needed");
    if (args.strOut.empty())
        return UsageError("import", "-o FILE is needed");
    const std::string& strSource = args.positionals[0];
    if (strSource == kStdStream && args.strBase == kStdStream)
        return UsageError("import", "standard input can be the source or the base, not both");

    std::string strText;
    if (!ReadSource(strSource, kMaxSourceBytes, strText))
        return kExitFailure;
    exchange::ImportFormat format = exchange::ImportFormat::Csv;
    if (args.strFormat == "json")
        format = exchange::ImportFormat::Json;
    else if (args.strFormat.empty()) {
        // JSON when it starts with '{' (after a byte-order mark and blanks).
        const auto nFirst = strText.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
        if (nFirst != std::string::npos && strText[nFirst] == '{')
            format = exchange::ImportFormat::Json;
    }

    CWR7310Doc doc(ctx.app);
    if (!(args.strBase.empty() ? doc.OnNewDocument() : OpenRadioFile(doc, args.strBase)))
        return kExitFailure;
    exchange::CImportOptions options;
    options.strSourceName = strSource == kStdStream ? "standard input" : PrintableText(strSource);
    options.bNewDocument = args.strBase.empty();
    const exchange::CImportResult result = exchange::ImportSettings(doc, strText, format, options);
    if (!result.bOk) {
        Complain() << result.strError << ". Nothing was written.\n";
        if (result.bNoRange)
            Complain() << "Give the range in a settings file (--ini FILE with "
                          "[FreqRange] MinFreq and MaxFreq) or start from a radio file (--base "
                          "FILE).\n";
        return kExitFailure;
    }
    for (const std::string& strNote : result.notes)
        Complain() << "Note: " << strNote << '\n';
    if (!SaveRadioFile(doc, args.strOut))
        return kExitFailure; // the document has said why
    Complain() << Summary(result) << '\n';
    return kExitOk;
}

const CCliCommand kCommands[] = {
    {"export", "export FILE [--format json|csv] [-o OUT]",
     "print the settings of a radio file as JSON or CSV",
     "Prints the settings of a radio file for other programs. JSON (the default) is the\n"
     "object show --json prints, with \"schema\" and \"model\" first; import reads it back. CSV\n"
     "is two tables a spreadsheet opens, separated by an empty line:\n"
     "\"channel,frequency number,signal,scan\" with the channels in use, and\n"
     "\"number,rx MHz,tx MHz\" with the frequency table. A value the editor cannot show is\n"
     "written as it is stored (a number, or \"(0xNN)\" for a list item), so that import takes\n"
     "it back unchanged.\n\n"
     "Example: wr7310 export --format csv radio.wr73 -o radio.csv\n",
     SetupExport, CmdExport},
    {"import", "import SOURCE -o FILE [--base FILE] [--format json|csv]",
     "build a radio file from JSON or CSV settings",
     "Builds a radio file from settings in the form export prints, onto --base (every byte\n"
     "the source does not name stays as in the base) or onto a new document. A value equal\n"
     "to the base's is kept as it is; a changed one goes through the editor's rules:\n"
     "frequencies are limited to the working range of the file's range bytes and put on the\n"
     "raster (a note says so), the non-standard marker follows the frequency table's rule,\n"
     "channel counts, channel and frequency numbers, signal codes and list items are checked.\n"
     "A value that breaks a rule is refused with the file, line or field, the value and the\n"
     "rule, and nothing is written. CSV may come as spreadsheets write it: columns in any\n"
     "order and letter case, quoted cells, CRLF lines; a row the file does not hold keeps its\n"
     "values, and channels beyond the channel count put them in use. A new document without\n"
     "a frequency range takes the range of a JSON source. The radio's identity, frequency\n"
     "range and tune frequency are its own and are not imported. Export, then import --base\n"
     "of the same file gives the identical file.\n\n"
     "Example: wr7310 import radio.csv --base radio.wr73 -o edited.wr73\n",
     SetupImport, CmdImport},
};

} // namespace

std::span<const CCliCommand> ExchangeCommands() {
    return kCommands;
}
