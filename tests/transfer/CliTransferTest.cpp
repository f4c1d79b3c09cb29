// SPDX-License-Identifier: GPL-3.0-or-later
// The built command-line tool against the simulated radio on a pseudo-terminal.
#include "EndlessFifo.h"
#include "TransferFixture.h"
#include "image/FreqCodec.h"
#include "transfer/Backup.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct CCliResult {
    int nStatus = -1;
    std::string strOut;
    std::string strErr;
};

class CliTransferTest : public TransferTest {
protected:
    void SetUp() override {
        // Backups go to this test's own folder.
        setenv("XDG_DATA_HOME", m_dir.File("data").c_str(), 1);
        m_strBackups = m_dir.File("data/wr7310/backups");
    }

    void StartRadioWith(std::vector<std::uint8_t> memory, CRadioSimOptions o = {}) {
        o.image = std::move(memory);
        m_memory = o.image;
        StartRadio(o);
        WriteTextFile(m_strIni, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
    }

    // bOwnPorts: strArgs names every --port; else the fixture's radio comes first.
    CCliResult Cli(const std::string& strArgs, bool bOwnPorts = false) {
        const std::string strOut = m_dir.File("stdout"), strErr = m_dir.File("stderr");
        const std::string strPort =
            bOwnPorts ? std::string() : " --port '" + m_pRadio->DevicePath() + "'";
        const std::string strCommand = std::string(WR7310_CLI_PATH) + " --ini '" + m_strIni + "'" +
                                       strPort + " " + strArgs + " >'" + strOut + "' 2>'" + strErr +
                                       "' </dev/null";
        CCliResult r;
        const int nRaw = std::system(strCommand.c_str());
        r.nStatus = WIFEXITED(nRaw) ? WEXITSTATUS(nRaw) : -1;
        r.strOut = ReadTextFile(strOut);
        r.strErr = ReadTextFile(strErr);
        return r;
    }

    std::vector<std::string> Backups() const {
        std::vector<std::string> files;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(m_strBackups, ec))
            if (e.path().extension() != ".img") // each backup's raw image, beside it
                files.push_back(e.path().string());
        return files;
    }

    static std::vector<std::uint8_t> RadioFile(const std::vector<std::uint8_t>& image) {
        std::vector<std::uint8_t> file(128, 0);
        const std::string strSig = "This is PC Programe for WR7310SXtra. [070327]";
        std::copy(strSig.begin(), strSig.end(), file.begin());
        file.insert(file.end(), image.begin(), image.end());
        return file;
    }

    std::vector<std::uint8_t> m_memory;
    std::string m_strBackups;
};

TEST_F(CliTransferTest, ReadSavesTheRadioFileAndKeepsABackup) {
    auto memory = RandomRadioMemory(11);
    memory[0x324] |= 0x80; // the key tune switch is open in the radio
    StartRadioWith(memory);
    const std::string strFile = m_dir.File("radio.wr73");
    const CCliResult r = Cli("read -o '" + strFile + "'");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strErr.find("Read successfully!"), std::string::npos) << r.strErr;
    EXPECT_EQ(r.strErr.find('\r'), std::string::npos); // no progress bar off a terminal

    // The saved file is what the desktop's Save writes: the tune switch bit cleared.
    auto saved = memory;
    saved[0x324] &= 0x7F;
    EXPECT_EQ(ReadBinaryFile(strFile), RadioFile(saved));
    // The backup is the radio's memory exactly as read.
    const auto backups = Backups();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(ReadBinaryFile(backups[0]), RadioFile(memory));
    EXPECT_NE(r.strErr.find(backups[0]), std::string::npos);
}

TEST_F(CliTransferTest, NoBackupKeepsNone) {
    StartRadioWith(RandomRadioMemory(12));
    const CCliResult r = Cli("--no-backup read -o '" + m_dir.File("r.wr73") + "'");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_TRUE(Backups().empty());
}

TEST_F(CliTransferTest, FailedReadWritesNoFileAndNoBackup) {
    CRadioSimOptions o;
    o.stopAt = 0x400;
    StartRadioWith(RandomRadioMemory(13), o);
    const std::string strFile = m_dir.File("radio.wr73");
    const CCliResult r = Cli("read -o '" + strFile + "'");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find("Read error in address 400"), std::string::npos) << r.strErr;
    EXPECT_FALSE(fs::exists(strFile));
    EXPECT_TRUE(Backups().empty());
}

