#include "FakeSerialDriver.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

bool fail(std::uint32_t code) {
    setLastError(code);
    return false;
}

} // namespace

FakeSerialDriver::FakeSerialDriver() = default;

FakeSerialDriver::~FakeSerialDriver() {
    for (auto& [name, device] : m_devices) {
        closeEvent(device.signal);
    }
}

FakeSerialDriver::Device& FakeSerialDriver::addDevice(const QString& name) {
    std::lock_guard guard(m_lock);
    Device& device = m_devices[name];
    if (device.signal == InvalidHandleValue) {
        device.signal = createEvent(true, false);
    }
    return device;
}

FakeSerialDriver::Device& FakeSerialDriver::device(const QString& name) {
    std::lock_guard guard(m_lock);
    return m_devices.at(name);
}

void FakeSerialDriver::receive(const QString& name, const std::string& bytes) {
    std::lock_guard guard(m_lock);
    Device& device = m_devices.at(name);
    device.input += bytes;
    raiseLocked(device, commevent::RxChar);
}

void FakeSerialDriver::raiseEvents(const QString& name, std::uint32_t events) {
    std::lock_guard guard(m_lock);
    raiseLocked(m_devices.at(name), events);
}

void FakeSerialDriver::unplug(const QString& name) {
    std::lock_guard guard(m_lock);
    Device& device = m_devices.at(name);
    device.unplugged = true;
    setEvent(device.signal);
}

void FakeSerialDriver::plugBack(const QString& name) {
    std::lock_guard guard(m_lock);
    m_devices.at(name).unplugged = false;
}

int FakeSerialDriver::failedWaits(const QString& name) {
    std::lock_guard guard(m_lock);
    return m_devices.at(name).failedWaits;
}

int FakeSerialDriver::stalledWrites(const QString& name) {
    std::lock_guard guard(m_lock);
    return m_devices.at(name).stalledWrites;
}

void FakeSerialDriver::raiseLocked(Device& device, std::uint32_t events) {
    device.pendingEvents |= events;
    setEvent(device.signal);
}

int FakeSerialDriver::callsOnClosedHandles() const {
    std::lock_guard guard(m_lock);
    return m_callsOnClosedHandles;
}

int FakeSerialDriver::openHandles() const {
    std::lock_guard guard(m_lock);
    return static_cast<int>(m_open.size());
}

FakeSerialDriver::Device* FakeSerialDriver::lookup(NativeHandle port) {
    const auto found = m_open.find(port);
    if (found != m_open.end()) {
        return &m_devices.at(found->second);
    }
    if (m_closed.count(port) != 0) {
        ++m_callsOnClosedHandles;
    }
    setLastError(error::InvalidHandle);
    return nullptr;
}

FakeSerialDriver::Device* FakeSerialDriver::lookup(NativeHandle port, Call call) {
    Device* device = lookup(port);
    if (device == nullptr) {
        return nullptr;
    }
    if (const auto failure = device->failures.find(call); failure != device->failures.end()) {
        setLastError(failure->second);
        return nullptr;
    }
    if (device->unplugged) {
        setLastError(error::DeviceNotConnected);
        return nullptr;
    }
    return device;
}

NativeHandle FakeSerialDriver::createFile(const QString& name) {
    std::lock_guard guard(m_lock);
    const auto found = m_devices.find(name);
    if (found == m_devices.end()) {
        setLastError(error::FileNotFound);
        return InvalidHandleValue;
    }
    Device& device = found->second;
    if (const auto failure = device.failures.find(Call::CreateFile);
        failure != device.failures.end()) {
        setLastError(failure->second);
        return InvalidHandleValue;
    }
    if (device.openHandle != InvalidHandleValue) {
        setLastError(error::AccessDenied);
        return InvalidHandleValue;
    }
    const NativeHandle handle = m_nextHandle++;
    m_open[handle] = name;
    device.openHandle = handle;
    ++device.opens;
    return handle;
}

FileType FakeSerialDriver::fileType(NativeHandle port) {
    std::lock_guard guard(m_lock);
    const Device* device = lookup(port);
    return device == nullptr ? FileType::Unknown : device->type;
}

bool FakeSerialDriver::closeHandle(NativeHandle port) {
    std::lock_guard guard(m_lock);
    Device* device = lookup(port);
    if (device == nullptr) {
        return false;
    }
    device->openHandle = InvalidHandleValue;
    m_open.erase(port);
    m_closed.insert(port);
    return true;
}

bool FakeSerialDriver::setupComm(NativeHandle port, std::uint32_t inQueue, std::uint32_t outQueue) {
    std::lock_guard guard(m_lock);
    Device* device = lookup(port, Call::SetupComm);
    if (device == nullptr) {
        return false;
    }
    device->inQueueSize = inQueue;
    device->outQueueSize = outQueue;
    return true;
}

bool FakeSerialDriver::setCommTimeouts(NativeHandle port, const CommTimeouts& timeouts) {
    std::lock_guard guard(m_lock);
    Device* device = lookup(port, Call::SetCommTimeouts);
    if (device == nullptr) {
        return false;
    }
    device->timeouts = timeouts;
    return true;
}

bool FakeSerialDriver::getCommState(NativeHandle port, Dcb& dcb) {
    std::lock_guard guard(m_lock);
    const Device* device = lookup(port, Call::GetCommState);
    if (device == nullptr) {
        return false;
    }
    dcb = device->dcb;
    return true;
}

