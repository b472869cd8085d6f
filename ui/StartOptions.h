#pragma once

// What the command line asks for.

#include <QStringList>

namespace kqm52 {

struct StartOptions {
    // "fieldtrim" in any case as the first argument: show the calibration button.
    bool fieldtrim = false;
    // --demo: every port leads to the built-in simulated bus for this run.
    bool demo = false;
    // Arguments that mean nothing to the program (reported, not fatal).
    QStringList unknown;

    // arguments without the program name, as QCoreApplication leaves them
    // once Qt has taken its own options.
    static StartOptions parse(const QStringList& arguments);
};

} // namespace kqm52
