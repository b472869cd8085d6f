#include "link/PosixSerialDriver.h"

#include "link/WakeablePoll.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kqm52 {

// In LineSettings.cpp: the kernel's termios2 cannot share a file with <termios.h>.
// parity: 0 none, 1 even, 2 odd (DriverParity's order).
int applyLineSettings(int fd, int baud, int dataBits, int parity, int stopBits);
int readLineSettings(int fd, int& baud, int& dataBits, int& parity, int& stopBits);

namespace {

int lastError() {
    return lastSystemError();
}

// Owns a descriptor until release(), so that every early return of open()
// closes what it opened without a hand-written close on each path.
class FdGuard {
  public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard() {
        if (fd_ >= 0) ::close(fd_);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

using Clock = wakeable::Clock;
using wakeable::waitFor;

} // namespace

PosixSerialDriver::PosixSerialDriver() = default;

PosixSerialDriver::~PosixSerialDriver() {
    if (fd_ >= 0) close();
}

int PosixSerialDriver::open(const std::string& path) {
    if (fd_ >= 0) return EBUSY;
    FdGuard fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return lastError();
    if (!::isatty(fd.get())) return ENOTTY;
    // TIOCEXCL keeps other users out, but not root; flock keeps out every
    // program that plays fair, ours included.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? EBUSY : lastError();
    if (::ioctl(fd.get(), TIOCEXCL) != 0) return lastError();
    FdGuard wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (wake.get() < 0) return lastError();
    termios found{};
    if (::tcgetattr(fd.get(), &found) != 0) return lastError();
    // Raw mode: no echo, no line editing, no CR/LF mapping, receiver on,
    // modem lines ignored.  No flow control of any kind: the protocol has
    // none, and a CRTSCTS left behind by the last user would stall every
    // write (and the drain at close) while CTS is low.
    termios raw = found;
    ::cfmakeraw(&raw);
    raw.c_cflag |= CREAD | CLOCAL;
    raw.c_cflag &= ~CRTSCTS;
    raw.c_iflag &= ~(IXON | IXOFF | IXANY);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    if (::tcsetattr(fd.get(), TCSANOW, &raw) != 0) {
        const int err = lastError();
        ::ioctl(fd.get(), TIOCNXCL);
        return err;
    }
    original_ = found;
    fd_ = fd.release();
    wakeFd_ = wake.release();
    pendingBytes_ = 0;
    countersKnown_ = false;
    countersUnsupported_ = false;
    return 0;
}

int PosixSerialDriver::close() {
    if (fd_ < 0) return EBADF;
    // Leave the device as we found it for whatever uses it next; unsent
    // bytes are not worth waiting for at this point.
    ::tcflush(fd_, TCOFLUSH);
    ::tcsetattr(fd_, TCSANOW, &original_);
    ::ioctl(fd_, TIOCNXCL);
    int err = 0;
    if (::close(fd_) != 0) err = lastError();
    fd_ = -1;
    if (wakeFd_ >= 0) ::close(wakeFd_);
    wakeFd_ = -1;
    return err;
}

int PosixSerialDriver::setBufferSizes(int, int) {
    // The kernel sizes its own buffers; asking is allowed, changing is not.
    return fd_ >= 0 ? 0 : EBADF;
}

int PosixSerialDriver::getLineState(LineState& state) {
    std::lock_guard lock(termiosMutex_);
    int parity = 0;
    if (const int err = readLineSettings(fd_, state.baud, state.dataBits, parity, state.stopBits))
        return err;
    state.parity = DriverParity(parity);
    baud_.store(state.baud, std::memory_order_relaxed);
    return 0;
}

int PosixSerialDriver::setLineState(const LineState& state) {
    std::lock_guard lock(termiosMutex_);
    const int err =
        applyLineSettings(fd_, state.baud, state.dataBits, int(state.parity), state.stopBits);
    if (err == 0) baud_.store(state.baud, std::memory_order_relaxed);
    return err;
}

int PosixSerialDriver::getReadTimeout(int& milliseconds) {
    if (fd_ < 0) return EBADF;
    milliseconds = readTimeoutMs_;
    return 0;
}

int PosixSerialDriver::setReadTimeout(int milliseconds) {
    if (fd_ < 0) return EBADF;
    readTimeoutMs_ = milliseconds;
    return 0;
}

int PosixSerialDriver::purge() {
    if (::tcflush(fd_, TCIOFLUSH) != 0) return lastError();
    return 0;
}

int PosixSerialDriver::write(const std::uint8_t* data, int count, int& written) {
    written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd_, data + written, size_t(count - written));
        if (n > 0) {
            written += int(n);
            pendingBytes_ += int(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            bool interrupted = false;
            // Writes have no time-out of their own, but a transmitter that
            // takes a full second for a short frame is stuck, not slow.
            const int r =
                waitFor(fd_, wakeFd_, POLLOUT, Clock::now() + std::chrono::seconds(1), interrupted);
            if (r < 0) return -r;
            if (interrupted) return EINTR;
            if (r == 0) return ETIMEDOUT;
            continue;
        }
        return n == 0 ? EIO : lastError();
    }
    return 0;
}

int PosixSerialDriver::flush() {
    // tcdrain() would wait without limit (a stuck transmitter) and cannot be
    // interrupted, so watch the output queue instead, for as long as the
    // bytes need at the set speed plus a margin; then give up and discard.
    const int bytes = std::exchange(pendingBytes_, 0);
    const int baud = std::max(1, baud_.load(std::memory_order_relaxed));
    const auto deadline = Clock::now() + std::chrono::milliseconds(drainLimitMs(bytes, baud));
    for (;;) {
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) {
            if (errno == ENOTTY || errno == EINVAL)
                return 0; // cannot tell: the bytes are with the kernel
            return lastError();
        }
        if (queued <= 0) return 0;
        if (Clock::now() >= deadline) {
            ::tcflush(fd_, TCOFLUSH);
            return ETIMEDOUT;
        }
        bool interrupted = false;
        // Nothing to poll for on the device; sleep on the wake-up descriptor.
        const int r =
            waitFor(-1, wakeFd_, 0, std::min(deadline, Clock::now() + std::chrono::milliseconds(2)),
                    interrupted);
        if (r < 0) return -r;
        if (interrupted) return EINTR;
    }
}

