#include "CommInt.h"

#include "Backends.h"

#include <QMetaObject>
#include <QPointer>
#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

namespace {

constexpr std::array<std::uint32_t, 15> BaudRates = {110,   300,   600,    1200,   2400,
                                                     4800,  9600,  14400,  19200,  38400,
                                                     56000, 57600, 115200, 128000, 256000};

// Win32 event-mask bit of each TCommEventType, in the order of the enumeration.
constexpr std::array<std::uint32_t, 9> EventMaskBits = {
    platform::commevent::Break,  platform::commevent::Cts,    platform::commevent::Dsr,
    platform::commevent::Err,    platform::commevent::Ring,   platform::commevent::Rlsd,
    platform::commevent::RxChar, platform::commevent::RxFlag, platform::commevent::TxEmpty};

// DCB flag bit of each TCommOption, in the order of the enumeration.
constexpr std::array<std::uint32_t, 5> OptionBits = {
    platform::dcb::ParityCheck, platform::dcb::DsrSensitivity, platform::dcb::TxContinueOnXoff,
    platform::dcb::ErrorCharReplace, platform::dcb::NullStrip};

constexpr std::uint32_t PurgeAll = 0x000F;

std::uint32_t eventMaskOf(TCommEventTypes Events) {
    std::uint32_t mask = 0;
    for (std::size_t index = 0; index < EventMaskBits.size(); ++index) {
        if (Events.testFlag(TCommEventType(1u << index))) {
            mask |= EventMaskBits[index];
        }
    }
    return mask;
}

// Calls a handler through a copy, so a handler that replaces itself stays alive while it runs.
template <typename Handler, typename... Arguments>
void raise(const Handler& handler, Arguments... arguments) {
    if (const Handler call = handler) {
        call(arguments...);
    }
}

} // namespace

// --- TCommEventChars -------------------------------------------------------------------------

TCommEventChars::TCommEventChars(TCustomComm* Owner)
    : FOwner(Owner) {}

void TCommEventChars::Assign(const TCommEventChars& Source) {
    FXonChar = Source.FXonChar;
    FXoffChar = Source.FXoffChar;
    FErrorChar = Source.FErrorChar;
    FEofChar = Source.FEofChar;
    FEvtChar = Source.FEvtChar;
}

void TCommEventChars::SetEventChar(int Index, char Value) {
    char* const characters[] = {&FXonChar, &FXoffChar, &FErrorChar, &FEofChar, &FEvtChar};
    *characters[Index - 1] = Value;
    if (FOwner != nullptr) {
        FOwner->ApplyPortSettings();
    }
}

// --- TCommHandOver ---------------------------------------------------------------------------

bool TCommHandOver::Deliver(QObject* Receiver) {
    {
        std::lock_guard guard(FLock);
        if (FState == State::Cancelled) {
            return false;
        }
        FState = State::Posted;
    }
    // A queued call by name carries no data of ours: the event itself stays behind our lock.
    QMetaObject::invokeMethod(Receiver, "DeliverCommSignal", Qt::QueuedConnection);
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FState == State::Idle || FState == State::Cancelled; });
    return FState == State::Idle;
}

bool TCommHandOver::Begin() {
    std::lock_guard guard(FLock);
    if (FState != State::Posted) {
        return false;
    }
    FState = State::Serving;
    return true;
}

void TCommHandOver::Finish() {
    std::lock_guard guard(FLock);
    if (FState == State::Serving) {
        FState = State::Idle;
        FChanged.notify_all();
    }
}

void TCommHandOver::Cancel() {
    std::lock_guard guard(FLock);
    FState = State::Cancelled;
    FChanged.notify_all();
}

// --- TCommEventThread ------------------------------------------------------------------------

TCommEventThread::TCommEventThread(platform::SerialDriver& Driver, platform::NativeHandle Handle,
                                   TCommEventTypes Events, QObject* Receiver,
                                   std::uint32_t OpenNumber)
    : FDriver(Driver)
    , FCommHandle(Handle)
    , FReceiver(Receiver)
    , FOpenNumber(OpenNumber) {
    if (FEvent.Handle() == platform::InvalidHandleValue) {
        // Every wait would fail at once, no pause would hold and nothing could stop a wait.
        throw std::runtime_error("no event for the comm event thread");
    }
    FDriver.setCommMask(FCommHandle, eventMaskOf(Events));
    FThread = std::thread([this] { Execute(); });
}

