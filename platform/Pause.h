#pragma once

// The blocking waits of the terminal (the 2000 ms warnings, the 100 ms pause before a serial
// port is reopened) go through the installed back ends, so tests record them instead of sleeping.
namespace platform {

void pause(int milliseconds);

// The real wait.
void sleep(int milliseconds);

} // namespace platform
