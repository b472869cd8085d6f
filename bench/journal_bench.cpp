// journal_bench: what the service journal costs and how it holds up.
//
//   journal_bench [--data DIR] [--entries N] [--part send|ctl|writers]
//
// 1. send: a whole-table parameter send (400 "wp", "bp") on the simulated
//    bus at 38400 bit/s 8E1, with the journal off and on, on the virtual
//    clock (the line's own time: the journal must add none) and on the real
//    clock with fast framing (what the program and machine add).  Each the
//    best of three.  Target: on ≤ 1 % slower than off.
// 2. ctl: `kqm52ctl journal --serial S` over a journal of N entries (100 000
//    by default) with 15 items each, as a process, best of five.  Target
//    < 200 ms.  (journal_window_bench times the Journal window on the same.)
// 3. writers: eight kqm52ctl processes, each writing 50 values to its own
//    simulated unit into one journal at once.  Target: 400 item rows, none
//    lost.

#include "JournalFill.h"
#include "link/ZRComm.h"
#include "model/engines/TableTransfer.h"
#include "model/journal/JournalStore.h"
#include "model/journal/ServiceJournal.h"
#include "model/texts/LanguageTexts.h"
#include "sim/SimCatalogue.h"
#include "sim/SimDriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace kqm52;

namespace {

QString beside(const char* program) {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(program);
}

// One whole-table send; the seconds it took on the bus's clock.
double sendOnce(const QString& dataDir, bool realClock, bool journalOn, const QString& journal) {
    std::shared_ptr<SimClock> clock;
    if (realClock)
        clock = std::make_shared<RealClock>();
    else
        clock = std::make_shared<VirtualClock>();
    auto bus = std::make_shared<SimBus>(clock);
    bus->addUnit(0, {.baud = 38400, .dataBits = 8, .parity = DriverParity::Even, .stopBits = 1},
                 SimCatalogue::fromProgramDir(dataDir));
    TZRComm port;
    PortMap map;
    installSimulatedBus(map, bus);
    map.setDevice(TPort::COM1, QStringLiteral("sim"));
    port.setPortMap(&map);
    port.SetBaudrate(TBaudrate::br38400);
    port.SetFrameParitybit(TParityBit::Even);
    port.SetFastFraming(realClock);
    port.SetActive(true);
    std::unique_ptr<ServiceJournal> record;
    if (journalOn)
        record = std::make_unique<ServiceJournal>(
            port, journal, ServiceJournal::Origin{.program = "journal_bench"});
    ParamTables::Parameters table{};
    bus->withUnit(0, [&](SimUnit& u) {
        for (int p = 0; p < ParamTables::ParameterCount; ++p)
            table[std::size_t(p)] = u.parameter(p);
    });
    const LanguageTexts noTexts;
    TableTransfer t(port, TableTransfer::Direction::Send, noTexts);
    t.setMode(TableTransfer::Mode::Parameters);
    t.tables.parameters = table;
    const SimNanos start = clock->now();
    t.start();
    while (t.status() != TableTransfer::Status::Done &&
           t.status() != TableTransfer::Status::Stopped)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double seconds = double(clock->now() - start) / 1e9;
    const bool ok = t.status() == TableTransfer::Status::Done;
    if (record && !record->sync())
        std::printf("  journal failed: %s\n", qPrintable(record->problem()));
    port.SetActive(false);
    return ok ? seconds : -1;
}

void sendPart(const QString& dataDir, const QTemporaryDir& dir) {
    std::printf("whole-table parameter send at 38400,E,8,1, best of 3\n");
    for (const bool real : {false, true}) {
        double best[2] = {1e9, 1e9};
        for (int run = 0; run < 3; ++run)
            for (const bool on : {false, true}) {
                const double s = sendOnce(dataDir, real, on, dir.filePath("send.sqlite"));
                if (s > 0) best[on] = std::min(best[on], s);
            }
        std::printf("  %-28s off %.3f s  on %.3f s  on/off %.4f (target <= 1.01)\n",
                    real ? "real clock, fast framing:" : "virtual clock, silence:", best[0],
                    best[1], best[1] / best[0]);
    }
}

void ctlPart(const QTemporaryDir& dir, int entries) {
    const QString path = dir.filePath("big.sqlite");
    QElapsedTimer made;
    made.start();
    if (!bench::fillJournal(path, entries)) return;
    std::printf("a journal of %d entries, %d item rows, made in %.1f s (%.0f MB)\n", entries,
                entries * bench::ItemsPerEntry, made.elapsed() / 1000.0,
                QFileInfo(path).size() / 1e6);
    double best = 1e9;
    int lines = 0;
    for (int run = 0; run < 5; ++run) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(beside("kqm52ctl"),
                {"journal", "--serial", "520042", "--journal", path, "--lang", "1"});
        p.waitForFinished(60000);
        best = std::min(best, t.elapsed() / 1000.0);
        lines = int(p.readAllStandardOutput().count('\n'));
    }
    std::printf("  kqm52ctl journal --serial S: %.0f ms for %d lines (target < 200 ms)\n",
                best * 1000, lines);
}

void writersPart(const QTemporaryDir& dir) {
    const QString path = dir.filePath("eight.sqlite");
    QStringList values;
    for (int p = 100; p < 150; ++p) // cam directions: 0 is always a value they take
        values << QStringLiteral("%1=0").arg(p);
    std::vector<std::unique_ptr<QProcess>> runs;
    QElapsedTimer t;
    t.start();
    for (int w = 0; w < 8; ++w) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(beside("kqm52ctl"),
                 QStringList{"set"} + values +
                     QStringList{"--port", "sim", "--quiet", "--journal", path, "--lang", "1"});
        runs.push_back(std::move(p));
    }
    int failed = 0;
    for (auto& p : runs)
        if (!p->waitForFinished(120000) || p->exitCode() != 0) ++failed;
    JournalStore store;
    int entries = 0, rows = 0;
    if (store.openForReading(path))
        for (const JournalEntry& e : store.find({})) {
            ++entries;
            rows += e.itemCount;
        }
    std::printf("eight kqm52ctl set runs of 50 values into one journal at once: %.1f s, "
                "%d runs failed, %d entries, %d item rows (target 8 and 400)\n",
                t.elapsed() / 1000.0, failed, entries, rows);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString dataDir = QDir(QCoreApplication::applicationDirPath()).absolutePath() + '/';
    if (const int at = int(args.indexOf(QStringLiteral("--data"))); at > 0 && at + 1 < args.size())
        dataDir = QDir(args[at + 1]).absolutePath() + '/';
    int entries = 100000;
    if (const int at = int(args.indexOf(QStringLiteral("--entries")));
        at > 0 && at + 1 < args.size())
        entries = args[at + 1].toInt();
    QString part;
    if (const int at = int(args.indexOf(QStringLiteral("--part"))); at > 0 && at + 1 < args.size())
        part = args[at + 1];
    QTemporaryDir dir;
    if (part.isEmpty() || part == QLatin1String("send")) sendPart(dataDir, dir);
    if (part.isEmpty() || part == QLatin1String("ctl")) ctlPart(dir, entries);
    if (part.isEmpty() || part == QLatin1String("writers")) writersPart(dir);
    return 0;
}
