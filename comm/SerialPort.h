#pragma once

#include "SerialDriver.h"
#include "SyncObjects.h"

#include <QFlags>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The serial port component: opens a serial device, sets its line, watches its events with a
// thread of its own and raises them on the user-interface thread, and reads and writes within
// set times. It never raises and never shows anything: failures go to reportError.

class SerialPort;
class SerialEventThread;

using SerialNotifyHandler = std::function<void(QObject* sender)>;
using SerialBytesHandler = std::function<void(QObject* sender, int count)>;
using SerialErrorHandler = std::function<void(QObject* sender, int errors)>;
using SerialThreadHandler = std::function<void(SerialEventThread* sender, std::uint32_t status)>;

// The special characters of the line.
class SerialSpecialChars {
public:
    explicit SerialSpecialChars(SerialPort* owner);

    char xonChar() const { return m_xonChar; }
    char xoffChar() const { return m_xoffChar; }
    char errorChar() const { return m_errorChar; }
    char eofChar() const { return m_eofChar; }
    char evtChar() const { return m_evtChar; }
    void setXonChar(char value) { setEventChar(1, value); }
    void setXoffChar(char value) { setEventChar(2, value); }
    void setErrorChar(char value) { setEventChar(3, value); }
    void setEofChar(char value) { setEventChar(4, value); }
    void setEvtChar(char value) { setEventChar(5, value); }

    // Copies the five characters, without applying them to the port.
    void assign(const SerialSpecialChars& source);

private:
    // Stores character 1 to 5, then applies the settings of the owner's port.
    void setEventChar(int index, char value);

    SerialPort* m_owner;
    char m_xonChar = 17;
    char m_xoffChar = 19;
    char m_errorChar = 0;
    char m_eofChar = 0;
    char m_evtChar = 0;
};

// The event thread's hand-over of an event to the user-interface thread. The thread waits until
// the event has been served there, as a synchronous hand-over does, but Close can cancel the
// wait: so Close can wait for the thread without a deadlock, even from inside an event handler.
class EventHandOver {
public:
    // Event thread: asks the receiver to serve the event and waits until it has; false when
    // the hand-over was cancelled.
    bool deliver(QObject* receiver);
    // User-interface thread: true when an event waits to be served; then Finish after serving.
    bool beginServing();
    void finishServing();
    // Ends the current and every later hand-over.
    void cancel();

private:
    enum class Stage { Idle, Posted, Serving, Cancelled };
    std::mutex m_lock;
    std::condition_variable m_changed;
    Stage m_state = Stage::Idle;
};

// The thread of an open port: waits for port events and hands each to the user-interface
// thread. Its owner stops it, waits for it and frees it before closing the port, so the thread
// never touches a closed (or reused) handle.
class SerialEventThread {
public:
    // Sets the port's event mask (the driver's bits) and starts the thread. Receiver lives on the
    // user-interface thread, serves the hand-overs through its deliverEvent() and is told
    // of failing waits through its reportWaitError(int code, uint openNumber), openNumber saying
    // which open of the port the thread watches.
    SerialEventThread(platform::SerialDriver& driver, platform::NativeHandle handle,
                      std::uint32_t eventMask, QObject* receiver, std::uint32_t openNumber);
    ~SerialEventThread();
    SerialEventThread(const SerialEventThread&) = delete;
    SerialEventThread& operator=(const SerialEventThread&) = delete;

    void setOnSignal(SerialThreadHandler value) { m_onSignal = std::move(value); }
    // Ends the pending wait or hand-over and lets the thread end.
    void stopWatching();
    // Waits until the thread has ended.
    void waitFor();
    // On the user-interface thread: serves the pending hand-over, if any.
    void serveHandOver();
    // While a hand-over is served: hand these events over again once it is done, without
    // waiting for the device.
    void signalAgain(std::uint32_t events) { m_eventsAgain = events; }

    // Pause between retries of a failing event wait (an unplugged device).
    static constexpr std::uint32_t retryPause = 500;

private:
    void run();
    void signalOwner();
    void postWaitError(std::uint32_t code);

    platform::SerialDriver& m_driver;
    const platform::NativeHandle m_portHandle;
    ManualResetEvent m_event;
    std::uint32_t m_eventMask = 0;
    std::uint32_t m_eventsAgain = 0; // written while a hand-over is served, read after it
    SerialThreadHandler m_onSignal;
    std::atomic<bool> m_terminated{false};
    std::shared_ptr<EventHandOver> m_handOver = std::make_shared<EventHandOver>();
    QObject* const m_receiver;
    const std::uint32_t m_openNumber;
    std::thread m_thread; // last: the thread starts when everything else is ready
};

