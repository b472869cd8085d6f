#pragma once

// The simulator's sense of time.  Every time on the simulated line is a count
// of nanoseconds since the clock began, so byte times at odd speeds (286458.3 ns
// per byte at 38400 bit/s, 8E1) add up without drift.
//
// RealClock follows std::chrono::steady_clock: the demo bus and mx5x-sim use it.
// VirtualClock only moves when told to: a SimDriver on it jumps to the next
// byte or to the end of a time-out instead of waiting, so a test that waits out
// hundreds of 50 ms silences costs no real time and measures them exactly.

#include <atomic>
#include <chrono>
#include <cstdint>

namespace kqm52 {

using SimNanos = std::int64_t;

constexpr SimNanos simMs(std::int64_t ms) {
    return ms * 1'000'000;
}
constexpr SimNanos simUs(std::int64_t us) {
    return us * 1'000;
}

class SimClock {
  public:
    virtual ~SimClock() = default;
    virtual SimNanos now() const = 0;
    // True when time moves only through advanceTo().
    virtual bool isVirtual() const = 0;
    // Virtual clocks move forward to t (never back); a real clock ignores it.
    virtual void advanceTo(SimNanos t) = 0;
    // For a real clock: the steady_clock instant of a simulator time.
    virtual std::chrono::steady_clock::time_point toSteady(SimNanos t) const = 0;
};

class RealClock : public SimClock {
  public:
    RealClock() : start_(std::chrono::steady_clock::now()) {}
    SimNanos now() const override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now() - start_)
            .count();
    }
    bool isVirtual() const override { return false; }
    void advanceTo(SimNanos) override {}
    std::chrono::steady_clock::time_point toSteady(SimNanos t) const override {
        return start_ + std::chrono::nanoseconds(t);
    }

  private:
    std::chrono::steady_clock::time_point start_;
};

class VirtualClock : public SimClock {
  public:
    explicit VirtualClock(SimNanos start = 0) : now_(start) {}
    SimNanos now() const override { return now_.load(std::memory_order_acquire); }
    bool isVirtual() const override { return true; }
    void advanceTo(SimNanos t) override {
        SimNanos cur = now_.load(std::memory_order_acquire);
        while (t > cur && !now_.compare_exchange_weak(cur, t, std::memory_order_acq_rel)) {
        }
    }
    void advanceBy(SimNanos d) { now_.fetch_add(d, std::memory_order_acq_rel); }
    std::chrono::steady_clock::time_point toSteady(SimNanos) const override {
        return std::chrono::steady_clock::now();
    }

  private:
    std::atomic<SimNanos> now_;
};

} // namespace kqm52
