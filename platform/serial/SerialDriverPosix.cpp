#include "SerialDriverPosix.h"

#include "BaudRate.h"
#include "DeviceNames.h"
#include "TermiosMapping.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr std::uint32_t DefaultInputQueue = 4096;

bool fail(std::uint32_t code) {
    setLastError(code);
    return false;
}

bool failFromErrno() {
    return fail(win32ErrorFromErrno(errno));
}

void signalDescriptor(int fd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(fd, &one, sizeof one);
}

void drainDescriptor(int fd) {
    std::uint64_t value = 0;
    [[maybe_unused]] const auto taken = ::read(fd, &value, sizeof value);
}

// A Win32 port does no line processing: no echo, no canonical lines, no output mapping, and a
// freshly opened one has no software flow control (XON and XOFF are data).
// VMIN 1 with O_NONBLOCK makes an empty read fail with EAGAIN, so a read of 0 bytes means the
// device hung up.
void makeRaw(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return;
    }
    settings.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | IGNPAR | PARMRK | ISTRIP | INLCR | IGNCR |
                                  ICRNL | IXON | IXOFF | IXANY | IMAXBEL);
    settings.c_oflag &= ~tcflag_t(OPOST);
    settings.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &settings);
}

// The settings of a terminal as a DCB, as a Win32 driver reports them after opening.
Dcb dcbFromTerminal(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return Dcb();
    }
    Dcb dcb = termios_mapping::dcbFromTermios(settings);
    dcb.BaudRate = linux_tty::baudRate(fd);
    return dcb;
}

// DTR and RTS as the control fields ask; a line without modem lines (a pseudo-terminal) has
// nothing to set.
void applyControlLines(int fd, const Dcb& dcb) {
    const auto setLine = [fd](int line, bool raised) {
        ::ioctl(fd, raised ? TIOCMBIS : TIOCMBIC, &line);
    };
    setLine(TIOCM_DTR, (dcb.Flags & dcb::DtrControlMask) == dcb::DtrControlEnable);
    if ((dcb.Flags & dcb::RtsControlMask) != dcb::RtsControlHandshake) {
        setLine(TIOCM_RTS, (dcb.Flags & dcb::RtsControlMask) == dcb::RtsControlEnable);
    }
}

int remainingMilliseconds(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Writes what the device takes now; false (error recorded) when the write failed.
bool progressWrite(int fd, Overlapped& overlapped) {
    while (overlapped.pendingCount > 0) {
        const ssize_t written = ::write(fd, overlapped.pendingData, overlapped.pendingCount);
        if (written > 0) {
            overlapped.pendingData += written;
            overlapped.pendingCount -= static_cast<std::uint32_t>(written);
            overlapped.transferred += static_cast<std::uint32_t>(written);
        } else if (written < 0 && errno == EAGAIN) {
            return true;
        } else if (written < 0 && errno != EINTR) {
            overlapped.error = win32ErrorFromErrno(errno);
            return false;
        }
    }
    return true;
}

void finishTransfer(Overlapped& overlapped) {
    overlapped.pendingData = nullptr;
    overlapped.pendingCount = 0;
    setEvent(overlapped.event);
}

} // namespace

