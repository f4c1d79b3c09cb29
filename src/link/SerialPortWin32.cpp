// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 backend of CSerialPort: a synchronous comm handle. Reads wait inside the driver
// (a total read timeout) in short slices, so a waiting read sleeps instead of polling the
// receive queue, and a line error injected from another thread ends it within one slice.
#include "link/SerialPort.h"

#include "base/Platform.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

namespace {

// The longest a read sleeps in the driver before it looks again at injected line errors.
constexpr DWORD kReadSliceMs = 50;

HANDLE Handle(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

// "COM3" and "\\.\COM3" name the same port; only the second form reaches COM10 and above.
std::wstring DeviceName(const std::string& strDevice) {
    std::wstring name = platform::WideFromUtf8(strDevice);
    if (name.size() > 3 && _wcsnicmp(name.c_str(), L"COM", 3) == 0)
        name = L"\\\\.\\" + name;
    return name;
}

int OpenErrno(DWORD nError) {
    switch (nError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED: // a COM port another program holds answers this way
    case ERROR_SHARING_VIOLATION:
        return EBUSY;
    default:
        return EIO;
    }
}

constexpr DWORD kLineErrors = CE_FRAME | CE_RXPARITY | CE_OVERRUN | CE_RXOVER | CE_BREAK;

} // namespace

CSerialPort::~CSerialPort() {
    Close();
}

bool CSerialPort::Open(const std::string& strDevice) {
    Close(); // never lose a handle to a second Open
    const HANDLE h =
        ::CreateFileW(DeviceName(strDevice).c_str(), GENERIC_READ | GENERIC_WRITE,
                      0 /* exclusive */, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        m_nOpenError = OpenErrno(::GetLastError());
        return false;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(h, &dcb)) { // a file or a console, not a serial port
        ::CloseHandle(h);
        m_nOpenError = ENOTTY;
        return false;
    }
    m_nOpenError = 0;
    m_hPort = reinterpret_cast<std::intptr_t>(h);
    m_nDriverWait = 0;
    m_strPort = strDevice;
    ::EscapeCommFunction(h, SETDTR);
    ResetLineErrors();
    return true;
}

bool CSerialPort::Close() {
    if (m_hPort == -1)
        return true;
    if (!::CloseHandle(Handle(m_hPort)))
        return false;
    m_hPort = -1;
    m_strPort.clear();
    return true;
}

bool CSerialPort::SetCommParams(std::uint32_t nBaudRate, std::uint8_t nDataBits,
                                std::uint8_t nParity, std::uint8_t nStopBits) {
    if (m_hPort == -1)
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(Handle(m_hPort), &dcb))
        return false;
    dcb.BaudRate = nBaudRate;
    dcb.ByteSize = nDataBits;
    dcb.Parity = nParity;
    dcb.StopBits = nStopBits;
    // Software flow control off in both directions; everything else stays as the driver had
    // it (parity checking, DTR/RTS control, CTS/DSR flow control, special characters).
    dcb.fTXContinueOnXoff = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    if (!::SetCommState(Handle(m_hPort), &dcb))
        return false;
    m_nBaudRate = nBaudRate;
    return true;
}

bool CSerialPort::SetReadTimeout(std::uint32_t nMilliseconds) {
    m_nReadTimeout = nMilliseconds;
    if (m_hPort == -1)
        return false;
    COMMTIMEOUTS t{};
    ::GetCommTimeouts(Handle(m_hPort), &t);
    // A driver read returns at once with whatever is queued; the deadline is Read's own, and
    // Read sets the driver's wait for each slice itself. A write that cannot go out (the line
    // held off by hardware flow control) ends after about a second instead of hanging.
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = 0;
    t.WriteTotalTimeoutMultiplier = 2;
    t.WriteTotalTimeoutConstant = 1000;
    m_nDriverWait = 0;
    return ::SetCommTimeouts(Handle(m_hPort), &t) != 0;
}

int CSerialPort::ClearInput() {
    ResetLineErrors();
    if (m_hPort != -1)
        ::PurgeComm(Handle(m_hPort), PURGE_RXCLEAR);
    return 0;
}

std::size_t CSerialPort::Write(const std::uint8_t* pData, std::size_t nLength) {
    if (m_hPort == -1 || nLength > MAXDWORD)
        return 0;
    DWORD nWritten = 0;
    if (!::WriteFile(Handle(m_hPort), pData, static_cast<DWORD>(nLength), &nWritten, nullptr))
        return 0;
    return nWritten;
}

std::size_t CSerialPort::QueuedBytes() const {
    COMSTAT st{};
    DWORD nErrors = 0;
    if (m_hPort == -1 || !::ClearCommError(Handle(m_hPort), &nErrors, &st))
        return 0;
    return st.cbInQue;
}

std::size_t CSerialPort::Read(std::uint8_t* pBuffer, std::size_t nWanted) {
    if (m_hPort == -1)
        return 0;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_nReadTimeout);
    std::size_t nHave = 0;
    for (;;) {
        if (LineErrorSeen())
            return 0; // the reply counts as lost
        if (nHave == nWanted)
            return nHave;
        DWORD nSlice = kReadSliceMs;
        if (m_nReadTimeout != 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return nHave;
            nSlice = static_cast<DWORD>(std::min<long long>(left.count(), kReadSliceMs));
        }
        // The driver returns when all the bytes still wanted are in or the slice is over,
        // whichever comes first; bytes beyond them stay queued until the next ClearInput.
        COMMTIMEOUTS t{};
        t.ReadTotalTimeoutConstant = nSlice;
        t.WriteTotalTimeoutMultiplier = 2;
        t.WriteTotalTimeoutConstant = 1000;
        if (m_nDriverWait != nSlice) {
            if (!::SetCommTimeouts(Handle(m_hPort), &t))
                return nHave;
            m_nDriverWait = nSlice;
        }
        DWORD nGot = 0;
        const auto nAsk = static_cast<DWORD>(std::min<std::size_t>(nWanted - nHave, MAXDWORD));
        if (!::ReadFile(Handle(m_hPort), pBuffer + nHave, nAsk, &nGot, nullptr))
            return LineErrorSeen() ? 0 : nHave;
        nHave += nGot;
    }
}

void CSerialPort::InjectLineError() {
    m_errorEvent.Signal();
}

void CSerialPort::ResetLineErrors() {
    m_errorEvent.Clear();
    if (m_hPort != -1) {
        COMSTAT st{};
        DWORD nErrors = 0;
        ::ClearCommError(Handle(m_hPort), &nErrors, &st);
    }
    m_nLineErrors = 0;
}

bool CSerialPort::LineErrorSeen() {
    if (m_errorEvent.IsSignalled())
        return true;
    COMSTAT st{};
    DWORD nErrors = 0;
    // ClearCommError reports each error once; they count until the next ClearInput.
    if (m_hPort != -1 && ::ClearCommError(Handle(m_hPort), &nErrors, &st))
        m_nLineErrors |= nErrors & kLineErrors;
    return m_nLineErrors != 0;
}
