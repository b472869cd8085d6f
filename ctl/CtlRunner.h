#pragma once

// One kqm52ctl run: the command's row found in the table, its work on the
// link and the files, its text or JSON on the context's streams, and the exit
// code.  The commands are members defined one family to a file
// (PortsCommand.cpp, ValueCommands.cpp, ...); what they share, the per-unit
// loop, the transfer driver, progress and output, is here.
//
// Several buses at once (--port more than once, --ports-from): each bus is a
// CtlBus on a worker thread of its own, running the command's per-unit job;
// what the workers share (options, texts, catalogue) they only read, and
// their lines reach the streams whole, one at a time.

#include "ctl/CtlLink.h"
#include "ctl/CtlOptions.h"
#include "ctl/CtlRun.h"
#include "model/engines/TableTransfer.h"
#include "model/files/TableFile.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/TextKeys.h"
#include "model/values/ParameterCatalogue.h"
#include "model/values/ParameterDiff.h"

#include <QJsonArray>
#include <QJsonObject>

#include <csignal>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace kqm52::ctl {

// What "rt", "rh" and "rx" said, and the serial number within them.
struct Identity {
    QString type;
    QString hardware;
    QString extra;
    QString serial; // empty when none of the three names one
};

// The serial number a unit names in its identification: the word after
// "SN" ("HW 2.1 SN 520017" gives "520017"); empty when there is none.
QString serialNumberIn(const Identity& identity);

// The name without extension of a --units run's files for a unit.
QString unitFileBase(int unit, const QString& serial);
// The file a --units run writes for a unit: "unit05-SN520017.bak", or
// "unit05.bak" when the unit names no serial number.
QString unitFileName(int unit, const QString& serial, const QString& extension);

struct CtlCommand;

// A listed value under its message.
extern const QString Indent;
// "value (option)", or the value alone when it has no option text.
QString withOption(const QString& value, const QString& option);
// FILE of "receive all FILE": the name without its extension.
QString baseName(const QString& path);
// A file refused, named once before the reason, in the user's language.
QString fileRefusal(const LanguageTexts& language, const QString& path, const FileProblem& problem);

using Mode = TableTransfer::Mode;
// What "receive" and "send" take: params, setpoints or all.
std::optional<Mode> modeNamed(const QString& kind);

// A difference as a line of the diff: number, name, both values as shown,
// option texts in brackets.
QString differenceLine(const ParameterDifference& d);

// One bus of a run and what it has said so far.
struct CtlBus {
    CtlBus(const CtlOptions& options, const CtlBusSpec& spec, const QString& label,
           CtlContext& context);
    CtlBusSpec spec;
    // The bus's folder under FOLDER and the start of its lines; empty in a
    // run on one bus, whose output is as it always was.
    QString label;
    QString linePrefix;
    CtlLink link;
    // A --units run: on this bus, its own list or that of the command line.
    std::optional<std::vector<int>> units;
    // Goes into the run's document in a run on one bus, else it is this
    // bus's entry of "buses".
    QJsonObject json;
    bool progressShown = false;
    bool interrupted = false;
};

class CtlRunner {
  public:
    CtlRunner(const CtlOptions& options, CtlContext& context);
    // Runs the command of the options: its row of the command table.
    int exec();

    // The commands, one per row of the table.
    int ports();
    int scan();
    int info();
    int get();
    int set();
    int receive();
    int send();
    int backup();
    int restore();
    int diff();
    int journalCommand();

  private:
    int run(const CtlCommand& command);
    // A message in the user's language (--lang, or the language of application.ini).
    QString text(TextIn<"Ctl"> key) const { return language_.text(key.id()); }
    // Stopped by SIGTERM, not by Ctrl+C.
    bool terminated() const {
        return context_.interrupted && context_.interrupted->load() == SIGTERM;
    }
    // What one unit of a --units run (or the one unit of a plain run) ended in.
    struct UnitResult {
        int exit = Done;
        QString error;
        QJsonObject json;
        QString summary; // after "unit 05  ", for the summary line
    };
    // Runs on the bus's worker when there are several: it touches the run
    // only through the bus and the calls that take one.
    using UnitJob = std::function<UnitResult(CtlBus& bus, int unit, const Identity& identity)>;
    struct UnitRun {
        UnitResult result;
        QJsonObject json; // the unit's entry of "units"
    };

    // Opens the port (exit 3 with the reason when it will not).
    int openPort(CtlBus& bus);
    // Runs job on the unit of --unit, or on every unit of --units, each
    // selected and identified first; on every bus at once when there are
    // several.
    int forUnits(const UnitJob& job, bool wantsIdentity);
    // forUnits on one bus.
    int runBus(CtlBus& bus, const UnitJob& job, bool wantsIdentity);
    // One unit of runBus: selected, identified, its job done.
    UnitRun runUnit(CtlBus& bus, int unit, const UnitJob& job, bool wantsIdentity);
    std::optional<Identity> identify(CtlBus& bus, QString& error);
    // The bus of a run on one bus (the commands that take one port).
    CtlBus& bus() { return *single_; }
    bool severalBuses() const { return buses_.size() > 1; }
    // --units, on the command line or on a line of --ports-from.
    bool unitListsGiven() const;
    // The buses the command line and --ports-from name: Done, or the exit
    // code with the message given when they cannot be read.
    int readBuses();
    // FILE of receive and backup for a bus: itself, or FILE/LABEL.
    QString targetOf(const QString& target, const QString& label) const;
    // receive and backup write into a folder, a file a unit named after it
    // (--units, several buses).
    bool writesFolders() const { return severalBuses() || single_->units.has_value(); }
    // Each bus's folder made and writable, before the first request.
    int prepareFolders(const QString& target);

    // Reads or writes whole tables with the windows' engine.  The exit code,
    // with the message already given.
    int transfer(CtlBus& bus, TableTransfer& t, const QString& what, QString* error = nullptr);
    void drawProgress(CtlBus& bus, const TransferView& view, const QString& what);
    void endProgress(CtlBus& bus);
    void endProgress();

    // Both tables of the unit, read on the engine (mode as TableTransfer's).
    int checkTargets(const QStringList& files, const QString& folder);
    std::optional<UnitTables> receiveTables(CtlBus& bus, TableTransfer::Mode mode, int& exit,
                                            QString& error);
    QString sendStopText(const SendReport& report) const;

    QString valueText(int p, qint32 value, const ParamTables::Parameters& table) const;
    QJsonObject parameterJson(int p, qint32 value, const ParamTables::Parameters& table) const;

    int fail(int exit, const QString& message);
    // A failure of the bus: the run's in a run on one bus, else said with
    // the bus's port and kept in its entry.
    int fail(CtlBus& bus, int exit, const QString& message);
    void data(const QString& line);
    void note(const QString& line);
    // The same on a bus: with several, each line begins with its port.
    void data(CtlBus& bus, const QString& line);
    void note(CtlBus& bus, const QString& line);
    // Whole texts, one at a time, as the buses' workers write them.
    void write(QTextStream& stream, const QString& text);
    QString argument(int i) const { return options_.arguments.value(i); }
    int usage(const QString& message);

    CtlOptions options_;
    CtlContext& context_;
    int languageNo_ = 0;
    LanguageTexts language_;
    ParameterCatalogue catalogue_;
    QJsonObject json_;
    std::vector<CtlBusSpec> buses_;
    QStringList labels_; // by bus, with several
    std::unique_ptr<CtlBus> single_;
    std::mutex output_;
};

} // namespace kqm52::ctl
