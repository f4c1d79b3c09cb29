// SPDX-License-Identifier: GPL-3.0-or-later
// Reading or writing several radios at once, one cable each: every radio gets its own
// application object, port and transfer, and its transfer runs on its own thread, so the
// time for N radios stays close to the time for one. On a terminal one progress line per
// radio is redrawn in place; at the end one result line per radio is printed.
#pragma once

#include <string>

struct CCliContext;

// Reads every radio of --port into its own radio file: strOut with the port's name added
// before the extension ("radio.wr73" and /dev/ttyUSB0 give "radio-ttyUSB0.wr73"). Before any
// radio is read, the same device named twice, two ports that would share a file and a file
// that cannot be saved are refused. 0 when every radio was read and saved.
int ReadFleet(CCliContext& ctx, const std::string& strOut);
// Writes one radio file to every radio of --port, each checked against its own range (and
// read back with bVerify). 0 when every radio succeeded.
int WriteFleet(CCliContext& ctx, const std::string& strFile, bool bVerify);

// "radio.wr73" for port "/dev/ttyUSB0" gives "radio-ttyUSB0.wr73"; a COM number n gives
// "radio-COMn.wr73". bWholePath, for devices that share a name: the device's whole path,
// "radio-dev_a_radio.wr73".
std::string FleetFileName(const std::string& strOut, const std::string& strPort,
                          bool bWholePath = false);
