// SPDX-License-Identifier: GPL-3.0-or-later
// Scripted printing end to end: a known radio file printed to PDF by the desktop program, the
// PDF's text read back with pdftotext.
#include "TempDir.h"
#include "app/WR7310App.h"
#include "app/WR7310Doc.h"
#include "image/ImageFields.h"
#include "view/FeaturePanel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <sys/stat.h>
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
               " XDG_DATA_HOME=" + Quote(dir.File("data")) +
               " TMPDIR=" + Quote(dir.Path().string()) + " " + Quote(WR7310_XTRA_PATH);
    }

    // Runs the program printing the radio file to strTarget, with strSetup run first in the
    // same shell (limits, signals); its exit status, and its standard error in strErr.
    int PrintTo(const std::string& strTarget, std::string& strErr,
                const std::string& strSetup = "") {
        const std::string err = dir.File("stderr.txt");
        const int nStatus = RunShell("sh -c " +
                                     Quote(strSetup + " timeout 60 env " + Program() + " --ini " +
                                           Quote(ini) + " --print-pdf " + Quote(strTarget) + " " +
                                           Quote(radio) + "; st=$?; wait; exit $st") +
                                     " 2>" + Quote(err));
        strErr = ReadTextFile(err);
        return nStatus;
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
         "Cannot write the PDF file"},
    };
    for (const auto& c : kCases) {
        const int nStatus =
            RunShell(Program() + " --ini " + Quote(ini) + " " + c.strArgs + " 2>" + Quote(err));
        EXPECT_EQ(nStatus, 1) << c.strArgs;
        EXPECT_NE(ReadTextFile(err).find(c.strMessagePart), std::string::npos) << ReadTextFile(err);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.pdf")));
}

// Every way the PDF file cannot be written ends with the program's own message on standard
// error, no line of Qt's, a failure status, and the earlier file untouched.
TEST_F(PrintPdf, FailedPdfSaysWhyFailsAndKeepsTheEarlierFile) {
    const std::string previous = dir.File("previous.pdf");
    const std::string fifo = dir.File("fifo.pdf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct {
        const char* pszCase;
        std::string strTarget;
        std::string strSetup; // shell commands before the program starts
        const char* pszReason;
    } const cases[] = {
        // A file size limit stands in for a full disk: writes past 4 KiB fail.
        {"full disk", previous, "trap '' XFSZ; ulimit -f 4;", "No space left on device"},
        {"device that is full", "/dev/full", "", "No space left on device"},
        {"pipe nobody reads", fifo, "", "No such device or address"},
        {"folder", dir.Path().string(), "", "Is a directory"},
    };
    for (const auto& c : cases) {
        WriteTextFile(previous, "the previous printout");
        std::string strErr;
        EXPECT_EQ(PrintTo(c.strTarget, strErr, c.strSetup), 1) << c.pszCase << "\n" << strErr;
        EXPECT_EQ(strErr, "Cannot write the PDF file \"" + c.strTarget + "\": " + c.pszReason +
                              ". Any earlier file of that name is unchanged.\n")
            << c.pszCase;
        EXPECT_EQ(ReadTextFile(previous), "the previous printout") << c.pszCase;
    }
    // No draft or temporary file is left behind.
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        const std::string strName = e.path().filename().string();
        const bool bKnown = strName == "config" || strName == "data" || strName == "stderr.txt" ||
                            strName == "WR7310SXtra.ini" || strName == "known.wr73" ||
                            strName == "previous.pdf" || strName == "fifo.pdf" ||
                            strName == "runtime-root"; // Qt's, without XDG_RUNTIME_DIR
        EXPECT_TRUE(bKnown) << strName;
    }
    // With a reader on the pipe the printout goes through it.
    const std::string copy = dir.File("through-pipe.pdf");
    std::string strErr;
    EXPECT_EQ(PrintTo(fifo, strErr, "cat " + Quote(fifo) + " >" + Quote(copy) + " & sleep 1;"), 0)
        << strErr;
    EXPECT_EQ(ReadTextFile(copy).rfind("%PDF-", 0), 0u);
}

