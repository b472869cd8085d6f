// kqm52ctl get and set: single parameters, read and written one by one.

#include "ctl/CtlRunner.h"

#include "link/ReplyText.h"
#include "link/UnitProtocol.h"
#include "model/files/FileProblemText.h"
#include "model/values/DecimalText.h"
#include "model/values/ValueEntry.h"

#include <QScopeGuard>

namespace kqm52::ctl {

int CtlRunner::get() {
    if (options_.arguments.isEmpty()) return usage(text("GetWhich"));
    std::vector<int> numbers;
    for (const QString& a : options_.arguments) {
        bool ok = false;
        const int p = a.toInt(&ok);
        if (!ok || !ParamTables::isParameter(p)) return usage(text("GetRange").arg(a));
        numbers.push_back(p);
    }
    return forUnits(
        [&](CtlBus& bus, int, const Identity&) {
            UnitResult r;
            ParamTables::Parameters table{};
            const auto read = [&](int p) -> std::optional<qint32> {
                const QString request = unit::readParameter(p);
                const Answer a = bus.link.ask(request, TableTransfer::ReceiveTimeoutMs);
                if (!a.ok()) {
                    r.exit = NoReply;
                    r.error = QStringLiteral("\"%1\": %2")
                                  .arg(request, commErrorText(language_, a.error));
                    return std::nullopt;
                }
                const auto value =
                    unit::classifyReply(request, a.reply, TableTransfer::ReplyBufferSize)
                        .readValue();
                if (!value) {
                    r.exit = NoReply;
                    r.error = text("AnsweredWith").arg(request, replyStart(a.reply, 30));
                }
                return value;
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
                    info.isOptionList() ? info.optionText(languageNo_, *v) : QString();
                data(bus, QStringLiteral("%1  %2  %3")
                              .arg(info.numberText(), info.name(languageNo_).leftJustified(30),
                                   withOption(valueText(p, *v, table), option)));
                list.append(parameterJson(p, *v, table));
            }
            r.json.insert(QStringLiteral("parameters"), list);
            return r;
        },
        false);
}

int CtlRunner::set() {
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
        [&](CtlBus& bus, int, const Identity&) {
            UnitResult r;
            // The entry ends with what became of the run, whichever way it
            // ends; the values written are its items.
            QString stoppedAt;
            ServiceJournal& record = bus.link.journal();
            const auto ended = qScopeGuard([&] {
                record.endAction(r.exit == Done          ? journal::done()
                                 : r.exit == Refused     ? journal::refused()
                                 : r.exit == Interrupted ? journal::cancelled()
                                                         : journal::stoppedAt(stoppedAt));
            });
            ParamTables::Parameters table{};
            bool needs203 = false;
            for (const Setting& s : settings)
                needs203 |=
                    catalogue_.info(s.p).decimalsSetting() == ParamTables::DecimalsFromParameter203;
            if (needs203) {
                const QString request = unit::readParameter(ParamTables::PositionDecimalsParameter);
                const Answer a = bus.link.ask(request, TableTransfer::ReceiveTimeoutMs);
                const auto value =
                    unit::classifyReply(request, a.reply, TableTransfer::ReplyBufferSize)
                        .readValue();
                if (!a.ok() || !value) {
                    r.exit = NoReply;
                    r.error = a.ok() ? text("AnsweredWith").arg(request, replyStart(a.reply, 30))
                                     : QStringLiteral("\"%1\": %2")
                                           .arg(request, commErrorText(language_, a.error));
                    return r;
                }
                table[ParamTables::PositionDecimalsParameter] = *value;
            }
            ParamTables tables;
            tables.replaceParameters(table, ParameterSource::Nothing);
            // Every value is judged before the first is written: a unit left
            // with half of a change is worse than one left alone.
            QStringList problems;
            for (Setting& s : settings) {
                const ParameterInfo& info = catalogue_.info(s.p);
                const ValueEntry entry = info.enter(s.text, tables, languageNo_);
                s.raw = entry.raw;
                const QString label =
                    QStringLiteral("P%1 %2").arg(info.numberText(), info.name(languageNo_));
                if (!entry.ok())
                    problems << entryProblemText(language_, entry, label.trimmed(), s.text);
            }
            if (!problems.isEmpty()) {
                r.exit = Usage;
                r.error =
                    problems.join(QLatin1Char('\n')) + QLatin1Char('\n') + text("NothingWritten");
                return r;
            }
            record.beginAction(journal::Action::CtlSet);
            QJsonArray written;
            int done = 0;
            const auto stopped = [&](int exit, const QString& why) {
                r.exit = exit;
                r.error = text("ValuesWritten").arg(why).arg(done).arg(settings.size());
                r.json.insert(QStringLiteral("written"), written);
                return r;
            };
            for (const Setting& s : settings) {
                if (bus.link.interrupted())
                    return stopped(Interrupted, (terminated() ? text("StoppedBeforeBySignal")
                                                              : text("StoppedBefore"))
                                                    .arg(s.p, 3, 10, QLatin1Char('0')));
                const QString request = unit::writeParameter(s.p, s.raw);
                stoppedAt = QStringLiteral("P%1").arg(s.p, 3, 10, QLatin1Char('0'));
                const Answer a = bus.link.ask(request);
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
                note(bus, text("Written").arg(shown));
            }
            r.json.insert(QStringLiteral("written"), written);
            r.json.insert(QStringLiteral("loaded"), false);
            if (!options_.load) {
                note(bus, text("TakesOverWithLoad"));
                return r;
            }
            stoppedAt = unit::compute();
            const Answer bp = bus.link.ask(unit::compute(), TableTransfer::ComputeTimeoutMs);
            if (!bp.ok()) {
                r.exit = NoReply;
                r.error = text("BpNoConfirm").arg(commErrorText(language_, bp.error));
                return r;
            }
            const unit::Reply answer =
                unit::classifyReply(unit::compute(), bp.reply, TableTransfer::ReplyBufferSize);
            if (answer.kind != unit::Reply::Kind::ComputeDone) {
                r.exit = Refused;
                r.error = text("BpRefused").arg(replyStart(bp.reply, 30));
                return r;
            }
            r.json.insert(QStringLiteral("loaded"), true);
            note(bus, text("TookOver"));
            return r;
        },
        false);
}

} // namespace kqm52::ctl
