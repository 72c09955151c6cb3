#pragma once

#include <QDateTime>

// The wall clock of the installed back ends, so that tests can fix the time the windows show and
// log.
namespace platform {

QDateTime now();

} // namespace platform
