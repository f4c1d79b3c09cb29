#include "image/SettingsExchange.h"

#include "app/WR7310App.h"
#include "image/FreqCodec.h"
#include "image/SettingTexts.h"
#include "image/WR7310Doc.h"
#include "view/ChannelPanel.h"
#include "view/FeaturePanel.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

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

// --- import ---

// One value of the source, with where it came from for the messages.
template <typename T> struct CSourced {
    T value;
    std::string strWhere; // "channels[3].freqNumber" or "CSV line 4"
    std::string strText;  // the value as given
};

struct CChannelEdit {
    int nChannel = 0;
    std::string strWhere;
    std::optional<CSourced<int>> freqNumber;
    std::optional<CSourced<int>> signal;
    std::optional<CSourced<bool>> scan;
};

struct CFreqEdit {
    int nNumber = 0;
    std::string strWhere;
    std::optional<CSourced<double>> rx;
    std::optional<CSourced<double>> tx;
};

// What a source names, before any rule is applied.
struct CSettingsEdit {
    std::vector<CSourced<bool>> switches; // strWhere holds the switch's name
    std::vector<CSourced<std::string>> settings;
    std::vector<std::string> settingNames;
    std::vector<std::string> switchNames;
    std::optional<CSourced<int>> channelCount;
    std::optional<CSourced<int>> selectedChannel;
    std::vector<CChannelEdit> channels;
    std::vector<CFreqEdit> freqs;
};

// A refused value: thrown while reading or applying, caught once.
struct CRefused {
    std::string strText;
};

[[noreturn]] void Refuse(const std::string& strWhere, const std::string& strValue,
                         const std::string& strRule) {
    throw CRefused{strWhere + ": " + strValue + ": " + strRule};
}

std::string RangeRule(const char* pszWhat, int nLow, int nHigh) {
    return std::string(pszWhat) + " is " + std::to_string(nLow) + " to " + std::to_string(nHigh);
}

// Decimal digits only, no sign, at most 6 of them.
std::optional<int> ParseCount(std::string_view str) {
    if (str.empty() || str.size() > 6 || str.find_first_not_of("0123456789") != str.npos)
        return std::nullopt;
    return std::stoi(std::string(str));
}

std::optional<double> ParseMHz(std::string_view str) {
    if (str.empty() || str.size() > 32)
        return std::nullopt;
    const std::string s(str);
    char* pEnd = nullptr;
    const double d = std::strtod(s.c_str(), &pEnd);
    if (pEnd != s.c_str() + s.size() || !std::isfinite(d))
        return std::nullopt;
    return d;
}

int SignalFromText(const std::string& strWhere, std::string_view str) {
    if (str == texts::kSignalOff)
        return 0;
    const auto n = ParseCount(str);
    if (!n || *n < 1 || *n > field::kMaxSignalCode)
        Refuse(strWhere, std::string(str),
               "a signal is \"OFF\" or a code from 1 to " + std::to_string(field::kMaxSignalCode));
    return *n;
}

bool ScanFromText(const std::string& strWhere, std::string_view str) {
    if (str == texts::kScanAdd)
        return true;
    if (str == texts::kScanDel)
        return false;
    Refuse(strWhere, std::string(str), "scan is \"Add\" or \"Del\"");
}

// --- JSON source ---

std::string JsonValueText(const nlohmann::json& j) {
    return j.dump();
}

int JsonInt(const nlohmann::json& j, const std::string& strWhere) {
    if (j.is_number_integer() || j.is_number_unsigned()) {
        const auto n = j.get<long long>();
        if (n >= -1000000 && n <= 1000000)
            return static_cast<int>(n);
    }
    if (j.is_string())
        if (const auto n = ParseCount(j.get<std::string>()))
            return *n;
    Refuse(strWhere, JsonValueText(j), "a whole number is needed");
}

double JsonMHz(const nlohmann::json& j, const std::string& strWhere) {
    if (j.is_number())
        return j.get<double>();
    if (j.is_string())
        if (const auto d = ParseMHz(j.get<std::string>()))
            return *d;
    Refuse(strWhere, JsonValueText(j), "a frequency in MHz is needed");
}

std::string JsonText(const nlohmann::json& j, const std::string& strWhere) {
    if (j.is_string())
        return j.get<std::string>();
    if (j.is_number_integer() || j.is_number_unsigned())
        return std::to_string(j.get<long long>());
    Refuse(strWhere, JsonValueText(j), "a text is needed");
}

