// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/SettingsExchange.h"

#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "image/FreqCodec.h"
#include "image/SettingTexts.h"
#include "view/ChannelPanel.h"
#include "view/FeaturePanel.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <span>

namespace exchange {

namespace {

using nlohmann::ordered_json;

std::string Hex2(std::uint8_t b) {
    char sz[4];
    std::snprintf(sz, sizeof sz, "%02X", b);
    return sz;
}

std::string_view Trimmed(std::string_view str) {
    while (!str.empty() && str.back() == ' ')
        str.remove_suffix(1);
    return str;
}

std::string WithoutColon(std::string_view str) {
    if (!str.empty() && str.back() == ':')
        str.remove_suffix(1);
    return std::string(str);
}

// A value as text, or the raw byte when it is not one the editor offers.
template <std::size_t N>
std::string ItemText(const std::array<std::string_view, N>& items, int nIndex, std::uint8_t nRaw) {
    if (nIndex >= 0 && static_cast<std::size_t>(nIndex) < N)
        return std::string(items[static_cast<std::size_t>(nIndex)]);
    return "(0x" + Hex2(nRaw) + ")";
}

// Stored bytes as a JSON string: each byte is the character of its code.
std::string Latin1ToUtf8(std::string_view str) {
    std::string out;
    for (char c : str) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// A frequency as a JSON number with the five decimals every listing shows.
double Rounded(double d, double dScale) {
    return std::round(d * dScale) / dScale;
}

// --- import: messages ---

// At most this many bytes of a value are shown in a message.
constexpr std::size_t kShownBytes = 40;

// A value from the source as a message shows it: cut to kShownBytes (never inside a UTF-8
// sequence), control characters as "\xNN" so that no value can move the terminal's cursor.
std::string Escaped(std::string_view str, std::size_t nMax = kShownBytes) {
    std::size_t n = std::min(str.size(), nMax);
    while (n > 0 && n < str.size() && (static_cast<unsigned char>(str[n]) & 0xC0) == 0x80)
        --n;
    std::string out;
    for (const char c : str.substr(0, n)) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            out += "\\x" + Hex2(u);
        else
            out += c;
    }
    return n < str.size() ? out + "..." : out;
}

std::string Quoted(std::string_view str) {
    return "\"" + Escaped(str) + "\"";
}

// Where a value came from: the line of a CSV source and its column, or the field of a JSON
// source ("channels[3].freqNumber").
struct CWhere {
    std::size_t nLine = 0;
    std::string strField;
};

std::string Located(std::string_view strSource, const CWhere& where, const std::string& strText) {
    std::string str(strSource);
    if (where.nLine != 0)
        str += ":" + std::to_string(where.nLine);
    str += ": ";
    if (!where.strField.empty())
        str += where.strField + ": ";
    // Every message after its place reads as a sentence ("radio.csv:4: The row has ...").
    std::string strSentence = strText;
    if (!strSentence.empty())
        strSentence[0] =
            static_cast<char>(std::toupper(static_cast<unsigned char>(strSentence[0])));
    return str + strSentence;
}

// A refused value: thrown while reading or applying, caught once.
struct CRefused {
    CWhere where;
    std::string strText;
    bool bNoRange = false;
};

// "<where>: "<value>" <rule>": the rule reads on from the value ("is not a signal code").
[[noreturn]] void Refuse(const CWhere& where, std::string_view strValue,
                         const std::string& strRule) {
    throw CRefused{where, Quoted(strValue) + " " + strRule};
}

[[noreturn]] void RefuseText(const CWhere& where, const std::string& strText) {
    throw CRefused{where, strText};
}

std::string Between(int nLow, int nHigh) {
    return "(" + std::to_string(nLow) + " to " + std::to_string(nHigh) + ")";
}

std::string SignalRule() {
    return "is not a signal code (\"OFF\" or 1 to " + std::to_string(field::kMaxSignalCode) + ")";
}

bool SameNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// --- import: values ---

// One value of the source, with where it came from for the messages.
template <typename T> struct CSourced {
    T value;
    CWhere where;
    std::string strText; // the value as given
};

struct CChannelEdit {
    CSourced<int> channel;
    std::optional<CSourced<int>> freqNumber;
    std::optional<CSourced<int>> signal;
    std::optional<CSourced<bool>> scan;
};

struct CFreqEdit {
    CSourced<int> number;
    std::optional<CSourced<double>> rx;
    std::optional<CSourced<double>> tx;
};

// What a source names, before any rule is applied.
struct CSettingsEdit {
    std::vector<CSourced<bool>> switches; // where.strField: "featureSwitches.<name>"
    std::vector<std::pair<std::string, CSourced<std::string>>> settings; // name, value
    std::vector<std::string> switchNames;
    std::optional<CSourced<int>> channelCount;
    std::optional<CSourced<int>> selectedChannel;
    bool bChannelTable = false; // the source holds a channel table (perhaps an empty one)
    bool bFreqTable = false;
    std::vector<CChannelEdit> channels;
    std::vector<CFreqEdit> freqs;
    std::optional<std::pair<double, double>> range; // the range the source was exported with
};

// Decimal digits only, no sign, at most 6 of them.
std::optional<int> ParseCount(std::string_view str) {
    if (str.empty() || str.size() > 6 || str.find_first_not_of("0123456789") != str.npos)
        return std::nullopt;
    return std::stoi(std::string(str));
}

// A finite number in the C locale's notation, whatever the user's locale.
std::optional<double> ParseMHz(std::string_view str) {
    double d = 0;
    const auto [pEnd, ec] = std::from_chars(str.data(), str.data() + str.size(), d);
    if (str.empty() || ec != std::errc() || pEnd != str.data() + str.size() || !std::isfinite(d))
        return std::nullopt;
    return d;
}

// "OFF" or a code; whether the code is one the editor offers is checked when it changes.
int SignalFromText(const CWhere& where, std::string_view str) {
    if (SameNoCase(str, texts::kSignalOff))
        return 0;
    const auto n = ParseCount(str);
    if (!n)
        Refuse(where, str, SignalRule());
    return *n;
}

bool ScanFromText(const CWhere& where, std::string_view str) {
    if (SameNoCase(str, texts::kScanAdd))
        return true;
    if (SameNoCase(str, texts::kScanDel))
        return false;
    Refuse(where, str, "is not \"Add\" or \"Del\"");
}

// Each channel and each frequency entry once: a second row for it is refused with both places.
class CSeen {
public:
    void Add(const char* pszWhat, const CSourced<int>& key, const std::string& strFirstPlace) {
        const auto [it, bNew] = m_places.emplace(key.value, strFirstPlace);
        if (!bNew)
            RefuseText(key.where,
                       std::string(pszWhat) + " " + Quoted(key.strText) + " is also " + it->second);
    }
    bool Contains(int n) const { return m_places.count(n) != 0; }

private:
    std::map<int, std::string> m_places;
};

// --- import: JSON source ---

using nlohmann::json;

// Builds the document of a JSON text as the library's own parser does, but refuses to nest
// deeper than kMaxJsonDepth and keeps the field being read for the messages.
class CJsonBuilder {
public:
    explicit CJsonBuilder(json& root) : m_root(root) {}