struct PosixSerialDriver::Port {
    explicit Port(int descriptor)
        : fd(descriptor)
        , wakeWaiter(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~Port() {
        ::close(wakeWaiter);
        ::close(fd);
    }
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    const int fd;
    // Signalled by a reader that took events from the device or made room in a full queue.
    const int wakeWaiter;

    std::mutex lock; // guards everything below
    std::vector<std::uint8_t> input;
    std::uint32_t inputCapacity = DefaultInputQueue;
    std::uint32_t eventMask = 0;
    std::uint32_t pendingEvents = 0;
    std::uint32_t failure = error::Success; // set once the device is gone
    bool outputStopped = false;
    Dcb dcb;

    bool inputFull() const { return input.size() >= inputCapacity; }

    // Moves what the device has received into the input queue, as far as there is room.
    // False when the device is gone.
    bool pull() {
        std::uint8_t chunk[512];
        while (!inputFull()) {
            const std::size_t room =
                std::min<std::size_t>(sizeof chunk, inputCapacity - input.size());
            const ssize_t got = ::read(fd, chunk, room);
            if (got > 0) {
                accept(chunk, static_cast<std::size_t>(got));
            } else if (got < 0 && errno == EAGAIN) {
                return true;
            } else if (got == 0 || errno != EINTR) {
                failure = got == 0 ? error::DeviceNotConnected : win32ErrorFromErrno(errno);
                return false;
            }
        }
        return true;
    }

    void accept(const std::uint8_t* bytes, std::size_t count) {
        if ((dcb.Flags & dcb::DsrSensitivity) != 0 && dsrKnownLow()) {
            return;
        }
        const bool stripNull = (dcb.Flags & dcb::NullStrip) != 0;
        for (std::size_t index = 0; index < count; ++index) {
            const std::uint8_t byte = bytes[index];
            if (stripNull && byte == 0) {
                continue;
            }
            input.push_back(byte);
            pendingEvents |= commevent::RxChar;
            if (byte == static_cast<std::uint8_t>(dcb.EvtChar)) {
                pendingEvents |= commevent::RxFlag;
            }
        }
    }

    // A line without modem lines (a pseudo-terminal) counts as DSR high.
    bool dsrKnownLow() const {
        int lines = 0;
        return ::ioctl(fd, TIOCMGET, &lines) == 0 && (lines & TIOCM_DSR) == 0;
    }

    std::uint32_t takeEvents() {
        const std::uint32_t events = pendingEvents & eventMask;
        pendingEvents = 0;
        return events;
    }
};

PosixSerialDriver::PosixSerialDriver(QString devRoot)
    : m_devRoot(std::move(devRoot)) {}

PosixSerialDriver::~PosixSerialDriver() = default;

std::shared_ptr<PosixSerialDriver::Port> PosixSerialDriver::startTransfer(NativeHandle handle,
                                                                          Overlapped& overlapped) {
    resetEvent(overlapped.event);
    overlapped.transferred = 0;
    overlapped.error = error::Success;
    return find(handle);
}

std::shared_ptr<PosixSerialDriver::Port> PosixSerialDriver::find(NativeHandle port) {
    std::lock_guard guard(m_portsLock);
    const auto found = port <= NativeHandle(INT_MAX) ? m_ports.find(int(port)) : m_ports.end();
    if (found == m_ports.end()) {
        setLastError(error::InvalidHandle);
        return nullptr;
    }
    return found->second;
}

NativeHandle PosixSerialDriver::createFile(const QString& name) {
    const QByteArray path = resolveDeviceName(name, m_devRoot).toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failFromErrno();
        return InvalidHandleValue;
    }
    // Not shared: a second open of the same device is refused, as a busy COM port is.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        fail(error::AccessDenied);
        return InvalidHandleValue;
    }
    auto port = std::make_shared<Port>(fd);
    if (::isatty(fd) != 0) {
        makeRaw(fd);
        port->dcb = dcbFromTerminal(fd);
    }
    std::lock_guard guard(m_portsLock);
    m_ports[fd] = std::move(port);
    return NativeHandle(fd);
}

FileType PosixSerialDriver::fileType(NativeHandle handle) {
    const auto port = find(handle);
    struct stat status {};
    if (!port || ::fstat(port->fd, &status) != 0) {
        return FileType::Unknown;
    }
    if (S_ISCHR(status.st_mode)) {
        return FileType::Char;
    }
    if (S_ISREG(status.st_mode)) {
        return FileType::Disk;
    }
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)) {
        return FileType::Pipe;
    }
    return FileType::Unknown;
}

bool PosixSerialDriver::closeHandle(NativeHandle handle) {
    std::shared_ptr<Port> port = find(handle);
    if (!port) {
        return false;
    }
    std::lock_guard guard(m_portsLock);
    m_ports.erase(port->fd);
    return true; // the descriptor closes with the last reference
}

