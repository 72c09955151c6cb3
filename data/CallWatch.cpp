#include "CallWatch.h"

#include <QDir>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stop_token>
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

// The one thread that waits for the limits of the watched calls.
class Watcher {
public:
    static Watcher& instance() {
        static Watcher watcher;
        return watcher;
    }

    long arm(WatchedSockets sockets, std::chrono::steady_clock::time_point deadline) {
        const std::scoped_lock lock(m_mutex);
        const long id = ++m_lastId;
        m_watches.emplace(id, Watch{std::move(sockets), deadline});
        ++m_changes;
        m_changed.notify_all();
        return id;
    }

    void disarm(long id) {
        const std::scoped_lock lock(m_mutex);
        if (m_watches.erase(id) != 0) {
            ++m_changes;
            m_changed.notify_all();
        }
    }

private:
    struct Watch {
        WatchedSockets sockets;
        std::chrono::steady_clock::time_point deadline;
    };

    Watcher() = default;

    void run(const std::stop_token& stop) {
        std::unique_lock lock(m_mutex);
        while (!stop.stop_requested()) {
            if (m_watches.empty()) {
                m_changed.wait(lock, stop, [this] { return !m_watches.empty(); });
                continue;
            }
            const auto first = std::min_element(
                m_watches.begin(), m_watches.end(),
                [](const auto& a, const auto& b) { return a.second.deadline < b.second.deadline; });
            const auto deadline = first->second.deadline; // the watch may go while waiting
            if (std::chrono::steady_clock::now() >= deadline) {
                cut(first->second.sockets);
                m_watches.erase(first);
                continue;
            }
            const long changes = m_changes;
            m_changed.wait_until(lock, stop, deadline, [&] { return m_changes != changes; });
        }
    }

    static void cut(const WatchedSockets& sockets) {
        std::vector<TcpSocket> targets = sockets.known;
        if (sockets.openedAfter) {
            const std::vector<TcpSocket> opened = socketsAdded(*sockets.openedAfter, tcpSockets());
            targets.insert(targets.end(), opened.begin(), opened.end());
        }
        for (const TcpSocket& socket : targets) {
            cutSocket(socket);
        }
    }

    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::map<long, Watch> m_watches;
    long m_lastId = 0;
    long m_changes = 0;
    std::jthread m_thread{[this](const std::stop_token& stop) {
        run(stop);
    }}; // started last
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
    m_id = Watcher::instance().arm(std::move(sockets), std::chrono::steady_clock::now() + limit);
}

CallWatch::~CallWatch() {
    if (m_id != 0) {
        Watcher::instance().disarm(m_id);
    }
}

} // namespace platform
