#include "PrintDeadline.h"

#include <algorithm>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

thread_local std::optional<Clock::time_point> deadline;

} // namespace

PrintDeadline::PrintDeadline(std::chrono::milliseconds limit)
    : m_outer(deadline) {
    deadline = Clock::now() + limit;
}

PrintDeadline::~PrintDeadline() {
    deadline = m_outer;
}

Clock::time_point printWaitEnd(std::chrono::milliseconds wait) {
    const Clock::time_point end = Clock::now() + wait;
    return deadline ? std::min(end, *deadline) : end;
}

std::chrono::milliseconds printWaitLeft(std::chrono::milliseconds wait) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(printWaitEnd(wait) - Clock::now());
    return std::max(left, std::chrono::milliseconds(1));
}

bool printTimeUp() {
    return deadline && Clock::now() >= *deadline;
}

} // namespace platform
