#pragma once

#include "WaitableEvent.h"

#include <QString>

#include <cstdint>
#include <mutex>

// The small synchronisation classes of the serial component.

// An object that owns a system handle and closes it when it goes.
class THandleObject {
public:
    THandleObject() = default;
    virtual ~THandleObject();
    THandleObject(const THandleObject&) = delete;
    THandleObject& operator=(const THandleObject&) = delete;

    platform::NativeHandle Handle() const { return FHandle; }
    // The error of the last failed wait.
    int Error() const { return FError; }

protected:
    platform::NativeHandle FHandle = platform::InvalidHandleValue;
    int FError = 0;
};

enum TEventWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

class TEvent : public THandleObject {
public:
    // Security attributes do not exist here and are ignored; named events (shared between
    // processes) cannot be made, which WaitFor then reports as an error.
    TEvent(const void* EventAttributes, bool ManualReset, bool InitialState, const QString& Name);

    // Timeout in ms, or platform::Infinite.
    TEventWaitResult WaitFor(std::uint32_t Timeout);
    void SetEvent();
    void ResetEvent();
};

// A manual-reset event, not signalled at first.
class TSimpleEvent : public TEvent {
public:
    TSimpleEvent();
};

// Mutual exclusion between threads; the owning thread may enter again, as with a Win32
// critical section.
class TCriticalSection {
public:
    TCriticalSection() = default;
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    void Acquire() { FSection.lock(); }
    void Release() { FSection.unlock(); }
    void Enter() { Acquire(); }
    void Leave() { Release(); }

private:
    std::recursive_mutex FSection;
};
