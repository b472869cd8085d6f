#pragma once

// The settings every window reads from memory.  The main window fills them
// from application.ini at start and writes them back when it closes.

#include <QString>

namespace kqm52 {

// What the log graph remembers between runs.
struct GraphSettings {
    int X_Div = 0;    // selected index of the time-scale list
    int Y_Div = 0;    // selected index of the value-scale list
    int BronItem = 0; // selected index of the source list
    bool X_hulplijn = false;
    bool Y_hulplijn = false;
    friend bool operator==(const GraphSettings&, const GraphSettings&) = default;
};

struct ProgramSettings {
    // Folder of the program file, ending in a separator; every data file is
    // looked for here.
    QString ProgramDir;
    int LanguageNo = 0;
    QString DialogPath; // start folder of every open and save dialog
    QString PrintCompany;
    QString PrintType;
    QString PrintSerial;
    GraphSettings graph;
};

} // namespace kqm52