TEST_F(CliTransferTest, WriteSendsTheFileWithTheTuneSwitchClosed) {
    StartRadioWith(RandomRadioMemory(14));
    auto image = RandomRadioMemory(15); // range bytes 400..470, the radio's own
    image[0x324] |= 0x80;
    const std::string strFile = m_dir.File("prog.wr73");
    WriteBinaryFile(strFile, RadioFile(image));
    // The settings file's range is narrower; the file's range bytes decide.
    WriteTextFile(m_strIni, "[FreqRange]\nMinFreq=450\nMaxFreq=451\n");
    const CCliResult r = Cli("write '" + strFile + "'");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strErr.find("Write successfully!"), std::string::npos);
    const auto after = m_pRadio->Memory();
    for (const CWriteBlock& b : XtraVariant().writePlan)
        for (int i = 0; i < b.nLength; ++i) {
            const std::size_t a = b.nAddr + i;
            ASSERT_EQ(after[a], a == 0x324 ? (image[a] & 0x7F) : image[a]) << std::hex << a;
        }
    EXPECT_TRUE(std::equal(after.begin() + 0x668, after.end(), m_memory.begin() + 0x668));
}

TEST_F(CliTransferTest, WriteOfAWiderRangeIsRefused) {
    StartRadioWith(RandomRadioMemory(16));
    auto image = RandomRadioMemory(17);
    // Low limit 399.99375 MHz (count 63999), one step below the radio's.
    image[0x348] = 0xFF;
    image[0x349] = 0xF9;
    image[0x34A] = 0x00;
    const std::string strFile = m_dir.File("prog.wr73");
    WriteBinaryFile(strFile, RadioFile(image));
    const CCliResult r = Cli("write '" + strFile + "'");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find("Frequency range isn't match."), std::string::npos) << r.strErr;
    EXPECT_EQ(m_pRadio->Memory(), m_memory);
}

TEST_F(CliTransferTest, InfoShowsTheRadioInformationTexts) {
    auto memory = RandomRadioMemory(18);
    std::fill_n(memory.begin() + 0x328, 32, std::uint8_t{0});
    const std::string strModel = "MT-7310-LONGMODELNAME", strSerial = "SN-0042";
    std::copy_n(strModel.begin(), 16, memory.begin() + 0x328); // full: no terminator
    std::copy(strSerial.begin(), strSerial.end(), memory.begin() + 0x338);
    const std::string strVersion = "1.02.05-beta";
    std::fill_n(memory.begin() + 0x668, 16, std::uint8_t{0});
    std::copy(strVersion.begin(), strVersion.end(), memory.begin() + 0x668);
    memory[0x34E] = 0x98; // 21400 kHz
    memory[0x34F] = 0x53;
    StartRadioWith(memory);
    const CCliResult r = Cli("--no-backup info");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "Frequency Range:   400.00000 - 470.00000 MHz\n"
                        "Model:             MT-7310-LONGMODE\n"
                        "Serial:            SN-0042\n"
                        "Verion:            1.02.05\n"
                        "Local Oscillator:  21.40 MHz\n");
}

TEST_F(CliTransferTest, TuneFrequencyBelowTheRadiosRangeIsRaisedToItsLimit) {
    StartRadioWith(RandomRadioMemory(19));
    const CCliResult r = Cli("tune frequency 390");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strErr.find("Frequency is out of extend minimum frequency value,\nthe value is "
                            "mandatorily changed to the normal minimum frequency."),
              std::string::npos)
        << r.strErr;
    // 400 MHz on the 12.5 kHz raster: count 32000, code 2.
    const auto after = m_pRadio->Memory();
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + 0x678, after.begin() + 0x67C),
              Bytes({0x00, 0x7D, 0x00, 0x02}));
    EXPECT_EQ(after[0x324], m_memory[0x324] & 0x7F);
}

TEST_F(CliTransferTest, TuneFrequencyAboveIsLoweredAndOffRasterIsSnapped) {
    StartRadioWith(RandomRadioMemory(20));
    CCliResult r = Cli("tune frequency 480");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strErr.find("Frequency is out of extend maximum frequency value"),
              std::string::npos);
    r = Cli("tune frequency 462.551");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr.find("Frequency is out of"), std::string::npos);
    EXPECT_NE(r.strErr.find("462.55000"), std::string::npos);
    const auto after = m_pRadio->Memory();
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + 0x678, after.begin() + 0x67C),
              Bytes({0x8C, 0x90, 0x00, 0x02})); // count 37004
}

TEST_F(CliTransferTest, TuneFrequencyThatIsNoFiniteNumberIsRefusedBeforeConnecting) {
    StartRadioWith(RandomRadioMemory(26));
    for (const char* pszValue : {"nan", "inf", "-inf", "1e999", "abc", "465x"}) {
        const CCliResult r = Cli(std::string("tune frequency ") + pszValue);
        EXPECT_EQ(r.nStatus, 2) << pszValue;
        EXPECT_EQ(r.strErr,
                  std::string("wr7310 tune: \"") + pszValue + "\" is not a frequency in MHz\n");
    }
    EXPECT_TRUE(m_pRadio->Frames().empty());
    EXPECT_EQ(m_pRadio->Memory(), m_memory);
}

