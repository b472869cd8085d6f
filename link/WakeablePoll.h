#pragma once

// What the drivers on a file descriptor share: a wait for the descriptor
// that interrupt() can cut short from another thread, through an eventfd
// that stays signalled until the driver opens again.

#include <chrono>
#include <cstdint>

namespace kqm52::wakeable {

using Clock = std::chrono::steady_clock;

// An eventfd for interrupt(): the descriptor, or -errno.
int makeWakeFd();

// poll() on fd for events and on wakeFd until the deadline.  1 when fd is
// ready, 0 on time-out or interrupt (interrupted says which), or -errno.
// A deadline is never cut short: a 50 ms silence lasts at least 50 ms.
int waitFor(int fd, int wakeFd, short events, Clock::time_point deadline, bool& interrupted);

// Signals wakeFd (none: nothing to wake).
void wake(int wakeFd);

// Sleeps milliseconds, or until wakeFd is signalled.
void idle(int wakeFd, int milliseconds);

} // namespace kqm52::wakeable
