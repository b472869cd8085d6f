// The Journal window on journals made here with JournalStore: what each
// filter lists, how an entry's items read, the bytes of the export, the files
// it refuses, the list read a page at a time, the keyboard, and putting old
// values back on a simulated unit, where only the ticked rows reach the wire.

#include "../sim/SimLinkFixture.h"
#include "support/QtPrinting.h"

#include "model/engines/ProgramState.h"
#include "model/engines/TableTransfer.h"
#include "model/journal/JournalStore.h"
#include "model/journal/ServiceJournal.h"
#include "model/values/GroupTree.h"
#include "params/CompareParamLogic.h"
#include "support/BuiltInTexts.h"
#include "tools/FormJournal.h"
#include "ui/ScriptedDialogs.h"
#include "ui/TextTableChecks.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

const QString DataDir = QStringLiteral(KQM52_SOURCE_DATA_DIR "/");

constexpr int Cam1Start = 7;  // a position: parameter 203's decimals
constexpr int CamEnable = 79; // "Always" / "Via input"
constexpr int Third = 150;    // a plain number

JournalEntry entryAt(const QString& time, const QString& file) {
    JournalEntry e;
    e.time = QDateTime::fromString(time, Qt::ISODate);
    e.utcOffsetSeconds = 3600;
    e.user = QStringLiteral("jan");
    e.host = QStringLiteral("werkplaats");
    e.program = QStringLiteral("kqm52");
    e.version = QStringLiteral("4.03");
    e.port = QStringLiteral("COM1 (/dev/ttyUSB0)");
    e.line = QStringLiteral("38400,E,8,1");
    e.unit = 0;
    e.unitType = QStringLiteral("MX52");
    e.serial = QStringLiteral("520017");
    e.action = journal::actionName(journal::Action::ParameterSend);
    e.file = file;
    e.outcome = journal::done();
    return e;
}

JournalItem param(int number, std::optional<qint64> old, qint64 now) {
    return {.kind = QLatin1Char('P'),
            .number = number,
            .oldValue = old,
            .newValue = now,
            .line = QStringLiteral("wp %1 %2").arg(number).arg(now),
            .answer = QString::number(now)};
}

class JournalWindowTest : public SimLinkFixture {
  protected:
    JournalWindowTest() : state(DataDir), path(dir.filePath("journal.sqlite")) {
        state.settings.LanguageNo = 1;
        state.language.TekstFile_Lezen(DataDir, 1);
        state.catalogue.ParameterDef_lezen(DataDir);
        state.catalogue.ParamNo_lezen(DataDir);
        state.tables.setParameter(ParamTables::PositionDecimalsParameter, 2);
    }

    // Writes the entries in one go, as a journal of a few runs would hold them.
    void write(const std::vector<std::pair<JournalEntry, std::vector<JournalItem>>>& entries) {
        JournalStore store;
        ASSERT_TRUE(store.open(path)) << store.problem().toStdString();
        ASSERT_TRUE(store.begin());
        for (const auto& [e, items] : entries) {
            const qint64 id = store.addEntry(e);
            ASSERT_NE(id, 0);
            ASSERT_TRUE(store.addItems(id, items, 0));
        }
        ASSERT_TRUE(store.commit());
    }
    QStringList listed(JournalLogic& logic, int column = 8) {
        QStringList out;
        for (int r = 0; r < logic.model().rowCount(); ++r)
            out << logic.model().data(logic.model().index(r, column), Qt::DisplayRole).toString();
        return out;
    }

    QTemporaryDir dir;
    ProgramState state;
    ScriptedDialogs dialogs;
    QString path;
};

} // namespace

