#pragma once

#include "SerialDriver.h"

#include <termios.h>

// How the POSIX serial driver turns a DCB into termios settings and back (the rate aside, which
// goes through termios2).
namespace platform::termios_mapping {

// The line hardware bits a setting must leave as asked.
inline constexpr tcflag_t LineFormatBits = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;

// The termios speed constant of a standard rate; B0 for a rate that has none.
speed_t standardSpeed(std::uint32_t rate);
// The DCB a Win32 driver would report for these settings (BaudRate left 0).
Dcb dcbFromTermios(const termios& settings);
// True when termios can do what the DCB asks.
bool honourable(const Dcb& dcb);
// True when the rate a driver reports after a setting is the one asked: a driver that cannot
// do a rate keeps another without failing, and one that derives the rate from a clock divisor
// reports what it really gives. Both ends of a line stay in step within 2 %.
bool rateTaken(std::uint32_t asked, std::uint32_t reported);
// Writes the DCB's format, flow control, parity check and XON/XOFF characters into settings.
void applyToTermios(const Dcb& dcb, termios& settings);

} // namespace platform::termios_mapping
