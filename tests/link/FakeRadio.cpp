// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeRadio.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr std::uint8_t kEntry[4] = {0x5A, 0xC3, 0x17, 0x8E};
constexpr std::uint8_t kEnd = 0x99;

} // namespace

CPty::CPty() {
    m_nMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_nMaster < 0 || ::grantpt(m_nMaster) != 0 || ::unlockpt(m_nMaster) != 0)
        throw std::runtime_error("no pseudo-terminal");
    char name[128] = {};
    if (::ptsname_r(m_nMaster, name, sizeof name) != 0)
        throw std::runtime_error("no pseudo-terminal name");
    m_strSlave = name;
    m_nSlave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    // The master side passes bytes unchanged.
    termios tio{};
    if (::tcgetattr(m_nSlave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_nSlave, TCSANOW, &tio);
    }
    ::fcntl(m_nMaster, F_SETFL, ::fcntl(m_nMaster, F_GETFL) | O_NONBLOCK);
}

CPty::~CPty() {
    if (m_nSlave >= 0)
        ::close(m_nSlave);
    if (m_nMaster >= 0)
        ::close(m_nMaster);
}

void CPty::Send(const Bytes& bytes) const {
    std::size_t nDone = 0;
    while (nDone < bytes.size()) {
        const ssize_t n = ::write(m_nMaster, bytes.data() + nDone, bytes.size() - nDone);
        if (n > 0) {
            nDone += static_cast<std::size_t>(n);
        } else {
            pollfd p{m_nMaster, POLLOUT, 0};
            ::poll(&p, 1, 100);
        }
    }
}

Bytes CPty::Receive(int nWaitMs) const {
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nWaitMs);
    for (;;) {
        std::uint8_t buffer[256];
        const ssize_t n = ::read(m_nMaster, buffer, sizeof buffer);
        if (n > 0)
            got.insert(got.end(), buffer, buffer + n);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return got;
        pollfd p{m_nMaster, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left.count()));
    }
}

CFakeRadio::CFakeRadio(CRadioBehaviour behaviour)
    : m_behaviour(behaviour), m_memory(2048, 0xFF), m_thread([this] { Run(); }) {}

CFakeRadio::~CFakeRadio() {
    m_bStop = true;
    m_thread.join();
}

void CFakeRadio::SetVersion(std::uint16_t nAddr, const std::string& strVersion) {
    Bytes text(16, 0);
    std::copy_n(strVersion.begin(), std::min<std::size_t>(strVersion.size(), 16), text.begin());
    SetMemory(nAddr, text);
}

void CFakeRadio::SetMemory(std::uint16_t nAddr, const Bytes& bytes) {
    std::lock_guard lock(m_mutex);
    std::copy(bytes.begin(), bytes.end(), m_memory.begin() + nAddr);
}

Bytes CFakeRadio::Memory() const {
    std::lock_guard lock(m_mutex);
    return m_memory;
}

std::vector<Bytes> CFakeRadio::Frames() const {
    std::lock_guard lock(m_mutex);
    return m_frames;
}

std::vector<Bytes> CFakeRadio::FramesOnceThereAre(std::size_t nCount) const {
    std::unique_lock lock(m_mutex);
    m_frameArrived.wait_for(lock, std::chrono::seconds(30),
                            [&] { return m_frames.size() >= nCount; });
    return m_frames;
}

std::vector<CFakeRadio::TimePoint> CFakeRadio::FrameTimes() const {
    std::lock_guard lock(m_mutex);
    return m_frameTimes;
}

std::vector<CFakeRadio::TimePoint> CFakeRadio::ReplyTimes() const {
    std::lock_guard lock(m_mutex);
    return m_replyTimes;
}

void CFakeRadio::Run() {
    while (!m_bStop) {
        pollfd p{m_pty.Master(), POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        std::uint8_t buffer[256];
        const ssize_t n = ::read(m_pty.Master(), buffer, sizeof buffer);
        if (n <= 0)
            continue;
        std::lock_guard lock(m_mutex);
        m_pending.insert(m_pending.end(), buffer, buffer + n);
        while (HandleOne()) {
        }
    }
}

bool CFakeRadio::HandleOne() {
    if (m_pending.empty())
        return false;
    auto take = [this](std::size_t nBytes) {
        Bytes frame(m_pending.begin(), m_pending.begin() + static_cast<long>(nBytes));
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(nBytes));
        m_frames.push_back(frame);
        m_frameArrived.notify_all();
        m_frameTimes.push_back(std::chrono::steady_clock::now());
        m_replyTimes.push_back(m_frameTimes.back());
        return frame;
    };
    // The time is taken before the reply leaves: the reply cannot have arrived earlier, however
    // long this thread waits for the processor after sending it.
    auto reply = [this](const Bytes& bytes) {
        m_replyTimes.back() = std::chrono::steady_clock::now();
        if (!m_behaviour.bSilent)
            m_pty.Send(bytes);
    };
    const std::uint8_t op = m_pending[0];
    if (op == kEntry[0]) {
        if (m_pending.size() < 4)
            return false;
        if (std::equal(kEntry, kEntry + 4, m_pending.begin())) {
            take(4);
            reply({m_behaviour.nEntryReply});
            return true;
        }
    } else if (op == 'R') {
        if (m_pending.size() < 4)
            return false;
        const Bytes frame = take(4);
        if (m_behaviour.bIgnoreReads)
            return true;
        const std::size_t nAddr = static_cast<std::size_t>(frame[1] << 8 | frame[2]);
        Bytes answer = frame;
        if (m_behaviour.bCorruptEcho)
            answer = {0x00, 0x11, 0x22, 0x33};
        answer.insert(answer.end(), m_memory.begin() + static_cast<long>(nAddr),
                      m_memory.begin() + static_cast<long>(nAddr + frame[3]));
        if (m_behaviour.bShortReadReply)
            answer.pop_back();
        reply(answer);
        return true;
    } else if (op == 'W') {
        if (m_pending.size() < 4 || m_pending.size() < 4u + m_pending[3])
            return false;
        const Bytes frame = take(4u + m_pending[3]);
        const std::size_t nAddr = static_cast<std::size_t>(frame[1] << 8 | frame[2]);
        std::copy(frame.begin() + 4, frame.end(), m_memory.begin() + static_cast<long>(nAddr));
        Bytes answer = {m_behaviour.nWriteAck};
        if (m_behaviour.bJunkAfterAck)
            answer.insert(answer.end(), {0x99, 0x99});
        reply(answer);
        return true;
    } else if (op == kEnd) {
        take(1);
        reply({kEnd});
        return true;
    }
    take(1); // noise before a frame
    return true;
}

std::string RunUnprivileged(const std::function<std::string()>& fn) {
    if (::geteuid() != 0)
        return fn();
    int fds[2];
    if (::pipe(fds) != 0)
        return "child failed: no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string text;
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            text = "child failed: cannot become nobody";
        else
            text = fn();
        [[maybe_unused]] const ssize_t n = ::write(fds[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (pid < 0 || !WIFEXITED(status))
        return "child failed: " + text;
    return text;
}
