#include "ctl/CtlRunner.h"

#include "ctl/CtlCommandTable.h"

#include "inifile/ReadFile.h"
#include "inifile/SaveFile.h"

#include "link/ReplyText.h"
#include "link/UnitProtocol.h"
#include "model/engines/DataFiles.h"
#include "model/files/FileProblemText.h"
#include "model/values/DecimalText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QScopeGuard>

#include <thread>

namespace kqm52::ctl {

namespace {

// The commands that write to a unit: what the journal is for.
bool writesToUnit(const QString& command) {
    return command == QLatin1String("set") || command == QLatin1String("send") ||
           command == QLatin1String("restore");
}

} // namespace

const QString Indent = QStringLiteral("  ");

QString withOption(const QString& value, const QString& option) {
    return option.isEmpty() ? value : QStringLiteral("%1 (%2)").arg(value, option);
}

QString baseName(const QString& path) {
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("mxp") || suffix == QLatin1String("mxs"))
        return path.left(path.size() - suffix.size() - 1);
    return path;
}

QString fileRefusal(const LanguageTexts& language, const QString& path,
                    const FileProblem& problem) {
    // The file is named once, before the reason.
    const QString why = problem.unreadable ? fileReadErrorText(language, problem.unreadable)
                                           : fileProblemDetail(language, problem);
    return language.text(TextId{"Ctl", "FileRefused"}).arg(path, why);
}

std::optional<Mode> modeNamed(const QString& kind) {
    if (kind == QLatin1String("params")) return Mode::Parameters;
    if (kind == QLatin1String("setpoints")) return Mode::Setpoints;
    if (kind == QLatin1String("all")) return Mode::Both;
    return std::nullopt;
}

QString serialNumberIn(const Identity& identity) {
    return unit::serialNumberIn(identity.type, identity.hardware, identity.extra);
}

QString unitFileBase(int unit, const QString& serial) {
    QString name = QStringLiteral("unit%1").arg(unit, 2, 10, QLatin1Char('0'));
    if (!serial.isEmpty()) name += QStringLiteral("-SN") + serial;
    return name;
}

QString unitFileName(int unit, const QString& serial, const QString& extension) {
    return unitFileBase(unit, serial) + QLatin1Char('.') + extension;
}

QString differenceLine(const ParameterDifference& d) {
    return QStringLiteral("%1  %2  %3  %4")
        .arg(d.numberText, d.name.leftJustified(30), withOption(d.leftText, d.leftOption),
             withOption(d.rightText, d.rightOption));
}

CtlBus::CtlBus(const CtlOptions& options, const CtlBusSpec& spec, const QString& label,
               CtlContext& context)
    : spec(spec), label(label), link(options, spec, context),
      units(spec.units ? spec.units : options.units) {}

CtlRunner::CtlRunner(const CtlOptions& options, CtlContext& context)
    : options_(options), context_(context),
      languageNo_(options.language.value_or(CtlLink::settingsLanguage(context.folders))) {
    // A file of the user's own that fails is said, and the installed one read.
    const OwnFileFailed ownFileFailed = [this](const ReadProblem& problem) {
        *context_.err << "kqm52ctl: " << ownFileFailedText(language_, context_.folders, problem)
                      << '\n';
    };
    readLanguageFile(language_, context.folders, languageNo_, ownFileFailed);
    readParameterDefinitions(catalogue_, context.folders, ownFileFailed);
    json_.insert(QStringLiteral("command"), options.command);
}

void CtlRunner::write(QTextStream& stream, const QString& text) {
    if (!severalBuses()) {
        stream << text;
        return;
    }
    // Flushed at once: a person watching a night's run sees each bus get on.
    std::lock_guard lock(output_);
    stream << text;
    stream.flush();
}

void CtlRunner::data(const QString& line) {
    if (!options_.json) write(*context_.out, line + QLatin1Char('\n'));
}

void CtlRunner::note(const QString& line) {
    if (!options_.json && !options_.quiet) write(*context_.out, line + QLatin1Char('\n'));
}

