// SPDX-License-Identifier: GPL-3.0-or-later
// Settings files as they come. Properties: a key written reads back as written; writing one
// key changes what no other key reads; reading never fails on any text.
#include "FuzzSupport.h"
#include "base/ProfileFile.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

std::string Trimmed(std::string s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.erase(s.begin());
    while (!s.empty() && blank(s.back()))
        s.pop_back();
    return s;
}

// A name or value the program could write: printable, none of the characters that give a
// line its meaning, no blanks at either end (they are not part of a name or value).
std::string Word(CFuzzInput& input, bool bMayBeEmpty) {
    const std::size_t nLength = input.Byte() % 12;
    std::string s;
    for (std::size_t i = 0; i < nLength; ++i) {
        const char c = static_cast<char>(0x20 + input.Byte() % 0x5F);
        if (c != '[' && c != ']' && c != '=' && c != ';' && c != '#')
            s += c;
    }
    s = Trimmed(s);
    if (s.empty() && !bMayBeEmpty)
        s = "k";
    return s;
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Every (section, key) the text names, by the rules of such files.
std::vector<std::pair<std::string, std::string>> Keys(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> keys;
    std::string strSection;
    bool bInSection = false;
    std::size_t nStart = 0;
    while (nStart <= text.size()) {
        const std::size_t nEnd = std::min(text.find('\n', nStart), text.size());
        const std::string line = Trimmed(text.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
        if (line.size() >= 2 && line.front() == '[' && line.find(']') != std::string::npos) {
            strSection = Trimmed(line.substr(1, line.find(']') - 1));
            bInSection = true;
        } else if (bInSection && !line.empty() && line.front() != ';' && line.front() != '#' &&
                   line.find('=') != std::string::npos) {
            keys.emplace_back(strSection, Trimmed(line.substr(0, line.find('='))));
        }
    }
    return keys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    CFuzzInput input(pData, nSize);
    const std::string strSection = Word(input, false);
    const std::string strKey = Word(input, false);
    const std::string strValue = Word(input, true);
    const std::string text(input.Rest().begin(), input.Rest().end());
    const std::string strPath = FuzzDir() + "/settings.ini";
    WriteWholeFile(strPath, input.Rest());

    const auto keys = Keys(text);
    std::vector<std::string> before;
    for (const auto& [s, k] : keys)
        before.push_back(profile::GetString(s, k, "<none>", 4096, strPath));
    profile::GetInt(strSection, strKey, 7, strPath);

    FuzzCheck(profile::WriteString(strSection, strKey, strValue, strPath),
              "a settings file of a few bytes can be written");
    FuzzCheck(profile::GetString(strSection, strKey, "<none>", 4096, strPath) == strValue,
              "a key written reads back as written");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (SameName(keys[i].first, strSection) && SameName(keys[i].second, strKey))
            continue;
        FuzzCheck(profile::GetString(keys[i].first, keys[i].second, "<none>", 4096, strPath) ==
                      before[i],
                  "writing one key changes no other");
    }
    return 0;
}
