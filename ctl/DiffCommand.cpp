// kqm52ctl diff: two parameter tables, from files or units, side by side.

#include "ctl/CtlRunner.h"

#include "model/files/ParameterFile.h"

namespace kqm52::ctl {

int CtlRunner::diff() {
    if (options_.arguments.size() != 2) return usage(QStringLiteral("diff A B"));
    const QString left = argument(0);
    const QString right = argument(1);
    const bool unitSide = left == QLatin1String("unit");
    if (unitListsGiven() && !unitSide) return usage(text("DiffUnits"));
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

    // bus: the unit's, null for two files.
    const auto listDifferences = [&](const ParamTables::Parameters& a, const QString& indent,
                                     CtlBus* bus) {
        const auto differences = ParameterDiff::compare(catalogue_, languageNo_, a, rightTable);
        QJsonArray list;
        for (const ParameterDifference& d : differences) {
            if (bus)
                data(*bus, indent + differenceLine(d));
            else
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
        const QJsonArray list = listDifferences(leftTable, QString(), nullptr);
        json_.insert(QStringLiteral("differences"), list);
        return list.isEmpty() ? Done : Differences;
    }
    return forUnits(
        [&](CtlBus& bus, int unit, const Identity&) {
            UnitResult r;
            const auto tables = receiveTables(bus, Mode::Parameters, r.exit, r.error);
            if (!tables) return r;
            const bool many = bus.units.has_value();
            if (many) {
                // The unit's lines follow its summary, so a reader knows whose they are.
                const auto count =
                    ParameterDiff::compare(catalogue_, languageNo_, tables->parameters, rightTable)
                        .size();
                note(bus, text("UnitDifferences").arg(unit, 2, 10, QLatin1Char('0')).arg(count));
            }
            const QJsonArray list =
                listDifferences(tables->parameters, many ? QStringLiteral("  ") : QString(), &bus);
            r.json.insert(QStringLiteral("differences"), list);
            r.exit = list.isEmpty() ? Done : Differences;
            return r;
        },
        false);
}

} // namespace kqm52::ctl
