// net_bench: a whole-unit backup (448 requests at 38400,E,8,1) of a bus
// behind a serial device server: mx5x-sim on a pty behind Debian's ser2net
// on 127.0.0.1, reached through the port value SCHEME://127.0.0.1:PORT.
//
//   net_bench SCHEME [--runs N] [--part ser2net|delay|buses] [--framing silence|fast]
//
// SCHEME is a port value scheme ser2net has an accepter for here (tcp,
// rfc2217).  Each part runs with silence framing and with fast framing, or
// with the one --framing names:
//
//   ser2net  the transfer engine in this process, straight to ser2net,
//            against the line's floor (bench/BackupRun.h); ser2net as it
//            comes, with "chardelay: false", and with that and the accepter
//            tcp(nodelay);
//   delay    straight to ser2net and through netdelay adding 2 ms each way,
//            against the floor plus 448 round trips of the network (4 ms
//            each), and what the network added to each request;
//   buses    four buses, each a mx5x-sim behind its own ser2net, backed up at
//            once by one kqm52ctl with four --port options (a worker a bus),
//            against the slowest of the four backed up alone (each the best
//            of the runs).
//
// What ser2net adds shows in the ratio: as it comes it passes a reply on
// only once its line has been quiet for a while (chardelay); without that
// wait every byte is a packet, and a TCP that waits for the acknowledgement
// of one before it sends the next (no nodelay) stalls on the client's
// delayed acknowledgement.  The four buses use ser2net as it comes; netdelay
// sits in front of one set up as the README says.

#include "BackupRun.h"
#include "model/files/BackupFile.h"
#include "support/Ser2netServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <memory>

using namespace kqm52;
using namespace kqm52::bench;

namespace {

constexpr int DelayMs = 2; // each way
constexpr int Buses = 4;

QString beside(const char* program) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(program));
}

bool startServer(test::Ser2netServer& server, const test::Ser2netSetup& setup = {}) {
    if (server.start(beside("mx5x-sim"),
                     {QStringLiteral("--unit"), QStringLiteral("0:38400,E,8,1")}, setup))
        return true;
    std::printf("ser2net did not come up: %s\n", qPrintable(server.error()));
    return false;
}

const char* framingName(bool fast) {
    return fast ? "fast" : "silence";
}

// The best of the runs against the floor plus `perRequest` seconds a request.
void report(const char* part, bool fast, const std::vector<BackupResult>& runs,
            double perRequest = 0) {
    const BackupResult b = best(runs);
    const double floor = b.floor + BackupRequests * perRequest;
    std::printf("%-8s %-8s %8.3f s  %s %8.3f s  ratio %.4f  (worst %.3f s, %d failed)\n", part,
                framingName(fast), b.seconds, perRequest > 0 ? "floor+RTT" : "floor    ", floor,
                b.seconds / floor, worstSeconds(runs), failures(runs));
    std::fflush(stdout);
}

std::vector<BackupResult> backups(const QString& address, bool fast, int runs) {
    PortMap map;
    map.setDevice(TPort::COM1, address);
    std::vector<BackupResult> results;
    for (int i = 0; i < runs; ++i)
        results.push_back(runBackup(map, fast));
    return results;
}

// ser2net as it comes; with its wait for a quiet line before it passes a
// reply on switched off, so that each byte goes out in a packet of its own;
// and with that and its TCP sending each packet at once.
bool throughSer2net(const QString& scheme, const std::vector<bool>& framings, int runs) {
    const QStringList noWait{QStringLiteral("chardelay: false")};
    const std::pair<const char*, test::Ser2netSetup> setups[] = {
        {"as it comes", {}},
        {"chardelay: false", {noWait}},
        {"chardelay: false, accepter tcp(nodelay)", {noWait, true}},
    };
    for (const auto& [name, setup] : setups) {
        test::Ser2netServer server;
        if (!startServer(server, setup)) return false;
        std::printf("ser2net %s\n", name);
        for (const bool fast : framings)
            report("ser2net", fast, backups(server.address(scheme), fast, runs));
    }
    return true;
}

// Straight to ser2net and through netdelay in turn, on the same server:
// what the network added to each request against its round trip.  The
// server is set up as the README says (no wait for a quiet line, each packet
// sent at once), so that what is measured is the network's and the
// program's, not ser2net's own wait, which is the same with or without a
// network between.
bool throughDelay(const QString& scheme, const std::vector<bool>& framings, int runs) {
    test::Ser2netServer server;
    if (!startServer(server, {{QStringLiteral("chardelay: false")}, true})) return false;
    test::NetDelay delay;
    if (!delay.start(beside("netdelay"), server.port(scheme),
                     {QStringLiteral("--delay-ms"), QString::number(DelayMs)})) {
        std::printf("%s\n", qPrintable(delay.error()));
        return false;
    }
    const double roundTrip = 2 * DelayMs / 1000.0;
    for (const bool fast : framings) {
        const std::vector<BackupResult> direct = backups(server.address(scheme), fast, runs);
        const std::vector<BackupResult> delayed = backups(delay.address(scheme), fast, runs);
        report("direct", fast, direct);
        report("delay", fast, delayed, roundTrip);
        std::printf("delay    %-8s %.2f ms a request more than direct (round trip %.0f ms)\n",
                    framingName(fast),
                    (best(delayed).seconds - best(direct).seconds) * 1000 / BackupRequests,
                    roundTrip * 1000);
    }
    return true;
}

