// SPDX-License-Identifier: GPL-3.0-or-later
#include "RadioSim.h"

#include "base/RadioFile.h"
#include "link/RadioComm.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A frame whose bytes stop arriving for this long is dropped, so that a stray byte cannot
// swallow the next command.
constexpr auto kFrameGap = std::chrono::milliseconds(200);
// While no client has the device open the master reports a hang-up at once; poll again
// after this long instead of spinning.
constexpr int kIdlePollMs = 20;
// How long one byte may wait for room in the client's input queue before it is dropped.
constexpr int kWriteRoomMs = 1000;
// Bits a character takes on the line: start, 8 data, parity, stop.
constexpr int kBitsPerChar = 11;
constexpr std::uint8_t kWrongAck = static_cast<std::uint8_t>(~radio::kAckByte);

std::string Hex(const std::uint8_t* p, std::size_t n) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string str;
    for (std::size_t i = 0; i < n; ++i) {
        if (i)
            str += ' ';
        str += kDigits[p[i] >> 4];
        str += kDigits[p[i] & 0x0F];
    }
    return str;
}

void SetBit(std::vector<std::uint8_t>& image, CBitField f, bool bOn) {
    const auto mask = static_cast<std::uint8_t>(1u << f.nBit);
    image[f.nAddr] =
        static_cast<std::uint8_t>(bOn ? image[f.nAddr] | mask : image[f.nAddr] & ~mask);
}

void SetU24(std::vector<std::uint8_t>& image, std::size_t nAddr, std::uint32_t nValue) {
    image[nAddr] = static_cast<std::uint8_t>(nValue & 0xFF);
    image[nAddr + 1] = static_cast<std::uint8_t>((nValue >> 8) & 0xFF);
    image[nAddr + 2] = static_cast<std::uint8_t>((nValue >> 16) & 0xFF);
}

void SetText(std::vector<std::uint8_t>& image, CAddrRange r, std::string_view str) {
    for (std::size_t i = 0; i < r.nLength; ++i)
        image[r.nStart + i] = i < str.size() ? static_cast<std::uint8_t>(str[i]) : 0;
}

// Frequencies of the built-in image, in 10 Hz units so that the arithmetic stays exact.
constexpr std::uint32_t kStep625 = 625;   // 6.25 kHz in units of 10 Hz
constexpr std::uint32_t kStep1250 = 1250; // 12.5 kHz in units of 10 Hz
std::uint32_t MHzToUnits(double dMHz) {
    return static_cast<std::uint32_t>(dMHz * 100000.0 + 0.5); // 10 Hz units
}