TEST_F(CliTransferTest, RadioTextsArePrintedWithControlBytesEscaped) {
    auto memory = RandomRadioMemory(27);
    const std::string strModel = std::string("\x1b]0;pwned\x07", 10) + std::string(6, '\0');
    std::copy(strModel.begin(), strModel.end(), memory.begin() + 0x328);
    StartRadioWith(memory);
    for (const char* pszCommand : {"--no-backup info", "tune read"}) {
        const CCliResult r = Cli(pszCommand);
        ASSERT_EQ(r.nStatus, 0) << r.strErr;
        EXPECT_EQ(r.strOut.find('\x1b'), std::string::npos) << pszCommand;
        EXPECT_NE(r.strOut.find("\\x1B]0;pwned\\x07\n"), std::string::npos) << r.strOut;
    }
}

TEST_F(CliTransferTest, AFileThatCannotBeOpenedIsReportedOnceAndNothingIsSent) {
    StartRadioWith(RandomRadioMemory(28));
    const std::string strFile = m_dir.File("short.wr73");
    WriteBinaryFile(strFile, std::vector<std::uint8_t>(100, 0));
    const CCliResult r = Cli("write '" + strFile + "'");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strErr,
              "wr7310 write: " + strFile +
                  ": Cannot open: it holds 100 bytes, but a radio file holds 2176 bytes. Nothing "
                  "was changed.\n");
    EXPECT_TRUE(m_pRadio->Frames().empty());
}

TEST_F(CliTransferTest, EmbeddedWriteFromAStreamThatNeverEndsIsRefusedAtOnce) {
    StartRadioWith(RandomRadioMemory(29));
    // The writer sends more than fits and then keeps the stream open: the text has no end.
    std::optional<CEndlessFifo> fifo;
    fifo.emplace(m_dir.File("endless"), std::vector<unsigned char>(200, 'x'));
    const auto start = std::chrono::steady_clock::now();
    const CCliResult r = Cli("embedded write '" + fifo->Path() + "'");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    fifo.reset();
    EXPECT_EQ(r.nStatus, 1) << r.strErr;
    EXPECT_NE(r.strErr.find("at most 128 bytes"), std::string::npos) << r.strErr;
    EXPECT_LT(elapsed, std::chrono::seconds(4)); // did not wait for an end that never comes
    EXPECT_TRUE(m_pRadio->Frames().empty());
}

TEST_F(CliTransferTest, TuneSwitchAndTuneRead) {
    auto memory = RandomRadioMemory(21);
    memory[0x324] = 0x05;
    StartRadioWith(memory);
    ASSERT_EQ(Cli("tune switch open").nStatus, 0);
    EXPECT_EQ(m_pRadio->Memory()[0x324], 0x85);
    const CCliResult r = Cli("tune read");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("Key Tune Switch:      Open\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("Frequency range:      400.00000 - 470.00000MHz\n"), std::string::npos);
    ASSERT_EQ(Cli("tune switch close").nStatus, 0);
    EXPECT_EQ(m_pRadio->Memory()[0x324], 0x05);
    EXPECT_EQ(Cli("tune switch half").nStatus, 2);
}

TEST_F(CliTransferTest, EmbeddedInformationRoundTrip) {
    StartRadioWith(RandomRadioMemory(22));
    const std::string strText = "Site 4 repeater\nowner: radio club\n";
    const std::string strIn = m_dir.File("in.txt"), strOut = m_dir.File("out.txt");
    WriteTextFile(strIn, strText);
    ASSERT_EQ(Cli("embedded write '" + strIn + "'").nStatus, 0);
    const auto after = m_pRadio->Memory();
    EXPECT_EQ(std::string(after.begin() + 0x780, after.begin() + 0x780 + strText.size()), strText);
    EXPECT_TRUE(std::all_of(after.begin() + 0x780 + static_cast<long>(strText.size()), after.end(),
                            [](std::uint8_t b) { return b == 0; }));
    ASSERT_EQ(Cli("embedded read -o '" + strOut + "'").nStatus, 0);
    EXPECT_EQ(ReadTextFile(strOut), strText);
    const CCliResult r = Cli("embedded read");
    EXPECT_EQ(r.strOut, strText);
}

TEST_F(CliTransferTest, EmbeddedTextOver128BytesIsRefusedBeforeConnecting) {
    StartRadioWith(RandomRadioMemory(23));
    const std::string strIn = m_dir.File("in.txt");
    WriteTextFile(strIn, std::string(128, 'a'));
    EXPECT_EQ(Cli("embedded write '" + strIn + "'").nStatus, 0);
    WriteTextFile(strIn, std::string(129, 'b'));
    const CCliResult r = Cli("embedded write '" + strIn + "'");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find("at most 128 bytes"), std::string::npos) << r.strErr;
    const auto after = m_pRadio->Memory();
    EXPECT_EQ(std::string(after.begin() + 0x780, after.end()), std::string(128, 'a'));
}

