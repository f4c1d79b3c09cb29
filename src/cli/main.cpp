// SPDX-License-Identifier: GPL-3.0-or-later
// wr7310: the radio programming software's command-line tool.
#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "base/Licence.h"
#include "base/Platform.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/HelpFormatter.h"
#include "variants/Variant.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#ifndef WR7310_VERSION
#define WR7310_VERSION "unknown"
#endif

namespace {

std::vector<const CCliCommand*> AllCommands() {
    std::vector<const CCliCommand*> all;
    for (auto group : {LinkCommands(), ImageCommands(), TransferCommands(), ExchangeCommands()})
        for (const CCliCommand& c : group)
            all.push_back(&c);
    return all;
}

// The command the parser had selected when it stopped, or empty.
std::string SelectedCommand(const CLI::App& cli) {
    const auto selected = cli.get_subcommands();
    return selected.empty() ? std::string() : selected.front()->get_name();
}

bool EndsWithNoCase(std::string_view str, std::string_view strEnd) {
    if (str.size() < strEnd.size())
        return false;
    return std::equal(strEnd.begin(), strEnd.end(), str.end() - static_cast<long>(strEnd.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

// Without --model the command's radio files name the model: the first existing one (or
// standard input, "-") by its signature or size, else the first name with a model's file
// extension. nullptr: none tells.
const CVariant* ModelForArguments(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        std::error_code ec;
        const bool bFile =
            a == kStdStream || (!a.starts_with("-") &&
                                std::filesystem::is_regular_file(platform::PathFromUtf8(a), ec));
        if (!bFile)
            continue;
        if (const CVariant* p = VariantOfArgument(a))
            return p;
    }
    for (const std::string& a : args)
        for (const CVariant* p : {&XtraVariant(), &OldVariant()})
            if (EndsWithNoCase(a, p->strFileExt))
                return p;
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<const CCliCommand*> commands = AllCommands();
    CCliOptions options;
    CLI::App cli("Reads, writes and edits the memory of WR7310 radios over a programming cable.",
                 "wr7310");
    cli.formatter(std::make_shared<CHelpFormatter>(commands));
    cli.set_help_flag("-h,--help", "show this help (after a command: the command's help)");
    // Every command's help at once, for the man page and the shell completion to be checked
    // against.
    cli.set_help_all_flag("--help-all", "print the help of the tool and of every command")
        ->group("");
    cli.set_version_flag("--version", VersionText("wr7310", WR7310_VERSION),
                         "print the version and exit");
    CLI::Option* pModelOption =
        cli.add_option("--model", options.strModel,
                       "radio model (default xtra: the 2 KiB WR7310SXtra; old: the 1 KiB WR7310S)")
            ->type_name("xtra|old")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast); // the last one given wins
    cli.add_option("--ini", options.strIniFile, "settings file (default: the program's own)")
        ->type_name("FILE")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    cli.add_option("--port", options.ports,
                   "COM port number to try first, or one device path only; read and write "
                   "take it several times for several radios at once")
        ->type_name("N|DEVICE")
        ->allow_extra_args(false);
    cli.add_flag("--trace", options.bTrace,
                 "print every frame sent and received on standard error");
    cli.add_flag("--no-backup", options.bNoBackup, "do not keep a timestamped copy of images read");
    // Options of the tool are accepted after the command as well.
    cli.fallthrough();
    cli.require_subcommand(1);
    // What no option takes is checked after parsing: "tune frequency -5" takes a value that
    // looks like an option.
    cli.allow_extras();

    std::vector<CCliArgs> args(commands.size());
    std::vector<CLI::App*> subs;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        CLI::App* pSub = cli.add_subcommand(commands[i]->pszName, commands[i]->pszSummary);
        commands[i]->setup(*pSub, args[i]);
        subs.push_back(pSub);
    }

    // The arguments as UTF-8 (on Windows from the wide command line), last first as the
    // parser takes them.
    platform::UseUtf8Console();
    std::vector<std::string> argsUtf8 = platform::Utf8Arguments(argc, argv);
    std::reverse(argsUtf8.begin(), argsUtf8.end());
    try {
        cli.parse(argsUtf8);
    } catch (const CLI::CallForHelp&) {
        std::cout << cli.help();
        return kExitOk;
    } catch (const CLI::CallForAllHelp&) {
        std::cout << cli.help("", CLI::AppFormatMode::All);
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        std::cout << e.what() << '\n';
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        const std::string strCommand = SelectedCommand(cli);
        const std::vector<std::string> extras = cli.remaining();
        if (strCommand.empty() && !extras.empty()) {
            Complain() << "Unknown " << (extras[0].starts_with("-") ? "option " : "command ") << '"'
                       << extras[0] << "\"; 'wr7310 --help' lists them\n";
            return kExitUsage;
        }
        SetCommandName(strCommand);
        Complain() << SentenceCase(e.what()) << "\n'wr7310"
                   << (strCommand.empty() ? "" : " " + strCommand) << " --help' describes "
                   << (strCommand.empty() ? "the commands" : "it") << '\n';
        return kExitUsage;
    }

    // Without --model the command's radio files name the model.
    const bool bModelGiven = pModelOption->count() > 0;
    const CVariant* pVariant = FindVariant(options.strModel);
    if (!pVariant) {
        Complain() << "Unknown model \"" << options.strModel << "\" (xtra or old)\n";
        return kExitUsage;
    }
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (!subs[i]->parsed())
            continue;
        const std::string strCommand = commands[i]->pszName;
        SetCommandName(strCommand);
        for (const std::string& strExtra : cli.remaining()) {
            if (strCommand == "tune" && strExtra.starts_with("-") && strExtra != "--") {
                args[i].positionals.push_back(strExtra); // a negative or odd frequency
                continue;
            }
            Complain() << "Unexpected argument \"" << strExtra << "\"\n'wr7310 " << strCommand
                       << " --help' describes it\n";
            return kExitUsage;
        }
        if (options.ports.size() > 1 && strCommand != "read" && strCommand != "write") {
            Complain() << "--port is given once (several ports: read and write only)\n";
            return kExitUsage;
        }
        for (const std::string& strPort : options.ports)
            if (!CheckPortOption(strPort))
                return kExitUsage;
        if (!bModelGiven) {
            std::vector<std::string> files = args[i].positionals;
            if (!args[i].strBase.empty())
                files.push_back(args[i].strBase);
            // An output stream tells nothing of the model.
            if (!args[i].strOut.empty() && args[i].strOut != kStdStream &&
                !IsStreamPath(args[i].strOut))
                files.push_back(args[i].strOut);
            pVariant = ModelForArguments(files);
            if (!pVariant)
                pVariant = &XtraVariant();
        }
        CWR7310App app(*pVariant, options.strIniFile);
        CToolNotifier notifier;
        app.SetNotifier(&notifier);
        app.m_bFileFirstMessages = true;
        if (!CheckSettingsFile(app.m_strIniFile, options))
            return kExitFailure;
        ApplyPortOption(app, options.Port());
        CCliContext ctx{app, options};
        return FinishCommand(commands[i]->fn(ctx, args[i]));
    }
    return kExitUsage; // the parser requires a command: not reached
}
