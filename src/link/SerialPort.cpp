// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t BaudConstant(std::uint32_t nBaud) {
    switch (nBaud) {
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    default:
        return B0;
    }
}

// 0 for a data-bit count the line cannot carry.
tcflag_t SizeFlag(std::uint8_t nDataBits) {
    switch (nDataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    case 8:
        return CS8;
    default:
        return 0;
    }
}

std::uint64_t ErrorTotal(const serial_icounter_struct& c) {
    return static_cast<std::uint64_t>(c.frame) + static_cast<std::uint64_t>(c.parity) +
           static_cast<std::uint64_t>(c.overrun) + static_cast<std::uint64_t>(c.brk) +
           static_cast<std::uint64_t>(c.buf_overrun);
}

} // namespace

CSerialPort::~CSerialPort() {
    Close();
}

bool CSerialPort::Open(const std::string& strDevice) {
    Close(); // never lose a descriptor to a second Open
    const int fd = ::open(strDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_nOpenError = errno;
        return false;
    }
    // Exclusive: a lock every opener of ours honours (root included), and TIOCEXCL for
    // everyone else.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_nOpenError = EBUSY;
        ::close(fd);
        return false;
    }
    if (!::isatty(fd)) {
        m_nOpenError = ENOTTY;
        ::close(fd);
        return false;
    }
    ::ioctl(fd, TIOCEXCL);
    m_nOpenError = 0;
    m_hPort = fd;
    m_strPort = strDevice;
    const int dtr = TIOCM_DTR;
    ::ioctl(fd, TIOCMBIS, &dtr); // a pseudo-terminal has no DTR; that is not an error
    ResetLineErrors();
    return true;
}

bool CSerialPort::Close() {
    if (m_hPort < 0)
        return true;
    // Give up the exclusive claim first. The terminal outlives this descriptor when another
    // process keeps it open (a simulated radio holds its pseudo-terminal), and the flag left
    // behind would refuse every later open by an ordinary user.
    ::ioctl(m_hPort, TIOCNXCL);
    // The descriptor is released even when close reports an error, so it must not be kept:
    // closing it again later could close a descriptor that has been handed out anew.
    ::close(m_hPort);
    m_hPort = -1;
    m_strPort.clear();
    return true;
}

bool CSerialPort::SetCommParams(std::uint32_t nBaudRate, std::uint8_t nDataBits,
                                std::uint8_t nParity, std::uint8_t nStopBits) {
    termios tio{};
    if (m_hPort < 0 || ::tcgetattr(m_hPort, &tio) != 0)
        return false;
    const speed_t speed = BaudConstant(nBaudRate);
    const tcflag_t size = SizeFlag(nDataBits);
    if (speed == B0 || size == 0 || nParity > 4 || (nStopBits != 0 && nStopBits != 2))
        return false;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    tio.c_cflag = (tio.c_cflag & ~CSIZE) | size | CREAD | CLOCAL;
    tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (nParity) {
    case 1: // odd
        tio.c_cflag |= PARENB | PARODD;
        break;
    case 2: // even
        tio.c_cflag |= PARENB;
        break;
    case 3: // mark
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case 4: // space
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (nStopBits == 0)
        tio.c_cflag &= ~CSTOPB;
    else
        tio.c_cflag |= CSTOPB;
    // Software flow control off in both directions.
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    // The line carries binary frames: no line editing, echo, signals or character mapping.
    // A byte received with a parity or framing error still arrives (and wakes a waiting
    // Read, which then sees the driver's error counters). Hardware flow control (CRTSCTS)
    // stays as the driver had it.
    tio.c_iflag &= ~(IGNBRK | BRKINT | ISTRIP | INLCR | IGNCR | ICRNL | PARMRK | IGNPAR);
    if (nParity != 0)
        tio.c_iflag |= INPCK;
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ICANON | ECHO | ECHOE | ECHONL | ISIG | IEXTEN);
    if (::tcsetattr(m_hPort, TCSANOW, &tio) != 0)
        return false;
    m_nBaudRate = nBaudRate;
    return true;
}

bool CSerialPort::SetReadTimeout(std::uint32_t nMilliseconds) {
    m_nReadTimeout = nMilliseconds;
    termios tio{};
    if (m_hPort < 0 || ::tcgetattr(m_hPort, &tio) != 0)
        return false;
    // A driver read returns at once with whatever is queued; the deadline is Read's own.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(m_hPort, TCSANOW, &tio) == 0;
}

int CSerialPort::ClearInput() {
    ResetLineErrors();
    if (m_hPort >= 0)
        ::tcflush(m_hPort, TCIFLUSH);
    return 0;
}

