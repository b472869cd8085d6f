// The service journal: what each way of writing to a unit leaves in the file,
// old values only where this run saw them, and a journal that cannot be
// written never getting in the way of the work.

#include "sim/SimLinkFixture.h"
#include "support/BuiltInTexts.h"
#include "support/FileSizeLimit.h"
#include "support/QtPrinting.h"

#include "model/engines/TableTransfer.h"
#include "model/journal/JournalStore.h"
#include "model/journal/JournalWriter.h"
#include "model/journal/ServiceJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <functional>
#include <thread>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

using Action = journal::Action;
using Mode = TableTransfer::Mode;
using Direction = TableTransfer::Direction;

constexpr std::optional<qint64> Unknown = std::nullopt;

class JournalTest : public SimLinkFixture {
  public:
    // The rows of a table drive the fixture from outside.
    using SimLinkFixture::ask;
    using SimLinkFixture::bus;
    using SimLinkFixture::port;

    JournalTest() {
        SimUnit& unit = bus->addUnit(0, lineOf(38400));
        // A consistent unit (the recomputation answers done) with a few
        // values to look for.
        unit.forceParameter(12, 35);
        unit.forceParameter(40, 119);
        unit.forceParameter(226, 1);
        for (int p = 0; p < 400; ++p)
            fileValues.parameters[std::size_t(p)] = unit.parameter(p);
        for (int s = 1; s <= 48; ++s)
            unit.setSetpoint(s, 1000 + s);
        unit.hardwareText = "HW 2.1 SN 520017";
        unit.setCalibration(2034, 120);
    }
    void SetUp() override {
        port.SetActive(true);
        journal = std::make_unique<ServiceJournal>(
            port, path(), ServiceJournal::Origin{.program = "kqm52", .version = "9.9"});
        journal->portText = [] { return QStringLiteral("COM1 (sim)"); };
        journal->onProblem = [this](const QString& p) { problems << p; };
        // Selected and identified, as the main window does on Open.
        for (const char* request : {"sc 0", "rt", "rh", "rx"})
            ask(QString::fromLatin1(request));
    }
    QString path() const { return dir.filePath(QStringLiteral("journal.sqlite")); }

    // A whole transfer run to its end; OK taken when it offers it.
    TableTransfer::Status transfer(Direction direction, Mode mode,
                                   const std::function<void(TableTransfer&)>& prepare = {}) {
        TableTransfer t(port, direction, testsupport::builtInTexts());
        t.setMode(mode);
        if (prepare) prepare(t);
        t.start();
        EXPECT_TRUE(waitUntil([&] {
            return t.status() == TableTransfer::Status::Done ||
                   t.status() == TableTransfer::Status::Stopped;
        }));
        const auto status = t.status();
        if (status == TableTransfer::Status::Done) t.ok();
        if (direction == Direction::Receive) received = t.tables;
        return status;
    }

    // The entries as the file holds them, oldest first, with their items.
    std::vector<std::pair<JournalEntry, std::vector<JournalItem>>> entries() {
        EXPECT_TRUE(journal->sync());
        JournalStore store;
        EXPECT_TRUE(store.openForReading(path())) << store.problem().toStdString();
        std::vector<std::pair<JournalEntry, std::vector<JournalItem>>> all;
        auto found = store.find({});
        std::reverse(found.begin(), found.end());
        for (const JournalEntry& e : found)
            all.emplace_back(e, store.items(e.id));
        return all;
    }

    QTemporaryDir dir;
    std::unique_ptr<ServiceJournal> journal;
    QStringList problems;
    UnitTables received;
    UnitTables fileValues; // what a file of the unit's own values holds
};

const JournalItem* findItem(const std::vector<JournalItem>& items, QChar kind, int number) {
    for (const JournalItem& i : items)
        if (i.kind == kind && i.number == number) return &i;
    return nullptr;
}

// One row per way of writing: what is done on the unit, and what the last
// entry must say.
struct WritePath {
    const char* name;
    std::function<void(JournalTest&)> act;
    QString action;
    QString outcome;
    int items;
    QChar kind;
    int number;
    std::optional<qint64> oldValue;
    std::optional<qint64> newValue;
    QString answer;
};

class JournalWritePaths : public JournalTest, public ::testing::WithParamInterface<WritePath> {};

