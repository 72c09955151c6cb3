#pragma once

#include <atomic>
#include <stop_token>
#include <thread>

// A TCP relay of the test's own between the terminal and a server on 127.0.0.1. It can stop
// passing bytes on without closing anything, as a network that swallows packets does (a pulled
// cable, a switch that died), and pass them on again. It runs on a thread of its own, since the
// terminal waits for the database on its user-interface thread.
class TcpRelay {
public:
    // Listens on a free port of 127.0.0.1; throws std::runtime_error when it cannot.
    explicit TcpRelay(int serverPort);
    ~TcpRelay();
    TcpRelay(const TcpRelay&) = delete;
    TcpRelay& operator=(const TcpRelay&) = delete;

    int port() const { return m_port; }
    // While off, connections are still accepted but no byte goes either way.
    void setForwarding(bool forwarding) { m_forwarding = forwarding; }

private:
    void run(const std::stop_token& stop);

    int m_listener = -1;
    int m_port = 0;
    int m_serverPort;
    std::atomic<bool> m_forwarding{true};
    std::jthread m_thread;
};
