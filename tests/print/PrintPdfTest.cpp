// Scripted printing end to end: a known radio file printed to PDF by the desktop program, the
// PDF's text read back with pdftotext.
#include "TempDir.h"
#include "app/WR7310App.h"
#include "image/ImageFields.h"
#include "image/WR7310Doc.h"
#include "view/FeaturePanel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <sys/wait.h>

namespace {

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int RunShell(const std::string& cmd) {
    const int nRaw = std::system(cmd.c_str());
    return WIFEXITED(nRaw) ? WEXITSTATUS(nRaw) : -1;
}

// Lines of the text with every run of blanks made one blank and the ends trimmed.
std::vector<std::string> Normalised(const std::string& str) {
    std::vector<std::string> lines;
    std::istringstream in(str);
    for (std::string line; std::getline(in, line);) {
        std::string out;
        for (char c : line) {
            const bool bBlank = c == ' ' || c == '\t' || c == '\f';
            if (bBlank && (out.empty() || out.back() == ' '))
                continue;
            out += bBlank ? ' ' : c;
        }
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        if (!out.empty())
            lines.push_back(out);
    }
    return lines;
}

class PrintPdf : public ::testing::Test {
protected:
    void SetUp() override {
        WriteTextFile(ini, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
        CWR7310App app(XtraVariant(), ini);
        CWR7310Doc doc(app);
        ASSERT_TRUE(doc.OnNewDocument());
        const CVariant& v = app.m_variant;
        const auto image = app.Image();
        field::SetText(image, v.modelName, "MT-7310");
        field::SetText(image, v.serialNumber, "SN-4711");
        field::SetText(image, v.firmwareVersion, "1.02.05-beta");
        double dLow = 400.0, dHigh = 470.0;
        app.EncodeRange(dLow, dHigh, image.data() + v.rangeBytes.nStart);

        using namespace feature;
        CFeatureValues values;
        for (int nId : {kMenuEnable, kVox, kButtonBeep, kManualTxPower, kRangeAlarm, kChannelSet,
                        kSignalingSet, kChannelNumber, kBatterySave, kKeypadLock})
            values.SetChecked(nId, true);
        values.SetIndex(kCboVox, 3);
        values.SetIndex(kCboButtonBeep, 1);
        values.SetIndex(kCboCallTone, 0);
        values.SetIndex(kCboRangeAlarm, 1);
        values.SetIndex(kCboTxPower, 1);
        values.SetIndex(kCboTot, 2);
        values.SetIndex(kCboRevert, 1);
        values.SetIndex(kCboSquelch, 3);
        StoreFeatures(values, image, v);

        field::SetByte(image, v.nChannelCount, 3);
        field::SetByte(image, v.nCurrentChannel, 2);
        field::SetChannel(image, v, 1, {5, 0, true});
        field::SetChannel(image, v, 2, {12, 7, false});
        field::SetChannel(image, v, 3, {99, 15, true});
        doc.SyncImageToDoc();
        ASSERT_TRUE(doc.OnSaveDocument(radio));
    }

    // Prints the radio file; the PDF's text, or empty when the program failed.
    std::string PrintedText(const std::string& strPdf) {
        const std::string err = dir.File("stderr.txt");
        const int nStatus = RunShell(Program() + " --ini " + Quote(ini) + " --print-pdf " +
                                     Quote(strPdf) + " " + Quote(radio) + " 2>" + Quote(err));
        EXPECT_EQ(nStatus, 0) << ReadTextFile(err);
        const std::string txt = dir.File("out.txt");
        EXPECT_EQ(RunShell("pdftotext -layout " + Quote(strPdf) + " " + Quote(txt)), 0);
        return ReadTextFile(txt);
    }

    // The desktop program, its recent-file list and other user settings kept in the test's
    // folder.
    std::string Program() const {
        return "XDG_CONFIG_HOME=" + Quote(dir.File("config")) +
               " XDG_DATA_HOME=" + Quote(dir.File("data")) + " " + Quote(WR7310_XTRA_PATH);
    }

    CTempDir dir;
    std::string ini = dir.File("WR7310SXtra.ini");
    std::string radio = dir.File("known.wr73");
};

TEST_F(PrintPdf, EveryLabelAndValueOfEverySectionIsPrintedInOrder) {
    const std::string strText = PrintedText(dir.File("known.pdf"));
    const std::vector<std::string> lines = Normalised(strText);
    const std::vector<std::string> expected = {
        "WR7310SXtra Programming Software",
        "Model: MT-7310 Frequency Range: 400.00000 - 470.00000 MHz",
        "Version: 1.02.05",
        "Radio Info",
        "Frequency Range: 400.00000 - 470.00000 MHz",
        "Model: MT-7310",
        "Serial: SN-4711",
        "Version 1.02.05",
        "Feature Switch",
        "Menu Enable Checked",
        "VOX Checked",
        "Button Beep Checked",
        "Call Tone Unchecked",
        "Manual TX Power Set Checked",
        "Comm Range Alarm Checked",
        "Channel Set Checked",
        "Frequency Set Unchecked",
        "Signaling Set Checked",
        "Channel Number Checked",
        "Default Set Mode Unchecked",
        "Battery Save Checked",
        "Tail Cut Signal Transmit Unchecked",
        "Keypad Lock Checked",
        "Feature Setting",
        "VOX: 3",
        "Button Beep: ON",
        "Call Tone: OFF",
        "Comm Range Alarm: ON",
        "TX Power Set: High",
        "TOT: 5 Minute",
        "Revert Channel: Last Stop CH",
        "Squelch Level: 4",
        "Channel Setting",
        "Available CHs: 3",
        "Selected CH: 2",
        "Channel Setting",
        "CH 1",
        "Freq Num 5",
        "Signal OFF",
        "Scan Add",
        "CH 2",
        "Freq Num 12",
        "Signal 7",
        "Scan Del",
        "CH 3",
        "Freq Num 99",
        "Signal 15",
        "Scan Add",
    };
    // Each expected line appears, after the one before it.
    auto it = lines.begin();
    for (const std::string& strLine : expected) {
        it = std::find(it, lines.end(), strLine);
        ASSERT_NE(it, lines.end()) << "missing or out of order: " << strLine << "\n" << strText;
        ++it;
    }
}

TEST_F(PrintPdf, FiftySevenRowsTakeTwoPagesEachWithHeaderAndFooter) {
    const std::string strText = PrintedText(dir.File("pages.pdf"));
    EXPECT_EQ(std::count(strText.begin(), strText.end(), '\f'), 2) << strText;
    const std::vector<std::string> lines = Normalised(strText);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "WR7310SXtra Programming Software"), 2);
    const std::regex footer(
        R"(Page ([0-9]+) of 2 [01][0-9]/[0-3][0-9]/20[0-9]{2} [0-2][0-9]:[0-5][0-9]:[0-5][0-9])");
    std::vector<std::string> pages;
    for (const std::string& line : lines) {
        std::smatch m;
        if (std::regex_match(line, m, footer))
            pages.push_back(m[1]);
    }
    EXPECT_EQ(pages, (std::vector<std::string>{"1", "2"})) << strText;
}

TEST_F(PrintPdf, UnreadableFileOrOutputFailsWithAMessage) {
    const std::string err = dir.File("stderr.txt");
    struct {
        std::string strArgs;
        std::string strMessagePart;
    } const kCases[] = {
        {"--print-pdf " + Quote(dir.File("x.pdf")) + " " + Quote(dir.File("missing.wr73")),
         "missing.wr73"},
        {"--print-pdf " + Quote(dir.File("no-folder/x.pdf")) + " " + Quote(radio),
         "Cannot print to"},
    };
    for (const auto& c : kCases) {
        const int nStatus =
            RunShell(Program() + " --ini " + Quote(ini) + " " + c.strArgs + " 2>" + Quote(err));
        EXPECT_EQ(nStatus, 1) << c.strArgs;
        EXPECT_NE(ReadTextFile(err).find(c.strMessagePart), std::string::npos) << ReadTextFile(err);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.pdf")));
}

} // namespace
