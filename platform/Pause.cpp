#include "Pause.h"

#include <QThread>

#include <utility>

namespace platform {
namespace {

PauseFunction& installed() {
    static PauseFunction current;
    return current;
}

} // namespace

void pause(int milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    if (const PauseFunction& function = installed()) {
        function(milliseconds);
        return;
    }
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

PauseFunction setPauseFunction(PauseFunction function) {
    return std::exchange(installed(), std::move(function));
}

} // namespace platform
