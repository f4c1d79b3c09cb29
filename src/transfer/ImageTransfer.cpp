// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/ImageTransfer.h"

#include "app/WR7310App.h"
#include "base/Messages.h"
#include "base/ProfileFile.h"
#include "base/RadioFile.h"
#include "image/FreqCodec.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>

namespace {
// lParam of WriteStopped when the stop came before the first block.
constexpr long kNothingWritten = -1;
} // namespace

CImageTransfer::CImageTransfer(CWR7310App& app, TransferMode mode)
    : m_nMode(mode), m_comm(&app), m_app(app) {}

CImageTransfer::~CImageTransfer() {
    Join();
    m_comm.Close();
}

StartResult CImageTransfer::Start(TransferSink sink) {
    Join(); // a transfer object may be started again after its previous run ended
    if (m_comm.Connect() == 0)
        return StartResult::NoRadio;
    if (!m_comm.CheckFirmwareVersion()) {
        m_comm.Close();
        return StartResult::VersionRejected;
    }
    const auto image = m_app.Image();
    if (m_nMode == TransferMode::Read) {
        m_buffer.assign(image.size(), 0);
        m_worker = std::thread(&CImageTransfer::ReadThreadProc, this, std::move(sink));
        return StartResult::Started;
    }
    if (!RangeCheck()) {
        m_app.ShowMessage(msg::kRangeMismatch);
        m_comm.Close();
        return StartResult::RangeMismatch;
    }
    m_buffer.assign(image.begin(), image.end());
    m_worker = std::thread(&CImageTransfer::WriteThreadProc, this, std::move(sink));
    return StartResult::Started;
}

void CImageTransfer::Join() {
    if (m_worker.joinable())
        m_worker.join();
}

bool CImageTransfer::RangeCheck() {
    const CVariant& v = m_app.m_variant;
    if (!v.rangeCheckAddr)
        return true; // this model's radio has no range bytes to compare with
    std::uint8_t range[6] = {};
    m_comm.ReadBlock(*v.rangeCheckAddr, sizeof range, range); // a failed read leaves zeros
    const double dRadioLow = DecodeRangeLimit(range, true);
    const double dRadioHigh = DecodeRangeLimit(range, false);
    return !(m_app.m_dMinFreq < dRadioLow) && !(m_app.m_dMaxFreq > dRadioHigh);
}

bool CImageTransfer::StopRequested() const {
    return m_bStopRequested || (m_fnStop && m_fnStop());
}

void CImageTransfer::EndWith(const TransferSink& sink, TransferMsg msg, std::uint16_t nAddr) {
    m_comm.EndTransfer(); // the radio leaves programming mode
    sink(msg, nAddr);
}

void CImageTransfer::ReadThreadProc(TransferSink sink) {
    const CVariant& v = m_app.m_variant;
    const int nBlocks = v.ReadBlockCount();
    for (int i = 0; i < nBlocks; ++i) {
        const auto nAddr = static_cast<std::uint16_t>(i * radio::kBlockLength);
        if (StopRequested()) {
            EndWith(sink, TransferMsg::ReadStopped, nAddr);
            return;
        }
        if (!m_comm.ReadBlock(nAddr, radio::kBlockLength, m_buffer.data() + nAddr)) {
            // The application's image keeps what it held before: nothing of a partial read
            // reaches it.
            sink(TransferMsg::ReadError, nAddr);
            return;
        }
        sink(TransferMsg::Reading, v.ReadProgress(i));
    }
    std::copy(m_buffer.begin(), m_buffer.end(), m_app.Image().begin());
    m_comm.EndTransfer();
    sink(TransferMsg::ReadDone, 0);
}

void CImageTransfer::WriteThreadProc(TransferSink sink) {
    const CVariant& v = m_app.m_variant;
    int k = 0;
    for (const CWriteBlock& block : v.writePlan) {
        if (StopRequested()) {
            EndWith(sink, TransferMsg::WriteStopped, k == 0 ? kNothingWritten : block.nAddr);
            return;
        }
        if (!m_comm.WriteBlock(block.nAddr, block.nLength, m_buffer.data() + block.nAddr)) {
            sink(TransferMsg::WriteError, block.nAddr);
            return;
        }
        sink(TransferMsg::Writing, (100 * k) / v.nWriteProgressDivisor);
        ++k;
    }
    if (m_bVerify && !VerifyWritten(sink))
        return;
    m_comm.EndTransfer();
    sink(TransferMsg::WriteDone, 0);
}