const nlohmann::json& JsonObject(const nlohmann::json& j, const std::string& strWhere) {
    if (!j.is_object())
        Refuse(strWhere, JsonValueText(j).substr(0, 40), "an object is needed");
    return j;
}

const nlohmann::json& JsonArray(const nlohmann::json& j, const std::string& strWhere) {
    if (!j.is_array())
        Refuse(strWhere, JsonValueText(j).substr(0, 40), "a list is needed");
    return j;
}

CSettingsEdit ReadJson(std::string_view strSource, const CVariant& v) {
    nlohmann::json root;
    try {
        root = nlohmann::json::parse(strSource.begin(), strSource.end());
    } catch (const nlohmann::json::parse_error& e) {
        throw CRefused{std::string("JSON: ") + e.what()};
    }
    JsonObject(root, "JSON");
    CSettingsEdit edit;
    for (const auto& [strKey, value] : root.items()) {
        if (strKey == "model") {
            if (!value.is_string() || value.get<std::string>() != v.strModel)
                Refuse("model", JsonValueText(value),
                       "the file is for the " + std::string(v.strModel) +
                           " (see --model); settings of another model are not imported");
        } else if (strKey == "featureSwitches") {
            for (const auto& [strName, on] : JsonObject(value, strKey).items()) {
                const std::string strWhere = "featureSwitches." + strName;
                if (!on.is_boolean())
                    Refuse(strWhere, JsonValueText(on), "a switch is true or false");
                edit.switches.push_back({on.get<bool>(), strName, JsonValueText(on)});
            }
        } else if (strKey == "featureSettings") {
            for (const auto& [strName, item] : JsonObject(value, strKey).items()) {
                const std::string strWhere = "featureSettings." + strName;
                edit.settings.push_back({JsonText(item, strWhere), strName, JsonValueText(item)});
            }
        } else if (strKey == "channelCount") {
            edit.channelCount = {JsonInt(value, strKey), strKey, JsonValueText(value)};
        } else if (strKey == "selectedChannel") {
            edit.selectedChannel = {JsonInt(value, strKey), strKey, JsonValueText(value)};
        } else if (strKey == "channels") {
            std::size_t i = 0;
            for (const auto& ch : JsonArray(value, strKey)) {
                CChannelEdit c;
                c.strWhere = "channels[" + std::to_string(i++) + "]";
                JsonObject(ch, c.strWhere);
                if (!ch.contains("channel"))
                    Refuse(c.strWhere, JsonValueText(ch).substr(0, 40),
                           "each channel names its \"channel\" number");
                c.nChannel = JsonInt(ch["channel"], c.strWhere + ".channel");
                for (const auto& [strField, x] : ch.items()) {
                    const std::string strWhere = c.strWhere + "." + strField;
                    if (strField == "channel")
                        continue;
                    if (strField == "freqNumber")
                        c.freqNumber = {JsonInt(x, strWhere), strWhere, JsonValueText(x)};
                    else if (strField == "signal")
                        c.signal = {x.is_string() ? SignalFromText(strWhere, x.get<std::string>())
                                                  : JsonInt(x, strWhere),
                                    strWhere, JsonValueText(x)};
                    else if (strField == "scan")
                        c.scan = {ScanFromText(strWhere, JsonText(x, strWhere)), strWhere,
                                  JsonValueText(x)};
                    else
                        Refuse(strWhere, JsonValueText(x),
                               "a channel has \"freqNumber\", \"signal\" and \"scan\"");
                }
                edit.channels.push_back(std::move(c));
            }
        } else if (strKey == "frequencies") {
            std::size_t i = 0;
            for (const auto& fr : JsonArray(value, strKey)) {
                CFreqEdit f;
                f.strWhere = "frequencies[" + std::to_string(i++) + "]";
                JsonObject(fr, f.strWhere);
                if (!fr.contains("number"))
                    Refuse(f.strWhere, JsonValueText(fr).substr(0, 40),
                           "each frequency names its \"number\"");
                f.nNumber = JsonInt(fr["number"], f.strWhere + ".number");
                for (const auto& [strField, x] : fr.items()) {
                    const std::string strWhere = f.strWhere + "." + strField;
                    if (strField == "rx")
                        f.rx = {JsonMHz(x, strWhere), strWhere, JsonValueText(x)};
                    else if (strField == "tx")
                        f.tx = {JsonMHz(x, strWhere), strWhere, JsonValueText(x)};
                    else if (strField == "nonStandard" && !x.is_boolean())
                        Refuse(strWhere, JsonValueText(x), "true or false");
                    else if (strField != "number" && strField != "nonStandard")
                        Refuse(strWhere, JsonValueText(x),
                               "a frequency has \"rx\" and \"tx\" (\"nonStandard\" follows them)");
                }
                edit.freqs.push_back(std::move(f));
            }
        } else if (strKey == "identity" || strKey == "range" || strKey == "tuneFrequency") {
            // The radio's own: shown, never imported.
        } else {
            Refuse(strKey, JsonValueText(value).substr(0, 40), "not a key of the settings");
        }
    }
    return edit;
}

