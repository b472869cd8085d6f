// sim_bench: how long the receive window's transfer (rp 0 … rp 399, rs 1 …
// rs 48) takes at 38400 bit/s 8E1 through the tool's link, against what the
// line says: every request's and reply's line time, the 2 ms turnaround and
// the 50 ms of silence that end each reply.
//
//   sim_bench [--requests N] [--skip-pty] [--skip-real]
//
// Three runs: the virtual clock (exact, costs no real time), SimDriver on the
// real clock, and mx5x-sim's PtyServer through the POSIX driver.  The real-time
// runs should come within a few percent of the model; the rest is the time the
// worker spends handing bytes to the user-interface thread and the scheduler's
// wake-up latency.

#include "link/RQ500Protocol.h"
#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "sim/PtyServer.h"
#include "sim/SimDriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

using namespace kqm52;

namespace {

LineState line38400() {
    LineState l;
    l.baud = 38400;
    l.parity = DriverParity::Even;
    l.dataBits = 8;
    l.stopBits = 1;
    return l;
}

QStringList transferRequests(int count) {
    QStringList r;
    for (int p = 0; p < 400 && r.size() < count; ++p)
        r << unit::readParameter(p);
    for (int s = 1; s <= 48 && r.size() < count; ++s)
        r << unit::readSetpoint(s);
    return r;
}

// The line model for these requests against a unit whose values are all 0.
double modelSeconds(const QStringList& requests) {
    const LineState l = line38400();
    SimNanos t = 0;
    for (const QString& r : requests)
        t += simLineTime(l, r.size() + 1) + simMs(2) + simLineTime(l, r.size() + 4) + simMs(50);
    return double(t) / 1e9;
}

struct Run {
    double wallSeconds = 0;
    double clockSeconds = 0;
    int failures = 0;
    // Where real time goes beyond the model, per request (mean, microseconds):
    double resultLateUs = 0; // OnCommResult after the last byte + 50 ms
    double sendLateUs = 0;   // the next request on the wire after that OnCommResult
};

Run transfer(PortMap& map, SimBus& bus, const QStringList& requests) {
    const std::shared_ptr<SimClock>& clock = bus.clock();
    // Request starts and reply ends, from the bus's trace.
    std::vector<SimNanos> requestStart, replyEnd;
    std::mutex traceMutex;
    bus.setTrace([&](SimNanos at, bool fromHost, int, const LineState& l, const QByteArray& bytes) {
        std::lock_guard<std::mutex> lock(traceMutex);
        if (fromHost)
            requestStart.push_back(at - simLineTime(l, bytes.size() + 1));
        else
            replyEnd.push_back(at + simLineTime(l, bytes.size()));
    });
    std::vector<SimNanos> resultAt;
    TZRComm port;
    port.setPortMap(&map);
    port.SetBaudrate(TBaudrate::br38400);
    port.SetFrameParitybit(TParityBit::Even);
    port.SetActive(true);
    TRQ500Protocol c;
    c.setUpForDevice();
    c.SetZRComm(&port);
    int next = 0;
    Run run;
    bool done = false;
    c.OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) {
        resultAt.push_back(clock->now());
        if (++next < requests.size()) {
            c.SetASCIIProtocol(requests[next]);
            c.Send();
        } else {
            done = true;
        }
    };
    c.OnCommError = [&](TZRProtocolComponent*, const TCommError&, const QByteArray&) {
        ++run.failures;
        done = true;
    };
    QElapsedTimer wall;
    wall.start();
    const SimNanos start = clock->now();
    c.SetASCIIProtocol(requests[0]);
    c.Send();
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    run.wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    run.clockSeconds = double(clock->now() - start) / 1e9;
    port.SetActive(false);
    bus.setTrace({});
    std::lock_guard<std::mutex> lock(traceMutex);
    const std::size_t n = std::min({resultAt.size(), replyEnd.size(), requestStart.size()});
    for (std::size_t i = 0; i < n; ++i) {
        run.resultLateUs += double(resultAt[i] - replyEnd[i] - simMs(50)) / 1e3 / double(n);
        if (i + 1 < requestStart.size())
            run.sendLateUs += double(requestStart[i + 1] - resultAt[i]) / 1e3 / double(n);
    }
    return run;
}

void report(const char* name, const Run& r, double model, bool virtualClock) {
    const double measured = virtualClock ? r.clockSeconds : r.wallSeconds;
    std::printf("%-28s %9.4f s  model %9.4f s  %+7.3f %%  (wall %.3f s, failures %d)\n", name,
                measured, model, (measured - model) / model * 100.0, r.wallSeconds, r.failures);
    if (!virtualClock)
        std::printf(
            "%-28s per request: result %.0f us after the silence, next request %.0f us later\n", "",
            r.resultLateUs, r.sendLateUs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int count = 448;
    const int at = int(args.indexOf(QStringLiteral("--requests")));
    if (at > 0 && at + 1 < args.size()) count = qBound(1, args[at + 1].toInt(), 448);
    const QStringList requests = transferRequests(count);
    const double model = modelSeconds(requests);
    std::printf("%d requests at 38400,E,8,1\n", int(requests.size()));

    {
        auto clock = std::make_shared<VirtualClock>();
        auto bus = std::make_shared<SimBus>(clock);
        bus->addUnit(0, line38400());
        PortMap map;
        installSimulatedBus(map, bus);
        map.setDevice(TPort::COM1, QStringLiteral("sim"));
        report("SimDriver, virtual clock", transfer(map, *bus, requests), model, true);
    }
    if (!args.contains(QStringLiteral("--skip-real"))) {
        auto clock = std::make_shared<RealClock>();
        auto bus = std::make_shared<SimBus>(clock);
        bus->addUnit(0, line38400());
        PortMap map;
        installSimulatedBus(map, bus);
        map.setDevice(TPort::COM1, QStringLiteral("sim"));
        report("SimDriver, real clock", transfer(map, *bus, requests), model, false);
    }
    if (!args.contains(QStringLiteral("--skip-pty"))) {
        auto clock = std::make_shared<RealClock>();
        auto bus = std::make_shared<SimBus>(clock);
        bus->addUnit(0, line38400());
        PtyServer server(bus);
        QString error;
        if (!server.open(&error)) {
            std::printf("pty: %s\n", qPrintable(error));
            return 1;
        }
        server.start();
        PortMap map;
        map.setDevice(TPort::COM1, server.slavePath());
        report("PtyServer + POSIX driver", transfer(map, *bus, requests), model, false);
        server.stop();
    }
    return 0;
}
