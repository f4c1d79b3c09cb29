// SPDX-License-Identifier: GPL-3.0-or-later
// The radio protocol over a real pseudo-terminal, against a radio that misbehaves as the
// input says: silence, short and long replies, wrong acknowledges, line errors. Properties:
// a block read that succeeds holds the radio's bytes and one that fails leaves its buffer
// as it was; neither writes past the block; a block write changes no radio byte outside its
// block, and one that succeeds leaves the block in the radio.
#include "FuzzSupport.h"
#include "app/WR7310App.h"
#include "link/RadioComm.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

enum class Fault { None, Silent, Short, Long, WrongAck, LineError };

Fault FaultOf(std::uint8_t b) {
    switch (b % 10) {
    case 5:
        return Fault::Silent;
    case 6:
        return Fault::Short;
    case 7:
        return Fault::Long;
    case 8:
        return Fault::WrongAck;
    case 9:
        return Fault::LineError;
    default:
        return Fault::None;
    }
}

// The radio's side of a pseudo-terminal: answers read and write frames, each with the next
// fault of its script.
class CUnrulyRadio {
public:
    CUnrulyRadio(std::vector<Fault> script, CSerialPort& client)
        : m_script(std::move(script)), m_client(client), m_memory(2048) {
        for (std::size_t a = 0; a < m_memory.size(); ++a)
            m_memory[a] = static_cast<std::uint8_t>(a * 13 + 5);
        m_nMaster = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_nMaster < 0 || ::grantpt(m_nMaster) != 0 || ::unlockpt(m_nMaster) != 0)
            std::abort();
        m_strSlave = ::ptsname(m_nMaster);
        termios tio{};
        ::tcgetattr(m_nMaster, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_nMaster, TCSANOW, &tio);
        m_thread = std::thread([this] { Run(); });
    }
    ~CUnrulyRadio() {
        m_bStop = true;
        m_thread.join();
        ::close(m_nMaster);
    }
    const std::string& Slave() const { return m_strSlave; }
    std::vector<std::uint8_t> Memory() {
        std::lock_guard lock(m_mutex);
        return m_memory;
    }