TEST_F(CliTransferTest, TraceShowsEveryFrame) {
    StartRadioWith(RandomRadioMemory(24));
    const CCliResult r = Cli("--trace tune switch open");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strErr.find("> 5A C3 17 8E\n< 99\n"), std::string::npos) << r.strErr;
    EXPECT_NE(r.strErr.find("> 52 03 24 01\n"), std::string::npos);
    EXPECT_NE(r.strErr.find("> 99\n< 99\n"), std::string::npos);
}

TEST_F(CliTransferTest, ConnectionErrorFailsTheCommand) {
    StartRadioWith(RandomRadioMemory(25));
    const std::string strFile = m_dir.File("r.wr73");
    const std::string strCommand = std::string(WR7310_CLI_PATH) + " --ini '" + m_strIni +
                                   "' --port '" + m_dir.File("absent") + "' read -o '" + strFile +
                                   "' 2>'" + m_dir.File("err") + "'";
    const int nRaw = std::system(strCommand.c_str());
    EXPECT_EQ(WEXITSTATUS(nRaw), 1);
    EXPECT_NE(ReadTextFile(m_dir.File("err")).find("Connection error."), std::string::npos);
    EXPECT_FALSE(fs::exists(strFile));
}

// --- the older radio ---

TEST_F(CliTransferTest, OlderRadioReadWriteInfoAndTuneWithTheModelFromTheFile) {
    CRadioSimOptions o;
    o.pVariant = &OldVariant();
    auto memory = CRadioSim::BuiltInImage(OldVariant());
    memory[0x10C] |= 0x80; // the key tune switch is open in the radio
    StartRadioWith(memory, o);

    // No --model: the file's extension names the older radio.
    const std::string strFile = m_dir.File("radio.w73");
    CCliResult r = Cli("read -o '" + strFile + "'");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const auto file = ReadBinaryFile(strFile);
    ASSERT_EQ(file.size(), 1152u);
    const std::string strSig = "This is PC Programe for WR7310S. [040113]";
    EXPECT_EQ(std::string(file.begin(), file.begin() + 41), strSig);
    for (int a = 0; a < 0x400; ++a) {
        const bool bZero = (a >= 0x080 && a <= 0x0FF) || a == 0x103 || a == 0x10E || a == 0x10F ||
                           (a >= 0x104 && a <= 0x107) || (a >= 0x300 && a <= 0x35F) ||
                           (a >= 0x370 && a <= 0x37F);
        const std::uint8_t expected =
            bZero ? 0
                  : (a == 0x10C ? m_memory[0x10C] & 0x7F : m_memory[static_cast<std::size_t>(a)]);
        ASSERT_EQ(file[static_cast<std::size_t>(128 + a)], expected) << std::hex << a;
    }
    const auto backups = Backups();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_TRUE(backups[0].ends_with(".w73")) << backups[0];

    // No --model again: the signature names it; 74 blocks go to the radio.
    const std::size_t nFramesBefore = m_pRadio->Frames().size();
    r = Cli("write '" + strFile + "'");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const auto frames = m_pRadio->Frames();
    const auto nWrites = std::count_if(frames.begin() + static_cast<long>(nFramesBefore),
                                       frames.end(), [](const auto& f) { return f[0] == 0x57; });
    EXPECT_EQ(nWrites, 74);

    r = Cli("--model old --no-backup info");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "Frequency Range:   460 - 470MHz\n"
                        "Model:             MT-7310\n"
                        "Serial:            SIM-7310-000417\n"
                        "Verion:            V1.01.05\n"
                        "Local Oscillator:  21.25MHz\n");

    // Below the radio's range at 0x138: raised to 460 MHz (count 36800, code 2) at 0x370.
    r = Cli("--model old tune frequency 455");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const auto after = m_pRadio->Memory();
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + 0x370, after.begin() + 0x374),
              Bytes({0xC0, 0x8F, 0x00, 0x02}));
    EXPECT_EQ(after[0x10C] & 0x80, 0);
}

} // namespace

