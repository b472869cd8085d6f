// ctl_bench: what the command-line tool and the compare window cost on the
// line, on the simulated bus at 38400 bit/s 8E1 with the virtual clock, so
// the figures are the line's own and not the machine's.
//
//   ctl_bench [--data DIR] [--real]
//
// The virtual clock counts the line alone; --real runs the bus on the real
// clock (about a minute), where what the program and the machine add shows
// in the ratio to the floor.
//
// 1. `kqm52ctl backup` of one unit with silence framing and with --fast,
//    each against its floor: every request and reply that went over the line
//    (taken from the bus trace), the unit's turnaround per reply and, with
//    silence framing, the 50 ms after each reply.
// 2. Five changed parameters written through the compare window's logic
//    ("wp" each, then "bp") against sending the whole table (400 "wp", "bp").
//
// Targets: backup within 3 % of its floor; fast at least 5 times faster than
// silence; the five at least 50 times faster than the whole table.

#include "ctl/CtlRun.h"
#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/engines/TableTransfer.h"
#include "model/texts/LanguageTexts.h"
#include "model/values/GroupTree.h"
#include "params/CompareParamLogic.h"
#include "sim/SimCatalogue.h"
#include "sim/SimDriver.h"
#include "sim/SimLine.h"
#include "ui/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <mutex>

using namespace kqm52;

namespace {

constexpr SimNanos Turnaround = simMs(2); // the simulator's default

LineState line38400() {
    return {.baud = 38400, .dataBits = 8, .parity = DriverParity::Even, .stopBits = 1};
}

// The floor of whatever went over the line, gathered from the bus trace.
class LineFloor {
  public:
    void attach(SimBus& bus) {
        bus.setTrace([this](SimNanos, bool fromHost, int, const LineState& l, const QByteArray& b) {
            std::lock_guard lock(mutex_);
            // A request line is traced without its CR; it went over the line all the same.
            line_ += simLineTime(l, b.size() + (fromHost ? 1 : 0));
            if (fromHost)
                ++requests_;
            else
                ++replies_;
        });
    }
    void clear() {
        std::lock_guard lock(mutex_);
        line_ = 0;
        requests_ = replies_ = 0;
    }
    double seconds(bool silence) const {
        std::lock_guard lock(mutex_);
        const SimNanos perReply = Turnaround + (silence ? simMs(InterByteTimeoutMs) : 0);
        return double(line_ + replies_ * perReply) / 1e9;
    }
    int requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

  private:
    mutable std::mutex mutex_;
    SimNanos line_ = 0;
    int requests_ = 0;
    int replies_ = 0;
};

struct Timed {
    double line = 0; // seconds on the bus's virtual clock
    double wall = 0; // seconds on the machine
    double floor = 0;
    int requests = 0;
    bool ok = false;
};

template <class F> Timed timed(SimBus& bus, LineFloor& floor, bool silence, F&& job) {
    floor.clear();
    const SimNanos start = bus.clock()->now();
    QElapsedTimer wall;
    wall.start();
    Timed t;
    t.ok = job();
    t.wall = double(wall.nsecsElapsed()) / 1e9;
    t.line = double(bus.clock()->now() - start) / 1e9;
    t.floor = floor.seconds(silence);
    t.requests = floor.requests();
    return t;
}

void print(const char* what, const Timed& t) {
    std::printf("%-28s %5d requests  line %8.3f s  floor %8.3f s  ratio %.4f  wall %.3f s%s\n",
                what, t.requests, t.line, t.floor, t.line / t.floor, t.wall,
                t.ok ? "" : "  FAILED");
}

bool runUntilRest(TableTransfer& t) {
    t.start();
    while (t.status() == TableTransfer::Status::Running ||
           t.status() == TableTransfer::Status::Computing)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const bool done = t.status() == TableTransfer::Status::Done && !t.computeFailed();
    if (t.status() == TableTransfer::Status::Done) t.ok();
    return done;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString dataDir = QDir(QCoreApplication::applicationDirPath()).absolutePath() + '/';
    if (const int at = int(args.indexOf(QStringLiteral("--data"))); at > 0 && at + 1 < args.size())
        dataDir = QDir(args[at + 1]).absolutePath() + '/';

    const bool real = args.contains(QStringLiteral("--real"));
    std::shared_ptr<SimClock> clock;
    if (real)
        clock = std::make_shared<RealClock>();
    else
        clock = std::make_shared<VirtualClock>();
    auto bus = std::make_shared<SimBus>(clock);
    bus->addUnit(0, line38400(), SimCatalogue::fromProgramDir(dataDir));
    LineFloor floor;
    floor.attach(*bus);
    QTemporaryDir tmp;

    std::printf("one unit on the simulated bus at 38400,E,8,1 (%s clock)\n",
                real ? "real" : "virtual");
    // 1. kqm52ctl backup, silence and fast framing.
    Timed backups[2];
    for (const bool fast : {false, true}) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        ctl::CtlContext context;
        context.folders = ProgramFolders::portable(dataDir);
        context.journalPath = tmp.filePath(QStringLiteral("journal.sqlite"));
        context.simBus = bus;
        context.out = &outStream;
        context.err = &errStream;
        context.readLine = [] { return QString(); };
        QStringList command = {QStringLiteral("--port"), QStringLiteral("sim"),
                               QStringLiteral("--quiet"), QStringLiteral("backup"),
                               tmp.filePath(fast ? "fast.bak" : "silence.bak")};
        if (fast) command.prepend(QStringLiteral("--fast"));
        Timed& t = backups[fast ? 1 : 0];
        t = timed(*bus, floor, !fast, [&] { return ctl::runCtl(command, context) == 0; });
        print(fast ? "kqm52ctl --fast backup" : "kqm52ctl backup", t);
        if (!t.ok) std::printf("%s", qPrintable(err));
    }
    std::printf("fast framing is %.2fx faster (target >= 5)\n\n",
                backups[0].line / backups[1].line);

