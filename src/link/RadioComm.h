// SPDX-License-Identifier: GPL-3.0-or-later
// The radio's programming protocol on a serial port: port scan, handshake, block read and
// write, firmware version gate and end of transfer.
#pragma once

#include "link/CommOwner.h"
#include "link/SerialPort.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace radio {
inline constexpr std::uint8_t kEntrySequence[4] = {0x5A, 0xC3, 0x17, 0x8E};
inline constexpr std::uint8_t kAckByte = 0x99;
inline constexpr std::uint8_t kReadOpcode = 0x52;  // "R"
inline constexpr std::uint8_t kWriteOpcode = 0x57; // "W"
inline constexpr int kBlockLength = 8;
inline constexpr std::uint32_t kBaudRate = 9600;
inline constexpr std::uint8_t kDataBits = 8;
inline constexpr std::uint8_t kParityOdd = 1;
inline constexpr std::uint8_t kOneStopBit = 0;
inline constexpr std::uint32_t kReplyDeadlineMs = 1000;
inline constexpr int kCommandPauseMs = 5;
inline constexpr int kOpenSettleMs = 50;
inline constexpr int kMaxComPort = 16;
} // namespace radio

class CRadioComm : public CSerialPort {
public:
    // Every frame sent (bSent true) and every reply received, for --trace.
    using TraceFn = std::function<void(bool bSent, std::span<const std::uint8_t> bytes)>;

    // pOwner (never null) outlives the link.
    explicit CRadioComm(ICommOwner* pOwner);
    ~CRadioComm() override;

    bool Exchange(const std::uint8_t* pCommand, std::size_t nCommandLength, std::uint8_t* pReply,
                  std::size_t nReplyLength);
    bool Handshake();
    // nLength 1..8; any other length is refused without sending anything.
    bool ReadBlock(std::uint16_t nAddr, int nLength, std::uint8_t* pDest);
    bool WriteBlock(std::uint16_t nAddr, int nLength, const std::uint8_t* pSource);
    bool EndTransfer();
    // The port number when the radio answered on COMn (port left open), else 0.
    int TryPort(int nPort, std::uint32_t nBaudRate, std::uint8_t nDataBits, std::uint8_t nParity,
                std::uint8_t nStopBits, std::uint32_t nDeadlineMs);
    int ScanPorts(std::uint32_t nBaudRate, std::uint8_t nDataBits, std::uint8_t nParity,
                  std::uint8_t nStopBits, std::uint32_t nDeadlineMs);
    // Finds the radio and stores the port with the owner (0 when none).
    int Connect();
    // -1, 0 or +1: the version text's first 4 characters compared with strExpected.
    int ReadFirmwareVersion(std::string& strVersion, const std::string& strExpected);
    bool CheckFirmwareVersion();
    // The version text the last ReadFirmwareVersion read (empty before, and at the factory
    // level, where the gate reads nothing).
    const std::string& FirmwareVersion() const { return m_strFirmwareVersion; }

    // After a Connect that found no radio: one line for every port that exists but could not
    // be opened for lack of permission, naming the device and the group that would grant
    // access. Callers print them after the connection-error message.
    std::vector<std::string> PermissionHints() const;
    // After a Connect to one device named by the user that found no radio: why, in one line
    // (no such device, not a serial port, busy with the programs holding it, no answer).
    // Empty after a scan of COM ports and when the permission hints say it already.
    std::string DeviceFailureReason() const;

    // Opens one device and shakes hands, as TryPort does for COMn. True: open, in programming
    // mode.
    bool TryDevice(const std::string& strDevice, std::uint32_t nBaudRate, std::uint8_t nDataBits,
                   std::uint8_t nParity, std::uint8_t nStopBits, std::uint32_t nDeadlineMs);

    void SetTrace(TraceFn fnTrace) { m_fnTrace = std::move(fnTrace); }
    // Called with every COM port number TryPort tries and the device it maps to.
    void SetPortObserver(std::function<void(int nPort, const std::string& strDevice)> fn) {
        m_fnPortTried = std::move(fn);
    }

private:
    ICommOwner& m_owner;
    TraceFn m_fnTrace;
    std::function<void(int, const std::string&)> m_fnPortTried;
    std::string m_strFirmwareVersion;
    std::vector<std::string> m_deniedDevices; // refused for lack of permission, this scan
    std::string m_strFailedDevice;            // the named device that found no radio
    int m_nDeviceError = 0;                   // its open's errno; 0: opened, no answer
};