TCommEventThread::~TCommEventThread() {
    StopWatching();
    WaitFor();
}

void TCommEventThread::StopWatching() {
    FTerminated = true;
    FHandOver->Cancel();
    FEvent.SetEvent();
}

void TCommEventThread::WaitFor() {
    if (FThread.joinable()) {
        FThread.join();
    }
}

void TCommEventThread::Execute() {
    bool waitsFailing = false; // a run of failed waits is reported once, at its start
    while (!FTerminated) {
        switch (FDriver.waitCommEvent(FCommHandle, FEventMask, FEvent.Handle())) {
        case platform::CommWaitResult::Event:
            waitsFailing = false;
            while (FHandOver->Deliver(FReceiver) && FEventsAgain != 0) {
                FEventMask = std::exchange(FEventsAgain, 0);
            }
            break;
        case platform::CommWaitResult::Woken:
            break; // only StopWatching wakes the wait
        case platform::CommWaitResult::Failed:
            // The device is gone or the wait is refused: retry (it may be plugged back), but
            // never spin; StopWatching ends the pause.
            if (!std::exchange(waitsFailing, true)) {
                PostWaitError(platform::lastError());
            }
            FEvent.WaitFor(RetryPause);
            break;
        }
    }
    FDriver.purgeComm(FCommHandle, PurgeAll);
}

void TCommEventThread::ServeHandOver() {
    // The handler may close the port, which frees this thread object: keep the hand-over.
    const std::shared_ptr<TCommHandOver> handOver = FHandOver;
    if (!handOver->Begin()) {
        return;
    }
    // The event thread waits for Finish whatever the handler does. An exception goes on after
    // it, to the application's error log, and the next key is still handed over.
    const auto finish = qScopeGuard([&handOver] { handOver->Finish(); });
    SignalOwner();
}

void TCommEventThread::SignalOwner() {
    raise(FOnSignal, this, FEventMask);
}

// Not waited for: the retries go on meanwhile, and a receiver freed before the call runs
// drops it.
void TCommEventThread::PostWaitError(std::uint32_t Code) {
    QMetaObject::invokeMethod(FReceiver, "ReportWaitError", Qt::QueuedConnection,
                              Q_ARG(int, static_cast<int>(Code)), Q_ARG(uint, FOpenNumber));
}

// --- TCustomComm -----------------------------------------------------------------------------

TCustomComm::TCustomComm(QObject* AOwner, platform::SerialDriver* Driver)
    : QObject(AOwner)
    , FDeviceName(QStringLiteral("Com2"))
    , FEvent(std::make_unique<TSimpleEvent>())
    , FCriticalSection(std::make_unique<TCriticalSection>())
    , FEventChars(std::make_unique<TCommEventChars>(this))
    , FDriver(Driver != nullptr ? Driver : &platform::systemSerialDriver()) {}

TCustomComm::~TCustomComm() {
    Close();
}

void TCustomComm::ReportCommError(const QString& Message, int Code) {
    platform::backends().reportCommError(DeviceName(), Message, Code);
}

void TCustomComm::RequireClosed() {
    if (Enabled()) {
        ReportCommError(QStringLiteral("Port already assigned (open)"), -1);
    }
}

void TCustomComm::Open() {
    RequireClosed();
    if (Enabled()) {
        return; // the port stays open as it is: no second handle, no second thread
    }
    OpenDeviceHandle();
    if (!Enabled()) {
        return;
    }
    try {
        FEventThread = std::make_unique<TCommEventThread>(*FDriver, FHandle, FMonitorEvents, this,
                                                          FOpenCount + 1);
    } catch (const std::exception&) {
        // Out of threads or descriptors (Win32 reports both as not enough memory): a port
        // without its thread would never raise an event.
        ReportCommError(QStringLiteral("Error creating event thread"),
                        static_cast<int>(platform::error::NotEnoughMemory));
        CloseDeviceHandle();
        return;
    }
    ++FOpenCount;
    FEventThread->SetOnSignal([this](TCommEventThread* Sender, std::uint32_t Status) {
        DispatchCommEvents(Sender, Status);
    });
    ApplyTimeouts();
    ApplyPortSettings();
    if (!FDriver->setupComm(FHandle, static_cast<std::uint32_t>(FReadBufSize),
                            static_cast<std::uint32_t>(FWriteBufSize))) {
        ReportCommError(QStringLiteral("Error initializing Read/Write Buffers"),
                        static_cast<int>(platform::lastError()));
    }
}

