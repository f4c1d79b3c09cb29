// SPDX-License-Identifier: GPL-3.0-or-later
// What the radio link takes from its owner, the application object of a program or a test: the
// model at the other end of the cable, the port to try first and where the port found is kept,
// a device the user named, the settings file that names the COM ports' devices, the user level
// and the notifier that reports failures. The owner is asked each time, so a notifier or port
// set after the link was made counts.
#pragma once

#include <string>

class INotifier;
struct CVariant;

class ICommOwner {
public:
    virtual ~ICommOwner() = default;
    virtual const CVariant& CommVariant() const = 0;
    // The COM port number tried first; Connect stores the port found (0: none).
    virtual int CommPort() const = 0;
    virtual void SetCommPort(int nPort) = 0;
    // When not empty, the one device tried instead of scanning COM ports.
    virtual const std::string& CommDevice() const = 0;
    // The settings file whose "COM PORT" keys name the devices of COM ports.
    virtual const std::string& CommSettingsFile() const = 0;
    // The factory level skips the firmware version check.
    virtual bool IsFactoryLevel() const = 0;
    virtual INotifier& Notifier() const = 0;
};