namespace {

// Every line of text after prefix.
QString prefixed(const QString& prefix, const QString& text) {
    QString out;
    for (const QString& line : text.split(QLatin1Char('\n')))
        out += prefix + line + QLatin1Char('\n');
    return out;
}

} // namespace

void CtlRunner::data(CtlBus& bus, const QString& line) {
    if (!options_.json) write(*context_.out, prefixed(bus.linePrefix, line));
}

void CtlRunner::note(CtlBus& bus, const QString& line) {
    if (!options_.json && !options_.quiet) write(*context_.out, prefixed(bus.linePrefix, line));
}

int CtlRunner::fail(int exit, const QString& message) {
    endProgress();
    write(*context_.err, QStringLiteral("kqm52ctl: ") + message + QLatin1Char('\n'));
    json_.insert(QStringLiteral("error"), message);
    return exit;
}

int CtlRunner::fail(CtlBus& bus, int exit, const QString& message) {
    if (!severalBuses()) return fail(exit, message);
    write(*context_.err, QStringLiteral("kqm52ctl: %1: %2\n").arg(bus.spec.port, message));
    bus.json.insert(QStringLiteral("error"), message);
    return exit;
}

int CtlRunner::usage(const QString& message) {
    return fail(Usage, message + QLatin1Char('\n') + text("UsageHint").arg(options_.command));
}

bool CtlRunner::unitListsGiven() const {
    return options_.units || std::any_of(buses_.begin(), buses_.end(),
                                         [](const CtlBusSpec& b) { return b.units.has_value(); });
}

int CtlRunner::run(const CtlCommand& command) {
    if (unitListsGiven() && command.units != CtlUnits::Many)
        return usage((command.units == CtlUnits::One ? text("OneUnitOnly") : text("NoUnits"))
                         .arg(QLatin1String(command.name)));
    if (severalBuses() && !command.manyPorts)
        return usage(text("OnePortOnly").arg(QLatin1String(command.name)));
    return (this->*command.run)();
}

int CtlRunner::readBuses() {
    for (const QString& port : std::as_const(options_.ports))
        buses_.push_back(CtlBusSpec{.port = port});
    if (options_.portsFrom) {
        const QString& path = *options_.portsFrom;
        QByteArray bytes;
        ReadProblem problem;
        if (!readFile(path, bytes, &problem))
            return fail(FileError,
                        text("FileRefused").arg(path, readProblemReason(language_, problem)));
        const PortsFile file = parsePortsFile(QString::fromUtf8(bytes));
        if (file.badLine)
            return usage(text("PortsFileLine").arg(path).arg(file.badLine).arg(file.badWord));
        if (file.buses.empty()) return usage(text("PortsFileEmpty").arg(path));
        buses_.insert(buses_.end(), file.buses.begin(), file.buses.end());
    }
    // No port given: the one of application.ini.
    if (buses_.empty()) buses_.emplace_back();
    if (!severalBuses()) return Done;
    for (std::size_t i = 0; i < buses_.size(); ++i) {
        const QString label = portLabel(buses_[i].port);
        // Also "com3" beside "COM3": one port, which the second worker
        // would find taken.
        for (std::size_t j = 0; j < i; ++j)
            if (labels_[qsizetype(j)].compare(label, Qt::CaseInsensitive) == 0)
                return usage(text("SameBus").arg(buses_[j].port, buses_[i].port, label));
        labels_ << label;
    }
    return Done;
}

int CtlRunner::exec() {
    // The parser let through only the table's names.
    const CtlCommand* command = findCommand(options_.command);
    int exit = readBuses();
    if (exit == Done) {
        if (!severalBuses())
            single_ = std::make_unique<CtlBus>(options_, buses_.front(), QString(), context_);
        exit = command ? run(*command) : usage(text("OptCommand").arg(options_.command));
    }
    if (single_) {
        single_->link.close();
        endProgress(*single_);
        for (auto it = single_->json.begin(); it != single_->json.end(); ++it)
            json_.insert(it.key(), it.value());
    }
    // Stopped by SIGTERM rather than Ctrl+C: a script or a service manager
    // tells the two apart by the code, as a shell does.
    if (exit == Interrupted && terminated()) exit = Terminated;
    if (options_.json) {
        json_.insert(QStringLiteral("exit"), exit);
        *context_.out << QJsonDocument(json_).toJson(QJsonDocument::Indented);
    }
    context_.out->flush();
    context_.err->flush();
    return exit;
}

