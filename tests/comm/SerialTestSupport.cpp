#include "SerialTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace commtest {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    // The timer only makes sure the blocking wait below returns when the time is up.
    QTimer deadline;
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.start(timeoutMs);
    while (!condition()) {
        if (elapsed.hasExpired(timeoutMs)) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

long long millisecondsOf(const std::function<void()>& call) {
    QElapsedTimer elapsed;
    elapsed.start();
    call();
    return elapsed.elapsed();
}

std::chrono::microseconds processCpuTime() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto total = [](const timeval& time) {
        return std::chrono::seconds(time.tv_sec) + std::chrono::microseconds(time.tv_usec);
    };
    return total(usage.ru_utime) + total(usage.ru_stime);
}

PseudoTerminal::PseudoTerminal() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
}

PseudoTerminal::~PseudoTerminal() {
    closeMaster();
}

void PseudoTerminal::send(const std::string& bytes) {
    [[maybe_unused]] const auto written = ::write(m_master, bytes.data(), bytes.size());
}

std::string PseudoTerminal::receive(std::size_t count, int timeoutMs) {
    std::string received;
    QElapsedTimer elapsed;
    elapsed.start();
    while (received.size() < count && !elapsed.hasExpired(timeoutMs)) {
        pollfd fd{m_master, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(timeoutMs - elapsed.elapsed())) <= 0) {
            continue;
        }
        char chunk[4096];
        const auto got = ::read(m_master, chunk, std::min(sizeof chunk, count - received.size()));
        if (got <= 0) {
            break;
        }
        received.append(chunk, std::size_t(got));
    }
    return received;
}

void PseudoTerminal::closeMaster() {
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

// The limit comes down to just above the highest open descriptor; the free ones below it are
// taken.
DescriptorsExhausted::DescriptorsExhausted() {
    ::getrlimit(RLIMIT_NOFILE, &m_limit);
    int highest = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        highest = std::max(highest, std::stoi(entry.path().filename().string()));
    }
    rlimit lowered = m_limit;
    lowered.rlim_cur = rlim_t(highest) + 1;
    ::setrlimit(RLIMIT_NOFILE, &lowered);
    for (int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC); fd >= 0;
         fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) {
        m_taken.push_back(fd);
    }
}

DescriptorsExhausted::~DescriptorsExhausted() {
    for (const int fd : m_taken) {
        ::close(fd);
    }
    ::setrlimit(RLIMIT_NOFILE, &m_limit);
}

SerialErrorRecorder::SerialErrorRecorder()
    : m_backends([this](platform::Backends& backends) {
        backends.reportCommError = [this](const QString&, const QString& message, int code) {
            m_errors.emplace_back(message, code);
        };
    }) {}

} // namespace commtest
