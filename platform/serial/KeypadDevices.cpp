#include "KeypadDevices.h"

#include "Backends.h"

namespace platform {

SerialDriver& keypadSerialDriver() {
    return backends().keypadSerialDriver();
}

UsbKeypadSwitch& usbKeypadSwitch() {
    return backends().usbKeypadSwitch();
}

} // namespace platform
