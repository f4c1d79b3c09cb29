// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/HelpFormatter.h"

#include <cstdio>
#include <sstream>

const char* const kExitStatusHelp =
    "Exit status:\n"
    "  0  success (diff: the images are equal)\n"
    "  1  failure: no radio, a transfer or file error, a refused value, a --verify mismatch,\n"
    "     at least one radio of several failed (diff: the images differ)\n"
    "  2  wrong usage: unknown command or option, missing or extra argument (diff: also a\n"
    "     file it cannot read)\n"
    "  130, 143, 129  stopped by Ctrl-C (SIGINT), SIGTERM or SIGHUP at a block boundary;\n"
    "     the radio has left programming mode and the message says what it holds\n";

namespace {

// "  --port N|DEVICE   text": an option's names and value, then its description; a long
// first column puts the description on the next line.
std::string OptionLine(const CLI::Option* pOpt) {
    std::string strLeft = pOpt->get_name(true, true);
    if (pOpt->get_positional())
        strLeft = pOpt->get_name();
    else if (pOpt->get_type_size() != 0 && !pOpt->get_type_name().empty())
        strLeft += " " + pOpt->get_type_name();
    char sz[64];
    std::string strLine;
    if (strLeft.size() > 20) {
        strLine = "  " + strLeft + "\n";
        std::snprintf(sz, sizeof sz, "  %-20s ", "");
    } else {
        std::snprintf(sz, sizeof sz, "  %-20s ", strLeft.c_str());
    }
    // The description is wrapped at 79 columns, continued under its first word.
    const std::string strIndent(23, ' ');
    std::string strRow = sz;
    std::istringstream words(pOpt->get_description());
    bool bFirst = true;
    for (std::string strWord; words >> strWord;) {
        if (!bFirst && strRow.size() + 1 + strWord.size() > 79) {
            strLine += strRow + "\n";
            strRow = strIndent;
            bFirst = true;
        }
        strRow += (bFirst ? "" : " ") + strWord;
        bFirst = false;
    }
    return strLine + strRow + "\n";
}

std::string OptionLines(const CLI::App* pApp) {
    std::string strOut;
    for (const CLI::Option* pOpt : pApp->get_options()) {
        if (pOpt->get_group().empty() || pOpt->get_name() == "--help-all")
            continue; // hidden
        strOut += OptionLine(pOpt);
    }
    return strOut;
}

} // namespace

const CCliCommand* CHelpFormatter::Find(const std::string& strName) const {
    for (const CCliCommand* c : m_commands)
        if (strName == c->pszName)
            return c;
    return nullptr;
}

std::string CHelpFormatter::ToolHelp(const CLI::App* pApp) const {
    std::ostringstream out;
    out << "usage: wr7310 [OPTIONS] COMMAND [ARGS...]\n\n"
        << pApp->get_description() << "\n\nOptions (before or after the command):\n"
        << OptionLines(pApp) << "\nCommands:\n";
    char sz[160];
    for (const CLI::App* pSub : pApp->get_subcommands({})) {
        const CCliCommand* c = Find(pSub->get_name());
        const std::string strUsage = c ? c->pszUsage : pSub->get_name();
        // A usage too long for its column puts the summary on a line of its own.
        if (strUsage.size() > 28)
            std::snprintf(sz, sizeof sz, "  %s\n  %-28s %s\n", strUsage.c_str(), "",
                          pSub->get_description().c_str());
        else
            std::snprintf(sz, sizeof sz, "  %-28s %s\n", strUsage.c_str(),
                          pSub->get_description().c_str());
        out << sz;
    }
    out << "\n" << kExitStatusHelp << "\n'wr7310 COMMAND --help' describes one command.\n";
    return out.str();
}

std::string CHelpFormatter::CommandHelp(const CLI::App* pApp) const {
    const CCliCommand* c = Find(pApp->get_name());
    std::ostringstream out;
    out << "usage: wr7310 [OPTIONS] " << (c ? c->pszUsage : pApp->get_name().c_str()) << "\n\n"
        << (c ? c->pszHelp : "");
    const std::string strOptions = OptionLines(pApp);
    out << "\nOptions of " << pApp->get_name() << ":\n" << strOptions;
    out << "\nThe tool's options (--model, --ini, --port, --trace, --no-backup) may come before "
           "or\n"
           "after the command; 'wr7310 --help' lists them.\n";
    return out.str();
}

std::string CHelpFormatter::make_help(const CLI::App* pApp, std::string /*strName*/,
                                      CLI::AppFormatMode mode) const {
    if (pApp->get_parent() != nullptr)
        return CommandHelp(pApp);
    std::string strOut = ToolHelp(pApp);
    if (mode == CLI::AppFormatMode::All)
        for (const CLI::App* pSub : pApp->get_subcommands({}))
            strOut += "\n\n" + CommandHelp(pSub);
    return strOut;
}
