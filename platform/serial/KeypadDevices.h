#pragma once

#include "SerialDriver.h"
#include "UsbKeypadSwitch.h"

// The serial driver and the USB keypad switch the keypad windows use: those of the installed back
// ends (the system's, the demo's folder of device links, tests' fakes). Used on the
// user-interface thread.
namespace platform {

SerialDriver& keypadSerialDriver();
UsbKeypadSwitch& usbKeypadSwitch();

} // namespace platform