bool FakeSerialDriver::setCommState(NativeHandle port, const Dcb& dcb) {
    std::lock_guard guard(m_lock);
    Device* device = lookup(port, Call::SetCommState);
    if (device == nullptr) {
        return false;
    }
    device->dcb = dcb;
    return true;
}

bool FakeSerialDriver::setCommMask(NativeHandle port, std::uint32_t mask) {
    std::lock_guard guard(m_lock);
    Device* device = lookup(port);
    if (device == nullptr) {
        return false;
    }
    device->eventMask = mask;
    return true;
}

CommWaitResult FakeSerialDriver::waitCommEvent(NativeHandle port, std::uint32_t& events,
                                               NativeHandle wake) {
    for (;;) {
        NativeHandle signal = InvalidHandleValue;
        {
            std::lock_guard guard(m_lock);
            Device* device = lookup(port);
            if (device == nullptr) {
                return CommWaitResult::Failed;
            }
            if (device->unplugged) {
                ++device->failedWaits;
                setLastError(error::DeviceNotConnected);
                return CommWaitResult::Failed;
            }
            if (const std::uint32_t ready = device->pendingEvents & device->eventMask; ready != 0) {
                device->pendingEvents = 0;
                events = ready;
                return CommWaitResult::Event;
            }
            resetEvent(device->signal);
            signal = device->signal;
        }
        const std::uint32_t woken = waitForMultipleObjects({wake, signal}, Infinite);
        if (woken == WaitObject0) {
            return CommWaitResult::Woken;
        }
        if (woken == WaitFailed) {
            return CommWaitResult::Failed;
        }
    }
}

bool FakeSerialDriver::readFile(NativeHandle port, void* buffer, std::uint32_t count,
                                Overlapped& overlapped) {
    resetEvent(overlapped.event);
    std::lock_guard guard(m_lock);
    Device* device = lookup(port, Call::ReadFile);
    if (device == nullptr) {
        return false;
    }
    const std::size_t taken = std::min<std::size_t>(count, device->input.size());
    if (taken > 0) {
        std::memcpy(buffer, device->input.data(), taken);
    }
    device->input.erase(0, taken);
    overlapped.transferred = static_cast<std::uint32_t>(taken);
    overlapped.error = error::Success;
    setEvent(overlapped.event);
    return true;
}

bool FakeSerialDriver::writeFile(NativeHandle port, const void* buffer, std::uint32_t count,
                                 Overlapped& overlapped) {
    resetEvent(overlapped.event);
    std::lock_guard guard(m_lock);
    Device* device = lookup(port, Call::WriteFile);
    if (device == nullptr) {
        return false;
    }
    overlapped.error = error::Success;
    if (device->writesStall) {
        ++device->stalledWrites;
        overlapped.pendingData = static_cast<const std::uint8_t*>(buffer);
        overlapped.pendingCount = count;
        return fail(error::IoPending);
    }
    device->output.append(static_cast<const char*>(buffer), count);
    overlapped.transferred = count;
    setEvent(overlapped.event);
    return true;
}

std::uint32_t FakeSerialDriver::waitForTransfer(NativeHandle, Overlapped& overlapped,
                                                std::uint32_t timeout) {
    return waitForSingleObject(overlapped.event, timeout);
}

bool FakeSerialDriver::getOverlappedResult(NativeHandle, const Overlapped& overlapped,
                                           std::uint32_t& transferred) {
    transferred = overlapped.transferred;
    return overlapped.error == error::Success || fail(overlapped.error);
}

void FakeSerialDriver::cancelTransfer(NativeHandle port, Overlapped& overlapped) {
    std::lock_guard guard(m_lock);
    if (overlapped.pendingCount == 0) {
        return;
    }
    if (Device* device = lookup(port); device != nullptr) {
        ++device->cancelledTransfers;
    }
    overlapped.pendingData = nullptr;
    overlapped.pendingCount = 0;
    overlapped.error = error::OperationAborted;
}

bool FakeSerialDriver::clearCommError(NativeHandle port, std::uint32_t& errors, ComStat& status) {
    std::lock_guard guard(m_lock);
    Device* device = lookup(port, Call::ClearCommError);
    if (device == nullptr) {
        return false;
    }
    errors = device->errors;
    device->errors = 0;
    status.HoldFlags = device->holdFlags;
    status.InQue = static_cast<std::uint32_t>(device->input.size());
    status.OutQue = device->outQue;
    return true;
}

bool FakeSerialDriver::getCommModemStatus(NativeHandle port, std::uint32_t& status) {
    std::lock_guard guard(m_lock);
    const Device* device = lookup(port, Call::GetCommModemStatus);
    if (device == nullptr) {
        return false;
    }
    status = device->modemStatus;
    return true;
}

bool FakeSerialDriver::purgeComm(NativeHandle port, std::uint32_t flags) {
    std::lock_guard guard(m_lock);
    Device* device = lookup(port);
    if (device == nullptr) {
        return false;
    }
    device->purges.push_back(flags);
    if ((flags & purge::RxClear) != 0) {
        device->input.clear();
    }
    return true;
}

bool FakeSerialDriver::escapeCommFunction(NativeHandle port, std::uint32_t function) {
    std::lock_guard guard(m_lock);
    Device* device = lookup(port, Call::EscapeCommFunction);
    if (device == nullptr) {
        return false;
    }
    device->escapes.push_back(function);
    return true;
}

} // namespace platform
