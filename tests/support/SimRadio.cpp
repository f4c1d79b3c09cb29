// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimRadio.h"

#include <stdexcept>

CSimRadio::CSimRadio(CRadioSimOptions options) : m_sim(std::move(options)) {
    if (!m_sim.Open())
        throw std::runtime_error("simulated radio: " + m_sim.LastError());
    m_thread = std::thread([this] { m_bRunResult = m_sim.Run(); });
}

CSimRadio::~CSimRadio() {
    Stop();
}

bool CSimRadio::Stop() {
    if (m_thread.joinable()) {
        m_sim.RequestStop();
        m_thread.join();
    }
    return m_bRunResult;
}
