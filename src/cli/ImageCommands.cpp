// Commands on radio files: create one, list its bytes, compare two, show their settings.
#include "app/WR7310App.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "image/FreqCodec.h"
#include "image/ImageFields.h"
#include "image/SettingTexts.h"
#include "image/SettingsExchange.h"
#include "image/WR7310Doc.h"
#include "view/ChannelPanel.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kExitDiffer = 1;

int UsageError(const char* pszCommand, const std::string& strProblem) {
    std::cerr << "wr7310 " << pszCommand << ": " << strProblem << "; 'wr7310 " << pszCommand
              << " --help' describes it\n";
    return kExitUsage;
}

std::string Hex2(std::uint8_t b) {
    char sz[4];
    std::snprintf(sz, sizeof sz, "%02X", b);
    return sz;
}

// --- new -o FILE ---

void SetupNew(CLI::App& cmd, CCliArgs& args) {
    AddOutputOption(cmd, args, "the radio file to write ('-': standard output)");
}

int CmdNew(CCliContext& ctx, const CCliArgs& args) {
    if (args.strOut.empty())
        return UsageError("new", "-o FILE is needed");
    CWR7310Doc doc(ctx.app);
    if (!doc.OnNewDocument() || !SaveRadioFile(doc, args.strOut))
        return kExitFailure;
    return kExitOk;
}

// --- dump FILE ---

void SetupFiles(CLI::App& cmd, CCliArgs& args) {
    AddFileArguments(cmd, args);
}

int CmdDump(CCliContext& ctx, const CCliArgs& cliArgs) {
    const std::vector<std::string>& args = cliArgs.positionals;
    if (args.size() != 1)
        return UsageError("dump", "one FILE is needed");
    CWR7310Doc doc(ctx.app);
    if (!OpenRadioFile(doc, args[0]))
        return kExitFailure;
    const auto image = ctx.app.Image();
    std::string strOut = "Addr.";
    char sz[16];
    for (int col = 0; col < 16; ++col) {
        std::snprintf(sz, sizeof sz, " __%01X", col);
        strOut += sz;
    }
    strOut += '\n';
    for (std::size_t row = 0; row * 16 < image.size(); ++row) {
        std::snprintf(sz, sizeof sz, "%03X_ ", static_cast<unsigned>(row));
        strOut += sz;
        for (std::size_t col = 0; col < 16 && row * 16 + col < image.size(); ++col) {
            strOut += ' ';
            strOut += Hex2(image[row * 16 + col]);
        }
        strOut += '\n';
    }
    std::cout << strOut;
    return kExitOk;
}

// --- diff A B ---

int CmdDiff(CCliContext& ctx, const CCliArgs& cliArgs) {
    const std::vector<std::string>& args = cliArgs.positionals;
    if (args.size() != 2)
        return UsageError("diff", "two files are needed");
    if (args[0] == kStdStream && args[1] == kStdStream)
        return UsageError("diff", "standard input can be only one of the two files");
    CWR7310Doc doc(ctx.app);
    if (!OpenRadioFile(doc, args[0]))
        return kExitUsage;
    const std::vector<std::uint8_t> a(ctx.app.Image().begin(), ctx.app.Image().end());
    if (!OpenRadioFile(doc, args[1]))
        return kExitUsage;
    const auto b = ctx.app.Image();
    bool bDiffer = false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i])
            continue;
        bDiffer = true;
        std::cout << DiffLine(i, a[i], b[i]);
    }
    return bDiffer ? kExitDiffer : kExitOk;
}

// --- show FILE [--json] ---

<<<<<<< HEAD
=======
// A value as text, or the raw byte when it is not one the editor offers.
template <std::size_t N>
std::string ItemText(const std::array<std::string_view, N>& items, int nIndex, std::uint8_t nRaw) {
    if (nIndex >= 0 && static_cast<std::size_t>(nIndex) < N)
        return std::string(items[static_cast<std::size_t>(nIndex)]);
    return "(0x" + Hex2(nRaw) + ")";
}

struct CNamedValue {
    std::string strName;
    std::string strValue;
};

struct CSwitchValue {
    std::string strName;
    bool bOn;
};

struct CFreqEntry {
    int nNumber;
    double dRx;
    double dTx;
    bool bStandard; // both frequencies equal the standard frequency of the number
};

// Everything the listing shows, decoded once for both output forms.
struct CSettingsListing {
    std::string strModel;
    std::vector<CSwitchValue> switches;
    std::vector<CNamedValue> settings;
    int nChannelCount = 0;
    int nCurrentChannel = 0;
    std::vector<std::pair<int, field::CChannelRecord>> channels;
    std::vector<CFreqEntry> freqs;
    std::string strModelName;
    std::string strSerial;
    std::string strFirmware;
    double dOscillatorMHz = 0;
    double dRangeLow = 0;
    double dRangeHigh = 0;
    std::optional<double> dTune; // empty: radio files of this model do not carry it
};

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

>>>>>>> old
std::string Fmt(const char* pszFormat, double d) {
    char sz[64];
    std::snprintf(sz, sizeof sz, pszFormat, d);
    return sz;
}

// The channel grid's own texts, so the listing and the desktop form always agree.
std::string SignalText(const field::CChannelRecord& rec) {
    return channel::CellText(rec, channel::kColSignal);
}

