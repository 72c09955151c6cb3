#pragma once

#include <cstdint>

// Any line rate, standard or not, through the Linux termios2 calls (the custom-rate call). They
// live in a file of their own because the kernel's termios structure clashes with the C library's.
namespace platform::linux_tty {

// Sets the input and output rate of a terminal; false with errno set when refused.
bool setBaudRate(int fd, std::uint32_t rate);
// The terminal's output rate; 0 with errno set when it cannot be read.
std::uint32_t baudRate(int fd);

} // namespace platform::linux_tty
