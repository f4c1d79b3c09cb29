// SPDX-License-Identifier: GPL-3.0-or-later
// export and import as a user runs them: the built tool in a child process, through files and
// pipes, its exit status, standard output and messages checked.
#include "TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <sys/wait.h>

namespace {

struct CRun {
    int nStatus = -1; // -1: killed by a signal (a crash)
    std::string strOut;
    std::string strErr;
};

constexpr std::size_t kSig = 128; // the signature field before the image

class ExchangeCli : public ::testing::Test {
protected:
    void SetUp() override { WriteTextFile(ini, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n"); }

    static std::string Quote(const std::string& s) {
        std::string q = "'";
        for (char c : s)
            q += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return q + "'";
    }

    std::string Tool() const { return Quote(WR7310_CLI_PATH) + " --ini " + Quote(ini); }

    // Runs the tool with strArgs (a shell command line after the tool's name).
    CRun Run(const std::string& strArgs) {
        const std::string out = dir.File("stdout.txt"), err = dir.File("stderr.txt");
        const std::string cmd = Tool() + " " + strArgs + " >" + Quote(out) + " 2>" + Quote(err);
        const int nRaw = std::system(cmd.c_str());
        CRun r;
        r.nStatus = WIFEXITED(nRaw) ? WEXITSTATUS(nRaw) : -1;
        r.strOut = ReadTextFile(out);
        r.strErr = ReadTextFile(err);
        return r;
    }

    // A new radio file whose image bytes are then changed by edit (image address -> byte).
    std::string RadioFile(const std::string& strName,
                          const std::function<void(std::vector<std::uint8_t>&)>& edit = {}) {
        const std::string path = dir.File(strName);
        const CRun r = Run("new -o " + Quote(path));
        EXPECT_EQ(r.nStatus, 0) << r.strErr;
        if (edit) {
            std::vector<std::uint8_t> file = ReadBinaryFile(path);
            edit(file);
            WriteBinaryFile(path, file);
        }
        return path;
    }

    CTempDir dir;
    std::string ini = dir.File("settings.ini");
};

TEST_F(ExchangeCli, AnEmptyOrBlankSourceIsRefusedInEveryFormat) {
    const std::string a = RadioFile("a.wr73"), out = dir.File("out.wr73");
    const std::string blank = dir.File("blank.csv");
    WriteTextFile(blank, " \r\n\n");
    for (const char* pszFormat : {"", " --format csv", " --format json"})
        for (const std::string& strInput : {std::string("/dev/null"), blank}) {
            const CRun r = Run("import - -o " + Quote(out) + " --base " + Quote(a) +
                               std::string(pszFormat) + " < " + Quote(strInput));
            EXPECT_EQ(r.nStatus, 1) << pszFormat << strInput;
            EXPECT_EQ(r.strErr, "wr7310 import: standard input: Holds no settings. Nothing was "
                                "written.\n");
            EXPECT_FALSE(std::filesystem::exists(out));
        }
    const CRun r = Run("import " + Quote(blank) + " -o " + Quote(out));
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find(blank + ": Holds no settings"), std::string::npos) << r.strErr;
}

TEST_F(ExchangeCli, AHugeNumberOrDeepNestingIsRefusedAndNothingCrashes) {
    const std::string a = RadioFile("a.wr73"), src = dir.File("src.json");
    struct {
        std::string strJson;
        std::string strError;
    } const cases[] = {
        {R"({"frequencies": [{"number": 1, "rx": 1e999}]})",
         "src.json:1: frequencies[0].rx: \"1e999\" is too large a number"},
        {"{\"channelCount\": " + std::string(400000, '7') + "}", "src.json:1: channelCount: \"777"},
        {"{\"colour\": " + std::string(100000, '[') + std::string(100000, ']') + "}",
         "src.json: colour[0][0][0]: Nested deeper than 4 levels"},
        {"{\"channels\": " + std::string(20000, '[') + "}", "src.json: channels[0][0][0]: Nested"},
    };
    for (const auto& c : cases) {
        WriteTextFile(src, c.strJson);
        const CRun r = Run("import " + Quote(src) + " --base " + Quote(a) + " -o -");
        EXPECT_EQ(r.nStatus, 1) << c.strError;
        EXPECT_NE(r.strErr.find(c.strError), std::string::npos) << r.strErr.substr(0, 300);
        EXPECT_LT(r.strErr.size(), 400u);
        EXPECT_EQ(r.strOut, "");
    }
}

// Radios holding what the editor cannot show: export, then import --base of the same file,
// through pipes, gives the identical file.
TEST_F(ExchangeCli, ARadioOutsideTheEditorsRangesRoundTrips) {
    struct {
        const char* pszName;
        const char* pszFile;
        std::size_t nCountAddr; // the channel count's address
    } const models[] = {{"newer", "r.wr73", 0x318}, {"older", "r.w73", 0x100}};
    for (const auto& m : models) {
        const std::function<void(std::vector<std::uint8_t>&)> edits[] = {
            [](auto& f) { std::fill(f.begin() + kSig, f.end(), 0xFF); },
            [&m](auto& f) { f[kSig + m.nCountAddr] = 0; },
            [&m](auto& f) { f[kSig + m.nCountAddr] = 20; },
            [](auto& f) { f[kSig + 0x004] = 255; }, // channel 1's signal
        };
        for (const auto& edit : edits) {
            const std::string raw = RadioFile(m.pszFile, edit);
            // The radio file as the tool saves it (a read from the radio is saved so too).
            const std::string path = dir.File(std::string("saved") + m.pszFile);
            CRun r = Run("export " + Quote(raw) + " | " + Tool() + " import - --base " +
                         Quote(raw) + " -o " + Quote(path));
            ASSERT_EQ(r.nStatus, 0) << m.pszName << ": " << r.strErr;
            const auto bytes = ReadBinaryFile(path);
            for (const char* pszFormat : {"json", "csv"}) {
                r = Run("export " + Quote(path) + " --format " + pszFormat + " | " + Tool() +
                        " import - --base " + Quote(path) + " -o -");
                ASSERT_EQ(r.nStatus, 0) << m.pszName << " " << pszFormat << ": " << r.strErr;
                EXPECT_TRUE(r.strOut == std::string(bytes.begin(), bytes.end()))
                    << m.pszName << " " << pszFormat;
                EXPECT_NE(r.strErr.find("wr7310 import: 0 values changed\n"), std::string::npos)
                    << r.strErr;
            }
        }
    }
}

// README's examples, as written, for both models (the write to a radio left out).
TEST_F(ExchangeCli, TheReadmeExamplesRunForBothModels) {
    for (const auto& [strExt, nCount] : {std::pair<std::string, int>{".wr73", 99}, {".w73", 8}}) {
        const std::string radio = RadioFile("radio" + strExt, [nCount](auto& f) {
            f[kSig + (nCount == 99 ? 0x318 : 0x100)] = static_cast<std::uint8_t>(nCount);
            f[kSig + 0x001] = 12; // channel 1's frequency number
        });
        const std::string json = dir.File("radio.json"), csv = dir.File("radio.csv");
        const std::string edited = dir.File("edited" + strExt), fresh = dir.File("fresh" + strExt);
        const CRun e = Run("export " + Quote(radio)); // "> radio.json"
        ASSERT_EQ(e.nStatus, 0) << e.strErr;
        WriteTextFile(json, e.strOut);
        ASSERT_EQ(Run("export " + Quote(radio) + " --format csv -o " + Quote(csv)).nStatus, 0);
        CRun r = Run("import " + Quote(json) + " --base " + Quote(radio) + " -o " + Quote(edited));
        ASSERT_EQ(r.nStatus, 0) << r.strErr;
        EXPECT_TRUE(ReadBinaryFile(edited) == ReadBinaryFile(radio)) << strExt;
        r = Run("import " + Quote(csv) + " -o " + Quote(fresh));
        ASSERT_EQ(r.nStatus, 0) << strExt << ": " << r.strErr;
        // Every channel in use and the whole frequency table are the radio's.
        const CRun a = Run("export " + Quote(radio) + " --format csv");
        const CRun b = Run("export " + Quote(fresh) + " --format csv");
        EXPECT_EQ(a.strOut, b.strOut) << strExt;
        if (std::system("command -v jq >/dev/null") != 0)
            continue; // the pipe through jq needs jq
        r = Run("export " + Quote(radio) + " | jq '.channels[0].freqNumber = 12' | " + Tool() +
                " import - --base " + Quote(radio) + " -o -");
        ASSERT_EQ(r.nStatus, 0) << r.strErr;
        const auto bytes = ReadBinaryFile(radio);
        EXPECT_TRUE(r.strOut == std::string(bytes.begin(), bytes.end())) << strExt;
    }
}

TEST_F(ExchangeCli, ANewDocumentWithoutARangeTakesTheJsonsOrSaysHowToGiveOne) {
    const std::string radio = RadioFile("radio.wr73", [](auto& f) {
        f[kSig + 0x350] ^= 0x01; // entry 1's receive frequency moves one step
    });
    const std::string json = dir.File("radio.json"), csv = dir.File("radio.csv");
    ASSERT_EQ(Run("export " + Quote(radio) + " -o " + Quote(json)).nStatus, 0);
    ASSERT_EQ(Run("export " + Quote(radio) + " --format csv -o " + Quote(csv)).nStatus, 0);
    WriteTextFile(ini, "[User Mode]\nLevel=0\n"); // no range from here on

    const std::string fresh = dir.File("fresh.wr73");
    CRun r = Run("import " + Quote(csv) + " -o " + Quote(fresh));
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find("radio.csv:12: Column \"rx MHz\": \"464.51250\" cannot be stored: the "
                            "document has no frequency range"),
              std::string::npos)
        << r.strErr;
    EXPECT_NE(r.strErr.find("--ini FILE"), std::string::npos) << r.strErr;
    EXPECT_NE(r.strErr.find("--base FILE"), std::string::npos) << r.strErr;
    EXPECT_FALSE(std::filesystem::exists(fresh));

