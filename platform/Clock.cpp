#include "Clock.h"

#include <utility>

namespace platform {
namespace {

ClockFunction& installed() {
    static ClockFunction current;
    return current;
}

} // namespace

QDateTime now() {
    const ClockFunction& clock = installed();
    return clock ? clock() : QDateTime::currentDateTime();
}

ClockFunction setClock(ClockFunction clock) {
    return std::exchange(installed(), std::move(clock));
}

} // namespace platform
