#pragma once

// SimBus: simulated units on one RS485 line.
//
// The bus turns what the host puts on the line into what comes back, with the
// time of every byte: a request byte reaches each unit whose line settings
// match the host's when its stop bit ends; a CR ends a request line, and each
// unit that answers starts its reply a turnaround after that (2 ms by
// default), one character time per byte at its own settings.  Two units that
// answer the same request at once collide: the line carries the AND of their
// bytes (a driven 0 wins over the idle 1), with framing errors.
//
// The bus carries no transport of its own: SimDriver (in-process) and
// PtyServer (a pty for any program) take the timed bytes from transmit() and
// hand them to the host when their time has come.
//
// Threads: every member takes the bus lock, so drivers on worker threads,
// a pty server and a test switching faults may share one bus.

#include "sim/SimClock.h"
#include "sim/SimLine.h"
#include "sim/SimUnit.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace kqm52 {

// One thing that reaches the host: a byte, or (in-process only) a failing
// driver call or the device going away.
struct SimLineEvent {
    enum class Kind { Byte, Fail, Vanish };
    Kind kind = Kind::Byte;
    SimNanos at = 0; // a byte: when its stop bit ends
    std::uint8_t value = 0;
    std::uint32_t lineErrors = 0; // LineErrorFlag bits that come with the byte
    int error = 0;                // Fail: the errno of the failing call
    int unit = -1;                // number of the unit that sent it
};

// The SerialDriver calls, for failures injected at the driver.
using SimDriverCall = DriverCall;

class SimBus {
  public:
    explicit SimBus(std::shared_ptr<SimClock> clock = std::make_shared<RealClock>());

    const std::shared_ptr<SimClock>& clock() const { return clock_; }

    // Units, in the order added.  Set a unit up through the returned reference
    // before any driver uses the bus; afterwards go through withUnit().
    SimUnit& addUnit(int number, const LineState& line, const SimCatalogue& catalogue = {});
    int unitCount() const;
    // Index of the first unit with this number, or -1.
    int indexOf(int number) const;
    // Runs f(SimUnit&) under the bus lock.
    template <class F> auto withUnit(int index, F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        return f(*units_.at(std::size_t(index)));
    }
    // Faults of the first unit with this number (no-op for an absent unit).
    void setFaults(int number, const SimFaults& faults);
    SimFaults faults(int number) const;
    // Turnaround of every unit.
    void setTurnaround(SimNanos t);

    // The line: the host sends `bytes` at its settings, the first starting at
    // `start`.  Returns everything that comes back, sorted by time.
    std::vector<SimLineEvent> transmit(const LineState& host, const QByteArray& bytes,
                                       SimNanos start, SimLineMatch match = SimLineMatch::Exact);

    // One port at a time holds the bus (a serial device is opened exclusively).
    // claim() gives 0, EBUSY while held, or ENOENT while the device is gone.
    int claim();
    void release();
    // A vanished device stays gone until it is plugged in again.
    bool plugged() const;
    void setPlugged(bool plugged);

    // In-process only: the next `times` calls of this kind (-1: every call until
    // cleared) on any SimDriver of this bus fail with `error`.
    void failDriverCall(SimDriverCall call, int error, int times = 1);
    void clearDriverFailures();
    // For SimDriver: the errno this call must fail with, or 0.
    int takeDriverFailure(SimDriverCall call);

    // Every request line the host sends (fromHost, unit -1) and every reply a
    // unit sends, with the time it starts.
    using Trace = std::function<void(SimNanos at, bool fromHost, int unit, const LineState& line,
                                     const QByteArray& bytes)>;
    void setTrace(Trace trace);

    // True once since the last call if any unit's stored state changed (the
    // pty server saves its state file then).
    bool takeDirty();

  private:
    void schedule(const std::vector<std::pair<int, SimReply>>& replies, SimNanos requestEnd,
                  std::vector<SimLineEvent>& out);

    mutable std::mutex mutex_;
    std::shared_ptr<SimClock> clock_;
    std::vector<std::unique_ptr<SimUnit>> units_;
    std::vector<SimNanos> busyUntil_;
    bool claimed_ = false;
    bool plugged_ = true;
    struct Failure {
        SimDriverCall call;
        int error;
        int times;
    };
    std::vector<Failure> failures_;
    QByteArray hostLine_;
    Trace trace_;
};

} // namespace kqm52