TEST_P(JournalWritePaths, LeaveTheEntryAndItemsTheyShould) {
    const WritePath& c = GetParam();
    c.act(*this);
    const auto all = entries();
    ASSERT_FALSE(all.empty());
    const auto& [entry, items] = all.back();
    EXPECT_EQ(entry.action, c.action);
    EXPECT_EQ(entry.outcome, c.outcome);
    EXPECT_EQ(entry.unit, 0);
    EXPECT_EQ(entry.unitType, QStringLiteral("MX52"));
    EXPECT_EQ(entry.serial, QStringLiteral("520017"));
    EXPECT_EQ(entry.port, QStringLiteral("COM1 (sim)"));
    EXPECT_EQ(entry.program, QStringLiteral("kqm52"));
    EXPECT_FALSE(entry.user.isEmpty());
    EXPECT_EQ(int(items.size()), c.items);
    const JournalItem* item = findItem(items, c.kind, c.number);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->oldValue, c.oldValue);
    EXPECT_EQ(item->newValue, c.newValue);
    EXPECT_EQ(item->answer, c.answer);
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
}

void sendParameters(JournalTest& t, bool receiveFirst) {
    if (receiveFirst) t.transfer(Direction::Receive, Mode::Parameters);
    t.transfer(Direction::Send, Mode::Parameters, [&](TableTransfer& s) {
        s.tables = receiveFirst ? t.received : t.fileValues;
        s.tables.parameters[12] = 77;
    });
}