    bool null() { return Put(nullptr); }
    bool boolean(bool b) { return Put(b); }
    bool number_integer(json::number_integer_t n) { return Put(n); }
    bool number_unsigned(json::number_unsigned_t n) { return Put(n); }
    bool number_float(json::number_float_t d, const json::string_t&) { return Put(d); }
    bool string(json::string_t& str) { return Put(std::move(str)); }
    bool binary(json::binary_t&) { return false; } // JSON text holds none
    bool start_object(std::size_t) { return Open(json::object()); }
    bool start_array(std::size_t) { return Open(json::array()); }
    bool key(json::string_t& str) {
        m_frames.back().strKey = str;
        return true;
    }
    bool end_object() {
        m_frames.pop_back();
        return true;
    }
    bool end_array() {
        m_frames.pop_back();
        return true;
    }
    bool parse_error(std::size_t nPos, const std::string& strToken,
                     const nlohmann::detail::exception& e) {
        m_error = {nPos, strToken, e.id, e.what(), Path()};
        return false;
    }

    struct CError {
        std::size_t nPos = 0;
        std::string strToken;
        int nId = 0;
        std::string strWhat;
        std::string strPath;
    };
    std::optional<CError> m_error;
    std::optional<std::string> m_tooDeep; // the field that nests too deep

private:
    struct CFrame {
        json* pValue;
        std::string strKey; // objects: the key of the value being read
    };

    // The field the next value goes to: "channels[3].freqNumber".
    std::string Path() const {
        std::string str;
        for (const CFrame& f : m_frames) {
            if (f.pValue->is_array()) {
                // An open child is the last element; a value still to come is the next one.
                const std::size_t n = f.pValue->size() - (&f == &m_frames.back() ? 0 : 1);
                str += "[" + std::to_string(n) + "]";
            } else {
                str += (str.empty() ? "" : ".") + Escaped(f.strKey);
            }
        }
        return str;
    }

    json* Slot() {
        if (m_frames.empty())
            return &m_root;
        json& parent = *m_frames.back().pValue;
        if (parent.is_array()) {
            parent.push_back(nullptr);
            return &parent.back();
        }
        return &parent[m_frames.back().strKey];
    }

    bool Put(json value) {
        *Slot() = std::move(value);
        return true;
    }

    bool Open(json value) {
        if (m_frames.size() >= kMaxJsonDepth) {
            m_tooDeep = Path();
            return false;
        }
        json* p = Slot();
        *p = std::move(value);
        m_frames.push_back({p, {}});
        return true;
    }

