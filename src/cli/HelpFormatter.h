// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's help texts, made from the parser's definition: the usage line, the options as
// declared (with their value names and descriptions), the commands' usages and summaries and
// the exit statuses. Nothing about an option is written twice, so the help, the man page and
// the shell completion that are checked against it cannot drift apart.
#pragma once

#include "cli/Commands.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

class CHelpFormatter : public CLI::Formatter {
public:
    explicit CHelpFormatter(std::vector<const CCliCommand*> commands)
        : m_commands(std::move(commands)) {}

    std::string make_help(const CLI::App* pApp, std::string strName,
                          CLI::AppFormatMode mode) const override;

private:
    const CCliCommand* Find(const std::string& strName) const;
    std::string ToolHelp(const CLI::App* pApp) const;
    std::string CommandHelp(const CLI::App* pApp) const;

    std::vector<const CCliCommand*> m_commands;
};

// The exit statuses, as the tool's --help and the README list them.
extern const char* const kExitStatusHelp;