// ---------------------------------------------------------------- the link

int CtlRunner::openPort(CtlBus& bus) {
    QString error;
    if (!bus.link.open(error, language_)) return fail(bus, NoReply, error);
    bus.json.insert(QStringLiteral("port"), bus.link.portText());
    bus.json.insert(QStringLiteral("line"), bus.link.lineText());
    if (bus.link.lineSetAtServer()) bus.json.insert(QStringLiteral("lineSetAtServer"), true);
    return Done;
}

std::optional<Identity> CtlRunner::identify(CtlBus& bus, QString& error) {
    Identity id;
    QString* texts[] = {&id.type, &id.hardware, &id.extra};
    const QString requests[] = {unit::readType(), unit::readHardware(), unit::readExtra()};
    for (int i = 0; i < 3; ++i) {
        const Answer a = bus.link.askChecked(requests[i]);
        if (!a.ok()) {
            error =
                QStringLiteral("\"%1\": %2").arg(requests[i], commErrorText(language_, a.error));
            return std::nullopt;
        }
        // Another request's reply would name the unit wrongly, and a --units
        // run names its files after what it says.
        if (!a.said.answers()) {
            error = text("AnsweredWith").arg(requests[i], replyStart(a.reply, 30));
            return std::nullopt;
        }
        *texts[i] = a.said.answer.trimmed();
    }
    id.serial = serialNumberIn(id);
    return id;
}

CtlRunner::UnitRun CtlRunner::runUnit(CtlBus& bus, int unit, const UnitJob& job,
                                      bool wantsIdentity) {
    UnitResult r;
    Identity identity;
    Answer answer;
    if (!bus.link.select(unit, &answer)) {
        r.exit = NoReply;
        r.error = answer.ok() ? text("SelectAnswered").arg(unit).arg(replyStart(answer.reply, 20))
                              : text("NoAnswer")
                                    .arg(unit)
                                    .arg(bus.link.lineShown(language_), bus.link.portText(),
                                         commErrorText(language_, answer.error));
    } else {
        QString error;
        std::optional<Identity> id =
            wantsIdentity ? identify(bus, error) : std::optional<Identity>(Identity{});
        // The journal names the unit it wrote to by its type and serial
        // number; a unit that does not say them is still written to.
        if (!wantsIdentity && writesToUnit(options_.command)) identify(bus, error);
        if (!id) {
            r.exit = NoReply;
            r.error = text("UnitError").arg(unit).arg(error);
        } else {
            identity = *id;
            r = job(bus, unit, identity);
        }
    }
    QJsonObject o = r.json;
    o.insert(QStringLiteral("unit"), unit);
    o.insert(QStringLiteral("ok"), r.exit == Done || r.exit == Differences);
    if (wantsIdentity && !identity.serial.isEmpty())
        o.insert(QStringLiteral("serial"), identity.serial);
    if (!r.error.isEmpty()) o.insert(QStringLiteral("error"), r.error);
    return {r, o};
}