// One kqm52ctl backup of these buses: one bus into a file, several at once
// (one --port each) into a folder.  The seconds the run took, or -1 when it
// failed; with one bus, the floor of its backup.
double ctlBackup(const std::vector<QString>& addresses, bool fast, const QTemporaryDir& dir,
                 double& floor) {
    const bool one = addresses.size() == 1;
    const QString target = dir.filePath(one ? QStringLiteral("bus.bak") : QStringLiteral("all"));
    QStringList args{QStringLiteral("backup"),
                     target,
                     QStringLiteral("--lang"),
                     QStringLiteral("1"),
                     QStringLiteral("--quiet"),
                     QStringLiteral("--journal"),
                     dir.filePath(QStringLiteral("journal.sqlite"))};
    for (const QString& address : addresses)
        args << QStringLiteral("--port") << address;
    if (fast) args << QStringLiteral("--fast");
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    p.start(beside("kqm52ctl"), args);
    const bool ok =
        p.waitForFinished(300000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (one) {
        const auto read = BackupFile::read(target);
        floor = read.ok() ? floorSeconds(*read.tables, !fast) : 0;
    }
    return ok ? seconds : -1;
}

bool fourBuses(const QString& scheme, const std::vector<bool>& framings, int runs) {
    std::array<test::Ser2netServer, Buses> servers;
    std::vector<QString> addresses;
    for (auto& server : servers) {
        if (!startServer(server)) return false;
        addresses.push_back(server.address(scheme));
    }
    QTemporaryDir dir;
    for (const bool fast : framings) {
        // Each bus alone, the best of the runs, then all at once.
        double floor = 0, slowest = 0;
        bool failed = false;
        std::printf("buses    %-8s alone:", framingName(fast));
        for (const QString& address : addresses) {
            double s = 1e9;
            for (int i = 0; i < runs; ++i) {
                const double run = ctlBackup({address}, fast, dir, floor);
                failed |= run < 0;
                s = std::min(s, run);
            }
            std::printf(" %.3f", s);
            slowest = std::max(slowest, s);
        }
        std::printf(" s (floor %.3f s)\n", floor);
        double all = 1e9;
        for (int i = 0; i < runs; ++i) {
            const double run = ctlBackup(addresses, fast, dir, floor);
            failed |= run < 0;
            if (run > 0) all = std::min(all, run);
        }
        std::printf("buses    %-8s %d at once in one kqm52ctl: %.3f s  slowest alone %.3f s  "
                    "ratio %.4f%s\n",
                    framingName(fast), Buses, all, slowest, all / slowest,
                    failed ? "  (a backup failed)" : "");
        std::fflush(stdout);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char* name) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args[at + 1] : QString();
    };
    if (args.size() < 2 || args[1].startsWith(QLatin1Char('-')) ||
        test::Ser2netServer::accepter(args[1]).isEmpty()) {
        std::fprintf(stderr, "usage: net_bench tcp|rfc2217 [--runs N] [--part ser2net|delay|buses]"
                             " [--framing silence|fast]\n");
        return 2;
    }
    if (!test::ser2netInstalled()) {
        std::printf("%s is not installed (scripts/setup.sh installs it)\n",
                    qPrintable(test::Ser2netProgram));
        return 1;
    }
    const QString scheme = args[1];
    const int runs = qBound(1, option("--runs").isEmpty() ? 1 : option("--runs").toInt(), 20);
    const QString part = option("--part");
    std::vector<bool> framings{false, true};
    if (option("--framing") == QLatin1String("silence")) framings = {false};
    if (option("--framing") == QLatin1String("fast")) framings = {true};

    std::printf("whole-unit backup over %s:// through ser2net, %d requests at 38400,E,8,1, "
                "best of %d\n",
                qPrintable(scheme), BackupRequests, runs);
    bool ok = true;
    if (part.isEmpty() || part == QLatin1String("ser2net"))
        ok &= throughSer2net(scheme, framings, runs);
    if (part.isEmpty() || part == QLatin1String("delay")) {
        std::printf("through netdelay, %d ms each way: floor + %d x %d ms\n", DelayMs,
                    BackupRequests, 2 * DelayMs);
        ok &= throughDelay(scheme, framings, runs);
    }
    if (part.isEmpty() || part == QLatin1String("buses")) {
        std::printf("%d buses, each behind its own ser2net, backed up by one kqm52ctl\n", Buses);
        ok &= fourBuses(scheme, framings, runs);
    }
    return ok ? 0 : 1;
}