INSTANTIATE_TEST_SUITE_P(
    Journal, JournalWritePaths,
    ::testing::Values(
        WritePath{"ParameterSendAfterAReceive", [](JournalTest& t) { sendParameters(t, true); },
                  "parameter send", "done", 401, 'P', 12, 35, 77, "wp 12 77"},
        WritePath{"ParameterSendOfAFile", [](JournalTest& t) { sendParameters(t, false); },
                  "parameter send", "done", 401, 'P', 12, Unknown, 77, "wp 12 77"},
        WritePath{"TheRecomputationAfterASend", [](JournalTest& t) { sendParameters(t, false); },
                  "parameter send", "done", 401, 'C', -1, Unknown, Unknown, "bp -1"},
        WritePath{"SetpointSend",
                  [](JournalTest& t) {
                      t.transfer(Direction::Send, Mode::Setpoints, [](TableTransfer& s) {
                          s.tables.setpoints.fill(5);
                      });
                  },
                  "setpoint send", "done", 48, 'S', 7, Unknown, 5, "ws 7 5"},
        WritePath{"Restore",
                  [](JournalTest& t) {
                      t.transfer(Direction::Receive, Mode::Device);
                      t.transfer(Direction::Send, Mode::Device,
                                 [&](TableTransfer& s) { s.tables = t.received; });
                  },
                  "restore", "done", 449, 'S', 48, 1048, 1048, "ws 48 1048"},
        WritePath{"BackupIsARead",
                  [](JournalTest& t) { t.transfer(Direction::Receive, Mode::Device); },
                  "backup", "done", 448, 'P', 40, Unknown, 119, "rp 40 119"},
        WritePath{"CompareWriteOfTickedValues",
                  [](JournalTest& t) {
                      t.transfer(Direction::Receive, Mode::Parameters);
                      t.transfer(Direction::Send, Mode::Parameters, [&](TableTransfer& s) {
                          s.tables = t.received;
                          s.tables.parameters[40] = 4;
                          s.setParameterSubset(std::vector<int>{40});
                      });
                  },
                  "compare write", "done", 2, 'P', 40, 119, 4, "wp 40 4"},
        WritePath{"RefusedValueStopsTheSend",
                  [](JournalTest& t) {
                      t.bus->setFaults(0, SimFaults{.refuseWrites = true});
                      t.transfer(Direction::Send, Mode::Setpoints);
                  },
                  "setpoint send", "refused", 1, 'S', 1, Unknown, 0, "er 7"},
        WritePath{"LinkLostInTheMiddle",
                  [](JournalTest& t) {
                      TableTransfer s(t.port, Direction::Send, testsupport::builtInTexts());
                      s.setMode(Mode::Setpoints);
                      s.onViewChanged = [&](const TransferView& v) {
                          if (v.panelText.endsWith(QStringLiteral(" 10")))
                              t.bus->setFaults(0, SimFaults{.noAnswer = true});
                      };
                      s.start();
                      EXPECT_TRUE(waitUntil(
                          [&] { return s.status() == TableTransfer::Status::Stopped; }));
                  },
                  "setpoint send", "stopped at S010", 10, 'S', 10, Unknown, 0, "no answer"},
        WritePath{"ServiceWindowValue",
                  [](JournalTest& t) {
                      t.ask("rp 226");
                      t.ask("wp 226 0");
                  },
                  "service window", "done", 1, 'P', 226, 1, 0, "wp 226 0"},
        WritePath{"CalibrationConstant",
                  [](JournalTest& t) {
                      t.ask("km 1");
                      t.ask("kr 2034");
                      t.ask("kw 2034 512");
                  },
                  "calibration constant", "done", 1, 'K', 2034, 120, 512, "kw 2034 512"},
        WritePath{"CalibrationWindowsAnalogInputChoice",
                  [](JournalTest& t) {
                      TRQ500Protocol window;
                      window.setUpForDevice();
                      window.SetZRComm(&t.port);
                      ServiceJournal::setWindowAction(window, Action::CalibrationConstant);
                      bool done = false;
                      window.OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) {
                          done = true;
                      };
                      window.SetASCIIProtocol(QStringLiteral("wp 226 0"));
                      window.Send();
                      EXPECT_TRUE(waitUntil([&] { return done; }));
                  },
                  "calibration constant", "done", 1, 'P', 226, Unknown, 0, "wp 226 0"},
        WritePath{"EepromSave",
                  [](JournalTest& t) {
                      t.ask("km 1");
                      t.ask("ks");
                  },
                  "EEPROM save", "done", 1, 'C', -1, Unknown, Unknown, "ks"},
        WritePath{"LoaderRecompute", [](JournalTest& t) { t.ask("bp"); }, "recompute", "done", 1,
                  'C', -1, Unknown, Unknown, "bp -1"},
        WritePath{"TerminalLineAsTyped",
                  [](JournalTest& t) {
                      TRQ500Protocol terminal;
                      terminal.setUpForDevice();
                      terminal.SetZRComm(&t.port);
                      bool done = false;
                      terminal.OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) {
                          done = true;
                      };
                      t.journal->beginAction(Action::TerminalLine, {}, &terminal);
                      terminal.SetASCIIProtocol(QStringLiteral("wp 5 9"));
                      terminal.Send();
                      // Another window's request while the line's entry is open.
                      t.ask("rp 6");
                      EXPECT_TRUE(waitUntil([&] { return done; }));
                      t.journal->endAction(journal::done());
                  },
                  "terminal line", "done", 1, 'T', -1, Unknown, Unknown, "wp 5 9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(JournalTest, AReceivesFileIsNamedWithItsHash) {
    transfer(Direction::Receive, Mode::Setpoints);
    QFile file(dir.filePath("table.sol"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("abc");
    file.close();
    journal->setFileOfLastEntry(file.fileName());
    const auto all = entries();
    EXPECT_EQ(all.back().first.file, QFileInfo(file).absoluteFilePath());
    // SHA-256 of "abc".
    EXPECT_EQ(all.back().first.fileSha256,
              QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}

TEST_F(JournalTest, AnActionCutOffByTheProgramEndingStaysNotFinishedWithWhatWasConfirmed) {
    {
        TableTransfer s(port, Direction::Send, testsupport::builtInTexts());
        s.setMode(Mode::Setpoints);
        bool cut = false;
        s.onViewChanged = [&](const TransferView& v) {
            if (!cut && v.panelText.endsWith(QStringLiteral(" 20"))) {
                cut = true;
                journal.reset(); // what was handed over is written as it goes
            }
        };
        s.start();
        EXPECT_TRUE(waitUntil([&] { return cut; }));
    }
    JournalStore store;
    ASSERT_TRUE(store.openForReading(path()));
    const auto found = store.find({});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].outcome, QStringLiteral("not finished"));
    EXPECT_EQ(found[0].itemCount, 19);
}

// A journal that cannot be written: the work goes on, the user is told once
// with the file and why, and nothing the user had is lost.
struct Unwritable {
    const char* name;
    std::function<QString(QTemporaryDir&)> prepare; // gives the journal's path
    QString problemHas;
    bool fileKept; // the file there before is still there, as it was
};

class JournalUnwritable : public SimLinkFixture, public ::testing::WithParamInterface<Unwritable> {
  protected:
    JournalUnwritable() { bus->addUnit(0, lineOf(38400)); }
};

TEST_P(JournalUnwritable, WorkGoesOnAndTheUserIsToldOnce) {
    const Unwritable& c = GetParam();
    QTemporaryDir dir;
    const QString path = c.prepare(dir);
    QByteArray before;
    if (QFile f(path); f.open(QIODevice::ReadOnly)) before = f.readAll();
    port.SetActive(true);
    QStringList problems;
    std::optional<test::FileSizeLimit> full;
    if (QString(c.name) == QLatin1String("FullDisk")) full.emplace(4096);
    {
        ServiceJournal journal(port, path, {.program = "kqm52"});
        journal.onProblem = [&](const QString& p) { problems << p; };
        TableTransfer s(port, Direction::Send, testsupport::builtInTexts());
        s.setMode(Mode::Setpoints);
        s.start();
        EXPECT_TRUE(waitUntil([&] { return s.status() == TableTransfer::Status::Done; }));
        journal.sync();
        ask("ws 1 3"); // and another write after the journal went off
        journal.sync();
        EXPECT_TRUE(journal.off());
    }
    full.reset();
    ASSERT_EQ(problems.size(), 1) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems[0].contains(c.problemHas)) << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(QFileInfo(path).fileName())) << problems[0].toStdString();
    if (c.fileKept) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Journal, JournalUnwritable,
    ::testing::Values(
        Unwritable{"FullDisk", [](QTemporaryDir& d) { return d.filePath("journal.sqlite"); },
                   "journal.sqlite", false},
        // Root writes anywhere it may; /proc takes no new file from anyone.
        Unwritable{"ReadOnlyFolder",
                   [](QTemporaryDir&) { return QStringLiteral("/proc/kqm52-test/journal.sqlite"); },
                   "journal.sqlite", false},
        Unwritable{"AnotherProgramsDatabase",
                   [](QTemporaryDir& d) {
                       const QString p = d.filePath("journal.sqlite");
                       {
                           auto db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
                           db.setDatabaseName(p);
                           db.open();
                           QSqlQuery(db).exec("CREATE TABLE recipes(name TEXT)");
                           db.close();
                       }
                       QSqlDatabase::removeDatabase("foreign");
                       return p;
                   },
                   "not a journal of this program", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(JournalTest, ADamagedFileIsKeptAsideAndANewJournalStarted) {
    journal.reset();
    QFile damaged(path());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    const QByteArray garbage(8192, '\x5a');
    damaged.write(garbage);
    damaged.close();
    QString aside;
    journal = std::make_unique<ServiceJournal>(port, path(), ServiceJournal::Origin{});
    journal->onMovedAside = [&](const QString&, const QString& a) { aside = a; };
    journal->onProblem = [this](const QString& p) { problems << p; };
    ask("ws 2 8");
    ASSERT_TRUE(journal->sync());
    ask("ws 2 9"); // told on the next action after the writer opened the file
    ASSERT_FALSE(aside.isEmpty());
    EXPECT_TRUE(QFileInfo(aside).fileName().startsWith("journal-damaged-"));
    QFile kept(aside);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), garbage);
    EXPECT_EQ(entries().size(), 2u);
    EXPECT_TRUE(problems.isEmpty());
    EXPECT_EQ(QFileInfo(path()).permissions() & (QFile::ReadOther | QFile::ReadGroup),
              QFile::Permissions{});
}

