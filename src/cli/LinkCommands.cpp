// SPDX-License-Identifier: GPL-3.0-or-later
// wr7310 probe: is a radio there, on which port, with which firmware?
#include "app/WR7310App.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "link/RadioComm.h"
#include "transfer/Interrupt.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace {

int Probe(CCliContext& ctx, const CCliArgs& /*args*/) {
    // Ctrl-C while the ports are tried ends the probe once the radio has left programming
    // mode and the port is closed.
    const CInterruptGuard interruptGuard;
    CRadioComm comm(&ctx.app);
    if (!ConnectRadio(comm, ctx))
        return 1;
    if (InterruptRequested()) {
        comm.EndTransfer();
        comm.Close();
        return 1;
    }
    std::string strVersion = comm.FirmwareVersion();
    if (strVersion.empty()) // the factory level's gate reads nothing: read it for the user
        comm.ReadFirmwareVersion(strVersion, std::string(ctx.app.m_variant.strExpectedVersion));
    const std::string strDevice = comm.PortName();
    comm.EndTransfer(); // its answer changes nothing
    comm.Close();

    if (ctx.app.m_strPortDevice.empty())
        std::cout << "Radio found on COM" << ctx.app.m_nComPort << " (" << strDevice << ")\n";
    else
        std::cout << "Radio found on " << strDevice << '\n';
    std::cout << "Firmware version: " << (strVersion.empty() ? "(not readable)" : strVersion)
              << '\n';
    return 0;
}

const CCliCommand kLinkCommands[] = {
    {"probe", "probe", "find the radio and show its port and firmware version",
     "Finds the radio: tries the COM port given by --port (or the one remembered in the\n"
     "settings file) and then COM1 to COM16, or only the device given by --port DEVICE.\n"
     "Then checks the radio's firmware version as every transfer does, ends programming mode\n"
     "and prints the port and the version.\n"
     "\n"
     "COMn is the device named by the key DeviceN in the section [COM PORT] of the settings\n"
     "file, else the n-th serial device present (USB adapters first).\n"
     "\n"
     "Exit status 0 when a radio with a suitable firmware answered, 1 otherwise (the reason\n"
     "is on standard error), 2 for a usage error.\n"
     "\n"
     "Example: wr7310 --port /dev/ttyUSB0 probe\n",
     SetupNone, Probe},
};

} // namespace

std::span<const CCliCommand> LinkCommands() {
    return kLinkCommands;
}
