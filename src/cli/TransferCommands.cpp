// Commands that talk to the radio: whole-image read and write, the radio information, the
// tune data and the embedded information. They run the same transfer engine and document code
// as the desktop; messages go to standard error through the application's notifier, data to
// standard output.
#include "app/Messages.h"
#include "app/Progress.h"
#include "app/WR7310App.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/TerminalProgress.h"
#include "image/FreqCodec.h"
#include "image/ImageFields.h"
#include "image/RadioFile.h"
#include "image/RadioInfo.h"
#include "image/WR7310Doc.h"
#include "transfer/Backup.h"
#include "transfer/ImageTransfer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int Usage(const char* pszUsage) {
    std::cerr << "usage: wr7310 [OPTIONS] " << pszUsage << '\n';
    return kExitUsage;
}

// After a failed connection (Connect leaves the current port at 0), name the ports that exist
// but could not be opened for lack of permission, and the group that would grant access.
void ReportConnectionTrouble(const CWR7310App& app, const CRadioComm& comm) {
    if (app.m_nComPort != 0)
        return;
    for (const std::string& strHint : comm.PermissionHints())
        std::cerr << strHint << '\n';
}

// "-o FILE" among the arguments: the file, std::nullopt when absent; false when malformed.
bool ParseOutputOption(const std::vector<std::string>& args, std::optional<std::string>& strOut) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size() && !strOut) {
            strOut = args[++i];
            continue;
        }
        return false;
    }
    return true;
}

void SetWorkingRangeFromImage(CWR7310App& app, std::span<const std::uint8_t> image) {
    // As the view does whenever it shows an image: the working range follows the range bytes.
    app.TakeRangeFromImage(image.data() + app.m_variant.rangeBytes.nStart);
}

// A whole-image transfer with a progress bar; the final message goes through the notifier.
bool RunImageTransfer(CCliContext& ctx, TransferMode mode) {
    CImageTransfer transfer(ctx.app, mode);
    AttachTrace(transfer.m_comm, ctx.options);
    CTerminalProgress progress;
    progress.Begin(mode == TransferMode::Read ? msg::kReadCaption : msg::kWriteCaption, 100);
    StartResult start = StartResult::Started;
    const bool bOk = RunTransfer(
        transfer,
        [&](TransferMsg m, long lParam) {
            if (!IsFinalMessage(m)) {
                progress.SetProgress(static_cast<int>(lParam));
                return;
            }
            progress.End();
            ctx.app.ShowMessage(CImageTransfer::MessageText(m, lParam), {},
                                IsSuccessMessage(m) ? MsgIcon::Information : MsgIcon::Error);
        },
        &start);
    progress.End();
    if (start == StartResult::NoRadio)
        ReportConnectionTrouble(ctx.app, transfer.m_comm);
    return bOk;
}

// Reads the whole image and keeps a backup of it unless --no-backup.
bool ReadImage(CCliContext& ctx) {
    if (!RunImageTransfer(ctx, TransferMode::Read))
        return false;
    SetWorkingRangeFromImage(ctx.app, ctx.app.Image());
    if (!ctx.options.bNoBackup) {
        const CBackupResult backup = SaveBackup(ctx.app.m_variant, ctx.app.Image());
        if (backup.Ok())
            std::cerr << "Backup: " << backup.strPath << '\n';
        else
            std::cerr << "wr7310: warning: no backup kept: " << backup.strError << '\n';
    }
    return true;
}

int CmdRead(CCliContext& ctx, const std::vector<std::string>& args) {
    std::optional<std::string> strOut;
    if (!ParseOutputOption(args, strOut) || !strOut)
        return Usage("read -o FILE");
    if (!ReadImage(ctx))
        return kExitFailed;
    CWR7310Doc doc(ctx.app);
    doc.SyncImageToDoc();
    if (!doc.OnSaveDocument(*strOut))
        return kExitFailed; // the document has said why
    return kExitOk;
}

int CmdWrite(CCliContext& ctx, const std::vector<std::string>& args) {
    if (args.size() != 1)
        return Usage("write FILE");
    CWR7310Doc doc(ctx.app);
    if (!doc.OnOpenDocument(args[0]))
        return kExitFailed; // the document has said why
    SetWorkingRangeFromImage(ctx.app, ctx.app.Image());
    // The form clears the key tune switch whenever it stores its controls, so a whole-image
    // write never opens the radio's tune mode; the tune commands alone set it.
    field::SetBit(doc.Data(), ctx.app.m_variant.keyTuneSwitch, false);
    doc.SyncDocToImage();
    return RunImageTransfer(ctx, TransferMode::Write) ? kExitOk : kExitFailed;
}