int CtlRunner::forUnits(const UnitJob& job, bool wantsIdentity) {
    if (!severalBuses()) return runBus(bus(), job, wantsIdentity);
    // The workers read the catalogue side by side: every entry is made here,
    // before they start, rather than by whichever asks first.
    for (int p = 0; p < ParamTables::ParameterCount; ++p)
        catalogue_.info(p);
    qsizetype width = 0;
    for (const CtlBusSpec& b : buses_)
        width = std::max(width, b.port.size());
    struct Outcome {
        int exit = Done;
        QJsonObject json;
    };
    std::vector<Outcome> outcomes(buses_.size());
    // std::thread rather than QThread: joining one orders everything its bus
    // did before what follows here in a way ThreadSanitizer sees (Debian's Qt
    // is not built for it).  Qt adopts each thread; its event dispatcher is
    // made before the port opens, for the notifier its worker wakes it
    // through, and what the port left for deletion goes when the thread
    // ends, before the join returns.
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < buses_.size(); ++i) {
        // The bus lives and dies on its worker: its port's hand-overs run
        // in that thread's event loop, never in another bus's.
        workers.emplace_back([&, i] {
            const QEventLoop makesTheDispatcher;
            CtlBus b(options_, buses_[i], labels_[qsizetype(i)], context_);
            b.linePrefix = buses_[i].port.leftJustified(width) + QStringLiteral("  ");
            int exit = runBus(b, job, wantsIdentity);
            b.link.close();
            if (exit == Interrupted && terminated()) exit = Terminated;
            b.json.insert(QStringLiteral("bus"), buses_[i].port);
            b.json.insert(QStringLiteral("exit"), exit);
            outcomes[i] = {exit, b.json};
        });
    }
    for (std::thread& w : workers)
        w.join();
    QJsonArray list;
    bool stopped = false;
    bool failed = false;
    int exit = Done;
    for (const Outcome& o : outcomes) {
        list.append(o.json);
        if (o.exit == Done || o.exit == Differences)
            exit = std::max(exit, o.exit);
        else if (o.exit == Interrupted || o.exit == Terminated)
            stopped = true;
        else
            failed = true;
    }
    json_.insert(QStringLiteral("buses"), list);
    if (stopped) return Interrupted;
    return failed ? SomeUnits : exit;
}

int CtlRunner::runBus(CtlBus& bus, const UnitJob& job, bool wantsIdentity) {
    ServiceJournal& journal = bus.link.journal();
    if (writesToUnit(options_.command) && options_.requireJournal && !journal.check())
        return fail(bus, FileError, text("JournalRequired").arg(journal.problem()));
    // Said once, and the work goes on: a journal is a record of the work,
    // not a condition for it, unless the user made it one.
    journal.onProblem = [this, &bus](const QString& problem) {
        write(*context_.err,
              QStringLiteral("kqm52ctl: ") +
                  (severalBuses() ? bus.spec.port + QStringLiteral(": ") : QString()) +
                  text("JournalOff").arg(problem) + QLatin1Char('\n'));
    };
    const auto synced = qScopeGuard([&] { journal.sync(); });
    if (const int e = openPort(bus)) return e;
    const bool many = bus.units.has_value();
    const std::vector<int> units = many ? *bus.units : std::vector<int>{bus.link.unit()};
    std::vector<std::optional<QJsonObject>> results(units.size());
    const auto resultsJson = [&] {
        QJsonArray list;
        for (const auto& o : results)
            if (o) list.append(*o);
        return list;
    };
    int failed = 0;
    int lastExit = Done;
    // The unit of a run on one unit fails the run; one of a list is said,
    // and the list goes on.
    const auto failedUnit = [&](int unit, const UnitResult& r) {
        if (!many) {
            bus.json.insert(QStringLiteral("units"), resultsJson());
            return fail(bus, r.exit, r.error);
        }
        ++failed;
        endProgress(bus);
        // The summary line says it on standard output; without one, say it here.
        if (options_.json || options_.quiet)
            write(*context_.err,
                  QStringLiteral("kqm52ctl: ") +
                      (severalBuses() ? bus.spec.port + QStringLiteral(": ") : QString()) +
                      r.error + QLatin1Char('\n'));
        note(bus, text("UnitFailed").arg(unit, 2, 10, QLatin1Char('0')).arg(r.error));
        return int(Done);
    };
    const auto succeeded = [&](const UnitResult& r) {
        return r.exit == Done || r.exit == Differences;
    };
    // True when the run goes on.
    const auto take = [&](std::size_t i, const UnitRun& run) {
        results[i] = run.json;
        const UnitResult& r = run.result;
        if (r.exit == Interrupted) {
            bus.interrupted = true;
            fail(bus, Interrupted, r.error);
            return false;
        }
        if (succeeded(r)) {
            lastExit = std::max(lastExit, r.exit);
            if (many && !r.summary.isNull())
                note(bus,
                     text("UnitSummary").arg(units[i], 2, 10, QLatin1Char('0')).arg(r.summary));
        }
        return true;
    };
    // A unit that did not answer, or whose answers could not be used, may
    // have met a moment when it or the line was slow: it is tried once more
    // when the others on its bus are done, and only then counts as failed.
    std::vector<std::pair<std::size_t, UnitResult>> again;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (bus.link.interrupted()) {
            bus.interrupted = true;
            break;
        }
        const UnitRun run = runUnit(bus, units[i], job, wantsIdentity);
        if (!take(i, run)) break;
        const UnitResult& r = run.result;
        if (succeeded(r)) continue;
        if (r.exit == NoReply)
            again.emplace_back(i, r);
        else if (const int e = failedUnit(units[i], r))
            return e;
    }
    for (const auto& [i, first] : again) {
        if (bus.interrupted || bus.link.interrupted()) {
            // Not asked again: it counts as failed, and the run ends as stopped.
            bus.interrupted = true;
            failedUnit(units[i], first);
            if (!many) return Interrupted;
            continue;
        }
        const UnitRun run = runUnit(bus, units[i], job, wantsIdentity);
        if (!take(i, run)) continue;
        if (succeeded(run.result)) continue;
        if (const int e = failedUnit(units[i], run.result)) return e;
    }
    bus.json.insert(QStringLiteral("units"), resultsJson());
    if (bus.interrupted) return Interrupted;
    if (failed) {
        note(bus, text("UnitsFailed").arg(failed).arg(units.size()));
        return SomeUnits;
    }
    return lastExit;
}

