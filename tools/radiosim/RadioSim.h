// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated radio on a pseudo-terminal. It answers the programming protocol as the radio
// does (entry sequence, block read, block write, end byte) from an EEPROM image of either
// model, and can misbehave on purpose so that every failure path of the link can be met.
#pragma once

#include "variants/Variant.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct CRadioSimOptions {
    const CVariant* pVariant = &XtraVariant();
    // Starting memory; empty: the built-in image of the model (see CRadioSim::BuiltInImage).
    std::vector<std::uint8_t> image;
    // When set, a symbolic link to the device is placed here and removed at the end.
    std::string strLinkPath;
    // Every byte sent takes 11 bit times at this rate (start, 8 data, parity, stop); 0: no
    // pacing.
    std::uint32_t nBaudRate = 9600;
    // Pause before every reply.
    std::uint32_t nReplyDelayMs = 0;
    // Faults, each for any read or write frame whose bytes cover the address.
    std::optional<std::uint16_t> stopAt;       // no reply at all
    std::optional<std::uint16_t> wrongAckAt;   // a write is acknowledged wrongly, not stored
    std::optional<std::uint16_t> shortReplyAt; // a read reply lacks its last byte
    // A write is acknowledged, but the byte at this address is stored with its lowest bit
    // inverted, as a worn EEPROM cell would keep it.
    std::optional<std::uint16_t> wrongByteAt;
    // Firmware version text put into the image at start (zero-padded); unset: as the image has.
    std::optional<std::string> firmwareVersion;
    // Every frame received, in hexadecimal, one a line; "-" is standard error; empty: none.
    std::string strLogPath;
    // The memory is written here when the run ends: a radio file when the name ends in the
    // model's file extension, else the raw image.
    std::string strFinalImagePath;
};

class CRadioSim {
public:
    explicit CRadioSim(CRadioSimOptions options);
    ~CRadioSim();
    CRadioSim(const CRadioSim&) = delete;
    CRadioSim& operator=(const CRadioSim&) = delete;

    // Opens the pseudo-terminal (raw mode) and places the link. False: see LastError.
    bool Open();
    const std::string& LastError() const { return m_strError; }
    // The slave device the client opens, e.g. /dev/pts/3.
    const std::string& DevicePath() const { return m_strDevice; }

    // Answers the client until RequestStop, then writes the final image if asked to.
    // Returns false when the final image could not be written.
    bool Run();
    // Ends Run soon. Safe from any thread and from a signal handler.
    void RequestStop();

    // A copy of the memory; safe from any thread while Run is going.
    std::vector<std::uint8_t> Memory() const;
    // Every complete frame received so far (entry sequences, reads, writes, end bytes), in
    // order; bytes that were ignored are not frames.
    std::vector<std::vector<std::uint8_t>> Frames() const;
    // How often the run loop has woken up; lets tests see that it does not spin while no
    // client has the device open.
    std::uint64_t WakeupCount() const { return m_nWakeups.load(); }

    // Memory of a radio that passes the version gate and whose settings differ visibly from
    // a new document's.
    static std::vector<std::uint8_t> BuiltInImage(const CVariant& variant);
    // A raw image (image size) or a radio file (signature field + image) of the model.
    static bool LoadImageFile(const std::string& strPath, const CVariant& variant,
                              std::vector<std::uint8_t>& image, std::string& strError);
    // Writes a radio file when strPath ends in the model's extension, else the raw image.
    static bool SaveImageFile(const std::string& strPath, const CVariant& variant,
                              const std::vector<std::uint8_t>& image);

private:
    using Clock = std::chrono::steady_clock;

    // Waits until the deadline or RequestStop; true when stopping.
    bool WaitUntil(Clock::time_point deadline) const;
    // One character on the line at the paced baud rate (zero when not pacing).
    std::chrono::nanoseconds CharTime() const;
    bool StopRequested() const;
    void OnBytes(const std::uint8_t* pData, std::size_t nLength);
    void ProcessPending();
    void HandleRead(const std::vector<std::uint8_t>& frame);
    void HandleWrite(const std::vector<std::uint8_t>& frame);
    void Reply(const std::vector<std::uint8_t>& bytes);
    void RecordFrame(const std::vector<std::uint8_t>& frame, const char* pszWhat);
    void LogIgnored(std::size_t nCount);
    void LogLine(const std::string& strLine);
    bool Covers(const std::optional<std::uint16_t>& addr, std::uint16_t nStart,
                std::size_t nLength) const;
    void ResetSession();
    // Drops a partial frame whose bytes stopped arriving a frame gap ago.
    void DropStaleFrame();

    CRadioSimOptions m_options;
    std::string m_strError;
    std::string m_strDevice;
    bool m_bLinkPlaced = false;
    int m_hMaster = -1;
    int m_stopPipe[2] = {-1, -1};

    struct CFileCloser {
        void operator()(std::FILE* p) const {
            if (p && p != stderr)
                std::fclose(p);
        }
    };
    std::unique_ptr<std::FILE, CFileCloser> m_pLog;

    // Only the run loop touches these.
    bool m_bProgramming = false;
    std::vector<std::uint8_t> m_pending;
    Clock::time_point m_lastByte{};
    Clock::time_point m_rxLineFree{}; // when the last byte received so far has crossed the line

    mutable std::mutex m_mutex; // guards m_memory and m_frames
    std::vector<std::uint8_t> m_memory;
    std::vector<std::vector<std::uint8_t>> m_frames;
    std::atomic<std::uint64_t> m_nWakeups{0};
};