void TCustomComm::OpenDeviceHandle() {
    FHandle = FDriver->createFile(FDeviceName);
    if (FHandle == platform::InvalidHandleValue) {
        ReportCommError(QStringLiteral("Error accessing specified device"),
                        static_cast<int>(platform::lastError()));
    }
    if (FDriver->fileType(FHandle) != platform::FileType::Char) {
        CloseDeviceHandle();
        ReportCommError(QStringLiteral("Invalid device handle, access denied"), -1);
    }
}

void TCustomComm::CloseDeviceHandle() {
    if (Enabled()) {
        FDriver->closeHandle(FHandle);
    }
    FHandle = platform::InvalidHandleValue;
}

// The thread is stopped and waited for before the handle closes: it cannot touch the closed
// handle, nor a new port that gets the same handle value.
void TCustomComm::Close() {
    if (!Enabled()) {
        return;
    }
    FEventThread.reset(); // stops the thread, if any, and waits for it
    CloseDeviceHandle();
}

void TCustomComm::DeliverCommSignal() {
    if (FEventThread) {
        FEventThread->ServeHandOver();
    }
}

void TCustomComm::ReportWaitError(int Code, uint OpenNumber) {
    if (!FEventThread || OpenNumber != FOpenCount) {
        return; // that port was closed meanwhile
    }
    ReportCommError(QStringLiteral("Error waiting for comm event"), Code);
    raise(FOnDeviceLost, this, Code);
}

int TCustomComm::Write(const void* Buf, int Count) {
    return Transfer(false, const_cast<void*>(Buf), Count);
}

int TCustomComm::Read(void* Buf, int Count) {
    return Transfer(true, Buf, Count);
}

int TCustomComm::Transfer(bool Reading, void* Buf, int Count) {
    EnterPortLock();
    platform::Overlapped overlapped;
    overlapped.event = FEvent->Handle();
    const auto count = static_cast<std::uint32_t>(std::max(Count, 0));
    const bool started = Reading ? FDriver->readFile(FHandle, Buf, count, overlapped)
                                 : FDriver->writeFile(FHandle, Buf, count, overlapped);
    if (!started && platform::lastError() != platform::error::IoPending) {
        ReportCommError(Reading ? QStringLiteral("Read error") : QStringLiteral("Write error"),
                        static_cast<int>(platform::lastError()));
    }
    const auto timeout = static_cast<std::uint32_t>(Reading ? FReadTimeout : FWriteTimeout);
    int result = -1;
    if (FDriver->waitForTransfer(FHandle, overlapped, timeout) == platform::WaitObject0) {
        std::uint32_t transferred = 0;
        FDriver->getOverlappedResult(FHandle, overlapped, transferred);
        result = static_cast<int>(transferred);
        FEvent->ResetEvent();
    } else {
        // Nothing may use the caller's buffer once we return.
        FDriver->cancelTransfer(FHandle, overlapped);
    }
    LeavePortLock();
    return result;
}

int TCustomComm::InQueCount() {
    std::uint32_t errors = 0;
    platform::ComStat status;
    if (!Enabled() || !FDriver->clearCommError(FHandle, errors, status)) {
        return -1;
    }
    return static_cast<int>(status.InQue);
}

int TCustomComm::OutQueCount() {
    std::uint32_t errors = 0;
    platform::ComStat status;
    if (!Enabled() || !FDriver->clearCommError(FHandle, errors, status)) {
        return -1;
    }
    return static_cast<int>(status.OutQue);
}

void TCustomComm::PurgeIn() {
    if (Enabled()) {
        FDriver->purgeComm(FHandle, platform::purge::RxAbort | platform::purge::RxClear);
    }
}

void TCustomComm::PurgeOut() {
    if (Enabled()) {
        FDriver->purgeComm(FHandle, platform::purge::TxAbort | platform::purge::TxClear);
    }
}

void TCustomComm::SetDTRState(bool State) {
    SendEscapeFunction(State ? platform::escape::SetDtr : platform::escape::ClrDtr);
}

void TCustomComm::SetRTSState(bool State) {
    SendEscapeFunction(State ? platform::escape::SetRts : platform::escape::ClrRts);
}

