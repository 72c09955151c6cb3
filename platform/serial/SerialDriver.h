#pragma once

#include "WaitableEvent.h"

#include <QString>

#include <cstdint>

// The serial driver interface: the Win32 communications calls the serial component relies on,
// with their values (device control block, event mask, purge flags, escape functions, error
// codes). A failing call returns false (or InvalidHandleValue) and leaves the Win32 error code
// in platform::lastError().
namespace platform {

// The device control block, with the fields of the Win32 DCB the component reads and writes.
struct Dcb {
    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0; // the packed bit fields below
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0; // 0 one, 1 one and a half, 2 two
    char XonChar = 17;
    char XoffChar = 19;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;

    bool operator==(const Dcb&) const = default;
};

namespace dcb {
inline constexpr std::uint32_t Binary = 0x0001;
inline constexpr std::uint32_t ParityCheck = 0x0002;
inline constexpr std::uint32_t OutxCtsFlow = 0x0004;
inline constexpr std::uint32_t OutxDsrFlow = 0x0008;
inline constexpr std::uint32_t DtrControlMask = 0x0030;
inline constexpr std::uint32_t DtrControlEnable = 0x0010;
inline constexpr std::uint32_t DtrControlHandshake = 0x0020;
inline constexpr std::uint32_t DsrSensitivity = 0x0040;
inline constexpr std::uint32_t TxContinueOnXoff = 0x0080;
inline constexpr std::uint32_t OutX = 0x0100;
inline constexpr std::uint32_t InX = 0x0200;
inline constexpr std::uint32_t ErrorCharReplace = 0x0400;
inline constexpr std::uint32_t NullStrip = 0x0800;
inline constexpr std::uint32_t RtsControlMask = 0x3000;
inline constexpr std::uint32_t RtsControlEnable = 0x1000;
inline constexpr std::uint32_t RtsControlHandshake = 0x2000;
inline constexpr std::uint32_t RtsControlToggle = 0x3000;
inline constexpr std::uint32_t AbortOnError = 0x4000;
} // namespace dcb

struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// What the error-clearing status call reports besides the error word.
struct ComStat {
    std::uint32_t HoldFlags =
        0; // bit 0 CTS hold, 1 DSR hold, 2 RLSD hold, 3 XOFF hold, 4 XOFF sent
    std::uint32_t InQue = 0;
    std::uint32_t OutQue = 0;
};

namespace commevent {
inline constexpr std::uint32_t RxChar = 0x0001;
inline constexpr std::uint32_t RxFlag = 0x0002;
inline constexpr std::uint32_t TxEmpty = 0x0004;
inline constexpr std::uint32_t Cts = 0x0008;
inline constexpr std::uint32_t Dsr = 0x0010;
inline constexpr std::uint32_t Rlsd = 0x0020;
inline constexpr std::uint32_t Break = 0x0040;
inline constexpr std::uint32_t Err = 0x0080;
inline constexpr std::uint32_t Ring = 0x0100;
} // namespace commevent

namespace purge {
inline constexpr std::uint32_t TxAbort = 0x0001;
inline constexpr std::uint32_t RxAbort = 0x0002;
inline constexpr std::uint32_t TxClear = 0x0004;
inline constexpr std::uint32_t RxClear = 0x0008;
} // namespace purge

namespace escape {
inline constexpr std::uint32_t SetXoff = 1;
inline constexpr std::uint32_t SetXon = 2;
inline constexpr std::uint32_t SetRts = 3;
inline constexpr std::uint32_t ClrRts = 4;
inline constexpr std::uint32_t SetDtr = 5;
inline constexpr std::uint32_t ClrDtr = 6;
inline constexpr std::uint32_t SetBreak = 8;
inline constexpr std::uint32_t ClrBreak = 9;
} // namespace escape

namespace modem {
inline constexpr std::uint32_t CtsOn = 0x10;
inline constexpr std::uint32_t DsrOn = 0x20;
inline constexpr std::uint32_t RingOn = 0x40;
inline constexpr std::uint32_t RlsdOn = 0x80;
} // namespace modem

enum class FileType { Unknown, Disk, Char, Pipe };

// How a wait for a port event ended.
enum class CommWaitResult {
    Event,  // an event of the mask occurred; the events are filled in
    Woken,  // the wake-up event was signalled
    Failed, // the wait failed (the device is gone, the handle is bad); see lastError()
};

// An overlapped transfer. The caller gives the buffer and the completion event, which the
// driver resets when the transfer starts and signals when it completes (also when it completes
// at once). The buffer must stay valid until the transfer completed or was cancelled.
struct Overlapped {
    NativeHandle event = InvalidHandleValue;
    // Filled by the driver.
    std::uint32_t transferred = 0;
    std::uint32_t error = error::Success;
    // The part of a write still pending in the driver.
    const std::uint8_t* pendingData = nullptr;
    std::uint32_t pendingCount = 0;
};

class SerialDriver {
public:
    virtual ~SerialDriver() = default;

    // Opens the named device (through the device-name map) for exclusive reading and writing.
    virtual NativeHandle createFile(const QString& name) = 0;
    virtual FileType fileType(NativeHandle port) = 0;
    virtual bool closeHandle(NativeHandle port) = 0;

    virtual bool setupComm(NativeHandle port, std::uint32_t inQueue, std::uint32_t outQueue) = 0;
    virtual bool setCommTimeouts(NativeHandle port, const CommTimeouts& timeouts) = 0;
    virtual bool getCommState(NativeHandle port, Dcb& dcb) = 0;
    virtual bool setCommState(NativeHandle port, const Dcb& dcb) = 0;
    virtual bool setCommMask(NativeHandle port, std::uint32_t mask) = 0;

    // Waits without limit for an event of the port's mask, or until `wake` is signalled (the
    // wake-up event is left signalled).
    virtual CommWaitResult waitCommEvent(NativeHandle port, std::uint32_t& events,
                                         NativeHandle wake) = 0;

    // Start an overlapped transfer: true when it completed at once; false with
    // error::IoPending when it is pending, or with the error of a failed start.
    virtual bool readFile(NativeHandle port, void* buffer, std::uint32_t count,
                          Overlapped& overlapped) = 0;
    virtual bool writeFile(NativeHandle port, const void* buffer, std::uint32_t count,
                           Overlapped& overlapped) = 0;
    // Waits at most `timeout` ms for the transfer to complete: WaitObject0 when its event is
    // signalled, else WaitTimeout (or WaitFailed).
    virtual std::uint32_t waitForTransfer(NativeHandle port, Overlapped& overlapped,
                                          std::uint32_t timeout) = 0;
    // The result of a completed transfer: false when it ended with an error.
    virtual bool getOverlappedResult(NativeHandle port, const Overlapped& overlapped,
                                     std::uint32_t& transferred) = 0;
    // Cancels a transfer that is still pending; afterwards the driver no longer uses its buffer.
    virtual void cancelTransfer(NativeHandle port, Overlapped& overlapped) = 0;

    virtual bool clearCommError(NativeHandle port, std::uint32_t& errors, ComStat& status) = 0;
    virtual bool getCommModemStatus(NativeHandle port, std::uint32_t& status) = 0;
    virtual bool purgeComm(NativeHandle port, std::uint32_t flags) = 0;
    virtual bool escapeCommFunction(NativeHandle port, std::uint32_t function) = 0;
};

// The driver of the real serial devices of this machine.
SerialDriver& systemSerialDriver();

} // namespace platform
