#pragma once

// The command line of kqm52ctl: a subcommand, its arguments and the options
// every subcommand shares.  Parsing changes nothing and talks to nobody, so
// a wrong line ends with exit code 2 before a port is opened.

#include "link/ZRComm.h"
#include "model/texts/TextKeys.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kqm52 {
class LanguageTexts;
}

namespace kqm52::ctl {

// The documented exit codes.
enum Exit : int {
    Done = 0,
    Differences = 1,   // diff: the two sides differ
    Usage = 2,         // the command line, or a value on it, is wrong
    NoReply = 3,       // no reply, a link error, or a port that will not open
    Refused = 4,       // the unit refused a value or its recomputation
    FileError = 5,     // a file that cannot be read, is refused, or cannot be written
    SomeUnits = 6,     // some units failed: of a --units run, or of any bus of several
    Interrupted = 130, // Ctrl+C: stopped at the next reply
    Terminated = 143,  // SIGTERM: the same
};

// One bus of a run: a --port, or a line of a --ports-from file.  What it
// leaves out, the options of the command line give.
struct CtlBusSpec {
    QString port; // as given; empty: the port of application.ini
    std::optional<TBaudrate> baud;
    std::optional<TParityBit> parity;
    std::optional<TDataBit> dataBits;
    std::optional<TStopBit> stopBits;
    std::optional<std::vector<int>> units;
    bool operator==(const CtlBusSpec&) const = default;
};

struct CtlOptions {
    QString command;
    QStringList arguments; // after the subcommand

    QStringList ports; // every --port, in the order given
    std::optional<QString> portsFrom;
    std::optional<TBaudrate> baud;
    std::optional<TParityBit> parity;
    std::optional<TStopBit> stopBits;
    std::optional<int> unit;
    std::optional<int> language;
    std::optional<std::vector<int>> units;
    bool fast = false;
    bool json = false;
    bool quiet = false;
    bool load = false;
    bool yes = false;
    bool allSettings = false;
    bool help = false;
    // The service journal: another file than the user's, and whether a
    // write may go ahead while it cannot be written.
    std::optional<QString> journal;
    bool requireJournal = false;
    // kqm52ctl journal: which entries, or the date before which they go.
    std::optional<QDateTime> since;
    std::optional<QDateTime> until;
    QString serial;
    QString action;
    std::optional<QDateTime> pruneBefore;
};

struct ParsedLine {
    CtlOptions options;
    QString error; // empty when the line was understood
    // The same in the text table's words ("%1" the value given), so that it
    // can be said in the user's language; empty for the parser's own errors.
    std::optional<TextIn<"Ctl">> errorText;
    QString errorValue;
};

// arguments without the program name.
ParsedLine parseCommandLine(const QStringList& arguments);

// The language a command line asks for with a well-formed --lang, read
// before the rest: a mistake elsewhere on the line is said in it.
std::optional<int> languageAsked(const QStringList& arguments);
// --json anywhere before "--", also on a line that cannot be parsed: a
// script that asked for a document gets one for its mistake too.
bool jsonAsked(const QStringList& arguments);

// A date as kqm52ctl journal takes it, in local time: "2026-12-08",
// "2026-12-08T14:30", "2026-12-08 14:30:05".  Nothing when it is none.
std::optional<QDateTime> parseDate(const QString& text);
// "0-3", "1,4,7", "0-3,12": unit numbers 0 … 31, each once, in the order
// given.  Nothing for a malformed list or a number out of range.
std::optional<std::vector<int>> parseUnitList(const QString& text);

// A --ports-from file: one bus a line, "PORT [SETTINGS] [--units LIST]",
// SETTINGS as "38400e81" or "38400,E,8,1"; "#" starts a comment.
struct PortsFile {
    std::vector<CtlBusSpec> buses;
    // The first line that is not understood (1-based, 0 when all were), and
    // the word on it that is not.
    int badLine = 0;
    QString badWord;
};
PortsFile parsePortsFile(const QString& text);

// A line's speed, parity, data bits and stop bits, as ser2net writes them
// ("38400e81") or as kqm52ctl prints them ("38400,E,8,1").
struct LineSettings {
    TBaudrate baud;
    TParityBit parity;
    TDataBit dataBits;
    TStopBit stopBits;
};
std::optional<LineSettings> parseLineSettings(const QString& text);

// The name a bus's folder gets from its port as given: every run of
// characters other than letters, digits, ".", "_" and "-" becomes one "_"
// ("tcp://10.1.2.3:4001" gives "tcp_10.1.2.3_4001", "/dev/ttyUSB0"
// "dev_ttyUSB0").
QString portLabel(const QString& port);

// 0, 1, 2 or nl, en, de (any case): Dutch, English, German.
std::optional<int> parseLanguage(const QString& text);
// What --port takes: COM1 … COM16 (any case), or a value of a port family
// (a device path, "sim"; link/PortFamily.h).
bool isPortName(const QString& text);

// 1200 … 115200 as the port knows them.
std::optional<TBaudrate> parseBaud(const QString& text);
// N, E, O (or none, even, odd), any case.
std::optional<TParityBit> parseParity(const QString& text);
std::optional<TStopBit> parseStopBits(const QString& text);

// The help of all commands, and of one (usage, what it does, its options),
// in the language's words.
QString generalHelp(const LanguageTexts& language);
// Empty for an unknown command.
QString commandHelp(const LanguageTexts& language, const QString& command);

} // namespace kqm52::ctl