void TCustomComm::SetBREAKState(bool State) {
    SendEscapeFunction(State ? platform::escape::SetBreak : platform::escape::ClrBreak);
    if (Enabled()) {
        FDriver->purgeComm(FHandle, PurgeAll);
    }
}

void TCustomComm::SetXONState(bool State) {
    SendEscapeFunction(State ? platform::escape::SetXon : platform::escape::SetXoff);
}

void TCustomComm::SendEscapeFunction(std::uint32_t Function) {
    if (!Enabled()) {
        ReportCommError(QStringLiteral("Port not open, unable to complete operation"), -1);
        return;
    }
    if (!FDriver->escapeCommFunction(FHandle, Function)) {
        ReportCommError(QStringLiteral("EscapeCommFunction failure"),
                        static_cast<int>(platform::lastError()));
    }
}

bool TCustomComm::ModemLineState(int Index) {
    constexpr std::array<std::uint32_t, 4> masks = {platform::modem::CtsOn, platform::modem::DsrOn,
                                                    platform::modem::RingOn,
                                                    platform::modem::RlsdOn};
    std::uint32_t status = 0;
    return Enabled() && FDriver->getCommModemStatus(FHandle, status) &&
           (status & masks[std::size_t(Index - 1)]) != 0;
}

bool TCustomComm::HoldState(int Index) {
    std::uint32_t errors = 0;
    platform::ComStat status;
    return Enabled() && FDriver->clearCommError(FHandle, errors, status) &&
           (status.HoldFlags & (1u << (Index - 1))) != 0;
}

void TCustomComm::ApplyTimeouts() {
    platform::CommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 0xFFFFFFFF; // a read returns at once with what was received
    if (!FDriver->setCommTimeouts(FHandle, timeouts)) {
        ReportCommError(QStringLiteral("Error updating CommTimeouts"),
                        static_cast<int>(platform::lastError()));
    }
}

void TCustomComm::ApplyPortSettings() {
    if (!Enabled()) {
        return;
    }
    FDriver->getCommState(FHandle, FDCB);
    FDCB.BaudRate = BaudRates[FBaudRate];
    FDCB.Parity = FParity;
    FDCB.StopBits = FStopbits;
    FDCB.ByteSize = static_cast<std::uint8_t>(4 + FDatabits);
    FDCB.XonChar = FEventChars->XonChar();
    FDCB.XoffChar = FEventChars->XoffChar();
    FDCB.ErrorChar = FEventChars->ErrorChar();
    FDCB.EofChar = FEventChars->EofChar();
    FDCB.EvtChar = FEventChars->EvtChar();
    FDCB.XonLim = static_cast<std::uint16_t>(FReadBufSize / 4);
    FDCB.XoffLim = static_cast<std::uint16_t>(FReadBufSize / 4);
    ApplyFlowControl();
    for (std::size_t index = 0; index < OptionBits.size(); ++index) {
        if (FOptions.testFlag(TCommOption(1u << index))) {
            FDCB.Flags |= OptionBits[index];
        } else {
            FDCB.Flags &= ~OptionBits[index];
        }
    }
    if (!FDriver->setCommState(FHandle, FDCB)) {
        ReportCommError(QStringLiteral("Error updating DataControlBlock"),
                        static_cast<int>(platform::lastError()));
    }
}

// The handshake modes replace the two-bit DTR or RTS control field: OR-ing the handshake value
// into a field that holds "enable" (1) would give 3, which is RTS toggling or no valid DTR mode.
void TCustomComm::ApplyFlowControl() {
    using namespace platform::dcb;
    switch (FFlowControl) {
    case fcNone:
        FDCB.Flags = Binary;
        break;
    case fcCTS:
        FDCB.Flags = (FDCB.Flags & ~RtsControlMask) | OutxCtsFlow | RtsControlHandshake;
        break;
    case fcDTR:
        FDCB.Flags = (FDCB.Flags & ~DtrControlMask) | OutxDsrFlow | DtrControlHandshake;
        break;
    case fcSoftware:
        FDCB.Flags |= OutX | InX;
        break;
    case fcDefault:
        break;
    }
}