TEST_F(JournalWindowTest, EachFilterAndTheirCombinationListTheirEntriesNewestFirst) {
    auto at = [](const char* t, const char* file) {
        return entryAt(QString::fromLatin1(t), QString::fromLatin1(file));
    };
    JournalEntry b = at("2026-03-02T08:00:00Z", "b.mxp");
    b.serial = QStringLiteral("520099");
    b.unit = 3;
    JournalEntry c = at("2026-03-03T23:30:00Z", "c.mxp"); // 4 March, 00:30 here
    c.port = QStringLiteral("tcp://cabinet:4001");
    c.action = journal::actionName(journal::Action::CompareWrite);
    JournalEntry d = at("2026-03-05T10:00:00Z", "d.mxp");
    d.serial = QStringLiteral("520099");
    d.action = journal::actionName(journal::Action::SetpointSend);
    write({{at("2026-03-01T09:00:00Z", "a.mxp"), {param(Cam1Start, 70, -1250)}},
           {b, {param(Third, 1, 2), param(Cam1Start, std::nullopt, 5)}},
           {c, {param(Third, 2, 3)}},
           {d, {{.kind = QLatin1Char('S'), .number = 7, .newValue = 100}}}});
    qputenv("TZ", "UTC-1"); // the date filter takes days of the local calendar
    tzset();

    struct Case {
        const char* what;
        JournalFilterInput in;
        QStringList files;
    };
    const Case cases[] = {
        {"nothing", {}, {"d.mxp", "c.mxp", "b.mxp", "a.mxp"}},
        {"serial", {.serial = "520099"}, {"d.mxp", "b.mxp"}},
        {"unit", {.unit = "3"}, {"b.mxp"}},
        {"port", {.port = "tcp://cabinet:4001"}, {"c.mxp"}},
        {"from", {.from = QDate(2026, 3, 4)}, {"d.mxp", "c.mxp"}},
        {"to, the whole day", {.to = QDate(2026, 3, 2)}, {"b.mxp", "a.mxp"}},
        {"action", {.action = int(journal::Action::CompareWrite)}, {"c.mxp"}},
        {"parameter", {.itemKind = QLatin1Char('P'), .itemNumber = "7"}, {"b.mxp", "a.mxp"}},
        {"setpoint", {.itemKind = QLatin1Char('S'), .itemNumber = "7"}, {"d.mxp"}},
        {"serial and parameter",
         {.serial = "520099", .itemKind = QLatin1Char('P'), .itemNumber = "150"},
         {"b.mxp"}},
        {"unit, dates and action, none",
         {.unit = "0", .from = QDate(2026, 3, 2), .to = QDate(2026, 3, 3), .action = 0},
         {}},
    };
    JournalLogic logic(state, dialogs);
    ASSERT_EQ(logic.open(path), JournalLogic::Opened::Journal);
    for (const Case& c : cases) {
        logic.apply(c.in);
        EXPECT_EQ(listed(logic), c.files) << c.what;
        EXPECT_EQ(logic.statusText(), QStringLiteral("%1 entries").arg(c.files.size())) << c.what;
    }
    // The row as the list shows it: local time of the writer, the action in words.
    logic.apply({});
    const QStringList row = [&] {
        QStringList r;
        for (int col = 0; col < JournalListModel::Columns; ++col)
            r << logic.cell(*logic.model().entryAt(3), col);
        return r;
    }();
    EXPECT_EQ(row, QStringList({"2026-03-01 10:00:00", "jan", "werkplaats", "COM1 (/dev/ttyUSB0)",
                                "0", "MX52", "520017", "parameter send", "a.mxp", "done", "1"}));
    EXPECT_EQ(logic.store()->ports(), QStringList({"COM1 (/dev/ttyUSB0)", "tcp://cabinet:4001"}));
    qunsetenv("TZ");
    tzset();
}

