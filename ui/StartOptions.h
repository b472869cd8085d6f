#pragma once

// What the command line asks for.

#include <QStringList>

namespace kqm52 {

struct StartOptions {
    // "fieldtrim" in any case as the first argument: show the calibration button.
    bool fieldtrim = false;
    // --demo: every port leads to the built-in simulated bus for this run.
    bool demo = false;
    // --version, --help (-h): say so on standard output and end; no window,
    // no file touched.
    bool version = false;
    bool help = false;
    // --close-after SECONDS: close the main window after that long as if the
    // user had, settings written.  For scripted checks of an installation.
    int closeAfterSeconds = 0;
    // Arguments that mean nothing to the program (reported, not fatal).
    QStringList unknown;

    // arguments without the program name, as QCoreApplication leaves them
    // once Qt has taken its own options.
    static StartOptions parse(const QStringList& arguments);
    // What --help prints.
    static QString usage();
};

} // namespace kqm52
