#include "ServiceNotifier.h"

#include <chrono>
#include <cstddef>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace {

// Sends one notification ("READY=1", "WATCHDOG=1"); a failure is not worth reporting.
void notifyService(const QByteArray& state) {
    QByteArray path = qgetenv("NOTIFY_SOCKET");
    sockaddr_un address{};
    if (path.isEmpty() || static_cast<size_t>(path.size()) >= sizeof(address.sun_path)) {
        return;
    }
    address.sun_family = AF_UNIX;
    socklen_t length = offsetof(sockaddr_un, sun_path) + static_cast<socklen_t>(path.size());
    if (path.startsWith('@')) {
        path[0] = '\0'; // an abstract socket name, without the closing zero
    } else {
        ++length;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));

    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    // Never waits: a systemd that reads nothing must not hold the window thread; a lost ping
    // only lets the watchdog do its work.
    sendto(fd, state.constData(), static_cast<size_t>(state.size()), MSG_NOSIGNAL | MSG_DONTWAIT,
           reinterpret_cast<const sockaddr*>(&address), length);
    close(fd);
}

// The interval of the watchdog pings, zero when systemd asked for none.
std::chrono::milliseconds watchdogPingInterval() {
    if (qEnvironmentVariableIsEmpty("NOTIFY_SOCKET")) {
        return std::chrono::milliseconds(0);
    }
    bool ok = false;
    const qulonglong microseconds = qEnvironmentVariable("WATCHDOG_USEC").toULongLong(&ok);
    return std::chrono::milliseconds(ok ? static_cast<long long>(microseconds / 3000) : 0);
}

} // namespace

ServiceNotifier::ServiceNotifier() {
    const std::chrono::milliseconds interval = watchdogPingInterval();
    if (interval.count() > 0) {
        QObject::connect(&m_watchdog, &QTimer::timeout,
                         [] { notifyService(QByteArrayLiteral("WATCHDOG=1")); });
        m_watchdog.start(interval);
    }
}

void ServiceNotifier::ready() {
    notifyService(QByteArrayLiteral("READY=1"));
}

} // namespace platform