TEST_F(JournalWindowTest, ItemsReadAsTheEditorsShowValues) {
    struct Case {
        JournalItem item;
        JournalLogic::ItemRow row;
    };
    const Case cases[] = {
        {param(Cam1Start, 70, -1250), {"P007", "Cam 1 start", "0,70", "-12,50", "-1250"}},
        {param(CamEnable, 0, 1), {"P079", "Cam enable", "0 (Always)", "1 (Via input)", "1"}},
        {param(Third, std::nullopt, 4242),
         {"P150", "Cam 3 min. speed", "unknown", "42,42", "4242"}},
        {{.kind = QLatin1Char('S'), .number = 3, .oldValue = 1234, .newValue = 5, .answer = "5"},
         {"S03", "Setpoint 3", "12,34", "0,05", "5"}},
        {{.kind = QLatin1Char('K'), .number = 2, .newValue = 812, .answer = "812"},
         {"K2", "", "unknown", "812", "812"}},
        {{.kind = QLatin1Char('C'), .line = "bp", .answer = "no answer"},
         {"Command", "bp", "", "", "no answer"}},
        {{.kind = QLatin1Char('T'), .line = "rp 7", .answer = "70"},
         {"Terminal", "rp 7", "", "", "70"}},
    };
    JournalLogic logic(state, dialogs);
    std::vector<JournalItem> all;
    for (const Case& c : cases)
        all.push_back(c.item);
    for (const Case& c : cases) {
        const JournalLogic::ItemRow row = logic.itemRow(c.item, all);
        EXPECT_EQ(QStringList(row.begin(), row.end()), QStringList(c.row.begin(), c.row.end()));
    }
    // An entry that wrote parameter 203 shows its positions with the new decimals.
    const std::vector<JournalItem> withDecimals = {param(203, 2, 3), param(Cam1Start, 70, -1250)};
    EXPECT_EQ(logic.itemRow(withDecimals[1], withDecimals)[3], "-1,250");
    // And in German, the unknown in its own word.
    state.settings.LanguageNo = 2;
    state.language.TekstFile_Lezen(DataDir, 2);
    EXPECT_EQ(logic.itemRow(cases[2].item, all)[2], "unbekannt");
    EXPECT_EQ(logic.itemRow(cases[1].item, all)[2], "0 (Immer)");
    EXPECT_EQ(logic.actionText("compare write"), "beim Vergleich geschrieben");
    EXPECT_EQ(logic.outcomeText("stopped at P012"), "angehalten bei P012");
}

TEST_F(JournalWindowTest, TheExportQuotesCommasQuotesAndLineBreaksAsRfc4180Says) {
    JournalEntry e = entryAt("2026-03-01T09:00:00Z", "/home/jan/\"oven\", line\n2.mxp");
    e.user = QStringLiteral("Müller, J.");
    e.fileSha256 = QStringLiteral("ab12");
    JournalEntry none = entryAt("2026-03-02T09:00:00Z", "");
    none.action = journal::actionName(journal::Action::EepromSave);
    none.outcome = journal::stoppedAt(QStringLiteral("P012"));
    write({{e, {param(Cam1Start, 70, -1250), param(CamEnable, std::nullopt, 1)}}, {none, {}}});
    JournalLogic logic(state, dialogs);
    ASSERT_EQ(logic.open(path), JournalLogic::Opened::Journal);
    const QString out = dir.filePath("out.csv");
    dialogs.answerSaveFile(out);
    ASSERT_TRUE(logic.exportCsv());
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray expected =
        "\xEF\xBB\xBF"
        "Time,User,Host,Program,Version,Port,Line,Unit,Type,Serial no.,Action,File,SHA-256,"
        "Outcome,Item,Name,Old,New,Old (raw),New (raw),Answer\r\n"
        "2026-03-02 10:00:00 +01:00,jan,werkplaats,kqm52,4.03,COM1 (/dev/ttyUSB0),"
        "\"38400,E,8,1\",0,MX52,520017,EEPROM save,,,stopped at P012\r\n"
        "2026-03-01 10:00:00 +01:00,\"M\xC3\xBCller, J.\",werkplaats,kqm52,4.03,"
        "COM1 (/dev/ttyUSB0),\"38400,E,8,1\",0,MX52,520017,parameter send,"
        "\"/home/jan/\"\"oven\"\", line\n2.mxp\",ab12,done,P007,Cam 1 start,\"0,70\",\"-12,50\","
        "70,-1250,-1250\r\n"
        "2026-03-01 10:00:00 +01:00,\"M\xC3\xBCller, J.\",werkplaats,kqm52,4.03,"
        "COM1 (/dev/ttyUSB0),\"38400,E,8,1\",0,MX52,520017,parameter send,"
        "\"/home/jan/\"\"oven\"\", line\n2.mxp\",ab12,done,P079,Cam enable,unknown,"
        "1 (Via input),,1,1\r\n";
    EXPECT_EQ(QString::fromUtf8(f.readAll()), QString::fromUtf8(expected));
    // The replace question leaves the file alone on Enter.
    const auto asked = dialogs.asked(ScriptedDialogs::Kind::SaveFile);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, "Export the journal");
}

