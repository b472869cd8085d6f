#include "model/journal/JournalStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kqm52 {

namespace {

// Each step brings the schema from version n to n + 1.  A file of an older
// version is brought up step by step; a step is never changed once shipped,
// since files of that version exist.
const char* const Steps[] = {
    // 0 → 1
    "CREATE TABLE entries(id INTEGER PRIMARY KEY, time_utc TEXT NOT NULL,"
    " utc_offset INTEGER NOT NULL, user TEXT, host TEXT, program TEXT, version TEXT,"
    " port TEXT, line TEXT, unit INTEGER, unit_type TEXT, serial TEXT,"
    " action TEXT NOT NULL, file TEXT, file_sha256 TEXT, outcome TEXT NOT NULL);"
    "CREATE TABLE items(entry INTEGER NOT NULL, seq INTEGER NOT NULL, kind TEXT NOT NULL,"
    " number INTEGER, old_raw INTEGER, new_raw INTEGER, line TEXT, answer TEXT,"
    " PRIMARY KEY(entry, seq)) WITHOUT ROWID;",
    // 1 → 2: what the Journal window and kqm52ctl journal filter by, so a
    // journal of years answers at once
    "CREATE INDEX entries_time ON entries(time_utc, id);"
    "CREATE INDEX entries_serial ON entries(serial, time_utc);"
    "CREATE INDEX entries_unit ON entries(unit, time_utc);"
    "CREATE INDEX entries_port ON entries(port, time_utc);"
    "CREATE INDEX items_item ON items(kind, number, entry);",
};
static_assert(std::size(Steps) == JournalStore::SchemaVersion);

std::atomic<int> connectionCount{0};

QString errorText(const QSqlError& error) {
    QString text = error.driverText();
    const QString db = error.databaseText();
    if (!db.isEmpty() && db != text) text = text.isEmpty() ? db : text + QStringLiteral(": ") + db;
    return text.isEmpty() ? error.text() : text;
}

// SQLITE_BUSY and SQLITE_LOCKED: another connection holds the file.
bool isBusy(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("5") || code == QLatin1String("6");
}

// SQLite's result codes for a file that is not, or no longer, a database.
bool damaged(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("26") || code == QLatin1String("11");
}

QVariant optional(const std::optional<qint64>& v) {
    return v ? QVariant(*v) : QVariant(QMetaType(QMetaType::LongLong));
}

} // namespace

JournalStore::JournalStore()
    : connection_(QStringLiteral("kqm52-journal-%1").arg(connectionCount.fetch_add(1))) {}

JournalStore::~JournalStore() {
    close();
}

bool JournalStore::isOpen() const {
    return QSqlDatabase::contains(connection_) &&
           QSqlDatabase::database(connection_, false).isOpen();
}

void JournalStore::close() {
    if (!QSqlDatabase::contains(connection_)) return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool JournalStore::fail(const QString& what, const QString& reason) {
    problem_ = reason.isEmpty() ? what : what + QStringLiteral(": ") + reason;
    close();
    return false;
}

QString JournalStore::timeText(const QDateTime& time) {
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

bool JournalStore::exec(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    busy_ = false;
    if (q.exec(sql)) return true;
    problem_ = path_ + QStringLiteral(": ") + errorText(q.lastError());
    busy_ = isBusy(q.lastError());
    return false;
}

bool JournalStore::openConnection(const QString& path, bool readOnly) {
    close();
    path_ = path;
    problem_.clear();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    if (!db.isValid())
        return fail(path, QStringLiteral("Qt's SQLite driver (QSQLITE) is not installed"));
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(LockWaitMs);
    if (readOnly) options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    db.setDatabaseName(path);
    if (!db.open()) return fail(path, errorText(db.lastError()));
    return true;
}

bool JournalStore::openForReading(const QString& path) {
    if (!QFileInfo::exists(path)) {
        path_ = path;
        problem_ = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(ENOENT));
        return false;
    }
    if (!openConnection(path, true)) return false;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next())
        return fail(path, errorText(q.lastError()));
    if (q.value(0).toInt() != ApplicationId)
        return fail(path, QStringLiteral("not a journal of this program"));
    return true;
}

