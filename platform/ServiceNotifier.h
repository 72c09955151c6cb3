#pragma once

#include <QTimer>

// Tells systemd how the program is doing, through the datagram socket named in $NOTIFY_SOCKET:
// ready once, then a watchdog ping at a third of $WATCHDOG_USEC from this thread's event loop,
// so that a thread stuck for the whole period gets the service restarted. WATCHDOG_PID is not
// checked: the program is a child of the service's main process, and the unit lets every process
// of the service notify. Without $NOTIFY_SOCKET it does nothing.
namespace platform {

class ServiceNotifier {
public:
    // Starts pinging when systemd asked for a watchdog.
    ServiceNotifier();

    void ready();

private:
    QTimer m_watchdog;
};

} // namespace platform