TEST_F(JournalWindowTest, AFileThatIsNotAJournalIsRefusedNamingItAndWhyAndLeftAsItIs) {
    struct Case {
        const char* what;
        std::function<void(const QString&)> make;
        const char* reason;
    };
    const Case cases[] = {
        {"damaged",
         [](const QString& p) {
             QFile f(p);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(QByteArray(4096, 'x'));
         },
         "file is not a database"},
        {"another program's database",
         [](const QString& p) {
             {
                 QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
                 db.setDatabaseName(p);
                 ASSERT_TRUE(db.open());
                 QSqlQuery(db).exec("CREATE TABLE t(x)");
             }
             QSqlDatabase::removeDatabase("foreign");
         },
         "not a journal of this program"},
    };
    for (const Case& c : cases) {
        const QString p = dir.filePath(QString::fromLatin1(c.what) + ".sqlite");
        c.make(p);
        QFile before(p);
        ASSERT_TRUE(before.open(QIODevice::ReadOnly));
        const QByteArray bytes = before.readAll();
        ScriptedDialogs asked;
        JournalLogic logic(state, asked);
        EXPECT_EQ(logic.open(p), JournalLogic::Opened::Refused) << c.what;
        const auto boxes = asked.asked(ScriptedDialogs::Kind::Message);
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        // The file first, then the reason as the database words it.
        EXPECT_TRUE(boxes[0].text.startsWith(p + " cannot be shown as the service journal: "))
            << boxes[0].text.toStdString();
        EXPECT_TRUE(boxes[0].text.endsWith(QString::fromLatin1(c.reason)))
            << boxes[0].text.toStdString();
        EXPECT_EQ(logic.model().rowCount(), 0);
        QFile after(p);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), bytes) << c.what;
    }
    // None yet: an empty list that says so, no message, and no file made.
    JournalLogic logic(state, dialogs);
    EXPECT_EQ(logic.open(path), JournalLogic::Opened::Missing);
    EXPECT_EQ(logic.statusText(),
              QStringLiteral("No service journal has been written yet (%1).").arg(path));
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(JournalWindowTest, TheListReadsMoreEntriesAsItIsScrolledAndTheKeysWorkAsElsewhere) {
    std::vector<std::pair<JournalEntry, std::vector<JournalItem>>> entries;
    const QDateTime start = QDateTime::fromString("2026-01-01T00:00:00Z", Qt::ISODate);
    for (int i = 0; i < 450; ++i) {
        JournalEntry e = entryAt("2026-01-01T00:00:00Z", QStringLiteral("f%1.mxp").arg(i));
        e.time = start.addSecs(60 * i);
        e.user = QStringLiteral("user%1").arg(i);
        e.serial = i % 2 ? QStringLiteral("odd") : QStringLiteral("even");
        entries.push_back({e, {param(Third, i, i + 1)}});
    }
    write(entries);
    TFormJournal form(state, dialogs, path);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    JournalListModel& model = form.logic().model();
    EXPECT_EQ(model.rowCount(), JournalListModel::PageSize);
    EXPECT_EQ(model.total(), 450);
    auto* grid = form.findChild<QTableView*>("GridJournal");
    // Each time the user reaches the bottom, the next page; never all at once.
    QScrollBar* bar = grid->verticalScrollBar();
    bar->setValue(bar->maximum());
    EXPECT_TRUE(
        test::waitUntil([&] { return model.rowCount() == 2 * JournalListModel::PageSize; }));
    EXPECT_TRUE(test::waitUntil([&] {
        bar->setValue(bar->maximum());
        return model.rowCount() == 450;
    }));
    EXPECT_FALSE(model.canFetchMore({}));

    // Arrows move in the list and the detail follows.
    grid->setFocus();
    grid->setCurrentIndex(model.index(0, 0));
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(form.findChild<QLabel*>("LabelField1")->text(), "user448");
    auto* items = form.findChild<QTableWidget*>("GridItems");
    ASSERT_EQ(items->rowCount(), 1);
    EXPECT_EQ(items->item(0, 2)->text(), "4,48");

    // A minus sign is refused, a unit past the bus's last comes down to it.
    auto* unit = form.findChild<QLineEdit*>("EditUnit");
    QTest::keyClicks(unit, "-");
    EXPECT_EQ(unit->text(), "");
    QTest::keyClicks(unit, "45");
    EXPECT_EQ(unit->text(), "31");
    unit->clear();
    auto* kind = form.findChild<QComboBox*>("ComboItemKind");
    auto* number = form.findChild<QLineEdit*>("EditItemNumber");
    QTest::keyClicks(number, "399");
    EXPECT_EQ(number->text(), "399");
    kind->setCurrentIndex(1); // a setpoint: 48 at most
    EXPECT_EQ(number->text(), "48");
    number->clear();
    kind->setCurrentIndex(0);

    // Enter in a filter applies it.
    auto* serial = form.findChild<QLineEdit*>("EditSerial");
    serial->setFocus();
    QTest::keyClicks(serial, "odd");
    QTest::keyClick(serial, Qt::Key_Return);
    EXPECT_EQ(model.total(), 225);
    EXPECT_EQ(form.findChild<QLabel*>("LabelStatus")->text(), "225 entries");
    EXPECT_EQ(form.findChild<QLabel*>("LabelField1")->text(), "user449");

    // Offline, and an entry whose old values are known: disabled, and why.
    EXPECT_FALSE(form.findChild<QPushButton*>("CmdPutBack")->isEnabled());
    EXPECT_EQ(form.findChild<QLabel*>("LabelPutBack")->text(),
              "The port is closed: open it to put old values back.");

    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(JournalWindowTest, PuttingOldValuesBackWritesOnlyTheTickedRows) {
    SimUnit& unit = bus->addUnit(0, lineOf(38400));
    for (int p = 0; p < 400; ++p)
        unit.forceParameter(p, p == 203 ? 2 : p == CamEnable ? 0 : p < 200 ? p * 10 : 0);
    // What a send changed: the unit held -1250, 1 and 4242 before it.
    write({{entryAt("2026-03-01T09:00:00Z", "a.mxp"),
            {param(Cam1Start, -1250, 70), param(CamEnable, 1, 0), param(Third, 4242, 1500),
             param(Cam1Start, 70, 70), param(12, std::nullopt, 120)}},
           {entryAt("2026-03-02T09:00:00Z", "b.mxp"), {param(12, std::nullopt, 120)}}});
    JournalLogic logic(state, dialogs);
    ASSERT_EQ(logic.open(path), JournalLogic::Opened::Journal);
    const JournalEntry* unknown = logic.model().entryAt(0);
    const JournalEntry* known = logic.model().entryAt(1);
    const std::vector<JournalItem> items = logic.store()->items(known->id);

    struct Case {
        const JournalEntry* entry;
        bool portOpen;
        bool enabled;
        const char* reason;
    };
    const Case cases[] = {
        {known, true, true,
         "Reads the unit's parameters and shows what differs from the 3 old values of this entry."},
        {known, false, false, "The port is closed: open it to put old values back."},
        {unknown, true, false, "No old parameter value of this entry is known."},
        {nullptr, true, false, "Select an entry."},
    };
    for (const Case& c : cases) {
        const JournalLogic::PutBack p = logic.putBack(
            c.entry, c.entry ? logic.store()->items(c.entry->id) : std::vector<JournalItem>{},
            c.portOpen);
        EXPECT_EQ(p.enabled, c.enabled) << c.reason;
        EXPECT_EQ(p.reason, QString::fromUtf8(c.reason));
    }
    const JournalLogic::PutBack p = logic.putBack(known, items, true);
    EXPECT_EQ(p.values,
              (std::vector<JournalOldValue>{{Cam1Start, -1250}, {CamEnable, 1}, {Third, 4242}}));

    // The unit's present values, read as the compare window reads them.
    port.SetActive(true);
    HostLines lines;
    lines.attach(*bus);
    auto run = [this](TableTransfer& t) {
        t.setMode(TableTransfer::Mode::Parameters);
        t.start();
        EXPECT_TRUE(test::waitUntil(
            [&] {
                return t.status() != TableTransfer::Status::Running &&
                       t.status() != TableTransfer::Status::Computing;
            },
            60000));
        t.ok();
    };
    TableTransfer receive(port, TableTransfer::Direction::Receive, testsupport::builtInTexts());
    run(receive);
    const ParamTables::Parameters present = receive.tables.parameters;
    ASSERT_EQ(present[Cam1Start], 70);

    ParamTables::Parameters editorTable = state.tables.parameters();
    CompareParamLogic compare(state, dialogs);
    compare.hooks.write = [&](const ParamTables::Parameters& values,
                              const std::vector<int>& numbers) {
        TableTransfer send(port, TableTransfer::Direction::Send, testsupport::builtInTexts());
        send.tables.parameters = values;
        send.setParameterSubset(numbers);
        run(send);
        return send.sendReport();
    };
    GroupTree tree;
    tree.load(DataDir + GroupTree::fileName(1));
    compare.compare(
        present, {.values = JournalLogic::withOldValues(present, p.values), .summary = "%1"}, tree);
    ASSERT_EQ(compare.rows().size(), 3u);
    EXPECT_EQ(compare.cells(0)[3], "0,70");
    EXPECT_EQ(compare.cells(0)[4], "-12,50");
    EXPECT_FALSE(compare.canTake());
    compare.setTicked(1, false); // the cam stays enabled as it is now
    lines.clear();
    compare.CmdWriteClick();
    EXPECT_EQ(lines.all(), QStringList({"wp 7 -1250", "wp 150 4242", "bp"}));
    EXPECT_EQ(bus->withUnit(0, [](SimUnit& u) { return u.parameter(Cam1Start); }), -1250);
    EXPECT_EQ(bus->withUnit(0, [](SimUnit& u) { return u.parameter(CamEnable); }), 0);
    EXPECT_EQ(bus->withUnit(0, [](SimUnit& u) { return u.parameter(Third); }), 4242);
    // The editor's table had no part in it.
    EXPECT_EQ(state.tables.parameters(), editorTable);
}

TEST_F(JournalWindowTest, EveryTextOfItsSectionLandsOnItsControl) {
    write({{entryAt("2026-03-01T09:00:00Z", "a.mxp"), {param(Cam1Start, 70, -1250)}}});
    state.language.loadFromText(test::markedLanguage("Journal"));
    TFormJournal form(state, dialogs, path);
    form.FormActivate();
    test::expectMarkedTextsShown(form, "Journal");
    auto* grid = form.findChild<QTableView*>("GridJournal");
    EXPECT_EQ(grid->model()->headerData(7, Qt::Horizontal).toString(), "<Kolom7>");
    EXPECT_EQ(grid->model()->index(0, 7).data().toString(), "<Action0>");
    EXPECT_EQ(form.findChild<QTableWidget*>("GridItems")->horizontalHeaderItem(2)->text(),
              "<ItemKolom2>");
    EXPECT_EQ(form.findChild<QLabel*>("LabelStatus")->text(), "<Count>");
}
