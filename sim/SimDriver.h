#pragma once

// SimDriver: a SerialDriver whose far end is a SimBus inside this process.
//
// It knows the exact line settings, so a unit answers only at its own speed,
// parity, data bits and stop bits; it gives every byte its line time at those
// settings; and it can do what a pty cannot: report line errors, fail a
// driver call, lose the device in the middle of a reply.
//
// Time: on the bus's VirtualClock nothing sleeps.  write() moves the clock on
// by the line time of the bytes; readByte() moves it to the next byte, or by
// the whole time-out when nothing comes in time; waitIdle() by its argument.
// On a RealClock the same calls wait in real time (flush() waits until the
// last byte has left), interruptible by interrupt().
//
// Threads: setLineState() and interrupt() may run on any thread beside the
// worker's reads and writes; all state sits behind one mutex.  Lock order is
// driver, then bus.

#include "link/PortMap.h"
#include "link/SerialDriver.h"
#include "sim/SimBus.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace kqm52 {

class SimDriver : public SerialDriver {
  public:
    explicit SimDriver(std::shared_ptr<SimBus> bus);
    ~SimDriver() override;

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
    std::int64_t monotonicMs() const override { return clock_->now() / simMs(1); }

    const std::shared_ptr<SimBus>& bus() const { return bus_; }

  private:
    // Waits (or, on a virtual clock, moves time) until t, or until interrupted
    // or new input; returns false when interrupted.
    bool waitUntil(std::unique_lock<std::mutex>& lock, SimNanos t);
    // One real-time wait towards t (returns early on a wake-up).
    void sleepUntil(std::unique_lock<std::mutex>& lock, SimNanos t);
    int failure(SimDriverCall call); // injected failure, vanished device or closed port

    std::shared_ptr<SimBus> bus_;
    std::shared_ptr<SimClock> clock_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool open_ = false;
    bool interrupted_ = false;
    bool vanished_ = false;
    LineState line_;
    int readTimeoutMs_ = 0;
    SimNanos txEnd_ = 0;          // when the last written byte has left
    std::deque<SimLineEvent> rx_; // what is on its way to us, by time
    std::uint32_t lineErrors_ = 0;
};

// Gives the port map's family "sim" its driver, the one place it gets one:
// every port mapped to "sim" gets its own SimDriver on the bus (the bus
// admits one open port at a time).  The bus is asked for at each opening.
void installSimulatedBus(PortMap& map, std::function<std::shared_ptr<SimBus>()> bus);
// The same on this bus.
void installSimulatedBus(PortMap& map, std::shared_ptr<SimBus> bus);

} // namespace kqm52
