#pragma once

// The tool's own link (TZRComm, TRQ500Protocol, the worker) on COM1 mapped to
// a simulated bus.  The bus runs on a virtual clock unless a test says
// otherwise, so time-outs and 50 ms silences cost no real time and can be
// checked to the nanosecond.

#include "link/RQ500Protocol.h"
#include "link/ZRComm.h"
#include "sim/SimDriver.h"

#include "TestWait.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <memory>
#include <mutex>

namespace kqm52::simtest {

inline LineState lineOf(int baud, DriverParity parity = DriverParity::Even, int dataBits = 8,
                        int stopBits = 1) {
    return {.baud = baud, .dataBits = dataBits, .parity = parity, .stopBits = stopBits};
}

// What one request ended in.
struct Outcome {
    bool done = false;
    bool ok = false;
    QByteArray data;
    TCommError error;
    int errors = 0; // OnCommError calls
};

using test::waitUntil;

// The request lines the host puts on a bus, trimmed, in order.  The trace
// runs on the worker thread; copies are taken under the lock.
class HostLines {
  public:
    void attach(SimBus& bus) {
        bus.setTrace([this](SimNanos, bool fromHost, int, const LineState&, const QByteArray& b) {
            if (!fromHost) return;
            std::lock_guard lock(mutex_);
            lines_ << QString::fromLatin1(b.trimmed());
        });
    }
    // A list of its own, not a shared one: the worker grows lines_ in place
    // once it alone holds it, and it learns that from a relaxed reference
    // count, which does not order it after the reader's last use.
    QStringList all() const {
        std::lock_guard lock(mutex_);
        QStringList copy = lines_;
        copy.detach();
        return copy;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

  private:
    mutable std::mutex mutex_;
    QStringList lines_;
};

class SimLinkFixture : public ::testing::Test {
  protected:
    explicit SimLinkFixture(std::shared_ptr<SimClock> clock = std::make_shared<VirtualClock>())
        : clock_(std::move(clock)), bus(std::make_shared<SimBus>(clock_)) {
        installSimulatedBus(map, bus);
        map.setDevice(TPort::COM1, QStringLiteral("sim"));
        port.setPortMap(&map);
        port.SetBaudrate(TBaudrate::br38400); // the port's frame is 8E1 already
    }
    ~SimLinkFixture() override { port.SetActive(false); }

    SimNanos now() const { return clock_->now(); }

    // Sends one request on a fresh component and waits for its outcome.
    Outcome ask(const QString& text, int timeoutMs = 0) {
        TRQ500Protocol c;
        c.setUpForDevice(timeoutMs);
        c.SetZRComm(&port);
        Outcome o;
        c.OnCommResult = [&o](TZRProtocolComponent*, const QByteArray& r) {
            o.done = o.ok = true;
            o.data = r;
        };
        c.OnCommError = [&o](TZRProtocolComponent*, const TCommError& e, const QByteArray& r) {
            o.done = true;
            o.error = e;
            o.data = r;
            ++o.errors;
        };
        c.SetASCIIProtocol(text);
        c.Send();
        EXPECT_TRUE(waitUntil([&] { return o.done; })) << text.toStdString();
        // Let the port move on, so the next request starts on a quiet queue.
        waitUntil([&] { return port.queuedRequests() == 0; });
        return o;
    }

    std::shared_ptr<SimClock> clock_;
    std::shared_ptr<SimBus> bus;
    PortMap map;
    TZRComm port;
};

} // namespace kqm52::simtest