    json& m_root;
    std::vector<CFrame> m_frames;
};

// The line of the character read last when the parser stopped after nRead of them.
std::size_t LineAt(std::string_view str, std::size_t nRead) {
    const std::size_t nPos = std::min(nRead > 0 ? nRead - 1 : 0, str.size());
    return 1 + static_cast<std::size_t>(
                   std::count(str.begin(), str.begin() + static_cast<std::ptrdiff_t>(nPos), '\n'));
}

json ParseJson(std::string_view strSource) {
    json root;
    CJsonBuilder builder(root);
    if (json::sax_parse(strSource.begin(), strSource.end(), &builder))
        return root;
    if (builder.m_tooDeep)
        RefuseText({0, *builder.m_tooDeep}, "nested deeper than " + std::to_string(kMaxJsonDepth) +
                                                " levels (a settings file has 3)");
    const CJsonBuilder::CError e = builder.m_error.value_or(CJsonBuilder::CError{});
    const CWhere where{LineAt(strSource, e.nPos), e.strPath};
    if (e.nId == 406) // a number no double holds
        Refuse(where, e.strToken, "is too large a number");
    // "[json.exception.parse_error.101] parse error at line 1, column 9: syntax error while
    // parsing value - invalid literal; last read: '...'": the reason only, the token is shown
    // cut.
    std::string strWhy = e.strWhat;
    if (const auto n = strWhy.find(": "); n != std::string::npos)
        strWhy.erase(0, n + 2);
    if (const auto n = strWhy.find("; last read"); n != std::string::npos)
        strWhy.erase(n);
    RefuseText({where.nLine, {}},
               "not JSON: " + Escaped(strWhy, strWhy.size()) + " at " + Quoted(e.strToken));
}

// A value of any size as a message shows it: containers are never written out.
std::string JsonShown(const json& j) {
    switch (j.type()) {
    case json::value_t::object:
        return "{...}";
    case json::value_t::array:
        return "[...]";
    case json::value_t::string:
        return j.get_ref<const std::string&>();
    default:
        return j.dump();
    }
}

template <typename T> CSourced<T> JsonSourced(T value, const std::string& strWhere, const json& j) {
    return {std::move(value), {0, strWhere}, JsonShown(j)};
}

int JsonInt(const json& j, const std::string& strWhere) {
    if (j.is_number_integer() || j.is_number_unsigned()) {
        const auto n = j.get<long long>();
        if (n >= -1000000 && n <= 1000000)
            return static_cast<int>(n);
    }
    if (j.is_string()) // the string form of the first exports
        if (const auto n = ParseCount(j.get_ref<const std::string&>()))
            return *n;
    Refuse({0, strWhere}, JsonShown(j), "is not a whole number");
}

double JsonMHz(const json& j, const std::string& strWhere) {
    if (j.is_number())
        return j.get<double>();
    if (j.is_string())
        if (const auto d = ParseMHz(j.get_ref<const std::string&>()))
            return *d;
    Refuse({0, strWhere}, JsonShown(j), "is not a frequency in MHz");
}

std::string JsonString(const json& j, const std::string& strWhere) {
    if (j.is_string())
        return j.get<std::string>();
    if (j.is_number_integer() || j.is_number_unsigned())
        return std::to_string(j.get<long long>());
    Refuse({0, strWhere}, JsonShown(j), "is not a text");
}

const json& JsonObject(const json& j, const std::string& strWhere) {
    if (!j.is_object())
        Refuse({0, strWhere}, JsonShown(j), "is not an object");
    return j;
}

const json& JsonArray(const json& j, const std::string& strWhere) {
    if (!j.is_array())
        Refuse({0, strWhere}, JsonShown(j), "is not a list");
    return j;
}

[[noreturn]] void RefuseKey(const std::string& strWhere, const std::string& strKey,
                            const std::string& strKeys) {
    Refuse({0, strWhere}, strKey, "is not a key of " + strKeys);
}

CChannelEdit JsonChannel(const json& ch, const std::string& strWhere) {
    JsonObject(ch, strWhere);
    if (!ch.contains("channel"))
        RefuseText({0, strWhere}, "a channel names its \"channel\" number");
    CChannelEdit c{JsonSourced(JsonInt(ch["channel"], strWhere + ".channel"), strWhere + ".channel",
                               ch["channel"]),
                   {},
                   {},
                   {}};
    for (const auto& [strKey, x] : ch.items()) {
        const std::string strField = strWhere + "." + Escaped(strKey);
        if (strKey == "freqNumber")
            c.freqNumber = JsonSourced(JsonInt(x, strField), strField, x);
        else if (strKey == "signal")
            c.signal = JsonSourced(x.is_string() ? SignalFromText({0, strField}, JsonShown(x))
                                                 : JsonInt(x, strField),
                                   strField, x);
        else if (strKey == "scan")
            c.scan = JsonSourced(ScanFromText({0, strField}, JsonString(x, strField)), strField, x);
        else if (strKey != "channel")
            RefuseKey(strWhere, strKey,
                      "a channel (\"channel\", \"freqNumber\", \"signal\", \"scan\")");
    }
    return c;
}

CFreqEdit JsonFrequency(const json& fr, const std::string& strWhere) {
    JsonObject(fr, strWhere);
    if (!fr.contains("number"))
        RefuseText({0, strWhere}, "a frequency entry names its \"number\"");
    CFreqEdit f{JsonSourced(JsonInt(fr["number"], strWhere + ".number"), strWhere + ".number",
                            fr["number"]),
                {},
                {}};
    for (const auto& [strKey, x] : fr.items()) {
        const std::string strField = strWhere + "." + Escaped(strKey);
        if (strKey == "rx")
            f.rx = JsonSourced(JsonMHz(x, strField), strField, x);
        else if (strKey == "tx")
            f.tx = JsonSourced(JsonMHz(x, strField), strField, x);
        else if (strKey == "nonStandard" && !x.is_boolean())
            Refuse({0, strField}, JsonShown(x), "is not true or false");
        else if (strKey != "number" && strKey != "nonStandard")
            RefuseKey(strWhere, strKey,
                      "a frequency entry (\"number\", \"rx\", \"tx\", \"nonStandard\")");
    }
    return f;
}

// The range an export carries, when it is one a working range can be.
std::optional<std::pair<double, double>> JsonRange(const json& j) {
    if (!j.is_object() || !j.contains("low") || !j.contains("high") || !j["low"].is_number() ||
        !j["high"].is_number())
        return std::nullopt;
    const double dLow = j["low"].get<double>(), dHigh = j["high"].get<double>();
    if (!(dLow > 0 && dHigh >= dLow && dHigh < 10000))
        return std::nullopt;
    return std::pair{dLow, dHigh};
}

CSettingsEdit ReadJson(std::string_view strSource, const CVariant& v) {
    const json root = ParseJson(strSource);
    JsonObject(root, "");
    CSettingsEdit edit;
    CSeen channelsSeen, freqsSeen;
    for (const auto& [strKey, value] : root.items()) {
        if (strKey == "schema") {
            if (!value.is_number_integer() || value.get<long long>() != kSchemaVersion)
                Refuse({0, strKey}, JsonShown(value),
                       "is not a schema this version reads (" + std::to_string(kSchemaVersion) +
                           ")");
        } else if (strKey == "model") {
            if (!value.is_string() || value.get_ref<const std::string&>() != v.strModel)
                Refuse({0, strKey}, JsonShown(value),
                       "is not the " + std::string(v.strModel) +
                           " this import is for; settings of another model are not imported "
                           "(choose the model with --model)");
        } else if (strKey == "featureSwitches") {
            for (const auto& [strName, on] : JsonObject(value, strKey).items()) {
                const std::string strField = strKey + "." + Escaped(strName);
                if (!on.is_boolean())
                    Refuse({0, strField}, JsonShown(on), "is not true or false");
                edit.switches.push_back(JsonSourced(on.get<bool>(), strField, on));
                edit.switchNames.push_back(strName);
            }
        } else if (strKey == "featureSettings") {
            for (const auto& [strName, item] : JsonObject(value, strKey).items()) {
                const std::string strField = strKey + "." + Escaped(strName);
                edit.settings.emplace_back(strName,
                                           JsonSourced(JsonString(item, strField), strField, item));
            }
        } else if (strKey == "channelCount") {
            edit.channelCount = JsonSourced(JsonInt(value, strKey), strKey, value);
        } else if (strKey == "selectedChannel") {
            edit.selectedChannel = JsonSourced(JsonInt(value, strKey), strKey, value);
        } else if (strKey == "channels") {
            edit.bChannelTable = true;
            for (const json& ch : JsonArray(value, strKey)) {
                const std::string strWhere =
                    strKey + "[" + std::to_string(edit.channels.size()) + "]";
                edit.channels.push_back(JsonChannel(ch, strWhere));
                channelsSeen.Add("channel", edit.channels.back().channel, "in " + strWhere);
            }
        } else if (strKey == "frequencies") {
            edit.bFreqTable = true;
            for (const json& fr : JsonArray(value, strKey)) {
                const std::string strWhere = strKey + "[" + std::to_string(edit.freqs.size()) + "]";
                edit.freqs.push_back(JsonFrequency(fr, strWhere));
                freqsSeen.Add("number", edit.freqs.back().number, "in " + strWhere);
            }
        } else if (strKey == "range") {
            edit.range = JsonRange(value); // the radio's own: only a new document takes it
        } else if (strKey != "identity" && strKey != "tuneFrequency") {
            // The identity and the tune frequency are the radio's own: shown, never imported.
            Refuse({}, strKey, "is not a key of the settings");
        }
    }
    return edit;
}

// --- import: CSV source ---

struct CCsvRow {
    std::size_t nLine = 0; // where the row starts
    std::vector<std::string> cells;
};

// The rows of a CSV text as spreadsheets write it: a byte-order mark, CRLF or LF, quoted cells
// (with commas, doubled quotes and line breaks inside), blanks around cells. Trailing empty
// cells are dropped, and so are rows with no cell left.
std::vector<CCsvRow> CsvRows(std::string_view str) {
    if (str.starts_with("\xEF\xBB\xBF"))
        str.remove_prefix(3);
    std::vector<CCsvRow> rows;
    CCsvRow row{1, {}};
    std::string cell;
    std::size_t nLine = 1, nQuoteLine = 0;
    bool bQuoted = false;
    auto endCell = [&] {
        const auto b = cell.find_first_not_of(" \t");
        const auto e = cell.find_last_not_of(" \t");
        row.cells.push_back(b == std::string::npos ? std::string() : cell.substr(b, e - b + 1));
        cell.clear();
    };
    auto endRow = [&] {
        endCell();
        while (!row.cells.empty() && row.cells.back().empty())
            row.cells.pop_back();
        if (!row.cells.empty())
            rows.push_back(std::move(row));
        row = {nLine, {}};
    };
    for (std::size_t i = 0; i < str.size(); ++i) {
        const char c = str[i];
        if (bQuoted) {
            if (c == '"' && i + 1 < str.size() && str[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                bQuoted = false;
            } else {
                nLine += c == '\n' ? 1 : 0;
                cell += c;
            }
        } else if (c == '"' && cell.find_first_not_of(" \t") == std::string::npos) {
            bQuoted = true;
            nQuoteLine = nLine;
            cell.clear();
        } else if (c == ',') {
            endCell();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < str.size() && str[i + 1] == '\n')
                ++i;
            ++nLine;
            endRow();
        } else {
            cell += c;
        }
    }
    if (bQuoted)
        RefuseText({nQuoteLine, {}}, "a quoted cell is not closed");
    endRow();
    return rows;
}

constexpr std::array<std::string_view, 4> kChannelColumns = {"channel", "frequency number",
                                                             "signal", "scan"};
constexpr std::array<std::string_view, 3> kFreqColumns = {"number", "rx MHz", "tx MHz"};

template <std::size_t N> std::string Joined(const std::array<std::string_view, N>& names) {
    std::string str;
    for (const std::string_view name : names)
        str += (str.empty() ? "" : ",") + std::string(name);
    return str;
}

// The table a header row starts and, for each of its cells, the column (-1: an empty cell, a
// column whose values are ignored).
struct CCsvTable {
    enum class Kind { None, Channels, Freqs } kind = Kind::None;
    std::size_t nHeaderLine = 0;
    std::vector<int> columns;
    std::vector<std::string> names; // as the header spells them
};

std::optional<CCsvTable> CsvHeader(const CCsvRow& row) {
    CCsvTable t;
    const auto has = [&row](std::string_view name) {
        return std::any_of(row.cells.begin(), row.cells.end(),
                           [name](const std::string& s) { return SameNoCase(s, name); });
    };
    if (has(kChannelColumns[0]))
        t.kind = CCsvTable::Kind::Channels;
    else if (has(kFreqColumns[0]))
        t.kind = CCsvTable::Kind::Freqs;
    else
        return std::nullopt;
    const bool bChannels = t.kind == CCsvTable::Kind::Channels;
    const std::span<const std::string_view> known =
        bChannels ? std::span<const std::string_view>(kChannelColumns)
                  : std::span<const std::string_view>(kFreqColumns);
    t.nHeaderLine = row.nLine;
    for (std::size_t k = 0; k < row.cells.size(); ++k) {
        const std::string& s = row.cells[k];
        int nColumn = -1;
        for (std::size_t c = 0; c < known.size(); ++c)
            if (SameNoCase(s, known[c]))
                nColumn = static_cast<int>(c);
        const CWhere where{row.nLine, "Column " + std::to_string(k + 1)};
        if (!s.empty() && nColumn < 0)
            Refuse(where, s,
                   std::string("is not a column of the ") +
                       (bChannels ? "channel table (" + Joined(kChannelColumns)
                                  : "frequency table (" + Joined(kFreqColumns)) +
                       ")");
        if (nColumn >= 0 &&
            std::find(t.columns.begin(), t.columns.end(), nColumn) != t.columns.end())
            Refuse(where, s, "is a second column of that name");
        t.columns.push_back(nColumn);
        t.names.push_back(s);
    }
    return t;
}

CSettingsEdit ReadCsv(std::string_view strSource) {
    CSettingsEdit edit;
    CCsvTable table;
    CSeen channelsSeen, freqsSeen;
    for (const CCsvRow& row : CsvRows(strSource)) {
        if (auto header = CsvHeader(row)) {
            table = std::move(*header);
            (table.kind == CCsvTable::Kind::Channels ? edit.bChannelTable : edit.bFreqTable) = true;
            continue;
        }
        if (table.kind == CCsvTable::Kind::None)
            Refuse({row.nLine, {}}, row.cells[0],
                   "comes before a table's header (\"" + Joined(kChannelColumns) + "\" or \"" +
                       Joined(kFreqColumns) + "\")");
        // The cells of the row by column, each with where it is.
        std::array<std::optional<CSourced<std::string>>, 4> cells;
        for (std::size_t k = 0; k < row.cells.size(); ++k) {
            const std::string& s = row.cells[k];
            if (s.empty())
                continue; // an empty cell keeps the value
            if (k >= table.columns.size() || table.columns[k] < 0)
                Refuse({row.nLine, "Column " + std::to_string(k + 1)}, s,
                       "is in no column of the header on line " +
                           std::to_string(table.nHeaderLine));
            cells[static_cast<std::size_t>(table.columns[k])] =
                CSourced<std::string>{s, {row.nLine, "Column " + Quoted(table.names[k])}, s};
        }
        const bool bChannels = table.kind == CCsvTable::Kind::Channels;
        if (!cells[0])
            RefuseText({row.nLine, {}},
                       bChannels ? "the row has no channel number" : "the row has no number");
        const CSourced<std::string>& key = *cells[0];
        const auto nKey = ParseCount(key.value);
        if (!nKey)
            Refuse(key.where, key.value,
                   bChannels ? "is not a channel number" : "is not a frequency number");
        const CSourced<int> keyValue{*nKey, key.where, key.strText};
        const std::string strPlace = "on line " + std::to_string(row.nLine);
        if (bChannels) {
            CChannelEdit c{keyValue, {}, {}, {}};
            channelsSeen.Add("channel", keyValue, strPlace);
            if (const auto& s = cells[1]) {
                const auto n = ParseCount(s->value);
                if (!n)
                    Refuse(s->where, s->value, "is not a frequency number");
                c.freqNumber = CSourced<int>{*n, s->where, s->strText};
            }
            if (const auto& s = cells[2])
                c.signal = CSourced<int>{SignalFromText(s->where, s->value), s->where, s->strText};
            if (const auto& s = cells[3])
                c.scan = CSourced<bool>{ScanFromText(s->where, s->value), s->where, s->strText};
            edit.channels.push_back(std::move(c));
        } else {
            CFreqEdit f{keyValue, {}, {}};
            freqsSeen.Add("number", keyValue, strPlace);
            for (std::size_t k = 1; k <= 2; ++k) {
                const auto& s = cells[k];
                if (!s)
                    continue;
                const auto d = ParseMHz(s->value);
                if (!d)
                    Refuse(s->where, s->value, "is not a frequency in MHz");
                (k == 1 ? f.rx : f.tx) = CSourced<double>{*d, s->where, s->strText};
            }
            edit.freqs.push_back(std::move(f));
        }
    }
    return edit;
}

// --- applying an edit ---

struct CApplier {
    const CVariant& v;
    std::span<std::uint8_t> data; // a copy of the working copy
    CImportResult& result;
    std::string_view strSource; // its name, for the notes
    bool bHasRange;             // the working range is one frequencies can be limited to
    CFreqRange range;           // the working range frequencies are limited to