int CmdInfo(CCliContext& ctx, const std::vector<std::string>& args) {
    if (!args.empty())
        return Usage("info");
    if (!ReadImage(ctx))
        return kExitFailed;
    const CRadioInfoTexts t = RadioInfoTexts(ctx.app, ctx.app.Image());
    std::printf("Frequency Range:   %s\n", t.strRange.c_str());
    std::printf("Model:             %s\n", PrintableText(t.strModel).c_str());
    std::printf("Serial:            %s\n", PrintableText(t.strSerial).c_str());
    std::printf("Verion:            %s\n", PrintableText(t.strVersion).c_str());
    std::printf("Local Oscillator:  %s\n", t.strOscillator.c_str());
    return kExitOk;
}

// The tune data as the tune screen shows it.
void PrintTuneInfo(const CWR7310Doc& doc) {
    const CVariant& v = doc.m_variant;
    const auto data = doc.Data();
    const double dTune = field::GetTuneFrequency(data, v);
    const std::string strVersion = PrintableText(field::GetText(data, v.firmwareVersion, 16));
    std::printf("Model:                %s\n",
                PrintableText(field::GetText(data, v.modelName, 16)).c_str());
    std::printf("Frequency range:      %.5f - %.5fMHz\n", field::GetRangeLimit(data, v, true),
                field::GetRangeLimit(data, v, false));
    std::printf("Firmware version:     %s%s\n", strVersion.empty() ? "" : "V", strVersion.c_str());
    std::printf("%-22s%.5f\n", std::string(v.strTuneFreqLabel).c_str(), dTune);
    std::printf("Key Tune Switch:      %s\n",
                field::GetBit(data, v.keyTuneSwitch) ? "Open" : "Close");
}

// Reads the tune information into the document; the working range then follows the radio's
// range bytes, as it does after a whole-image read.
bool ReadTune(CCliContext& ctx, CWR7310Doc& doc) {
    if (doc.ReadTuneInfo() != 1) {
        ReportConnectionTrouble(ctx.app, doc.m_comm);
        return false;
    }
    SetWorkingRangeFromImage(ctx.app, doc.Data());
    return true;
}

// The tune edit's rules: first the radio's range bytes (with their two messages), then the
// working range and the raster through the encoder.
double ApplyTuneRangeRules(CWR7310App& app, const CWR7310Doc& doc, double dValue) {
    const double dLow = field::GetRangeLimit(doc.Data(), app.m_variant, true);
    const double dHigh = field::GetRangeLimit(doc.Data(), app.m_variant, false);
    if (dValue < dLow) {
        app.ShowMessage(msg::kTuneBelowRange, {}, MsgIcon::Exclamation);
        dValue = dLow;
    }
    if (dValue > dHigh) {
        app.ShowMessage(msg::kTuneAboveRange, {}, MsgIcon::Exclamation);
        dValue = dHigh;
    }
    return dValue;
}

int CmdTune(CCliContext& ctx, const std::vector<std::string>& args) {
    const char* const pszUsage = "tune read | tune switch open|close | tune frequency MHZ";
    if (args.empty())
        return Usage(pszUsage);
    CWR7310Doc doc(ctx.app);
    AttachTrace(doc.m_comm, ctx.options);
    const std::string& strSub = args[0];
    if (strSub == "read" && args.size() == 1) {
        if (!ReadTune(ctx, doc))
            return kExitFailed;
        ctx.app.ShowMessage(msg::kCompleteReading, msg::kReadCaption, MsgIcon::Information);
        PrintTuneInfo(doc);
        return kExitOk;
    }
    if (strSub == "switch" && args.size() == 2 && (args[1] == "open" || args[1] == "close")) {
        if (doc.WriteTuneSwitch(args[1] == "open") != 1) {
            ReportConnectionTrouble(ctx.app, doc.m_comm);
            return kExitFailed;
        }
        ctx.app.ShowMessage(msg::kCompleteWriting, msg::kWriteCaption, MsgIcon::Information);
        return kExitOk;
    }
    if (strSub == "frequency" && args.size() == 2) {
        char* pEnd = nullptr;
        double dValue = std::strtod(args[1].c_str(), &pEnd);
        // "nan", "inf" and numbers beyond a double are no frequency either.
        if (pEnd == args[1].c_str() || *pEnd != '\0' || !std::isfinite(dValue)) {
            std::cerr << "wr7310: '" << args[1] << "' is not a frequency in MHz\n";
            return kExitUsage;
        }
        if (!ReadTune(ctx, doc))
            return kExitFailed;
        dValue = ApplyTuneRangeRules(ctx.app, doc, dValue);
        const CVariant& v = ctx.app.m_variant;
        auto data = doc.Data();
        const std::uint16_t t = v.tuneFrequency.nStart;
        EncodeFrequency(dValue, data[t + 2], data[t + 1], data[t], data[t + 3]);
        field::SetBit(data, v.keyTuneSwitch, false);
        std::cerr << "Tune frequency: " << FormatFrequency(dValue) << " MHz\n";
        if (doc.WriteTuneFrequency() != 1) {
            ReportConnectionTrouble(ctx.app, doc.m_comm);
            return kExitFailed;
        }
        ctx.app.ShowMessage(msg::kCompleteWriting, msg::kWriteCaption, MsgIcon::Information);
        return kExitOk;
    }
    return Usage(pszUsage);
}

