#pragma once

#include <functional>
#include <optional>

// Calls that may block in the kernel for ever (a look at a path on a dead network mount, an open
// of a FIFO nobody writes) are made on a thread of their own, so that the windows never wait for
// them.
namespace platform {

// Runs question on a thread of its own and waits for its answer while this thread's event loop
// serves everything but user input: the windows keep painting, timers and posted events keep
// running, and keys and clicks wait until the answer is in (so no handler runs twice). Empty
// when no answer came within deadlineMs; the thread is then left behind, and when its call
// returns at last it touches nothing of the caller's.
std::optional<bool> askOffThread(std::function<bool()> question, int deadlineMs);

} // namespace platform