int drainLimitMs(int bytes, int baud) {
    // Up to 12 bits a character (start, 8 data, parity, 2 stop), half as
    // much again for a slow UART, and 50 ms for the scheduler.
    return int((long long)bytes * 12 * 1000 * 3 / 2 / baud) + 50;
}

int PosixSerialDriver::readByte(std::uint8_t& byte, bool& got) {
    got = false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeoutMs_);
    for (;;) {
        bool interrupted = false;
        const int r = waitFor(fd_, wakeFd_, POLLIN, deadline, interrupted);
        if (r < 0) return -r;
        if (r == 0) return 0; // time-out or interrupt: no byte, no error
        const ssize_t n = ::read(fd_, &byte, 1);
        if (n == 1) {
            got = true;
            return 0;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        // End of file on a terminal device means its other side is gone
        // (pty peer closed, converter unplugged): an error, not silence.
        return n == 0 ? EIO : lastError();
    }
}

int PosixSerialDriver::clearLineErrors(std::uint32_t& flags) {
    flags = 0;
    if (fd_ < 0) return EBADF;
    if (countersUnsupported_) return 0;
    serial_icounter_struct c{};
    if (::ioctl(fd_, TIOCGICOUNT, &c) != 0) {
        if (errno == ENOTTY || errno == EINVAL || errno == EOPNOTSUPP) {
            countersUnsupported_ = true;
            return 0;
        }
        return lastError();
    }
    const Counters now{c.frame, c.overrun, c.parity, c.brk, c.buf_overrun};
    if (countersKnown_) {
        if (now.frame != counters_.frame) flags |= LineErrorFrame;
        if (now.overrun != counters_.overrun) flags |= LineErrorOverrun;
        if (now.parity != counters_.parity) flags |= LineErrorParity;
        if (now.brk != counters_.brk) flags |= LineErrorBreak;
        if (now.bufOverrun != counters_.bufOverrun) flags |= LineErrorRxOverflow;
    }
    counters_ = now;
    countersKnown_ = true;
    return 0;
}

void PosixSerialDriver::interrupt() {
    wakeable::wake(wakeFd_);
}

void PosixSerialDriver::waitIdle(int milliseconds) {
    wakeable::idle(wakeFd_, milliseconds);
}

} // namespace kqm52
