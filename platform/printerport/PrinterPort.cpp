#include "PrinterPort.h"

#include "Spooler.h"

#include <QFile>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

EInOutError::EInOutError(int errorCode, const std::string& what)
    : std::system_error(errorCode, std::generic_category(), what) {}

namespace platform {
namespace {

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

// The open did not wait (for a carrier, or a reader); the writes do, as on any file.
bool makeWritesBlock(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
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
    const bool ready = (!::isatty(m_fd) || makeRawLine(m_fd)) && makeWritesBlock(m_fd);
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
    const QByteArray pending = std::exchange(m_buffer, QByteArray());
    if (!m_job) {
        writeToDescriptor(pending);
    } else if (m_job->write(pending) < pending.size()) {
        throw EInOutError(EIO, "printer write: " + m_job->lastError().toStdString());
    }
}

void PrinterPort::writeToDescriptor(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            writeWithoutSigpipe(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw EInOutError(written < 0 ? errno : EIO, "printer write");
        }
        done += written;
    }
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
            throw EInOutError(EIO, "printer close: " + finished->lastError().toStdString());
        }
        return;
    }
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0 && errno != EINTR) {
        throw EInOutError(errno, "printer close");
    }
}

void PrinterPort::requireOpen() const {
    if (m_fd < 0 && !m_job) {
        throw EInOutError(EBADF, "printer not open");
    }
}

void PrinterPort::discard() {
    m_buffer.clear();
    m_job.reset();
    if (m_fd >= 0) {
        ::close(std::exchange(m_fd, -1));
    }
}

} // namespace platform