namespace {

// The write frames a radio must receive for an image: every block of the plan, in order, with
// the image's bytes.
std::vector<std::vector<std::uint8_t>> ExpectedWriteFrames(const std::vector<std::uint8_t>& image) {
    std::vector<std::vector<std::uint8_t>> frames;
    for (const CWriteBlock& b : XtraVariant().writePlan) {
        std::vector<std::uint8_t> f = {0x57, static_cast<std::uint8_t>(b.nAddr >> 8),
                                       static_cast<std::uint8_t>(b.nAddr & 0xFF), b.nLength};
        f.insert(f.end(), image.begin() + b.nAddr, image.begin() + b.nAddr + b.nLength);
        frames.push_back(f);
    }
    return frames;
}

std::vector<std::vector<std::uint8_t>> WriteFrames(const CSimRadio& radio) {
    std::vector<std::vector<std::uint8_t>> frames;
    for (const auto& f : radio.Frames())
        if (!f.empty() && f[0] == 0x57)
            frames.push_back(f);
    return frames;
}

TEST_F(CliTransferTest, WriteVerifyReadsBackEveryWrittenBlock) {
    StartRadioWith(RandomRadioMemory(40));
    auto image = RandomRadioMemory(41);
    image[0x324] &= 0x7F;
    const std::string strFile = m_dir.File("prog.wr73");
    WriteBinaryFile(strFile, RadioFile(image));
    const CCliResult r = Cli("write --verify '" + strFile + "'");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strErr.find("Write successfully!"), std::string::npos) << r.strErr;
    EXPECT_EQ(r.strOut, "");
    // After the writes, one read of every written block, in the plan's order.
    const auto frames = m_pRadio->Frames();
    std::vector<std::vector<std::uint8_t>> reads;
    bool bWritten = false;
    for (const auto& f : frames) {
        bWritten = bWritten || f[0] == 0x57;
        if (bWritten && f[0] == 0x52)
            reads.push_back(f);
    }
    ASSERT_EQ(reads.size(), XtraVariant().writePlan.size());
    for (std::size_t k = 0; k < reads.size(); ++k)
        EXPECT_EQ(reads[k],
                  ReadFrame(XtraVariant().writePlan[k].nAddr, XtraVariant().writePlan[k].nLength));
    EXPECT_EQ(frames.back(), EndFrame());
}

TEST_F(CliTransferTest, WriteVerifyOfARadioThatStoresAWrongByteFailsAndNamesIt) {
    CRadioSimOptions o;
    o.wrongByteAt = 0x321;
    StartRadioWith(RandomRadioMemory(42), o);
    auto image = RandomRadioMemory(43);
    image[0x324] &= 0x7F;
    const std::string strFile = m_dir.File("prog.wr73");
    WriteBinaryFile(strFile, RadioFile(image));

    char szLine[32];
    std::snprintf(szLine, sizeof szLine, "$0321:0x%02X -> 0x%02X\n", image[0x321],
                  image[0x321] ^ 1);
    const CCliResult r = Cli("write '" + strFile + "' --verify");
    EXPECT_EQ(r.nStatus, 1) << r.strErr;
    EXPECT_EQ(r.strOut, szLine);
    EXPECT_NE(r.strErr.find("Verify error in address 321"), std::string::npos) << r.strErr;
    EXPECT_EQ(r.strErr.find("Write successfully!"), std::string::npos) << r.strErr;
    // Every exchange succeeded: the radio is told the transfer is over.
    EXPECT_EQ(m_pRadio->Frames().back(), EndFrame());

    // Without --verify the same radio reports success: the fault is only seen by reading back.
    EXPECT_EQ(Cli("write '" + strFile + "'").nStatus, 0);
}

TEST_F(CliTransferTest, ThreeRadiosAreWrittenByOneCommandEachWithEveryFrameRight) {
    StartRadioWith(RandomRadioMemory(50));
    std::vector<std::unique_ptr<CSimRadio>> more;
    for (unsigned n : {51u, 52u}) {
        CRadioSimOptions o;
        o.nBaudRate = 0;
        o.image = RandomRadioMemory(n);
        more.push_back(std::make_unique<CSimRadio>(o));
    }
    auto image = RandomRadioMemory(53);
    image[0x324] &= 0x7F;
    const std::string strFile = m_dir.File("fleet.wr73");
    WriteBinaryFile(strFile, RadioFile(image));
    const CCliResult r = Cli("write '" + strFile + "' --verify --port '" + more[0]->DevicePath() +
                             "' --port=" + more[1]->DevicePath());
    ASSERT_EQ(r.nStatus, 0) << r.strErr << r.strOut;
    const std::vector<const CSimRadio*> radios = {m_pRadio.get(), more[0].get(), more[1].get()};
    for (const CSimRadio* pRadio : radios) {
        EXPECT_EQ(WriteFrames(*pRadio), ExpectedWriteFrames(image)) << pRadio->DevicePath();
        EXPECT_EQ(pRadio->Frames().front(), EntryFrame());
        EXPECT_EQ(pRadio->Frames().back(), EndFrame());
        EXPECT_NE(r.strOut.find(pRadio->DevicePath() + ": ok, verified (Write successfully!)"),
                  std::string::npos)
            << r.strOut;
    }
    EXPECT_NE(r.strOut.find("3 of 3 radios succeeded\n"), std::string::npos) << r.strOut;
}