    void Switches(const CSettingsEdit& edit) {
        for (std::size_t i = 0; i < edit.switches.size(); ++i) {
            const CSourced<bool>& s = edit.switches[i];
            const feature::CSwitchDef* pDef = nullptr;
            for (const feature::CSwitchDef& def : feature::kSwitches)
                if (Trimmed(def.strText) == edit.switchNames[i] && feature::SwitchField(v, def.nId))
                    pDef = &def;
            if (!pDef)
                Refuse({0, "featureSwitches"}, edit.switchNames[i],
                       "is not a switch of the " + std::string(v.strModel));
            const CBitField f = *feature::SwitchField(v, pDef->nId);
            if (field::GetBit(data, f) == s.value)
                continue;
            if (!feature::SwitchStored(v, pDef->nId))
                Refuse(s.where, s.strText,
                       "cannot be stored: the " + std::string(v.strModel) +
                           " shows this switch but never stores it");
            field::SetBit(data, f, s.value);
            ++result.nChanged;
        }
    }

    void Settings(const CSettingsEdit& edit) {
        for (const auto& [strName, s] : edit.settings) {
            const feature::CListDef* pDef = nullptr;
            for (const feature::CListDef& def : feature::kLists)
                if (WithoutColon(def.strLabel) == strName)
                    pDef = &def;
            if (!pDef)
                Refuse({0, "featureSettings"}, strName,
                       "is not a setting of the " + std::string(v.strModel));
            int nIndex = -1;
            std::string strItems;
            for (int i = 0; i < pDef->nItems; ++i) {
                const std::string_view item = pDef->items[static_cast<std::size_t>(i)];
                if (item == s.value)
                    nIndex = i;
                strItems += (i ? ", \"" : "\"") + std::string(item) + "\"";
            }
            const CBitField f = feature::ListField(v, pDef->nId);
            if (nIndex < 0) {
                // A byte the editor does not offer is exported as "(0xNN)": kept when unchanged.
                const std::uint8_t nByte = pDef->kind == feature::ListKind::Bit
                                               ? static_cast<std::uint8_t>(field::GetBit(data, f))
                                               : data[f.nAddr];
                if (s.value == "(0x" + Hex2(nByte) + ")")
                    continue;
                Refuse(s.where, s.strText, "is not one of " + strItems);
            }
            const int nCurrent = feature::LoadFeatures(data, v).Index(pDef->nId);
            if (nCurrent == nIndex)
                continue;
            if (pDef->nSwitch != 0 && nIndex != 0) {
                const auto sw = feature::SwitchField(v, pDef->nSwitch);
                if (sw && !field::GetBit(data, *sw))
                    Refuse(s.where, s.strText,
                           "cannot be kept: its switch is off, and a feature switched off keeps "
                           "no setting");
            }
            switch (pDef->kind) {
            case feature::ListKind::WholeByte:
                data[f.nAddr] = static_cast<std::uint8_t>(nIndex);
                break;
            case feature::ListKind::Bit:
                field::SetBit(data, f, nIndex != 0);
                break;
            case feature::ListKind::BytePlusOne:
                data[f.nAddr] = static_cast<std::uint8_t>(nIndex + 1);
                break;
            }
            ++result.nChanged;
        }
    }

