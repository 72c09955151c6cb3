#include "KeypadDevices.h"

#include <utility>

namespace platform {

namespace {

SerialDriver* installedDriver = nullptr;
UsbKeypadSwitch* installedSwitch = nullptr;

} // namespace

SerialDriver& keypadSerialDriver() {
    return installedDriver != nullptr ? *installedDriver : systemSerialDriver();
}

SerialDriver* setKeypadSerialDriver(SerialDriver* driver) {
    return std::exchange(installedDriver, driver);
}

UsbKeypadSwitch& usbKeypadSwitch() {
    return installedSwitch != nullptr ? *installedSwitch : systemUsbKeypadSwitch();
}

UsbKeypadSwitch* setUsbKeypadSwitch(UsbKeypadSwitch* keypadSwitch) {
    return std::exchange(installedSwitch, keypadSwitch);
}

} // namespace platform