bool CImageTransfer::VerifyWritten(const TransferSink& sink) {
    const CVariant& v = m_app.m_variant;
    m_mismatches.clear();
    m_bVerified = false;
    std::vector<std::uint8_t> block;
    const std::size_t nBlocks = v.writePlan.size();
    for (std::size_t k = 0; k < nBlocks; ++k) {
        const CWriteBlock& b = v.writePlan[k];
        if (StopRequested()) {
            EndWith(sink, TransferMsg::VerifyStopped, b.nAddr);
            return false;
        }
        block.assign(b.nLength, 0);
        if (!m_comm.ReadBlock(b.nAddr, b.nLength, block.data())) {
            // The write is complete: the radio is still asked to leave programming mode.
            EndWith(sink, TransferMsg::VerifyReadError, b.nAddr);
            return false;
        }
        for (std::size_t i = 0; i < b.nLength; ++i) {
            const std::uint8_t nWritten = m_buffer[b.nAddr + i];
            if (block[i] != nWritten)
                m_mismatches.push_back(
                    {static_cast<std::uint16_t>(b.nAddr + i), nWritten, block[i]});
        }
        sink(TransferMsg::Verifying, static_cast<long>((100 * (k + 1)) / nBlocks));
    }
    if (!m_mismatches.empty()) {
        // Every exchange succeeded: the transfer ends as a complete one does.
        EndWith(sink, TransferMsg::VerifyError, m_mismatches.front().nAddr);
        return false;
    }
    m_bVerified = true;
    return true;
}

std::string CImageTransfer::MessageText(TransferMsg msg, long lParam) {
    char text[96];
    switch (msg) {
    case TransferMsg::Reading:
        std::snprintf(text, sizeof text, msg::kReadingFmt, static_cast<int>(lParam));
        return text;
    case TransferMsg::Writing:
        std::snprintf(text, sizeof text, msg::kWritingFmt, static_cast<int>(lParam));
        return text;
    case TransferMsg::ReadDone:
        return std::string(msg::kReadDone);
    case TransferMsg::WriteDone:
        return std::string(msg::kWriteDone);
    case TransferMsg::ReadError:
        std::snprintf(text, sizeof text, msg::kReadErrorFmt,
                      static_cast<unsigned>(lParam) & 0xFFFFu);
        return text;
    case TransferMsg::WriteError:
        std::snprintf(text, sizeof text, msg::kWriteErrorFmt,
                      static_cast<unsigned>(lParam) & 0xFFFFu);
        return text;
    case TransferMsg::Verifying:
        return FormatText(msg::kVerifyingFmt, static_cast<int>(lParam));
    case TransferMsg::VerifyError:
        return FormatText(msg::kVerifyErrorFmt, static_cast<unsigned>(lParam) & 0xFFFFu);
    case TransferMsg::VerifyStopped:
        return FormatText(msg::kVerifyStoppedFmt, static_cast<unsigned>(lParam) & 0xFFFFu);
    case TransferMsg::VerifyReadError:
        return FormatText(msg::kVerifyReadErrorFmt, static_cast<unsigned>(lParam) & 0xFFFFu);
    case TransferMsg::ReadStopped:
        return FormatText(msg::kReadStoppedFmt, static_cast<unsigned>(lParam) & 0xFFFFu);
    case TransferMsg::WriteStopped:
        if (lParam == kNothingWritten)
            return std::string(msg::kWriteStoppedUnchanged);
        return FormatText(msg::kWriteStoppedFmt, static_cast<unsigned>(lParam) & 0xFFFFu);
    }
    return {};
}

bool IsFinalMessage(TransferMsg msg) {
    return msg != TransferMsg::Reading && msg != TransferMsg::Writing &&
           msg != TransferMsg::Verifying;
}

bool IsSuccessMessage(TransferMsg msg) {
    return msg == TransferMsg::ReadDone || msg == TransferMsg::WriteDone;
}

bool RunTransfer(CImageTransfer& transfer, const std::function<void(TransferMsg, long)>& fnHandle,
                 StartResult* pStart) {
    // One message at a time passes from the worker to this thread; the worker waits in the
    // sink until this thread has handled it.
    std::mutex mutex;
    std::condition_variable cv;
    std::optional<std::pair<TransferMsg, long>> pending;

    auto sink = [&](TransferMsg msg, long lParam) {
        std::unique_lock lock(mutex);
        pending.emplace(msg, lParam);
        cv.notify_all();
        cv.wait(lock, [&] { return !pending; });
    };
    const StartResult start = transfer.Start(sink);
    if (pStart)
        *pStart = start;
    if (start != StartResult::Started)
        return false;

    bool bSuccess = false;
    for (;;) {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return pending.has_value(); });
        const auto [msg, lParam] = *pending;
        lock.unlock();
        fnHandle(msg, lParam);
        lock.lock();
        pending.reset();
        cv.notify_all();
        if (IsFinalMessage(msg)) {
            bSuccess = IsSuccessMessage(msg);
            break;
        }
    }
    transfer.Join();
    return bSuccess;
}

bool GetVerifyAfterWrite(const CWR7310App& app) {
    return app.GetSettingInt("Programming", "VerifyAfterWrite", 0) != 0;
}

void SetVerifyAfterWrite(bool bVerify, const CWR7310App& app) {
    app.WriteSetting("Programming", "VerifyAfterWrite", bVerify ? "1" : "0");
}
