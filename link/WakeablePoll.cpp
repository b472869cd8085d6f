#include "link/WakeablePoll.h"

#include "link/SerialDriver.h"

#include <cerrno>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kqm52::wakeable {

int makeWakeFd() {
    const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return fd >= 0 ? fd : -lastSystemError();
}

int waitFor(int fd, int wakeFd, short events, Clock::time_point deadline, bool& interrupted) {
    for (;;) {
        const auto leftUs =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
        const int wait = leftUs <= 0 ? 0 : int((leftUs + 999) / 1000);
        pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
        const int n = ::poll(fds, wakeFd >= 0 ? 2 : 1, wait);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -lastSystemError();
        }
        if (wakeFd >= 0 && (fds[1].revents & POLLIN)) {
            interrupted = true;
            return 0;
        }
        if (n == 0) {
            if (Clock::now() < deadline) continue; // woke a little early
            return 0;
        }
        if (fds[0].revents & POLLNVAL) return -EBADF;
        // POLLHUP / POLLERR still let read() tell what happened.
        return 1;
    }
}

void wake(int wakeFd) {
    if (wakeFd < 0) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd, &one, sizeof one);
}

void idle(int wakeFd, int milliseconds) {
    if (wakeFd < 0) {
        ::usleep(useconds_t(milliseconds) * 1000);
        return;
    }
    pollfd fd{wakeFd, POLLIN, 0};
    while (::poll(&fd, 1, milliseconds) < 0 && errno == EINTR) {
    }
}

} // namespace kqm52::wakeable
