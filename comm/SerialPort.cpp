#include "SerialPort.h"

#include "Backends.h"

#include <QMetaObject>
#include <QPointer>
#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

namespace {

constexpr std::array<std::uint32_t, 15> baudRates = {110,   300,   600,    1200,   2400,
                                                     4800,  9600,  14400,  19200,  38400,
                                                     56000, 57600, 115200, 128000, 256000};

// Win32 event-mask bit of each SerialPort::Event, in the order of the enumeration.
constexpr std::array<std::uint32_t, 9> eventMaskBits = {
    platform::commevent::Break,  platform::commevent::Cts,    platform::commevent::Dsr,
    platform::commevent::Err,    platform::commevent::Ring,   platform::commevent::Rlsd,
    platform::commevent::RxChar, platform::commevent::RxFlag, platform::commevent::TxEmpty};

// DCB flag bit of each SerialPort::Option, in the order of the enumeration.
constexpr std::array<std::uint32_t, 5> optionBits = {
    platform::dcb::ParityCheck, platform::dcb::DsrSensitivity, platform::dcb::TxContinueOnXoff,
    platform::dcb::ErrorCharReplace, platform::dcb::NullStrip};

constexpr std::uint32_t purgeAll = 0x000F;

std::uint32_t eventMaskOf(SerialPort::Events events) {
    std::uint32_t mask = 0;
    for (std::size_t index = 0; index < eventMaskBits.size(); ++index) {
        if (events.testFlag(SerialPort::Event(1u << index))) {
            mask |= eventMaskBits[index];
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

// --- SerialSpecialChars -------------------------------------------------------------------------

SerialSpecialChars::SerialSpecialChars(SerialPort* owner)
    : m_owner(owner) {}

void SerialSpecialChars::assign(const SerialSpecialChars& source) {
    m_xonChar = source.m_xonChar;
    m_xoffChar = source.m_xoffChar;
    m_errorChar = source.m_errorChar;
    m_eofChar = source.m_eofChar;
    m_evtChar = source.m_evtChar;
}

void SerialSpecialChars::setEventChar(int index, char value) {
    char* const characters[] = {&m_xonChar, &m_xoffChar, &m_errorChar, &m_eofChar, &m_evtChar};
    *characters[index - 1] = value;
    if (m_owner != nullptr) {
        m_owner->applyPortSettings();
    }
}

// --- EventHandOver ---------------------------------------------------------------------------

bool EventHandOver::deliver(QObject* receiver) {
    {
        std::lock_guard guard(m_lock);
        if (m_state == Stage::Cancelled) {
            return false;
        }
        m_state = Stage::Posted;
    }
    // A queued call by name carries no data of ours: the event itself stays behind our lock.
    QMetaObject::invokeMethod(receiver, "deliverEvent", Qt::QueuedConnection);
    std::unique_lock lock(m_lock);
    m_changed.wait(lock, [this] { return m_state == Stage::Idle || m_state == Stage::Cancelled; });
    return m_state == Stage::Idle;
}

bool EventHandOver::beginServing() {
    std::lock_guard guard(m_lock);
    if (m_state != Stage::Posted) {
        return false;
    }
    m_state = Stage::Serving;
    return true;
}

void EventHandOver::finishServing() {
    std::lock_guard guard(m_lock);
    if (m_state == Stage::Serving) {
        m_state = Stage::Idle;
        m_changed.notify_all();
    }
}

void EventHandOver::cancel() {
    std::lock_guard guard(m_lock);
    m_state = Stage::Cancelled;
    m_changed.notify_all();
}

// --- SerialEventThread ------------------------------------------------------------------------

SerialEventThread::SerialEventThread(platform::SerialDriver& driver, platform::NativeHandle handle,
                                     std::uint32_t eventMask, QObject* receiver,
                                     std::uint32_t openNumber)
    : m_driver(driver)
    , m_portHandle(handle)
    , m_receiver(receiver)
    , m_openNumber(openNumber) {
    if (m_event.handle() == platform::InvalidHandleValue) {
        // Every wait would fail at once, no pause would hold and nothing could stop a wait.
        throw std::runtime_error("no event for the serial event thread");
    }
    m_driver.setCommMask(m_portHandle, eventMask);
    m_thread = std::thread([this] { run(); });
}

SerialEventThread::~SerialEventThread() {
    stopWatching();
    waitFor();
}

void SerialEventThread::stopWatching() {
    m_terminated = true;
    m_handOver->cancel();
    m_event.set();
}

void SerialEventThread::waitFor() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void SerialEventThread::run() {
    bool waitsFailing = false; // a run of failed waits is reported once, at its start
    while (!m_terminated) {
        switch (m_driver.waitCommEvent(m_portHandle, m_eventMask, m_event.handle())) {
        case platform::CommWaitResult::Event:
            waitsFailing = false;
            while (m_handOver->deliver(m_receiver) && m_eventsAgain != 0) {
                m_eventMask = std::exchange(m_eventsAgain, 0);
            }
            break;
        case platform::CommWaitResult::Woken:
            break; // only stopWatching wakes the wait
        case platform::CommWaitResult::Failed:
            // The device is gone or the wait is refused: retry (it may be plugged back), but
            // never spin; stopWatching ends the pause.
            if (!std::exchange(waitsFailing, true)) {
                postWaitError(platform::lastError());
            }
            m_event.waitFor(retryPause);
            break;
        }
    }
    m_driver.purgeComm(m_portHandle, purgeAll);
}

void SerialEventThread::serveHandOver() {
    // The handler may close the port, which frees this thread object: keep the hand-over.
    const std::shared_ptr<EventHandOver> handOver = m_handOver;
    if (!handOver->beginServing()) {
        return;
    }
    // The event thread waits for Finish whatever the handler does. An exception goes on after
    // it, to the application's error log, and the next key is still handed over.
    const auto finish = qScopeGuard([&handOver] { handOver->finishServing(); });
    signalOwner();
}

void SerialEventThread::signalOwner() {
    raise(m_onSignal, this, m_eventMask);
}

// Not waited for: the retries go on meanwhile, and a receiver freed before the call runs
// drops it.
void SerialEventThread::postWaitError(std::uint32_t code) {
    QMetaObject::invokeMethod(m_receiver, "reportWaitError", Qt::QueuedConnection,
                              Q_ARG(int, static_cast<int>(code)), Q_ARG(uint, m_openNumber));
}

// --- SerialPort -----------------------------------------------------------------------------

SerialPort::SerialPort(QObject* parent, platform::SerialDriver* driver)
    : QObject(parent)
    , m_deviceName(QStringLiteral("Com2"))
    , m_event(std::make_unique<ManualResetEvent>())
    , m_specialChars(std::make_unique<SerialSpecialChars>(this))
    , m_driver(driver != nullptr ? driver : &platform::systemSerialDriver()) {}

SerialPort::~SerialPort() {
    close();
}

void SerialPort::reportError(const QString& message, int code) {
    platform::backends().reportCommError(deviceName(), message, code);
}

void SerialPort::requireClosed() {
    if (isOpen()) {
        reportError(QStringLiteral("Port already assigned (open)"), -1);
    }
}

void SerialPort::open() {
    requireClosed();
    if (isOpen()) {
        return; // the port stays open as it is: no second handle, no second thread
    }
    openDeviceHandle();
    if (!isOpen()) {
        return;
    }
    try {
        m_eventThread = std::make_unique<SerialEventThread>(
            *m_driver, m_handle, eventMaskOf(m_monitorEvents), this, m_openCount + 1);
    } catch (const std::exception&) {
        // Out of threads or descriptors (Win32 reports both as not enough memory): a port
        // without its thread would never raise an event.
        reportError(QStringLiteral("Error creating event thread"),
                    static_cast<int>(platform::error::NotEnoughMemory));
        closeDeviceHandle();
        return;
    }
    ++m_openCount;
    m_eventThread->setOnSignal([this](SerialEventThread* sender, std::uint32_t status) {
        dispatchEvents(sender, status);
    });
    applyTimeouts();
    applyPortSettings();
    if (!m_driver->setupComm(m_handle, static_cast<std::uint32_t>(m_readBufferSize),
                             static_cast<std::uint32_t>(m_writeBufferSize))) {
        reportError(QStringLiteral("Error initializing Read/Write Buffers"),
                    static_cast<int>(platform::lastError()));
    }
}

void SerialPort::openDeviceHandle() {
    m_handle = m_driver->createFile(m_deviceName);
    if (m_handle == platform::InvalidHandleValue) {
        reportError(QStringLiteral("Error accessing specified device"),
                    static_cast<int>(platform::lastError()));
    }
    if (m_driver->fileType(m_handle) != platform::FileType::Char) {
        closeDeviceHandle();
        reportError(QStringLiteral("Invalid device handle, access denied"), -1);
    }
}

void SerialPort::closeDeviceHandle() {
    if (isOpen()) {
        m_driver->closeHandle(m_handle);
    }
    m_handle = platform::InvalidHandleValue;
}

// The thread is stopped and waited for before the handle closes: it cannot touch the closed
// handle, nor a new port that gets the same handle value.
void SerialPort::close() {
    if (!isOpen()) {
        return;
    }
    m_eventThread.reset(); // stops the thread, if any, and waits for it
    closeDeviceHandle();
}

void SerialPort::deliverEvent() {
    if (m_eventThread) {
        m_eventThread->serveHandOver();
    }
}

void SerialPort::reportWaitError(int code, uint openNumber) {
    if (!m_eventThread || openNumber != m_openCount) {
        return; // that port was closed meanwhile
    }
    reportError(QStringLiteral("Error waiting for comm event"), code);
    raise(m_onDeviceLost, this, code);
}

int SerialPort::write(const void* buffer, int count) {
    return transfer(false, const_cast<void*>(buffer), count);
}

int SerialPort::read(void* buffer, int count) {
    return transfer(true, buffer, count);
}

int SerialPort::transfer(bool reading, void* buffer, int count) {
    std::lock_guard guard(m_portLock);
    platform::Overlapped overlapped;
    overlapped.event = m_event->handle();
    const auto bytes = static_cast<std::uint32_t>(std::max(count, 0));
    const bool started = reading ? m_driver->readFile(m_handle, buffer, bytes, overlapped)
                                 : m_driver->writeFile(m_handle, buffer, bytes, overlapped);
    if (!started && platform::lastError() != platform::error::IoPending) {
        reportError(reading ? QStringLiteral("Read error") : QStringLiteral("Write error"),
                    static_cast<int>(platform::lastError()));
    }
    const auto timeout = static_cast<std::uint32_t>(reading ? m_readTimeout : m_writeTimeout);
    int result = -1;
    if (m_driver->waitForTransfer(m_handle, overlapped, timeout) == platform::WaitObject0) {
        std::uint32_t transferred = 0;
        m_driver->getOverlappedResult(m_handle, overlapped, transferred);
        result = static_cast<int>(transferred);
        m_event->reset();
    } else {
        // Nothing may use the caller's buffer once we return.
        m_driver->cancelTransfer(m_handle, overlapped);
    }
    return result;
}

int SerialPort::bytesWaiting() {
    std::uint32_t errors = 0;
    platform::ComStat status;
    if (!isOpen() || !m_driver->clearCommError(m_handle, errors, status)) {
        return -1;
    }
    return static_cast<int>(status.InQue);
}

int SerialPort::bytesToWrite() {
    std::uint32_t errors = 0;
    platform::ComStat status;
    if (!isOpen() || !m_driver->clearCommError(m_handle, errors, status)) {
        return -1;
    }
    return static_cast<int>(status.OutQue);
}

void SerialPort::purgeInput() {
    if (isOpen()) {
        m_driver->purgeComm(m_handle, platform::purge::RxAbort | platform::purge::RxClear);
    }
}

void SerialPort::purgeOutput() {
    if (isOpen()) {
        m_driver->purgeComm(m_handle, platform::purge::TxAbort | platform::purge::TxClear);
    }
}

void SerialPort::setDtr(bool state) {
    sendEscapeFunction(state ? platform::escape::SetDtr : platform::escape::ClrDtr);
}

void SerialPort::setRts(bool state) {
    sendEscapeFunction(state ? platform::escape::SetRts : platform::escape::ClrRts);
}

void SerialPort::setBreak(bool state) {
    sendEscapeFunction(state ? platform::escape::SetBreak : platform::escape::ClrBreak);
    if (isOpen()) {
        m_driver->purgeComm(m_handle, purgeAll);
    }
}

void SerialPort::setXon(bool state) {
    sendEscapeFunction(state ? platform::escape::SetXon : platform::escape::SetXoff);
}

void SerialPort::sendEscapeFunction(std::uint32_t function) {
    if (!isOpen()) {
        reportError(QStringLiteral("Port not open, unable to complete operation"), -1);
        return;
    }
    if (!m_driver->escapeCommFunction(m_handle, function)) {
        reportError(QStringLiteral("EscapeCommFunction failure"),
                    static_cast<int>(platform::lastError()));
    }
}

bool SerialPort::modemLineState(int index) {
    constexpr std::array<std::uint32_t, 4> masks = {platform::modem::CtsOn, platform::modem::DsrOn,
                                                    platform::modem::RingOn,
                                                    platform::modem::RlsdOn};
    std::uint32_t status = 0;
    return isOpen() && m_driver->getCommModemStatus(m_handle, status) &&
           (status & masks[std::size_t(index - 1)]) != 0;
}

bool SerialPort::holdState(int index) {
    std::uint32_t errors = 0;
    platform::ComStat status;
    return isOpen() && m_driver->clearCommError(m_handle, errors, status) &&
           (status.HoldFlags & (1u << (index - 1))) != 0;
}

void SerialPort::applyTimeouts() {
    platform::CommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 0xFFFFFFFF; // a read returns at once with what was received
    if (!m_driver->setCommTimeouts(m_handle, timeouts)) {
        reportError(QStringLiteral("Error updating CommTimeouts"),
                    static_cast<int>(platform::lastError()));
    }
}

void SerialPort::applyPortSettings() {
    if (!isOpen()) {
        return;
    }
    m_driver->getCommState(m_handle, m_dcb);
    m_dcb.BaudRate = baudRates[static_cast<std::size_t>(m_baudRate)];
    m_dcb.Parity = static_cast<std::uint8_t>(m_parity);
    m_dcb.StopBits = static_cast<std::uint8_t>(m_stopBits);
    m_dcb.ByteSize = static_cast<std::uint8_t>(4 + static_cast<int>(m_dataBits));
    m_dcb.XonChar = m_specialChars->xonChar();
    m_dcb.XoffChar = m_specialChars->xoffChar();
    m_dcb.ErrorChar = m_specialChars->errorChar();
    m_dcb.EofChar = m_specialChars->eofChar();
    m_dcb.EvtChar = m_specialChars->evtChar();
    m_dcb.XonLim = static_cast<std::uint16_t>(m_readBufferSize / 4);
    m_dcb.XoffLim = static_cast<std::uint16_t>(m_readBufferSize / 4);
    applyFlowControl();
    for (std::size_t index = 0; index < optionBits.size(); ++index) {
        if (m_options.testFlag(SerialPort::Option(1u << index))) {
            m_dcb.Flags |= optionBits[index];
        } else {
            m_dcb.Flags &= ~optionBits[index];
        }
    }
    if (!m_driver->setCommState(m_handle, m_dcb)) {
        reportError(QStringLiteral("Error updating DataControlBlock"),
                    static_cast<int>(platform::lastError()));
    }
}

// The handshake modes replace the two-bit DTR or RTS control field: OR-ing the handshake value
// into a field that holds "enable" (1) would give 3, which is RTS toggling or no valid DTR mode.
void SerialPort::applyFlowControl() {
    using namespace platform::dcb;
    switch (m_flowControl) {
    case SerialPort::FlowControl::None:
        m_dcb.Flags = Binary;
        break;
    case SerialPort::FlowControl::Cts:
        m_dcb.Flags = (m_dcb.Flags & ~RtsControlMask) | OutxCtsFlow | RtsControlHandshake;
        break;
    case SerialPort::FlowControl::Dtr:
        m_dcb.Flags = (m_dcb.Flags & ~DtrControlMask) | OutxDsrFlow | DtrControlHandshake;
        break;
    case SerialPort::FlowControl::Software:
        m_dcb.Flags |= OutX | InX;
        break;
    case SerialPort::FlowControl::Default:
        break;
    }
}

void SerialPort::dispatchEvents(SerialEventThread* sender, std::uint32_t eventBits) {
    std::uint32_t errors = 0;
    platform::ComStat comStat;
    // A closed port (a late hand-over) or a failed status call leaves nothing to dispatch with.
    if (!m_driver->clearCommError(m_handle, errors, comStat)) {
        return;
    }
    using namespace platform::commevent;
    // A handler may close the window that owns this component, and so free it.
    const QPointer<SerialPort> alive(this);
    const std::uint32_t openCount = m_openCount;
    const std::pair<std::uint32_t, std::function<void()>> handlers[] = {
        {Break,
         [this] {
             raise(m_onBreak, this);
         }},
        {Cts,
         [this] {
             raise(m_onCts, this);
         }},
        {Dsr,
         [this] {
             raise(m_onDsr, this);
         }},
        {Err,
         [this, errors] {
             raise(m_onError, this, static_cast<int>(errors));
         }},
        {Ring,
         [this] {
             raise(m_onRing, this);
         }},
        {Rlsd,
         [this] {
             raise(m_onRlsd, this);
         }},
        {RxChar,
         [this, &alive, sender, openCount, count = comStat.InQue] {
             if (count > 0) {
                 raise(m_onBytesReceived, this, static_cast<int>(count));
                 if (!alive.isNull()) {
                     raiseBytesReceivedAgainForWhatIsLeft(sender, openCount, count);
                 }
             }
         }},
        {RxFlag,
         [this] {
             raise(m_onRxFlag, this);
         }},
        {TxEmpty, [this] {
             raise(m_onTxEmpty, this);
         }}};
    for (const auto& [bit, dispatch] : handlers) {
        if (alive.isNull()) {
            return;
        }
        if ((eventBits & bit) != 0) {
            dispatch();
        }
    }
}

// The keypad forms read one byte an event. Bytes that arrived together would then wait for the
// next key press: while the handler takes bytes and leaves some, the event comes again. A handler
// that takes none is not called again for the same bytes, so nothing spins. Only the thread
// whose hand-over is being served (sender, of the same open) is asked: it waits for the handler.
void SerialPort::raiseBytesReceivedAgainForWhatIsLeft(SerialEventThread* sender,
                                                      std::uint32_t openCount,
                                                      std::uint32_t before) {
    std::uint32_t errors = 0;
    platform::ComStat status;
    const bool sameOpen = sender != nullptr && m_eventThread && openCount == m_openCount;
    if (sameOpen && m_driver->clearCommError(m_handle, errors, status) && status.InQue > 0 &&
        status.InQue < before) {
        m_eventThread->signalAgain(platform::commevent::RxChar);
    }
}

void SerialPort::setDeviceName(const QString& value) {
    if (value != m_deviceName) {
        requireClosed();
        m_deviceName = value;
    }
}

void SerialPort::setReadBufferSize(int value) {
    if (value != m_readBufferSize) {
        requireClosed();
        m_readBufferSize = value;
    }
}

void SerialPort::setWriteBufferSize(int value) {
    if (value != m_writeBufferSize) {
        requireClosed();
        m_writeBufferSize = value;
    }
}

void SerialPort::setMonitorEvents(SerialPort::Events value) {
    if (value != m_monitorEvents) {
        requireClosed();
        m_monitorEvents = value;
    }
}

void SerialPort::setBaudRate(SerialPort::BaudRate value) {
    if (value != m_baudRate) {
        m_baudRate = value;
        applyPortSettings();
    }
}

void SerialPort::setParity(SerialPort::Parity value) {
    if (value != m_parity) {
        m_parity = value;
        applyPortSettings();
    }
}

void SerialPort::setStopBits(SerialPort::StopBits value) {
    if (value != m_stopBits) {
        m_stopBits = value;
        applyPortSettings();
    }
}

void SerialPort::setDataBits(SerialPort::DataBits value) {
    if (value != m_dataBits) {
        m_dataBits = value;
        applyPortSettings();
    }
}

void SerialPort::setOptions(SerialPort::Options value) {
    if (value != m_options) {
        m_options = value;
        applyPortSettings();
    }
}

void SerialPort::setFlowControl(SerialPort::FlowControl value) {
    if (value != m_flowControl) {
        m_flowControl = value;
        applyPortSettings();
    }
}