TEST_F(JournalTest, AFileLockedByAnotherWriterTurnsTheJournalOffAfterItsWait) {
    ask("ws 3 1"); // the file is made
    ASSERT_TRUE(journal->sync());
    JournalStore other;
    ASSERT_TRUE(other.open(path()));
    ASSERT_TRUE(other.begin()); // holds the write lock
    ask("ws 3 2");
    journal->sync();
    ask("ws 3 3");
    EXPECT_TRUE(journal->off());
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains("locked")) << problems[0].toStdString();
    other.rollback();
}

TEST(JournalFile, EightWritersAtOnceLoseNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath("journal.sqlite");
    std::vector<std::thread> writers;
    for (int w = 0; w < 8; ++w)
        writers.emplace_back([&, w] {
            JournalWriter writer(path);
            const int e = writer.newEntry({.unit = w, .action = "kqm52ctl set", .outcome = "done"});
            for (int i = 0; i < 50; ++i)
                writer.addItem(e, {.kind = 'P', .number = i, .newValue = w * 1000 + i});
            EXPECT_TRUE(writer.sync()) << writer.problem().toStdString();
        });
    for (auto& t : writers)
        t.join();
    JournalStore store;
    ASSERT_TRUE(store.openForReading(path));
    const auto found = store.find({});
    ASSERT_EQ(found.size(), 8u);
    int rows = 0;
    for (const JournalEntry& e : found)
        rows += e.itemCount;
    EXPECT_EQ(rows, 400);
}

