// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSupport.h"

#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "base/Messages.h"
#include "base/Platform.h"
#include "base/ProfileFile.h"
#include "base/RadioFile.h"
#include "cli/Commands.h"
#include "link/RadioComm.h"
#include "transfer/Interrupt.h"
#include "variants/Variant.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// Standard input and output carry radio files byte for byte.
void SetBinary(std::FILE* pFile) {
#if defined(_WIN32)
    _setmode(_fileno(pFile), _O_BINARY);
#else
    (void)pFile;
#endif
}

// What has been read of standard input ahead of the command (to tell the model) and not yet
// taken by it.
std::vector<std::uint8_t>& StdinAhead() {
    static std::vector<std::uint8_t> bytes;
    return bytes;
}

// Appends up to nMax bytes of standard input to bytes.
void ReadMoreStdin(std::vector<std::uint8_t>& bytes, std::size_t nMax) {
    SetBinary(stdin);
    const std::size_t nStart = bytes.size();
    bytes.resize(nStart + nMax);
    std::size_t nDone = 0;
    while (nDone < nMax) {
        const std::size_t n = std::fread(bytes.data() + nStart + nDone, 1, nMax - nDone, stdin);
        if (n == 0)
            break;
        nDone += n;
    }
    bytes.resize(nStart + nDone);
}

// The first nMax bytes of standard input, kept for the command that reads it.
std::span<const std::uint8_t> PeekStdin(std::size_t nMax) {
    std::vector<std::uint8_t>& ahead = StdinAhead();
    if (ahead.size() < nMax)
        ReadMoreStdin(ahead, nMax - ahead.size());
    return std::span<const std::uint8_t>(ahead).first(std::min(nMax, ahead.size()));
}

// Up to nMax bytes of standard input: what was read ahead first.
std::vector<std::uint8_t> ReadStdin(std::size_t nMax) {
    std::vector<std::uint8_t>& ahead = StdinAhead();
    const std::size_t nTaken = std::min(nMax, ahead.size());
    std::vector<std::uint8_t> bytes(ahead.begin(), ahead.begin() + static_cast<long>(nTaken));
    ahead.erase(ahead.begin(), ahead.begin() + static_cast<long>(nTaken));
    ReadMoreStdin(bytes, nMax - nTaken);
    return bytes;
}

bool WriteStream(std::FILE* pFile, std::span<const std::uint8_t> bytes) {
    SetBinary(pFile);
    return std::fwrite(bytes.data(), 1, bytes.size(), pFile) == bytes.size() &&
           std::fflush(pFile) == 0;
}

bool WriteStdout(std::span<const std::uint8_t> bytes) {
    std::cout.flush();
    const bool bOk = WriteStream(stdout, bytes);
    if (!bOk)
        Complain() << "Cannot write standard output: " << std::strerror(errno) << '\n';
    return bOk;
}

// Writes to one of the process's own streams by its name, as it stands: no temporary file.
// 0 or the errno.
int WriteStreamPath(const std::string& strPath, std::span<const std::uint8_t> bytes) {
    if (strPath == "/dev/stdout")
        return WriteStream(stdout, bytes) ? 0 : (errno ? errno : EIO);
    std::FILE* pFile = std::fopen(strPath.c_str(), "wb");
    if (!pFile)
        return errno;
    bool bOk = WriteStream(pFile, bytes);
    int nErr = bOk ? 0 : errno;
    if (std::fclose(pFile) != 0 && bOk)
        nErr = errno;
    return nErr;
}

// The head of a radio file argument: the signature field's bytes, and the file's size when
// it is known to be no longer than nLimit.
bool ReadHead(const std::string& strPath, std::size_t nLimit, std::vector<std::uint8_t>& head,
              std::optional<std::size_t>& nSize) {
    if (strPath == kStdStream) {
        const auto ahead = PeekStdin(nLimit + 1);
        head.assign(ahead.begin(), ahead.end());
    } else {
        const CFileReadResult r = ReadFilePrefix(strPath, nLimit + 1, head);
        if (r.status == CFileReadResult::Status::Failed)
            return false;
    }
    if (head.size() <= nLimit)
        nSize = head.size();
    return true;
}

} // namespace

const CVariant* VariantOfArgument(const std::string& strPath) {
    std::vector<std::uint8_t> head;
    std::optional<std::size_t> nSize;
    if (!ReadHead(strPath, XtraVariant().FileSize(), head, nSize))
        return nullptr;
    return VariantOfFile(head, nSize);
}