TEST_F(CliTransferTest, OneFailingRadioOfSeveralFailsTheCommandAndTheOthersAreStillDone) {
    StartRadioWith(RandomRadioMemory(60));
    CRadioSimOptions o;
    o.nBaudRate = 0;
    o.image = RandomRadioMemory(61);
    o.wrongAckAt = 0x100;
    CSimRadio bad(o);
    const std::string strOut = m_dir.File("radios.wr73");
    // read: each radio's file gets its port's name, and each traced frame its port.
    const CCliResult read =
        Cli("--trace --no-backup read -o '" + strOut + "' --port " + bad.DevicePath());
    ASSERT_EQ(read.nStatus, 0) << read.strErr << read.strOut;
    EXPECT_EQ(read.strErr.find("\n> "), std::string::npos) << read.strErr;
    EXPECT_EQ(read.strErr.find("\n< "), std::string::npos) << read.strErr;
    for (const CSimRadio* pRadio : {m_pRadio.get(), &bad}) {
        EXPECT_NE(read.strErr.find(pRadio->DevicePath() + ": > 52 07 F8 08\n"), std::string::npos)
            << read.strErr;
        const std::string strName = fs::path(pRadio->DevicePath()).filename().string();
        const auto file = ReadBinaryFile(m_dir.File("radios-" + strName + ".wr73"));
        ASSERT_EQ(file.size(), 2176u) << strName;
        EXPECT_TRUE(
            std::equal(file.begin() + 128, file.begin() + 128 + 0x300, pRadio->Memory().begin()))
            << strName;
    }
    // write: the radio that refuses a block fails, the other is written, the status is 1.
    const std::string strFile =
        m_dir.File("radios-" + fs::path(m_pRadio->DevicePath()).filename().string() + ".wr73");
    const CCliResult write = Cli("write '" + strFile + "' --port " + bad.DevicePath());
    EXPECT_EQ(write.nStatus, 1);
    EXPECT_NE(write.strOut.find(bad.DevicePath() + ": FAILED (Write error in address 100)"),
              std::string::npos)
        << write.strOut;
    EXPECT_NE(write.strOut.find(m_pRadio->DevicePath() + ": ok"), std::string::npos)
        << write.strOut;
    EXPECT_NE(write.strOut.find("1 of 2 radios succeeded"), std::string::npos);
}

