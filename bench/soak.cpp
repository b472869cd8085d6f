// Soak run: the main window and the log graph offscreen on the simulated demo
// bus for --minutes N, with every live group on, the error poll, a graph run
// restarted every few minutes, and the simulated unit misbehaving at random
// (no answer, late, garbled, the converter gone and back).  Once a minute it
// samples resident memory, open descriptors and threads; at the end it prints
// their slopes per hour, the worst time a posted event waited for the user
// interface thread, and whether the link was serving again after the last
// fault.  Exits non-zero when the link did not recover or the window stuck.

#include "DemoMainWindow.h"

#include "model/engines/TableTransfer.h"
#include "model/files/BackupFile.h"
#include "model/texts/LanguageTexts.h"
#include "shell/LiveMonitor.h"
#include "tools/FormGrafiek.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <random>
#include <unistd.h>
#include <vector>

using namespace kqm52;

namespace {

struct Sample {
    double minute = 0;
    double rssKb = 0;
    double fds = 0;
    double threads = 0;
    double heapKb = 0; // bytes the allocator has handed out and not had back
};

Sample sampleProcess(double minute) {
    // Free memory the allocator still holds would read as growth in RSS.
    malloc_trim(0);
    Sample s;
    s.minute = minute;
    s.heapKb = double(mallinfo2().uordblks) / 1024.0;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                s.rssKb = line.mid(6).trimmed().split(' ').value(0).toDouble();
            else if (line.startsWith("Threads:"))
                s.threads = line.mid(8).trimmed().toDouble();
        }
    s.fds =
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size();
    return s;
}

