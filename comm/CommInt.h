#pragma once

#include "CommObjs.h"
#include "SerialDriver.h"

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
// set times. It never raises and never shows anything: failures go to ReportCommError.

enum TBaudrate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TParity : std::uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum TStopbits : std::uint8_t { sb10, sb15, sb20 };
enum TDatabits : std::uint8_t { da4, da5, da6, da7, da8 };
enum TFlowControl : std::uint8_t { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };

enum TCommOption : std::uint8_t {
    coParityCheck = 0x01,
    coDsrSensitivity = 0x02,
    coIgnoreXOff = 0x04,
    coErrorChar = 0x08,
    coNullStrip = 0x10
};
Q_DECLARE_FLAGS(TCommOptions, TCommOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TCommOptions)

enum TCommEventType : std::uint16_t {
    evBreak = 0x001,
    evCts = 0x002,
    evDsr = 0x004,
    evError = 0x008,
    evRing = 0x010,
    evRlsd = 0x020,
    evRxChar = 0x040,
    evRxFlag = 0x080,
    evTxEmpty = 0x100
};
Q_DECLARE_FLAGS(TCommEventTypes, TCommEventType)
Q_DECLARE_OPERATORS_FOR_FLAGS(TCommEventTypes)

inline constexpr TCommEventTypes AllCommEvents = TCommEventTypes(0x1FF);

class TCustomComm;
class TCommEventThread;

using TCommNotifyEvent = std::function<void(QObject* Sender)>;
using TCommRxCharEvent = std::function<void(QObject* Sender, int Count)>;
using TCommErrorEvent = std::function<void(QObject* Sender, int Errors)>;
using TCommEvent = std::function<void(TCommEventThread* Sender, std::uint32_t Status)>;

// The special characters of the line.
class TCommEventChars {
public:
    explicit TCommEventChars(TCustomComm* Owner);

    char XonChar() const { return FXonChar; }
    char XoffChar() const { return FXoffChar; }
    char ErrorChar() const { return FErrorChar; }
    char EofChar() const { return FEofChar; }
    char EvtChar() const { return FEvtChar; }
    void SetXonChar(char Value) { SetEventChar(1, Value); }
    void SetXoffChar(char Value) { SetEventChar(2, Value); }
    void SetErrorChar(char Value) { SetEventChar(3, Value); }
    void SetEofChar(char Value) { SetEventChar(4, Value); }
    void SetEvtChar(char Value) { SetEventChar(5, Value); }

    // Copies the five characters, without applying them to the port.
    void Assign(const TCommEventChars& Source);

private:
    // Stores character 1 to 5, then applies the settings of the owner's port.
    void SetEventChar(int Index, char Value);

    TCustomComm* FOwner;
    char FXonChar = 17;
    char FXoffChar = 19;
    char FErrorChar = 0;
    char FEofChar = 0;
    char FEvtChar = 0;
};

// The event thread's hand-over of an event to the user-interface thread. The thread waits until
// the event has been served there, as a synchronous hand-over does, but Close can cancel the
// wait: so Close can wait for the thread without a deadlock, even from inside an event handler.
class TCommHandOver {
public:
    // Event thread: asks the receiver to serve the event and waits until it has; false when
    // the hand-over was cancelled.
    bool Deliver(QObject* Receiver);
    // User-interface thread: true when an event waits to be served; then Finish after serving.
    bool Begin();
    void Finish();
    // Ends the current and every later hand-over.
    void Cancel();

private:
    enum class State { Idle, Posted, Serving, Cancelled };
    std::mutex FLock;
    std::condition_variable FChanged;
    State FState = State::Idle;
};

// The thread of an open port: waits for port events and hands each to the user-interface
// thread. Its owner stops it, waits for it and frees it before closing the port, so the thread
// never touches a closed (or reused) handle.
class TCommEventThread {
public:
    // Sets the port's event mask from Events and starts the thread. Receiver lives on the
    // user-interface thread, serves the hand-overs through its DeliverCommSignal() and is told
    // of failing waits through its ReportWaitError(int Code, uint OpenNumber), OpenNumber saying
    // which open of the port the thread watches.
    TCommEventThread(platform::SerialDriver& Driver, platform::NativeHandle Handle,
                     TCommEventTypes Events, QObject* Receiver, std::uint32_t OpenNumber);
    ~TCommEventThread();
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;

