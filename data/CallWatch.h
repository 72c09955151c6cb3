#pragma once

#include <QByteArray>

#include <chrono>
#include <optional>
#include <vector>

// Bounds the calls that wait on the network. A database driver may wait for ever for a server
// whose packets are swallowed (a pulled cable, a switch that died) when nothing closes the
// connection; cutting its socket wakes it up as if the server had closed it.
namespace platform {

// A connected TCP socket of this process: its descriptor and both of its addresses, so that a
// descriptor reused since for another connection is never taken for it.
struct TcpSocket {
    int descriptor = -1;
    QByteArray addresses;
    bool operator==(const TcpSocket&) const = default;
};

// The connected TCP sockets the process holds now.
std::vector<TcpSocket> tcpSockets();

// The sockets of after that are not in before.
std::vector<TcpSocket> socketsAdded(const std::vector<TcpSocket>& before,
                                    const std::vector<TcpSocket>& after);

// Shuts a socket down in both directions if it is still the same connection.
void cutSocket(const TcpSocket& socket);

// What a watch cuts when its call runs out of time.
struct WatchedSockets {
    std::vector<TcpSocket> known;
    // When set, also every socket opened since this list was taken (a connection being made).
    std::optional<std::vector<TcpSocket>> openedAfter;
};

// While a watch lives, a thread of its own waits for the limit; if the watch is still there then,
// the thread cuts the watched sockets and the call waiting on them returns with an error. Each
// watch bounds its own call, also one made within another's.
class CallWatch {
public:
    CallWatch(WatchedSockets sockets, std::chrono::milliseconds limit);
    ~CallWatch();
    CallWatch(const CallWatch&) = delete;
    CallWatch& operator=(const CallWatch&) = delete;

private:
    long m_id = 0; // 0 when this watch does not bound anything
};

} // namespace platform
