#include "app/ProfileFile.h"

#include "app/Platform.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace profile {
namespace {

std::string_view Trim(std::string_view s) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The file as lines, line ends removed; empty when it cannot be read.
struct CLines {
    std::vector<std::string> lines;
    bool bCrLf = false;
    bool bFinalNewline = true;
};

CLines ReadLines(const std::string& strPath) {
    CLines result;
    std::ifstream in(platform::PathFromUtf8(strPath), std::ios::binary);
    if (!in)
        return result;
    std::ostringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    result.bCrLf = text.find("\r\n") != std::string::npos;
    result.bFinalNewline = text.empty() || text.back() == '\n';
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.lines.push_back(std::move(line));
        start = end + 1;
    }
    return result;
}

// "[name]" gives name.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    line = Trim(line);
    return !line.empty() && (line.front() == ';' || line.front() == '#');
}

// "key = value" gives key and value, both trimmed.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line) {
    if (IsComment(line))
        return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return std::pair{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

struct CKeyPlace {
    std::optional<std::size_t> section; // index of the section header line
    std::optional<std::size_t> key;     // index of the key line
    std::size_t insertAt = 0;           // where a new key of the section goes
};

CKeyPlace Locate(const std::vector<std::string>& lines, std::string_view strSection,
                 std::string_view strKey) {
    // Names asked for are trimmed like the names in the file.
    strSection = Trim(strSection);
    strKey = Trim(strKey);
    CKeyPlace place;
    bool bInSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionName(lines[i])) {
            if (bInSection)
                break; // only the first section of that name counts
            bInSection = SameName(*name, strSection);
            if (bInSection) {
                place.section = i;
                place.insertAt = i + 1;
            }
            continue;
        }
        if (!bInSection)
            continue;
        if (auto kv = KeyValue(lines[i])) {
            place.insertAt = i + 1;
            if (SameName(kv->first, strKey)) {
                place.key = i;
                return place;
            }
        }
    }
    return place;
}

} // namespace

std::string GetString(std::string_view strSection, std::string_view strKey,
                      std::string_view strDefault, std::size_t nBufferSize,
                      const std::string& strPath) {
    const CLines file = ReadLines(strPath);
    const CKeyPlace place = Locate(file.lines, strSection, strKey);
    std::string value(strDefault);
    if (place.key)
        value = std::string(KeyValue(file.lines[*place.key])->second);
    if (nBufferSize == 0)
        return {};
    if (value.size() > nBufferSize - 1)
        value.resize(nBufferSize - 1);
    return value;
}

int GetInt(std::string_view strSection, std::string_view strKey, int nDefault,
           const std::string& strPath) {
    const CLines file = ReadLines(strPath);
    const CKeyPlace place = Locate(file.lines, strSection, strKey);
    if (!place.key)
        return nDefault;
    const std::string value(KeyValue(file.lines[*place.key])->second);
    if (value.empty())
        return nDefault; // an empty value counts as missing
    // Like the old runtime: leading digits count, anything else ends the number, no digits
    // read as 0; a number too large for an int is held at the int's limit.
    const long long n = std::strtoll(value.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(n, INT32_MIN, INT32_MAX));
}

bool WriteString(std::string_view strSection, std::string_view strKey, std::string_view strValue,
                 const std::string& strPath) {
    CLines file = ReadLines(strPath);
    const CKeyPlace place = Locate(file.lines, strSection, strKey);
    const std::string keyLine = std::string(strKey) + "=" + std::string(strValue);
    if (place.key) {
        file.lines[*place.key] = keyLine;
    } else if (place.section) {
        file.lines.insert(file.lines.begin() + static_cast<long>(place.insertAt), keyLine);
    } else {
        file.lines.push_back("[" + std::string(strSection) + "]");
        file.lines.push_back(keyLine);
    }

    // Write beside the file and rename over it, so a failed write never loses the old one.
    namespace fs = std::filesystem;
    std::error_code ec;
    // A settings file reached through a link is updated where it lives.
    fs::path path = platform::PathFromUtf8(strPath);
    if (fs::is_symlink(path, ec)) {
        fs::path target = fs::weakly_canonical(path, ec);
        if (!ec)
            path = std::move(target);
    }
    const auto perms = fs::status(path, ec).permissions();
    const bool bExisted = fs::exists(path, ec);
    if (path.has_parent_path())
        fs::create_directories(path.parent_path(), ec);
    fs::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        const char* eol = file.bCrLf ? "\r\n" : "\n";
        for (std::size_t i = 0; i < file.lines.size(); ++i) {
            out << file.lines[i];
            if (i + 1 < file.lines.size() || file.bFinalNewline || !place.key)
                out << eol;
        }
        if (!out.flush())
            return false;
    }
    if (bExisted)
        fs::permissions(temp, perms, ec);
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace profile
