// kqm52ctl journal: what was written to units, from the service journal,
// and the pruning of old entries.  The file is only read (or pruned): a
// journal that is not there yet is an empty one.

#include "ctl/CtlRunner.h"

#include "model/journal/JournalStore.h"
#include "model/journal/ServiceJournal.h"

#include <QFileInfo>
#include <QJsonArray>

namespace kqm52::ctl {

namespace {

QString localTime(const JournalEntry& e) {
    return e.time.toOffsetFromUtc(e.utcOffsetSeconds)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t"));
}

QJsonValue rawJson(const std::optional<qint64>& v) {
    return v ? QJsonValue(double(*v)) : QJsonValue(QJsonValue::Null);
}

QJsonObject entryJson(const JournalEntry& e, const std::vector<JournalItem>& items) {
    QJsonArray rows;
    for (const JournalItem& i : items) {
        QJsonObject row{{QStringLiteral("kind"), QString(i.kind)},
                        {QStringLiteral("old"), rawJson(i.oldValue)},
                        {QStringLiteral("new"), rawJson(i.newValue)},
                        {QStringLiteral("line"), i.line},
                        {QStringLiteral("answer"), i.answer}};
        if (i.number >= 0) row.insert(QStringLiteral("number"), i.number);
        rows.append(row);
    }
    QJsonObject o{{QStringLiteral("id"), double(e.id)},
                  {QStringLiteral("time"), JournalStore::timeText(e.time)},
                  {QStringLiteral("utcOffset"), e.utcOffsetSeconds},
                  {QStringLiteral("user"), e.user},
                  {QStringLiteral("host"), e.host},
                  {QStringLiteral("program"), e.program},
                  {QStringLiteral("version"), e.version},
                  {QStringLiteral("port"), e.port},
                  {QStringLiteral("line"), e.line},
                  {QStringLiteral("type"), e.unitType},
                  {QStringLiteral("serial"), e.serial},
                  {QStringLiteral("action"), e.action},
                  {QStringLiteral("outcome"), e.outcome},
                  {QStringLiteral("items"), rows}};
    if (e.unit >= 0) o.insert(QStringLiteral("unit"), e.unit);
    if (!e.file.isEmpty()) {
        o.insert(QStringLiteral("file"), e.file);
        o.insert(QStringLiteral("sha256"), e.fileSha256);
    }
    return o;
}

QString rawText(const std::optional<qint64>& v, const QString& unknown) {
    return v ? QString::number(*v) : unknown;
}

} // namespace

int CtlRunner::journalCommand() {
    if (!options_.arguments.isEmpty())
        return usage(text("NoArguments").arg(QStringLiteral("journal")));
    const QString path = options_.journal                  ? *options_.journal
                         : !context_.journalPath.isEmpty() ? context_.journalPath
                                                           : context_.folders.journalPath();
    json_.insert(QStringLiteral("journal"), path);
    if (!options_.action.isEmpty() && !journal::actionNamed(options_.action)) {
        QStringList names;
        for (int a = 0; a < journal::ActionCount; ++a)
            names << journal::actionName(journal::Action(a));
        return usage(text("OptAction").arg(options_.action, names.join(QStringLiteral(", "))));
    }
    if (!QFileInfo::exists(path)) {
        note(text("JournalNone").arg(path));
        json_.insert(QStringLiteral("entries"), QJsonArray());
        return Done;
    }
    JournalStore store;
    if (options_.pruneBefore) {
        if (!store.open(path)) return fail(FileError, text("JournalRefused").arg(store.problem()));
        const QString date = options_.pruneBefore->toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        const int count = store.count({.until = *options_.pruneBefore});
        if (!options_.yes) {
            if (!context_.inputIsTerminal || !context_.readLine)
                return usage(text("PruneNeedsYes"));
            *context_.err << text("PruneQuestion").arg(count).arg(date, path) << ' ';
            context_.err->flush();
            const std::optional<QString> answer = context_.readLine();
            if (!answer) {
                *context_.err << '\n';
                return fail(Interrupted, text("NotConfirmed"));
            }
            const QStringList yes = text("YesWords").split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (!yes.contains(answer->trimmed().toLower()))
                return fail(Usage, text("NotConfirmed"));
        }
        const int removed = store.pruneBefore(*options_.pruneBefore);
        if (removed < 0) return fail(FileError, text("JournalRefused").arg(store.problem()));
        note(text("Pruned").arg(removed).arg(date));
        json_.insert(QStringLiteral("pruned"), removed);
        return Done;
    }
    if (!store.openForReading(path))
        return fail(FileError, text("JournalRefused").arg(store.problem()));
    JournalFilter filter;
    filter.serial = options_.serial;
    filter.unit = options_.unit;
    if (!options_.ports.isEmpty()) filter.port = options_.ports.front();
    filter.since = options_.since;
    filter.until = options_.until;
    filter.action = options_.action;
    const QString unknown = text("JournalUnknown");
    QJsonArray list;
    for (const JournalEntry& e : store.find(filter)) {
        const std::vector<JournalItem> items = store.items(e.id);
        if (options_.json) {
            list.append(entryJson(e, items));
            continue;
        }
        QString who = e.user;
        if (!e.host.isEmpty()) who += QLatin1Char('@') + e.host;
        QString unitText =
            e.unit >= 0 ? text("JournalUnit").arg(e.unit, 2, 10, QLatin1Char('0')) : QString();
        if (!e.unitType.isEmpty()) unitText += QLatin1Char(' ') + e.unitType;
        if (!e.serial.isEmpty()) unitText += QStringLiteral(" SN ") + e.serial;
        QStringList fields{localTime(e),
                           who,
                           e.program + QLatin1Char(' ') + e.version,
                           e.port,
                           unitText.trimmed(),
                           e.action,
                           e.outcome,
                           text("JournalItems").arg(items.size())};
        if (!e.file.isEmpty()) fields << e.file;
        data(fields.join(QStringLiteral("  ")));
        // What was read is in the file it was read into; what was written
        // is what this command is for.
        const auto action = journal::actionNamed(e.action);
        if (action && journal::isRead(*action)) continue;
        for (const JournalItem& i : items) {
            if (i.kind == QLatin1Char('T') || i.number < 0) {
                data(Indent + Indent + i.line + QStringLiteral("  ->  ") + i.answer);
                continue;
            }
            const QString item =
                i.kind == QLatin1Char('S')
                    ? QStringLiteral("S%1").arg(i.number, 2, 10, QLatin1Char('0'))
                    : QStringLiteral("%1%2").arg(i.kind).arg(i.number, 3, 10, QLatin1Char('0'));
            data(Indent + Indent +
                 QStringLiteral("%1  %2 -> %3  %4")
                     .arg(item, rawText(i.oldValue, unknown), rawText(i.newValue, unknown),
                          i.answer));
        }
    }
    if (options_.json) json_.insert(QStringLiteral("entries"), list);
    return Done;
}

} // namespace kqm52::ctl
