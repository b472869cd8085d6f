// How long the program takes from process start until its main window is on
// screen, and how much memory it holds once idle.
//
// Runs the program's own start-up (guard, state, settings, language and
// catalogue files, main window) several times, each in a fresh child process
// so that every run pays for loading libraries and fonts.  Prints each run
// and the median.  Use the platform you care about:
//   QT_QPA_PLATFORM=offscreen build/bin/startup_bench
//   DISPLAY=:99 build/bin/startup_bench
// Targets: under 0.5 s to the window shown, under 80 MB resident.

#include "app/Program.h"
#include "app/SingleInstance.h"
#include "shell/FormMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <time.h>
#include <unistd.h>

using namespace kqm52;

namespace {

// Seconds since boot at which this process started (from /proc/self/stat).
double processStartSeconds() {
    QFile f(QStringLiteral("/proc/self/stat"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray stat = f.readAll();
    // Field 22, counted after the command name in parentheses.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.value(19).toDouble() / double(sysconf(_SC_CLK_TCK));
}

double nowSinceBoot() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

long residentKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// One start-up, as main does it.  Prints "shown_ms main_ms rss_kib".
int child(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    QTemporaryDir runtime;
    SingleInstance instance(runtime.path());
    if (instance.start() != SingleInstance::Outcome::First) return 2;
    QApplication::setApplicationDisplayName(TFormMain::applicationTitle());
    Program program(StartOptions{}, QDir(QApplication::applicationDirPath()).absolutePath() + '/');
    TFormMain& window = program.mainWindow();
    window.show();
    QElapsedTimer wait;
    wait.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && wait.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QApplication::processEvents(); // the first paint
    const double shownMs = (nowSinceBoot() - processStartSeconds()) * 1000.0;
    const double mainMs = double(sinceMain.nsecsElapsed()) / 1e6;

    // Idle for a second: timers tick, nothing happens.
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 1000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    std::printf("%.1f %.1f %ld\n", shownMs, mainMs, residentKiB());
    // Ends without closing the window: a benchmark must not write the
    // settings file beside the program.
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QByteArray(argv[1]) == "--child") return child(argc, argv);

    QCoreApplication app(argc, argv);
    constexpr int Runs = 5;
    std::vector<double> shown, fromMain, rss;
    std::printf("run  shown since process start  since main  resident once idle\n");
    for (int i = 0; i < Runs; ++i) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            std::fprintf(stderr, "startup_bench: run %d failed\n", i + 1);
            return 1;
        }
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        shown.push_back(f.value(0).toDouble());
        fromMain.push_back(f.value(1).toDouble());
        rss.push_back(f.value(2).toDouble() / 1024.0);
        std::printf("%3d  %20.0f ms  %7.0f ms  %13.1f MB\n", i + 1, shown.back(), fromMain.back(),
                    rss.back());
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("median: main window shown after %.0f ms (target < 500 ms), resident %.1f MB "
                "(target < 80 MB)\n",
                median(shown), median(rss));
    return 0;
}
