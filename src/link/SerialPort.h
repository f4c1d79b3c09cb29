// SPDX-License-Identifier: GPL-3.0-or-later
// One serial port in the radio's fixed line format, and the three primitives the programming
// protocol is built on: discard pending input, write a command, read an exact number of reply
// bytes within a deadline.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/WakeEvent.h"

class CSerialPort {
public:
    CSerialPort() = default;
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens the device exclusively for reading and writing and raises DTR. A port still open
    // is closed first.
    bool Open(const std::string& strDevice);
    // The system's error number of the last Open that failed (EACCES, EBUSY, ENOENT, ...);
    // 0 after a successful one.
    int LastOpenError() const { return m_nOpenError; }
    // True when the port is closed afterwards (or was never open).
    bool Close();
    bool IsOpen() const { return m_hPort >= 0; }
    // Parity code 0 none, 1 odd, 2 even, 3 mark, 4 space; stop-bits code 0 one, 2 two (1, one
    // and a half, does not exist here and is refused). Software flow control is switched off
    // and the line carries raw bytes; hardware flow control and the modem lines keep the
    // settings the driver had.
    bool SetCommParams(std::uint32_t nBaudRate, std::uint8_t nDataBits, std::uint8_t nParity,
                       std::uint8_t nStopBits);
    // Deadline of Read in milliseconds; 0 waits without limit.
    bool SetReadTimeout(std::uint32_t nMilliseconds);
    // Clears pending line errors and discards what has been received. Always 0.
    int ClearInput();
    // Bytes written; 0 when the write failed.
    std::size_t Write(const std::uint8_t* pData, std::size_t nLength);
    // Waits until n bytes are queued (then reads them), a line error is seen (returns 0) or
    // the deadline passes (returns what has arrived).
    std::size_t Read(std::uint8_t* pBuffer, std::size_t nWanted);

    const std::string& PortName() const { return m_strPort; }

    // Test seam: behaves as if the driver had reported a line error (framing, parity,
    // overrun, break). A Read waiting now or later returns 0 at once, until ClearInput.
    // Safe to call from another thread.
    void InjectLineError();

protected:
#ifdef _WIN32
    std::intptr_t m_hPort = -1; // HANDLE; -1 (INVALID_HANDLE_VALUE) while closed
#else
    int m_hPort = -1; // file descriptor; -1 while closed
#endif
    std::string m_strPort;
    std::uint32_t m_nReadTimeout = 0;
    std::uint32_t m_nBaudRate = 0; // of the last accepted SetCommParams; 0 before

private:
    std::size_t QueuedBytes() const;
    void ResetLineErrors();
    bool LineErrorSeen();
    // Sleeps while nBytes cross the line at the current baud rate (at most limit).
    void WaitForLine(std::size_t nBytes, std::chrono::nanoseconds limit);

    CWakeEvent m_errorEvent;
    int m_nOpenError = 0;
    bool m_bHasCounters = false; // the driver keeps line-error counters
    std::uint64_t m_nErrorCount = 0;
#ifdef _WIN32
    std::uint32_t m_nLineErrors = 0; // driver error flags seen since the last ClearInput
    std::uint32_t m_nDriverWait = 0; // the driver's read wait now set, in ms; 0: none
#endif
};
