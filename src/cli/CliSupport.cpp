#include "cli/CliSupport.h"

#include "app/ProfileFile.h"
#include "app/WR7310App.h"
#include "cli/Commands.h"
#include "image/RadioFile.h"
#include "image/WR7310Doc.h"
#include "link/RadioComm.h"
#include "transfer/Interrupt.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

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

// Up to nMax bytes of standard input.
std::vector<std::uint8_t> ReadStdin(std::size_t nMax) {
    SetBinary(stdin);
    std::vector<std::uint8_t> bytes(nMax);
    std::size_t nDone = 0;
    while (nDone < nMax) {
        const std::size_t n = std::fread(bytes.data() + nDone, 1, nMax - nDone, stdin);
        if (n == 0)
            break;
        nDone += n;
    }
    bytes.resize(nDone);
    return bytes;
}

bool WriteStdout(std::span<const std::uint8_t> bytes) {
    SetBinary(stdout);
    std::cout.flush();
    const bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                     std::fflush(stdout) == 0;
    if (!bOk)
        std::cerr << "wr7310: cannot write to standard output: " << std::strerror(errno) << '\n';
    return bOk;
}

} // namespace

bool OpenRadioFile(CWR7310Doc& doc, const std::string& strPath) {
    if (strPath != kStdStream)
        return doc.OnOpenDocument(strPath);
    const std::vector<std::uint8_t> bytes = ReadStdin(doc.m_variant.FileSize());
    return doc.OnOpenBytes(bytes, "standard input");
}

bool SaveRadioFile(CWR7310Doc& doc, const std::string& strPath) {
    if (strPath != kStdStream)
        return doc.OnSaveDocument(strPath);
    return WriteStdout(doc.SaveToBytes());
}

bool ReadSource(const std::string& strPath, std::size_t nMax, std::string& strText) {
    // One byte more than is taken tells a source that holds too much.
    std::vector<std::uint8_t> bytes;
    if (strPath == kStdStream) {
        bytes = ReadStdin(nMax + 1);
    } else {
        const CFileReadResult r = ReadFilePrefix(strPath, nMax + 1, bytes);
        if (r.status == CFileReadResult::Status::Failed) {
            std::cerr << "wr7310: cannot open " << strPath << ": " << std::strerror(r.nErrno)
                      << '\n';
            return false;
        }
    }
    if (bytes.size() > nMax) {
        std::cerr << "wr7310: " << (strPath == kStdStream ? "standard input" : strPath)
                  << " holds more than " << nMax << " bytes; at most " << nMax
                  << " bytes are taken. Nothing was done.\n";
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
    if (const int nErr = WriteFileReplacing(strPath, bytes); nErr != 0) {
        std::cerr << "wr7310: cannot write " << strPath << ": " << std::strerror(nErr) << '\n';
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
        std::cerr << strLine << '\n';
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
        std::cerr << "wr7310: settings file " << options.strIniFile << " does not exist\n";
        return false;
    }
    const std::string strProblem = profile::FileProblem(strIniFile);
    if (!strProblem.empty()) {
        std::cerr << "wr7310: settings file " << strProblem << '\n';
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
        std::cerr << "wr7310: --port " << strPort << ": COM ports are numbered 0 to "
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
        std::cerr << "wr7310: cannot write standard output"
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

int UsageError(const char* pszCommand, const std::string& strProblem) {
    std::cerr << "wr7310 " << pszCommand << ": " << strProblem << "; 'wr7310 " << pszCommand
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