// ---------------------------------------------------------------- transfers

void CtlRunner::drawProgress(CtlBus& bus, const TransferView& view, const QString& what) {
    // Several buses would draw over each other on the one line.
    if (severalBuses() || !context_.errorIsTerminal || options_.quiet || view.progressMaximum <= 0)
        return;
    static QElapsedTimer started;
    if (!bus.progressShown) started.start();
    bus.progressShown = true;
    const int width = 30;
    const int filled = width * view.progressPosition / view.progressMaximum;
    const double seconds = std::max<qint64>(started.elapsed(), 1) / 1000.0;
    *context_.err << '\r' << what << " [" << QString(filled, QLatin1Char('#'))
                  << QString(width - filled, QLatin1Char(' ')) << "] " << view.progressPosition
                  << '/' << view.progressMaximum << "  "
                  << QString::number(view.progressPosition / seconds, 'f', 0) << ' '
                  << text("ValuesPerSecond") << ' ';
    context_.err->flush();
}

void CtlRunner::endProgress(CtlBus& bus) {
    if (!bus.progressShown) return;
    bus.progressShown = false;
    *context_.err << '\n';
}

void CtlRunner::endProgress() {
    if (single_) endProgress(*single_);
}

QString CtlRunner::sendStopText(const SendReport& report) const {
    return report.stopText(language_.text(TextId{"SchrijfParSoll", "StopNote"}),
                           language_.text(TextId{"SchrijfParSoll", "StopNoteCompute"}));
}

