// backup_bench: a whole-unit backup (rp 0 … rp 399, rs 1 … rs 48, the
// receive window's mode 3) at 38400 bit/s 8E1 through the transfer engine,
// timed on the real clock, against the line's floor for it: per request the
// request's and the reply's line time and the unit's turnaround, plus the
// 50 ms of silence that ends each reply unless fast framing ends it at its
// line end.
//
//   backup_bench [--runs N] [--skip-pty]
//
// Two lines, each with silence and then with fast framing: the simulated bus
// in this process (SimDriver) and mx5x-sim on a pty through the POSIX driver.
// The ratio to the floor is what the program and the machine add.

#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/engines/TableTransfer.h"
#include "model/texts/LanguageTexts.h"
#include "sim/SimDriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kqm52;

namespace {

constexpr SimNanos Turnaround = simMs(2); // the simulator's default

LineState line38400() {
    return {.baud = 38400, .dataBits = 8, .parity = DriverParity::Even, .stopBits = 1};
}

// The floor of a backup that read these tables: every request and reply as
// the unit sends them ("rp 17 -350" and CR LF), the turnaround and, with
// silence framing, the 50 ms after each reply.
double floorSeconds(const UnitTables& tables, bool silence) {
    const LineState l = line38400();
    SimNanos t = 0;
    const auto add = [&](const QString& request, qint32 value) {
        const qsizetype reply = request.size() + 1 + QString::number(value).size() + 2;
        t += simLineTime(l, int(request.size()) + 1) + Turnaround + simLineTime(l, int(reply)) +
             (silence ? simMs(InterByteTimeoutMs) : 0);
    };
    for (int p = 0; p < ParamTables::ParameterCount; ++p)
        add(unit::readParameter(p), tables.parameters[std::size_t(p)]);
    for (int s = 1; s <= ParamTables::SetpointCount; ++s)
        add(unit::readSetpoint(s), tables.setpoints[std::size_t(s - 1)]);
    return double(t) / 1e9;
}

struct Result {
    double seconds = 0;
    double floor = 0;
    bool ok = false;
};

Result backup(PortMap& map, bool fast) {
    TZRComm port;
    port.setPortMap(&map);
    port.SetBaudrate(TBaudrate::br38400);
    port.SetFrameParitybit(TParityBit::Even);
    port.SetFastFraming(fast);
    port.SetActive(true);
    Result r;
    {
        const LanguageTexts noTexts; // no panel is read here
        TableTransfer transfer(port, TableTransfer::Direction::Receive, noTexts);
        transfer.setMode(TableTransfer::Mode::Device);
        QElapsedTimer wall;
        wall.start();
        transfer.start();
        while (transfer.status() == TableTransfer::Status::Running)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        r.seconds = double(wall.nsecsElapsed()) / 1e9;
        r.ok = transfer.status() == TableTransfer::Status::Done;
        r.floor = floorSeconds(transfer.tables, !fast);
        if (port.fastFramingSuspended()) std::printf("  (fast framing fell back to silence)\n");
    }
    port.SetActive(false);
    return r;
}

void report(const char* line, const char* framing, const std::vector<Result>& runs) {
    // The best run: the machine is shared, and the floor is what it could do.
    const Result best =
        *std::min_element(runs.begin(), runs.end(),
                          [](const Result& a, const Result& b) { return a.seconds < b.seconds; });
    int failed = 0;
    for (const Result& r : runs)
        failed += r.ok ? 0 : 1;
    std::printf(
        "%-10s %-8s %8.3f s  floor %8.3f s  ratio %.4f  (worst %.3f s, %d failed)\n", line, framing,
        best.seconds, best.floor, best.seconds / best.floor,
        std::max_element(runs.begin(), runs.end(),
                         [](const Result& a, const Result& b) { return a.seconds < b.seconds; })
            ->seconds,
        failed);
    std::fflush(stdout);
}

std::pair<double, double> both(const char* line, PortMap& map, int runs) {
    double silence = 0, fast = 0;
    for (bool f : {false, true}) {
        std::vector<Result> results;
        for (int i = 0; i < runs; ++i)
            results.push_back(backup(map, f));
        report(line, f ? "fast" : "silence", results);
        const double best =
            std::min_element(results.begin(), results.end(), [](const Result& a, const Result& b) {
                return a.seconds < b.seconds;
            })->seconds;
        (f ? fast : silence) = best;
    }
    std::printf("%-10s fast framing is %.2fx faster\n", line, silence / fast);
    return {silence, fast};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int runs = 3;
    const int at = int(args.indexOf(QStringLiteral("--runs")));
    if (at > 0 && at + 1 < args.size()) runs = qBound(1, args[at + 1].toInt(), 20);
    std::printf("whole-unit backup, 448 requests at 38400,E,8,1, best of %d\n", runs);

    {
        auto bus = std::make_shared<SimBus>(std::make_shared<RealClock>());
        bus->addUnit(0, line38400());
        PortMap map;
        installSimulatedBus(map, bus);
        map.setDevice(TPort::COM1, QStringLiteral("sim"));
        both("SimDriver", map, runs);
    }
    if (!args.contains(QStringLiteral("--skip-pty"))) {
        QProcess sim;
        sim.setProgram(QDir(QCoreApplication::applicationDirPath()).filePath("mx5x-sim"));
        sim.setArguments({QStringLiteral("--unit"), QStringLiteral("0:38400,E,8,1")});
        sim.start();
        if (!sim.waitForReadyRead(10000)) {
            std::printf("mx5x-sim did not start: %s\n", qPrintable(sim.errorString()));
            return 1;
        }
        const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
        PortMap map;
        map.setDevice(TPort::COM1, pty);
        both("mx5x-sim", map, runs);
        sim.terminate();
        sim.waitForFinished(5000);
    }
    return 0;
}