bool EndsWith(const std::string& str, std::string_view suffix) {
    return str.size() >= suffix.size() &&
           std::equal(suffix.rbegin(), suffix.rend(), str.rbegin(),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

} // namespace

CRadioSim::CRadioSim(CRadioSimOptions options) : m_options(std::move(options)) {
    const CVariant& v = *m_options.pVariant;
    m_memory = m_options.image.empty() ? BuiltInImage(v) : m_options.image;
    m_memory.resize(v.nImageSize, 0xFF);
    if (m_options.firmwareVersion)
        SetText(m_memory, v.firmwareVersion, *m_options.firmwareVersion);
}

CRadioSim::~CRadioSim() {
    if (m_bLinkPlaced) {
        std::error_code ec;
        std::filesystem::remove(m_options.strLinkPath, ec);
    }
    if (m_hMaster >= 0)
        ::close(m_hMaster);
    for (int fd : m_stopPipe)
        if (fd >= 0)
            ::close(fd);
}

bool CRadioSim::Open() {
    if (::pipe2(m_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_strError = std::string("cannot create a pipe: ") + std::strerror(errno);
        return false;
    }
    m_hMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_hMaster < 0 || ::grantpt(m_hMaster) != 0 || ::unlockpt(m_hMaster) != 0) {
        m_strError = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(m_hMaster, name, sizeof name) != 0) {
        m_strError = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    m_strDevice = name;
    ::fcntl(m_hMaster, F_SETFL, ::fcntl(m_hMaster, F_GETFL) | O_NONBLOCK);
    // Raw from the start: nothing the client sends or receives is mapped or echoed before it
    // sets the line itself.
    termios tio{};
    if (::tcgetattr(m_hMaster, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        ::tcsetattr(m_hMaster, TCSANOW, &tio);
    }
    if (!m_options.strLinkPath.empty()) {
        std::error_code ec;
        // A link left by an earlier run is replaced; any other file is not touched.
        if (std::filesystem::is_symlink(m_options.strLinkPath, ec))
            std::filesystem::remove(m_options.strLinkPath, ec);
        std::filesystem::create_symlink(m_strDevice, m_options.strLinkPath, ec);
        if (ec) {
            m_strError = "cannot create the link " + m_options.strLinkPath + ": " + ec.message();
            return false;
        }
        m_bLinkPlaced = true;
    }
    if (m_options.strLogPath == "-") {
        m_pLog.reset(stderr);
    } else if (!m_options.strLogPath.empty()) {
        m_pLog.reset(std::fopen(m_options.strLogPath.c_str(), "w"));
        if (!m_pLog) {
            m_strError = "cannot write the log " + m_options.strLogPath;
            return false;
        }
    }
    return true;
}

void CRadioSim::RequestStop() {
    if (m_stopPipe[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] ssize_t n = ::write(m_stopPipe[1], &c, 1);
    }
}

bool CRadioSim::StopRequested() const {
    pollfd p{m_stopPipe[0], POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

bool CRadioSim::WaitUntil(Clock::time_point deadline) const {
    for (;;) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero())
            return StopRequested();
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        pollfd p{m_stopPipe[0], POLLIN, 0};
        const int r = ::ppoll(&p, 1, &ts, nullptr);
        if (r > 0)
            return true;
        if (r < 0 && errno != EINTR)
            return StopRequested();
    }
}

bool CRadioSim::Run() {
    std::uint8_t buffer[512];
    bool bPeerOpen = false;
    while (!StopRequested()) {
        int nTimeoutMs = -1;
        if (!m_pending.empty()) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(m_lastByte + kFrameGap - Clock::now());
            nTimeoutMs = static_cast<int>(std::max<std::int64_t>(left.count(), 0));
        }
        pollfd fds[2] = {{m_hMaster, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        const int r = ::poll(fds, 2, nTimeoutMs);
        ++m_nWakeups;
        if (r < 0 && errno != EINTR)
            break;
        if (fds[1].revents)
            break;
        bool bHangUp = (fds[0].revents & (POLLHUP | POLLERR)) != 0;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(m_hMaster, buffer, sizeof buffer);
            if (n > 0) {
                bPeerOpen = true;
                DropStaleFrame(); // however late this thread woke
                m_lastByte = Clock::now();
                OnBytes(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno == EIO)
                bHangUp = true;
        }
        if (bHangUp) {
            // Nobody has the device open. The radio forgets a half-done session, as one
            // whose cable was pulled does, and the loop waits for the next opener.
            if (bPeerOpen) {
                bPeerOpen = false;
                ResetSession();
            }
            if (WaitUntil(Clock::now() + std::chrono::milliseconds(kIdlePollMs)))
                break;
            continue;
        }
        bPeerOpen = true;
        DropStaleFrame();
    }
    if (m_options.strFinalImagePath.empty())
        return true;
    return SaveImageFile(m_options.strFinalImagePath, *m_options.pVariant, Memory());
}

void CRadioSim::DropStaleFrame() {
    if (!m_pending.empty() && Clock::now() - m_lastByte >= kFrameGap) {
        LogIgnored(m_pending.size());
        m_pending.clear();
    }
}

void CRadioSim::ResetSession() {
    if (!m_pending.empty())
        LogIgnored(m_pending.size());
    m_pending.clear();
    m_bProgramming = false;
}

void CRadioSim::OnBytes(const std::uint8_t* pData, std::size_t nLength) {
    m_pending.insert(m_pending.end(), pData, pData + nLength);
    if (m_options.nBaudRate) {
        // The pseudo-terminal hands over a command at once; a real line carries it one
        // character time a byte. Answer only once the last byte would have arrived.
        const auto now = Clock::now();
        m_rxLineFree = std::max(now, m_rxLineFree) + CharTime() * static_cast<long>(nLength);
        if (WaitUntil(m_rxLineFree))
            return;
    }
    ProcessPending();
}

std::chrono::nanoseconds CRadioSim::CharTime() const {
    return m_options.nBaudRate
               ? std::chrono::nanoseconds(1000000000LL * kBitsPerChar / m_options.nBaudRate)
               : std::chrono::nanoseconds(0);
}

void CRadioSim::ProcessPending() {
    const std::vector<std::uint8_t> entry(std::begin(radio::kEntrySequence),
                                          std::end(radio::kEntrySequence));
    while (!m_pending.empty() && !StopRequested()) {
        if (!m_bProgramming) {
            // Outside programming mode only the entry sequence means anything.
            const auto it =
                std::search(m_pending.begin(), m_pending.end(), entry.begin(), entry.end());
            if (it == m_pending.end()) {
                // Keep a tail that may still grow into the entry sequence.
                const std::size_t nKeep = std::min(m_pending.size(), entry.size() - 1);
                const std::size_t nDrop = m_pending.size() - nKeep;
                if (nDrop) {
                    LogIgnored(nDrop);
                    m_pending.erase(m_pending.begin(), m_pending.begin() + nDrop);
                }
                return;
            }
            const auto nSkip = static_cast<std::size_t>(it - m_pending.begin());
            if (nSkip)
                LogIgnored(nSkip);
            m_pending.erase(m_pending.begin(), it + static_cast<std::ptrdiff_t>(entry.size()));
            RecordFrame(entry, "entry");
            m_bProgramming = true;
            Reply({radio::kAckByte});
            continue;
        }
        const std::uint8_t op = m_pending[0];
        if (op == radio::kReadOpcode || op == radio::kWriteOpcode) {
            if (m_pending.size() < 4)
                return;
            std::size_t nFrame = 4;
            if (op == radio::kWriteOpcode)
                nFrame += m_pending[3];
            if (m_pending.size() < nFrame)
                return;
            const std::vector<std::uint8_t> frame(
                m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(nFrame));
            m_pending.erase(m_pending.begin(),
                            m_pending.begin() + static_cast<std::ptrdiff_t>(nFrame));
            if (op == radio::kReadOpcode)
                HandleRead(frame);
            else
                HandleWrite(frame);
        } else if (op == radio::kAckByte) {
            m_pending.erase(m_pending.begin());
            RecordFrame({radio::kAckByte}, "end");
            m_bProgramming = false;
            Reply({radio::kAckByte});
        } else if (op == entry[0]) {
            // A client that lost track of the session may shake hands again.
            if (m_pending.size() < entry.size())
                return;
            if (std::equal(entry.begin(), entry.end(), m_pending.begin())) {
                m_pending.erase(m_pending.begin(),
                                m_pending.begin() + static_cast<std::ptrdiff_t>(entry.size()));
                RecordFrame(entry, "entry");
                Reply({radio::kAckByte});
            } else {
                LogIgnored(1);
                m_pending.erase(m_pending.begin());
            }
        } else {
            LogIgnored(1);
            m_pending.erase(m_pending.begin());
        }
    }
}

bool CRadioSim::Covers(const std::optional<std::uint16_t>& addr, std::uint16_t nStart,
                       std::size_t nLength) const {
    return addr && *addr >= nStart && *addr < nStart + nLength;
}

void CRadioSim::HandleRead(const std::vector<std::uint8_t>& frame) {
    RecordFrame(frame, "read");
    const auto nAddr = static_cast<std::uint16_t>((frame[1] << 8) | frame[2]);
    const std::size_t nLength = frame[3];
    if (Covers(m_options.stopAt, nAddr, nLength))
        return;
    std::vector<std::uint8_t> reply(frame.begin(), frame.end());
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (std::size_t i = 0; i < nLength; ++i) {
            const std::size_t a = nAddr + i;
            reply.push_back(a < m_memory.size() ? m_memory[a] : 0xFF);
        }
    }
    if (Covers(m_options.shortReplyAt, nAddr, nLength))
        reply.pop_back();
    Reply(reply);
}

void CRadioSim::HandleWrite(const std::vector<std::uint8_t>& frame) {
    RecordFrame(frame, "write");
    const auto nAddr = static_cast<std::uint16_t>((frame[1] << 8) | frame[2]);
    const std::size_t nLength = frame[3];
    if (Covers(m_options.stopAt, nAddr, nLength))
        return;
    if (Covers(m_options.wrongAckAt, nAddr, nLength)) {
        Reply({kWrongAck});
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (std::size_t i = 0; i < nLength; ++i) {
            const std::size_t a = nAddr + i;
            if (a >= m_memory.size())
                continue; // the EEPROM has no cells beyond its size
            m_memory[a] = frame[4 + i];
            if (m_options.wrongByteAt && a == *m_options.wrongByteAt)
                m_memory[a] ^= 0x01;
        }
    }
    Reply({radio::kAckByte});
}

void CRadioSim::Reply(const std::vector<std::uint8_t>& bytes) {
    auto t = Clock::now();
    if (m_options.nReplyDelayMs) {
        t += std::chrono::milliseconds(m_options.nReplyDelayMs);
        if (WaitUntil(t))
            return;
    }
    const auto charTime = CharTime();
    std::size_t nSent = 0;
    while (nSent < bytes.size()) {
        // Paced: one byte each character time, on a fixed schedule so that the reply takes
        // its wire time however late the thread wakes. Unpaced: all at once.
        std::size_t nChunk = bytes.size() - nSent;
        if (m_options.nBaudRate) {
            t += charTime;
            if (WaitUntil(t))
                return;
            nChunk = 1;
        }
        const ssize_t n = ::write(m_hMaster, bytes.data() + nSent, nChunk);
        if (n > 0) {
            nSent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{m_hMaster, POLLOUT, 0};
            if (::poll(&p, 1, kWriteRoomMs) <= 0)
                return; // nobody is reading; the reply is lost as on a real line
        } else if (!(n < 0 && errno == EINTR)) {
            return;
        }
    }
}

void CRadioSim::RecordFrame(const std::vector<std::uint8_t>& frame, const char* pszWhat) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_frames.push_back(frame);
    }
    LogLine(std::string(pszWhat) + ": " + Hex(frame.data(), frame.size()));
}

void CRadioSim::LogIgnored(std::size_t nCount) {
    LogLine("ignored: " + Hex(m_pending.data(), std::min(nCount, m_pending.size())));
}

void CRadioSim::LogLine(const std::string& strLine) {
    if (!m_pLog)
        return;
    std::fprintf(m_pLog.get(), "%s\n", strLine.c_str());
    std::fflush(m_pLog.get());
}

std::vector<std::uint8_t> CRadioSim::Memory() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_memory;
}

