// mx5x-sim: simulated MX5x units on a pseudo-terminal.  Prints the pty's path
// on the first line of standard output, then serves until SIGINT or SIGTERM
// (or until a unit with the "vanish" fault has taken the device away).

#include "sim/PtyServer.h"
#include "sim/SimOptions.h"
#include "sim/SimStateFile.h"
#include "sim/SimTraceLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>

#include <unistd.h>

using namespace kqm52;

int main(int argc, char** argv) {
    // Signals are taken by sigtimedwait below; block them before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    SimOptions options;
    QString error;
    if (!parseSimOptions(args, options, error)) {
        std::fprintf(stderr, "mx5x-sim: %s\n\n%s", qPrintable(error), qPrintable(simUsage()));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(simUsage()), stdout);
        return 0;
    }
    // Beside the program when run from its build or unpacked folder;
    // installed, in share/kqm52 next to the bin folder, as kqm52 looks.
    QString dataDir = options.dataDir;
    if (dataDir.isEmpty()) {
        const QDir beside(app.applicationDirPath());
        const QString installed = beside.filePath(QStringLiteral("../share/kqm52"));
        dataDir = !beside.exists(QStringLiteral("Parameters.txt")) &&
                          QFileInfo::exists(installed + QStringLiteral("/Parameters.txt"))
                      ? QDir::cleanPath(installed)
                      : beside.path();
    }
    const SimCatalogue catalogue = SimCatalogue::fromProgramDir(dataDir);
    std::shared_ptr<SimBus> bus;
    if (!buildSimBus(options, catalogue, bus, error)) {
        std::fprintf(stderr, "mx5x-sim: %s\n", qPrintable(error));
        return 2;
    }
    if (!options.stateFile.isEmpty() && QFileInfo::exists(options.stateFile) &&
        !loadSimState(*bus, options.stateFile, &error)) {
        std::fprintf(stderr, "mx5x-sim: state file %s: %s\n", qPrintable(options.stateFile),
                     qPrintable(error));
        return 1;
    }
    if (!options.logFile.isEmpty() && !attachSimLog(*bus, options.logFile, &error)) {
        std::fprintf(stderr, "mx5x-sim: log %s: %s\n", qPrintable(options.logFile),
                     qPrintable(error));
        return 1;
    }

    PtyServer server(bus);
    if (!server.open(&error)) {
        std::fprintf(stderr, "mx5x-sim: %s\n", qPrintable(error));
        return 1;
    }
    if (!options.linkPath.isEmpty()) {
        QFile::remove(options.linkPath);
        if (!QFile::link(server.slavePath(), options.linkPath))
            std::fprintf(stderr, "mx5x-sim: cannot link %s\n", qPrintable(options.linkPath));
    }
    std::atomic<bool> dirty{false};
    server.onDirty = [&dirty] { dirty = true; };
    server.start();
    std::printf("%s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);

    auto save = [&] {
        if (options.stateFile.isEmpty()) return;
        if (!saveSimState(*bus, options.stateFile, &error))
            std::fprintf(stderr, "mx5x-sim: cannot save %s: %s\n", qPrintable(options.stateFile),
                         qPrintable(error));
    };
    auto lastSave = std::chrono::steady_clock::now();
    int code = 0;
    for (;;) {
        const timespec tick{0, 200'000'000};
        const int sig = sigtimedwait(&stopSignals, nullptr, &tick);
        if (sig > 0) break;
        if (!server.running()) {
            std::fprintf(stderr, "mx5x-sim: the device vanished\n");
            code = 3;
            break;
        }
        // Save a little after the last change, not after every single write.
        if (dirty && std::chrono::steady_clock::now() - lastSave > std::chrono::milliseconds(500)) {
            dirty = false;
            save();
            lastSave = std::chrono::steady_clock::now();
        }
    }
    server.stop();
    save();
    if (!options.linkPath.isEmpty()) QFile::remove(options.linkPath);
    return code;
}
