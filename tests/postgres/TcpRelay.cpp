#include "TcpRelay.h"

#include <chrono>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in localAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int connectTo(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = localAddress(port);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// Sends all of count bytes; false when the other side has gone.
bool sendAll(int to, const char* bytes, ssize_t count) {
    ssize_t written = 0;
    while (written < count) {
        const ssize_t now =
            ::send(to, bytes + written, static_cast<size_t>(count - written), MSG_NOSIGNAL);
        if (now <= 0) {
            return false;
        }
        written += now;
    }
    return true;
}

} // namespace

TcpRelay::TcpRelay(int serverPort)
    : m_serverPort(serverPort) {
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = localAddress(0);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(m_listener);
        throw std::runtime_error("the relay cannot listen");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::jthread([this](const std::stop_token& stop) { run(stop); });
}

TcpRelay::~TcpRelay() {
    m_thread.request_stop();
    m_thread.join();
    ::close(m_listener);
}

struct TcpRelay::Link {
    int terminal;
    int server;
    std::optional<std::chrono::steady_clock::time_point> swallowedSince;
};

void TcpRelay::swallowConnectionsSending(const QByteArray& text) {
    const std::scoped_lock lock(m_swallowMutex);
    m_swallowed = text;
}

// Passes what one side has to the other; false when that side has closed.
bool TcpRelay::passesOn(Link& link, int from, int to) {
    char buffer[65536];
    const ssize_t count = ::read(from, buffer, sizeof buffer);
    if (count <= 0) {
        return false;
    }
    if (from == link.terminal) {
        const std::scoped_lock lock(m_swallowMutex);
        if (!m_swallowed.isEmpty() &&
            QByteArray::fromRawData(buffer, count).contains(m_swallowed)) {
            link.swallowedSince = std::chrono::steady_clock::now();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(m_delayMs));
    }
    return sendAll(to, buffer, count);
}

void TcpRelay::run(const std::stop_token& stop) {
    std::vector<Link> links;
    while (!stop.stop_requested()) {
        const bool forwarding = m_forwarding;
        std::vector<pollfd> watched{{m_listener, POLLIN, 0}};
        for (const Link& link : links) {
            const short events = forwarding && !link.swallowedSince ? POLLIN : 0;
            watched.push_back({link.terminal, events, 0});
            watched.push_back({link.server, events, 0});
        }
        // A short wait, so that a change of forwarding or a stop is seen soon.
        ::poll(watched.data(), watched.size(), 20);
        std::vector<Link> open;
        for (size_t i = 0; i < links.size(); ++i) {
            Link& link = links[i];
            const auto ready = [&](size_t at) {
                return !link.swallowedSince &&
                       (watched[at].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
            };
            const bool alive =
                (!ready(1 + 2 * i) || passesOn(link, link.terminal, link.server)) &&
                (!ready(2 + 2 * i) || passesOn(link, link.server, link.terminal)) &&
                (!link.swallowedSince || std::chrono::steady_clock::now() - *link.swallowedSince <
                                             std::chrono::milliseconds(swallowedLifetimeMs));
            if (alive) {
                open.push_back(link);
            } else {
                ::close(link.terminal);
                ::close(link.server);
            }
        }
        links = std::move(open);
        if (watched[0].revents & POLLIN) {
            const int terminal = ::accept(m_listener, nullptr, nullptr);
            const int server = connectTo(m_serverPort);
            if (terminal >= 0 && server >= 0) {
                links.push_back({terminal, server, std::nullopt});
            } else {
                ::close(terminal);
                ::close(server);
            }
        }
    }
    for (const Link& link : links) {
        ::close(link.terminal);
        ::close(link.server);
    }
}