std::vector<std::vector<std::uint8_t>> CRadioSim::Frames() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

std::vector<std::uint8_t> CRadioSim::BuiltInImage(const CVariant& v) {
    // Erased EEPROM first: every byte no field below claims stays 0xFF.
    std::vector<std::uint8_t> image(v.nImageSize, 0xFF);

    // Radio range: the configured band of the newer radio is free, 400 to 470 MHz here; the
    // older radio has its fixed band.
    const double dLow = v.bRangeFromSettings ? 400.0 : v.dFixedMinFreq;
    const double dHigh = v.bRangeFromSettings ? 470.0 : v.dFixedMaxFreq;
    const std::uint32_t nLowUnits = MHzToUnits(dLow);
    SetU24(image, v.rangeBytes.nStart, nLowUnits / kStep625);
    SetU24(image, v.rangeBytes.nStart + 3u, MHzToUnits(dHigh) / kStep625);
    image[v.localOscillator.nStart] = 0x02; // 21250 kHz, little-endian, as every radio has
    image[v.localOscillator.nStart + 1u] = 0x53;

    // Frequency table: entry n receives at low + 0.5 MHz + n x 100 kHz (12.5 kHz raster);
    // odd entries transmit 1 MHz higher. None is a standard frequency.
    const CRecordTable& ft = v.freqTable;
    for (int n = 1; n <= ft.nCount; ++n) {
        const std::uint16_t a = ft.RecordAddr(n);
        const std::uint32_t nRx =
            (nLowUnits + 50000u + static_cast<std::uint32_t>(n) * 10000u) / kStep1250;
        const std::uint32_t nTx = nRx + (n % 2 ? 100000u / kStep1250 : 0u);
        SetU24(image, a, nRx);
        SetU24(image, a + 3u, nTx);
        image[a + 6u] = 0x02 | (0x02 << 2) | (1 << 4); // 12.5 kHz both ways, non-standard
        image[a + 7u] = 0;
    }

    // Channels: 12 in use on the newer radio (6 of the older one's 8), each with its own
    // frequency number and signal code; odd channels scan.
    const CChannelLayout& ch = v.channels;
    const int nInUse = ch.table.nCount >= 12 ? 12 : ch.table.nCount - 2;
    for (int n = 1; n <= ch.table.nCount; ++n) {
        const std::uint16_t a = ch.table.RecordAddr(n);
        std::fill_n(image.begin() + a, ch.table.nRecordSize, std::uint8_t{0});
        const bool bUsed = n <= nInUse;
        const int nFreq = bUsed ? (n * 11 + 2) % ft.nCount + 1 : 1;
        const int nSignal = bUsed ? n * 17 % 121 + 1 : 0;
        image[a + ch.nFreqNumberOffset] = static_cast<std::uint8_t>(nFreq);
        image[a + ch.nSignalCodeOffset] = static_cast<std::uint8_t>(nSignal);
        image[a + ch.nScanOffset] = bUsed && n % 2 ? 1 : 0;
    }
    image[v.nChannelCount] = static_cast<std::uint8_t>(nInUse);
    image[v.nCurrentChannel] = 3;

    // Feature settings and switches.
    const CFeatureSettings& s = v.settings;
    image[s.nVoxLevel] = 3;
    image[s.nCallToneLevel] = 4;
    image[s.nSquelchLevel] = 3;
    image[s.nTotSetting] = 2;
    const CFeatureSwitches& sw = v.switches;
    for (const CBitField& f :
         {sw.menuEnable, sw.vox, sw.buttonBeep, sw.callTone, sw.manualTxPower, sw.rangeAlarm,
          sw.frequencySet, sw.signalingSet, sw.defaultSetMode, sw.batterySave, sw.tailCut,
          sw.keypadLock, s.buttonBeepOn, s.rangeAlarmOn, s.txPowerHigh, s.revertLastStop})
        image[f.nAddr] = 0; // switch bytes start clear, then get exactly the bits below
    for (const CBitField& f : {sw.menuEnable, sw.vox, sw.buttonBeep, sw.callTone, sw.manualTxPower,
                               sw.rangeAlarm, sw.signalingSet, sw.batterySave, s.buttonBeepOn,
                               s.rangeAlarmOn, s.txPowerHigh, s.revertLastStop})
        SetBit(image, f, true);
    if (sw.channelSet)
        SetBit(image, *sw.channelSet, true);
    if (sw.channelNumber)
        SetBit(image, *sw.channelNumber, true);
    SetBit(image, v.keyTuneSwitch, false);

    // Identity and service areas.
    SetText(image, v.modelName, "MT-7310");
    SetText(image, v.serialNumber, "SIM-7310-000417");
    SetText(image, v.firmwareVersion, std::string(v.strExpectedVersion) + ".05");
    // Tune frequency 465.5 MHz on the 12.5 kHz raster, step code in the fourth byte.
    SetU24(image, v.tuneFrequency.nStart, MHzToUnits(465.5) / kStep1250);
    image[v.tuneFrequency.nStart + 3u] = 0x02;
    SetText(image, v.embeddedInfo, "Simulated radio - built-in memory image");
    return image;
}