bool PosixSerialDriver::setupComm(NativeHandle handle, std::uint32_t inQueue, std::uint32_t) {
    const auto port = find(handle);
    if (!port) {
        return false;
    }
    std::lock_guard guard(port->lock);
    port->inputCapacity = inQueue > 0 ? inQueue : DefaultInputQueue;
    signalDescriptor(port->wakeWaiter); // the waiter may have room again
    return true;
}

bool PosixSerialDriver::setCommTimeouts(NativeHandle handle, const CommTimeouts& timeouts) {
    const auto port = find(handle);
    if (!port) {
        return false;
    }
    const bool readsReturnAtOnce = timeouts.ReadIntervalTimeout == 0xFFFFFFFF &&
                                   timeouts.ReadTotalTimeoutMultiplier == 0 &&
                                   timeouts.ReadTotalTimeoutConstant == 0;
    const bool writesUnbounded =
        timeouts.WriteTotalTimeoutMultiplier == 0 && timeouts.WriteTotalTimeoutConstant == 0;
    return (readsReturnAtOnce && writesUnbounded) || fail(error::InvalidParameter);
}

bool PosixSerialDriver::getCommState(NativeHandle handle, Dcb& dcb) {
    const auto port = find(handle);
    if (!port) {
        return false;
    }
    if (::isatty(port->fd) == 0) {
        return failFromErrno();
    }
    std::lock_guard guard(port->lock);
    dcb = port->dcb;
    return true;
}

bool PosixSerialDriver::setCommState(NativeHandle handle, const Dcb& dcb) {
    const auto port = find(handle);
    if (!port) {
        return false;
    }
    if (!termios_mapping::honourable(dcb)) {
        return fail(error::InvalidParameter);
    }
    termios previous{};
    if (::tcgetattr(port->fd, &previous) != 0) {
        return failFromErrno();
    }
    termios wanted = previous;
    termios_mapping::applyToTermios(dcb, wanted);
    // Standard rates as termios constants (which every tool reads back), others through termios2.
    const speed_t standard = termios_mapping::standardSpeed(dcb.BaudRate);
    if (standard != B0) {
        ::cfsetispeed(&wanted, standard);
        ::cfsetospeed(&wanted, standard);
    }
    termios applied{};
    if (::tcsetattr(port->fd, TCSANOW, &wanted) != 0 ||
        (standard == B0 && !linux_tty::setBaudRate(port->fd, dcb.BaudRate))) {
        const std::uint32_t code = win32ErrorFromErrno(errno);
        ::tcsetattr(port->fd, TCSANOW, &previous);
        return fail(code);
    }
    // A driver may drop what its hardware cannot do; refuse rather than run on other settings.
    if (::tcgetattr(port->fd, &applied) != 0 ||
        (applied.c_cflag & termios_mapping::LineFormatBits) !=
            (wanted.c_cflag & termios_mapping::LineFormatBits) ||
        !termios_mapping::rateTaken(dcb.BaudRate, linux_tty::baudRate(port->fd))) {
        ::tcsetattr(port->fd, TCSANOW, &previous);
        return fail(error::InvalidParameter);
    }
    applyControlLines(port->fd, dcb);
    std::lock_guard guard(port->lock);
    port->dcb = dcb;
    port->dcb.BaudRate = linux_tty::baudRate(port->fd);
    return true;
}

bool PosixSerialDriver::setCommMask(NativeHandle handle, std::uint32_t mask) {
    const auto port = find(handle);
    if (!port) {
        return false;
    }
    std::lock_guard guard(port->lock);
    port->eventMask = mask;
    port->pendingEvents = 0;
    return true;
}