    void SetOnSignal(TCommEvent Value) { FOnSignal = std::move(Value); }
    // Ends the pending wait or hand-over and lets the thread end.
    void StopWatching();
    // Waits until the thread has ended.
    void WaitFor();
    // On the user-interface thread: serves the pending hand-over, if any.
    void ServeHandOver();
    // While a hand-over is served: hand these events over again once it is done, without
    // waiting for the device.
    void SignalAgain(std::uint32_t Events) { FEventsAgain = Events; }

    // Pause between retries of a failing event wait (an unplugged device).
    static constexpr std::uint32_t RetryPause = 500;

private:
    void Execute();
    void SignalOwner();
    void PostWaitError(std::uint32_t Code);

    platform::SerialDriver& FDriver;
    const platform::NativeHandle FCommHandle;
    TSimpleEvent FEvent;
    std::uint32_t FEventMask = 0;
    std::uint32_t FEventsAgain = 0; // written while a hand-over is served, read after it
    TCommEvent FOnSignal;
    std::atomic<bool> FTerminated{false};
    std::shared_ptr<TCommHandOver> FHandOver = std::make_shared<TCommHandOver>();
    QObject* const FReceiver;
    const std::uint32_t FOpenNumber;
    std::thread FThread; // last: the thread starts when everything else is ready
};

class TCustomComm : public QObject {
    Q_OBJECT

public:
    // The driver defaults to the system's serial driver.
    explicit TCustomComm(QObject* AOwner = nullptr, platform::SerialDriver* Driver = nullptr);
    ~TCustomComm() override;

    void Open();
    void Close();
    bool Enabled() const { return FHandle != platform::InvalidHandleValue; }
    // Bytes written, or -1 when not done within WriteTimeout.
    int Write(const void* Buf, int Count);
    // Bytes read (0 when none are waiting), or -1 when not done within ReadTimeout.
    int Read(void* Buf, int Count);
    // Bytes in the driver's queues; -1 when closed.
    int InQueCount();
    int OutQueCount();
    void PurgeIn();
    void PurgeOut();
    void SetDTRState(bool State);
    void SetRTSState(bool State);
    // Sets or clears the break condition; then, when open, purges both queues.
    void SetBREAKState(bool State);
    // True: act as if XON was received; false: as if XOFF was received.
    void SetXONState(bool State);

    platform::NativeHandle Handle() const { return FHandle; }
    bool CTS() { return ModemLineState(1); }
    bool DSR() { return ModemLineState(2); }
    bool RING() { return ModemLineState(3); }
    bool RLSD() { return ModemLineState(4); }
    bool CtsHold() { return HoldState(1); }
    bool DsrHold() { return HoldState(2); }
    bool RlsdHold() { return HoldState(3); }
    bool XoffHold() { return HoldState(4); }
    bool XOffSent() { return HoldState(5); }

    // Properties.
    QString DeviceName() const { return FDeviceName; }
    void SetDeviceName(const QString& Value);
    int ReadTimeout() const { return FReadTimeout; }
    void SetReadTimeout(int Value) { FReadTimeout = Value; }
    int WriteTimeout() const { return FWriteTimeout; }
    void SetWriteTimeout(int Value) { FWriteTimeout = Value; }
    int ReadBufSize() const { return FReadBufSize; }
    void SetReadBufSize(int Value);
    int WriteBufSize() const { return FWriteBufSize; }
    void SetWriteBufSize(int Value);
    TCommEventTypes MonitorEvents() const { return FMonitorEvents; }
    void SetMonitorEvents(TCommEventTypes Value);
    TBaudrate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudrate Value);
    TParity Parity() const { return FParity; }
    void SetParity(TParity Value);
    TStopbits Stopbits() const { return FStopbits; }
    void SetStopbits(TStopbits Value);
    TDatabits Databits() const { return FDatabits; }
    void SetDatabits(TDatabits Value);
    TCommEventChars& EventChars() { return *FEventChars; }
    TCommOptions Options() const { return FOptions; }
    void SetOptions(TCommOptions Value);
    TFlowControl FlowControl() const { return FFlowControl; }
    void SetFlowControl(TFlowControl Value);

    // Events; an empty handler is none.
    const TCommNotifyEvent& OnBreak() const { return FOnBreak; }
    void SetOnBreak(TCommNotifyEvent Value) { FOnBreak = std::move(Value); }
    const TCommNotifyEvent& OnCts() const { return FOnCts; }
    void SetOnCts(TCommNotifyEvent Value) { FOnCts = std::move(Value); }
    const TCommNotifyEvent& OnDsr() const { return FOnDsr; }
    void SetOnDsr(TCommNotifyEvent Value) { FOnDsr = std::move(Value); }
    const TCommErrorEvent& OnError() const { return FOnError; }
    void SetOnError(TCommErrorEvent Value) { FOnError = std::move(Value); }
    const TCommNotifyEvent& OnRing() const { return FOnRing; }
    void SetOnRing(TCommNotifyEvent Value) { FOnRing = std::move(Value); }
    const TCommNotifyEvent& OnRlsd() const { return FOnRlsd; }
    void SetOnRlsd(TCommNotifyEvent Value) { FOnRlsd = std::move(Value); }
    const TCommRxCharEvent& OnRxChar() const { return FOnRxChar; }
    void SetOnRxChar(TCommRxCharEvent Value) { FOnRxChar = std::move(Value); }
    const TCommNotifyEvent& OnRxFlag() const { return FOnRxFlag; }
    void SetOnRxFlag(TCommNotifyEvent Value) { FOnRxFlag = std::move(Value); }
    const TCommNotifyEvent& OnTxEmpty() const { return FOnTxEmpty; }
    void SetOnTxEmpty(TCommNotifyEvent Value) { FOnTxEmpty = std::move(Value); }
    // Not one of the port's events: the event waits of the open port began to fail, so the
    // device is gone (unplugged). Raised once, with the error code; the port stays open.
    const TCommErrorEvent& OnDeviceLost() const { return FOnDeviceLost; }
    void SetOnDeviceLost(TCommErrorEvent Value) { FOnDeviceLost = std::move(Value); }

    // Writes the line settings and special characters into the port (nothing while closed).
    void ApplyPortSettings();

    // The event thread's hand-over arrives here, on the user-interface thread.
    Q_INVOKABLE void DeliverCommSignal();
    // The event thread's waits began to fail (the device is gone): reported once a run. A report
    // of an earlier open comes late and is dropped.
    Q_INVOKABLE void ReportWaitError(int Code, uint OpenNumber);

