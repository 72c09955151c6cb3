#pragma once

#include "SerialDriver.h"

#include <map>
#include <mutex>

namespace platform {

// Stands in for serial.dll, the library that switches the USB keypad model on (code 15) and
// off (code 14): it opens port n (the device COMn of the device-name map), writes one code
// byte, and closes it.
class UsbKeypadSwitch {
public:
    virtual ~UsbKeypadSwitch() = default;
    // True when the port opened. The three last arguments are unused (always 0).
    virtual bool Open_Comm(int port, int baud, int dataBits, int, int, int) = 0;
    // Writes the one byte `code`; 1 when it was written, 0 otherwise.
    virtual int send_data_rs(int port, int code) = 0;
    // Closes the port; 1 when it was open, 0 otherwise.
    virtual int Close_Comm(int port) = 0;
};

// The switch over a serial driver.
class SerialUsbKeypadSwitch final : public UsbKeypadSwitch {
public:
    explicit SerialUsbKeypadSwitch(SerialDriver& driver);
    ~SerialUsbKeypadSwitch() override;
    SerialUsbKeypadSwitch(const SerialUsbKeypadSwitch&) = delete;
    SerialUsbKeypadSwitch& operator=(const SerialUsbKeypadSwitch&) = delete;

    bool Open_Comm(int port, int baud, int dataBits, int, int, int) override;
    int send_data_rs(int port, int code) override;
    int Close_Comm(int port) override;

private:
    NativeHandle handleOf(int port);

    SerialDriver& m_driver;
    std::mutex m_lock;
    std::map<int, NativeHandle> m_open;
};

// The switch of this machine, over the system serial driver.
UsbKeypadSwitch& systemUsbKeypadSwitch();

} // namespace platform