int CmdEmbedded(CCliContext& ctx, const std::vector<std::string>& args) {
    const char* const pszUsage = "embedded read [-o TEXTFILE] | embedded write TEXTFILE";
    if (args.empty())
        return Usage(pszUsage);
    CWR7310Doc doc(ctx.app);
    AttachTrace(doc.m_comm, ctx.options);
    const CAddrRange area = ctx.app.m_variant.embeddedInfo;
    CTerminalProgress progress;
    if (args[0] == "read") {
        std::optional<std::string> strOut;
        if (!ParseOutputOption({args.begin() + 1, args.end()}, strOut))
            return Usage(pszUsage);
        if (doc.ReadEmbeddedInfo(progress) != 1) {
            ReportConnectionTrouble(ctx.app, doc.m_comm);
            return kExitFailed;
        }
        ctx.app.ShowMessage(msg::kCompleteReading, msg::kReadShortCaption, MsgIcon::Information);
        const std::string strText = field::GetText(doc.Data(), area, area.nLength);
        if (!strOut) {
            std::cout << strText;
            if (!strText.empty() && strText.back() != '\n')
                std::cout << '\n';
            return kExitOk;
        }
        std::ofstream out(*strOut, std::ios::binary | std::ios::trunc);
        out << strText;
        out.close();
        if (!out) {
            std::cerr << "wr7310: cannot write " << *strOut << '\n';
            return kExitFailed;
        }
        return kExitOk;
    }
    if (args[0] == "write" && args.size() == 2) {
        // One byte more than fits is enough to refuse a text, and a device or pipe that
        // never ends is not read to its (missing) end.
        std::vector<std::uint8_t> bytes;
        const CFileReadResult read = ReadFilePrefix(args[1], area.nLength + 1u, bytes);
        if (read.status == CFileReadResult::Status::Failed) {
            std::cerr << "wr7310: cannot open " << args[1] << ": " << std::strerror(read.nErrno)
                      << '\n';
            return kExitFailed;
        }
        if (read.status == CFileReadResult::Status::Ok) {
            std::cerr << "wr7310: " << args[1] << " holds more than " << area.nLength
                      << " bytes; the embedded information takes at most " << area.nLength
                      << " bytes. Nothing was written.\n";
            return kExitFailed;
        }
        const std::string strText(bytes.begin(), bytes.end());
        field::SetText(doc.Data(), area, strText);
        if (doc.WriteEmbeddedInfo(progress) != 1) {
            ReportConnectionTrouble(ctx.app, doc.m_comm);
            return kExitFailed;
        }
        ctx.app.ShowMessage(msg::kCompleteWriting, msg::kWriteShortCaption, MsgIcon::Information);
        return kExitOk;
    }
    return Usage(pszUsage);
}

const CCliCommand kCommands[] = {
    {"read", "read -o FILE", "read the whole radio into a radio file",
     "Connects to the radio, reads its whole memory and saves it as a radio file. A failed\n"
     "read writes no file. Unless --no-backup is given, a timestamped copy is also kept in\n"
     "$XDG_DATA_HOME/wr7310/backups (default ~/.local/share/wr7310/backups).\n",
     CmdRead},
    {"write", "write FILE", "write a radio file to the radio",
     "Opens the radio file, takes the working frequency range from its range bytes, checks it\n"
     "against the radio's range and writes the image (the radio's identity and service areas\n"
     "are never written).\n",
     CmdWrite},
    {"info", "info", "read the radio and show its information",
     "Reads the whole radio and prints the frequency range, model, serial number, firmware\n"
     "version and local oscillator. The image read is backed up as by 'read'.\n",
     CmdInfo},
    {"tune", "tune read|switch open|close|frequency MHZ", "tune mode data of the radio",
     "tune read              print the model, range, firmware version, tune frequency and the\n"
     "                       key tune switch read from the radio\n"
     "tune switch open|close set or clear the radio's key tune switch\n"
     "tune frequency MHZ     write the tune frequency; a value outside the radio's range is\n"
     "                       raised or lowered to its limit, and the key tune switch is closed\n",
     CmdTune},
    {"embedded", "embedded read [-o TEXTFILE]|write TEXTFILE", "the embedded information text",
     "embedded read [-o TEXTFILE]  print the radio's embedded information (or save it)\n"
     "embedded write TEXTFILE      write the file's bytes, exactly, as the embedded\n"
     "                             information (at most 128 bytes)\n",
     CmdEmbedded},
};

} // namespace

std::span<const CCliCommand> TransferCommands() {
    return kCommands;
}
