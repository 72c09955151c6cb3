#include "Pause.h"

#include "Backends.h"

#include <QThread>

namespace platform {

void pause(int milliseconds) {
    if (milliseconds > 0) {
        backends().pause(milliseconds);
    }
}

void sleep(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

} // namespace platform
