#pragma once

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <mutex>
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
    // A half-dead link, as a path that drops large packets: new connections and logins pass, but
    // a connection whose terminal sends these bytes is swallowed from then on, both ways. Such a
    // connection is closed after swallowedLifetimeMs, so that a terminal that would wait for ever
    // fails its test instead of hanging it. Empty text makes the link whole again for the
    // connections made since.
    void swallowConnectionsSending(const QByteArray& text);
    static constexpr int swallowedLifetimeMs = 20000;
    // A slow link: each message of the terminal is held this long before it is passed on.
    void setDelay(std::chrono::milliseconds delay) { m_delayMs = static_cast<int>(delay.count()); }

private:
    struct Link;
    void run(const std::stop_token& stop);
    bool passesOn(Link& link, int from, int to);

    int m_listener = -1;
    int m_port = 0;
    int m_serverPort;
    std::atomic<bool> m_forwarding{true};
    std::atomic<int> m_delayMs{0};
    std::mutex m_swallowMutex;
    QByteArray m_swallowed; // guarded by m_swallowMutex
    std::jthread m_thread;
};
