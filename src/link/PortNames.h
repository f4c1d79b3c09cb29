// COM port numbers 1..16 are the user's vocabulary. On this system COMn names a device: a
// "COM PORT"/"DeviceN" key of the settings file wins; otherwise the n-th serial device present,
// USB adapters first, so a USB programming cable is found with no configuration at all.
#pragma once

#include <string>
#include <vector>

// The serial devices present, in COM order: USB adapters (ttyUSB*, ttyACM*) by number, then
// the machine's own serial ports that have hardware behind them.
std::vector<std::string> PresentSerialDevices();

// The device of COMn, or empty when there is none.
std::string ComPortDevice(int nPort, const std::string& strIniFile);
