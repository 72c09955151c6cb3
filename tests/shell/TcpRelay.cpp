#include "TcpRelay.h"

#include <stdexcept>
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

// Passes what one side has to the other; false when that side has closed.
bool pass(int from, int to) {
    char buffer[65536];
    const ssize_t count = ::read(from, buffer, sizeof buffer);
    if (count <= 0) {
        return false;
    }
    ssize_t written = 0;
    while (written < count) {
        const ssize_t now =
            ::send(to, buffer + written, static_cast<size_t>(count - written), MSG_NOSIGNAL);
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

void TcpRelay::run(const std::stop_token& stop) {
    std::vector<std::pair<int, int>> links; // terminal side, server side
    while (!stop.stop_requested()) {
        const bool forwarding = m_forwarding;
        std::vector<pollfd> watched{{m_listener, POLLIN, 0}};
        for (const auto& [terminal, server] : links) {
            const short events = forwarding ? POLLIN : 0;
            watched.push_back({terminal, events, 0});
            watched.push_back({server, events, 0});
        }
        // A short wait, so that a change of forwarding or a stop is seen soon.
        if (::poll(watched.data(), watched.size(), 20) <= 0) {
            continue;
        }
        std::vector<std::pair<int, int>> open;
        for (size_t i = 0; i < links.size(); ++i) {
            const auto [terminal, server] = links[i];
            const bool alive = (!(watched[1 + 2 * i].revents & (POLLIN | POLLHUP | POLLERR)) ||
                                pass(terminal, server)) &&
                               (!(watched[2 + 2 * i].revents & (POLLIN | POLLHUP | POLLERR)) ||
                                pass(server, terminal));
            if (alive) {
                open.push_back(links[i]);
            } else {
                ::close(terminal);
                ::close(server);
            }
        }
        links = std::move(open);
        if (watched[0].revents & POLLIN) {
            const int terminal = ::accept(m_listener, nullptr, nullptr);
            const int server = connectTo(m_serverPort);
            if (terminal >= 0 && server >= 0) {
                links.emplace_back(terminal, server);
            } else {
                ::close(terminal);
                ::close(server);
            }
        }
    }
    for (const auto& [terminal, server] : links) {
        ::close(terminal);
        ::close(server);
    }
}
