#include "CupsQueue.h"

#include <cups/cups.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

PrinterListener::PrinterListener() {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listenFd, 4) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe(m_wakeFd) != 0)
        throw std::runtime_error("cannot listen on a local port");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

PrinterListener::~PrinterListener() {
    const char wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wakeFd[1], &wake, 1);
    m_thread.join();
    ::close(m_listenFd);
    ::close(m_wakeFd[0]);
    ::close(m_wakeFd[1]);
}

void PrinterListener::serve() {
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakeFd[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 || fds[1].revents != 0)
            return;
        const int connection = ::accept(m_listenFd, nullptr, nullptr);
        if (connection < 0)
            continue;
        QByteArray job;
        char buffer[4096];
        for (;;) {
            pollfd reading[2] = {{connection, POLLIN, 0}, {m_wakeFd[0], POLLIN, 0}};
            if (::poll(reading, 2, -1) < 0 || reading[1].revents != 0) {
                ::close(connection);
                return;
            }
            const ssize_t count = ::read(connection, buffer, sizeof buffer);
            if (count <= 0)
                break;
            job.append(buffer, count);
        }
        ::close(connection);
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(job);
        m_received.notify_all();
    }
}

QByteArray PrinterListener::waitForJob(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (!m_received.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return !m_jobs.empty(); }))
        return {};
    QByteArray job = m_jobs.front();
    m_jobs.pop_front();
    return job;
}

QString cupsUnavailableReason() {
    QString output;
    runTool(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &output);
    if (output.trimmed() != QLatin1String("scheduler is running"))
        return QStringLiteral("the CUPS scheduler is not running (start it with "
                              "scripts/tests-services start): ") +
               output.trimmed();
    return {};
}

CupsQueue::CupsQueue(const QString& name)
    : m_name(name) {
    QString output;
    if (!runTool(QStringLiteral("lpadmin"),
                 {QStringLiteral("-p"), m_name, QStringLiteral("-E"), QStringLiteral("-v"),
                  QStringLiteral("socket://127.0.0.1:%1").arg(m_listener.port()),
                  QStringLiteral("-m"), QStringLiteral("raw")},
                 &output))
        throw std::runtime_error("lpadmin cannot create the queue: " + output.toStdString());
}

CupsQueue::~CupsQueue() {
    runTool(QStringLiteral("cancel"), {QStringLiteral("-a"), m_name});
    runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), m_name});
}

int CupsQueue::unfinishedJobs() const {
    cups_job_t* jobs = nullptr;
    const QByteArray name = m_name.toUtf8();
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.constData(), 0, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(count, jobs);
    return qMax(0, count);
}

SilentSpooler::SilentSpooler()
    : m_socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    if (m_socket < 0 || ::bind(m_socket, any, length) != 0 || ::listen(m_socket, 16) != 0 ||
        ::getsockname(m_socket, any, &length) != 0) {
        throw std::runtime_error("no listening socket");
    }
    cupsSetServer(QByteArray("127.0.0.1:" + QByteArray::number(ntohs(address.sin_port))));
}

SilentSpooler::~SilentSpooler() {
    cupsSetServer(nullptr);
    ::close(m_socket);
}