private:
    void Send(std::vector<std::uint8_t> bytes, Fault fault) {
        if (fault == Fault::Silent)
            return;
        if (fault == Fault::Short && !bytes.empty())
            bytes.pop_back();
        if (fault == Fault::Long)
            bytes.insert(bytes.end(), {0x99, 0x52, 0x00});
        if (fault == Fault::LineError)
            m_client.InjectLineError();
        [[maybe_unused]] const ssize_t n = ::write(m_nMaster, bytes.data(), bytes.size());
    }

    void Run() {
        std::vector<std::uint8_t> pending;
        while (!m_bStop) {
            pollfd p{m_nMaster, POLLIN, 0};
            if (::poll(&p, 1, 5) <= 0)
                continue;
            std::uint8_t buffer[64];
            const ssize_t n = ::read(m_nMaster, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            pending.insert(pending.end(), buffer, buffer + n);
            while (HandleOne(pending)) {
            }
        }
    }

    bool HandleOne(std::vector<std::uint8_t>& pending) {
        if (pending.empty())
            return false;
        const std::uint8_t op = pending[0];
        if ((op == 'R' || op == 'W') && pending.size() < 4)
            return false;
        if (op == 'W' && pending.size() < 4u + pending[3])
            return false;
        const Fault fault = m_nNext < m_script.size() ? m_script[m_nNext] : Fault::None;
        ++m_nNext;
        std::lock_guard lock(m_mutex);
        if (op == 'R') {
            const std::size_t nAddr = static_cast<std::size_t>(pending[1] << 8 | pending[2]);
            const std::size_t nLength = std::min<std::size_t>(pending[3], m_memory.size() - nAddr);
            std::vector<std::uint8_t> reply(pending.begin(), pending.begin() + 4);
            if (fault == Fault::WrongAck)
                reply[1] ^= 0xFF; // a garbled echo: the data that follows is still right
            reply.insert(reply.end(), m_memory.begin() + static_cast<long>(nAddr),
                         m_memory.begin() + static_cast<long>(nAddr + nLength));
            pending.erase(pending.begin(), pending.begin() + 4);
            Send(reply, fault);
            return true;
        }
        if (op == 'W') {
            const std::size_t nAddr = static_cast<std::size_t>(pending[1] << 8 | pending[2]);
            const std::size_t nLength = pending[3];
            if (fault != Fault::Silent && fault != Fault::WrongAck && nAddr + nLength <= 2048)
                std::copy_n(pending.begin() + 4, nLength,
                            m_memory.begin() + static_cast<long>(nAddr));
            pending.erase(pending.begin(), pending.begin() + 4 + static_cast<long>(nLength));
            Send({static_cast<std::uint8_t>(fault == Fault::WrongAck ? 0x66 : 0x99)}, fault);
            return true;
        }
        pending.erase(pending.begin());
        return true;
    }

    std::vector<Fault> m_script;
    std::size_t m_nNext = 0;
    CSerialPort& m_client;
    std::mutex m_mutex;
    std::vector<std::uint8_t> m_memory;
    int m_nMaster = -1;
    std::string m_strSlave;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    CFuzzInput input(pData, nSize);
    const std::size_t nOps = 1 + input.Byte() % 4;
    std::vector<Fault> script;
    for (std::size_t i = 0; i < nOps; ++i)
        script.push_back(FaultOf(input.Byte()));

    CWR7310App app(XtraVariant(), FuzzDir() + "/none.ini");
    CSilentNotifier notifier;
    app.SetNotifier(&notifier);
    CRadioComm comm(&app);
    CUnrulyRadio radio(script, comm);
    FuzzCheck(comm.Open(radio.Slave()), "the pseudo-terminal opens");
    comm.SetCommParams(radio::kBaudRate, radio::kDataBits, radio::kParityOdd, radio::kOneStopBit);
    comm.SetReadTimeout(20); // silence costs little here; the radio's own deadline is longer

    for (std::size_t i = 0; i < nOps; ++i) {
        const std::uint8_t op = input.Byte();
        const auto nAddr = static_cast<std::uint16_t>((input.Byte() % 256) * 8);
        const int nLength = 1 + input.Byte() % 8;
        const auto before = radio.Memory();
        if (op & 1) {
            std::uint8_t source[8];
            for (std::uint8_t& b : source)
                b = input.Byte();
            const bool bOk = comm.WriteBlock(nAddr, nLength, source);
            const auto after = radio.Memory();
            FuzzCheck(std::equal(after.begin(), after.begin() + nAddr, before.begin()) &&
                          std::equal(after.begin() + nAddr + nLength, after.end(),
                                     before.begin() + nAddr + nLength),
                      "a block write changes no byte outside its block");
            if (bOk)
                FuzzCheck(std::equal(source, source + nLength, after.begin() + nAddr),
                          "an acknowledged write is in the radio");
        } else {
            std::uint8_t dest[16];
            std::fill(std::begin(dest), std::end(dest), std::uint8_t{0xA5});
            const bool bOk = comm.ReadBlock(nAddr, nLength, dest);
            if (bOk)
                FuzzCheck(std::equal(dest, dest + nLength, before.begin() + nAddr),
                          "a block read that succeeds holds the radio's bytes");
            else
                FuzzCheck(
                    std::all_of(dest, dest + nLength, [](std::uint8_t b) { return b == 0xA5; }),
                    "a block read that fails leaves its buffer as it was");
            FuzzCheck(std::all_of(dest + nLength, std::end(dest),
                                  [](std::uint8_t b) { return b == 0xA5; }),
                      "a block read writes nothing past its block");
        }
    }
    comm.Close();
    return 0;
}
