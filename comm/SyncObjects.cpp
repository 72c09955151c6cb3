#include "SyncObjects.h"

ManualResetEvent::ManualResetEvent(bool initiallySet)
    : m_handle(platform::createEvent(true, initiallySet)) {}

ManualResetEvent::~ManualResetEvent() {
    platform::closeEvent(m_handle);
}

WaitResult ManualResetEvent::waitFor(std::uint32_t timeout) {
    switch (platform::waitForSingleObject(m_handle, timeout)) {
    case platform::WaitObject0:
        return WaitResult::Signaled;
    case platform::WaitTimeout:
        return WaitResult::Timeout;
    case platform::WaitAbandoned:
        return WaitResult::Abandoned;
    default:
        return WaitResult::Error;
    }
}

void ManualResetEvent::set() {
    platform::setEvent(m_handle);
}

void ManualResetEvent::reset() {
    platform::resetEvent(m_handle);
}