protected:
    virtual void OpenDeviceHandle();
    // Hands a failure to the installed back ends' reporter (by default a debug log).
    void ReportCommError(const QString& Message, int Code);
    void RequireClosed();
    void CloseDeviceHandle();
    void EnterPortLock() { FCriticalSection->Enter(); }
    void LeavePortLock() { FCriticalSection->Leave(); }
    void ApplyTimeouts();
    void ApplyFlowControl();
    void SendEscapeFunction(std::uint32_t Function);
    // Raises the handlers of the events in Status, in their fixed order.
    void DispatchCommEvents(TCommEventThread* Sender, std::uint32_t Status);
    bool ModemLineState(int Index);
    bool HoldState(int Index);

    platform::NativeHandle FHandle = platform::InvalidHandleValue;
    platform::Dcb FDCB;
    QString FDeviceName;
    std::unique_ptr<TSimpleEvent> FEvent;
    std::unique_ptr<TCriticalSection> FCriticalSection;
    int FReadTimeout = 1000;
    int FWriteTimeout = 1000;
    int FReadBufSize = 4096;
    int FWriteBufSize = 2048;
    TCommEventTypes FMonitorEvents = AllCommEvents;
    TBaudrate FBaudRate = br9600;
    TParity FParity = paNone;
    TStopbits FStopbits = sb10;
    TDatabits FDatabits = da8;
    std::unique_ptr<TCommEventThread> FEventThread;
    std::unique_ptr<TCommEventChars> FEventChars;
    TCommOptions FOptions;
    TFlowControl FFlowControl = fcDefault;
    TCommNotifyEvent FOnBreak;
    TCommNotifyEvent FOnCts;
    TCommNotifyEvent FOnDsr;
    TCommErrorEvent FOnError;
    TCommNotifyEvent FOnRing;
    TCommNotifyEvent FOnRlsd;
    TCommRxCharEvent FOnRxChar;
    TCommNotifyEvent FOnRxFlag;
    TCommNotifyEvent FOnTxEmpty;
    TCommErrorEvent FOnDeviceLost;

private:
    void RaiseRxCharAgainForWhatIsLeft(TCommEventThread* Sender, std::uint32_t OpenCount,
                                       std::uint32_t Before);
    // Read and Write: one overlapped transfer bounded by its time-out.
    int Transfer(bool Reading, void* Buf, int Count);

    platform::SerialDriver* FDriver;
    // Counts the opens: a handler that closed and reopened the port is on another port, whose
    // thread is not the one being served (and may even sit at the old one's address).
    std::uint32_t FOpenCount = 0;
};

// The component as placed on a window. Its properties are those of TCustomComm.
class TComm : public TCustomComm {
    Q_OBJECT

public:
    explicit TComm(QObject* AOwner = nullptr, platform::SerialDriver* Driver = nullptr);
};