TEST(JournalFile, AJournalOfTheFirstSchemaIsBroughtUpAndKeepsItsEntries) {
    QTemporaryDir dir;
    const QString path = dir.filePath("journal.sqlite");
    {
        // The first schema as it was shipped.
        auto db = QSqlDatabase::addDatabase("QSQLITE", "first");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const char* sql :
             {"CREATE TABLE entries(id INTEGER PRIMARY KEY, time_utc TEXT NOT NULL,"
              " utc_offset INTEGER NOT NULL, user TEXT, host TEXT, program TEXT, version TEXT,"
              " port TEXT, line TEXT, unit INTEGER, unit_type TEXT, serial TEXT,"
              " action TEXT NOT NULL, file TEXT, file_sha256 TEXT, outcome TEXT NOT NULL)",
              "CREATE TABLE items(entry INTEGER NOT NULL, seq INTEGER NOT NULL, kind TEXT NOT "
              "NULL, number INTEGER, old_raw INTEGER, new_raw INTEGER, line TEXT, answer TEXT,"
              " PRIMARY KEY(entry, seq)) WITHOUT ROWID",
              "INSERT INTO entries VALUES(1, '2026-01-02T03:04:05.000Z', 3600, 'jan', 'pc',"
              " 'kqm52', '1.0', 'COM3', '38400,E,8,1', 5, 'MX52', '520017', 'parameter send',"
              " '', '', 'done')",
              "INSERT INTO items VALUES(1, 0, 'P', 12, 30, 77, 'wp 12 77', 'wp 12 77')",
              "PRAGMA application_id=1263619381", "PRAGMA user_version=1"})
            ASSERT_TRUE(q.exec(sql)) << sql;
        db.close();
    }
    QSqlDatabase::removeDatabase("first");
    JournalStore store;
    ASSERT_TRUE(store.open(path)) << store.problem().toStdString();
    const auto found = store.find({.serial = "520017"});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].unit, 5);
    EXPECT_EQ(found[0].time, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
    EXPECT_EQ(store.items(found[0].id),
              (std::vector<JournalItem>{{'P', 12, 30, 77, "wp 12 77", "wp 12 77"}}));
    store.close();
    QSqlDatabase::removeDatabase("check");
    auto db = QSqlDatabase::addDatabase("QSQLITE", "check");
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("PRAGMA user_version") && q.next());
    EXPECT_EQ(q.value(0).toInt(), JournalStore::SchemaVersion);
}

TEST(JournalFile, FiltersFindWhatTheyName) {
    QTemporaryDir dir;
    JournalStore store;
    ASSERT_TRUE(store.open(dir.filePath("journal.sqlite")));
    ASSERT_TRUE(store.begin());
    const QDateTime day(QDate(2026, 12, 1), QTime(8, 0), Qt::UTC);
    const struct {
        int daysLater;
        QString serial;
        int unit;
        QString port;
        QString action;
        int parameter;
    } rows[] = {{0, "A1", 1, "COM3", "parameter send", 12},
                {1, "A1", 2, "COM3", "service window", 40},
                {2, "B2", 1, "rfc2217://10.1.2.3:4001", "parameter send", 12},
                {3, "B2", 5, "COM4", "restore", 7}};
    for (const auto& r : rows) {
        const qint64 id = store.addEntry({.time = day.addDays(r.daysLater),
                                          .port = r.port,
                                          .unit = r.unit,
                                          .serial = r.serial,
                                          .action = r.action,
                                          .outcome = "done"});
        ASSERT_TRUE(store.addItems(id, {{.kind = 'P', .number = r.parameter}}, 0));
    }
    ASSERT_TRUE(store.commit());
    auto serials = [&](const JournalFilter& f) {
        QStringList s;
        for (const JournalEntry& e : store.find(f))
            s << e.serial + QString::number(e.unit);
        return s.join(' ');
    };
    EXPECT_EQ(serials({}), "B25 B21 A12 A11"); // newest first
    EXPECT_EQ(serials({.serial = "A1"}), "A12 A11");
    EXPECT_EQ(serials({.unit = 1}), "B21 A11");
    EXPECT_EQ(serials({.port = "COM3"}), "A12 A11");
    EXPECT_EQ(serials({.since = day.addDays(1), .until = day.addDays(3)}), "B21 A12");
    EXPECT_EQ(serials({.action = "parameter send"}), "B21 A11");
    EXPECT_EQ(serials({.itemKind = 'P', .itemNumber = 12}), "B21 A11");
    EXPECT_EQ(serials({.serial = "B2", .itemNumber = 12}), "B21");
    EXPECT_EQ(store.count({.serial = "B2"}), 2);
    EXPECT_EQ(store.pruneBefore(day.addDays(2)), 2);
    EXPECT_EQ(serials({}), "B25 B21");
}

} // namespace