// Files that plainly are no radio files are refused before the radio is touched, with the
// way to make a radio file of them; --force writes such a file all the same.
TEST_F(CliTransferTest, WriteRefusesWhatIsNoRadioFileUnlessForced) {
    StartRadioWith(RandomRadioMemory(80));
    std::vector<std::uint8_t> noSignature = RadioFile(RandomRadioMemory(81));
    std::fill(noSignature.begin(), noSignature.begin() + 128, std::uint8_t{0});
    const std::string strJson = "{\n  \"model\": \"WR7310S\"" + std::string(1200, ' ') + "}\n";
    const std::string strCsv = "channel,frequency number,signal,scan\n1,1,off,on\n";
    const struct {
        const char* pszName;
        std::vector<std::uint8_t> bytes;
        const char* pszModel;
        const char* pszWhat;
    } cases[] = {
        {"old.json", {strJson.begin(), strJson.end()}, "--model old", "is JSON"},
        {"list.json", {'[', '\n', ']'}, "", "is JSON"},
        {"table.csv", {strCsv.begin(), strCsv.end()}, "", "is a CSV table"},
        {"nosig.wr73", noSignature, "", "has no radio file signature"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        const std::string strFile = m_dir.File(c.pszName);
        WriteBinaryFile(strFile, c.bytes);
        const CCliResult r = Cli(std::string(c.pszModel) + " write '" + strFile + "'");
        EXPECT_EQ(r.nStatus, 1);
        EXPECT_NE(r.strErr.find(c.pszWhat), std::string::npos) << r.strErr;
        EXPECT_NE(r.strErr.find("'wr7310 import'"), std::string::npos) << r.strErr;
        EXPECT_EQ(r.strErr.find("successfully"), std::string::npos) << r.strErr;
        EXPECT_TRUE(m_pRadio->Frames().empty());
    }
    const CCliResult r = Cli("write --force '" + m_dir.File("nosig.wr73") + "'");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(m_pRadio->Memory()[0x100], noSignature[128 + 0x100]);
}

// The read-back after a write: "verified" only for a radio whose every block was read back
// as written; a difference or a read-back that fails still ends the radio's transfer.
TEST_F(CliTransferTest, FleetVerifyClaimsOnlyWhatItReadBack) {
    StartRadioWith(RandomRadioMemory(90));
    std::vector<std::unique_ptr<CSimRadio>> more;
    for (int nFault = 0; nFault < 2; ++nFault) {
        CRadioSimOptions o;
        o.nBaudRate = 0;
        o.image = RandomRadioMemory(91);
        (nFault == 0 ? o.wrongByteAt : o.shortReplyAt) = std::uint16_t{0x100};
        more.push_back(std::make_unique<CSimRadio>(o));
    }
    auto image = RandomRadioMemory(92);
    image[0x324] &= 0x7F;
    const std::string strFile = m_dir.File("fleet.wr73");
    WriteBinaryFile(strFile, RadioFile(image));
    const CCliResult r = Cli("write --verify '" + strFile + "' --port " + more[0]->DevicePath() +
                             " --port " + more[1]->DevicePath());
    EXPECT_EQ(r.nStatus, 1) << r.strErr << r.strOut;
    EXPECT_NE(r.strOut.find(m_pRadio->DevicePath() + ": ok, verified (Write successfully!)"),
              std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find(more[0]->DevicePath() + ": FAILED (Verify error in address 100"),
              std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find(more[1]->DevicePath() + ": FAILED (Verify read error in address 100"),
              std::string::npos)
        << r.strOut;
    EXPECT_EQ(r.strOut.find("verified", r.strOut.find(more[0]->DevicePath())), std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("1 of 3 radios succeeded"), std::string::npos) << r.strOut;
    for (const CSimRadio* pRadio : {m_pRadio.get(), more[0].get(), more[1].get()})
        EXPECT_EQ(pRadio->Frames().back(), EndFrame()) << pRadio->DevicePath();
    // The radio that is "verified" was read back block by block after the write.
    std::size_t nReadBack = 0;
    bool bWritten = false;
    for (const auto& f : m_pRadio->Frames()) {
        bWritten = bWritten || f[0] == 0x57;
        nReadBack += bWritten && f[0] == 0x52 ? 1 : 0;
    }
    EXPECT_EQ(nReadBack, XtraVariant().writePlan.size());
}

TEST_F(CliTransferTest, WriteVerifyWhoseReadBackFailsSaysTheWriteCompleted) {
    CRadioSimOptions o;
    o.shortReplyAt = 0x100;
    StartRadioWith(RandomRadioMemory(93), o);
    auto image = RandomRadioMemory(94);
    image[0x324] &= 0x7F;
    const std::string strFile = m_dir.File("prog.wr73");
    WriteBinaryFile(strFile, RadioFile(image));
    const CCliResult r = Cli("write --verify '" + strFile + "'");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.strErr.find("Verify read error in address 100: the whole file was written"),
              std::string::npos)
        << r.strErr;
    EXPECT_EQ(r.strErr.find("read back as written"), std::string::npos) << r.strErr;
    EXPECT_EQ(m_pRadio->Memory()[0x200], image[0x200]);
    EXPECT_EQ(m_pRadio->Frames().back(), EndFrame());
}