CommWaitResult PosixSerialDriver::waitCommEvent(NativeHandle handle, std::uint32_t& events,
                                                NativeHandle wake) {
    const auto port = find(handle);
    const int wakeFd = eventDescriptor(wake);
    if (!port || wakeFd < 0) {
        setLastError(error::InvalidHandle);
        return CommWaitResult::Failed;
    }
    for (;;) {
        bool wantInput = true;
        {
            std::lock_guard guard(port->lock);
            if (const std::uint32_t ready = port->takeEvents(); ready != 0) {
                events = ready;
                return CommWaitResult::Event;
            }
            wantInput = !port->inputFull();
        }
        pollfd fds[] = {{wakeFd, POLLIN, 0},
                        {port->wakeWaiter, POLLIN, 0},
                        {port->fd, short(wantInput ? POLLIN : 0), 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            failFromErrno();
            return CommWaitResult::Failed;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            return CommWaitResult::Woken;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            drainDescriptor(port->wakeWaiter);
        }
        if ((fds[2].revents & POLLIN) != 0) {
            std::lock_guard guard(port->lock);
            if (!port->pull()) {
                setLastError(port->failure);
                return CommWaitResult::Failed;
            }
        } else if ((fds[2].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            setLastError((fds[2].revents & POLLNVAL) != 0 ? error::InvalidHandle
                                                          : error::DeviceNotConnected);
            return CommWaitResult::Failed;
        }
    }
}

bool PosixSerialDriver::readFile(NativeHandle handle, void* buffer, std::uint32_t count,
                                 Overlapped& overlapped) {
    const auto port = startTransfer(handle, overlapped);
    if (!port) {
        return false;
    }
    std::lock_guard guard(port->lock);
    const bool wasFull = port->inputFull();
    const bool alive = port->pull();
    const std::size_t taken = std::min<std::size_t>(count, port->input.size());
    if (taken == 0 && !alive) {
        return fail(port->failure);
    }
    if (taken > 0) {
        std::memcpy(buffer, port->input.data(), taken);
    }
    port->input.erase(port->input.begin(), port->input.begin() + std::ptrdiff_t(taken));
    // Events this read took from the device, or room made in a full queue, concern the waiter.
    if ((port->pendingEvents & port->eventMask) != 0 || (wasFull && taken > 0)) {
        signalDescriptor(port->wakeWaiter);
    }
    overlapped.transferred = static_cast<std::uint32_t>(taken);
    finishTransfer(overlapped);
    return true;
}

bool PosixSerialDriver::writeFile(NativeHandle handle, const void* buffer, std::uint32_t count,
                                  Overlapped& overlapped) {
    const auto port = startTransfer(handle, overlapped);
    if (!port) {
        return false;
    }
    overlapped.pendingData = static_cast<const std::uint8_t*>(buffer);
    overlapped.pendingCount = count;
    if (!progressWrite(port->fd, overlapped)) {
        overlapped.pendingData = nullptr;
        overlapped.pendingCount = 0;
        return fail(overlapped.error);
    }
    if (overlapped.pendingCount == 0) {
        finishTransfer(overlapped);
        return true;
    }
    return fail(error::IoPending);
}

std::uint32_t PosixSerialDriver::waitForTransfer(NativeHandle handle, Overlapped& overlapped,
                                                 std::uint32_t timeout) {
    const auto port = overlapped.pendingCount > 0 ? find(handle) : nullptr;
    if (!port) {
        return waitForSingleObject(overlapped.event, timeout);
    }
    // A pending write goes on while the device takes bytes, until done or out of time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
    while (overlapped.pendingCount > 0) {
        pollfd fd{port->fd, POLLOUT, 0};
        const int wait = timeout == Infinite ? -1 : remainingMilliseconds(deadline);
        const int ready = ::poll(&fd, 1, wait);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            return WaitTimeout;
        }
        if (ready < 0 || (fd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            overlapped.error = ready < 0 ? win32ErrorFromErrno(errno) : error::DeviceNotConnected;
            break;
        }
        if (!progressWrite(port->fd, overlapped)) {
            break;
        }
    }
    finishTransfer(overlapped);
    return WaitObject0;
}

bool PosixSerialDriver::getOverlappedResult(NativeHandle, const Overlapped& overlapped,
                                            std::uint32_t& transferred) {
    transferred = overlapped.transferred;
    return overlapped.error == error::Success || fail(overlapped.error);
}

void PosixSerialDriver::cancelTransfer(NativeHandle, Overlapped& overlapped) {
    overlapped.pendingData = nullptr;
    overlapped.pendingCount = 0;
    overlapped.error = error::OperationAborted;
}

bool PosixSerialDriver::clearCommError(NativeHandle handle, std::uint32_t& errors,
                                       ComStat& status) {
    const auto port = find(handle);
    if (!port) {
        return false;
    }
    int received = 0;
    int unsent = 0;
    if (::ioctl(port->fd, FIONREAD, &received) != 0 || ::ioctl(port->fd, TIOCOUTQ, &unsent) != 0) {
        return failFromErrno();
    }
    std::lock_guard guard(port->lock);
    errors = 0;
    status.HoldFlags = port->outputStopped ? 0x08 : 0;
    status.InQue = static_cast<std::uint32_t>(port->input.size() + std::size_t(received));
    status.OutQue = static_cast<std::uint32_t>(unsent);
    return true;
}

bool PosixSerialDriver::getCommModemStatus(NativeHandle handle, std::uint32_t& status) {
    const auto port = find(handle);
    if (!port) {
        return false;
    }
    int lines = 0;
    if (::ioctl(port->fd, TIOCMGET, &lines) != 0) {
        return failFromErrno();
    }
    status = ((lines & TIOCM_CTS) != 0 ? modem::CtsOn : 0) |
             ((lines & TIOCM_DSR) != 0 ? modem::DsrOn : 0) |
             ((lines & TIOCM_RNG) != 0 ? modem::RingOn : 0) |
             ((lines & TIOCM_CAR) != 0 ? modem::RlsdOn : 0);
    return true;
}

// Aborting has nothing to do: a transfer never outlives the call that waits for it.
bool PosixSerialDriver::purgeComm(NativeHandle handle, std::uint32_t flags) {
    const auto port = find(handle);
    if (!port) {
        return false;
    }
    if ((flags & purge::TxClear) != 0 && ::tcflush(port->fd, TCOFLUSH) != 0) {
        return failFromErrno();
    }
    if ((flags & purge::RxClear) != 0) {
        if (::tcflush(port->fd, TCIFLUSH) != 0) {
            return failFromErrno();
        }
        std::lock_guard guard(port->lock);
        port->input.clear();
        signalDescriptor(port->wakeWaiter);
    }
    return true;
}

bool PosixSerialDriver::escapeCommFunction(NativeHandle handle, std::uint32_t function) {
    const auto port = find(handle);
    if (!port) {
        return false;
    }
    int line = 0;
    int result = 0;
    switch (function) {
    case escape::SetXoff:
    case escape::SetXon:
        result = ::tcflow(port->fd, function == escape::SetXoff ? TCOOFF : TCOON);
        if (result == 0) {
            std::lock_guard guard(port->lock);
            port->outputStopped = function == escape::SetXoff;
        }
        break;
    case escape::SetRts:
    case escape::ClrRts:
        line = TIOCM_RTS;
        result = ::ioctl(port->fd, function == escape::SetRts ? TIOCMBIS : TIOCMBIC, &line);
        break;
    case escape::SetDtr:
    case escape::ClrDtr:
        line = TIOCM_DTR;
        result = ::ioctl(port->fd, function == escape::SetDtr ? TIOCMBIS : TIOCMBIC, &line);
        break;
    case escape::SetBreak:
        result = ::ioctl(port->fd, TIOCSBRK);
        break;
    case escape::ClrBreak:
        result = ::ioctl(port->fd, TIOCCBRK);
        break;
    default:
        return fail(error::InvalidParameter);
    }
    return result == 0 || failFromErrno();
}

SerialDriver& systemSerialDriver() {
    static PosixSerialDriver driver;
    return driver;
}

} // namespace platform
