#include "PrinterPort.h"

#include "ScopedDeadline.h"
#include "Spooler.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PortIoError::PortIoError(int errorCode, const std::string& what)
    : std::system_error(errorCode, std::generic_category(), what) {}

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A printer that takes no byte for this long (paper out, off line, holding the line's flow
// control) is given up on; what it took stays printed. A whole job may end sooner
// (PrintDeadline).
constexpr auto StallLimit = 5s;

[[noreturn]] void throwStalled(const char* step) {
    throw PortIoError(ETIMEDOUT, std::string(step) + (PrintDeadline::over()
                                                          ? ": the job's time limit ran out"
                                                          : ": the printer took nothing for 5 s"));
}

// Writing to a pipe whose reader has gone raises SIGPIPE, which would end the program; the signal
// is held back during the write so that the failure comes back as EPIPE.
ssize_t writeWithoutSigpipe(int fd, const char* data, size_t size) {
    sigset_t pipeOnly;
    sigset_t previous;
    sigset_t pending;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
    const ssize_t written = ::write(fd, data, size);
    const int error = errno;
    if (written < 0 && error == EPIPE && !alreadyPending) {
        const timespec noWait{0, 0};
        sigtimedwait(&pipeOnly, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return written;
}

// A serial line left as the system set it turns every line end into CR CR LF (output
// processing) and may hold writes until the modem lines say the far end is there. A printer
// wants the driver's bytes as they are; the line speed stays as configured.
bool makeRawLine(int fd) {
    termios line{};
    if (::tcgetattr(fd, &line) != 0) {
        return false;
    }
    ::cfmakeraw(&line);
    line.c_cflag |= CLOCAL | CREAD;
    return ::tcsetattr(fd, TCSANOW, &line) == 0;
}

// Waits until the device has room again, or throws once the deadline has passed. The parallel
// printer driver cannot be waited on and reads as ready at once, so after such an answer the
// device is asked again only after a short pause.
void waitForRoom(int fd, Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= 0s) {
        throwStalled("printer write");
    }
    constexpr auto Pause = 10ms;
    pollfd room{fd, POLLOUT, 0};
    const auto asked = Clock::now();
    const int waitMs = int(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    if (::poll(&room, 1, waitMs) > 0 && Clock::now() - asked < Pause) {
        std::this_thread::sleep_for(Pause);
    }
}

// A serial line's close waits until the kernel has sent what it holds, for up to half a minute
// on a stalled port. It is waited for here instead, as long as the printer keeps taking bytes.
void waitUntilSent(int fd) {
    auto deadline = PrintDeadline::waitEnd(StallLimit);
    int fewest = INT_MAX;
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        if (queued < fewest) {
            fewest = queued;
            deadline = PrintDeadline::waitEnd(StallLimit);
        }
        if (Clock::now() >= deadline) {
            throwStalled("printer close");
        }
        std::this_thread::sleep_for(20ms);
    }
}

// Closes a port that failed without waiting: what a terminal still holds is dropped first, so
// its close does not wait to send it.
void closeAtOnce(int fd) {
    if (::isatty(fd)) {
        ::tcflush(fd, TCOFLUSH);
    }
    ::close(fd);
}

} // namespace

PrinterPort::PrinterPort() = default;

PrinterPort::~PrinterPort() {
    discard();
}

bool PrinterPort::openPath(const QString& path) {
    discard();
    const int create = path.startsWith(QLatin1String("/dev/")) ? 0 : O_CREAT;
    m_fd = ::open(QFile::encodeName(path).constData(),
                  O_WRONLY | create | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (m_fd < 0) {
        return false;
    }
    const bool ready = !::isatty(m_fd) || makeRawLine(m_fd);
    if (!ready) {
        discard();
    }
    return ready;
}

bool PrinterPort::openQueue(const QString& queue, const QString& title) {
    discard();
    m_job = spooler().openRawPrinter(queue);
    if (!m_job || !m_job->startDocument(title) || !m_job->startPage()) {
        m_job.reset(); // a started job is cancelled
        return false;
    }
    return true;
}

void PrinterPort::write(const QByteArray& bytes) {
    requireOpen();
    m_buffer.append(bytes);
    constexpr qsizetype BufferSize = 4096;
    if (m_buffer.size() >= BufferSize) {
        flush();
    }
}

void PrinterPort::flush() {
    requireOpen();
    if (m_buffer.isEmpty()) {
        return; // nothing to send, and a port that failed stays failed
    }
    const QByteArray pending = std::exchange(m_buffer, QByteArray());
    if (!m_job) {
        writeToDescriptor(pending);
    } else if (m_job->write(pending) < pending.size()) {
        throw PortIoError(EIO, "printer write: " + m_job->lastError().toStdString());
    }
}

void PrinterPort::writeToDescriptor(const QByteArray& bytes) {
    // Set until every byte is taken: a port that failed is closed without waiting on it again.
    m_writeFailed = true;
    qsizetype done = 0;
    auto deadline = PrintDeadline::waitEnd(StallLimit);
    while (done < bytes.size()) {
        const ssize_t written =
            writeWithoutSigpipe(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written > 0) {
            done += written;
            deadline = PrintDeadline::waitEnd(StallLimit);
        } else if (written < 0 && errno == EAGAIN) {
            waitForRoom(m_fd, deadline);
        } else if (written == 0 || errno != EINTR) {
            throw PortIoError(written < 0 ? errno : EIO, "printer write");
        }
    }
    m_writeFailed = false;
}

void PrinterPort::close() {
    requireOpen();
    try {
        flush();
    } catch (...) {
        discard();
        throw;
    }
    if (m_job) {
        const std::unique_ptr<RawPrintJob> finished = std::move(m_job);
        if (!finished->endPage() || !finished->endDocument() || !finished->close()) {
            throw PortIoError(EIO, "printer close: " + finished->lastError().toStdString());
        }
        return;
    }
    if (m_writeFailed) {
        discard();
        return;
    }
    try {
        if (::isatty(m_fd)) {
            waitUntilSent(m_fd);
        }
    } catch (...) {
        discard();
        throw;
    }
    // Everything is sent by now, so the close has nothing to wait for.
    if (::close(std::exchange(m_fd, -1)) != 0 && errno != EINTR) {
        throw PortIoError(errno, "printer close");
    }
}

void PrinterPort::requireOpen() const {
    if (m_fd < 0 && !m_job) {
        throw PortIoError(EBADF, "printer not open");
    }
}

void PrinterPort::discard() {
    m_buffer.clear();
    m_writeFailed = false;
    m_job.reset();
    if (m_fd >= 0) {
        closeAtOnce(std::exchange(m_fd, -1));
    }
}

} // namespace platform
