// SPDX-License-Identifier: GPL-3.0-or-later
// Small pieces every harness uses: a check that stops the run with a message (the fuzzer
// then keeps the input), a notifier that swallows the program's messages, and a private
// folder for files.
#pragma once

#include "base/Notifier.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Ends the run with a finding when bCondition is false.
void FuzzCheck(bool bCondition, const char* pszWhat);

class CSilentNotifier : public INotifier {
public:
    void ShowMessage(std::string_view, std::string_view, MsgIcon) override { ++m_nMessages; }
    int m_nMessages = 0;
};

// A folder of this process, created on first use and kept for the run.
const std::string& FuzzDir();

// Takes bytes off the front of the input.
class CFuzzInput {
public:
    CFuzzInput(const std::uint8_t* pData, std::size_t nSize) : m_data(pData, nSize) {}
    std::uint8_t Byte() {
        if (m_data.empty())
            return 0;
        const std::uint8_t b = m_data.front();
        m_data = m_data.subspan(1);
        return b;
    }
    std::uint32_t U32() {
        std::uint32_t n = 0;
        for (int i = 0; i < 4; ++i)
            n = (n << 8) | Byte();
        return n;
    }
    std::span<const std::uint8_t> Rest() const { return m_data; }
    bool Empty() const { return m_data.empty(); }

private:
    std::span<const std::uint8_t> m_data;
};

void WriteWholeFile(const std::string& strPath, std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> ReadWholeFile(const std::string& strPath);
