// SPDX-License-Identifier: GPL-3.0-or-later
// COM port numbers 1..16 are the user's vocabulary. On this system COMn names a device: a
// "COM PORT"/"DeviceN" key of the settings file wins; otherwise the n-th serial device present,
// USB adapters first, so a USB programming cable is found with no configuration at all.
#pragma once

#include <string>
#include <vector>

// The serial devices present, in COM order: USB adapters (ttyUSB* by number, then ttyACM* by
// number), then the machine's own serial ports that have a UART behind them. Only devices
// with a node in strDevDir count. The folders can be moved for tests.
std::vector<std::string> PresentSerialDevices(const std::string& strSysTtyDir = "/sys/class/tty",
                                              const std::string& strDevDir = "/dev");

// The device of COMn, or empty when there is none.
std::string ComPortDevice(int nPort, const std::string& strIniFile);

// What to tell a user who may not open strDevice: the device and the group whose members may
// read and write it, with the command that adds the user to it. Empty when the device does not
// exist.
std::string PortPermissionHint(const std::string& strDevice);

// The other processes that hold strDevice open, as "PID (name)", found through strProcDir
// (processes whose descriptors may not be looked at are left out). Empty when none is seen.
std::vector<std::string> ProcessesHolding(const std::string& strDevice,
                                          const std::string& strProcDir = "/proc");
