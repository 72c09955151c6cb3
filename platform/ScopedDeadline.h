#pragma once

#include <algorithm>
#include <chrono>
#include <optional>

namespace platform {

// One time limit for all the waits of a piece of work on this thread (a member's action, a print
// job). Each wait has a limit of its own, restarted by every bit of progress or every next call,
// so together they could hold the window for minutes; while a ScopedDeadline lives, each of them
// also ends by the work's end. A deadline within another keeps the earlier end. Kind keeps
// unrelated works apart.
template <typename Kind> class ScopedDeadline {
public:
    using Clock = std::chrono::steady_clock;

    explicit ScopedDeadline(std::chrono::milliseconds limit)
        : m_outer(end()) {
        const Clock::time_point mine = Clock::now() + limit;
        end() = m_outer ? std::min(*m_outer, mine) : mine;
    }
    ~ScopedDeadline() { end() = m_outer; }
    ScopedDeadline(const ScopedDeadline&) = delete;
    ScopedDeadline& operator=(const ScopedDeadline&) = delete;

    // The end of a wait of at most limit from now, sooner when the work runs out of time first.
    static Clock::time_point waitEnd(std::chrono::milliseconds limit) {
        const Clock::time_point wait = Clock::now() + limit;
        return end() ? std::min(wait, *end()) : wait;
    }
    // The same as a length: 0 once the work has run out of time.
    static std::chrono::milliseconds within(std::chrono::milliseconds limit) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(waitEnd(limit) - Clock::now());
        return std::max(left, std::chrono::milliseconds(0));
    }
    static bool over() { return end() && Clock::now() >= *end(); }

private:
    static std::optional<Clock::time_point>& end() {
        thread_local std::optional<Clock::time_point> workEnd;
        return workEnd;
    }

    std::optional<Clock::time_point> m_outer;
};

// A whole print job: the printer port's and the spooler's waits end by it.
using PrintDeadline = ScopedDeadline<struct PrintJob>;

} // namespace platform
