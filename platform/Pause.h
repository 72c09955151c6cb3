#pragma once

#include <functional>

// The blocking waits of the terminal (the 2000 ms warnings, the 100 ms pause before a serial
// port is reopened) go through one replaceable function, so tests record them instead of sleeping.
namespace platform {

using PauseFunction = std::function<void(int milliseconds)>;

void pause(int milliseconds);

// Installs a pause function and returns the one it replaces; an empty one restores the real wait.
PauseFunction setPauseFunction(PauseFunction function);

} // namespace platform