bool CRadioSim::LoadImageFile(const std::string& strPath, const CVariant& v,
                              std::vector<std::uint8_t>& image, std::string& strError) {
    // One byte beyond the larger size is enough to refuse a file; a device or pipe that never
    // ends is not read to its (missing) end.
    std::vector<std::uint8_t> bytes;
    const CFileReadResult read = ReadFilePrefix(strPath, v.FileSize() + 1, bytes);
    if (read.status == CFileReadResult::Status::Failed) {
        strError = "cannot read " + strPath + ": " + std::strerror(read.nErrno);
        return false;
    }
    if (read.status == CFileReadResult::Status::Ok) {
        strError = strPath + ": more than " + std::to_string(v.FileSize()) +
                   " bytes is neither a " + std::string(v.strModel) + " image (" +
                   std::to_string(v.nImageSize) + " bytes) nor a radio file (" +
                   std::to_string(v.FileSize()) + " bytes)";
        return false;
    }
    if (bytes.size() == v.FileSize()) {
        bytes.erase(bytes.begin(),
                    bytes.begin() + static_cast<std::ptrdiff_t>(v.nSignatureFieldSize));
    } else if (bytes.size() != v.nImageSize) {
        strError = strPath + ": " + std::to_string(bytes.size()) + " bytes is neither a " +
                   std::string(v.strModel) + " image (" + std::to_string(v.nImageSize) +
                   " bytes) nor a radio file (" + std::to_string(v.FileSize()) + " bytes)";
        return false;
    }
    image = std::move(bytes);
    return true;
}

bool CRadioSim::SaveImageFile(const std::string& strPath, const CVariant& v,
                              const std::vector<std::uint8_t>& image) {
    std::vector<std::uint8_t> bytes;
    if (EndsWith(strPath, v.strFileExt)) {
        bytes.assign(v.nSignatureFieldSize, 0);
        std::copy_n(v.strSignature.begin(), std::min(v.strSignature.size(), bytes.size() - 1),
                    bytes.begin());
    }
    bytes.insert(bytes.end(), image.begin(), image.end());
    return WriteFileReplacing(strPath, bytes) == 0;
}