class SerialPort : public QObject {
    Q_OBJECT

public:
    enum class BaudRate : std::uint8_t {
        Baud110,
        Baud300,
        Baud600,
        Baud1200,
        Baud2400,
        Baud4800,
        Baud9600,
        Baud14400,
        Baud19200,
        Baud38400,
        Baud56000,
        Baud57600,
        Baud115200,
        Baud128000,
        Baud256000
    };
    enum class Parity : std::uint8_t { None, Odd, Even, Mark, Space };
    enum class StopBits : std::uint8_t { One, OneAndHalf, Two };
    enum class DataBits : std::uint8_t { Four, Five, Six, Seven, Eight };
    enum class FlowControl : std::uint8_t { None, Cts, Dtr, Software, Default };
    enum class Option : std::uint8_t {
        ParityCheck = 0x01,
        DsrSensitivity = 0x02,
        IgnoreXOff = 0x04,
        ErrorChar = 0x08,
        NullStrip = 0x10
    };
    Q_DECLARE_FLAGS(Options, Option)
    enum class Event : std::uint16_t {
        Break = 0x001,
        Cts = 0x002,
        Dsr = 0x004,
        Error = 0x008,
        Ring = 0x010,
        Rlsd = 0x020,
        RxChar = 0x040,
        RxFlag = 0x080,
        TxEmpty = 0x100
    };
    Q_DECLARE_FLAGS(Events, Event)
    static constexpr Events allEvents = Events::fromInt(0x1FF);

    // The driver defaults to the system's serial driver.
    explicit SerialPort(QObject* parent = nullptr, platform::SerialDriver* driver = nullptr);
    ~SerialPort() override;

    void open();
    void close();
    bool isOpen() const { return m_handle != platform::InvalidHandleValue; }
    // Bytes written, or -1 when not done within writeTimeout.
    int write(const void* buffer, int count);
    // Bytes read (0 when none are waiting), or -1 when not done within readTimeout.
    int read(void* buffer, int count);
    // Bytes in the driver's queues; -1 when closed.
    int bytesWaiting();
    int bytesToWrite();
    void purgeInput();
    void purgeOutput();
    void setDtr(bool state);
    void setRts(bool state);
    // Sets or clears the break condition; then, when open, purges both queues.
    void setBreak(bool state);
    // True: act as if XON was received; false: as if XOFF was received.
    void setXon(bool state);

    platform::NativeHandle handle() const { return m_handle; }
    bool cts() { return modemLineState(1); }
    bool dsr() { return modemLineState(2); }
    bool ring() { return modemLineState(3); }
    bool rlsd() { return modemLineState(4); }
    bool ctsHold() { return holdState(1); }
    bool dsrHold() { return holdState(2); }
    bool rlsdHold() { return holdState(3); }
    bool xoffHold() { return holdState(4); }
    bool xoffSent() { return holdState(5); }

    // Properties.
    QString deviceName() const { return m_deviceName; }
    void setDeviceName(const QString& value);
    int readTimeout() const { return m_readTimeout; }
    void setReadTimeout(int value) { m_readTimeout = value; }
    int writeTimeout() const { return m_writeTimeout; }
    void setWriteTimeout(int value) { m_writeTimeout = value; }
    int readBufferSize() const { return m_readBufferSize; }
    void setReadBufferSize(int value);
    int writeBufferSize() const { return m_writeBufferSize; }
    void setWriteBufferSize(int value);
    Events monitorEvents() const { return m_monitorEvents; }
    void setMonitorEvents(Events value);
    BaudRate baudRate() const { return m_baudRate; }
    void setBaudRate(BaudRate value);
    Parity parity() const { return m_parity; }
    void setParity(Parity value);
    StopBits stopBits() const { return m_stopBits; }
    void setStopBits(StopBits value);
    DataBits dataBits() const { return m_dataBits; }
    void setDataBits(DataBits value);
    SerialSpecialChars& specialChars() { return *m_specialChars; }
    Options options() const { return m_options; }
    void setOptions(Options value);
    FlowControl flowControl() const { return m_flowControl; }
    void setFlowControl(FlowControl value);