std::size_t CSerialPort::Write(const std::uint8_t* pData, std::size_t nLength) {
    if (m_hPort < 0)
        return 0;
    // The descriptor does not block, so a full output buffer is waited out here; a line that
    // stays stalled (hardware flow control held off) ends the write after a second.
    std::size_t nDone = 0;
    while (nDone < nLength) {
        const ssize_t n = ::write(m_hPort, pData + nDone, nLength - nDone);
        if (n > 0) {
            nDone += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{m_hPort, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0)
                break;
        } else {
            break;
        }
    }
    return nDone;
}

std::size_t CSerialPort::QueuedBytes() const {
    int n = 0;
    if (m_hPort < 0 || ::ioctl(m_hPort, FIONREAD, &n) != 0)
        return 0;
    return static_cast<std::size_t>(std::max(n, 0));
}

std::size_t CSerialPort::Read(std::uint8_t* pBuffer, std::size_t nWanted) {
    if (m_hPort < 0)
        return 0;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_nReadTimeout);
    std::size_t nHave = 0;
    for (;;) {
        if (LineErrorSeen())
            return 0; // the reply counts as lost
        // Take what has arrived, never more than was asked for: extra bytes stay queued
        // until the next ClearInput.
        const std::size_t nTake = std::min(QueuedBytes(), nWanted - nHave);
        if (nTake > 0) {
            const ssize_t n = ::read(m_hPort, pBuffer + nHave, nTake);
            if (n > 0)
                nHave += static_cast<std::size_t>(n);
        }
        if (nHave == nWanted)
            return nHave;
        int nWaitMs = -1;
        if (m_nReadTimeout != 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return LineErrorSeen() ? 0 : nHave;
            nWaitMs = static_cast<int>(left.count());
        }
        if (nTake > 0) {
            // A reply is coming in: the rest cannot arrive sooner than the line carries it, so
            // sleep that long instead of waking for every byte.
            WaitForLine(nWanted - nHave,
                        m_nReadTimeout != 0 ? deadline - Clock::now() : Clock::duration::max());
            continue;
        }
        // Sleep until more bytes, an injected line error or the deadline.
        pollfd fds[2] = {{m_hPort, POLLIN, 0}, {m_errorEvent.ReadFd(), POLLIN, 0}};
        const int r = ::poll(fds, 2, nWaitMs);
        if (r < 0 && errno != EINTR)
            return nHave;
        if (fds[0].revents & (POLLERR | POLLNVAL))
            return nHave;
        if ((fds[0].revents & POLLHUP) && QueuedBytes() == 0) {
            // The other end is gone (a pseudo-terminal whose master closed): nothing more
            // will arrive, so wait out the deadline without spinning.
            if (m_nReadTimeout == 0)
                return nHave;
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() > 0) {
                pollfd e{m_errorEvent.ReadFd(), POLLIN, 0};
                ::poll(&e, 1, static_cast<int>(left.count()));
            }
        }
    }
}

void CSerialPort::WaitForLine(std::size_t nBytes, std::chrono::nanoseconds limit) {
    if (m_nBaudRate == 0)
        return;
    // Start, 8 data bits, parity and stop: 11 bits a character on the radio's line.
    const std::chrono::nanoseconds wire(static_cast<std::int64_t>(nBytes) * 11 * 1'000'000'000 /
                                        m_nBaudRate);
    const auto wait = std::min(wire, limit);
    if (wait.count() <= 0)
        return;
    const timespec ts{static_cast<time_t>(wait.count() / 1'000'000'000),
                      static_cast<long>(wait.count() % 1'000'000'000)};
    pollfd e{m_errorEvent.ReadFd(), POLLIN, 0}; // an injected line error still ends the wait
    ::ppoll(&e, 1, &ts, nullptr);
}

void CSerialPort::InjectLineError() {
    m_errorEvent.Signal();
}

void CSerialPort::ResetLineErrors() {
    m_errorEvent.Clear();
    serial_icounter_struct counts{};
    m_bHasCounters = m_hPort >= 0 && ::ioctl(m_hPort, TIOCGICOUNT, &counts) == 0;
    m_nErrorCount = ErrorTotal(counts);
}

bool CSerialPort::LineErrorSeen() {
    if (m_errorEvent.IsSignalled())
        return true;
    if (!m_bHasCounters)
        return false;
    serial_icounter_struct counts{};
    if (::ioctl(m_hPort, TIOCGICOUNT, &counts) != 0)
        return false;
    return ErrorTotal(counts) != m_nErrorCount;
}
