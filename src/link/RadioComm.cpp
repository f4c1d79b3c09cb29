// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/RadioComm.h"

#include "base/Messages.h"
#include "base/Notifier.h"
#include "base/RadioFile.h"
#include "link/PortNames.h"
#include "variants/Variant.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

void SleepMs(int nMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(nMs));
}

bool ValidBlockLength(int nLength) {
    return nLength >= 1 && nLength <= radio::kBlockLength;
}

} // namespace

CRadioComm::CRadioComm(ICommOwner* pOwner) : m_owner(*pOwner) {}

CRadioComm::~CRadioComm() = default;

bool CRadioComm::Exchange(const std::uint8_t* pCommand, std::size_t nCommandLength,
                          std::uint8_t* pReply, std::size_t nReplyLength) {
    ClearInput();
    SleepMs(radio::kCommandPauseMs);
    Write(pCommand, nCommandLength);
    if (m_fnTrace)
        m_fnTrace(true, {pCommand, nCommandLength});
    const std::size_t nGot = Read(pReply, nReplyLength);
    if (m_fnTrace)
        m_fnTrace(false, {pReply, nGot});
    return nGot == nReplyLength;
}

bool CRadioComm::Handshake() {
    std::uint8_t reply = 0;
    return Exchange(radio::kEntrySequence, sizeof radio::kEntrySequence, &reply, 1) &&
           reply == radio::kAckByte;
}

bool CRadioComm::ReadBlock(std::uint16_t nAddr, int nLength, std::uint8_t* pDest) {
    if (!ValidBlockLength(nLength))
        return false;
    const std::uint8_t command[4] = {radio::kReadOpcode, static_cast<std::uint8_t>(nAddr >> 8),
                                     static_cast<std::uint8_t>(nAddr & 0xFF),
                                     static_cast<std::uint8_t>(nLength)};
    std::uint8_t reply[4 + radio::kBlockLength] = {};
    const auto nReply = static_cast<std::size_t>(4 + nLength);
    if (!Exchange(command, sizeof command, reply, nReply))
        return false;
    // The first four bytes of the reply echo the command; the radio's echo is not examined.
    std::copy_n(reply + 4, nReply - 4, pDest);
    return true;
}

bool CRadioComm::WriteBlock(std::uint16_t nAddr, int nLength, const std::uint8_t* pSource) {
    if (!ValidBlockLength(nLength))
        return false;
    std::vector<std::uint8_t> command = {radio::kWriteOpcode, static_cast<std::uint8_t>(nAddr >> 8),
                                         static_cast<std::uint8_t>(nAddr & 0xFF),
                                         static_cast<std::uint8_t>(nLength)};
    command.insert(command.end(), pSource, pSource + nLength);
    std::uint8_t reply = 0;
    return Exchange(command.data(), command.size(), &reply, 1) && reply == radio::kAckByte;
}

bool CRadioComm::EndTransfer() {
    const std::uint8_t command = radio::kAckByte;
    std::uint8_t reply = 0;
    return Exchange(&command, 1, &reply, 1) && reply == radio::kAckByte;
}

bool CRadioComm::TryDevice(const std::string& strDevice, std::uint32_t nBaudRate,
                           std::uint8_t nDataBits, std::uint8_t nParity, std::uint8_t nStopBits,
                           std::uint32_t nDeadlineMs) {
    if (strDevice.empty())
        return false;
    if (!Open(strDevice)) {
        if (LastOpenError() == EACCES || LastOpenError() == EPERM)
            m_deniedDevices.push_back(strDevice);
        return false;
    }
    SetCommParams(nBaudRate, nDataBits, nParity, nStopBits);
    SetReadTimeout(nDeadlineMs);
    ClearInput();
    SleepMs(radio::kOpenSettleMs);
    if (Handshake())
        return true; // the port stays open, the radio is in programming mode
    Close();
    return false;
}

int CRadioComm::TryPort(int nPort, std::uint32_t nBaudRate, std::uint8_t nDataBits,
                        std::uint8_t nParity, std::uint8_t nStopBits, std::uint32_t nDeadlineMs) {
    const std::string strDevice = ComPortDevice(nPort, m_owner.CommSettingsFile());
    if (m_fnPortTried)
        m_fnPortTried(nPort, strDevice);
    return TryDevice(strDevice, nBaudRate, nDataBits, nParity, nStopBits, nDeadlineMs) ? nPort : 0;
}

