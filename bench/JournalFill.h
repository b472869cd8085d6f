#pragma once

// A journal of years for the benchmarks: `entries` parameter sends of 15
// values each over 200 units (serial numbers 520000 … 520199), a quarter of
// an hour apart, made in one transaction.

#include "model/journal/JournalStore.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>
#include <random>

namespace kqm52::bench {

inline constexpr int ItemsPerEntry = 15;
inline constexpr int Units = 200;

// One transaction and two prepared statements: the store's own calls would
// prepare per entry, which is right for a journal that grows a few rows at a
// time but slow for a million and a half.
inline bool fillJournal(const QString& path, int entries) {
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

} // namespace kqm52::bench
