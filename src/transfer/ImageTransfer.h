// SPDX-License-Identifier: GPL-3.0-or-later
// The whole-image transfer: connect, version gate and (for a write) the range pre-check on the
// caller's thread, then the block loop on a worker thread. The worker reports each of its six
// messages synchronously: it waits until the receiver has handled the message.
#pragma once

#include "link/RadioComm.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class CWR7310App;

enum class TransferMode { Read = 0, Write = 1 };

// The messages of the worker; the first six numbered as the desktop has always numbered them.
enum class TransferMsg {
    Reading = 1134,    // lParam: percent, after each block read
    Writing = 1135,    // lParam: percent, after each block written
    ReadDone = 1136,   // after the last block and the end-of-transfer exchange
    WriteDone = 1137,  // likewise
    ReadError = 1138,  // lParam: address of the failed block
    WriteError = 1139, // lParam: address of the failed block
    // A stop was requested: the transfer ended at a block boundary after the end-of-transfer
    // exchange. lParam: the address of the first block not transferred.
    ReadStopped = 1140,
    WriteStopped = 1141,
    // A write with verify reads every written block back after the last one.
    Verifying = 1142,     // lParam: percent, after each block read back
    VerifyError = 1143,   // lParam: address of the first byte that differs
    VerifyStopped = 1144, // lParam: address of the first block not read back
    // The write completed, but the read-back failed at the block lParam: nothing is known
    // of the radio's bytes from there on.
    VerifyReadError = 1145,
};

// The done and error messages end a transfer; the worker sends nothing after them.
bool IsFinalMessage(TransferMsg msg);
bool IsSuccessMessage(TransferMsg msg);

// Delivers one message to the receiver and returns once it has been handled. Called on the
// worker thread; the desktop marshals it to the dialog's thread with a blocking call.
using TransferSink = std::function<void(TransferMsg msg, long lParam)>;

enum class StartResult {
    NoRadio,         // Connect found no radio; its message was shown, the port is closed
    VersionRejected, // the version gate failed; its message was shown, the port is closed
    RangeMismatch,   // "Frequency range isn't match." was shown, the port is closed
    Started,         // the worker runs and will deliver its messages to the sink
};

// A byte that read back other than it was written.
struct CByteMismatch {
    std::uint16_t nAddr = 0;
    std::uint8_t nWritten = 0;
    std::uint8_t nRead = 0;
};

class CImageTransfer {
public:
    CImageTransfer(CWR7310App& app, TransferMode mode);
    // Waits for the worker, then closes the port.
    ~CImageTransfer();
    CImageTransfer(const CImageTransfer&) = delete;
    CImageTransfer& operator=(const CImageTransfer&) = delete;

    // On the caller's thread: Connect, CheckFirmwareVersion, the range pre-check of a write,
    // then the worker. A read fills a scratch buffer and replaces the application's image only
    // after the last block arrived.
    StartResult Start(TransferSink sink);
    // Waits until the worker has finished (after its final message was handled).
    void Join();
    // Asks the worker to stop at the next block boundary (from any thread). It then sends the
    // end-of-transfer byte, so the radio leaves programming mode, and ends with ReadStopped or
    // WriteStopped. A read stopped so leaves the application's image as it was.
    void RequestStop() { m_bStopRequested = true; }
    // A further stop condition the worker polls at every block boundary (the signal guard's).
    void SetStopCheck(std::function<bool()> fnStop) { m_fnStop = std::move(fnStop); }

    // The text of a transfer message as the dialog shows it ("Reading data. ...", the error
    // texts with the address, the done texts).
    static std::string MessageText(TransferMsg msg, long lParam);

    TransferMode m_nMode;
    CRadioComm m_comm;
    // Write only: after the last block, read every written block back and compare. Progress
    // of the read-back comes as Verifying messages; a block that cannot be read ends with
    // VerifyReadError, a difference with VerifyError at the first differing address, a stop
    // with VerifyStopped, and m_mismatches (valid once the transfer has ended) lists every
    // differing byte. Each of them ends the transfer with the end-of-transfer byte: the write
    // itself is complete.
    bool m_bVerify = false;
    std::vector<CByteMismatch> m_mismatches;
    // True once every written block was read back and found as written (valid once the
    // transfer has ended).
    bool m_bVerified = false;

private:
    void ReadThreadProc(TransferSink sink);
    void WriteThreadProc(TransferSink sink);
    // The read-back of a verified write; false when it ended the transfer with a message.
    bool VerifyWritten(const TransferSink& sink);
    // True when the program's working range lies inside the radio's range bytes (equal
    // limits pass). A failed read of the radio's range counts as the range 0..0.
    bool RangeCheck();
    bool StopRequested() const;
    // Ends a transfer that stops short of its done message: the end-of-transfer exchange, then
    // the final message.
    void EndWith(const TransferSink& sink, TransferMsg msg, std::uint16_t nAddr);

    CWR7310App& m_app;
    // Read: the blocks as they arrive, copied into the image after the last one. Write: the
    // image as it was when the transfer started.
    std::vector<std::uint8_t> m_buffer;
    std::thread m_worker;
    std::atomic<bool> m_bStopRequested{false};
    std::function<bool()> m_fnStop;
};

// Runs a transfer to its end on the calling thread: the worker's messages are handled here,
// one by one, by fnHandle (which may show them). Returns true on the done message, false on a
// failure or when the transfer did not start (pStart, when given, receives how Start ended).
// For the command-line tool and tests.
bool RunTransfer(CImageTransfer& transfer, const std::function<void(TransferMsg, long)>& fnHandle,
                 StartResult* pStart = nullptr);

// The desktop's "Verify after write" choice, kept in the settings file ("Programming",
// "VerifyAfterWrite"; off when absent).
bool GetVerifyAfterWrite(const CWR7310App& app);
void SetVerifyAfterWrite(bool bVerify, const CWR7310App& app);