int CtlRunner::transfer(CtlBus& bus, TableTransfer& t, const QString& what, QString* error) {
    QString message;
    bool interrupted = false;
    t.onViewChanged = [&](const TransferView& v) {
        // Each item is a moment to look: the poll below may come only after
        // several replies on a fast line.
        if (!interrupted && bus.link.interrupted()) {
            interrupted = true;
            t.cancel();
        }
        drawProgress(bus, v, what);
    };
    t.start();
    bus.link.waitUntil(
        [&] {
            const auto s = t.status();
            return s == TableTransfer::Status::Done || s == TableTransfer::Status::Stopped ||
                   s == TableTransfer::Status::Closed;
        },
        [&] {
            if (interrupted) return;
            interrupted = true;
            t.cancel();
        });
    endProgress(bus);
    int exit = Done;
    const bool sending = t.direction() == TableTransfer::Direction::Send;
    const TableTransfer::Status status = t.status();
    if (status == TableTransfer::Status::Done) {
        t.ok();
        if (t.computeFailed()) {
            exit = Refused;
            message = text("ComputeRefused").arg(what, t.computeAnswer());
        }
    } else {
        QString where;
        if (sending) {
            where = sendStopText(t.sendReport());
        } else {
            // Counted in values, whichever table the panel's bar is on.
            where = text("ValuesRead").arg(t.itemsBefore()).arg(t.itemCount());
        }
        if (interrupted || status == TableTransfer::Status::Closed) {
            exit = Interrupted;
            bus.interrupted = true;
            message =
                (terminated() ? text("StoppedBySignal") : text("StoppedByCtrlC")).arg(what, where);
        } else {
            switch (t.stopReason()) {
            case TableTransfer::Stop::Refused: {
                exit = Refused;
                const SendReport r = t.sendReport();
                message =
                    text("TransferRefused")
                        .arg(what, t.failedItem())
                        .arg(r.refusedIsSetpoint
                                 ? formatDecimal(t.tables.parameters[203], r.refusedValue)
                                 : valueText(r.refusedNumber, r.refusedValue, t.tables.parameters))
                        .arg(where);
                break;
            }
            case TableTransfer::Stop::BadReply:
                exit = NoReply;
                message = text("TransferBadReply").arg(what, t.failedItem(), where);
                break;
            default:
                exit = NoReply;
                message =
                    text("TransferStopped")
                        .arg(what, t.failedItem(), commErrorText(language_, t.commError()), where);
                break;
            }
        }
    }
    if (sending) {
        const SendReport r = t.sendReport();
        QJsonObject o;
        o.insert(QStringLiteral("total"), r.total);
        o.insert(QStringLiteral("confirmed"), r.confirmed);
        if (!r.firstUnconfirmed.isEmpty())
            o.insert(QStringLiteral("stoppedAt"), r.firstUnconfirmed);
        bus.json.insert(QStringLiteral("sent"), o);
    }
    if (error) *error = message;
    return exit;
}

QString CtlRunner::targetOf(const QString& target, const QString& label) const {
    return label.isEmpty() ? target : QDir(target).filePath(label);
}

int CtlRunner::prepareFolders(const QString& target) {
    const QStringList labels = severalBuses() ? labels_ : QStringList{QString()};
    for (const QString& label : labels) {
        const QString folder = targetOf(target, label);
        if (!QDir().mkpath(folder)) return fail(FileError, text("FolderNotMade").arg(folder));
        if (const int e = checkTargets({}, folder)) return e;
    }
    return Done;
}

// Before the first request: a unit is read for half a minute, and a file
// that cannot be written is better said before than after.
int CtlRunner::checkTargets(const QStringList& files, const QString& folder) {
    QString error;
    for (const QString& file : files)
        if (!canSaveFile(file, &error)) return fail(FileError, error);
    if (!folder.isEmpty() &&
        !canSaveFile(QDir(folder).filePath(QStringLiteral("kqm52ctl")), &error))
        return fail(FileError, error);
    return Done;
}

std::optional<UnitTables> CtlRunner::receiveTables(CtlBus& bus, TableTransfer::Mode mode, int& exit,
                                                   QString& error) {
    TableTransfer t(bus.link.port(), TableTransfer::Direction::Receive, language_);
    t.setMode(mode);
    exit = transfer(bus, t, QStringLiteral("receive"), &error);
    if (exit != Done) return std::nullopt;
    return t.tables;
}

QString CtlRunner::valueText(int p, qint32 value, const ParamTables::Parameters& table) const {
    ParamTables tables;
    tables.replaceParameters(table, ParameterSource::Nothing);
    return catalogue_.info(p).valueText(value, tables);
}

QJsonObject CtlRunner::parameterJson(int p, qint32 value,
                                     const ParamTables::Parameters& table) const {
    const ParameterInfo& info = catalogue_.info(p);
    QJsonObject o;
    o.insert(QStringLiteral("number"), p);
    o.insert(QStringLiteral("name"), info.name(languageNo_));
    o.insert(QStringLiteral("raw"), value);
    o.insert(QStringLiteral("value"), valueText(p, value, table));
    // A value outside the list has no option: the field is left out, as for
    // a number, rather than filled with the editor's "########".
    if (info.isOptionList() && value >= 0 && value < info.options(languageNo_).size())
        o.insert(QStringLiteral("option"), info.optionText(languageNo_, value));
    return o;
}

// ---------------------------------------------------------------- commands

} // namespace kqm52::ctl