// A radio whose read fails gets no file, no backup and no "ok"; the others are saved.
TEST_F(CliTransferTest, FleetReadSavesOnlyTheRadiosThatWereRead) {
    StartRadioWith(RandomRadioMemory(95));
    CRadioSimOptions o;
    o.nBaudRate = 0;
    o.stopAt = 0x400;
    CSimRadio bad(o);
    const std::string strOut = m_dir.File("radios.wr73");
    const CCliResult r = Cli("read -o '" + strOut + "' --port " + bad.DevicePath());
    EXPECT_EQ(r.nStatus, 1) << r.strErr;
    EXPECT_NE(r.strOut.find(bad.DevicePath() + ": FAILED (Read error in address 400)\n"),
              std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find(m_pRadio->DevicePath() + ": ok"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("1 of 2 radios succeeded"), std::string::npos) << r.strOut;
    const auto name = [&](const CSimRadio& radio) {
        return m_dir.File("radios-" + fs::path(radio.DevicePath()).filename().string() + ".wr73");
    };
    EXPECT_FALSE(fs::exists(name(bad)));
    EXPECT_TRUE(fs::exists(name(*m_pRadio)));
    EXPECT_EQ(Backups().size(), 1u);
}

// Devices that share a name get files of their own; the same device twice, and an output
// that cannot be saved, are refused before any radio is read.
TEST_F(CliTransferTest, FleetReadGivesEveryRadioItsOwnFileOrReadsNone) {
    WriteTextFile(m_strIni, "[FreqRange]\nMinFreq=400\nMaxFreq=470\n");
    std::vector<std::unique_ptr<CSimRadio>> radios;
    std::vector<std::string> links;
    for (const char* pszDir : {"a", "b"}) {
        fs::create_directories(m_dir.File(pszDir));
        CRadioSimOptions o;
        o.nBaudRate = 0;
        o.image = RandomRadioMemory(static_cast<unsigned>(96 + radios.size()));
        o.strLinkPath = m_dir.File(std::string(pszDir) + "/radio");
        links.push_back(o.strLinkPath);
        radios.push_back(std::make_unique<CSimRadio>(o));
    }
    const std::string strOut = m_dir.File("out/radio.wr73");
    const auto frameCount = [&] { return radios[0]->Frames().size() + radios[1]->Frames().size(); };
    // Refused up front: nothing reaches either radio.
    const struct {
        std::string strPorts;
        int nStatus;
        const char* pszWhy;
    } refused[] = {
        {"--port '" + links[0] + "' --port '" + links[1] + "'", 1, "Cannot save"},
        {"--port '" + links[0] + "' --port '" + links[0] + "'", 2, "named before"},
        {"--port '" + links[1] + "' --port '" + radios[1]->DevicePath() + "'", 2, "named before"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.strPorts);
        const CCliResult r = Cli("read -o '" + strOut + "' " + c.strPorts, true);
        EXPECT_EQ(r.nStatus, c.nStatus);
        EXPECT_NE(r.strErr.find(c.pszWhy), std::string::npos) << r.strErr;
        EXPECT_EQ(frameCount(), 0u);
        EXPECT_TRUE(Backups().empty());
    }
    fs::create_directories(m_dir.File("out"));
    const CCliResult r = Cli("read -o '" + strOut + "' " + refused[0].strPorts, true);
    ASSERT_EQ(r.nStatus, 0) << r.strErr << r.strOut;
    std::vector<std::string> saved;
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(links[i]);
        // "<port>: ok (Read successfully!); saved <file>, backup <backup>"
        const std::string strHead = links[i] + ": ok (Read successfully!); saved ";
        const std::size_t nAt = r.strOut.find(strHead);
        ASSERT_NE(nAt, std::string::npos) << r.strOut;
        const std::size_t nStart = nAt + strHead.size();
        const std::string strFile = r.strOut.substr(nStart, r.strOut.find(", ", nStart) - nStart);
        EXPECT_EQ(fs::path(strFile).parent_path(), fs::path(m_dir.File("out")));
        saved.push_back(strFile);
        const auto file = ReadBinaryFile(strFile);
        ASSERT_EQ(file.size(), 2176u);
        EXPECT_TRUE(std::equal(file.begin() + 128, file.begin() + 128 + 0x300,
                               radios[i]->Memory().begin()));
    }
    EXPECT_NE(saved[0], saved[1]);
}

// A backup holds every byte the radio sent, and restore writes back every block a write sends,
// for both models: also the bytes the older radio's file never carries (its tune frequency).
TEST_F(CliTransferTest, BackupsRestoreEveryByteAWriteSends) {
    for (const CVariant* pVariant : {&XtraVariant(), &OldVariant()}) {
        SCOPED_TRACE(pVariant->strModel);
        const CVariant& v = *pVariant;
        const std::vector<std::uint8_t> fresh = CRadioSim::BuiltInImage(v);
        std::vector<std::uint8_t> memory = fresh;
        std::mt19937 gen(7);
        for (std::size_t a = 0; a < memory.size(); ++a)
            if (!v.rangeBytes.Contains(a) && !v.firmwareVersion.Contains(a))
                memory[a] = static_cast<std::uint8_t>(gen());
        CRadioSimOptions o;
        o.pVariant = &v;
        StartRadioWith(memory, o);
        fs::remove_all(m_strBackups);
        const std::string strModel = " --model " + std::string(v.strCliName) + " ";
        CCliResult r =
            Cli(strModel + "read -o '" + m_dir.File("r") + std::string(v.strFileExt) + "'");
        ASSERT_EQ(r.nStatus, 0) << r.strErr;
        const auto backups = Backups();
        ASSERT_EQ(backups.size(), 1u);
        EXPECT_EQ(ReadBinaryFile(BackupImagePath(backups[0])), memory);

        // Another configuration in the radio; the backup puts the first one back.
        m_pRadio.reset();
        StartRadioWith(fresh, o);
        r = Cli("restore --verify '" + backups[0] + "'");
        ASSERT_EQ(r.nStatus, 0) << r.strErr;
        EXPECT_NE(r.strErr.find("Write successfully!"), std::string::npos) << r.strErr;
        EXPECT_NE(r.strErr.find("read back as written"), std::string::npos) << r.strErr;
        std::vector<bool> bWritten(memory.size(), false);
        for (const CWriteBlock& b : v.writePlan)
            std::fill_n(bWritten.begin() + b.nAddr, b.nLength, true);
        const auto after = m_pRadio->Memory();
        for (std::size_t a = 0; a < memory.size(); ++a)
            ASSERT_EQ(after[a], bWritten[a] ? memory[a] : fresh[a]) << std::hex << a;
        m_pRadio.reset();
    }
}

} // namespace
