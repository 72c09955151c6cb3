#include "WaitableEvent.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

thread_local std::uint32_t t_lastError = error::Success;

// An event is an eventfd whose counter is non-zero while the event is signalled.
struct Event {
    int fd;
    bool manualReset;
};

Event* toEvent(NativeHandle handle) {
    if (handle == InvalidHandleValue || handle == 0) {
        return nullptr;
    }
    return reinterpret_cast<Event*>(handle);
}

bool failWith(std::uint32_t code) {
    setLastError(code);
    return false;
}

// Takes the signal of an auto-reset event; false when another waiter was first.
bool consume(const Event& event) {
    std::uint64_t value = 0;
    return ::read(event.fd, &value, sizeof value) == sizeof value;
}

int remainingMilliseconds(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

std::uint32_t lastError() {
    return t_lastError;
}

void setLastError(std::uint32_t code) {
    t_lastError = code;
}

std::uint32_t win32ErrorFromErrno(int errnoValue) {
    switch (errnoValue) {
    case 0:
        return error::Success;
    case ENOENT:
        return error::FileNotFound;
    case ENOTDIR:
        return error::PathNotFound;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK:
        return error::AccessDenied;
    case EBADF:
        return error::InvalidHandle;
    case ENOMEM:
        return error::NotEnoughMemory;
    case EINVAL:
        return error::InvalidParameter;
    case ENOTTY:
        return error::InvalidFunction;
    case EIO:
    case ENXIO:
    case ENODEV:
    case EPIPE:
        return error::DeviceNotConnected;
    case ECANCELED:
        return error::OperationAborted;
    default:
        return error::GenFailure;
    }
}

NativeHandle createEvent(bool manualReset, bool initialState) {
    const int fd = ::eventfd(initialState ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0) {
        setLastError(win32ErrorFromErrno(errno));
        return InvalidHandleValue;
    }
    return reinterpret_cast<NativeHandle>(new Event{fd, manualReset});
}

bool setEvent(NativeHandle handle) {
    const Event* event = toEvent(handle);
    if (event == nullptr) {
        return failWith(error::InvalidHandle);
    }
    const std::uint64_t one = 1;
    if (::write(event->fd, &one, sizeof one) != sizeof one) {
        return failWith(win32ErrorFromErrno(errno));
    }
    return true;
}

bool resetEvent(NativeHandle handle) {
    const Event* event = toEvent(handle);
    if (event == nullptr) {
        return failWith(error::InvalidHandle);
    }
    consume(*event); // an event already reset has nothing to take
    return true;
}

bool closeEvent(NativeHandle handle) {
    const Event* event = toEvent(handle);
    if (event == nullptr) {
        return failWith(error::InvalidHandle);
    }
    ::close(event->fd);
    delete event;
    return true;
}

std::uint32_t waitForSingleObject(NativeHandle event, std::uint32_t timeout) {
    return waitForMultipleObjects({event}, timeout);
}

std::uint32_t waitForMultipleObjects(std::initializer_list<NativeHandle> handles,
                                     std::uint32_t timeout) {
    std::vector<const Event*> events;
    std::vector<pollfd> fds;
    for (NativeHandle handle : handles) {
        const Event* event = toEvent(handle);
        if (event == nullptr) {
            setLastError(error::InvalidHandle);
            return WaitFailed;
        }
        events.push_back(event);
        fds.push_back(pollfd{event->fd, POLLIN, 0});
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
    for (;;) {
        const int wait = timeout == Infinite ? -1 : remainingMilliseconds(deadline);
        const int ready = ::poll(fds.data(), fds.size(), wait);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            setLastError(win32ErrorFromErrno(errno));
            return WaitFailed;
        }
        if (ready == 0) {
            return WaitTimeout;
        }
        for (std::size_t index = 0; index < fds.size(); ++index) {
            if ((fds[index].revents & POLLIN) != 0 &&
                (events[index]->manualReset || consume(*events[index]))) {
                return WaitObject0 + static_cast<std::uint32_t>(index);
            }
        }
    }
}

int eventDescriptor(NativeHandle handle) {
    const Event* event = toEvent(handle);
    return event == nullptr ? -1 : event->fd;
}

} // namespace platform
