#pragma once

// JournalStore: the service journal's file, an SQLite database that only
// ever grows (prune aside).  One entry per action that wrote to a unit or
// read a whole table from it, and under each entry one row per item written
// or read.
//
// The file is shared: the program and any number of kqm52ctl processes (one
// per bus) write to it at once.  SQLite's write-ahead log lets readers go on
// while one writer commits, and a writer that finds the file locked waits up
// to two seconds (LockWaitMs) before it gives up.
//
// A store is used on one thread only (Qt's SQL connections are bound to the
// thread that opened them); JournalWriter keeps one on a thread of its own.
//
// A file that cannot be written is never fatal here: every call says whether
// it worked and problem() says why not, in the system's words and with the
// file's path.  A damaged file is moved aside (never deleted) with the time in
// its name and a fresh one started; a database of some other program is left
// alone and refused.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>
#include <vector>

namespace kqm52 {

// What is recorded of one action.
struct JournalEntry {
    qint64 id = 0;            // given by the store
    QDateTime time;           // UTC
    int utcOffsetSeconds = 0; // of the local time then
    QString user;
    QString host;
    QString program; // "kqm52" or "kqm52ctl"
    QString version;
    QString port;     // as given: "COM3", "/dev/ttyUSB0", "rfc2217://10.1.2.3:4001"
    QString line;     // "38400,E,8,1", or the words for a line set at the server
    int unit = -1;    // the unit number, -1 when not known
    QString unitType; // "MX52", empty when not identified
    QString serial;   // empty when the unit names none
    QString action;   // one of journal::Action's names
    QString file;
    QString fileSha256; // hex, lower case
    // "not finished" until the action ends; then "done", "cancelled",
    // "refused" or "stopped at P012".
    QString outcome;
    int itemCount = 0; // filled in by find()
    friend bool operator==(const JournalEntry&, const JournalEntry&) = default;
};

// One item written (or read, under a read entry).
struct JournalItem {
    // 'P' parameter, 'S' setpoint, 'K' calibration constant, 'C' a command
    // without a value ("bp", "ks"), 'T' a terminal line.
    QChar kind{};
    int number = -1;
    std::optional<qint64> oldValue{}; // known from this run; never guessed
    std::optional<qint64> newValue{};
    QString line{};   // the request as sent (a terminal line as typed)
    QString answer{}; // the unit's echo, "er n", or "no answer"
    friend bool operator==(const JournalItem&, const JournalItem&) = default;
};

// Which entries find() lists.  Unset fields do not filter.
struct JournalFilter {
    QString serial;
    std::optional<int> unit;
    QString port;                   // a part of the port as recorded
    std::optional<QDateTime> since; // inclusive
    std::optional<QDateTime> until; // exclusive
    QString action;
    // Entries with an item of this kind and number ('P' 12, 'S' 3).
    std::optional<QChar> itemKind;
    std::optional<int> itemNumber;
    friend bool operator==(const JournalFilter&, const JournalFilter&) = default;
};

class JournalStore {
  public:
    static constexpr int SchemaVersion = 2;
    static constexpr int LockWaitMs = 2000;
    // Marks the file as this program's journal (SQLite's application id).
    static constexpr int ApplicationId = 0x4B514D35; // "KQM5"

    JournalStore();
    ~JournalStore();
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    // Opens (or makes, mode 0600) the journal at path and brings an older
    // schema up to date.  False with problem() set when it cannot be used;
    // movedAside() names where a damaged file went.
    bool open(const QString& path);
    // readOnly: for listing; never makes, migrates or moves a file.
    bool openForReading(const QString& path);
    bool isOpen() const;
    void close();
    const QString& path() const { return path_; }
    const QString& problem() const { return problem_; }
    const QString& movedAside() const { return movedAside_; }

    // One transaction: the entries, items and outcomes of a batch reach the
    // file together or not at all.
    bool begin();
    bool commit();
    void rollback();

    // The entry's id, 0 when it failed.
    qint64 addEntry(const JournalEntry& entry);
    bool addItems(qint64 entry, const std::vector<JournalItem>& items, int firstSeq);
    bool setOutcome(qint64 entry, const QString& outcome);
    bool setFile(qint64 entry, const QString& file, const QString& sha256);
    bool setIdentity(qint64 entry, const QString& unitType, const QString& serial);

    // Newest first.  limit < 0: all.
    std::vector<JournalEntry> find(const JournalFilter& filter, int limit = -1,
                                   int offset = 0) const;
    int count(const JournalFilter& filter) const;
    std::optional<JournalEntry> entry(qint64 id) const;
    // Every port an entry names, in order, for a filter to offer.
    QStringList ports() const;
    std::vector<JournalItem> items(qint64 entry) const;
    // Deletes the entries from before `before` and their items; how many
    // entries went, or -1 on failure.
    int pruneBefore(const QDateTime& before);

    // The time as the journal stores and compares it: UTC, milliseconds.
    static QString timeText(const QDateTime& time);

  private:
    bool openConnection(const QString& path, bool readOnly);
    bool prepareSchema();
    bool fail(const QString& what, const QString& reason);
    bool exec(const QString& sql);
    // Sets columns ("a=?, b=?") of an entry to values.
    bool update(qint64 entry, const QString& columns, const QVariantList& values);

    QString connection_;
    QString path_;
    QString problem_;
    QString movedAside_;
    bool busy_ = false; // the last statement found the file locked
};

} // namespace kqm52
