#include "sim/SimStateFile.h"

#include "inifile/SaveFile.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

namespace kqm52 {

bool loadSimState(SimBus& bus, const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error) *error = f.errorString();
        return false;
    }
    // Read one byte past the limit rather than asking the size: a device or a
    // pipe has none, and /dev/zero would never end.
    const QByteArray bytes = f.read(MaxSimStateBytes + 1);
    if (bytes.size() > MaxSimStateBytes) {
        if (error)
            *error = QStringLiteral("%1: not a state file (larger than %2 bytes)")
                         .arg(path)
                         .arg(MaxSimStateBytes);
        return false;
    }
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    int unitNo = -1;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString name = line.mid(1, line.size() - 2).simplified();
            bool ok = false;
            unitNo = name.startsWith(QLatin1String("unit ")) ? name.mid(5).toInt(&ok) : -1;
            if (!ok) unitNo = -1;
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (unitNo < 0 || eq < 2) continue;
        const QString key = line.left(eq).trimmed();
        bool okN = false, okV = false;
        const int n = key.mid(1).toInt(&okN);
        const qlonglong v = line.mid(eq + 1).trimmed().toLongLong(&okV);
        if (!okN || !okV || v < INT32_MIN || v > INT32_MAX) continue;
        const QChar kind = key[0];
        for (int i = 0; i < bus.unitCount(); ++i) {
            bus.withUnit(i, [&](SimUnit& u) {
                if (u.number() != unitNo) return;
                if (kind == QLatin1Char('p') && n >= 0 && n < SimParameterCount)
                    u.forceParameter(n, std::int32_t(v));
                else if (kind == QLatin1Char('s') && n >= 1 && n <= SimSetpointCount)
                    u.setSetpoint(n, std::int32_t(v));
                else if (kind == QLatin1Char('c') && n >= SimUnit::CalFirst &&
                         n <= SimUnit::CalLast)
                    u.setEeprom(n, std::int32_t(v));
                else if (kind == QLatin1Char('t') && n >= 1 && n <= 4)
                    u.setThumbwheel(n, std::int32_t(v));
            });
        }
    }
    for (int i = 0; i < bus.unitCount(); ++i)
        bus.withUnit(i, [](SimUnit& u) {
            u.powerCycle();
            u.clearDirty();
        });
    return true;
}

bool saveSimState(SimBus& bus, const QString& path, QString* error) {
    QString text = QStringLiteral("# mx5x-sim state: what the simulated units keep between runs\n");
    QList<int> done;
    for (int i = 0; i < bus.unitCount(); ++i) {
        bus.withUnit(i, [&](SimUnit& u) {
            if (done.contains(u.number())) return;
            done.append(u.number());
            text += QStringLiteral("\n[unit %1]\n").arg(u.number());
            for (int p = 0; p < SimParameterCount; ++p)
                text += QStringLiteral("p%1=%2\n").arg(p).arg(u.parameter(p));
            for (int s = 1; s <= SimSetpointCount; ++s)
                text += QStringLiteral("s%1=%2\n").arg(s).arg(u.setpoint(s));
            for (int c = SimUnit::CalFirst; c <= SimUnit::CalLast; ++c)
                text += QStringLiteral("c%1=%2\n").arg(c).arg(u.eeprom(c));
            for (int t = 1; t <= 4; ++t)
                text += QStringLiteral("t%1=%2\n").arg(t).arg(u.thumbwheel(t));
        });
    }
    return saveFile(path, text.toUtf8(), error);
}

} // namespace kqm52
