// SPDX-License-Identifier: GPL-3.0-or-later
// wr7310-radiosim: a simulated WR7310 radio on a pseudo-terminal, for trying the programming
// software without a radio and as the peer of the end-to-end tests.
#include "RadioSim.h"

#include "app/WR7310Doc.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

const char* const kUsage = "usage: wr7310-radiosim [OPTIONS]\n";

void PrintHelp() {
    std::cout
        << kUsage
        << "\nOpens a pseudo-terminal, prints its device path on one line and answers the\n"
           "radio programming protocol on it until interrupted (SIGINT, SIGTERM, SIGHUP).\n"
           "\nOptions:\n"
           "  --model xtra|old        radio model: xtra (2048-byte memory) or old (1024);\n"
           "                          default: the model of the --image file (by its\n"
           "                          signature or size), else xtra\n"
           "  --image FILE            start from a raw image or a radio file (.wr73 / .w73);\n"
           "                          default: a built-in image that passes the version check\n"
           "  --link PATH             also place a symbolic link to the device at PATH\n"
           "                          (removed at exit)\n"
           "  --baud N                send every byte at N baud, 11 bits a character\n"
           "                          (default 9600; 0: as fast as possible)\n"
           "  --delay MS              wait MS milliseconds before every reply\n"
           "  --stop-at ADDR          give no reply to a read or write of the block holding ADDR\n"
           "  --wrong-ack-at ADDR     acknowledge a write of the block holding ADDR wrongly\n"
           "                          (the data is not stored)\n"
           "  --short-reply-at ADDR   send a read reply one byte short for the block holding ADDR\n"
           "  --wrong-byte-at ADDR    acknowledge writes but store the byte at ADDR with its\n"
           "                          lowest bit inverted\n"
           "  --firmware TEXT         report TEXT as the firmware version\n"
           "  --log FILE|-            log every frame received, in hex (-: standard error)\n"
           "  --save FILE             write the final memory to FILE at exit (a radio file\n"
           "                          when FILE ends in the model's extension, else raw)\n"
           "  --help                  show this text\n"
           "\nAddresses are decimal or hexadecimal with 0x.\n";
}

CRadioSim* g_pSim = nullptr;

extern "C" void OnSignal(int) {
    if (g_pSim)
        g_pSim->RequestStop();
}

bool ParseNumber(const std::string& str, unsigned long nMax, unsigned long& nValue) {
    if (str.empty())
        return false;
    char* pEnd = nullptr;
    nValue = std::strtoul(str.c_str(), &pEnd, 0);
    return *pEnd == '\0' && str[0] != '-' && nValue <= nMax;
}

// The model of an image file given without --model: a radio file by its signature or size,
// a raw image by its size. nullptr: neither tells.
const CVariant* ModelOfImageFile(const std::string& strPath) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(strPath, ec))
        return nullptr;
    const auto nSize = std::filesystem::file_size(strPath, ec);
    if (ec)
        return nullptr;
    if (const CVariant* p = VariantOfPath(strPath))
        return p;
    for (const CVariant* p : {&XtraVariant(), &OldVariant()})
        if (nSize == p->nImageSize)
            return p;
    return nullptr;
}

int Fail(const std::string& strText) {
    std::cerr << "wr7310-radiosim: " << strText << "\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    CRadioSimOptions options;
    std::string strImage;
    bool bModelGiven = false;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            PrintHelp();
            return 0;
        }
        if (i + 1 >= args.size())
            return Fail("unknown option or missing value: " + a + "\n" + kUsage);
        const std::string& value = args[++i];
        unsigned long n = 0;
        auto address = [&](std::optional<std::uint16_t>& dest) {
            if (!ParseNumber(value, 0xFFFF, n))
                return false;
            dest = static_cast<std::uint16_t>(n);
            return true;
        };
        bool bOk = true;
        if (a == "--model") {
            options.pVariant = FindVariant(value);
            bOk = options.pVariant != nullptr;
            bModelGiven = true;
        } else if (a == "--image") {
            strImage = value;
        } else if (a == "--link") {
            options.strLinkPath = value;
        } else if (a == "--baud") {
            bOk = ParseNumber(value, 4000000, n);
            options.nBaudRate = static_cast<std::uint32_t>(n);
        } else if (a == "--delay") {
            bOk = ParseNumber(value, 600000, n);
            options.nReplyDelayMs = static_cast<std::uint32_t>(n);
        } else if (a == "--stop-at") {
            bOk = address(options.stopAt);
        } else if (a == "--wrong-ack-at") {
            bOk = address(options.wrongAckAt);
        } else if (a == "--short-reply-at") {
            bOk = address(options.shortReplyAt);
        } else if (a == "--wrong-byte-at") {
            bOk = address(options.wrongByteAt);
        } else if (a == "--firmware") {
            options.firmwareVersion = value;
        } else if (a == "--log") {
            options.strLogPath = value;
        } else if (a == "--save") {
            options.strFinalImagePath = value;
        } else {
            return Fail("unknown option: " + a + "\n" + kUsage);
        }
        if (!bOk)
            return Fail("bad value for " + a + ": " + value);
    }
    if (!strImage.empty()) {
        if (!bModelGiven)
            if (const CVariant* p = ModelOfImageFile(strImage))
                options.pVariant = p;
        std::string strError;
        if (!CRadioSim::LoadImageFile(strImage, *options.pVariant, options.image, strError))
            return Fail(strError);
    }

    CRadioSim sim(std::move(options));
    if (!sim.Open())
        return Fail(sim.LastError());
    g_pSim = &sim;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int nSignal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(nSignal, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::cout << sim.DevicePath() << std::endl; // one line, flushed: scripts wait for it
    const bool bSaved = sim.Run();
    g_pSim = nullptr;
    if (!bSaved)
        return Fail("cannot write the final memory");
    return 0;
}
