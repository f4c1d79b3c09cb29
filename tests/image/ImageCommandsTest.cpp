// SPDX-License-Identifier: GPL-3.0-or-later
// The image commands of the command-line tool, run as a user runs them: the built program in
// a child process, its output and exit status checked.
#include "TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <utility>

namespace {

struct CRun {
    int nStatus = -1;
    std::string strOut;
    std::string strErr;
};

class ImageCli : public ::testing::Test {
protected:
    void SetUp() override { WriteTextFile(ini, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n"); }

    static std::string Quote(const std::string& s) {
        std::string q = "'";
        for (char c : s)
            q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    }

    CRun Run(const std::string& strArgs, const std::string& strModel = "xtra") {
        const std::string out = dir.File("stdout.txt"), err = dir.File("stderr.txt");
        // An empty model leaves the choice to the tool. Standard input is never the test
        // runner's, which a "-" argument would read; a redirection in strArgs comes later and
        // wins.
        const std::string strModelOption = strModel.empty() ? "" : " --model " + strModel;
        const std::string cmd = Quote(WR7310_CLI_PATH) + " </dev/null" + strModelOption +
                                " --ini " + Quote(ini) + " " + strArgs + " >" + Quote(out) + " 2>" +
                                Quote(err);
        const int nRaw = std::system(cmd.c_str());
        CRun r;
        r.nStatus = WIFEXITED(nRaw) ? WEXITSTATUS(nRaw) : -1;
        r.strOut = ReadTextFile(out);
        r.strErr = ReadTextFile(err);
        return r;
    }

    std::string NewFile(const std::string& strName, const std::string& strModel = "xtra") {
        const std::string path = dir.File(strName);
        const CRun r = Run("new -o " + Quote(path), strModel);
        EXPECT_EQ(r.nStatus, 0) << r.strErr;
        return path;
    }

    static std::vector<std::string> Lines(const std::string& str) {
        std::vector<std::string> lines;
        std::istringstream in(str);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    CTempDir dir;
    std::string ini = dir.File("settings.ini");
};

TEST_F(ImageCli, NewWritesARadioFileWithTheSettingsRange) {
    const std::string path = NewFile("a.wr73");
    const auto file = ReadBinaryFile(path);
    ASSERT_EQ(file.size(), 2176u);
    const std::uint8_t range[6] = {0x00, 0xFA, 0x00, 0xC0, 0x25, 0x01};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(file[128 + 0x348 + i], range[i]);
    EXPECT_EQ(file[128 + 0x318], 8);
    EXPECT_EQ(file[128 + 0x324], 0x4F); // the key-tune switch is never saved set

    const std::string old = NewFile("a.w73", "old");
    EXPECT_EQ(ReadBinaryFile(old).size(), 1152u);
}

TEST_F(ImageCli, NewWithoutOutputIsAUsageError) {
    const CRun r = Run("new");
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_NE(r.strErr.find("-o FILE"), std::string::npos) << r.strErr;
}

TEST_F(ImageCli, DumpPrintsTheMapSixteenBytesARow) {
    const std::string path = NewFile("a.wr73");
    const CRun r = Run("dump " + Quote(path));
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const auto lines = Lines(r.strOut);
    ASSERT_EQ(lines.size(), 129u);
    EXPECT_EQ(lines[0], "Addr. __0 __1 __2 __3 __4 __5 __6 __7 __8 __9 __A __B __C __D __E __F");
    EXPECT_EQ(lines[1], "000_  00 07 00 00 00 00 01 00 00 0F 00 00 00 00 01 00");
    EXPECT_EQ(lines[0x32], "031_  00 01 00 00 00 00 00 00 08 01 C4 FF FF FF FF FF");
    EXPECT_EQ(lines[0x33], "032_  00 01 02 E7 4F 01 28 3E 4D 54 2D 37 33 31 30 00");
    EXPECT_EQ(lines[128].substr(0, 5), "07F_ ");

    const std::string old = NewFile("a.w73", "old");
    const CRun o = Run("dump " + Quote(old), "old");
    ASSERT_EQ(o.nStatus, 0) << o.strErr;
    const auto oldLines = Lines(o.strOut);
    ASSERT_EQ(oldLines.size(), 65u);
    EXPECT_EQ(oldLines[64].substr(0, 5), "03F_ ");
}

TEST_F(ImageCli, DiffListsEachDifferingByteAndSetsTheExitStatus) {
    const std::string a = NewFile("a.wr73");
    const std::string b = dir.File("b.wr73");
    auto file = ReadBinaryFile(a);
    WriteBinaryFile(b, file);
    CRun r = Run("diff " + Quote(a) + " " + Quote(b));
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "");

    file[128 + 0x7FF] = 0x5A;
    file[128 + 0x010] = 0xFE;
    file[5] = 'Z'; // the signature field is not part of the image
    WriteBinaryFile(b, file);
    r = Run("diff " + Quote(a) + " " + Quote(b));
    EXPECT_EQ(r.nStatus, 1) << r.strErr;
    EXPECT_EQ(r.strOut, "$0010:0x00 -> 0xFE\n$07FF:0x00 -> 0x5A\n");
}

TEST_F(ImageCli, DiffOfAnUnreadableFileIsAnError) {
    const std::string a = NewFile("a.wr73");
    const std::string shortFile = dir.File("short.wr73");
    WriteBinaryFile(shortFile, std::vector<std::uint8_t>(100, 0));
    const CRun r = Run("diff " + Quote(a) + " " + Quote(shortFile));
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_EQ(r.strOut, "");
    EXPECT_NE(r.strErr.find(shortFile), std::string::npos) << r.strErr;
    EXPECT_NE(r.strErr.find("100 bytes"), std::string::npos) << r.strErr;
    EXPECT_EQ(Run("diff " + Quote(a)).nStatus, 2);
}

TEST_F(ImageCli, ShowDecodesTheSettings) {
    const std::string path = NewFile("a.wr73");
    auto file = ReadBinaryFile(path);
    // Entry 3 receives on 462.56 MHz (10 kHz step code 1): not its standard frequency.
    const std::size_t e3 = 128 + 0x350 + 16;
    file[e3] = 0xB0;
    file[e3 + 1] = 0xB4;
    file[e3 + 2] = 0x00;
    file[e3 + 6] = (file[e3 + 6] & ~0x03) | 0x01;
    file[128 + 0x320] = 9; // a VOX level the editor does not offer
    WriteBinaryFile(path, file);

    const CRun r = Run("show " + Quote(path));
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const std::string& out = r.strOut;
    for (const char* expected : {
             "  Menu Enable                on\n",
             "  Channel Number             off\n",
             "  VOX:                       (0x09)\n",
             "  TOT:                       1 Minute\n",
             "  Squelch Level:             2\n",
             "Channels in use: 8, selected channel: 1\n",
             "  CH 1   7        OFF    Add\n",
             "  CH 8   52       OFF    Add\n",
             "    1  464.50000  464.50000\n",
             "    3  462.56000  467.76250 *\n",
             "   99  463.55000  463.55000\n",
             "  Model name:        MT-7310\n",
             "  Local oscillator:  21.25 MHz\n",
             "Frequency range: 400.00000 - 470.00000 MHz\n",
             "Tune frequency: 465.00000 MHz\n",
         })
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    EXPECT_EQ(out.find("CH 9 "), std::string::npos);
}

TEST_F(ImageCli, ShowJsonCarriesTheSameValues) {
    const std::string path = NewFile("a.wr73");
    const CRun r = Run("show --json " + Quote(path));
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json j = nlohmann::json::parse(r.strOut);
    EXPECT_EQ(j["model"], "WR7310SXtra");
    EXPECT_EQ(j["featureSwitches"]["Menu Enable"], true);
    EXPECT_EQ(j["featureSwitches"]["Channel Number"], false);
    EXPECT_EQ(j["featureSettings"]["TOT"], "1 Minute");
    EXPECT_EQ(j["channelCount"], 8);
    EXPECT_EQ(j["selectedChannel"], 1);
    ASSERT_EQ(j["channels"].size(), 8u);
    EXPECT_EQ(j["channels"][7],
              nlohmann::json::parse(
                  R"({"channel": 8, "freqNumber": 52, "signal": "OFF", "scan": "Add"})"));
    ASSERT_EQ(j["frequencies"].size(), 99u);
    EXPECT_EQ(j["frequencies"][98],
              nlohmann::json::parse(
                  R"({"number": 99, "rx": 463.55, "tx": 463.55, "nonStandard": false})"));
    EXPECT_EQ(j["identity"]["modelName"], "MT-7310");
    EXPECT_EQ(j["range"], nlohmann::json::parse(R"({"low": 400.0, "high": 470.0})"));
    EXPECT_EQ(j["tuneFrequency"], 465.0);
    EXPECT_EQ(r.strOut.substr(r.strOut.size() - 2), "}\n");
}

TEST_F(ImageCli, ShowPrintsStoredControlBytesEscapedNotRaw) {
    const std::string path = NewFile("a.wr73");
    auto file = ReadBinaryFile(path);
    // A model text that would recolour a terminal, a serial with a line break.
    const std::string strModel = "\x1b[31mRED\x07\x9b", strSerial = "SN\n42";
    std::copy(strModel.begin(), strModel.end(), file.begin() + 128 + 0x328);
    std::copy(strSerial.begin(), strSerial.end(), file.begin() + 128 + 0x338);
    WriteBinaryFile(path, file);

    const CRun r = Run("show " + Quote(path));
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut.find('\x1b'), std::string::npos);
    EXPECT_EQ(r.strOut.find('\x07'), std::string::npos);
    EXPECT_NE(r.strOut.find("  Model name:        \\x1B[31mRED\\x07\\x9B\n"), std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("  Serial number:     SN\\x0A42\n"), std::string::npos) << r.strOut;

    const CRun json = Run("show --json " + Quote(path));
    ASSERT_EQ(json.nStatus, 0) << json.strErr;
    // Escaped in the text, each byte the character of its code once parsed.
    EXPECT_NE(json.strOut.find("\"modelName\": \"\\u001b[31mRED\\u0007\\u009b\""),
              std::string::npos)
        << json.strOut;
    const nlohmann::json j = nlohmann::json::parse(json.strOut);
    EXPECT_EQ(j["identity"]["modelName"], "\x1b[31mRED\x07\u009b");
    EXPECT_EQ(j["identity"]["serialNumber"], "SN\n42");
}

TEST_F(ImageCli, ShowOfTheOlderRadioHasNoChannelSetSwitch) {
    const std::string path = NewFile("a.w73", "old");
    const CRun r = Run("show " + Quote(path), "old");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut.find("Channel Set"), std::string::npos);
    EXPECT_NE(r.strOut.find("Frequency range: 460.00000 - 470.00000 MHz"), std::string::npos);
    EXPECT_NE(r.strOut.find("   56  469.56250"), std::string::npos) << r.strOut;
    EXPECT_EQ(r.strOut.find("   57  "), std::string::npos);
    // Its radio files do not carry the tune frequency: nothing made up is shown.
    EXPECT_NE(r.strOut.find("Tune frequency: not stored in radio files of this model"),
              std::string::npos);
    EXPECT_TRUE(nlohmann::json::parse(Run("show --json " + Quote(path), "old").strOut)
                    .at("tuneFrequency")
                    .is_null());
}

// Each command's help starts with its usage and shows an example of it.
TEST_F(ImageCli, EachCommandHasHelp) {
    for (const char* cmd : {"new", "dump", "diff", "show", "probe", "read", "write", "restore",
                            "info", "tune", "embedded", "export", "import"}) {
        const CRun r = Run(std::string(cmd) + " --help");
        EXPECT_EQ(r.nStatus, 0) << cmd;
        EXPECT_EQ(r.strOut.rfind(std::string("usage: wr7310 [OPTIONS] ") + cmd, 0), 0u) << r.strOut;
        const std::string strExample = "\nExample: wr7310 ";
        const std::size_t nAt = r.strOut.find(strExample);
        ASSERT_NE(nAt, std::string::npos) << r.strOut;
        const std::string strLine =
            r.strOut.substr(nAt + strExample.size(), r.strOut.find('\n', nAt + 1) - nAt);
        EXPECT_NE(strLine.find(cmd), std::string::npos) << strLine;
    }
    const CRun all = Run("--help");
    for (const char* usage : {"new -o FILE", "dump FILE", "diff A B", "show FILE [--json]"})
        EXPECT_NE(all.strOut.find(usage), std::string::npos) << usage;
}

TEST_F(ImageCli, ShowJsonOfTheOlderRadio) {
    const std::string path = NewFile("a.w73", "old");
    const CRun r = Run("show --json " + Quote(path), "old");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json j = nlohmann::json::parse(r.strOut);
    EXPECT_EQ(j["model"], "WR7310S");
    EXPECT_EQ(j["featureSwitches"]["VOX"], true);
    EXPECT_EQ(j["featureSwitches"]["Default Set Mode"], true);
    EXPECT_EQ(j["featureSettings"]["Revert Channel"], "Current CH");
    EXPECT_EQ(j["channelCount"], 8);
    ASSERT_EQ(j["channels"].size(), 8u);
    EXPECT_EQ(j["channels"][7],
              nlohmann::json::parse(
                  R"({"channel": 8, "freqNumber": 52, "signal": "OFF", "scan": "Add"})"));
    ASSERT_EQ(j["frequencies"].size(), 56u);
    EXPECT_EQ(j["frequencies"][55],
              nlohmann::json::parse(
                  R"({"number": 56, "rx": 469.5625, "tx": 469.5625, "nonStandard": false})"));
    EXPECT_EQ(j["identity"]["modelName"], "MT-7310");
    EXPECT_EQ(j["identity"]["localOscillatorMHz"], 21.25);
    EXPECT_EQ(j["range"], nlohmann::json::parse(R"({"low": 460.0, "high": 470.0})"));
    EXPECT_TRUE(j["tuneFrequency"].is_null());
    // The older form has no such switches: a hidden "Menu Enable " is no switch of the user's.
    for (const char* absent : {"Menu Enable", "Channel Set", "Channel Number"})
        EXPECT_FALSE(j["featureSwitches"].contains(absent)) << absent;
}

TEST_F(ImageCli, WithoutModelTheRadioFileNamesIt) {
    const std::string newer = NewFile("a.wr73", "xtra");
    const std::string older = NewFile("a.w73", "old");
    // Renamed, so that only the contents can tell.
    const std::string newerNoExt = dir.File("newer.bin");
    const std::string olderNoExt = dir.File("older.bin");
    std::rename(newer.c_str(), newerNoExt.c_str());
    std::rename(older.c_str(), olderNoExt.c_str());
    struct {
        std::string strArgs;
        const char* pszExpected; // in standard output
    } const kCases[] = {
        {"show " + Quote(olderNoExt), "Model: WR7310S\n"},
        {"show " + Quote(newerNoExt), "Model: WR7310SXtra\n"},
        {"show --json " + Quote(olderNoExt), "\"model\": \"WR7310S\""},
        {"dump " + Quote(olderNoExt), "03F_ "},
        {"dump " + Quote(newerNoExt), "07F_ "},
    };
    for (const auto& c : kCases) {
        const CRun r = Run(c.strArgs, "");
        EXPECT_EQ(r.nStatus, 0) << c.strArgs << ": " << r.strErr;
        EXPECT_NE(r.strOut.find(c.pszExpected), std::string::npos) << c.strArgs;
    }
    EXPECT_EQ(Run("dump " + Quote(olderNoExt), "").strOut.find("040_"), std::string::npos);

    // A file still to be written: its extension decides.
    for (const auto& [strName, nSize] :
         {std::pair<std::string, std::size_t>{"b.w73", 1152}, {"b.W73", 1152}, {"b.wr73", 2176}}) {
        const CRun r = Run("new -o " + Quote(dir.File(strName)), "");
        EXPECT_EQ(r.nStatus, 0) << r.strErr;
        EXPECT_EQ(ReadBinaryFile(dir.File(strName)).size(), nSize) << strName;
    }
}

TEST_F(ImageCli, AFileOfTheOtherModelIsRefused) {
    const std::string newer = NewFile("a.wr73", "xtra");
    const std::string older = NewFile("a.w73", "old");
    struct {
        const char* pszModel;
        std::string strPath;
        const char* pszMaker;
        const char* pszProgram;
    } const kCases[] = {
        {"xtra", older, "WR7310S", "WR7310SXtra"},
        {"old", newer, "WR7310SXtra", "WR7310S"},
    };
    for (const auto& c : kCases) {
        for (const std::string strCommand : {"show ", "dump "}) {
            const CRun r = Run(strCommand + Quote(c.strPath), c.pszModel);
            EXPECT_EQ(r.nStatus, 1) << strCommand << c.pszModel;
            EXPECT_TRUE(r.strOut.empty()) << r.strOut;
            EXPECT_NE(r.strErr.find(std::string("it is a radio file of the ") + c.pszMaker +
                                    ", not of the " + c.pszProgram + "."),
                      std::string::npos)
                << r.strErr;
        }
    }
    // Two files of different models are no pair to compare.
    EXPECT_EQ(Run("diff " + Quote(newer) + " " + Quote(older), "").nStatus, 2);
}

} // namespace