    // Events; an empty handler is none.
    const SerialNotifyHandler& onBreak() const { return m_onBreak; }
    void setOnBreak(SerialNotifyHandler value) { m_onBreak = std::move(value); }
    const SerialNotifyHandler& onCts() const { return m_onCts; }
    void setOnCts(SerialNotifyHandler value) { m_onCts = std::move(value); }
    const SerialNotifyHandler& onDsr() const { return m_onDsr; }
    void setOnDsr(SerialNotifyHandler value) { m_onDsr = std::move(value); }
    const SerialErrorHandler& onError() const { return m_onError; }
    void setOnError(SerialErrorHandler value) { m_onError = std::move(value); }
    const SerialNotifyHandler& onRing() const { return m_onRing; }
    void setOnRing(SerialNotifyHandler value) { m_onRing = std::move(value); }
    const SerialNotifyHandler& onRlsd() const { return m_onRlsd; }
    void setOnRlsd(SerialNotifyHandler value) { m_onRlsd = std::move(value); }
    const SerialBytesHandler& onBytesReceived() const { return m_onBytesReceived; }
    void setOnBytesReceived(SerialBytesHandler value) { m_onBytesReceived = std::move(value); }
    const SerialNotifyHandler& onRxFlag() const { return m_onRxFlag; }
    void setOnRxFlag(SerialNotifyHandler value) { m_onRxFlag = std::move(value); }
    const SerialNotifyHandler& onTxEmpty() const { return m_onTxEmpty; }
    void setOnTxEmpty(SerialNotifyHandler value) { m_onTxEmpty = std::move(value); }
    // Not one of the port's events: the event waits of the open port began to fail, so the
    // device is gone (unplugged). Raised once, with the error code; the port stays open.
    const SerialErrorHandler& onDeviceLost() const { return m_onDeviceLost; }
    void setOnDeviceLost(SerialErrorHandler value) { m_onDeviceLost = std::move(value); }

    // Writes the line settings and special characters into the port (nothing while closed).
    void applyPortSettings();

    // The event thread's hand-over arrives here, on the user-interface thread.
    Q_INVOKABLE void deliverEvent();
    // The event thread's waits began to fail (the device is gone): reported once a run. A report
    // of an earlier open comes late and is dropped.
    Q_INVOKABLE void reportWaitError(int code, uint openNumber);

protected:
    virtual void openDeviceHandle();
    // Hands a failure to the installed back ends' reporter (by default a debug log).
    void reportError(const QString& message, int code);
    void requireClosed();
    void closeDeviceHandle();
    void applyTimeouts();
    void applyFlowControl();
    void sendEscapeFunction(std::uint32_t function);
    // Raises the handlers of the events in eventBits, in their fixed order.
    void dispatchEvents(SerialEventThread* sender, std::uint32_t eventBits);
    bool modemLineState(int index);
    bool holdState(int index);

    platform::NativeHandle m_handle = platform::InvalidHandleValue;
    platform::Dcb m_dcb;
    QString m_deviceName;
    std::unique_ptr<ManualResetEvent> m_event;
    std::recursive_mutex m_portLock;
    int m_readTimeout = 1000;
    int m_writeTimeout = 1000;
    int m_readBufferSize = 4096;
    int m_writeBufferSize = 2048;
    Events m_monitorEvents = allEvents;
    BaudRate m_baudRate = BaudRate::Baud9600;
    Parity m_parity = Parity::None;
    StopBits m_stopBits = StopBits::One;
    DataBits m_dataBits = DataBits::Eight;
    std::unique_ptr<SerialEventThread> m_eventThread;
    std::unique_ptr<SerialSpecialChars> m_specialChars;
    Options m_options;
    FlowControl m_flowControl = FlowControl::Default;
    SerialNotifyHandler m_onBreak;
    SerialNotifyHandler m_onCts;
    SerialNotifyHandler m_onDsr;
    SerialErrorHandler m_onError;
    SerialNotifyHandler m_onRing;
    SerialNotifyHandler m_onRlsd;
    SerialBytesHandler m_onBytesReceived;
    SerialNotifyHandler m_onRxFlag;
    SerialNotifyHandler m_onTxEmpty;
    SerialErrorHandler m_onDeviceLost;

private:
    void raiseBytesReceivedAgainForWhatIsLeft(SerialEventThread* sender, std::uint32_t openCount,
                                              std::uint32_t before);
    // Read and Write: one overlapped transfer bounded by its time-out.
    int transfer(bool reading, void* buffer, int count);

    platform::SerialDriver* m_driver;
    // Counts the opens: a handler that closed and reopened the port is on another port, whose
    // thread is not the one being served (and may even sit at the old one's address).
    std::uint32_t m_openCount = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SerialPort::Options)
Q_DECLARE_OPERATORS_FOR_FLAGS(SerialPort::Events)
