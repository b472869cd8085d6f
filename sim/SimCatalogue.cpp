#include "sim/SimCatalogue.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <optional>

namespace kqm52 {

namespace {

std::optional<std::int32_t> toInt32(const QString& text) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok, 10);
    if (!ok || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return std::int32_t(v);
}

} // namespace

bool SimCatalogue::load(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    // Only the ASCII keys min, max and default matter here, so the file's
    // encoding (UTF-8 or Latin-1 for the names) does not.
    loadFromText(QString::fromLatin1(f.readAll()));
    return true;
}

void SimCatalogue::loadFromText(const QString& text) {
    defs_ = {};
    struct Seen {
        std::optional<std::int32_t> min, max, def;
    };
    std::array<Seen, SimParameterCount> seen{};
    int section = -1;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char(';'))) continue;
        if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
            bool ok = false;
            const int n = t.mid(1, t.size() - 2).trimmed().toInt(&ok, 10);
            section = ok && n >= 0 && n < SimParameterCount ? n : -1;
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (section < 0 || eq < 0) continue;
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1);
        // Of duplicate keys the first readable one counts.
        if (key == QLatin1String("min") && !seen[section].min)
            seen[section].min = toInt32(value);
        else if (key == QLatin1String("max") && !seen[section].max)
            seen[section].max = toInt32(value);
        else if (key == QLatin1String("default") && !seen[section].def)
            seen[section].def = toInt32(value);
    }
    for (int p = 0; p < SimParameterCount; ++p) {
        SimParameterDef& d = defs_[p];
        d.def = seen[p].def.value_or(0);
        if (seen[p].min && seen[p].max && *seen[p].min <= *seen[p].max) {
            d.limited = true;
            d.min = *seen[p].min;
            d.max = *seen[p].max;
        }
    }
    loaded_ = true;
}

SimCatalogue SimCatalogue::fromProgramDir(const QString& programDir) {
    SimCatalogue c;
    c.load(QDir(programDir).filePath(QStringLiteral("Parameters.txt")));
    return c;
}

} // namespace kqm52
