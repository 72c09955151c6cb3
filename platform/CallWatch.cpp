#include "CallWatch.h"

#include <QDir>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>

namespace platform {
namespace {

// Both addresses of a connected TCP socket; empty for any other descriptor.
QByteArray tcpAddresses(int descriptor) {
    int type = 0;
    socklen_t typeLength = sizeof type;
    if (getsockopt(descriptor, SOL_SOCKET, SO_TYPE, &type, &typeLength) != 0 ||
        type != SOCK_STREAM) {
        return {};
    }
    sockaddr_storage local{};
    sockaddr_storage peer{};
    socklen_t localLength = sizeof local;
    socklen_t peerLength = sizeof peer;
    if (getsockname(descriptor, reinterpret_cast<sockaddr*>(&local), &localLength) != 0 ||
        (local.ss_family != AF_INET && local.ss_family != AF_INET6) ||
        getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0) {
        return {};
    }
    return QByteArray(reinterpret_cast<const char*>(&local), localLength) +
           QByteArray(reinterpret_cast<const char*>(&peer), peerLength);
}

// The one thread that waits for the limit of the watched call. Only the user-interface thread
// talks to the databases, so there is at most one call to watch.
class Watcher {
public:
    static Watcher& instance() {
        static Watcher watcher;
        return watcher;
    }

    long arm(WatchedSockets sockets, std::chrono::steady_clock::time_point deadline) {
        const std::scoped_lock lock(m_mutex);
        if (m_armed) {
            return 0;
        }
        m_armed = true;
        m_sockets = std::move(sockets);
        m_deadline = deadline;
        ++m_generation;
        m_changed.notify_all();
        return m_generation;
    }

    void disarm(long generation) {
        const std::scoped_lock lock(m_mutex);
        if (m_generation == generation) {
            m_armed = false;
            m_changed.notify_all();
        }
    }

    ~Watcher() {
        {
            const std::scoped_lock lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

private:
    Watcher() = default;

    void run() {
        std::unique_lock lock(m_mutex);
        while (!m_stopping) {
            if (!m_armed) {
                m_changed.wait(lock, [this] { return m_armed || m_stopping; });
                continue;
            }
            const long generation = m_generation;
            const bool ended = m_changed.wait_until(lock, m_deadline, [&] {
                return !m_armed || m_generation != generation || m_stopping;
            });
            if (!ended) {
                cutWatched();
                m_armed = false;
            }
        }
    }

    void cutWatched() const {
        std::vector<TcpSocket> targets = m_sockets.known;
        if (m_sockets.openedAfter) {
            const std::vector<TcpSocket> opened =
                socketsAdded(*m_sockets.openedAfter, tcpSockets());
            targets.insert(targets.end(), opened.begin(), opened.end());
        }
        for (const TcpSocket& socket : targets) {
            cutSocket(socket);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stopping = false;
    bool m_armed = false;
    long m_generation = 0;
    WatchedSockets m_sockets;
    std::chrono::steady_clock::time_point m_deadline;
    std::thread m_thread{[this] { run(); }}; // started last
};

} // namespace

std::vector<TcpSocket> tcpSockets() {
    std::vector<TcpSocket> sockets;
    const QStringList entries =
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System);
    for (const QString& entry : entries) {
        bool number = false;
        const int descriptor = entry.toInt(&number);
        if (!number) {
            continue;
        }
        QByteArray addresses = tcpAddresses(descriptor);
        if (!addresses.isEmpty()) {
            sockets.push_back({descriptor, std::move(addresses)});
        }
    }
    return sockets;
}

std::vector<TcpSocket> socketsAdded(const std::vector<TcpSocket>& before,
                                    const std::vector<TcpSocket>& after) {
    std::vector<TcpSocket> added;
    std::copy_if(after.begin(), after.end(), std::back_inserter(added),
                 [&](const TcpSocket& socket) {
                     return std::find(before.begin(), before.end(), socket) == before.end();
                 });
    return added;
}

void cutSocket(const TcpSocket& socket) {
    if (tcpAddresses(socket.descriptor) == socket.addresses) {
        shutdown(socket.descriptor, SHUT_RDWR);
    }
}

CallWatch::CallWatch(WatchedSockets sockets, std::chrono::milliseconds limit) {
    if (sockets.known.empty() && !sockets.openedAfter) {
        return;
    }
    m_generation =
        Watcher::instance().arm(std::move(sockets), std::chrono::steady_clock::now() + limit);
}

CallWatch::~CallWatch() {
    if (m_generation != 0) {
        Watcher::instance().disarm(m_generation);
    }
}

} // namespace platform
