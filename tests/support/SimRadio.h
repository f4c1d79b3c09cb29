// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated radio running in the test's own process: a CRadioSim on its own thread,
// answering on a real pseudo-terminal. Point the application's m_strPortDevice at
// DevicePath() and talk to it through CRadioComm, exactly as to a radio on a cable.
//
//     CRadioSimOptions options;
//     options.nBaudRate = 0;                   // no pacing: fast tests
//     CSimRadio radio(options);
//     app.m_strPortDevice = radio.DevicePath();
#pragma once

#include "RadioSim.h"

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class CSimRadio {
public:
    // Opens the pseudo-terminal and starts answering; throws std::runtime_error when the
    // device cannot be opened.
    explicit CSimRadio(CRadioSimOptions options = {});
    ~CSimRadio();
    CSimRadio(const CSimRadio&) = delete;
    CSimRadio& operator=(const CSimRadio&) = delete;

    const std::string& DevicePath() const { return m_sim.DevicePath(); }
    // The radio's memory, during the run and after Stop.
    std::vector<std::uint8_t> Memory() const { return m_sim.Memory(); }
    // Every frame received so far, in order (see CRadioSim::Frames).
    std::vector<std::vector<std::uint8_t>> Frames() const { return m_sim.Frames(); }
    // Ends the run and waits for it (the final image file is written by then). Idempotent.
    // False when a final image was asked for and could not be written.
    bool Stop();

    CRadioSim& Sim() { return m_sim; }

private:
    CRadioSim m_sim;
    std::thread m_thread;
    bool m_bRunResult = true;
};
