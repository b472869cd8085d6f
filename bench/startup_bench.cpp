// How long the program takes from process start until its main window is on
// screen, and how much memory it holds once idle.
//
// Runs the program's own start-up (guard, state, settings, language and
// catalogue files, main window) several times, each in a fresh child process
// so that every run pays for loading libraries and fonts, and as many starts
// of a bare Qt main window beside them, the least any Qt program pays on the
// same machine at the same moment.  Prints each run and the medians, and how
// long reading the data files takes.  Use the platform you care about:
//   QT_QPA_PLATFORM=offscreen build/bin/startup_bench
//   DISPLAY=:99 build/bin/startup_bench
// Targets: the window shown within 2.5 times the bare window's time, with at
// most 6 MB more resident; all data files read in under 5 ms.

#include "app/Program.h"
#include "app/SingleInstance.h"
#include "model/texts/LanguageTexts.h"
#include "model/values/GroupTree.h"
#include "model/values/ParameterCatalogue.h"
#include "shell/FormMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
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

// Waits until window is on screen and painted.
void waitShown(QWidget& window) {
    QElapsedTimer wait;
    wait.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && wait.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QApplication::processEvents(); // the first paint
}

// Idles for a second: timers tick, nothing happens.
void idle() {
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 1000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
}

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// Reading each data file as the program reads it, after the start so that
// it does not slow the start: "catalogue_ms parno_ms language_ms trees_ms".
QByteArray dataFileTimes(const QString& programDir) {
    QElapsedTimer t;
    t.start();
    ParameterCatalogue catalogue;
    catalogue.ParameterDef_lezen(programDir);
    const double definitions = msSince(t);
    t.restart();
    catalogue.ParamNo_lezen(programDir);
    const double numbers = msSince(t);
    t.restart();
    for (int languageNo = 0; languageNo < 3; ++languageNo) {
        LanguageTexts texts;
        texts.TekstFile_Lezen(programDir, languageNo);
    }
    const double languages = msSince(t);
    t.restart();
    for (int languageNo = 0; languageNo < 3; ++languageNo) {
        GroupTree tree;
        tree.load(programDir + GroupTree::fileName(languageNo));
    }
    const double trees = msSince(t);
    return QByteArray::number(definitions, 'f', 2) + ' ' + QByteArray::number(numbers, 'f', 2) +
           ' ' + QByteArray::number(languages, 'f', 2) + ' ' + QByteArray::number(trees, 'f', 2);
}

// One start-up, as main does it.  Prints "shown_ms main_ms rss_kib" and the
// data file times.
int child(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    QTemporaryDir runtime;
    SingleInstance instance(runtime.path());
    if (instance.start() != SingleInstance::Outcome::First) return 2;
    QApplication::setApplicationDisplayName(TFormMain::applicationTitle());
    const QString programDir = QDir(QApplication::applicationDirPath()).absolutePath() + '/';
    Program program(StartOptions{}, ProgramFolders::portable(programDir));
    TFormMain& window = program.mainWindow();
    window.show();
    waitShown(window);
    const double shownMs = (nowSinceBoot() - processStartSeconds()) * 1000.0;
    const double mainMs = msSince(sinceMain);
    idle();
    const long rss = residentKiB();
    std::printf("%.1f %.1f %ld %s\n", shownMs, mainMs, rss, dataFileTimes(programDir).constData());
    // Ends without closing the window: a benchmark must not write the
    // settings file beside the program.
    return 0;
}

// The same for a bare Qt main window of the program's size; with one line
// of text when withText, which makes Qt load the font system the way any
// window with text must.
int bare(int argc, char** argv, bool withText) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    QMainWindow window;
    if (withText) window.setCentralWidget(new QLabel(TFormMain::applicationTitle()));
    window.resize(TFormMain::ClientWidth, TFormMain::ClientHeight);
    window.show();
    waitShown(window);
    const double shownMs = (nowSinceBoot() - processStartSeconds()) * 1000.0;
    const double mainMs = msSince(sinceMain);
    idle();
    std::printf("%.1f %.1f %ld\n", shownMs, mainMs, residentKiB());
    return 0;
}