    r = Run("import " + Quote(json) + " -o " + Quote(fresh));
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const nlohmann::json j = nlohmann::json::parse(Run("export " + Quote(fresh)).strOut);
    EXPECT_EQ(j["range"], nlohmann::json({{"low", 400.0}, {"high", 470.0}}));
    EXPECT_EQ(j["frequencies"][0]["rx"], 464.5125);
}

TEST_F(ExchangeCli, TheSummaryCountsValuesAndTheRowsTheFileDidNotHold) {
    const std::string radio = RadioFile("radio.wr73"), src = dir.File("two.csv");
    WriteTextFile(src, "Channel,Signal,Scan\r\n2,5,Del\r\n\r\nnumber,tx MHz\r\n1,464.5\r\n");
    const CRun r = Run("import " + Quote(src) + " --base " + Quote(radio) + " -o -");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr, "wr7310 import: 2 values changed; the file holds no row for 7 channels "
                        "in use and 98 frequency entries, which keep their values\n");
}

TEST_F(ExchangeCli, AFileOfTheOtherModelIsRefused) {
    const std::string old = RadioFile("radio.w73"), json = dir.File("old.json");
    ASSERT_EQ(Run("export " + Quote(old) + " -o " + Quote(json)).nStatus, 0);
    const CRun r = Run("import " + Quote(json) + " -o " + Quote(dir.File("new.wr73")));
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strErr, "wr7310 import: " + json +
                            ": model: \"WR7310S\" is not the WR7310SXtra this import is for; "
                            "settings of another model are not imported (choose the model with "
                            "--model). Nothing was written.\n");
}

} // namespace
