// SPDX-License-Identifier: GPL-3.0-or-later
// Context help (F1). The program's help is an HTML page named after the help file
// ("WR7310S.html" for "WR7310S.chm"), beside the program or in the installed documentation
// folder. Each topic in it carries the anchor "context-<number>"; a request tries its first
// context number, then its second, then the page's top.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace help {

// Context numbers of the screens that have their own topic.
inline constexpr int kFormContext = 101;
inline constexpr int kEmbedInfoContext = 2700;
inline constexpr int kRadioInfoContext = 137;
inline constexpr int kComPortContext = 2500;
inline constexpr int kTuneContext = 145;
inline constexpr int kEepromContext = 176;

// Where the help page may lie, most specific first, for the application's help file path.
std::vector<std::string> HelpPageCandidates(const std::string& strHelpFile);

struct CHelpTopic {
    std::string strPath;   // the page
    std::string strAnchor; // "context-2700"; empty: the page's top
};

// The first page that can be read, with the first context it has a topic for.
std::optional<CHelpTopic> ResolveContextHelp(const std::vector<std::string>& pages, int nFirst,
                                             int nSecond);

// What the user is told when no page can be found.
std::string NoHelpMessage(const std::vector<std::string>& pages);
// What the user is told when the page strPage is there but no browser could show it.
std::string NoBrowserMessage(const std::string& strPage);

} // namespace help