bool JournalStore::open(const QString& path) {
    movedAside_.clear();
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (!info.exists()) {
        // Made here rather than by SQLite, so that it is the user's alone
        // from the first byte (the log files SQLite adds take its mode).
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return fail(path, QString::fromLocal8Bit(std::strerror(errno)));
        if (fd >= 0) ::close(fd);
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!openConnection(path, false)) return false;
        // Some steps of opening (the switch to the write-ahead log) are
        // refused at once, not waited for, while another process opens the
        // same new file: they are tried again for as long as a lock is.
        QElapsedTimer waited;
        waited.start();
        bool prepared = prepareSchema();
        while (!prepared && busy_ && waited.elapsed() < LockWaitMs) {
            QThread::msleep(20);
            prepared = prepareSchema();
        }
        if (prepared) return true;
        QSqlQuery probe(QSqlDatabase::database(connection_, false));
        const bool isDamaged =
            !probe.exec(QStringLiteral("PRAGMA application_id")) && damaged(probe.lastError());
        if (!isDamaged || attempt > 0) {
            const QString reason = problem_;
            close();
            problem_ = reason;
            return false;
        }
        // Kept for whoever wants to look into it; the journal goes on in a
        // fresh file rather than not at all.
        close();
        const QString stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString aside = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                        QStringLiteral("-damaged-") + stamp + QLatin1Char('.') + info.suffix();
        for (int n = 2; QFileInfo::exists(aside); ++n)
            aside = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                    QStringLiteral("-damaged-%1-%2.").arg(stamp).arg(n) + info.suffix();
        if (!QFile::rename(path, aside))
            return fail(path, QStringLiteral("damaged, and it could not be moved aside"));
        for (const char* side : {"-wal", "-shm"})
            QFile::rename(path + QLatin1String(side), aside + QLatin1String(side));
        movedAside_ = aside;
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) ::close(fd);
    }
    return false;
}

bool JournalStore::prepareSchema() {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    busy_ = false;
    // The three answers from one snapshot: another process may be making
    // the schema of a new file this moment, and its tables seen without its
    // mark would look like another program's database.
    if (!exec(QStringLiteral("BEGIN"))) return false;
    auto readDone = qScopeGuard([&] {
        q.finish();
        QSqlQuery(db).exec(QStringLiteral("COMMIT"));
    });
    if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next()) {
        problem_ = path_ + QStringLiteral(": ") + errorText(q.lastError());
        busy_ = isBusy(q.lastError());
        return false;
    }
    const int appId = q.value(0).toInt();
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        problem_ = path_ + QStringLiteral(": ") + errorText(q.lastError());
        busy_ = isBusy(q.lastError());
        return false;
    }
    const int version = q.value(0).toInt();
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !q.next()) {
        problem_ = path_ + QStringLiteral(": ") + errorText(q.lastError());
        busy_ = isBusy(q.lastError());
        return false;
    }
    const bool empty = q.value(0).toInt() == 0;
    q.finish();
    readDone.dismiss();
    QSqlQuery(db).exec(QStringLiteral("COMMIT"));
    if (appId != ApplicationId && !(appId == 0 && empty)) {
        problem_ = path_ + QStringLiteral(": not a journal of this program");
        return false;
    }
    if (version > SchemaVersion) {
        problem_ = path_ + QStringLiteral(": written by a newer version of this program");
        return false;
    }
    if (!exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
        !exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return false;
    if (version == SchemaVersion) return true;
    // Another process may be bringing it up at the same moment: the write
    // lock decides who, and the other finds the work done.
    if (!exec(QStringLiteral("BEGIN IMMEDIATE"))) return false;
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        rollback();
        return false;
    }
    int now = q.value(0).toInt();
    q.finish();
    for (; now < SchemaVersion; ++now) {
        for (const QString& statement :
             QString::fromLatin1(Steps[now]).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!exec(statement)) {
                rollback();
                return false;
            }
        }
    }
    if (!exec(QStringLiteral("PRAGMA application_id=%1").arg(ApplicationId)) ||
        !exec(QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion)) || !commit()) {
        rollback();
        return false;
    }
    return true;
}

bool JournalStore::begin() {
    return exec(QStringLiteral("BEGIN IMMEDIATE"));
}

bool JournalStore::commit() {
    return exec(QStringLiteral("COMMIT"));
}

void JournalStore::rollback() {
    const QString kept = problem_;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.exec(QStringLiteral("ROLLBACK"));
    problem_ = kept;
}