// Least-squares slope of y over minutes, scaled to one hour.
double slopePerHour(const std::vector<Sample>& samples, double Sample::*y) {
    const double n = double(samples.size());
    if (n < 2) return 0;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Sample& s : samples) {
        sx += s.minute;
        sy += s.*y;
        sxx += s.minute * s.minute;
        sxy += s.minute * (s.*y);
    }
    const double d = n * sxx - sx * sx;
    return d == 0 ? 0 : 60.0 * (n * sxy - sx * sy) / d;
}

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int minutes = 10;
    unsigned seed = 52;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--minutes"))
            minutes = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--seed"))
            seed = unsigned(std::atoi(argv[i + 1]));
        else {
            std::fprintf(stderr, "usage: soak [--minutes N] [--seed S]\n");
            return 2;
        }
    }

    DemoMainWindow demo;
    ProgramState& state = demo.state;
    ScriptedDialogs& dialogs = demo.dialogs;
    TFormMain& window = demo.window;
    const auto& bus = demo.bus;
    TFormGrafiek graph(state, demo.port, dialogs, &window);
    window.show();

    // Every good reply of the position panel counts as the link serving.
    LiveMonitor& m = window.liveMonitor();
    long served = 0;
    {
        auto inner = m.RQ500ActPos.OnCommResult;
        m.RQ500ActPos.OnCommResult = [&served, inner](TZRProtocolComponent* s,
                                                      const QByteArray& r) {
            ++served;
            inner(s, r);
        };
    }
    auto* select = window.findChild<QPushButton*>(QStringLiteral("CmdSelectUnit"));
    // Back online with every group on, as an engineer would after a fault.
    const auto bringUp = [&] {
        if (!demo.port.Active()) {
            select->click();
            wait(500);
        }
        if (!demo.port.Active()) return;
        if (!state.monitor.ActualOn) window.findChild<QPushButton*>("CmdActual")->click();
        if (!state.monitor.IoOn) window.findChild<QPushButton*>("CmdInUit")->click();
        if (!state.monitor.ThumbwheelOn) window.findChild<QPushButton*>("CmdDuimwiel")->click();
    };
    const auto restartGraph = [&] {
        if (graph.logic().logging()) graph.CmdStopLogClick();
        if (!graph.isVisible()) graph.show();
        graph.FormActivate();
        graph.CmdStartLogClick();
    };
    // A whole-unit backup as the Communicatie menu makes one: the live groups
    // off, 448 reads, the file written, the groups on again.  The graph is
    // modal in the program, so no graph run shares the line with a backup.
    int backupsDone = 0, backupsStopped = 0;
    QString lastBackupStop;
    const QString backupPath = demo.dir.filePath(QStringLiteral("soak.bak"));
    const auto backup = [&] {
        const std::pair<const char*, bool> groups[] = {{"CmdActual", state.monitor.ActualOn},
                                                       {"CmdInUit", state.monitor.IoOn},
                                                       {"CmdDuimwiel", state.monitor.ThumbwheelOn}};
        for (const auto& [button, on] : groups)
            if (on) window.findChild<QPushButton*>(QString::fromLatin1(button))->click();
        const bool graphWasLogging = graph.logic().logging();
        if (graphWasLogging) graph.CmdStopLogClick();
        const LanguageTexts noTexts; // no panel is read here
        TableTransfer transfer(demo.port, TableTransfer::Direction::Receive, noTexts);
        transfer.setMode(TableTransfer::Mode::Device);
        transfer.start();
        while (transfer.status() == TableTransfer::Status::Running)
            wait(200);
        if (transfer.status() == TableTransfer::Status::Done &&
            BackupFile::write(backupPath, transfer.tables).isEmpty())
            ++backupsDone;
        else {
            ++backupsStopped;
            lastBackupStop = QStringLiteral("stopped at %1, reason %2, link error %3")
                                 .arg(transfer.failedItem())
                                 .arg(int(transfer.stopReason()))
                                 .arg(transfer.commError().Code);
        }
        transfer.cancel();
        if (graphWasLogging) graph.CmdStartLogClick();
        bringUp();
    };
    bringUp();
    restartGraph();

    // Faults: one at a time, for 2 to 6 s, every 5 to 20 s.
    std::mt19937 rng(seed);
    int faultCount[4] = {};
    bool faultOn = false;
    QTimer faults;
    faults.setSingleShot(true);
    const auto scheduleFault = [&] { faults.start(int(5000 + rng() % 15000)); };
    QObject::connect(&faults, &QTimer::timeout, [&] {
        const int kind = int(rng() % 4);
        ++faultCount[kind];
        faultOn = true;
        if (kind == 3) {
            bus->setPlugged(false);
        } else {
            SimFaults f;
            if (kind == 0) f.noAnswer = true;
            if (kind == 1) f.lateMs = 150 + int(rng() % 300);
            if (kind == 2) f.garbled = true;
            bus->setFaults(0, f);
        }
        QTimer::singleShot(int(2000 + rng() % 4000), [&] {
            bus->setFaults(0, SimFaults{});
            bus->setPlugged(true);
            faultOn = false;
            bringUp();
            scheduleFault();
        });
    });
    scheduleFault();

    // The user interface round trip: how long a posted event waits its turn.
    qint64 worstMs = 0, worstThisMinute = 0;
    QElapsedTimer posted;
    QTimer probe;
    probe.setInterval(250);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        posted.start();
        QMetaObject::invokeMethod(
            &app,
            [&] {
                const qint64 ms = posted.elapsed();
                worstThisMinute = std::max(worstThisMinute, ms);
                worstMs = std::max(worstMs, ms);
            },
            Qt::QueuedConnection);
    });
    probe.start();

    std::vector<Sample> samples;
    QElapsedTimer wall;
    wall.start();
    std::printf("soak: %d min on the demo bus at 38400,E,8,1, seed %u\n", minutes, seed);
    std::printf("  min    RSS kB   heap kB   fds  threads  served  worst UI ms\n");
    long servedBefore = 0;
    int lastBackups = 0;
    for (int minute = 1; minute <= minutes; ++minute) {
        wait(60'000);
        // Sampled in the steady state (no fault, the port open, every group
        // on), so a port that is just being reopened does not read as a
        // thread or descriptor more.
        faults.stop();
        while (faultOn)
            wait(200);
        // A fault that just ended schedules the next one; not while sampling.
        faults.stop();
        bringUp();
        wait(1000);
        if (minute % 3 == 0) restartGraph();
        // The backup runs on a quiet line: it must then be written whole.
        // (Faults during a transfer are the fault matrix's business.)
        if (minute % 5 == 0) backup();
        // Answers nobody scripted pile up in the recorder; they are not the
        // program's memory.
        dialogs.clear();
        samples.push_back(sampleProcess(minute));
        const Sample& s = samples.back();
        std::printf("  %3d  %8.0f  %8.0f  %4.0f  %7.0f  %6ld  %11lld  %s\n", minute, s.rssKb,
                    s.heapKb, s.fds, s.threads, served - servedBefore,
                    static_cast<long long>(worstThisMinute),
                    minute % 5                  ? ""
                    : backupsDone > lastBackups ? "backup written"
                                                : qPrintable("backup STOPPED " + lastBackupStop));
        lastBackups = backupsDone;
        scheduleFault();
        std::fflush(stdout);
        servedBefore = served;
        worstThisMinute = 0;
    }

    // The last fault ends; the link must serve again within 10 s.
    faults.stop();
    bus->setFaults(0, SimFaults{});
    bus->setPlugged(true);
    wait(6000);
    bringUp();
    const long atEnd = served;
    wait(10'000);
    const bool recovered = served > atEnd;
    demo.port.SetActive(false);

    // The first minute holds the start-up's allocations; slopes from minute 2.
    std::vector<Sample> steady(samples.begin() + (samples.size() > 2 ? 1 : 0), samples.end());
    std::printf("  faults: %d no answer, %d late, %d garbled, %d vanished and back\n",
                faultCount[0], faultCount[1], faultCount[2], faultCount[3]);
    std::printf("  backups: %d written, %d stopped\n", backupsDone, backupsStopped);
    std::printf("  RSS slope      %+9.1f kB/h (target < 1024)\n",
                slopePerHour(steady, &Sample::rssKb));
    std::printf("  heap slope     %+9.1f kB/h\n", slopePerHour(steady, &Sample::heapKb));
    std::printf("  fd slope       %+9.2f /h   (target 0)\n", slopePerHour(steady, &Sample::fds));
    std::printf("  thread slope   %+9.2f /h   (target 0)\n",
                slopePerHour(steady, &Sample::threads));
    std::printf("  worst UI round trip %lld ms (target < 100)\n", static_cast<long long>(worstMs));
    std::printf("  link after the last fault: %s\n", recovered ? "serving" : "NOT serving");
    std::printf("  graph samples in the last run: %d\n", graph.logic().recordedSamples());
    return recovered && worstMs < 100 ? 0 : 1;
}
