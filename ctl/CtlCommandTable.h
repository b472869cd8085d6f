#pragma once

// The commands of kqm52ctl, one row each.  Dispatch, --help, the bash
// completion (data/linux/kqm52ctl.bash) and the manual page's command list
// follow the table, and the console test holds the two files against it: a
// command is added by adding its row (see CONTRIBUTING.md).

#include "model/texts/TextKeys.h"

#include <QString>

#include <span>

namespace kqm52::ctl {

class CtlRunner;

enum class CtlUnits { None, One, Many };

struct CtlCommand {
    const char* name;
    // The syntax: the command, its options and the capitals that stand for a value.
    const char* usage;
    TextIn<"Ctl"> help;
    // Said after the usage line, where the command's files go.
    const TextIn<"Ctl">* note;
    int (CtlRunner::*run)();
    // Talks to a unit: with a port that will not open it ends with exit 3.
    // ("diff" does when one side is "unit".)
    bool needsPort;
    // What it does with --units: works on every unit of the list, or
    // refuses the option rather than running on one unit (it works on the one
    // unit of --unit) or on none (it works on no unit, or on the whole bus).
    CtlUnits units;
    // Works on several buses at once, one worker each (--port more than
    // once, --ports-from); otherwise it takes one port.
    bool manyPorts;
};

std::span<const CtlCommand> ctlCommands();
// Null for a name that is no command.
const CtlCommand* findCommand(const QString& name);

} // namespace kqm52::ctl
