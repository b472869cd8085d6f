// The live monitor against the simulated bus at 38400 bit/s: actual values,
// I/O and thumbwheels all on, plus the error poll.  Prints how often each
// display is refreshed per second and the user-interface thread's share of
// one core.  The line, not the program, should set the pace: every request
// costs its bytes on the line, the unit's turnaround and 50 ms of silence.

#include "DemoMainWindow.h"

#include "shell/LiveMonitor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include "ThreadCpuClock.h"

#include <cstdio>
#include <map>

using namespace kqm52;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(2, atoi(argv[1])) : 10;

    // The demo bus, but only unit 0 at the settings file's 38400,E,8,1.
    DemoMainWindow demo;
    ProgramState& state = demo.state;
    TFormMain& window = demo.window;
    state.tables.setParameter(388, 1); // the analog output polled as a voltage

    LiveMonitor& m = window.liveMonitor();
    std::map<QString, int> refreshes;
    const auto count = [&](TRQ500Protocol& c) {
        auto inner = c.OnCommResult;
        c.OnCommResult = [&refreshes, inner, name = c.objectName()](TZRProtocolComponent* s,
                                                                    const QByteArray& r) {
            ++refreshes[name];
            inner(s, r);
        };
    };
    for (TRQ500Protocol* c : {&m.RQ500ActPos, &m.RQ500Snelheid, &m.RQ500Spanning_uit,
                              &m.RQ500Spanning_in, &m.RQ500Stroom_in, &m.RQ500Analoog_in_AWE,
                              &m.RQ500_in, &m.RQ500_uit, &m.RQ500Duimwiel, &m.RQ500ReadError})
        count(*c);

    window.findChild<QPushButton*>("CmdSelectUnit")->click();
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    window.findChild<QPushButton*>("CmdActual")->click();
    window.findChild<QPushButton*>("CmdInUit")->click();
    window.findChild<QPushButton*>("CmdDuimwiel")->click();
    refreshes.clear();

    QElapsedTimer wall;
    wall.start();
    const double cpu0 = bench::threadCpuMs();
    QEventLoop run;
    QTimer::singleShot(seconds * 1000, &run, &QEventLoop::quit);
    run.exec();
    const double elapsedS = double(wall.nsecsElapsed()) / 1e9;
    const double cpuMs = bench::threadCpuMs() - cpu0;
    demo.port.SetActive(false);

    int total = 0;
    for (const auto& [name, n] : refreshes)
        total += n;
    std::printf(
        "monitor_bench: %d s at 38400,E,8,1, actual values + I/O + thumbwheels + error poll\n",
        seconds);
    for (const auto& [name, n] : refreshes)
        std::printf("  %-22s %6.2f /s\n", qPrintable(name), n / elapsedS);
    // Each request: ~4 bytes out, 2 ms turnaround, ~12 bytes back, 50 ms silence.
    const double perRequestMs = (4 + 12) * 11 * 1000.0 / 38400 + 2 + 50;
    std::printf("  requests on the line %6.2f /s (the line allows about %.1f /s)\n",
                total / elapsedS, 1000.0 / perRequestMs);
    std::printf("  UI thread            %6.2f %% of one core (target < 5 %%)\n",
                100.0 * cpuMs / (elapsedS * 1000.0));
    return 0;
}
