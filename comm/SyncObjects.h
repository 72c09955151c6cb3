#pragma once

#include "WaitableEvent.h"

#include <cstdint>

// The event the serial component's thread waits on beside the port.

enum class WaitResult { Signaled, Timeout, Abandoned, Error };

// A manual-reset event: once set, every wait succeeds until it is reset.
class ManualResetEvent {
public:
    explicit ManualResetEvent(bool initiallySet = false);
    ~ManualResetEvent();
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    platform::NativeHandle handle() const { return m_handle; }
    // Timeout in ms, or platform::Infinite.
    WaitResult waitFor(std::uint32_t timeout);
    void set();
    void reset();

private:
    platform::NativeHandle m_handle;
};
