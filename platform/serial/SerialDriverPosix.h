#pragma once

#include "SerialDriver.h"

#include <map>
#include <memory>
#include <mutex>

namespace platform {

// The serial driver over termios. Each open port keeps an input queue of its own, filled from
// the device by the waits and the reads: so a received-data event is raised once per arrival,
// as the Win32 driver does, and not again for bytes nobody has read yet.
//
// What the POSIX backend reports and honours:
// - events: received data (evRxChar) and the event character (evRxFlag); modem-line, break,
//   error and transmit-empty events are not reported (Linux cannot wait for them with a
//   time-out or be woken from the wait);
// - settings: every rate (non-standard ones through termios2), 5 to 8 data bits, one or two stop
//   bits (1.5 with 5 data bits), all five parities, CTS/RTS and XON/XOFF flow control, parity
//   check with the NUL error character, NUL stripping and DSR sensitivity (done here). Other
//   settings (4 data bits, 1.5 stop bits with more than 5 data bits, DSR/DTR flow control, a
//   non-NUL error character, RTS toggling, abort-on-error) are refused with
//   error::InvalidParameter, never changed silently;
// - time-outs: reads return at once with what was received, writes have no time-out of their
//   own (the caller bounds them); other time-outs are refused;
// - the error word is always 0; the only hold state known is XOFF hold (after SETXOFF).
class PosixSerialDriver final : public SerialDriver {
public:
    // devRoot is where device names are looked up (tests point it elsewhere).
    explicit PosixSerialDriver(QString devRoot = QStringLiteral("/dev"));
    ~PosixSerialDriver() override;
    PosixSerialDriver(const PosixSerialDriver&) = delete;
    PosixSerialDriver& operator=(const PosixSerialDriver&) = delete;

    NativeHandle createFile(const QString& name) override;
    FileType fileType(NativeHandle port) override;
    bool closeHandle(NativeHandle port) override;
    bool setupComm(NativeHandle port, std::uint32_t inQueue, std::uint32_t outQueue) override;
    bool setCommTimeouts(NativeHandle port, const CommTimeouts& timeouts) override;
    bool getCommState(NativeHandle port, Dcb& dcb) override;
    bool setCommState(NativeHandle port, const Dcb& dcb) override;
    bool setCommMask(NativeHandle port, std::uint32_t mask) override;
    CommWaitResult waitCommEvent(NativeHandle port, std::uint32_t& events,
                                 NativeHandle wake) override;
    bool readFile(NativeHandle port, void* buffer, std::uint32_t count,
                  Overlapped& overlapped) override;
    bool writeFile(NativeHandle port, const void* buffer, std::uint32_t count,
                   Overlapped& overlapped) override;
    std::uint32_t waitForTransfer(NativeHandle port, Overlapped& overlapped,
                                  std::uint32_t timeout) override;
    bool getOverlappedResult(NativeHandle port, const Overlapped& overlapped,
                             std::uint32_t& transferred) override;
    void cancelTransfer(NativeHandle port, Overlapped& overlapped) override;
    bool clearCommError(NativeHandle port, std::uint32_t& errors, ComStat& status) override;
    bool getCommModemStatus(NativeHandle port, std::uint32_t& status) override;
    bool purgeComm(NativeHandle port, std::uint32_t flags) override;
    bool escapeCommFunction(NativeHandle port, std::uint32_t function) override;

private:
    struct Port;
    std::shared_ptr<Port> find(NativeHandle port);
    // A read or write begins: its overlapped result cleared, its port found (null when unknown).
    std::shared_ptr<Port> startTransfer(NativeHandle handle, Overlapped& overlapped);

    QString m_devRoot;
    std::mutex m_portsLock;
    std::map<int, std::shared_ptr<Port>> m_ports;
};

} // namespace platform