// Runs one child; its figures, or empty when it failed.
QList<QByteArray> runChild(const char* mode) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode)});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return p.readAllStandardOutput().trimmed().split(' ');
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QByteArray(argv[1]) == "--child") return child(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--bare") return bare(argc, argv, false);
    if (argc > 1 && QByteArray(argv[1]) == "--bare-text") return bare(argc, argv, true);

    QCoreApplication app(argc, argv);
    constexpr int Runs = 7;
    std::vector<double> shown, fromMain, rss, bareShown, bareMain, bareRss;
    std::vector<double> textShown, textMain, textRss;
    std::vector<double> definitions, numbers, languages, trees;
    std::printf("      program                        | bare Qt window                 | bare "
                "window, one label\n");
    std::printf("run   shown  since main  resident   | shown  since main  resident    | shown  "
                "since main  resident\n");
    for (int i = 0; i < Runs; ++i) {
        // Turn about, so that all see the same load on the machine.
        const QList<QByteArray> b = runChild("--bare");
        const QList<QByteArray> t = runChild("--bare-text");
        const QList<QByteArray> f = runChild("--child");
        if (f.size() < 7 || b.size() < 3 || t.size() < 3) {
            std::fprintf(stderr, "startup_bench: run %d failed\n", i + 1);
            return 1;
        }
        shown.push_back(f[0].toDouble());
        fromMain.push_back(f[1].toDouble());
        rss.push_back(f[2].toDouble() / 1024.0);
        definitions.push_back(f[3].toDouble());
        numbers.push_back(f[4].toDouble());
        languages.push_back(f[5].toDouble());
        trees.push_back(f[6].toDouble());
        bareShown.push_back(b[0].toDouble());
        bareMain.push_back(b[1].toDouble());
        bareRss.push_back(b[2].toDouble() / 1024.0);
        textShown.push_back(t[0].toDouble());
        textMain.push_back(t[1].toDouble());
        textRss.push_back(t[2].toDouble() / 1024.0);
        std::printf(
            "%3d %5.0f ms %7.0f ms %6.1f MB | %3.0f ms %7.0f ms %6.1f MB | %3.0f ms %7.0f ms "
            "%6.1f MB\n",
            i + 1, shown.back(), fromMain.back(), rss.back(), bareShown.back(), bareMain.back(),
            bareRss.back(), textShown.back(), textMain.back(), textRss.back());
    }
    std::printf("(shown: since the process started; since main: from the first line of main)\n");
    const double files = median(definitions) + median(numbers) + median(languages) + median(trees);
    std::printf("data files: Parameters.txt %.2f ms, ParNo.txt %.2f ms, Taal0-2.ini %.2f ms, "
                "Tree0-2.txt %.2f ms; all %.2f ms (target < 5 ms)\n",
                median(definitions), median(numbers), median(languages), median(trees), files);
    std::printf("median shown since main: program %.0f ms, bare window %.0f ms (ratio %.1f, target "
                "<= 2.5), bare window with a label %.0f ms (ratio %.1f)\n",
                median(fromMain), median(bareMain), median(fromMain) / median(bareMain),
                median(textMain), median(fromMain) / median(textMain));
    std::printf("median shown since the process started: program %.0f ms, bare window %.0f ms "
                "(ratio %.1f), with a label %.0f ms (ratio %.1f)\n",
                median(shown), median(bareShown), median(shown) / median(bareShown),
                median(textShown), median(shown) / median(textShown));
    std::printf("median resident: program %.1f MB, bare window %.1f MB (%.1f MB more, target <= 6 "
                "MB), with a label %.1f MB (%.1f MB more)\n",
                median(rss), median(bareRss), median(rss) - median(bareRss), median(textRss),
                median(rss) - median(textRss));
    return 0;
}