    // A switch turned off by the import clears the settings it gates, as the form does.
    void Gates(std::span<const std::uint8_t> before) {
        for (const feature::CListDef& def : feature::kLists) {
            if (def.nSwitch == 0)
                continue;
            const auto sw = feature::SwitchField(v, def.nSwitch);
            if (!sw || field::GetBit(data, *sw) || !field::GetBit(before, *sw))
                continue;
            const CBitField f = feature::ListField(v, def.nId);
            if (def.kind == feature::ListKind::Bit)
                field::SetBit(data, f, false);
            else
                data[f.nAddr] = 0;
        }
    }

    // Stores a value of one byte that changed; nValue is checked only then, so a value the
    // editor cannot show stays as long as the source repeats it.
    bool ChangeByte(std::uint8_t& nByte, const CSourced<int>& s, int nLow, int nHigh,
                    const std::string& strRule) {
        if (s.value == nByte)
            return false;
        if (s.value < nLow || s.value > nHigh)
            Refuse(s.where, s.strText, strRule);
        nByte = static_cast<std::uint8_t>(s.value);
        ++result.nChanged;
        return true;
    }

    void Channels(const CSettingsEdit& edit) {
        const int nMax = feature::MaxChannels(v);
        std::uint8_t& nCount = data[v.nChannelCount];
        std::uint8_t& nCurrent = data[v.nCurrentChannel];
        const bool bCountChanged =
            edit.channelCount && ChangeByte(nCount, *edit.channelCount, 1, nMax,
                                            "is not a channel count " + Between(1, nMax));
        if (bCountChanged && nCurrent > nCount)
            nCurrent = nCount;
        int nInUse = std::min<int>(nCount, nMax);
        if (!edit.channelCount) {
            // A source without a channel count (CSV) puts every channel it holds in use.
            int nHighest = 0;
            for (const CChannelEdit& c : edit.channels)
                if (c.channel.value <= nMax)
                    nHighest = std::max(nHighest, c.channel.value);
            if (nHighest > nInUse) {
                result.notes.push_back(
                    Located(strSource, {},
                            "the channel count is raised from " + std::to_string(nCount) + " to " +
                                std::to_string(nHighest) + " (the channels the file holds)"));
                nCount = static_cast<std::uint8_t>(nHighest);
                nInUse = nHighest;
                ++result.nChanged;
            }
        }
        if (edit.selectedChannel)
            ChangeByte(nCurrent, *edit.selectedChannel, 0, nInUse,
                       "is not a channel in use " + Between(0, nInUse));
        const int nFreqs = v.freqTable.nCount;
        for (const CChannelEdit& c : edit.channels) {
            if (c.channel.value < 1 || c.channel.value > nMax)
                Refuse(c.channel.where, c.channel.strText, "is not a channel " + Between(1, nMax));
            if (c.channel.value > nInUse)
                Refuse(c.channel.where, c.channel.strText,
                       nInUse > 0
                           ? "is not a channel in use " + Between(1, nInUse)
                           : std::string("is not a channel in use (the channel count is 0)"));
            field::CChannelRecord rec = field::GetChannel(data, v, c.channel.value);
            const int nBefore = result.nChanged;
            if (c.freqNumber)
                ChangeByte(rec.nFreqNumber, *c.freqNumber, 1, nFreqs,
                           "is not a frequency number " + Between(1, nFreqs));
            if (c.signal)
                ChangeByte(rec.nSignalCode, *c.signal, 0, field::kMaxSignalCode, SignalRule());
            if (c.scan && c.scan->value != rec.bScanAdd) {
                rec.bScanAdd = c.scan->value;
                ++result.nChanged;
            }
            if (result.nChanged != nBefore)
                field::SetChannel(data, v, c.channel.value, rec);
        }
        if (edit.bChannelTable) {
            CSeen listed;
            for (const CChannelEdit& c : edit.channels)
                listed.Add("channel", c.channel, {});
            for (int n = 1; n <= std::min<int>(nCount, nMax); ++n)
                result.nMissingChannels += listed.Contains(n) ? 0 : 1;
        }
    }