qint64 JournalStore::addEntry(const JournalEntry& e) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral(
        "INSERT INTO entries(time_utc, utc_offset, user, host, program, version, port, line,"
        " unit, unit_type, serial, action, file, file_sha256, outcome)"
        " VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    // An entry is never without its time: what it says happened now.
    q.addBindValue(timeText(e.time.isValid() ? e.time : QDateTime::currentDateTimeUtc()));
    q.addBindValue(e.utcOffsetSeconds);
    for (const QString* s : {&e.user, &e.host, &e.program, &e.version, &e.port, &e.line})
        q.addBindValue(*s);
    q.addBindValue(e.unit);
    for (const QString* s : {&e.unitType, &e.serial, &e.action, &e.file, &e.fileSha256, &e.outcome})
        q.addBindValue(*s);
    if (!q.exec()) {
        problem_ = path_ + QStringLiteral(": ") + errorText(q.lastError());
        return 0;
    }
    return q.lastInsertId().toLongLong();
}

bool JournalStore::addItems(qint64 entry, const std::vector<JournalItem>& items, int firstSeq) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("INSERT INTO items(entry, seq, kind, number, old_raw, new_raw, line,"
                             " answer) VALUES(?,?,?,?,?,?,?,?)"));
    int seq = firstSeq;
    for (const JournalItem& item : items) {
        q.addBindValue(entry);
        q.addBindValue(seq++);
        q.addBindValue(QString(item.kind));
        q.addBindValue(item.number);
        q.addBindValue(optional(item.oldValue));
        q.addBindValue(optional(item.newValue));
        q.addBindValue(item.line);
        q.addBindValue(item.answer);
        if (!q.exec()) {
            problem_ = path_ + QStringLiteral(": ") + errorText(q.lastError());
            return false;
        }
    }
    return true;
}

bool JournalStore::update(qint64 entry, const QString& columns, const QVariantList& values) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("UPDATE entries SET %1 WHERE id=?").arg(columns));
    for (const QVariant& v : values)
        q.addBindValue(v);
    q.addBindValue(entry);
    if (q.exec()) return true;
    problem_ = path_ + QStringLiteral(": ") + errorText(q.lastError());
    return false;
}

bool JournalStore::setOutcome(qint64 entry, const QString& outcome) {
    return update(entry, QStringLiteral("outcome=?"), {outcome});
}

bool JournalStore::setFile(qint64 entry, const QString& file, const QString& sha256) {
    return update(entry, QStringLiteral("file=?, file_sha256=?"), {file, sha256});
}

bool JournalStore::setIdentity(qint64 entry, const QString& unitType, const QString& serial) {
    return update(entry, QStringLiteral("unit_type=?, serial=?"), {unitType, serial});
}

namespace {

struct Where {
    QString sql;
    QVariantList values;
};

Where whereOf(const JournalFilter& f) {
    Where w;
    QStringList terms;
    auto add = [&](const QString& term, const QVariant& value) {
        terms << term;
        w.values << value;
    };
    if (!f.serial.isEmpty()) add(QStringLiteral("serial = ?"), f.serial);
    if (f.unit) add(QStringLiteral("unit = ?"), *f.unit);
    // The port as the user remembers it: "COM3" finds "COM3 (/dev/ttyUSB0)".
    if (!f.port.isEmpty()) {
        QString pattern = f.port;
        pattern.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('%'), QLatin1String("\\%"))
            .replace(QLatin1Char('_'), QLatin1String("\\_"));
        add(QStringLiteral("port LIKE ? ESCAPE '\\'"),
            QLatin1Char('%') + pattern + QLatin1Char('%'));
    }
    if (f.since) add(QStringLiteral("time_utc >= ?"), JournalStore::timeText(*f.since));
    if (f.until) add(QStringLiteral("time_utc < ?"), JournalStore::timeText(*f.until));
    if (!f.action.isEmpty()) add(QStringLiteral("action = ?"), f.action);
    if (f.itemKind || f.itemNumber) {
        QString term = QStringLiteral("id IN (SELECT entry FROM items WHERE ");
        QStringList sub;
        if (f.itemKind) {
            sub << QStringLiteral("kind = ?");
            w.values << QString(*f.itemKind);
        }
        if (f.itemNumber) {
            sub << QStringLiteral("number = ?");
            w.values << *f.itemNumber;
        }
        terms << term + sub.join(QStringLiteral(" AND ")) + QLatin1Char(')');
    }
    if (!terms.isEmpty()) w.sql = QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
    return w;
}

