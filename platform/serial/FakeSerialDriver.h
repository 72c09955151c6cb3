#pragma once

#include "SerialDriver.h"

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace platform {

// A serial driver for tests: named devices whose settings, modem lines, hold states, errors and
// failures the test sets, whose received bytes and events the test raises, and which records
// what the caller wrote, purged and signalled. It counts every call made on a handle that was
// already closed (handles are never reused here), so a thread that outlives its port shows.
class FakeSerialDriver final : public SerialDriver {
public:
    enum class Call {
        CreateFile,
        SetupComm,
        SetCommTimeouts,
        GetCommState,
        SetCommState,
        ReadFile,
        WriteFile,
        ClearCommError,
        GetCommModemStatus,
        EscapeCommFunction,
    };

    struct Device {
        FileType type = FileType::Char;
        Dcb dcb;
        CommTimeouts timeouts;
        std::uint32_t inQueueSize = 0;
        std::uint32_t outQueueSize = 0;
        std::uint32_t eventMask = 0;
        std::uint32_t modemStatus = 0;
        std::uint32_t holdFlags = 0;
        std::uint32_t errors = 0; // the error word, cleared by clearCommError
        std::uint32_t outQue = 0;
        std::string input;  // received, not read yet
        std::string output; // everything written
        std::vector<std::uint32_t> escapes;
        std::vector<std::uint32_t> purges;
        std::map<Call, std::uint32_t> failures; // calls that fail, with their error code
        bool writesStall = false;               // writes stay pending until cancelled
        int stalledWrites = 0;
        int cancelledTransfers = 0;
        int opens = 0;
        int failedWaits = 0;

        // Kept by the driver.
        bool unplugged = false;
        std::uint32_t pendingEvents = 0;
        NativeHandle openHandle = InvalidHandleValue;
        NativeHandle signal = InvalidHandleValue;
    };

    FakeSerialDriver();
    ~FakeSerialDriver() override;
    FakeSerialDriver(const FakeSerialDriver&) = delete;
    FakeSerialDriver& operator=(const FakeSerialDriver&) = delete;

    // Set a device up before its port is opened; while it is open use the calls below.
    Device& addDevice(const QString& name);
    Device& device(const QString& name);

    // The device receives bytes (evRxChar), raises events, or is pulled out.
    void receive(const QString& name, const std::string& bytes);
    void raiseEvents(const QString& name, std::uint32_t events);
    void unplug(const QString& name);
    void plugBack(const QString& name);
    int failedWaits(const QString& name);
    int stalledWrites(const QString& name);

    int callsOnClosedHandles() const;
    int openHandles() const;

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
    // The open device of a handle, under m_lock; null (last error set) otherwise.
    Device* lookup(NativeHandle port);
    Device* lookup(NativeHandle port, Call call);
    void raiseLocked(Device& device, std::uint32_t events);

    mutable std::mutex m_lock;
    std::map<QString, Device> m_devices;
    std::map<NativeHandle, QString> m_open;
    std::set<NativeHandle> m_closed;
    NativeHandle m_nextHandle = 100;
    int m_callsOnClosedHandles = 0;
};

} // namespace platform
