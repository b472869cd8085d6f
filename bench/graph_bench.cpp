// The log graph: how long one redraw of a full buffer takes, and one redraw
// while the user zooms and pans over the window's 4001 samples and over a
// recording of 100 000 read back from a file; how fast it records against the
// simulated bus at 38400 bit/s compared with what the line allows for one
// "r0" request, and what the recording costs the user-interface thread; and
// the resident memory of an hour's run streamed to a file at the line's full
// rate (on the bus's virtual clock, so the hour takes seconds).
//
// The line's floor is measured, not guessed: the same run on the bus's
// virtual clock takes exactly the line time of each request and reply, the
// unit's turnaround and the 50 ms of silence that ends a reply, and no time
// for the program itself.

#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "sim/SimDriver.h"
#include "tools/FormGrafiek.h"
#include "tools/GraphPainter.h"
#include "ui/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <time.h>
#include <vector>

using namespace kqm52;

namespace {

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Resident memory in kB, as the system counts it.
long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Milliseconds of the thread's time per frame over a gesture: each frame zooms or pans a little,
// then draws the plot and its time axis.
struct Gesture {
    double meanMs = 0;
    double p99Ms = 0;
    double worstMs = 0;
};
Gesture zoomAndPan(GraphFrame frame, int frames) {
    QImage plot(frame.plotWidth, frame.plotHeight, QImage::Format_RGB32);
    QImage axis(graph::timeAxisSize(frame.plotWidth), QImage::Format_RGB32);
    // From the whole run on the plot, in to a few samples and back out.
    graph::Viewport v = frame.viewport();
    v.t0 = frame.samples.times[0];
    v.msPerPixel = double(frame.samples.times[frame.samples.count]) / (frame.plotWidth - 1);
    frame.view = v;
    // One frame first, so the fonts' caches are warm as in use.
    graph::TekenGrafiek(plot, axis, frame);
    std::vector<double> ms;
    ms.reserve(frames);
    for (int i = 0; i < frames; ++i) {
        const int phase = i % 80;
        if (phase < 20)
            v = graph::zoomTime(v, 300, 0.8);
        else if (phase < 40)
            v = graph::pan(v, -25, 0);
        else if (phase < 60)
            v = graph::zoomTime(v, 300, 1.25);
        else
            v = graph::pan(v, 25, 1);
        frame.view = v;
        // The thread's own time: the machine is shared, and a frame that
        // waits for the core is not slower to draw.
        const double before = threadCpuMs();
        graph::TekenGrafiek(plot, axis, frame);
        ms.push_back(threadCpuMs() - before);
    }
    Gesture g;
    for (double m : ms)
        g.meanMs += m / frames;
    std::sort(ms.begin(), ms.end());
    g.p99Ms = ms[size_t(frames * 0.99)];
    g.worstMs = ms.back();
    return g;
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
    frame.samples = samples.span();
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

    // Zoom and pan over the window's 4001 and over 100 000 read back.
    frame.samples = samples.span();
    frame.choice.xIndex = 0;
    const Gesture window = zoomAndPan(frame, 800);
    graph::Recording recording;
    for (int i = 0; i < 100000; ++i) {
        recording.times << i * 52;
        recording.values << qint32(400 * std::sin(i / 40.0) + 50 * std::sin(i / 3.0));
        recording.unusable << (i % 997 == 0);
    }
    GraphFrame loaded = frame;
    loaded.samples = recording.span();
    const Gesture file = zoomAndPan(loaded, 800);

    // An hour streamed at the line's full rate, on the virtual clock.
    long rssAfterMinute = 0, rssLow = 0, rssHigh = 0;
    qint64 hourSamples = 0;
    double hourWallS = 0;
    {
        QTemporaryDir dir;
        Bench b(std::make_shared<VirtualClock>());
        b.dialogs.answerSaveFile(dir.filePath("hour.csv"));
        b.form.CmdStream->click();
        b.form.CmdStartLogClick();
        QElapsedTimer wall;
        wall.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            const GraphLogic& l = b.form.logic();
            const GraphSamples& s = l.samples();
            const qint32 now = s.count >= 0 ? s.times[s.count] : 0;
            if (now >= 60000) {
                const long rss = residentKb();
                if (rssAfterMinute == 0) rssAfterMinute = rssLow = rssHigh = rss;
                rssLow = std::min(rssLow, rss);
                rssHigh = std::max(rssHigh, rss);
            }
            if (now >= 3600000 || !l.logging()) loop.quit();
        });
        poll.start(20);
        loop.exec();
        hourSamples = b.form.logic().runSamples();
        b.form.CmdStopLogClick();
        hourWallS = double(wall.elapsed()) / 1000;
    }

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
    std::printf("  zoom and pan, 4001      %7.3f ms a frame, 99 %% within %.3f ms, worst %.3f ms "
                "(target < 4 ms)\n",
                window.meanMs, window.p99Ms, window.worstMs);
    std::printf("  zoom and pan, 100 000   %7.3f ms a frame, 99 %% within %.3f ms, worst %.3f ms "
                "(target < 4 ms)\n",
                file.meanMs, file.p99Ms, file.worstMs);
    std::printf("  an hour streamed        %7lld samples in %.1f s; resident %ld kB after the "
                "first minute, %ld .. %ld kB after it (%+ld kB, target within 1024 kB)\n",
                hourSamples, hourWallS, rssAfterMinute, rssLow, rssHigh, rssHigh - rssAfterMinute);
    std::printf("  samples recorded        %7.2f /s\n", rate);
    std::printf("  the line's floor        %7.2f /s (%+.2f %%, target within 3 %%)\n",
                floorPerSecond, 100.0 * (rate - floorPerSecond) / floorPerSecond);
    std::printf("  UI thread               %7.2f %% of one core (target < 10 %%)\n",
                100.0 * cpuMs / wallMs);
    return 0;
}