std::string NotARadioFileReason(const std::string& strPath) {
    // A pipe or device is read once: what it holds is judged when it is opened.
    std::error_code ec;
    if (strPath != kStdStream &&
        !std::filesystem::is_regular_file(platform::PathFromUtf8(strPath), ec))
        return {};
    std::vector<std::uint8_t> head;
    std::optional<std::size_t> nSize;
    if (!ReadHead(strPath, XtraVariant().FileSize(), head, nSize))
        return {}; // opening it says why
    const std::string strName = (strPath == kStdStream ? "standard input" : strPath) + ": It";
    const std::string strHint = "; 'wr7310 import' makes a radio file of it (--force writes it "
                                "as it is)";
    std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3); // a byte order mark
    text.remove_prefix(std::min(text.find_first_not_of(" \t\r\n"), text.size()));
    if (text.starts_with("{") || text.starts_with("["))
        return strName + " is JSON, not a radio file" + strHint;
    for (std::string_view strHeader : {"channel,", "number,"})
        if (text.starts_with(strHeader))
            return strName + " is a CSV table, not a radio file" + strHint;
    // A file too short for any radio file is refused as such when it is opened.
    const std::size_t nShortest = std::min(XtraVariant().FileSize(), OldVariant().FileSize());
    if ((!nSize || *nSize >= nShortest) && !VariantOfFile(head, std::nullopt))
        return strName + " has no radio file signature of any model" + strHint;
    return {};
}

bool IsStreamPath(const std::string& strPath) {
#if defined(_WIN32)
    (void)strPath;
    return false;
#else
    return strPath == "/dev/stdout" || strPath == "/dev/stderr" ||
           strPath.starts_with("/dev/fd/") || strPath.starts_with("/proc/self/fd/");
#endif
}

bool OpenRadioFile(CWR7310Doc& doc, const std::string& strPath) {
    if (strPath != kStdStream)
        return doc.OnOpenDocument(strPath);
    if (const CVariant* pMaker = VariantOfArgument(strPath);
        pMaker && pMaker->strModel != doc.m_variant.strModel) {
        doc.m_app.ShowFileError(msg::kCannotOpen, "standard input",
                                FormatText(msg::kFileOtherModelFmt,
                                           std::string(pMaker->strModel).c_str(),
                                           std::string(doc.m_variant.strModel).c_str()));
        return false;
    }
    const std::vector<std::uint8_t> bytes = ReadStdin(doc.m_variant.FileSize());
    return doc.OnOpenBytes(bytes, "standard input");
}

bool SaveRadioFile(CWR7310Doc& doc, const std::string& strPath) {
    if (strPath == kStdStream)
        return WriteStdout(doc.SaveToBytes());
    if (!IsStreamPath(strPath))
        return doc.OnSaveDocument(strPath);
    if (const int nErr = WriteStreamPath(strPath, doc.SaveToBytes()); nErr != 0) {
        Complain() << strPath << ": Cannot write: " << std::strerror(nErr) << '\n';
        return false;
    }
    return true;
}

bool ReadSource(const std::string& strPath, std::size_t nMax, std::string& strText) {
    // One byte more than is taken tells a source that holds too much.
    std::vector<std::uint8_t> bytes;
    if (strPath == kStdStream) {
        bytes = ReadStdin(nMax + 1);
    } else {
        const CFileReadResult r = ReadFilePrefix(strPath, nMax + 1, bytes);
        if (r.status == CFileReadResult::Status::Failed) {
            Complain() << strPath << ": Cannot open: " << std::strerror(r.nErrno) << '\n';
            return false;
        }
    }
    if (bytes.size() > nMax) {
        Complain() << (strPath == kStdStream ? "standard input" : strPath) << ": Holds more than "
                   << nMax << " bytes; at most " << nMax << " bytes are taken. Nothing was done.\n";
        return false;
    }
    strText.assign(bytes.begin(), bytes.end());
    return true;
}

bool WriteText(const std::string& strPath, const std::string& strText) {
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(strText.data()),
                                              strText.size());
    if (strPath == kStdStream)
        return WriteStdout(bytes);
    const int nErr = IsStreamPath(strPath) ? WriteStreamPath(strPath, bytes)
                                           : WriteFileReplacing(strPath, bytes);
    if (nErr != 0) {
        Complain() << strPath << ": Cannot write: " << std::strerror(nErr) << '\n';
        return false;
    }
    return true;
}

void AttachTrace(CRadioComm& comm, const CCliOptions& options, std::string strPrefix) {
    if (!options.bTrace)
        return;
    comm.SetTrace(
        [strPrefix = std::move(strPrefix)](bool bSent, std::span<const std::uint8_t> bytes) {
            // One write a line: radios traced from several threads do not split each other's.
            std::cerr << (strPrefix + (bSent ? "> " : "< ") + HexBytes(bytes) + '\n');
        });
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    char pair[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        if (!text.empty())
            text += ' ';
        text += pair;
    }
    return text;
}

std::string PrintableText(std::string_view str) {
    std::string text;
    char escape[8];
    for (char c : str) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\') {
            text += c;
        } else {
            std::snprintf(escape, sizeof escape, "\\x%02X", u);
            text += escape;
        }
    }
    return text;
}

std::vector<std::string> ConnectionTroubleLines(const CRadioComm& comm) {
    std::vector<std::string> lines;
    if (std::string strReason = comm.DeviceFailureReason(); !strReason.empty())
        lines.push_back(std::move(strReason));
    for (std::string& strHint : comm.PermissionHints())
        lines.push_back(std::move(strHint));
    return lines;
}

