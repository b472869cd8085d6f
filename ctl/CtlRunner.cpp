#include "ctl/CtlRunner.h"

#include "ctl/CtlCommandTable.h"

#include "inifile/SaveFile.h"

#include "link/ReplyText.h"
#include "link/UnitProtocol.h"
#include "model/engines/DataFiles.h"
#include "model/files/FileProblemText.h"
#include "model/values/DecimalText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>

namespace kqm52::ctl {

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

CtlRunner::CtlRunner(const CtlOptions& options, CtlContext& context)
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

void CtlRunner::data(const QString& line) {
    if (!options_.json) *context_.out << line << '\n';
}

void CtlRunner::note(const QString& line) {
    if (!options_.json && !options_.quiet) *context_.out << line << '\n';
}

int CtlRunner::fail(int exit, const QString& message) {
    endProgress();
    *context_.err << "kqm52ctl: " << message << '\n';
    json_.insert(QStringLiteral("error"), message);
    return exit;
}

int CtlRunner::usage(const QString& message) {
    return fail(Usage, message + QLatin1Char('\n') + text("UsageHint").arg(options_.command));
}

int CtlRunner::run(const CtlCommand& command) {
    if (options_.units && command.units != CtlUnits::Many)
        return usage((command.units == CtlUnits::One ? text("OneUnitOnly") : text("NoUnits"))
                         .arg(QLatin1String(command.name)));
    return (this->*command.run)();
}

int CtlRunner::exec() {
    // The parser let through only the table's names.
    const CtlCommand* command = findCommand(options_.command);
    int exit = command ? run(*command) : usage(text("OptCommand").arg(options_.command));
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

int CtlRunner::openPort() {
    QString error;
    if (!link_.open(error, language_)) return fail(NoReply, error);
    json_.insert(QStringLiteral("port"), link_.portText());
    json_.insert(QStringLiteral("line"), link_.lineText());
    if (link_.lineSetAtServer()) json_.insert(QStringLiteral("lineSetAtServer"), true);
    return Done;
}

std::optional<Identity> CtlRunner::identify(QString& error) {
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

CtlRunner::UnitRun CtlRunner::runUnit(int unit, const UnitJob& job, bool wantsIdentity) {
    UnitResult r;
    Identity identity;
    Answer answer;
    if (!link_.select(unit, &answer)) {
        r.exit = NoReply;
        r.error = answer.ok() ? text("SelectAnswered").arg(unit).arg(replyStart(answer.reply, 20))
                              : text("NoAnswer")
                                    .arg(unit)
                                    .arg(link_.lineShown(language_), link_.portText(),
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

int CtlRunner::forUnits(const UnitJob& job, bool wantsIdentity) {
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

void CtlRunner::drawProgress(const TransferView& view, const QString& what) {
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

void CtlRunner::endProgress() {
    if (!progressShown_) return;
    progressShown_ = false;
    *context_.err << '\n';
}

QString CtlRunner::sendStopText(const SendReport& report) const {
    return report.stopText(language_.text(TextId{"SchrijfParSoll", "StopNote"}),
                           language_.text(TextId{"SchrijfParSoll", "StopNoteCompute"}));
}

int CtlRunner::transfer(TableTransfer& t, const QString& what, QString* error) {
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
int CtlRunner::checkTargets(const QStringList& files, const QString& folder) {
    QString error;
    for (const QString& file : files)
        if (!canSaveFile(file, &error)) return fail(FileError, error);
    if (!folder.isEmpty() &&
        !canSaveFile(QDir(folder).filePath(QStringLiteral("kqm52ctl")), &error))
        return fail(FileError, error);
    return Done;
}

std::optional<UnitTables> CtlRunner::receiveTables(TableTransfer::Mode mode, int& exit,
                                                   QString& error) {
    TableTransfer t(link_.port(), TableTransfer::Direction::Receive, language_);
    t.setMode(mode);
    exit = transfer(t, QStringLiteral("receive"), &error);
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

} // namespace kqm52::ctl
