#pragma once

#include "SerialPort.h"
#include "TestBackends.h"

#include <QString>

#include <chrono>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace commtest {

// Runs the user-interface thread's event loop until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Milliseconds spent in a call.
long long millisecondsOf(const std::function<void()>& call);

// CPU time of the whole process, all threads.
std::chrono::microseconds processCpuTime();

// A pseudo-terminal: the component opens the slave; the test plays the far end on the master.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    QString slavePath() const { return m_slavePath; }
    int master() const { return m_master; }
    // Writes to the far end; bytes the full line cannot take are dropped.
    void send(const std::string& bytes);
    // What reached the far end within the time, up to `count` bytes.
    std::string receive(std::size_t count, int timeoutMs = 2000);
    // Pulls the plug: the slave's reads then fail with EIO.
    void closeMaster();

private:
    int m_master = -1;
    QString m_slavePath;
};

// While it lives, the process can open no more descriptors (so no more events either).
class DescriptorsExhausted {
public:
    DescriptorsExhausted();
    ~DescriptorsExhausted();
    DescriptorsExhausted(const DescriptorsExhausted&) = delete;
    DescriptorsExhausted& operator=(const DescriptorsExhausted&) = delete;

private:
    rlimit m_limit{};
    std::vector<int> m_taken;
};

// Records what the component passes to reportError.
class SerialErrorRecorder {
public:
    SerialErrorRecorder();
    SerialErrorRecorder(const SerialErrorRecorder&) = delete;
    SerialErrorRecorder& operator=(const SerialErrorRecorder&) = delete;

    const std::vector<std::pair<QString, int>>& errors() const { return m_errors; }
    void clear() { m_errors.clear(); }

private:
    std::vector<std::pair<QString, int>> m_errors;
    TestBackends m_backends;
};

} // namespace commtest