    // One column of a frequency record, as the frequency table's editor commits it.
    void Frequency(int n, bool bRx, const CSourced<double>& s, double dOther) {
        field::CFreqRecord rec = field::GetFreqRecord(data, v, n);
        const double dOld = bRx ? rec.RxMHz() : rec.TxMHz();
        if (FormatFrequency(dOld) == FormatFrequency(s.value))
            return; // unchanged: its bytes stay as they are
        if (!bHasRange)
            throw CRefused{s.where,
                           Quoted(s.strText) +
                               " cannot be stored: the document has no frequency range to limit "
                               "it to",
                           true};
        double dValue = s.value;
        field::CommitFreqColumn(rec, n, bRx, dValue, dOther, range);
        field::SetFreqRecord(data, v, n, rec);
        ++result.nChanged;
        if (FormatFrequency(dValue) != FormatFrequency(s.value))
            result.notes.push_back(Located(strSource, s.where, Quoted(s.strText)) +
                                   " is stored as " + Quoted(FormatFrequency(dValue)) +
                                   " (limited to the working range and put on the raster)");
    }

    void Frequencies(const CSettingsEdit& edit) {
        const int nFreqs = v.freqTable.nCount;
        for (const CFreqEdit& f : edit.freqs) {
            const int n = f.number.value;
            if (n < 1 || n > nFreqs)
                Refuse(f.number.where, f.number.strText,
                       "is not a frequency number " + Between(1, nFreqs));
            if (f.rx)
                Frequency(n, true, *f.rx, field::GetFreqRecord(data, v, n).TxMHz());
            if (f.tx)
                Frequency(n, false, *f.tx, field::GetFreqRecord(data, v, n).RxMHz());
        }
        if (edit.bFreqTable) // each number is listed once at most
            result.nMissingFreqs = nFreqs - static_cast<int>(edit.freqs.size());
    }
};

} // namespace

CSettingsListing Decode(const CWR7310Doc& doc) {
    const CVariant& v = doc.m_variant;
    const auto d = doc.Data();
    CSettingsListing l;
    l.strModel = std::string(v.strModel);
    const CFeatureSwitches& s = v.switches;
    auto addSwitch = [&](std::string_view strName, std::optional<CBitField> f) {
        if (f)
            l.switches.push_back({std::string(Trimmed(strName)), field::GetBit(d, *f)});
    };
    // A "Menu Enable " that is never stored is no switch the user has.
    addSwitch(texts::kMenuEnable,
              s.bMenuEnableStored ? std::optional<CBitField>(s.menuEnable) : std::nullopt);
    addSwitch(texts::kVox, s.vox);
    addSwitch(texts::kButtonBeep, s.buttonBeep);
    addSwitch(texts::kCallTone, s.callTone);
    addSwitch(texts::kManualTxPower, s.manualTxPower);
    addSwitch(texts::kRangeAlarm, s.rangeAlarm);
    addSwitch(texts::kChannelSet, s.channelSet);
    addSwitch(texts::kFrequencySet, s.frequencySet);
    addSwitch(texts::kSignalingSet, s.signalingSet);
    addSwitch(texts::kChannelNumber, s.channelNumber);
    addSwitch(texts::kDefaultSetMode, s.defaultSetMode);
    addSwitch(texts::kBatterySave, s.batterySave);
    addSwitch(texts::kTailCut, s.tailCut);
    addSwitch(texts::kKeypadLock, s.keypadLock);

    const CFeatureSettings& f = v.settings;
    auto byteItem = [&](std::string_view strLabel, const auto& items, std::uint16_t nAddr,
                        int nBias) {
        const std::uint8_t n = field::GetByte(d, nAddr);
        l.settings.push_back({std::string(strLabel), ItemText(items, n - nBias, n)});
    };
    auto bitItem = [&](std::string_view strLabel, const auto& items, CBitField b) {
        const int n = field::GetBit(d, b) ? 1 : 0;
        l.settings.push_back(
            {std::string(strLabel), ItemText(items, n, static_cast<std::uint8_t>(n))});
    };
    byteItem(texts::kVoxLabel, texts::kLevelItems, f.nVoxLevel, 0);
    bitItem(texts::kButtonBeepLabel, texts::kOffOnItems, f.buttonBeepOn);
    byteItem(texts::kCallToneLabel, texts::kLevelItems, f.nCallToneLevel, 0);
    bitItem(texts::kRangeAlarmLabel, texts::kOffOnItems, f.rangeAlarmOn);
    bitItem(texts::kTxPowerLabel, texts::kTxPowerItems, f.txPowerHigh);
    byteItem(texts::kTotLabel, texts::kTotItems, f.nTotSetting, 0);
    bitItem(texts::kRevertLabel, texts::kRevertItems, f.revertLastStop);
    byteItem(texts::kSquelchLabel, texts::kSquelchItems, f.nSquelchLevel, 1);

    l.nChannelCount = field::GetByte(d, v.nChannelCount);
    l.nCurrentChannel = field::GetByte(d, v.nCurrentChannel);
    const int nInUse = std::min<int>(l.nChannelCount, v.channels.table.nCount);
    for (int n = 1; n <= nInUse; ++n)
        l.channels.emplace_back(n, doc.GetChannel(n));

    for (int n = 1; n <= v.freqTable.nCount; ++n) {
        const field::CFreqRecord rec = doc.GetFreqRecord(n);
        const double dRx = rec.RxMHz();
        const double dTx = rec.TxMHz();
        l.freqs.push_back(
            {n, dRx, dTx, IsStandardFrequency(dRx, n) && IsStandardFrequency(dTx, n)});
    }

    l.strModelName = field::GetText(d, v.modelName, v.modelName.nLength);
    l.strSerial = field::GetText(d, v.serialNumber, v.serialNumber.nLength);
    l.strFirmware = field::GetText(d, v.firmwareVersion, v.firmwareVersion.nLength);
    l.dOscillatorMHz = field::GetU16(d, v.localOscillator.nStart) * 0.001;
    l.dRangeLow = field::GetRangeLimit(d, v, true);
    l.dRangeHigh = field::GetRangeLimit(d, v, false);
    const bool bTuneInFile =
        std::none_of(v.fileZeroRanges.begin(), v.fileZeroRanges.end(),
                     [&v](const CAddrRange& r) { return r.Contains(v.tuneFrequency.nStart); });
    if (bTuneInFile)
        l.dTune = field::GetTuneFrequency(d, v);
    return l;
}

std::string JsonText(const CSettingsListing& l) {
    ordered_json j;
    j["schema"] = kSchemaVersion;
    j["model"] = l.strModel;
    ordered_json switches = ordered_json::object();
    for (const CSwitchValue& s : l.switches)
        switches[s.strName] = s.bOn;
    j["featureSwitches"] = switches;
    ordered_json settings = ordered_json::object();
    for (const CNamedValue& s : l.settings)
        settings[WithoutColon(s.strName)] = s.strValue;
    j["featureSettings"] = settings;
    j["channelCount"] = l.nChannelCount;
    j["selectedChannel"] = l.nCurrentChannel;
    ordered_json channels = ordered_json::array();
    for (const auto& [n, rec] : l.channels) {
        // A code as a number; no signalling as the editor shows it.
        const ordered_json signal = rec.nSignalCode == 0 ? ordered_json(texts::kSignalOff)
                                                         : ordered_json(int{rec.nSignalCode});
        channels.push_back({{"channel", n},
                            {"freqNumber", int{rec.nFreqNumber}},
                            {"signal", signal},
                            {"scan", channel::CellText(rec, channel::kColScan)}});
    }
    j["channels"] = channels;
    ordered_json freqs = ordered_json::array();
    for (const CFreqEntry& e : l.freqs)
        freqs.push_back({{"number", e.nNumber},
                         {"rx", Rounded(e.dRx, 1e5)},
                         {"tx", Rounded(e.dTx, 1e5)},
                         {"nonStandard", !e.bStandard}});
    j["frequencies"] = freqs;
    j["identity"] = {{"modelName", Latin1ToUtf8(l.strModelName)},
                     {"serialNumber", Latin1ToUtf8(l.strSerial)},
                     {"firmwareVersion", Latin1ToUtf8(l.strFirmware)},
                     {"localOscillatorMHz", Rounded(l.dOscillatorMHz, 1e3)}};
    j["range"] = {{"low", Rounded(l.dRangeLow, 1e5)}, {"high", Rounded(l.dRangeHigh, 1e5)}};
    j["tuneFrequency"] = l.dTune ? ordered_json(Rounded(*l.dTune, 1e5)) : ordered_json(nullptr);
    return j.dump(2, ' ', true) + "\n";
}

std::string CsvText(const CSettingsListing& l) {
    std::string out = Joined(kChannelColumns) + "\n";
    for (const auto& [n, rec] : l.channels)
        out += std::to_string(n) + "," + std::to_string(rec.nFreqNumber) + "," +
               channel::CellText(rec, channel::kColSignal) + "," +
               channel::CellText(rec, channel::kColScan) + "\n";
    out += "\n" + Joined(kFreqColumns) + "\n";
    for (const CFreqEntry& e : l.freqs)
        out += std::to_string(e.nNumber) + "," + FormatFrequency(e.dRx) + "," +
               FormatFrequency(e.dTx) + "\n";
    return out;
}

CImportResult ImportSettings(CWR7310Doc& doc, std::string_view strSource, ImportFormat format,
                             const CImportOptions& options) {
    CImportResult result;
    const CVariant& v = doc.m_variant;
    std::vector<std::uint8_t> data(doc.Data().begin(), doc.Data().end());
    const std::vector<std::uint8_t> before = data;
    std::string_view strText = strSource;
    if (strText.starts_with("\xEF\xBB\xBF"))
        strText.remove_prefix(3);
    if (strText.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        result.strError = options.strSourceName + ": Holds no settings";
        return result;
    }
    try {
        const CSettingsEdit edit =
            format == ImportFormat::Json ? ReadJson(strSource, v) : ReadCsv(strSource);
        // Frequencies are limited to the working range the document's range bytes give, as
        // the editor does once it shows them. A new document without one takes the range the
        // source was exported with.
        CWR7310App& app = doc.m_app;
        std::uint8_t* pRange = data.data() + v.rangeBytes.nStart;
        app.TakeRangeFromImage(pRange);
        const auto usable = [&app] {
            return app.m_dMinFreq > 0 && app.m_dMaxFreq >= app.m_dMinFreq;
        };
        if (!usable() && options.bNewDocument && edit.range && v.bRangeFromSettings) {
            auto [dLow, dHigh] = *edit.range;
            app.EncodeRange(dLow, dHigh, pRange);
            app.TakeRangeFromImage(pRange);
            result.notes.push_back(options.strSourceName + ": The new document takes the range " +
                                   FormatFrequency(dLow) + " to " + FormatFrequency(dHigh) +
                                   " MHz the file was exported with");
        }
        CApplier applier{v, data, result, options.strSourceName, usable(), app.Range()};
        applier.Switches(edit);
        applier.Settings(edit);
        applier.Gates(before);
        applier.Channels(edit);
        applier.Frequencies(edit);
    } catch (const CRefused& e) {
        CImportResult refused;
        refused.strError = Located(options.strSourceName, e.where, e.strText);
        refused.bNoRange = e.bNoRange;
        return refused;
    }
    std::copy(data.begin(), data.end(), doc.Data().begin());
    result.bOk = true;
    return result;
}

} // namespace exchange
