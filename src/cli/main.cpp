// wr7310: the radio programming software's command-line tool.
#include "app/ProfileFile.h"
#include "app/WR7310App.h"
#include "cli/Commands.h"
#include "image/RadioFile.h"
#include "link/RadioComm.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: wr7310 [--model xtra|old] [--ini FILE] [--port N|DEVICE] [--trace] [--no-backup]\n"
    "              COMMAND [ARGS...]\n";

std::vector<const CCliCommand*> AllCommands() {
    std::vector<const CCliCommand*> all;
    for (auto group : {LinkCommands(), ImageCommands(), TransferCommands()})
        for (const CCliCommand& c : group)
            all.push_back(&c);
    return all;
}

void PrintHelp() {
    std::cout << kUsage << "\nOptions:\n"
              << "  --model xtra|old  radio model (default: the model of the first radio file\n"
              << "                    named, by its signature or size, or for a file still to\n"
              << "                    be written by its extension; else xtra, the 2 KiB\n"
              << "                    WR7310SXtra)\n"
              << "  --ini FILE        settings file (default: the program's own)\n"
              << "  --port N|DEVICE   COM port number to try first, or one device path only\n"
              << "  --trace           print every frame sent and received on standard error\n"
              << "  --no-backup       do not keep a timestamped copy of images read\n"
              << "\nCommands:\n";
    for (const CCliCommand* c : AllCommands()) {
        // A usage too long for its column puts the summary on a line of its own.
        if (std::strlen(c->pszUsage) > 28)
            std::printf("  %s\n  %-28s %s\n", c->pszUsage, "", c->pszSummary);
        else
            std::printf("  %-28s %s\n", c->pszUsage, c->pszSummary);
    }
    std::cout << "\n'wr7310 COMMAND --help' describes one command.\n";
}

// --port N starts the port scan at COMn; --port DEVICE uses that device only; without it the
// scan starts at the port remembered in the settings file, as the desktop's does.
// A number that is no COM port is refused (false).
bool ApplyPortOption(CWR7310App& app, const std::string& strPort) {
    if (strPort.empty()) {
        app.m_nComPort = profile::GetInt("COM PORT", "ComPort", 1, app.m_strIniFile);
    } else if (strPort.find_first_not_of("0123456789") == std::string::npos) {
        if (strPort.size() > 2 || std::stoi(strPort) > radio::kMaxComPort) {
            std::cerr << "wr7310: --port " << strPort << ": COM ports are numbered 0 to "
                      << radio::kMaxComPort << " (or name a device path)\n";
            return false;
        }
        app.m_nComPort = std::stoi(strPort);
    } else {
        app.m_strPortDevice = strPort;
    }
    return true;
}

bool EndsWithNoCase(std::string_view str, std::string_view strEnd) {
    if (str.size() < strEnd.size())
        return false;
    return std::equal(strEnd.begin(), strEnd.end(), str.end() - static_cast<long>(strEnd.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

// Without --model the command's radio files name the model: the first existing one by its
// signature or size, else the first name with a model's file extension. nullptr: none tells.
const CVariant* ModelForArguments(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        std::error_code ec;
        if (a.starts_with("-") || !std::filesystem::is_regular_file(a, ec))
            continue;
        std::vector<std::uint8_t> head;
        const std::size_t nSignatureField = XtraVariant().nSignatureFieldSize;
        if (ReadFilePrefix(a, nSignatureField, head).status == CFileReadResult::Status::Failed)
            continue;
        const auto nSize = std::filesystem::file_size(a, ec);
        const std::optional<std::size_t> size =
            ec ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(nSize));
        if (const CVariant* p = VariantOfFile(head, size))
            return p;
    }
    for (const std::string& a : args)
        for (const CVariant* p : {&XtraVariant(), &OldVariant()})
            if (EndsWithNoCase(a, p->strFileExt))
                return p;
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    CCliOptions options;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::size_t i = 0;
    auto needValue = [&](const std::string& strOption) -> const std::string* {
        if (i + 1 >= args.size()) {
            std::cerr << "wr7310: " << strOption << " needs a value\n" << kUsage;
            return nullptr;
        }
        return &args[++i];
    };
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        const std::string& a = args[i];
        if (a == "--help") {
            PrintHelp();
            return 0;
        } else if (a == "--trace") {
            options.bTrace = true;
        } else if (a == "--no-backup") {
            options.bNoBackup = true;
        } else if (a == "--model" || a == "--ini" || a == "--port") {
            const std::string* pValue = needValue(a);
            if (!pValue)
                return 2;
            options.bModelGiven = options.bModelGiven || a == "--model";
            (a == "--model" ? options.strModel
             : a == "--ini" ? options.strIniFile
                            : options.strPort) = *pValue;
        } else {
            std::cerr << "wr7310: unknown option " << a << '\n' << kUsage;
            return 2;
        }
    }
    if (i >= args.size()) {
        std::cerr << kUsage << "'wr7310 --help' lists the commands.\n";
        return 2;
    }
    const std::string strCommand = args[i];
    std::vector<std::string> commandArgs(args.begin() + static_cast<long>(i) + 1, args.end());
    const CVariant* pVariant = nullptr;
    if (!options.bModelGiven) {
        pVariant = ModelForArguments(commandArgs);
        if (!pVariant)
            pVariant = &XtraVariant();
    } else {
        pVariant = FindVariant(options.strModel);
    }
    if (!pVariant) {
        std::cerr << "wr7310: unknown model '" << options.strModel << "' (xtra or old)\n";
        return 2;
    }
    for (const CCliCommand* c : AllCommands()) {
        if (strCommand != c->pszName)
            continue;
        if (!commandArgs.empty() && commandArgs[0] == "--help") {
            std::cout << "usage: wr7310 [OPTIONS] " << c->pszUsage << "\n\n" << c->pszHelp;
            return 0;
        }
        CWR7310App app(*pVariant, options.strIniFile);
        if (!ApplyPortOption(app, options.strPort))
            return 2;
        CCliContext ctx{app, options};
        return c->fn(ctx, commandArgs);
    }
    std::cerr << "wr7310: unknown command '" << strCommand << "'; 'wr7310 --help' lists them\n";
    return 2;
}
