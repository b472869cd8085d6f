#pragma once

// The command line of mx5x-sim, parsed apart from main() so tests can check it.
//
//   --unit N[:LINE]        a unit with number N (0..31) at LINE, e.g. 38400,E,8,1
//                          (default); repeatable
//   --demo                 the demo units of "kqm52 --demo" (DemoBus.h)
//   --turnaround MS        time from a request's CR to the reply (default 2)
//   --fault N:LIST         faults of unit N, LIST separated by commas:
//                            no-answer, late[=MS] (150), garbled,
//                            wrong-word[=once|always] (always),
//                            wrong-number[=once|always] (always), refuse-writes,
//                            fail-bp, pause[=MS] (60), long-reply, vanish
//                          (line-errors[=FLAGS] and driver-error[=ERRNO] exist
//                          only in-process and are refused here)
//   --error N:E            unit N reports device error E to "rf"
//   --type N:TEXT          the "rt" text of unit N
//   --state FILE           load the units' stored values from FILE, save them there
//   --log FILE             log every line received and sent, with times
//   --data DIR             folder of Parameters.txt (default: beside the program)
//   --link PATH            also make PATH a symbolic link to the pty
//   --help
//
// Without --unit and --demo there is one unit 0 at 38400,E,8,1.

#include "sim/SimBus.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kqm52 {

struct SimOptions {
    struct Unit {
        int number = 0;
        LineState line;
    };
    QList<Unit> units;
    bool demo = false;
    double turnaroundMs = 2.0;
    QList<QPair<int, SimFaults>> faults;
    QList<QPair<int, int>> errors;
    QList<QPair<int, QByteArray>> types;
    QString stateFile;
    QString logFile;
    QString dataDir;
    QString linkPath;
    bool help = false;
};

// args without the program name.  False with a message on a bad option.
bool parseSimOptions(const QStringList& args, SimOptions& options, QString& error);
// One fault list as above; inProcess allows line-errors and driver-error.
bool parseSimFaults(const QString& list, SimFaults& faults, bool inProcess, QString& error);
QString simUsage();

// The bus the options describe, on a real clock.  False with a message when a
// fault, error or type names a unit that is not on the bus.
bool buildSimBus(const SimOptions& options, const SimCatalogue& catalogue,
                 std::shared_ptr<SimBus>& bus, QString& error);

} // namespace kqm52