TEST_F(PrintPdf, PdfReplacesTheEarlierFileWhole) {
    const std::string pdf = dir.File("again.pdf");
    WriteTextFile(pdf, std::string(100000, 'x')); // longer than the printout
    std::string strErr;
    ASSERT_EQ(PrintTo(pdf, strErr), 0) << strErr;
    const std::string str = ReadTextFile(pdf);
    EXPECT_EQ(str.rfind("%PDF-", 0), 0u);
    EXPECT_EQ(str.find('x' + std::string(50, 'x')), std::string::npos);
    EXPECT_EQ(strErr, "");
}

// --- the older program's one page ---

TEST(OlderPrintPdf, OnePageWhateverTheFormHolds) {
    CTempDir dir;
    const std::string ini = dir.File("WR7310S.ini");
    WriteTextFile(ini, "");
    struct {
        const char* pszName;
        int nChannels;
        bool bLongTexts;
        const char* pszLastChannel; // the last channel line of the table
    } const kCases[] = {
        {"one", 1, false, "CH 1 7 OFF Add"},
        {"eight", 8, true, "CH 8 52 OFF Add"},
        {"none", 0, true, "CH 1 7 OFF Add"}, // a count of 0 is shown as 1
    };
    for (const auto& c : kCases) {
        const std::string radio = dir.File(std::string(c.pszName) + ".w73");
        {
            CWR7310App app(OldVariant(), ini);
            CWR7310Doc doc(app);
            ASSERT_TRUE(doc.OnNewDocument());
            const CVariant& v = app.m_variant;
            const auto image = app.Image();
            field::SetByte(image, v.nChannelCount, static_cast<std::uint8_t>(c.nChannels));
            field::SetText(image, v.serialNumber, c.bLongTexts ? "SERIAL-WWWWWWWWW" : "S1");
            field::SetText(image, v.firmwareVersion, "1.01.08");
            doc.SyncImageToDoc();
            ASSERT_TRUE(doc.OnSaveDocument(radio));
        }
        const std::string pdf = dir.File(std::string(c.pszName) + ".pdf");
        const std::string err = dir.File("stderr.txt");
        const std::string program = "XDG_CONFIG_HOME=" + Quote(dir.File("config")) +
                                    " XDG_DATA_HOME=" + Quote(dir.File("data")) + " " +
                                    Quote(WR7310_OLD_PATH);
        ASSERT_EQ(RunShell(program + " --ini " + Quote(ini) + " --print-pdf " + Quote(pdf) + " " +
                           Quote(radio) + " 2>" + Quote(err)),
                  0)
            << ReadTextFile(err);
        const std::string info = dir.File("info.txt");
        ASSERT_EQ(RunShell("pdfinfo " + Quote(pdf) + " >" + Quote(info)), 0);
        EXPECT_NE(ReadTextFile(info).find("Pages:           1\n"), std::string::npos)
            << c.pszName << "\n"
            << ReadTextFile(info);
        const std::string txt = dir.File("out.txt");
        ASSERT_EQ(RunShell("pdftotext -layout " + Quote(pdf) + " " + Quote(txt)), 0);
        const std::string strText = ReadTextFile(txt);
        const std::vector<std::string> lines = Normalised(strText);
        for (const std::string& strLine :
             {std::string("Radio Info"), std::string("Frequency Range: 460 - 470 MHz"),
              std::string("Local Oscillator Freq: 21.25 MHz"), std::string("Feature Switch"),
              std::string("VOX Enable Manual Tx Power Enable Frequency Set Enable"),
              std::string("Channel Setting"), std::string("CH Freq Num Signal Scan"),
              std::string(c.pszLastChannel)}) {
            EXPECT_NE(std::find(lines.begin(), lines.end(), strLine), lines.end())
                << c.pszName << ": " << strLine << "\n"
                << strText;
        }
        const bool bPageLine = std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
            return l.size() >= 6 && l.compare(l.size() - 6, 6, "Page 1") == 0;
        });
        EXPECT_TRUE(bPageLine) << strText;
    }
}

} // namespace
