// The Journal window on a journal of years: 100 000 entries and 1.5 million
// items, made in a temporary folder.  Prints how long the window takes from
// being opened to its first rows drawn, and to the list filtered by a serial
// number and by a parameter number, each drawn.  Figures only; nothing here
// judges them.
//
//     build/bin/journal_bench [--entries N]

#include "model/engines/ProgramState.h"
#include "model/journal/JournalStore.h"
#include "tools/FormJournal.h"
#include "ui/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

using namespace kqm52;

namespace {

constexpr int ItemsPerEntry = 15;
constexpr int Units = 200;

// One transaction and two prepared statements: the store's own calls would
// prepare per entry, which is right for a journal that grows a few rows at a
// time but slow for a million and a half.
bool build(const QString& path, int entries) {
    {
        JournalStore store; // the schema, as the program makes it
        if (!store.open(path)) {
            std::fprintf(stderr, "%s\n", qPrintable(store.problem()));
            return false;
        }
    }
    bool ok = true;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        if (!db.open()) return false;
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        db.transaction();
        QSqlQuery entry(db), item(db);
        entry.prepare(QStringLiteral(
            "INSERT INTO entries(id, time_utc, utc_offset, user, host, program, version, port, "
            "line,"
            " unit, unit_type, serial, action, file, file_sha256, outcome)"
            " VALUES(?,?,3600,'jan','werkplaats','kqm52','4.03',?,'38400,E,8,1',?,'MX52',?,"
            "'parameter send',?,'',"
            "'done')"));
        item.prepare(QStringLiteral("INSERT INTO items(entry, seq, kind, number, old_raw, new_raw,"
                                    " line, answer) VALUES(?,?,'P',?,?,?,?,?)"));
        std::mt19937 random(52);
        const QDateTime start =
            QDateTime::fromString(QStringLiteral("2024-01-01T00:00:00Z"), Qt::ISODate);
        for (int e = 1; e <= entries && ok; ++e) {
            const int unit = int(random() % Units);
            entry.bindValue(0, e);
            entry.bindValue(1, JournalStore::timeText(start.addSecs(qint64(e) * 900)));
            entry.bindValue(2, QStringLiteral("COM%1").arg(1 + unit % 4));
            entry.bindValue(3, unit % 32);
            entry.bindValue(4, QStringLiteral("52%1").arg(unit, 4, 10, QLatin1Char('0')));
            entry.bindValue(5, QStringLiteral("/home/jan/unit%1.mxp").arg(unit));
            ok = entry.exec();
            for (int s = 0; s < ItemsPerEntry && ok; ++s) {
                const int number = int(random() % 400);
                const int value = int(random() % 100000);
                item.bindValue(0, e);
                item.bindValue(1, s);
                item.bindValue(2, number);
                item.bindValue(3, value - 1);
                item.bindValue(4, value);
                item.bindValue(5, QStringLiteral("wp %1 %2").arg(number).arg(value));
                item.bindValue(6, QString::number(value));
                ok = item.exec();
            }
            if (!ok) std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text()));
        }
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

// Until what the list shows is drawn.
void drawn(QApplication& app, QTableView* grid) {
    app.processEvents();
    grid->viewport()->grab();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int entries = 100000;
    const QStringList args = app.arguments();
    if (const auto i = args.indexOf(QStringLiteral("--entries")); i > 0 && i + 1 < args.size())
        entries = args[i + 1].toInt();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.sqlite"));
    QElapsedTimer t;
    t.start();
    if (!build(path, entries)) return 1;
    std::printf("journal of %d entries, %d items made in %.1f s (%.0f MB)\n", entries,
                entries * ItemsPerEntry, double(t.elapsed()) / 1000,
                double(QFileInfo(path).size()) / 1e6);

    ProgramState state(QStringLiteral(KQM52_DATA_DIR "/"));
    state.settings.LanguageNo = 1;
    state.language.TekstFile_Lezen(QStringLiteral(KQM52_DATA_DIR "/"), 1);
    state.catalogue.ParameterDef_lezen(QStringLiteral(KQM52_DATA_DIR "/"));
    ScriptedDialogs dialogs;
    for (int run = 0; run < 3; ++run) {
        t.restart();
        TFormJournal form(state, dialogs, path);
        form.show();
        auto* grid = form.findChild<QTableView*>(QStringLiteral("GridJournal"));
        drawn(app, grid);
        const double opened = double(t.nsecsElapsed()) / 1e6;

        t.restart();
        form.findChild<QLineEdit*>(QStringLiteral("EditSerial"))->setText(QStringLiteral("520042"));
        form.CmdApplyClick();
        drawn(app, grid);
        const double bySerial = double(t.nsecsElapsed()) / 1e6;
        const int serialRows = form.logic().model().total();

        form.CmdClearClick();
        t.restart();
        form.findChild<QLineEdit*>(QStringLiteral("EditItemNumber"))->setText(QStringLiteral("12"));
        form.CmdApplyClick();
        drawn(app, grid);
        const double byNumber = double(t.nsecsElapsed()) / 1e6;
        std::printf("run %d: window open to first rows shown %.1f ms; filter by serial %.1f ms"
                    " (%d entries); filter by parameter 12 %.1f ms (%d entries)\n",
                    run + 1, opened, bySerial, serialRows, byNumber, form.logic().model().total());
    }
    return 0;
}
