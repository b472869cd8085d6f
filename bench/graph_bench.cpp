// The log graph: how long one redraw of a full buffer takes, how fast it
// records against the simulated bus at 38400 bit/s compared with what the
// line allows for one "r0" request, and what the recording costs the
// user-interface thread.
//
// The line's floor is measured, not guessed: the same run on the bus's
// virtual clock takes exactly the line time of each request and reply, the
// unit's turnaround and the 50 ms of silence that ends a reply, and no time
// for the program itself.

#include "link/ZRComm.h"
#include "model/ProgramState.h"
#include "sim/SimDriver.h"
#include "tools/FormGrafiek.h"
#include "tools/GraphPainter.h"
#include "ui/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <time.h>

using namespace kqm52;

namespace {

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Bench {
    explicit Bench(std::shared_ptr<SimClock> clock)
        : clock_(clock), bus(std::make_shared<SimBus>(clock)), state(QString()),
          form(state, port, dialogs, nullptr, [this] { return quint32(clock_->now() / 1000000); }) {
        SimAxis& axis =
            bus->addUnit(
                   0, {.baud = 38400, .dataBits = 8, .parity = DriverParity::Even, .stopBits = 1})
                .axis();
        axis.startPosition = 1000000; // seven digits in every reply
        installSimulatedBus(map, bus);
        map.setDevice(TPort::COM1, QStringLiteral("sim"));
        port.setPortMap(&map);
        port.SetBaudrate(TBaudrate::br38400);
        port.SetActive(true);
        form.FormActivate();
        form.CheckBoxAutoScroll->setChecked(true);
    }
    ~Bench() {
        form.FormClose();
        port.SetActive(false);
    }

    std::shared_ptr<SimClock> clock_;
    std::shared_ptr<SimBus> bus;
    PortMap map;
    TZRComm port;
    ProgramState state;
    ScriptedDialogs dialogs;
    TFormGrafiek form;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(2, atoi(argv[1])) : 10;

    // Redraw of a full buffer: the plot, its time axis and the curve.
    GraphSamples samples;
    samples.count = graph::LastIndex;
    for (int i = 0; i < graph::BufferSize; ++i) {
        samples.times[i] = i * 52;
        samples.values[i] = qint32(400 * std::sin(i / 40.0));
    }
    GraphFrame frame;
    frame.samples = &samples;
    frame.choice.xIndex = 5; // 10 sec per division: the curve runs over the whole plot
    frame.choice.auxX = frame.choice.auxY = true;
    QImage plot(graph::PlotWidth, graph::PlotHeight, QImage::Format_RGB32);
    QImage axis(graph::TimeAxisWidth, graph::TimeAxisHeight, QImage::Format_RGB32);
    const int rounds = 500;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i)
        graph::TekenGrafiek(plot, axis, frame);
    const double redrawMs = double(t.nsecsElapsed()) / 1e6 / rounds;

    // The line's floor on the virtual clock.
    double floorPerSecond = 0;
    {
        Bench b(std::make_shared<VirtualClock>());
        b.form.CmdStartLogClick();
        const int n = 400;
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (b.form.logic().samples().count >= n) loop.quit();
        });
        poll.start(1);
        loop.exec();
        b.form.CmdStopLogClick();
        const GraphSamples& s = b.form.logic().samples();
        floorPerSecond = 1000.0 * s.count / s.times[s.count];
    }

    // The same on the real clock, with the window drawing every sample.
    Bench b(std::make_shared<RealClock>());
    b.form.CmdStartLogClick();
    runFor(200); // past the first reply
    const int count0 = b.form.logic().samples().count;
    const qint32 time0 = b.form.logic().samples().times[count0];
    const double cpu0 = threadCpuMs();
    QElapsedTimer wall;
    wall.start();
    runFor(seconds * 1000);
    const double cpuMs = threadCpuMs() - cpu0;
    const double wallMs = double(wall.nsecsElapsed()) / 1e6;
    const GraphSamples& s = b.form.logic().samples();
    const double rate = 1000.0 * (s.count - count0) / (s.times[s.count] - time0);
    b.form.CmdStopLogClick();

    std::printf("graph_bench: %d s at 38400,E,8,1, source ActPos (\"r0\"), autoscroll on\n",
                seconds);
    std::printf("  redraw of 4001 samples  %7.3f ms (target < 4 ms)\n", redrawMs);
    std::printf("  samples recorded        %7.2f /s\n", rate);
    std::printf("  the line's floor        %7.2f /s (%+.2f %%, target within 3 %%)\n",
                floorPerSecond, 100.0 * (rate - floorPerSecond) / floorPerSecond);
    std::printf("  UI thread               %7.2f %% of one core (target < 10 %%)\n",
                100.0 * cpuMs / wallMs);
    return 0;
}
