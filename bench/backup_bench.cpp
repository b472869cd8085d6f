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

#include "BackupRun.h"
#include "sim/SimDriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kqm52;
using namespace kqm52::bench;

namespace {

void report(const char* line, const char* framing, const std::vector<BackupResult>& runs) {
    const BackupResult b = best(runs);
    std::printf("%-10s %-8s %8.3f s  floor %8.3f s  ratio %.4f  (worst %.3f s, %d failed)\n", line,
                framing, b.seconds, b.floor, b.seconds / b.floor, worstSeconds(runs),
                failures(runs));
    std::fflush(stdout);
}

std::pair<double, double> both(const char* line, PortMap& map, int runs) {
    double silence = 0, fast = 0;
    for (bool f : {false, true}) {
        std::vector<BackupResult> results;
        for (int i = 0; i < runs; ++i)
            results.push_back(runBackup(map, f));
        report(line, f ? "fast" : "silence", results);
        (f ? fast : silence) = best(results).seconds;
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
