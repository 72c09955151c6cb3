#pragma once

#include <QDateTime>

#include <functional>

// The wall clock, replaceable so that tests can fix the time the windows show and log.
namespace platform {

using ClockFunction = std::function<QDateTime()>;

QDateTime now();

// Installs a clock and returns the one it replaces; an empty one restores the system clock.
ClockFunction setClock(ClockFunction clock);

} // namespace platform