JournalEntry entryOf(const QSqlQuery& q) {
    JournalEntry e;
    e.id = q.value(0).toLongLong();
    e.time = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
    e.utcOffsetSeconds = q.value(2).toInt();
    e.user = q.value(3).toString();
    e.host = q.value(4).toString();
    e.program = q.value(5).toString();
    e.version = q.value(6).toString();
    e.port = q.value(7).toString();
    e.line = q.value(8).toString();
    e.unit = q.value(9).isNull() ? -1 : q.value(9).toInt();
    e.unitType = q.value(10).toString();
    e.serial = q.value(11).toString();
    e.action = q.value(12).toString();
    e.file = q.value(13).toString();
    e.fileSha256 = q.value(14).toString();
    e.outcome = q.value(15).toString();
    e.itemCount = q.value(16).toInt();
    return e;
}

const char* const EntryColumns =
    "SELECT id, time_utc, utc_offset, user, host, program, version, port, line, unit,"
    " unit_type, serial, action, file, file_sha256, outcome,"
    " (SELECT count(*) FROM items WHERE items.entry = entries.id) FROM entries";

} // namespace

std::vector<JournalEntry> JournalStore::find(const JournalFilter& filter, int limit,
                                             int offset) const {
    std::vector<JournalEntry> found;
    const Where w = whereOf(filter);
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    q.prepare(QLatin1String(EntryColumns) + w.sql +
              QStringLiteral(" ORDER BY time_utc DESC, id DESC LIMIT %1 OFFSET %2")
                  .arg(limit)
                  .arg(offset));
    for (const QVariant& v : w.values)
        q.addBindValue(v);
    if (!q.exec()) return found;
    while (q.next())
        found.push_back(entryOf(q));
    return found;
}

int JournalStore::count(const JournalFilter& filter) const {
    const Where w = whereOf(filter);
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("SELECT count(*) FROM entries") + w.sql);
    for (const QVariant& v : w.values)
        q.addBindValue(v);
    if (!q.exec() || !q.next()) return 0;
    return q.value(0).toInt();
}

std::optional<JournalEntry> JournalStore::entry(qint64 id) const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QLatin1String(EntryColumns) + QStringLiteral(" WHERE id = ?"));
    q.addBindValue(id);
    if (!q.exec() || !q.next()) return std::nullopt;
    return entryOf(q);
}

QStringList JournalStore::ports() const {
    QStringList found;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    // The port index holds them in order: no pass over the entries.
    if (!q.exec(QStringLiteral("SELECT DISTINCT port FROM entries WHERE port <> '' ORDER BY port")))
        return found;
    while (q.next())
        found << q.value(0).toString();
    return found;
}

std::vector<JournalItem> JournalStore::items(qint64 entry) const {
    std::vector<JournalItem> found;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT kind, number, old_raw, new_raw, line, answer FROM items"
                             " WHERE entry = ? ORDER BY seq"));
    q.addBindValue(entry);
    if (!q.exec()) return found;
    while (q.next()) {
        JournalItem item;
        const QString kind = q.value(0).toString();
        item.kind = kind.isEmpty() ? QChar() : kind.front();
        item.number = q.value(1).isNull() ? -1 : q.value(1).toInt();
        if (!q.value(2).isNull()) item.oldValue = q.value(2).toLongLong();
        if (!q.value(3).isNull()) item.newValue = q.value(3).toLongLong();
        item.line = q.value(4).toString();
        item.answer = q.value(5).toString();
        found.push_back(std::move(item));
    }
    return found;
}

int JournalStore::pruneBefore(const QDateTime& before) {
    if (!begin()) return -1;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("DELETE FROM items WHERE entry IN"
                             " (SELECT id FROM entries WHERE time_utc < ?)"));
    q.addBindValue(timeText(before));
    if (!q.exec()) {
        problem_ = path_ + QStringLiteral(": ") + errorText(q.lastError());
        rollback();
        return -1;
    }
    q.prepare(QStringLiteral("DELETE FROM entries WHERE time_utc < ?"));
    q.addBindValue(timeText(before));
    if (!q.exec()) {
        problem_ = path_ + QStringLiteral(": ") + errorText(q.lastError());
        rollback();
        return -1;
    }
    const int removed = q.numRowsAffected();
    if (!commit()) {
        rollback();
        return -1;
    }
    return removed;
}

} // namespace kqm52