std::string ScanText(const field::CChannelRecord& rec) {
    return channel::CellText(rec, channel::kColScan);
}

void PrintText(const exchange::CSettingsListing& l) {
    std::ostringstream out;
    char sz[160];
    out << "Model: " << l.strModel << "\n\nFeature switches:\n";
    for (const exchange::CSwitchValue& s : l.switches) {
        std::snprintf(sz, sizeof sz, "  %-26s %s\n", s.strName.c_str(), s.bOn ? "on" : "off");
        out << sz;
    }
    out << "\nFeature settings:\n";
    for (const exchange::CNamedValue& s : l.settings) {
        std::snprintf(sz, sizeof sz, "  %-26s %s\n", s.strName.c_str(), s.strValue.c_str());
        out << sz;
    }
    out << "\nChannels in use: " << l.nChannelCount << ", selected channel: " << l.nCurrentChannel
        << "\n";
    std::snprintf(sz, sizeof sz, "  %-6s %-8s %-6s %s\n", "CH", "Freq Num", "Signal", "Scan");
    out << sz;
    for (const auto& [n, rec] : l.channels) {
        const std::string strCh = channel::RowHeader(n);
        std::snprintf(sz, sizeof sz, "  %-6s %-8d %-6s %s\n", strCh.c_str(), rec.nFreqNumber,
                      SignalText(rec).c_str(), ScanText(rec).c_str());
        out << sz;
    }
    out << "\nFrequency table (MHz; * marks an entry that is not its standard frequency):\n";
    std::snprintf(sz, sizeof sz, "  %3s  %-10s %s\n", "Num", "RX", "TX");
    out << sz;
    for (const exchange::CFreqEntry& e : l.freqs) {
        std::snprintf(sz, sizeof sz, "  %3d  %-10s %s%s\n", e.nNumber,
                      FormatFrequency(e.dRx).c_str(), FormatFrequency(e.dTx).c_str(),
                      e.bStandard ? "" : " *");
        out << sz;
    }
    out << "\nIdentity:\n"
        << "  Model name:        " << PrintableText(l.strModelName) << "\n"
        << "  Serial number:     " << PrintableText(l.strSerial) << "\n"
        << "  Firmware version:  " << PrintableText(l.strFirmware) << "\n"
        << "  Local oscillator:  " << Fmt("%.2f MHz", l.dOscillatorMHz) << "\n"
        << "\nFrequency range: " << FormatFrequency(l.dRangeLow) << " - "
        << FormatFrequency(l.dRangeHigh) << " MHz\n"
        << "Tune frequency: "
        << (l.dTune ? FormatFrequency(*l.dTune) + " MHz"
                    : "not stored in radio files of this model")
        << "\n";
    std::cout << out.str();
}

void SetupShow(CLI::App& cmd, CCliArgs& args) {
    AddFileArguments(cmd, args);
    cmd.add_flag("--json", args.bJson, "print the settings as one JSON object (as export does)");
}

int CmdShow(CCliContext& ctx, const CCliArgs& args) {
    if (args.positionals.empty())
        return UsageError("show", "FILE is needed");
    if (args.positionals.size() > 1)
        return UsageError("show", "unexpected argument '" + args.positionals[1] + "'");
    CWR7310Doc doc(ctx.app);
    if (!OpenRadioFile(doc, args.positionals[0]))
        return kExitFailure;
    const exchange::CSettingsListing listing = exchange::Decode(doc);
    if (args.bJson)
        std::cout << exchange::JsonText(listing);
    else
        PrintText(listing);
    return kExitOk;
}

const CCliCommand kCommands[] = {
    {"new", "new -o FILE", "save a new radio file with the factory defaults",
     "Creates a radio file holding a new document: the factory defaults, the standard\n"
     "frequencies and the frequency range of the settings file (see --ini). The file is\n"
     "written beside its final name and then renamed, so an existing file is replaced only\n"
     "when the new one is complete.\n",
     SetupNew, CmdNew},
    {"dump", "dump FILE", "print the image of a radio file as a hexadecimal map",
     "Prints the image of a radio file as the EEPROM map shows it: 16 bytes a row, each row\n"
     "labelled with the upper digits of its address (\"07F_\" holds 0x7F0..0x7FF).\n",
     SetupFiles, CmdDump},
    {"diff", "diff A B", "list the image bytes in which two radio files differ",
     "Prints one line per image byte that differs, in address order:\n"
     "  $ADDR:0xAA -> 0xBB   (the value in A, then the value in B)\n"
     "Exit status: 0 when the images are equal, 1 when they differ, 2 on an error.\n",
     SetupFiles, CmdDiff},
    {"show", "show FILE [--json]", "print the settings of a radio file",
     "Prints the decoded settings of a radio file: feature switches and settings, the\n"
     "channel count and selected channel, the channels in use, the frequency table (MHz;\n"
     "entries that are not their standard frequency are marked), the radio's identity, its\n"
     "frequency range and the tune frequency. --json prints the same as one JSON object.\n",
     SetupShow, CmdShow},
};

} // namespace

std::span<const CCliCommand> ImageCommands() {
    return kCommands;
}
