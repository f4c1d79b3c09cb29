// SPDX-License-Identifier: GPL-3.0-or-later
// The document's short service transfers: the embedded information text, the tune
// information, the tune switch and the tune frequency. Each opens its own connection, moves a
// few blocks between the radio and the document's working copy, and closes it again.
#include "app/WR7310Doc.h"

#include "app/WR7310App.h"
#include "base/Messages.h"
#include "base/Progress.h"
#include "base/RadioFile.h"

#include <algorithm>

namespace {

// Connect and pass the version gate; false after the failure was reported (port closed).
bool OpenServiceLink(CRadioComm& comm) {
    if (comm.Connect() == 0)
        return false;
    if (!comm.CheckFirmwareVersion()) {
        comm.Close();
        return false;
    }
    return true;
}

int FinishServiceLink(CRadioComm& comm) {
    comm.EndTransfer();
    comm.Close();
    return 1;
}

// The messages for a transfer stopped before the block at nAddr (bFirst: no block moved yet).
std::string ReadStoppedText(std::uint16_t nAddr, bool /*bFirst*/) {
    return FormatText(msg::kReadStoppedFmt, unsigned{nAddr});
}

std::string EmbeddedWriteStoppedText(std::uint16_t nAddr, bool bFirst) {
    return bFirst ? std::string(msg::kWriteStoppedUnchanged)
                  : FormatText(msg::kEmbeddedWriteStoppedFmt, unsigned{nAddr});
}

// Moves the embedded information in 8-byte blocks, one way or the other; fnBlock moves one
// block between the radio and the document's copy, fnStopText words a stop before a block.
template <typename BlockFn>
int MoveEmbeddedInfo(CWR7310Doc& doc, IProgress& progress, std::string_view strTitle,
                     std::string_view strError,
                     std::string (*fnStopText)(std::uint16_t nAddr, bool bFirst), BlockFn fnBlock) {
    if (!OpenServiceLink(doc.m_comm))
        return -1;
    const CAddrRange area = doc.m_variant.embeddedInfo;
    progress.Begin(strTitle, area.nLength);
    progress.SetProgress(0);
    for (int k = 0; k < area.nLength / radio::kBlockLength; ++k) {
        const auto nAddr = static_cast<std::uint16_t>(area.nStart + radio::kBlockLength * k);
        if (doc.StopRequested()) {
            progress.End();
            return doc.EndStopped(fnStopText(nAddr, k == 0));
        }
        if (!fnBlock(nAddr, doc.Data().data() + nAddr)) {
            doc.m_app.ShowMessage(strError);
            doc.m_comm.Close();
            progress.End();
            return -1;
        }
        progress.SetProgress(radio::kBlockLength * k);
    }
    FinishServiceLink(doc.m_comm);
    progress.End();
    return 1;
}

} // namespace

int CWR7310Doc::EndStopped(std::string_view strMessage) {
    FinishServiceLink(m_comm);
    m_app.ShowMessage(strMessage);
    return -1;
}

int CWR7310Doc::ReadEmbeddedInfo(IProgress& progress) {
    return MoveEmbeddedInfo(*this, progress, msg::kEmbeddedReadTitle, msg::kEmbeddedReadError,
                            ReadStoppedText, [this](std::uint16_t nAddr, std::uint8_t* pData) {
                                return m_comm.ReadBlock(nAddr, radio::kBlockLength, pData);
                            });
}

int CWR7310Doc::WriteEmbeddedInfo(IProgress& progress) {
    return MoveEmbeddedInfo(*this, progress, msg::kEmbeddedWriteTitle, msg::kEmbeddedWriteError,
                            EmbeddedWriteStoppedText,
                            [this](std::uint16_t nAddr, const std::uint8_t* pData) {
                                return m_comm.WriteBlock(nAddr, radio::kBlockLength, pData);
                            });
}

int CWR7310Doc::ReadTuneInfo() {
    if (!OpenServiceLink(m_comm))
        return -1;
    // One buffer for every block, cleared once: a block keeps nothing of the one before it
    // only because each read fills all eight bytes.
    std::uint8_t block[radio::kBlockLength] = {};
    for (const CTuneReadBlock& b : m_variant.tuneReadPlan) {
        if (StopRequested())
            return EndStopped(ReadStoppedText(b.nAddr, false));
        if (!m_comm.ReadBlock(b.nAddr, radio::kBlockLength, block)) {
            m_app.ShowMessage(msg::kTuneReadError);
            m_comm.Close();
            return -1;
        }
        std::copy_n(block + b.nCopyOffset, b.nCopyLength, m_data.begin() + b.nAddr + b.nCopyOffset);
    }
    return FinishServiceLink(m_comm);
}

bool CWR7310Doc::SetTuneSwitchBit(bool bOpen) {
    const CBitField bit = m_variant.keyTuneSwitch;
    std::uint8_t value = 0;
    if (!m_comm.ReadBlock(bit.nAddr, 1, &value))
        return false;
    const auto mask = static_cast<std::uint8_t>(1u << bit.nBit);
    value = static_cast<std::uint8_t>(bOpen ? (value | mask) : (value & ~mask));
    return m_comm.WriteBlock(bit.nAddr, 1, &value);
}

int CWR7310Doc::WriteTuneSwitch(bool bOpen) {
    if (!OpenServiceLink(m_comm))
        return -1;
    if (StopRequested())
        return EndStopped(msg::kWriteStoppedUnchanged);
    if (!SetTuneSwitchBit(bOpen)) {
        m_comm.Close();
        m_app.ShowMessage(msg::kTuneSwitchError);
        return -1;
    }
    return FinishServiceLink(m_comm);
}

int CWR7310Doc::WriteTuneFrequency() {
    if (!OpenServiceLink(m_comm))
        return -1;
    // The frequency and the switch that goes with it are written together or not at all.
    if (StopRequested())
        return EndStopped(msg::kWriteStoppedUnchanged);
    const CAddrRange tune = m_variant.tuneFrequency;
    if (!m_comm.WriteBlock(tune.nStart, tune.nLength, m_data.data() + tune.nStart)) {
        m_comm.Close();
        m_app.ShowMessage(msg::kTuneFreqError);
        return -1;
    }
    // Writing a tune frequency always leaves the key tune switch closed.
    if (!SetTuneSwitchBit(false)) {
        m_comm.Close();
        m_app.ShowMessage(msg::kTuneSwitchError);
        return -1;
    }
    return FinishServiceLink(m_comm);
}
