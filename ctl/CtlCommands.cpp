#include "ctl/CtlCommands.h"

#include "inifile/SaveFile.h"

#include "link/ReplyText.h"
#include "link/UnitProtocol.h"
#include "model/BackupFile.h"
#include "model/DataFiles.h"
#include "model/DecimalText.h"
#include "model/DeviceSearch.h"
#include "model/FileProblemText.h"
#include "model/LimitCheck.h"
#include "model/ParameterFile.h"
#include "model/QtTranslations.h"
#include "model/SetpointFile.h"
#include "model/ValueEntry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <limits>

namespace kqm52::ctl {

namespace {

// A listed value under its message.
const QString Indent = QStringLiteral("  ");

QString withOption(const QString& value, const QString& option) {
    return option.isEmpty() ? value : QStringLiteral("%1 (%2)").arg(value, option);
}

// FILE of "receive all FILE": the name without its extension.
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

using Mode = TableTransfer::Mode;

// What "receive" and "send" take: params, setpoints or all.
std::optional<Mode> modeNamed(const QString& kind) {
    if (kind == QLatin1String("params")) return Mode::Parameters;
    if (kind == QLatin1String("setpoints")) return Mode::Setpoints;
    if (kind == QLatin1String("all")) return Mode::Both;
    return std::nullopt;
}

} // namespace

QString serialNumberIn(const Identity& identity) {
    static const QRegularExpression sn(
        QStringLiteral("\\bS/?N(?:[:.]\\s*|\\s+)([A-Za-z0-9][A-Za-z0-9_-]*)"));
    for (const QString& text : {identity.hardware, identity.extra, identity.type}) {
        const auto m = sn.match(text);
        if (m.hasMatch()) return m.captured(1);
    }
    return {};
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

CtlCommands::CtlCommands(const CtlOptions& options, CtlContext& context)
    : options_(options), context_(context), link_(options, context) {
    // A file of the user's own that fails is said, and the installed one read.
    const OwnFileFailed ownFileFailed = [this](const ReadProblem& problem) {
        *context_.err << "kqm52ctl: " << ownFileFailedText(language_, context_.folders, problem)
                      << '\n';
    };
    readLanguageFile(language_, context.folders, link_.languageNo(), ownFileFailed);
    readParameterDefinitions(catalogue_, context.folders, ownFileFailed);
    json_.insert(QStringLiteral("command"), options.command);
}

void CtlCommands::data(const QString& line) {
    if (!options_.json) *context_.out << line << '\n';
}

void CtlCommands::note(const QString& line) {
    if (!options_.json && !options_.quiet) *context_.out << line << '\n';
}

int CtlCommands::fail(int exit, const QString& message) {
    endProgress();
    *context_.err << "kqm52ctl: " << message << '\n';
    json_.insert(QStringLiteral("error"), message);
    return exit;
}

int CtlCommands::usage(const QString& message) {
    return fail(Usage, message + QLatin1Char('\n') + text("UsageHint").arg(options_.command));
}

int CtlCommands::exec() {
    int exit = Done;
    const QString& c = options_.command;
    if (c == QLatin1String("ports"))
        exit = ports();
    else if (c == QLatin1String("scan"))
        exit = scan();
    else if (c == QLatin1String("info"))
        exit = info();
    else if (c == QLatin1String("get"))
        exit = get();
    else if (c == QLatin1String("set"))
        exit = set();
    else if (c == QLatin1String("receive"))
        exit = receive();
    else if (c == QLatin1String("send"))
        exit = send();
    else if (c == QLatin1String("backup"))
        exit = backup();
    else if (c == QLatin1String("restore"))
        exit = restore();
    else if (c == QLatin1String("diff"))
        exit = diff();
    link_.close();
    endProgress();
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

int CtlCommands::openPort() {
    QString error;
    if (!link_.open(error, language_)) return fail(NoReply, error);
    json_.insert(QStringLiteral("port"), link_.portText());
    json_.insert(QStringLiteral("line"), link_.lineText());
    return Done;
}

std::optional<Identity> CtlCommands::identify(QString& error) {
    Identity id;
    QString* texts[] = {&id.type, &id.hardware, &id.extra};
    const QString requests[] = {unit::readType(), unit::readHardware(), unit::readExtra()};
    for (int i = 0; i < 3; ++i) {
        const Answer a = link_.askChecked(requests[i]);
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

CtlCommands::UnitRun CtlCommands::runUnit(int unit, const UnitJob& job, bool wantsIdentity) {
    UnitResult r;
    Identity identity;
    Answer answer;
    if (!link_.select(unit, &answer)) {
        r.exit = NoReply;
        r.error = answer.ok() ? text("SelectAnswered").arg(unit).arg(replyStart(answer.reply, 20))
                              : text("NoAnswer")
                                    .arg(unit)
                                    .arg(link_.lineText(), link_.portText(),
                                         commErrorText(language_, answer.error));
    } else {
        QString error;
        const std::optional<Identity> id =
            wantsIdentity ? identify(error) : std::optional<Identity>(Identity{});
        if (!id) {
            r.exit = NoReply;
            r.error = text("UnitError").arg(unit).arg(error);
        } else {
            identity = *id;
            r = job(unit, identity);
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

int CtlCommands::forUnits(const UnitJob& job, bool wantsIdentity) {
    if (const int e = openPort()) return e;
    const bool many = options_.units.has_value();
    const std::vector<int> units = many ? *options_.units : std::vector<int>{link_.unit()};
    std::vector<std::optional<QJsonObject>> results(units.size());
    const auto resultsJson = [&] {
        QJsonArray list;
        for (const auto& o : results)
            if (o) list.append(*o);
        return list;
    };
    int failed = 0;
    int lastExit = Done;
    const auto failedUnit = [&](int unit, const UnitResult& r) {
        ++failed;
        endProgress();
        // The summary line says it on standard output; without one, say it here.
        if (options_.json || options_.quiet) *context_.err << "kqm52ctl: " << r.error << '\n';
        note(text("UnitFailed").arg(unit, 2, 10, QLatin1Char('0')).arg(r.error));
    };
    const auto succeeded = [&](const UnitResult& r) {
        return r.exit == Done || r.exit == Differences;
    };
    // True when the run goes on.
    const auto take = [&](std::size_t i, const UnitRun& run) {
        results[i] = run.json;
        const UnitResult& r = run.result;
        if (r.exit == Interrupted) {
            interruptedRun_ = true;
            fail(Interrupted, r.error);
            return false;
        }
        if (succeeded(r)) {
            lastExit = std::max(lastExit, r.exit);
            if (many && !r.summary.isNull())
                note(text("UnitSummary").arg(units[i], 2, 10, QLatin1Char('0')).arg(r.summary));
        }
        return true;
    };
    // A unit that did not answer, or whose answers could not be used, may
    // have met a moment when it or the line was slow: it is tried once more
    // when the others are done, and only then counts as failed.
    std::vector<std::pair<std::size_t, UnitResult>> again;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (link_.interrupted()) {
            interruptedRun_ = true;
            break;
        }
        const UnitRun run = runUnit(units[i], job, wantsIdentity);
        if (!take(i, run)) break;
        const UnitResult& r = run.result;
        if (succeeded(r)) continue;
        if (!many) {
            json_.insert(QStringLiteral("units"), resultsJson());
            return fail(r.exit, r.error);
        }
        if (r.exit == NoReply)
            again.emplace_back(i, r);
        else
            failedUnit(units[i], r);
    }
    for (const auto& [i, first] : again) {
        if (interruptedRun_ || link_.interrupted()) {
            interruptedRun_ = true;
            failedUnit(units[i], first);
            continue;
        }
        const UnitRun run = runUnit(units[i], job, wantsIdentity);
        if (!take(i, run)) continue;
        if (!succeeded(run.result)) failedUnit(units[i], run.result);
    }
    json_.insert(QStringLiteral("units"), resultsJson());
    if (interruptedRun_) return Interrupted;
    if (failed) {
        if (many) note(text("UnitsFailed").arg(failed).arg(units.size()));
        return SomeUnits;
    }
    return lastExit;
}

// ---------------------------------------------------------------- transfers

void CtlCommands::drawProgress(const TransferView& view, const QString& what) {
    if (!context_.errorIsTerminal || options_.quiet || view.progressMaximum <= 0) return;
    static QElapsedTimer started;
    if (!progressShown_) started.start();
    progressShown_ = true;
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

void CtlCommands::endProgress() {
    if (!progressShown_) return;
    progressShown_ = false;
    *context_.err << '\n';
}

QString CtlCommands::sendStopText(const SendReport& report) const {
    return report.stopText(language_.text(TextId{"SchrijfParSoll", "StopNote"}),
                           language_.text(TextId{"SchrijfParSoll", "StopNoteCompute"}));
}

int CtlCommands::transfer(TableTransfer& t, const QString& what, QString* error) {
    QString message;
    bool interrupted = false;
    t.onViewChanged = [&](const TransferView& v) {
        // Each item is a moment to look: the poll below may come only after
        // several replies on a fast line.
        if (!interrupted && link_.interrupted()) {
            interrupted = true;
            t.cancel();
        }
        drawProgress(v, what);
    };
    t.start();
    link_.waitUntil(
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
    endProgress();
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
        const TransferView& v = t.view();
        QString where;
        if (sending) {
            where = sendStopText(t.sendReport());
        } else {
            where = text("ValuesRead").arg(v.progressPosition).arg(v.progressMaximum);
        }
        if (interrupted || status == TableTransfer::Status::Closed) {
            exit = Interrupted;
            interruptedRun_ = true;
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
        json_.insert(QStringLiteral("sent"), o);
    }
    if (error) *error = message;
    return exit;
}

// Before the first request: a unit is read for half a minute, and a file
// that cannot be written is better said before than after.
int CtlCommands::checkTargets(const QStringList& files, const QString& folder) {
    QString error;
    for (const QString& file : files)
        if (!canSaveFile(file, &error)) return fail(FileError, error);
    if (!folder.isEmpty() &&
        !canSaveFile(QDir(folder).filePath(QStringLiteral("kqm52ctl")), &error))
        return fail(FileError, error);
    return Done;
}

std::optional<UnitTables> CtlCommands::receiveTables(TableTransfer::Mode mode, int& exit,
                                                     QString& error) {
    TableTransfer t(link_.port(), TableTransfer::Direction::Receive);
    t.setMode(mode);
    exit = transfer(t, QStringLiteral("receive"), &error);
    if (exit != Done) return std::nullopt;
    return t.tables;
}

QString CtlCommands::valueText(int p, qint32 value, const ParamTables::Parameters& table) const {
    ParamTables tables;
    tables.replaceParameters(table, ParameterSource::Nothing);
    return catalogue_.info(p).valueText(value, tables);
}

QJsonObject CtlCommands::parameterJson(int p, qint32 value,
                                       const ParamTables::Parameters& table) const {
    const ParameterInfo& info = catalogue_.info(p);
    QJsonObject o;
    o.insert(QStringLiteral("number"), p);
    o.insert(QStringLiteral("name"), info.name(link_.languageNo()));
    o.insert(QStringLiteral("raw"), value);
    o.insert(QStringLiteral("value"), valueText(p, value, table));
    // A value outside the list has no option: the field is left out, as for
    // a number, rather than filled with the editor's "########".
    if (info.isOptionList() && value >= 0 && value < info.options(link_.languageNo()).size())
        o.insert(QStringLiteral("option"), info.optionText(link_.languageNo(), value));
    return o;
}

// ---------------------------------------------------------------- commands

int CtlCommands::ports() {
    QJsonArray list;
    for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts()) {
        QString description = p.description();
        if (!p.manufacturer().isEmpty())
            description += QStringLiteral(" (%1)").arg(p.manufacturer());
        data(QStringLiteral("%1  %2").arg(p.systemLocation().leftJustified(20), description));
        list.append(QJsonObject{{QStringLiteral("device"), p.systemLocation()},
                                {QStringLiteral("description"), p.description()},
                                {QStringLiteral("manufacturer"), p.manufacturer()}});
    }
    data(QStringLiteral("%1  %2").arg(QStringLiteral("sim").leftJustified(20), text("SimBus")));
    list.append(
        QJsonObject{{QStringLiteral("device"), QStringLiteral("sim")},
                    {QStringLiteral("description"), QStringLiteral("the built-in simulated bus")}});
    json_.insert(QStringLiteral("ports"), list);
    QJsonObject mapped;
    for (int i = 0; i < PortCount; ++i) {
        const TPort port = TPort(i);
        if (!link_.port().portMap().isConfigured(port)) continue;
        const QString device = link_.port().portMap().device(port);
        note(QStringLiteral("%1 -> %2").arg(PortMap::key(port), device));
        mapped.insert(PortMap::key(port), device);
    }
    json_.insert(QStringLiteral("portMap"), mapped);
    return Done;
}

int CtlCommands::scan() {
    if (!options_.arguments.isEmpty())
        return usage(text("NoArguments").arg(QStringLiteral("scan")));
    class View : public DeviceSearchView {
      public:
        explicit View(CtlCommands& c) : c_(c) {}
        void probing(const SearchCombination& at) override {
            if (!c_.context_.errorIsTerminal || c_.options_.quiet) return;
            const QString line = QStringLiteral("%1,%2,8,%3")
                                     .arg(DeviceSearch::speedText(at.baud))
                                     .arg(DeviceSearch::parityText(at.parity).left(1))
                                     .arg(DeviceSearch::stopText(at.stop));
            *c_.context_.err << '\r' << c_.text("ScanProgress").arg(at.unit, 2).arg(line) << "   ";
            c_.context_.err->flush();
            c_.progressShown_ = true;
        }
        void unitFound(int) override {}
        void stateChanged() override {}
        void showError(const QString&, const QString& text) override { error = text; }
        QString error;

      private:
        CtlCommands& c_;
    } view(*this);

    SearchChoice choice;
    if (options_.baud) {
        for (int i = 0; i < DeviceSearch::SpeedCount; ++i)
            if (DeviceSearch::speedOf(i) == *options_.baud) choice.startSpeedIndex = i;
    }
    choice.autoParity = choice.autoStopBits = options_.allSettings;
    DeviceSearch search(link_.port(), view, language_);
    search.activate();
    // Opened here, so that a port that will not open is named as the user
    // gave it (a device path is no "COM1"), as every other command names it.
    QString error;
    if (!link_.open(error, language_)) return fail(NoReply, error);
    search.start(choice);
    bool interrupted = false;
    for (;;) {
        link_.waitUntil([&] { return search.state() != SearchState::Searching; },
                        [&] {
                            interrupted = true;
                            search.stop();
                        });
        if (search.state() == SearchState::Found && !interrupted) {
            search.resume();
            continue;
        }
        break;
    }
    endProgress();
    QJsonArray units;
    for (const FoundUnit& f : search.found()) {
        const QString line = QStringLiteral("%1,%2,8,%3")
                                 .arg(baudrateValue(f.at.baud))
                                 .arg(DeviceSearch::parityText(f.at.parity).left(1))
                                 .arg(DeviceSearch::stopText(f.at.stop));
        data(QStringLiteral("unit %1  %2  %3")
                 .arg(f.at.unit, 2)
                 .arg(line.leftJustified(12), f.typeText));
        units.append(
            QJsonObject{{QStringLiteral("unit"), f.at.unit},
                        {QStringLiteral("line"), line},
                        {QStringLiteral("baud"), baudrateValue(f.at.baud)},
                        {QStringLiteral("parity"), DeviceSearch::parityText(f.at.parity).left(1)},
                        {QStringLiteral("stopBits"), stopBitsValue(f.at.stop)},
                        {QStringLiteral("type"), f.typeText}});
    }
    json_.insert(QStringLiteral("units"), units);
    search.cancel();
    if (!view.error.isEmpty()) return fail(NoReply, view.error);
    if (interrupted)
        return fail(Interrupted, (terminated() ? text("ScanStoppedBySignal") : text("ScanStopped"))
                                     .arg(search.current().unit));
    note(text("UnitsFound").arg(search.found().size()));
    return Done;
}

int CtlCommands::info() {
    if (options_.arguments.size() > (options_.units ? 1 : 0))
        return usage(text("NoArguments").arg(QStringLiteral("info")));
    const bool many = options_.units.has_value();
    return forUnits(
        [&](int unit, const Identity& id) {
            UnitResult r;
            if (many) {
                data(QStringLiteral("unit %1  %2   %3   %4")
                         .arg(unit, 2, 10, QLatin1Char('0'))
                         .arg(id.type, id.hardware, id.extra));
                r.summary = QString(); // the line above is the summary
            } else {
                data(QStringLiteral("type      %1").arg(id.type));
                data(QStringLiteral("hardware  %1").arg(id.hardware));
                data(QStringLiteral("extra     %1").arg(id.extra));
            }
            r.json = QJsonObject{{QStringLiteral("type"), id.type},
                                 {QStringLiteral("hardware"), id.hardware},
                                 {QStringLiteral("extra"), id.extra}};
            return r;
        },
        true);
}

int CtlCommands::get() {
    if (options_.units) return usage(text("OneUnitOnly").arg(QStringLiteral("get")));
    if (options_.arguments.isEmpty()) return usage(text("GetWhich"));
    std::vector<int> numbers;
    for (const QString& a : options_.arguments) {
        bool ok = false;
        const int p = a.toInt(&ok);
        if (!ok || !ParamTables::isParameter(p)) return usage(text("GetRange").arg(a));
        numbers.push_back(p);
    }
    return forUnits(
        [&](int, const Identity&) {
            UnitResult r;
            ParamTables::Parameters table{};
            const auto read = [&](int p) -> std::optional<qint32> {
                const QString request = unit::readParameter(p);
                const Answer a = link_.ask(request, TableTransfer::ReceiveTimeoutMs);
                if (!a.ok()) {
                    r.exit = NoReply;
                    r.error = QStringLiteral("\"%1\": %2")
                                  .arg(request, commErrorText(language_, a.error));
                    return std::nullopt;
                }
                const unit::Reply reply =
                    unit::classifyReply(request, a.reply, TableTransfer::ReplyBufferSize);
                if (reply.kind != unit::Reply::Kind::Value || !reply.matches) {
                    r.exit = NoReply;
                    r.error = text("AnsweredWith").arg(request, replyStart(a.reply, 30));
                    return std::nullopt;
                }
                return reply.value;
            };
            // The decimals of a position follow parameter 203, as the editor shows them.
            bool needs203 = false;
            for (int p : numbers)
                needs203 |=
                    catalogue_.info(p).decimalsSetting() == ParamTables::DecimalsFromParameter203;
            if (needs203) {
                const auto d = read(ParamTables::PositionDecimalsParameter);
                if (!d) return r;
                table[ParamTables::PositionDecimalsParameter] = *d;
            }
            QJsonArray list;
            for (int p : numbers) {
                const auto v = read(p);
                if (!v) return r;
                table[std::size_t(p)] = *v;
                const ParameterInfo& info = catalogue_.info(p);
                const QString option =
                    info.isOptionList() ? info.optionText(link_.languageNo(), *v) : QString();
                data(QStringLiteral("%1  %2  %3")
                         .arg(info.numberText(), info.name(link_.languageNo()).leftJustified(30),
                              withOption(valueText(p, *v, table), option)));
                list.append(parameterJson(p, *v, table));
            }
            r.json.insert(QStringLiteral("parameters"), list);
            return r;
        },
        false);
}

int CtlCommands::set() {
    if (options_.units) return usage(text("OneUnitOnly").arg(QStringLiteral("set")));
    if (options_.arguments.isEmpty()) return usage(text("SetWhich"));
    struct Setting {
        int p;
        QString text;
        qint32 raw = 0;
    };
    std::vector<Setting> settings;
    for (const QString& a : options_.arguments) {
        const int eq = a.indexOf(QLatin1Char('='));
        bool ok = false;
        const int p = a.left(eq).toInt(&ok);
        if (eq < 0 || !ok || !ParamTables::isParameter(p)) return usage(text("SetSyntax").arg(a));
        // Which of two values the unit would keep is not for us to guess.
        for (const Setting& earlier : settings)
            if (earlier.p == p)
                return usage(text("SetTwice")
                                 .arg(p, 3, 10, QLatin1Char('0'))
                                 .arg(earlier.text, a.mid(eq + 1).trimmed()));
        settings.push_back({p, a.mid(eq + 1).trimmed()});
    }
    return forUnits(
        [&](int, const Identity&) {
            UnitResult r;
            ParamTables::Parameters table{};
            bool needs203 = false;
            for (const Setting& s : settings)
                needs203 |=
                    catalogue_.info(s.p).decimalsSetting() == ParamTables::DecimalsFromParameter203;
            if (needs203) {
                const QString request = unit::readParameter(ParamTables::PositionDecimalsParameter);
                const Answer a = link_.ask(request, TableTransfer::ReceiveTimeoutMs);
                const unit::Reply reply =
                    unit::classifyReply(request, a.reply, TableTransfer::ReplyBufferSize);
                if (!a.ok() || reply.kind != unit::Reply::Kind::Value || !reply.matches) {
                    r.exit = NoReply;
                    r.error = a.ok() ? text("AnsweredWith").arg(request, replyStart(a.reply, 30))
                                     : QStringLiteral("\"%1\": %2")
                                           .arg(request, commErrorText(language_, a.error));
                    return r;
                }
                table[ParamTables::PositionDecimalsParameter] = reply.value;
            }
            ParamTables tables;
            tables.replaceParameters(table, ParameterSource::Nothing);
            // Every value is judged before the first is written: a unit left
            // with half of a change is worse than one left alone.
            QStringList problems;
            for (Setting& s : settings) {
                const ParameterInfo& info = catalogue_.info(s.p);
                const ValueEntry entry = info.enter(s.text, tables, link_.languageNo());
                s.raw = entry.raw;
                const QString label =
                    QStringLiteral("P%1 %2").arg(info.numberText(), info.name(link_.languageNo()));
                if (!entry.ok())
                    problems << entryProblemText(language_, entry, label.trimmed(), s.text);
            }
            if (!problems.isEmpty()) {
                r.exit = Usage;
                r.error =
                    problems.join(QLatin1Char('\n')) + QLatin1Char('\n') + text("NothingWritten");
                return r;
            }
            QJsonArray written;
            int done = 0;
            const auto stopped = [&](int exit, const QString& why) {
                r.exit = exit;
                r.error = text("ValuesWritten").arg(why).arg(done).arg(settings.size());
                r.json.insert(QStringLiteral("written"), written);
                return r;
            };
            for (const Setting& s : settings) {
                if (link_.interrupted())
                    return stopped(Interrupted, (terminated() ? text("StoppedBeforeBySignal")
                                                              : text("StoppedBefore"))
                                                    .arg(s.p, 3, 10, QLatin1Char('0')));
                const QString request = unit::writeParameter(s.p, s.raw);
                const Answer a = link_.ask(request);
                const QString shown = QStringLiteral("P%1 = %2")
                                          .arg(s.p, 3, 10, QLatin1Char('0'))
                                          .arg(valueText(s.p, s.raw, table));
                if (!a.ok())
                    return stopped(NoReply, QStringLiteral("\"%1\": %2.")
                                                .arg(request, commErrorText(language_, a.error)));
                const unit::Reply reply =
                    unit::classifyReply(request, a.reply, TableTransfer::ReplyBufferSize);
                if (reply.refused(unit::ValueRefused))
                    return stopped(
                        Refused,
                        text("UnitRefused").arg(shown, unit::refusalText(unit::ValueRefused)));
                if (!reply.answers())
                    return stopped(NoReply, (text("AnsweredWith") + QLatin1Char('.'))
                                                .arg(request, replyStart(a.reply, 30)));
                ++done;
                written.append(parameterJson(s.p, s.raw, table));
                note(text("Written").arg(shown));
            }
            r.json.insert(QStringLiteral("written"), written);
            r.json.insert(QStringLiteral("loaded"), false);
            if (!options_.load) {
                note(text("TakesOverWithLoad"));
                return r;
            }
            const Answer bp = link_.ask(unit::compute(), TableTransfer::ComputeTimeoutMs);
            if (!bp.ok()) {
                r.exit = NoReply;
                r.error = text("BpNoConfirm").arg(commErrorText(language_, bp.error));
                return r;
            }
            const unit::Reply answer =
                unit::classifyReply(unit::compute(), bp.reply, TableTransfer::ReplyBufferSize);
            if (answer.kind != unit::Reply::Kind::ComputeDone) {
                r.exit = Refused;
                r.error = text("BpRefused").arg(QString::fromLatin1(bp.reply.trimmed()));
                return r;
            }
            r.json.insert(QStringLiteral("loaded"), true);
            note(text("TookOver"));
            return r;
        },
        false);
}

int CtlCommands::receive() {
    const QString kind = argument(0);
    const std::optional<Mode> chosen = modeNamed(kind);
    if (!chosen || options_.arguments.size() != 2)
        return usage(QStringLiteral("receive params|setpoints|all FILE"));
    const Mode mode = *chosen;
    const bool many = options_.units.has_value();
    const QString target = argument(1);
    if (many && !QDir().mkpath(target)) return fail(FileError, text("FolderNotMade").arg(target));
    const QStringList single =
        mode == Mode::Both ? QStringList{baseName(target) + ".mxp", baseName(target) + ".mxs"}
                           : QStringList{target};
    if (const int e = checkTargets(many ? QStringList{} : single, many ? target : QString()))
        return e;
    return forUnits(
        [&](int unit, const Identity& id) {
            UnitResult r;
            const auto tables = receiveTables(mode, r.exit, r.error);
            if (!tables) return r;
            QStringList files;
            if (many) {
                const QString base = QDir(target).filePath(unitFileBase(unit, id.serial));
                if (mode != Mode::Setpoints) files << base + QStringLiteral(".mxp");
                if (mode != Mode::Parameters) files << base + QStringLiteral(".mxs");
            } else if (mode == Mode::Both) {
                files << baseName(target) + QStringLiteral(".mxp")
                      << baseName(target) + QStringLiteral(".mxs");
            } else {
                files << target;
            }
            for (int i = 0; i < files.size(); ++i) {
                const bool setpoints = mode == Mode::Setpoints || (mode == Mode::Both && i == 1);
                const QString error =
                    setpoints ? SetpointFile::write(files[i], tables->setpoints, unit)
                              : ParameterFile::write(files[i], tables->parameters, unit);
                if (!error.isEmpty()) {
                    r.exit = FileError;
                    r.error = error;
                    return r;
                }
                if (!many) note(text("Wrote").arg(files[i]));
            }
            r.summary = files.join(QStringLiteral(", "));
            r.json.insert(QStringLiteral("files"), QJsonArray::fromStringList(files));
            return r;
        },
        many);
}

int CtlCommands::send() {
    if (options_.units) return usage(text("OneUnitOnly").arg(QStringLiteral("send")));
    const QString kind = argument(0);
    const std::optional<Mode> chosen = modeNamed(kind);
    if (!chosen || options_.arguments.size() != 2)
        return usage(QStringLiteral("send params|setpoints|all FILE"));
    const Mode mode = *chosen;
    const QString path = argument(1);
    UnitTables tables;
    const QString paramPath = mode == Mode::Both ? baseName(path) + QStringLiteral(".mxp") : path;
    const QString setpointPath =
        mode == Mode::Both ? baseName(path) + QStringLiteral(".mxs") : path;
    if (mode != Mode::Setpoints) {
        const auto read = ParameterFile::read(paramPath);
        if (!read.ok()) return fail(FileError, fileRefusal(language_, paramPath, read.problem));
        tables.parameters = *read.tables;
    }
    if (mode != Mode::Parameters) {
        const auto read = SetpointFile::read(setpointPath);
        if (!read.ok()) return fail(FileError, fileRefusal(language_, setpointPath, read.problem));
        tables.setpoints = *read.tables;
    }
    std::vector<LimitFinding> findings;
    if (mode != Mode::Setpoints)
        findings = LimitCheck::parameters(catalogue_, link_.languageNo(), tables.parameters);
    if (mode != Mode::Parameters) {
        const auto s = LimitCheck::setpoints(tables.parameters, tables.setpoints);
        findings.insert(findings.end(), s.begin(), s.end());
    }
    if (!findings.empty())
        return fail(Usage, text("WouldRefuse") + QLatin1Char('\n') +
                               LimitCheck::list(findings, Indent + text("LimitLine"),
                                                Indent + text("AndMore"), QStringLiteral("\n")) +
                               QLatin1Char('\n') + text("NothingSent"));
    return forUnits(
        [&](int, const Identity&) {
            UnitResult r;
            TableTransfer t(link_.port(), TableTransfer::Direction::Send);
            t.setMode(mode);
            t.tables = tables;
            r.exit = transfer(t, QStringLiteral("send"), &r.error);
            if (r.exit == Done) note(text("SentValues").arg(t.sendReport().total));
            return r;
        },
        false);
}

int CtlCommands::backup() {
    if (options_.arguments.size() != 1) return usage(QStringLiteral("backup FILE.bak"));
    const bool many = options_.units.has_value();
    const QString target = argument(0);
    if (many && !QDir().mkpath(target)) return fail(FileError, text("FolderNotMade").arg(target));
    if (const int e =
            checkTargets(many ? QStringList{} : QStringList{target}, many ? target : QString()))
        return e;
    return forUnits(
        [&](int unit, const Identity& id) {
            UnitResult r;
            const auto tables = receiveTables(Mode::Device, r.exit, r.error);
            if (!tables) return r;
            const QString file =
                many ? QDir(target).filePath(unitFileName(unit, id.serial, QStringLiteral("bak")))
                     : target;
            const QString error = BackupFile::write(file, *tables);
            if (!error.isEmpty()) {
                r.exit = FileError;
                r.error = error;
                return r;
            }
            if (!many) note(text("Wrote").arg(file));
            r.summary = file;
            r.json.insert(QStringLiteral("files"), QJsonArray{file});
            return r;
        },
        many);
}

int CtlCommands::restore() {
    if (options_.units) return usage(text("OneUnitOnly").arg(QStringLiteral("restore")));
    if (options_.arguments.size() != 1) return usage(QStringLiteral("restore FILE.bak"));
    const QString path = argument(0);
    const auto read = BackupFile::read(path);
    if (!read.ok()) return fail(FileError, fileRefusal(language_, path, read.problem));
    std::vector<LimitFinding> findings =
        LimitCheck::parameters(catalogue_, link_.languageNo(), read.tables->parameters);
    const auto s = LimitCheck::setpoints(read.tables->parameters, read.tables->setpoints);
    findings.insert(findings.end(), s.begin(), s.end());
    if (!findings.empty())
        return fail(Usage, text("FileWouldRefuse").arg(path) + QLatin1Char('\n') +
                               LimitCheck::list(findings, Indent + text("LimitLine"),
                                                Indent + text("AndMore"), QStringLiteral("\n")) +
                               QLatin1Char('\n') + text("NothingSent"));
    if (!options_.yes) {
        if (!context_.inputIsTerminal || !context_.readLine) return usage(text("RestoreNeedsYes"));
        *context_.err << text("RestoreQuestion").arg(link_.unit()).arg(link_.portText(), path)
                      << ' ';
        context_.err->flush();
        const std::optional<QString> answer = context_.readLine();
        if (!answer) {
            // Ctrl+C at the question: the user's no, at once.
            *context_.err << '\n';
            return fail(Interrupted, text("NotConfirmed"));
        }
        // Only the yes of the language the question was asked in: a "j"
        // typed at "[y/N]" is not an answer the user was offered.
        const QStringList yes = text("YesWords").split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!yes.contains(answer->trimmed().toLower())) return fail(Usage, text("NotConfirmed"));
    }
    return forUnits(
        [&](int, const Identity&) {
            UnitResult r;
            TableTransfer t(link_.port(), TableTransfer::Direction::Send);
            t.setMode(Mode::Device);
            t.tables = *read.tables;
            r.exit = transfer(t, QStringLiteral("restore"), &r.error);
            if (r.exit == Done) note(text("Restored").arg(t.sendReport().total).arg(path));
            return r;
        },
        false);
}

int CtlCommands::diff() {
    if (options_.arguments.size() != 2) return usage(QStringLiteral("diff A B"));
    const QString left = argument(0);
    const QString right = argument(1);
    const bool unitSide = left == QLatin1String("unit");
    if (options_.units && !unitSide) return usage(text("DiffUnits"));
    const auto readFile = [&](const QString& path, ParamTables::Parameters& into) {
        const auto read = ParameterFile::read(path);
        if (!read.ok()) return fail(FileError, fileRefusal(language_, path, read.problem));
        into = *read.tables;
        return int(Done);
    };
    ParamTables::Parameters rightTable{};
    if (const int e = readFile(right, rightTable)) return e;
    json_.insert(QStringLiteral("left"), left);
    json_.insert(QStringLiteral("right"), right);

    const auto listDifferences = [&](const ParamTables::Parameters& a, const QString& indent) {
        const auto differences =
            ParameterDiff::compare(catalogue_, link_.languageNo(), a, rightTable);
        QJsonArray list;
        for (const ParameterDifference& d : differences) {
            data(indent + differenceLine(d));
            QJsonObject l{{QStringLiteral("raw"), d.left}, {QStringLiteral("value"), d.leftText}};
            QJsonObject rr{{QStringLiteral("raw"), d.right},
                           {QStringLiteral("value"), d.rightText}};
            if (!d.leftOption.isEmpty()) l.insert(QStringLiteral("option"), d.leftOption);
            if (!d.rightOption.isEmpty()) rr.insert(QStringLiteral("option"), d.rightOption);
            list.append(QJsonObject{{QStringLiteral("number"), d.number},
                                    {QStringLiteral("name"), d.name},
                                    {QStringLiteral("left"), l},
                                    {QStringLiteral("right"), rr}});
        }
        return list;
    };

    if (!unitSide) {
        ParamTables::Parameters leftTable{};
        if (const int e = readFile(left, leftTable)) return e;
        const QJsonArray list = listDifferences(leftTable, QString());
        json_.insert(QStringLiteral("differences"), list);
        return list.isEmpty() ? Done : Differences;
    }
    const bool many = options_.units.has_value();
    return forUnits(
        [&](int unit, const Identity&) {
            UnitResult r;
            const auto tables = receiveTables(Mode::Parameters, r.exit, r.error);
            if (!tables) return r;
            if (many) {
                // The unit's lines follow its summary, so a reader knows whose they are.
                const auto count = ParameterDiff::compare(catalogue_, link_.languageNo(),
                                                          tables->parameters, rightTable)
                                       .size();
                note(text("UnitDifferences").arg(unit, 2, 10, QLatin1Char('0')).arg(count));
            }
            const QJsonArray list =
                listDifferences(tables->parameters, many ? QStringLiteral("  ") : QString());
            r.json.insert(QStringLiteral("differences"), list);
            r.exit = list.isEmpty() ? Done : Differences;
            return r;
        },
        false);
}

// ---------------------------------------------------------------- entry

int runCtl(const QStringList& arguments, CtlContext& context) {
    const ParsedLine line = parseCommandLine(arguments);
    // Before a command runs: in the language --lang asks for when it can be
    // read, else in the one of application.ini.
    LanguageTexts language;
    const auto readLanguage = [&](std::optional<int> asked) {
        const int languageNo = asked.value_or(CtlLink::settingsLanguage(context.folders));
        readLanguageFile(language, context.folders, languageNo, {});
        return languageNo;
    };
    // What a script that gave --json reads when no command ran.
    const auto document = [&](int exit, const char* field, const QString& value) {
        if (!jsonAsked(arguments)) return exit;
        QJsonObject json{{QStringLiteral("command"), line.options.command},
                         {QString::fromLatin1(field), value},
                         {QStringLiteral("exit"), exit}};
        *context.out << QJsonDocument(json).toJson(QJsonDocument::Indented);
        context.out->flush();
        return exit;
    };
    if (!line.error.isEmpty()) {
        const int languageNo = readLanguage(languageAsked(arguments));
        QString error = line.error;
        if (line.errorText) {
            error = language.text(line.errorText->id()).arg(line.errorValue);
        } else {
            // The parser's own words ("Unknown option"), read again with
            // Qt's texts in that language.
            QtTranslations qtTexts;
            if (qtTexts.use(languageNo)) error = parseCommandLine(arguments).error;
        }
        *context.err << "kqm52ctl: " << error << '\n'
                     << language.text(TextIn<"Ctl">{"OptHelpHint"}) << '\n';
        context.err->flush();
        return document(Usage, "error", error);
    }
    if (line.options.help || line.options.command.isEmpty()) {
        readLanguage(line.options.language);
        const QString help = line.options.command.isEmpty()
                                 ? generalHelp(language)
                                 : commandHelp(language, line.options.command);
        if (line.options.json)
            return line.options.help
                       ? document(Done, "help", help)
                       : document(Usage, "error", language.text(TextIn<"Ctl">{"NoCommand"}));
        *context.out << help;
        context.out->flush();
        return line.options.help ? Done : Usage;
    }
    CtlCommands commands(line.options, context);
    return commands.exec();
}

} // namespace kqm52::ctl