    // 2. Five changed parameters through the compare logic against the whole
    // table through the send engine.  Cams stay off, so the unit recomputes
    // without complaint.
    TZRComm port;
    PortMap map;
    installSimulatedBus(map, bus);
    map.setDevice(TPort::COM1, QStringLiteral("sim"));
    port.setPortMap(&map);
    port.SetBaudrate(TBaudrate::br38400);
    port.SetFrameParitybit(TParityBit::Even);
    port.SetActive(true);

    ProgramState state(dataDir);
    state.settings.LanguageNo = 1;
    state.catalogue.ParameterDef_lezen(dataDir);
    state.catalogue.ParamNo_lezen(dataDir);
    ParamTables::Parameters unit{};
    bus->withUnit(0, [&](SimUnit& u) {
        for (int p = 0; p < ParamTables::ParameterCount; ++p)
            unit[std::size_t(p)] = u.parameter(p);
    });
    ParamTables::Parameters table = unit;
    for (const int p : {7, 8, 9, 10, 11})
        table[std::size_t(p)] += 100;
    state.tables.replaceParameters(table, ParameterSource::File);

    const Timed all = timed(*bus, floor, true, [&] {
        const LanguageTexts noTexts; // no panel is read here
        TableTransfer t(port, TableTransfer::Direction::Send, noTexts);
        t.setMode(TableTransfer::Mode::Parameters);
        t.tables.parameters = table;
        return runUntilRest(t);
    });
    // The unit holds the table now: put its old values back for the five.
    bus->withUnit(0, [&](SimUnit& u) {
        for (int p = 0; p < ParamTables::ParameterCount; ++p)
            u.forceParameter(p, unit[std::size_t(p)]);
    });
    ScriptedDialogs dialogs;
    CompareParamLogic compare(state, dialogs);
    compare.compare(unit, GroupTree{});
    bool fiveOk = false;
    compare.hooks.write = [&](const ParamTables::Parameters& values,
                              const std::vector<int>& numbers) {
        const LanguageTexts noTexts; // no panel is read here
        TableTransfer t(port, TableTransfer::Direction::Send, noTexts);
        t.setMode(TableTransfer::Mode::Parameters);
        t.tables.parameters = values;
        t.setParameterSubset(numbers);
        fiveOk = runUntilRest(t);
        return t.sendReport();
    };
    const Timed five = timed(*bus, floor, true, [&] {
        compare.CmdWriteClick();
        return fiveOk && compare.rows().size() == 5;
    });
    print("send all 400 parameters", all);
    print("write the 5 that differ", five);
    std::printf("writing only the differences is %.1fx faster (target >= 50)\n",
                all.line / five.line);
    port.SetActive(false);
    return backups[0].ok && backups[1].ok && all.ok && five.ok ? 0 : 1;
}