void TCustomComm::DispatchCommEvents(TCommEventThread* Sender, std::uint32_t Status) {
    std::uint32_t errors = 0;
    platform::ComStat status;
    // A closed port (a late hand-over) or a failed status call leaves nothing to dispatch with.
    if (!FDriver->clearCommError(FHandle, errors, status)) {
        return;
    }
    using namespace platform::commevent;
    // A handler may close the window that owns this component, and so free it.
    const QPointer<TCustomComm> alive(this);
    const std::uint32_t openCount = FOpenCount;
    const std::pair<std::uint32_t, std::function<void()>> handlers[] = {
        {Break,
         [this] {
             raise(FOnBreak, this);
         }},
        {Cts,
         [this] {
             raise(FOnCts, this);
         }},
        {Dsr,
         [this] {
             raise(FOnDsr, this);
         }},
        {Err,
         [this, errors] {
             raise(FOnError, this, static_cast<int>(errors));
         }},
        {Ring,
         [this] {
             raise(FOnRing, this);
         }},
        {Rlsd,
         [this] {
             raise(FOnRlsd, this);
         }},
        {RxChar,
         [this, &alive, Sender, openCount, count = status.InQue] {
             if (count > 0) {
                 raise(FOnRxChar, this, static_cast<int>(count));
                 if (!alive.isNull()) {
                     RaiseRxCharAgainForWhatIsLeft(Sender, openCount, count);
                 }
             }
         }},
        {RxFlag,
         [this] {
             raise(FOnRxFlag, this);
         }},
        {TxEmpty, [this] {
             raise(FOnTxEmpty, this);
         }}};
    for (const auto& [bit, dispatch] : handlers) {
        if (alive.isNull()) {
            return;
        }
        if ((Status & bit) != 0) {
            dispatch();
        }
    }
}

// The keypad forms read one byte an event. Bytes that arrived together would then wait for the
// next key press: while the handler takes bytes and leaves some, the event comes again. A handler
// that takes none is not called again for the same bytes, so nothing spins. Only the thread
// whose hand-over is being served (Sender, of the same open) is asked: it waits for the handler.
void TCustomComm::RaiseRxCharAgainForWhatIsLeft(TCommEventThread* Sender, std::uint32_t OpenCount,
                                                std::uint32_t Before) {
    std::uint32_t errors = 0;
    platform::ComStat status;
    const bool sameOpen = Sender != nullptr && FEventThread && OpenCount == FOpenCount;
    if (sameOpen && FDriver->clearCommError(FHandle, errors, status) && status.InQue > 0 &&
        status.InQue < Before) {
        FEventThread->SignalAgain(platform::commevent::RxChar);
    }
}

void TCustomComm::SetDeviceName(const QString& Value) {
    if (Value != FDeviceName) {
        RequireClosed();
        FDeviceName = Value;
    }
}

void TCustomComm::SetReadBufSize(int Value) {
    if (Value != FReadBufSize) {
        RequireClosed();
        FReadBufSize = Value;
    }
}

void TCustomComm::SetWriteBufSize(int Value) {
    if (Value != FWriteBufSize) {
        RequireClosed();
        FWriteBufSize = Value;
    }
}

void TCustomComm::SetMonitorEvents(TCommEventTypes Value) {
    if (Value != FMonitorEvents) {
        RequireClosed();
        FMonitorEvents = Value;
    }
}

void TCustomComm::SetBaudRate(TBaudrate Value) {
    if (Value != FBaudRate) {
        FBaudRate = Value;
        ApplyPortSettings();
    }
}

void TCustomComm::SetParity(TParity Value) {
    if (Value != FParity) {
        FParity = Value;
        ApplyPortSettings();
    }
}

void TCustomComm::SetStopbits(TStopbits Value) {
    if (Value != FStopbits) {
        FStopbits = Value;
        ApplyPortSettings();
    }
}

void TCustomComm::SetDatabits(TDatabits Value) {
    if (Value != FDatabits) {
        FDatabits = Value;
        ApplyPortSettings();
    }
}

void TCustomComm::SetOptions(TCommOptions Value) {
    if (Value != FOptions) {
        FOptions = Value;
        ApplyPortSettings();
    }
}

void TCustomComm::SetFlowControl(TFlowControl Value) {
    if (Value != FFlowControl) {
        FFlowControl = Value;
        ApplyPortSettings();
    }
}

TComm::TComm(QObject* AOwner, platform::SerialDriver* Driver)
    : TCustomComm(AOwner, Driver) {}
