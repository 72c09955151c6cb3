#include "CommObjs.h"

THandleObject::~THandleObject() {
    platform::closeEvent(FHandle);
}

TEvent::TEvent(const void*, bool ManualReset, bool InitialState, const QString& Name) {
    if (Name.isEmpty()) {
        FHandle = platform::createEvent(ManualReset, InitialState);
    } else {
        platform::setLastError(platform::error::NotSupported);
    }
}

TEventWaitResult TEvent::WaitFor(std::uint32_t Timeout) {
    switch (platform::waitForSingleObject(FHandle, Timeout)) {
    case platform::WaitObject0:
        return wrSignaled;
    case platform::WaitTimeout:
        return wrTimeout;
    case platform::WaitAbandoned:
        return wrAbandoned;
    default:
        FError = static_cast<int>(platform::lastError());
        return wrError;
    }
}

void TEvent::SetEvent() {
    platform::setEvent(FHandle);
}

void TEvent::ResetEvent() {
    platform::resetEvent(FHandle);
}

TSimpleEvent::TSimpleEvent()
    : TEvent(nullptr, true, false, QString()) {}
