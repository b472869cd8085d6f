#pragma once

// kqm52ctl as a function: the command line in, an exit code out, text on the
// two streams the context gives.  main() hands it the process's streams and
// terminal; the tests hand it strings and a simulated bus, and run it in
// their own process.

#include "model/files/ProgramFolders.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace kqm52 {
class SimBus;
}

namespace kqm52::ctl {

struct CtlContext {
    // Where the data files and application.ini are.
    ProgramFolders folders;
    // The bus behind --port sim; null: the demo bus of "kqm52 --demo",
    // made when the port first opens.
    std::shared_ptr<SimBus> simBus;
    // A bus of its own behind a port given so (a port of the port map that
    // leads to "sim"): a test's several simulated buses at once.
    std::map<QString, std::shared_ptr<SimBus>> simBuses;
    // The service journal when no --journal names one; empty: the user's
    // (ProgramFolders::journalPath).  Tests keep theirs in their own folder.
    QString journalPath;
    QTextStream* out = nullptr;
    QTextStream* err = nullptr;
    // Standard input and standard error are terminals: restore may ask,
    // progress is drawn.
    bool inputIsTerminal = false;
    bool errorIsTerminal = false;
    // Reads the user's answer to a question (one line); nothing when the
    // program was asked to stop while it waited.
    std::function<std::optional<QString>()> readLine;
    // The signal that asked the program to stop (SIGINT for Ctrl+C,
    // SIGTERM), 0 while none has: the running transfer of every bus stops
    // at its next reply.  Read by the buses' workers.
    const std::atomic<int>* interrupted = nullptr;
};

int runCtl(const QStringList& arguments, CtlContext& context);

} // namespace kqm52::ctl
