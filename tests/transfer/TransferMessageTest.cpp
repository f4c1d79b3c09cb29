// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the transfer messages and the terminal's progress bar.
#include "TempDir.h"
#include "cli/TerminalProgress.h"
#include "transfer/ImageTransfer.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

TEST(TransferMessages, ProgressTextsHaveFourBlanksAndThePercentSign) {
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::Reading, 100),
              "Reading data. Please waiting ...    100%");
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::Writing, 0),
              "Writing data. Please waiting ...    0%");
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::Verifying, 42),
              "Verifying data. Please waiting ...    42%");
}

TEST(TransferMessages, ErrorsShowTheLow16BitsInUpperCaseHex) {
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::ReadError, 0x400),
              "Read error in address 400");
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::WriteError, 0x320),
              "Write error in address 320");
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::ReadError, 0x107F8),
              "Read error in address 7F8");
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::WriteError, 0), "Write error in address 0");
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::VerifyError, 0x10321),
              "Verify error in address 321: the radio holds another value than was written.");
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::VerifyStopped, 0x5A0),
              "Verify interrupted at address 5A0: the whole file was written, but not all of it "
              "was read back.");
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::VerifyReadError, 0x100),
              "Verify read error in address 100: the whole file was written, but the check "
              "could not read it back from there on.");
}

TEST(TransferMessages, DoneTextsAndWhichMessagesEndATransfer) {
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::ReadDone, 0), "Read successfully!");
    EXPECT_EQ(CImageTransfer::MessageText(TransferMsg::WriteDone, 0), "Write successfully!");
    EXPECT_FALSE(IsFinalMessage(TransferMsg::Reading));
    EXPECT_FALSE(IsFinalMessage(TransferMsg::Writing));
    EXPECT_FALSE(IsFinalMessage(TransferMsg::Verifying));
    for (TransferMsg m :
         {TransferMsg::ReadDone, TransferMsg::WriteDone, TransferMsg::ReadError,
          TransferMsg::WriteError, TransferMsg::VerifyError, TransferMsg::VerifyStopped})
        EXPECT_TRUE(IsFinalMessage(m));
    EXPECT_TRUE(IsSuccessMessage(TransferMsg::ReadDone));
    for (TransferMsg m :
         {TransferMsg::ReadError, TransferMsg::VerifyError, TransferMsg::VerifyStopped})
        EXPECT_FALSE(IsSuccessMessage(m));
}

TEST(TerminalProgress, BarFillsWithThePercentage) {
    EXPECT_EQ(CTerminalProgress::BarLine("Read", 0, 100),
              "Read [                              ]   0%");
    EXPECT_EQ(CTerminalProgress::BarLine("Read", 50, 100),
              "Read [###############               ]  50%");
    EXPECT_EQ(CTerminalProgress::BarLine("Embedded", 120, 128),
              "Embedded [###########################   ]  93%");
    // Beyond the range the bar stops at its end.
    EXPECT_EQ(CTerminalProgress::BarLine("X", 200, 128), "X [##############################] 100%");
}

std::string Drawn(bool bEnabled, const std::function<void(CTerminalProgress&)>& fn) {
    CTempDir dir;
    const std::string strPath = dir.File("out");
    std::FILE* pFile = std::fopen(strPath.c_str(), "w");
    {
        CTerminalProgress progress(pFile, bEnabled);
        fn(progress);
    }
    std::fclose(pFile);
    return ReadTextFile(strPath);
}

TEST(TerminalProgress, RedrawsInPlaceOnlyWhenThePercentageChanges) {
    const std::string strOut = Drawn(true, [](CTerminalProgress& p) {
        p.Begin("Read", 100);
        p.SetProgress(0);
        p.SetProgress(0);
        p.SetProgress(100);
        p.End();
    });
    EXPECT_EQ(strOut, "\r" + CTerminalProgress::BarLine("Read", 0, 100) + "\r" +
                          CTerminalProgress::BarLine("Read", 100, 100) + "\n");
}

TEST(TerminalProgress, DrawsNothingWhenNotATerminal) {
    EXPECT_EQ(Drawn(false,
                    [](CTerminalProgress& p) {
                        p.Begin("Read", 100);
                        p.SetProgress(50);
                        p.End();
                    }),
              "");
}

} // namespace