void PrintPermissionHints(const CRadioComm& comm) {
    for (const std::string& strLine : ConnectionTroubleLines(comm))
        Complain() << strLine << '\n';
}

bool ConnectRadio(CRadioComm& comm, const CCliContext& ctx) {
    AttachTrace(comm, ctx.options);
    if (comm.Connect() == 0) {
        PrintPermissionHints(comm);
        return false;
    }
    if (!comm.CheckFirmwareVersion()) {
        comm.Close();
        return false;
    }
    return true;
}

bool CheckSettingsFile(const std::string& strIniFile, const CCliOptions& options) {
    std::error_code ec;
    if (!options.strIniFile.empty() && !std::filesystem::exists(options.strIniFile, ec)) {
        Complain() << options.strIniFile << ": Settings file does not exist\n";
        return false;
    }
    std::string strProblem = profile::FileProblem(strIniFile);
    if (!strProblem.empty()) {
        // "FILE is a folder": the file first, as every file error names it.
        if (strProblem.starts_with(strIniFile + " "))
            strProblem.erase(0, strIniFile.size() + 1);
        Complain() << strIniFile << ": Settings file " << strProblem << '\n';
        return false;
    }
    return true;
}

bool IsComNumber(const std::string& strPort) {
    return !strPort.empty() && strPort.find_first_not_of("0123456789") == std::string::npos;
}

bool CheckPortOption(const std::string& strPort) {
    if (!IsComNumber(strPort))
        return true;
    if (strPort.size() > 2 || std::stoi(strPort) > radio::kMaxComPort) {
        Complain() << "--port \"" << strPort << "\": COM ports are numbered 0 to "
                   << radio::kMaxComPort << " (or name a device path)\n";
        return false;
    }
    return true;
}

int FinishCommand(int nStatus) {
    std::cout.flush();
    errno = 0;
    const bool bFlushed = std::fflush(stdout) == 0;
    const int nErr = errno;
    if (!bFlushed || std::ferror(stdout) || !std::cout) {
        Complain() << "Cannot write standard output"
                   << (nErr != 0 ? std::string(": ") + std::strerror(nErr) : std::string()) << '\n';
        // 2, as diff and cmp report trouble: 1 would read as "the images differ".
        if (nStatus < 2)
            nStatus = 2;
    }
    return InterruptExitStatus(nStatus);
}

void ApplyPortOption(CWR7310App& app, const std::string& strPort) {
    if (strPort.empty())
        app.m_nComPort = app.GetSettingInt("COM PORT", "ComPort", 1);
    else if (IsComNumber(strPort))
        app.m_nComPort = std::stoi(strPort);
    else
        app.m_strPortDevice = strPort;
}

void SetWorkingRangeFromImage(CWR7310App& app, std::span<const std::uint8_t> image) {
    app.TakeRangeFromImage(image.data() + app.m_variant.rangeBytes.nStart);
}

bool PrepareWrite(CWR7310App& app, const std::string& strFile) {
    CWR7310Doc doc(app);
    if (!OpenRadioFile(doc, strFile))
        return false;
    SetWorkingRangeFromImage(app, app.Image());
    field::SetBit(doc.Data(), app.m_variant.keyTuneSwitch, false);
    doc.SyncDocToImage();
    return true;
}

std::string SentenceCase(std::string str) {
    if (!str.empty())
        str[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(str[0])));
    return str;
}

namespace {
std::string& CommandName() {
    static std::string strCommand;
    return strCommand;
}
} // namespace

void SetCommandName(std::string strCommand) {
    CommandName() = std::move(strCommand);
}

std::ostream& Complain() {
    const std::string& strCommand = CommandName();
    return std::cerr << "wr7310" << (strCommand.empty() ? "" : " ") << strCommand << ": ";
}

void CToolNotifier::ShowMessage(std::string_view strText, std::string_view /*strCaption*/,
                                MsgIcon icon) {
    // A report ("Read successfully!") stands alone; a problem says who has it.
    if (icon == MsgIcon::Information)
        std::cerr << strText << '\n';
    else
        Complain() << strText << '\n';
}

int UsageError(const char* pszCommand, const std::string& strProblem) {
    SetCommandName(pszCommand);
    Complain() << SentenceCase(strProblem) << "; 'wr7310 " << pszCommand
               << " --help' describes it\n";
    return kExitUsage;
}

void SetupNone(CLI::App& /*cmd*/, CCliArgs& /*args*/) {}

std::string DiffLine(std::size_t nAddr, std::uint8_t nBefore, std::uint8_t nAfter) {
    char sz[32];
    std::snprintf(sz, sizeof sz, "$%04X:0x%02X -> 0x%02X\n", static_cast<unsigned>(nAddr), nBefore,
                  nAfter);
    return sz;
}

void AddOutputOption(CLI::App& cmd, CCliArgs& args, const std::string& strDescription) {
    cmd.add_option("-o,--output", args.strOut, strDescription)->type_name("FILE");
}

void AddFileArguments(CLI::App& cmd, CCliArgs& args, const std::string& strName,
                      const std::string& strDescription) {
    cmd.add_option(strName, args.positionals, strDescription);
}
