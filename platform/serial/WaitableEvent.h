#pragma once

#include <cstdint>
#include <initializer_list>

// Win32-style kernel events and last-error codes, which the serial component and the serial
// drivers share. On POSIX an event is an eventfd, so a driver can wait on a port and an event
// with one poll().
namespace platform {

using NativeHandle = std::uintptr_t;
inline constexpr NativeHandle InvalidHandleValue = ~NativeHandle{0};
inline constexpr std::uint32_t Infinite = 0xFFFFFFFF;

// Results of the waits.
inline constexpr std::uint32_t WaitObject0 = 0x000;
inline constexpr std::uint32_t WaitAbandoned = 0x080;
inline constexpr std::uint32_t WaitTimeout = 0x102;
inline constexpr std::uint32_t WaitFailed = 0xFFFFFFFF;

// The Win32 error codes our layers report.
namespace error {
inline constexpr std::uint32_t Success = 0;
inline constexpr std::uint32_t InvalidFunction = 1;
inline constexpr std::uint32_t FileNotFound = 2;
inline constexpr std::uint32_t PathNotFound = 3;
inline constexpr std::uint32_t AccessDenied = 5;
inline constexpr std::uint32_t InvalidHandle = 6;
inline constexpr std::uint32_t NotEnoughMemory = 8;
inline constexpr std::uint32_t GenFailure = 31;
inline constexpr std::uint32_t NotSupported = 50;
inline constexpr std::uint32_t InvalidParameter = 87;
inline constexpr std::uint32_t OperationAborted = 995;
inline constexpr std::uint32_t IoPending = 997;
inline constexpr std::uint32_t DeviceNotConnected = 1167;
} // namespace error

// The calling thread's last error, as GetLastError/SetLastError.
std::uint32_t lastError();
void setLastError(std::uint32_t code);
// Maps an errno value to the nearest Win32 error code.
std::uint32_t win32ErrorFromErrno(int errnoValue);

// Creates an event; InvalidHandleValue (and the last error) when the system refuses.
NativeHandle createEvent(bool manualReset, bool initialState);
bool setEvent(NativeHandle event);
bool resetEvent(NativeHandle event);
bool closeEvent(NativeHandle event);
// Waits until the event is signalled or the time-out (ms, or Infinite) runs out.
std::uint32_t waitForSingleObject(NativeHandle event, std::uint32_t timeout);
// Waits for any of the events: WaitObject0 + index of the first one signalled, WaitTimeout or
// WaitFailed.
std::uint32_t waitForMultipleObjects(std::initializer_list<NativeHandle> events,
                                     std::uint32_t timeout);
// The descriptor a POSIX driver polls to wait for the event; -1 for an invalid handle.
int eventDescriptor(NativeHandle event);

} // namespace platform
