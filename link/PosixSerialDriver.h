#pragma once

// SerialDriver on a POSIX terminal device (termios).  Exclusive open is
// TIOCEXCL plus flock, since root ignores TIOCEXCL.  Line errors come from
// TIOCGICOUNT where the driver keeps counters (real UARTs, most USB
// converters); a pty keeps none, and then none are reported.

#include "link/SerialDriver.h"

#include <atomic>
#include <mutex>

#include <termios.h>

namespace kqm52 {

// How long flush() waits for this many bytes to leave at this speed.
int drainLimitMs(int bytes, int baud);

class PosixSerialDriver : public SerialDriver {
  public:
    PosixSerialDriver();
    ~PosixSerialDriver() override;

    int open(const std::string& path) override;
    int close() override;
    int setBufferSizes(int receive, int transmit) override;
    int getLineState(LineState& state) override;
    int setLineState(const LineState& state) override;
    int getReadTimeout(int& milliseconds) override;
    int setReadTimeout(int milliseconds) override;
    int purge() override;
    int write(const std::uint8_t* data, int count, int& written) override;
    int flush() override;
    int readByte(std::uint8_t& byte, bool& got) override;
    int clearLineErrors(std::uint32_t& flags) override;
    void interrupt() override;
    void waitIdle(int milliseconds) override;

  private:
    int fd_ = -1;
    int wakeFd_ = -1; // eventfd that interrupt() signals
    int readTimeoutMs_ = 0;
    int pendingBytes_ = 0;        // written since the last flush()
    std::atomic<int> baud_{9600}; // as last set, for the bounded drain
    termios original_{};          // as found at open, restored at close
    std::mutex termiosMutex_;     // setLineState may run beside the worker's I/O
    bool countersKnown_ = false;
    bool countersUnsupported_ = false;
    struct Counters {
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    } counters_;
};

} // namespace kqm52