TEST_F(ImageCli, EmbeddedShowPrintsTheTextOfAFile) {
    struct {
        const char* pszModel;
        const char* pszName;
        std::size_t nAreaOffset; // signature field and the area's address
    } const cases[] = {
        {"xtra", "a.wr73", 128 + 0x780},
        {"old", "a.w73", 128 + 0x380},
    };
    for (const auto& c : cases) {
        const std::string path = NewFile(c.pszName, c.pszModel);
        std::vector<std::uint8_t> bytes = ReadBinaryFile(path);
        const std::string strText = std::string("Site 4\r\nclub\x01") + '\0' + "hidden";
        std::copy(strText.begin(), strText.end(), bytes.begin() + static_cast<long>(c.nAreaOffset));
        WriteBinaryFile(path, bytes);
        const CRun r = Run("embedded show " + Quote(path), c.pszModel);
        EXPECT_EQ(r.nStatus, 0) << r.strErr;
        EXPECT_EQ(r.strOut, "Site 4\nclub\\x01\n") << c.pszModel;
    }
    const CRun missing = Run("embedded show " + Quote(dir.File("absent.wr73")));
    EXPECT_EQ(missing.nStatus, 1);
    EXPECT_NE(missing.strErr.find("absent.wr73"), std::string::npos) << missing.strErr;
}
namespace {

TEST_F(ImageCli, TheParserTakesOptionsAnywhereAndRefusesWrongUsageWithStatus2) {
    const std::string f = Quote(NewFile("a.wr73"));
    struct {
        std::string strArgs;
        int nStatus;
        std::string strOut; // a part of standard output ("" : not checked)
        std::string strErr; // a part of standard error ("" : not checked)
    } const cases[] = {
        {"--version", 0, std::string("wr7310 ") + WR7310_PROJECT_VERSION + "\n", ""},
        {"show " + f + " --json", 0, "\"channelCount\": 8", ""},
        {"show --json " + f + " --model=xtra", 0, "\"model\": \"WR7310SXtra\"", ""},
        {"dump " + f + " --ini=" + Quote(ini) + " --trace", 0, "07F_", ""},
        {"--port=3 dump " + f, 0, "Addr.", ""},
        {"dump " + f + " --port 7", 0, "Addr.", ""},
        {"-h", 0, "usage: wr7310 [OPTIONS] COMMAND", ""},
        {"show -h", 0, "usage: wr7310 [OPTIONS] show FILE [--json]", ""},
        {"import --help", 0, "--base FILE", ""},
        {"--port 99 dump " + f, 2, "", "COM ports are numbered 0 to 16"},
        {"show " + f + " --bogus", 2, "", "Unexpected argument \"--bogus\""},
        {"--bogus show " + f, 2, "", "--bogus"},
        {"frobnicate", 2, "", "Unknown command \"frobnicate\""},
        {"", 2, "", "'wr7310 --help'"},
        {"show", 2, "", "FILE is needed"},
        {"show " + f + " " + f, 2, "", "Unexpected argument"},
        {"--model=vintage show " + f, 2, "", "Unknown model \"vintage\""},
        {"--port 1 --port 2 show " + f, 2, "", "read and write only"},
        {"export " + f + " --format xml", 2, "", "xml"},
        {"diff - -", 2, "", "Standard input"},
        {"new --output", 2, "", "new"},
    };
    for (const auto& c : cases) {
        const CRun r = Run(c.strArgs);
        EXPECT_EQ(r.nStatus, c.nStatus) << c.strArgs << "\n" << r.strErr;
        EXPECT_NE(r.strOut.find(c.strOut), std::string::npos) << c.strArgs << "\n" << r.strOut;
        EXPECT_NE(r.strErr.find(c.strErr), std::string::npos) << c.strArgs << "\n" << r.strErr;
        if (c.nStatus == 2) {
            EXPECT_EQ(r.strOut, "") << c.strArgs;
        }
    }
    // An option after the command applies: the older radio's file is 1152 bytes.
    const std::string old = dir.File("old.w73");
    ASSERT_EQ(Run("new -o " + Quote(old) + " --model old").nStatus, 0);
    EXPECT_EQ(ReadBinaryFile(old).size(), 1152u);
}

// Every message reads "wr7310[ COMMAND]: [FILE[:LINE]: ]Sentence", values in double quotes:
// the tool's own, the document's and the import's alike.
TEST_F(ImageCli, MessagesSpeakWithOneVoice) {
    const std::string big = dir.File("big.txt"), json = dir.File("radio.json");
    WriteTextFile(big, std::string(129, 'x'));
    WriteTextFile(json, "{\"channels\": []}\n");
    const std::string missing = dir.File("missing.txt"), csv = dir.File("radio.csv");
    const std::string good = dir.File("good.csv");
    WriteTextFile(csv, "channel,signal\n1,300\n");
    WriteTextFile(good, "channel,signal\n1,5\n");
    const std::string radio = NewFile("a.wr73"), old = NewFile("b.w73", "old");
    const struct {
        std::string strArgs;
        std::string strStart; // the message's first line starts so
    } cases[] = {
        {"frobnicate", "wr7310: Unknown command \"frobnicate\""},
        {"--port 99 new -o x.wr73", "wr7310 new: --port \"99\": COM ports are numbered"},
        {"tune frequency abc", "wr7310 tune: \"abc\" is not a frequency in MHz"},
        {"tune", "wr7310 tune: Usage: wr7310 [OPTIONS] tune read"},
        {"embedded write " + Quote(big), "wr7310 embedded: " + big + ": Holds more than 128 bytes"},
        {"embedded write " + Quote(missing),
         "wr7310 embedded: " + missing + ": Cannot open: No such"},
        {"write " + Quote(json), "wr7310 write: " + json + ": It is JSON, not a radio file"},
        {"show", "wr7310 show: FILE is needed"},
        {"dump", "wr7310 dump: One FILE is needed"},
        {"show " + Quote(missing), "wr7310 show: " + missing + ": Cannot open: No such file"},
        {"diff " + Quote(radio) + " " + Quote(old),
         "wr7310 diff: " + old + ": Cannot open: it is a radio file of the WR7310S"},
        {"import " + Quote(good) + " --base " + Quote(radio) + " -o " + Quote(dir.Path().string()),
         "wr7310 import: " + dir.Path().string() + ": Cannot save: Is a directory"},
        {"import " + Quote(csv) + " --base " + Quote(radio) + " -o -",
         "wr7310 import: " + csv + ":2: Column \"signal\": \"300\" is not a signal code"},
        {"--model foo show " + Quote(radio), "wr7310: Unknown model \"foo\""},
    };
    for (const auto& c : cases) {
        const CRun r = Run(c.strArgs);
        EXPECT_NE(r.nStatus, 0) << c.strArgs;
        EXPECT_EQ(r.strErr.rfind(c.strStart, 0), 0u) << c.strArgs << "\n" << r.strErr;
    }
}

TEST_F(ImageCli, HelpAllPrintsEveryCommandsHelpAndEveryDeclaredOption) {
    const CRun all = Run("--help-all");
    ASSERT_EQ(all.nStatus, 0);
    for (const char* usage :
         {"new -o FILE", "dump FILE", "diff A B", "show FILE [--json]", "read -o FILE",
          "write FILE [--verify] [--force]", "export FILE [--format json|csv] [-o OUT]",
          "import SOURCE -o FILE [--base FILE] [--format json|csv]", "probe", "info"})
        EXPECT_NE(all.strOut.find(std::string("usage: wr7310 [OPTIONS] ") + usage + "\n"),
                  std::string::npos)
            << usage;
    for (const char* option : {"--model xtra|old", "--ini FILE", "--port N|DEVICE", "--trace",
                               "--no-backup", "--version", "--verify", "--base FILE",
                               "--format json|csv", "-o,--output FILE", "--json"})
        EXPECT_NE(all.strOut.find("  " + std::string(option) + " "), std::string::npos) << option;
    EXPECT_NE(all.strOut.find("Exit status:\n  0  success"), std::string::npos);
    // The plain help is its first part.
    EXPECT_EQ(all.strOut.rfind(Run("--help").strOut, 0), 0u);
}

TEST_F(ImageCli, ExportAndImportThroughPipesGiveTheIdenticalFile) {
    const std::string a = NewFile("a.wr73");
    const std::string tool = Quote(WR7310_CLI_PATH) + " --ini " + Quote(ini);
    const auto bytes = ReadBinaryFile(a);
    for (const char* pszFormat : {"json", "csv"}) {
        const CRun r = Run("export " + Quote(a) + " --format " + pszFormat + " | " + tool +
                           " import - --base " + Quote(a) + " -o -");
        ASSERT_EQ(r.nStatus, 0) << r.strErr;
        EXPECT_EQ(r.strOut, std::string(bytes.begin(), bytes.end())) << pszFormat;
    }
    // A radio file from standard input.
    const CRun show = Run("show --json - < " + Quote(a));
    ASSERT_EQ(show.nStatus, 0) << show.strErr;
    EXPECT_NE(show.strOut.find("\"channelCount\": 8"), std::string::npos);
}

TEST_F(ImageCli, ImportOfAnEditedSourceChangesTheNamedValuesAndARefusedOneWritesNothing) {
    const std::string a = NewFile("a.wr73");
    nlohmann::json j = nlohmann::json::parse(Run("export " + Quote(a)).strOut);
    j["channels"][0]["freqNumber"] = 42;
    const std::string src = dir.File("edit.json"), b = dir.File("b.wr73");
    WriteTextFile(src, j.dump());
    CRun r = Run("import " + Quote(src) + " --base " + Quote(a) + " -o " + Quote(b));
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const auto before = ReadBinaryFile(a), after = ReadBinaryFile(b);
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(after[i], i == 128 + 1 ? 42 : before[i]) << i; // channel 1's frequency number

    j["channels"][0]["freqNumber"] = 100;
    WriteTextFile(src, j.dump());
    const std::string c = dir.File("c.wr73");
    r = Run("import " + Quote(src) + " -o " + Quote(c));
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find(src + ": channels[0].freqNumber: \"100\" is not a frequency number "
                                  "(1 to 99)"),
              std::string::npos)
        << r.strErr;
    EXPECT_NE(r.strErr.find("Nothing was written."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(c));
}

} // namespace
