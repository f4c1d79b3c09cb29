// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/ContextHelp.h"

#include "base/Messages.h"
#include "base/RadioFile.h"

#include <filesystem>
#include <fstream>

namespace help {

namespace {

std::string Anchor(int nContext) {
    return "context-" + std::to_string(nContext);
}

// The help page is small; a file beyond this is not ours.
constexpr std::size_t kMaxPageBytes = 1 << 20;

std::optional<std::string> ReadPage(const std::string& strPath) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(strPath, ec))
        return std::nullopt;
    std::ifstream in(strPath, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string str;
    str.resize(kMaxPageBytes);
    in.read(str.data(), static_cast<std::streamsize>(str.size()));
    str.resize(static_cast<std::size_t>(in.gcount()));
    return str;
}

bool HasAnchor(const std::string& strPage, int nContext) {
    const std::string strAnchor = Anchor(nContext);
    return strPage.find("id=\"" + strAnchor + "\"") != std::string::npos;
}

} // namespace

std::vector<std::string> HelpPageCandidates(const std::string& strHelpFile) {
    std::filesystem::path file(strHelpFile);
    // Whatever the help file's extension (".chm", or an old ".HLP"), the page is its
    // ".html" namesake.
    file.replace_extension(".html");
    const std::filesystem::path folder = file.parent_path();
    const std::filesystem::path name = file.filename();
    return {file.string(), (folder / ".." / "share" / "doc" / "wr7310" / name).string()};
}

std::optional<CHelpTopic> ResolveContextHelp(const std::vector<std::string>& pages, int nFirst,
                                             int nSecond) {
    for (const std::string& strPath : pages) {
        const std::optional<std::string> page = ReadPage(strPath);
        if (!page)
            continue;
        if (HasAnchor(*page, nFirst))
            return CHelpTopic{strPath, Anchor(nFirst)};
        if (HasAnchor(*page, nSecond))
            return CHelpTopic{strPath, Anchor(nSecond)};
        return CHelpTopic{strPath, {}};
    }
    return std::nullopt;
}

std::string NoHelpMessage(const std::vector<std::string>& pages) {
    std::string str(msg::kNoHelpPage);
    for (const std::string& strPath : pages)
        str += "\n" + strPath;
    return str;
}

std::string NoBrowserMessage(const std::string& strPage) {
    return FormatText(msg::kNoHelpBrowserFmt, strPage.c_str());
}

} // namespace help
