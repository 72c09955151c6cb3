#pragma once

#include "SerialDriver.h"
#include "UsbKeypadSwitch.h"

// The serial driver and the USB keypad switch the keypad windows use: the system's, unless others
// were installed (the demo's folder of device links, tests). Used on the user-interface thread.
namespace platform {

SerialDriver& keypadSerialDriver();
// Installs a driver and returns the one it replaces (null for the system's); null restores it.
SerialDriver* setKeypadSerialDriver(SerialDriver* driver);

UsbKeypadSwitch& usbKeypadSwitch();
// Installs a switch and returns the one it replaces (null for the system's); null restores it.
UsbKeypadSwitch* setUsbKeypadSwitch(UsbKeypadSwitch* keypadSwitch);

} // namespace platform
