// SPDX-License-Identifier: GPL-3.0-or-later
// Test peers on real pseudo-terminals: the code under test opens the slave device through the
// same CSerialPort a cable uses, the test works the master.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// A pseudo-terminal pair. The slave is also held open here, as a simulated radio holds its
// own, so the terminal outlives every open and close of the code under test.
class CPty {
public:
    CPty();
    ~CPty();
    CPty(const CPty&) = delete;
    CPty& operator=(const CPty&) = delete;

    int Master() const { return m_nMaster; }
    const std::string& SlavePath() const { return m_strSlave; }
    int HeldSlave() const { return m_nSlave; }
    // Writes to the master (the radio's side of the line).
    void Send(const Bytes& bytes) const;
    // Reads from the master what has arrived within nWaitMs.
    Bytes Receive(int nWaitMs) const;

private:
    int m_nMaster = -1;
    int m_nSlave = -1;
    std::string m_strSlave;
};

// What a fake radio does wrong.
struct CRadioBehaviour {
    bool bSilent = false;            // answers nothing at all
    std::uint8_t nEntryReply = 0x99; // answer to the entry sequence
    std::uint8_t nWriteAck = 0x99;   // answer to a block write
    bool bCorruptEcho = false;       // read replies start with four bytes unlike the command
    bool bShortReadReply = false;    // read replies lack their last byte
    bool bJunkAfterAck = false;      // two stray bytes follow every write acknowledge
    bool bIgnoreReads = false;       // block reads get no answer
};

// A radio answering the programming protocol on a pseudo-terminal, with knobs for the faults
// the protocol must survive. Every frame received is logged.
class CFakeRadio {
public:
    explicit CFakeRadio(CRadioBehaviour behaviour = {});
    ~CFakeRadio();

    const std::string& Device() const { return m_pty.SlavePath(); }
    // Puts text (zero-padded to 16 bytes) at the firmware version's place.
    void SetVersion(std::uint16_t nAddr, const std::string& strVersion);
    void SetMemory(std::uint16_t nAddr, const Bytes& bytes);
    Bytes Memory() const;
    // Frames in arrival order: the entry sequence, "R" a a n, "W" a a n data..., the end byte.
    std::vector<Bytes> Frames() const;
    // Frames once at least nCount have arrived (or after a generous time, whatever has): the
    // radio's thread reads what the code under test sent in its own time, which on a busy
    // machine may come after the code under test has returned.
    std::vector<Bytes> FramesOnceThereAre(std::size_t nCount) const;
    // For every frame of Frames: when its last byte had arrived, and when its reply
    // was about to be sent (the arrival time again for a frame that gets no reply).
    using TimePoint = std::chrono::steady_clock::time_point;
    std::vector<TimePoint> FrameTimes() const;
    std::vector<TimePoint> ReplyTimes() const;

private:
    void Run();
    // Answers complete frames at the front of m_pending; false when more bytes are needed.
    bool HandleOne();

    CPty m_pty;
    CRadioBehaviour m_behaviour;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_frameArrived;
    Bytes m_memory;
    std::vector<Bytes> m_frames;
    std::vector<TimePoint> m_frameTimes;
    std::vector<TimePoint> m_replyTimes;
    Bytes m_pending;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

// Runs fn as an ordinary user: in this process when it is not root, else in a child process
// that has given up root for the user "nobody". Returns fn's text, or "child failed: ...".
std::string RunUnprivileged(const std::function<std::string()>& fn);
