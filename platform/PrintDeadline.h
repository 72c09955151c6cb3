#pragma once

#include <chrono>
#include <optional>

// A whole print job's time limit. Each wait on a printer port or on the spooler has a limit of
// its own that restarts whenever the printer takes something, so a printer that keeps taking
// bytes slowly could hold the window for minutes; while a PrintDeadline lives, every such wait of
// its thread also ends by the job's time.
namespace platform {

class PrintDeadline {
public:
    explicit PrintDeadline(std::chrono::milliseconds limit);
    ~PrintDeadline();
    PrintDeadline(const PrintDeadline&) = delete;
    PrintDeadline& operator=(const PrintDeadline&) = delete;

private:
    std::optional<std::chrono::steady_clock::time_point> m_outer;
};

// The end of a wait of at most `wait` from now, sooner when this thread's print job runs out of
// time first.
std::chrono::steady_clock::time_point printWaitEnd(std::chrono::milliseconds wait);
// The same as a length, never below 1 ms.
std::chrono::milliseconds printWaitLeft(std::chrono::milliseconds wait);
// True once this thread's print job has run out of time.
bool printTimeUp();

} // namespace platform