// --- CSV source ---

std::vector<std::string> CsvCells(std::string_view line) {
    std::vector<std::string> cells;
    std::string cell;
    bool bQuoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (bQuoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                bQuoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            bQuoted = true;
        } else if (c == ',') {
            cells.push_back(cell);
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells.push_back(cell);
    for (std::string& s : cells) {
        const auto b = s.find_first_not_of(" \t");
        const auto e = s.find_last_not_of(" \t");
        s = b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    }
    return cells;
}

constexpr std::string_view kChannelHeader = "channel,frequency number,signal,scan";
constexpr std::string_view kFreqHeader = "number,rx MHz,tx MHz";

CSettingsEdit ReadCsv(std::string_view strSource) {
    CSettingsEdit edit;
    enum class Table { None, Channels, Freqs } table = Table::None;
    std::size_t nLine = 0;
    std::istringstream in{std::string(strSource)};
    for (std::string line; std::getline(in, line);) {
        ++nLine;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (nLine == 1 && line.starts_with("\xEF\xBB\xBF")) // a spreadsheet's byte-order mark
            line.erase(0, 3);
        const std::vector<std::string> cells = CsvCells(line);
        if (std::all_of(cells.begin(), cells.end(), [](const std::string& s) { return s.empty(); }))
            continue;
        const std::string strWhere = "CSV line " + std::to_string(nLine);
        std::string strJoined;
        for (const std::string& s : cells)
            strJoined += (strJoined.empty() ? "" : ",") + s;
        if (strJoined == kChannelHeader) {
            table = Table::Channels;
            continue;
        }
        if (strJoined == kFreqHeader) {
            table = Table::Freqs;
            continue;
        }
        if (table == Table::None)
            Refuse(strWhere, line.substr(0, 40),
                   "a table starts with the header \"" + std::string(kChannelHeader) + "\" or \"" +
                       std::string(kFreqHeader) + "\"");
        const std::size_t nCells = table == Table::Channels ? 4 : 3;
        if (cells.size() != nCells)
            Refuse(strWhere, line.substr(0, 40),
                   "a row of this table has " + std::to_string(nCells) + " cells");
        const auto nFirst = ParseCount(cells[0]);
        if (!nFirst)
            Refuse(strWhere, cells[0], "a whole number is needed");
        if (table == Table::Channels) {
            CChannelEdit c;
            c.nChannel = *nFirst;
            c.strWhere = strWhere + " (channel " + cells[0] + ")";
            const auto nFreq = ParseCount(cells[1]);
            if (!nFreq)
                Refuse(c.strWhere + " frequency number", cells[1], "a whole number is needed");
            c.freqNumber = {*nFreq, c.strWhere + " frequency number", cells[1]};
            c.signal = {SignalFromText(c.strWhere + " signal", cells[2]), c.strWhere + " signal",
                        cells[2]};
            c.scan = {ScanFromText(c.strWhere + " scan", cells[3]), c.strWhere + " scan", cells[3]};
            edit.channels.push_back(std::move(c));
        } else {
            CFreqEdit f;
            f.nNumber = *nFirst;
            f.strWhere = strWhere + " (number " + cells[0] + ")";
            for (int k = 1; k <= 2; ++k) {
                const std::string strField = f.strWhere + (k == 1 ? " rx MHz" : " tx MHz");
                const auto d = ParseMHz(cells[static_cast<std::size_t>(k)]);
                if (!d)
                    Refuse(strField, cells[static_cast<std::size_t>(k)],
                           "a frequency in MHz is needed");
                (k == 1 ? f.rx : f.tx) =
                    CSourced<double>{*d, strField, cells[static_cast<std::size_t>(k)]};
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

    void Switches(const CSettingsEdit& edit) {
        for (const CSourced<bool>& s : edit.switches) {
            const feature::CSwitchDef* pDef = nullptr;
            for (const feature::CSwitchDef& def : feature::kSwitches)
                if (Trimmed(def.strText) == s.strWhere && feature::SwitchField(v, def.nId))
                    pDef = &def;
            const std::string strWhere = "featureSwitches." + s.strWhere;
            if (!pDef)
                Refuse(strWhere, s.strText, "no such switch on the " + std::string(v.strModel));
            const CBitField f = *feature::SwitchField(v, pDef->nId);
            if (field::GetBit(data, f) == s.value)
                continue;
            if (!feature::SwitchStored(v, pDef->nId))
                Refuse(strWhere, s.strText,
                       "the " + std::string(v.strModel) + " shows this switch but never stores it");
            field::SetBit(data, f, s.value);
            ++result.nChanged;
        }
    }

    void Settings(const CSettingsEdit& edit) {
        for (const CSourced<std::string>& s : edit.settings) {
            const std::string strWhere = "featureSettings." + s.strWhere;
            const feature::CListDef* pDef = nullptr;
            for (const feature::CListDef& def : feature::kLists)
                if (WithoutColon(def.strLabel) == s.strWhere)
                    pDef = &def;
            if (!pDef)
                Refuse(strWhere, s.strText, "no such setting");
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
                // A byte the editor does not offer is shown as "(0xNN)": kept when unchanged.
                const std::uint8_t nByte = pDef->kind == feature::ListKind::Bit
                                               ? static_cast<std::uint8_t>(field::GetBit(data, f))
                                               : data[f.nAddr];
                if (s.value == "(0x" + Hex2(nByte) + ")")
                    continue;
                Refuse(strWhere, s.strText, "one of " + strItems);
            }
            const int nCurrent = feature::LoadFeatures(data, v).Index(pDef->nId);
            if (nCurrent == nIndex)
                continue;
            if (pDef->nSwitch != 0 && nIndex != 0) {
                const auto sw = feature::SwitchField(v, pDef->nSwitch);
                if (sw && !field::GetBit(data, *sw))
                    Refuse(strWhere, s.strText,
                           "its switch is off, and a feature switched off keeps no setting");
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

    void Channels(const CSettingsEdit& edit) {
        const int nMax = feature::MaxChannels(v);
        if (edit.channelCount) {
            const int n = edit.channelCount->value;
            if (n < 1 || n > nMax)
                Refuse("channelCount", edit.channelCount->strText,
                       RangeRule("the channel count", 1, nMax));
            if (n != data[v.nChannelCount]) {
                data[v.nChannelCount] = static_cast<std::uint8_t>(n);
                if (data[v.nCurrentChannel] > n)
                    data[v.nCurrentChannel] = static_cast<std::uint8_t>(n);
                ++result.nChanged;
            }
        }
        const int nCount = std::clamp<int>(data[v.nChannelCount], 1, nMax);
        if (edit.selectedChannel) {
            const int n = edit.selectedChannel->value;
            if (n < 0 || n > nCount)
                Refuse("selectedChannel", edit.selectedChannel->strText,
                       RangeRule("the selected channel", 0, nCount) + " (the channels in use)");
            if (n != data[v.nCurrentChannel]) {
                data[v.nCurrentChannel] = static_cast<std::uint8_t>(n);
                ++result.nChanged;
            }
        }
        const int nFreqs = v.freqTable.nCount;
        for (const CChannelEdit& c : edit.channels) {
            if (c.nChannel < 1 || c.nChannel > nCount)
                Refuse(c.strWhere + ".channel", std::to_string(c.nChannel),
                       RangeRule("a channel", 1, nCount) + " (the channels in use)");
            field::CChannelRecord rec = field::GetChannel(data, v, c.nChannel);
            const field::CChannelRecord old = rec;
            if (c.freqNumber) {
                if (c.freqNumber->value < 1 || c.freqNumber->value > nFreqs)
                    Refuse(c.freqNumber->strWhere, c.freqNumber->strText,
                           RangeRule("a frequency number", 1, nFreqs));
                rec.nFreqNumber = static_cast<std::uint8_t>(c.freqNumber->value);
            }
            if (c.signal) {
                if (c.signal->value < 0 || c.signal->value > field::kMaxSignalCode)
                    Refuse(c.signal->strWhere, c.signal->strText,
                           "a signal is \"OFF\" or a code from 1 to " +
                               std::to_string(field::kMaxSignalCode));
                rec.nSignalCode = static_cast<std::uint8_t>(c.signal->value);
            }
            if (c.scan)
                rec.bScanAdd = c.scan->value;
            if (rec.nFreqNumber != old.nFreqNumber || rec.nSignalCode != old.nSignalCode ||
                rec.bScanAdd != old.bScanAdd) {
                field::SetChannel(data, v, c.nChannel, rec);
                ++result.nChanged;
            }
        }
    }

    // One column of a frequency record, as the frequency table's editor commits it.
    void Frequency(int n, bool bRx, const CSourced<double>& s, double dOther) {
        field::CFreqRecord rec = field::GetFreqRecord(data, v, n);
        const double dOld = bRx ? rec.RxMHz() : rec.TxMHz();
        if (FormatFrequency(dOld) == FormatFrequency(s.value))
            return; // unchanged: its bytes stay as they are
        double dValue = s.value;
        field::CommitFreqColumn(rec, n, bRx, dValue, dOther);
        field::SetFreqRecord(data, v, n, rec);
        ++result.nChanged;
        if (FormatFrequency(dValue) != FormatFrequency(s.value))
            result.notes.push_back(s.strWhere + ": " + s.strText + " stored as " +
                                   FormatFrequency(dValue) +
                                   " (limited to the working range and put on the raster)");
    }

    void Frequencies(const CSettingsEdit& edit) {
        const int nFreqs = v.freqTable.nCount;
        for (const CFreqEdit& f : edit.freqs) {
            if (f.nNumber < 1 || f.nNumber > nFreqs)
                Refuse(f.strWhere + ".number", std::to_string(f.nNumber),
                       RangeRule("a frequency number", 1, nFreqs));
            if (f.rx)
                Frequency(f.nNumber, true, *f.rx, field::GetFreqRecord(data, v, f.nNumber).TxMHz());
            if (f.tx)
                Frequency(f.nNumber, false, *f.tx,
                          field::GetFreqRecord(data, v, f.nNumber).RxMHz());
        }
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
    for (const auto& [n, rec] : l.channels)
        channels.push_back({{"channel", n},
                            {"freqNumber", int{rec.nFreqNumber}},
                            {"signal", channel::CellText(rec, channel::kColSignal)},
                            {"scan", channel::CellText(rec, channel::kColScan)}});
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
    std::string out = std::string(kChannelHeader) + "\n";
    for (const auto& [n, rec] : l.channels)
        out += std::to_string(n) + "," + std::to_string(rec.nFreqNumber) + "," +
               channel::CellText(rec, channel::kColSignal) + "," +
               channel::CellText(rec, channel::kColScan) + "\n";
    out += "\n" + std::string(kFreqHeader) + "\n";
    for (const CFreqEntry& e : l.freqs)
        out += std::to_string(e.nNumber) + "," + FormatFrequency(e.dRx) + "," +
               FormatFrequency(e.dTx) + "\n";
    return out;
}

CImportResult ImportSettings(CWR7310Doc& doc, std::string_view strSource, ImportFormat format) {
    CImportResult result;
    const CVariant& v = doc.m_variant;
    std::vector<std::uint8_t> data(doc.Data().begin(), doc.Data().end());
    const std::vector<std::uint8_t> before = data;
    try {
        const CSettingsEdit edit =
            format == ImportFormat::Json ? ReadJson(strSource, v) : ReadCsv(strSource);
        // Frequencies are limited to the working range the document's range bytes give, as
        // the editor does once it shows them.
        CWR7310App& app = doc.m_app;
        app.TakeRangeFromImage(data.data() + v.rangeBytes.nStart);
        CApplier applier{v, data, result};
        applier.Switches(edit);
        applier.Settings(edit);
        applier.Gates(before);
        applier.Channels(edit);
        applier.Frequencies(edit);
    } catch (const CRefused& e) {
        result.strError = e.strText;
        result.notes.clear();
        result.nChanged = 0;
        return result;
    }
    std::copy(data.begin(), data.end(), doc.Data().begin());
    result.bOk = true;
    return result;
}

} // namespace exchange
