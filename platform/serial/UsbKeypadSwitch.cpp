#include "UsbKeypadSwitch.h"

namespace platform {

namespace {

// Long enough for one byte at the slowest rate, short enough not to hang the kiosk.
constexpr std::uint32_t SendTimeout = 1000;

} // namespace

SerialUsbKeypadSwitch::SerialUsbKeypadSwitch(SerialDriver& driver)
    : m_driver(driver) {}

SerialUsbKeypadSwitch::~SerialUsbKeypadSwitch() {
    for (const auto& [port, handle] : m_open) {
        m_driver.closeHandle(handle);
    }
}

bool SerialUsbKeypadSwitch::Open_Comm(int port, int baud, int dataBits, int, int, int) {
    Close_Comm(port); // a port left open by an earlier call is reopened with the new settings
    const NativeHandle handle = m_driver.createFile(QStringLiteral("COM%1").arg(port));
    if (handle == InvalidHandleValue) {
        return false;
    }
    Dcb dcb;
    if (m_driver.getCommState(handle, dcb)) {
        dcb.BaudRate = static_cast<std::uint32_t>(baud);
        dcb.ByteSize = static_cast<std::uint8_t>(dataBits);
        dcb.Parity = 0;
        dcb.StopBits = 0;
        dcb.Flags = dcb::Binary | dcb::DtrControlEnable | dcb::RtsControlEnable;
        m_driver.setCommState(handle, dcb); // the keypad also listens at its default settings
    }
    std::lock_guard guard(m_lock);
    m_open[port] = handle;
    return true;
}

int SerialUsbKeypadSwitch::send_data_rs(int port, int code) {
    const NativeHandle handle = handleOf(port);
    if (handle == InvalidHandleValue) {
        return 0;
    }
    const std::uint8_t byte = static_cast<std::uint8_t>(code);
    Overlapped overlapped;
    overlapped.event = createEvent(true, false);
    bool sent = m_driver.writeFile(handle, &byte, 1, overlapped) || lastError() == error::IoPending;
    std::uint32_t written = 0;
    sent = sent && m_driver.waitForTransfer(handle, overlapped, SendTimeout) == WaitObject0 &&
           m_driver.getOverlappedResult(handle, overlapped, written) && written == 1;
    m_driver.cancelTransfer(handle, overlapped); // nothing may use `byte` after this call
    closeEvent(overlapped.event);
    return sent ? 1 : 0;
}

int SerialUsbKeypadSwitch::Close_Comm(int port) {
    NativeHandle handle = InvalidHandleValue;
    {
        std::lock_guard guard(m_lock);
        const auto found = m_open.find(port);
        if (found == m_open.end()) {
            return 0;
        }
        handle = found->second;
        m_open.erase(found);
    }
    m_driver.closeHandle(handle);
    return 1;
}

NativeHandle SerialUsbKeypadSwitch::handleOf(int port) {
    std::lock_guard guard(m_lock);
    const auto found = m_open.find(port);
    return found == m_open.end() ? InvalidHandleValue : found->second;
}

UsbKeypadSwitch& systemUsbKeypadSwitch() {
    static SerialUsbKeypadSwitch keypadSwitch(systemSerialDriver());
    return keypadSwitch;
}

} // namespace platform