int CRadioComm::ScanPorts(std::uint32_t nBaudRate, std::uint8_t nDataBits, std::uint8_t nParity,
                          std::uint8_t nStopBits, std::uint32_t nDeadlineMs) {
    m_deniedDevices.clear();
    m_strFailedDevice.clear();
    const std::string& strDevice = m_owner.CommDevice();
    if (!strDevice.empty()) {
        // One device named by the user: that device only. It keeps the current port number,
        // or counts as COM1 when there is none.
        if (m_fnPortTried)
            m_fnPortTried(m_owner.CommPort(), strDevice);
        if (TryDevice(strDevice, nBaudRate, nDataBits, nParity, nStopBits, nDeadlineMs))
            return std::max(m_owner.CommPort(), 1);
        m_strFailedDevice = strDevice;
        m_nDeviceError = LastOpenError();
    } else {
        if (int n =
                TryPort(m_owner.CommPort(), nBaudRate, nDataBits, nParity, nStopBits, nDeadlineMs))
            return n;
        for (int nPort = 1; nPort <= radio::kMaxComPort; ++nPort)
            if (TryPort(nPort, nBaudRate, nDataBits, nParity, nStopBits, nDeadlineMs))
                return nPort;
    }
    m_owner.Notifier().ShowMessage(msg::kConnectionError, {}, MsgIcon::Exclamation);
    return 0;
}

int CRadioComm::Connect() {
    const int nPort = ScanPorts(radio::kBaudRate, radio::kDataBits, radio::kParityOdd,
                                radio::kOneStopBit, radio::kReplyDeadlineMs);
    m_owner.SetCommPort(nPort);
    return nPort;
}

int CRadioComm::ReadFirmwareVersion(std::string& strVersion, const std::string& strExpected) {
    strVersion.clear();
    m_strFirmwareVersion.clear();
    std::uint8_t buffer[17] = {};
    const std::uint16_t nAddr = m_owner.CommVariant().firmwareVersion.nStart;
    if (ReadBlock(nAddr, 8, buffer))
        ReadBlock(static_cast<std::uint16_t>(nAddr + 8), 8, buffer + 8);
    strVersion = reinterpret_cast<const char*>(buffer); // up to the first zero, at most 16
    m_strFirmwareVersion = strVersion;
    // The first four characters (all of them when shorter), compared byte-wise as unsigned.
    const int r = strVersion.substr(0, 4).compare(strExpected);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

bool CRadioComm::CheckFirmwareVersion() {
    if (m_owner.IsFactoryLevel())
        return true;
    std::string strVersion;
    switch (
        ReadFirmwareVersion(strVersion, std::string(m_owner.CommVariant().strExpectedVersion))) {
    case 0:
        return true;
    case 1:
        m_owner.Notifier().ShowMessage(msg::kVersionTooNew, {}, MsgIcon::Exclamation);
        return false;
    default:
        m_owner.Notifier().ShowMessage(msg::kVersionTooOld, {}, MsgIcon::Exclamation);
        return false;
    }
}

std::vector<std::string> CRadioComm::PermissionHints() const {
    std::vector<std::string> hints;
    for (auto it = m_deniedDevices.begin(); it != m_deniedDevices.end(); ++it) {
        if (std::find(m_deniedDevices.begin(), it, *it) != it)
            continue; // the current port is tried twice
        std::string strHint = PortPermissionHint(*it);
        if (!strHint.empty())
            hints.push_back(std::move(strHint));
    }
    return hints;
}

std::string CRadioComm::DeviceFailureReason() const {
    const char* pszDevice = m_strFailedDevice.c_str();
    if (m_strFailedDevice.empty())
        return {};
    switch (m_nDeviceError) {
    case 0:
        return FormatText(msg::kPortNoAnswerFmt, pszDevice);
    case EACCES:
    case EPERM:
        return {}; // the permission hint names the device and the remedy
    case ENOENT:
        return FormatText(msg::kPortMissingFmt, pszDevice);
    case ENOTTY:
        return FormatText(msg::kPortNotSerialFmt, pszDevice);
    case EBUSY: {
        std::string strHolders;
        for (const std::string& strHolder : ProcessesHolding(m_strFailedDevice))
            strHolders += (strHolders.empty() ? ": PID " : ", PID ") + strHolder;
        return FormatText(msg::kPortBusyFmt, pszDevice, strHolders.c_str());
    }
    default:
        return FormatText(msg::kPortOpenErrorFmt, pszDevice, std::strerror(m_nDeviceError));
    }
}
