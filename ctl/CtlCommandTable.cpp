#include "ctl/CtlCommandTable.h"

#include "ctl/CtlRunner.h"

namespace kqm52::ctl {

namespace {

using Text = TextIn<"Ctl">;
using enum CtlUnits;

constexpr Text UnitsFolder{"HelpUnitsFolder"};
constexpr Text DiffSides{"HelpDiffSides"};

// In the order the help lists them.
// clang-format off
const CtlCommand kCommands[] = {
    // name       usage                                   help           note          handler               port   units  buses
    {"ports",   "ports",                                "HelpPorts",   nullptr,      &CtlRunner::ports,    false, None,  false},
    {"scan",    "scan [--all-settings]",                "HelpScan",    nullptr,      &CtlRunner::scan,     true,  None,  false},
    {"info",    "info",                                 "HelpInfo",    nullptr,      &CtlRunner::info,     true,  Many,  true},
    {"get",     "get N...",                             "HelpGet",     nullptr,      &CtlRunner::get,      true,  One,   true},
    {"set",     "set N=V... [--load]",                  "HelpSet",     nullptr,      &CtlRunner::set,      true,  One,   false},
    {"receive", "receive params|setpoints|all FILE",    "HelpReceive", &UnitsFolder, &CtlRunner::receive,  true,  Many,  true},
    {"send",    "send params|setpoints|all FILE",       "HelpSend",    nullptr,      &CtlRunner::send,     true,  One,   false},
    {"backup",  "backup FILE.bak",                      "HelpBackup",  &UnitsFolder, &CtlRunner::backup,   true,  Many,  true},
    {"restore", "restore FILE.bak [--yes]",             "HelpRestore", nullptr,      &CtlRunner::restore,  true,  One,   false},
    {"diff",    "diff A B",                             "HelpDiff",    &DiffSides,   &CtlRunner::diff,     false, Many,  true},
    {"journal", "journal [--since DATE] [--until DATE] [--serial S] [--unit N] [--port P] [--action A] | --prune-before DATE [--yes]",
                                                        "HelpJournal", nullptr,      &CtlRunner::journalCommand, false, None, false},
};
// clang-format on

} // namespace

std::span<const CtlCommand> ctlCommands() {
    return kCommands;
}

const CtlCommand* findCommand(const QString& name) {
    for (const CtlCommand& c : kCommands)
        if (name == QLatin1String(c.name)) return &c;
    return nullptr;
}

} // namespace kqm52::ctl
