#include "sim/SimLine.h"

#include <QStringList>

namespace kqm52 {

int simFrameBits(const LineState& line) {
    return 1 + line.dataBits + (line.parity == DriverParity::None ? 0 : 1) + line.stopBits;
}

SimNanos simLineTime(const LineState& line, std::int64_t bytes) {
    if (line.baud <= 0 || bytes <= 0) return 0;
    return bytes * simFrameBits(line) * 1'000'000'000LL / line.baud;
}

bool simLinesMatch(const LineState& unit, const LineState& host, SimLineMatch match) {
    if (unit.baud != host.baud || unit.stopBits != host.stopBits) return false;
    if (match == SimLineMatch::SpeedAndStopBits) return true;
    return unit.parity == host.parity && unit.dataBits == host.dataBits;
}

QString simLineText(const LineState& line) {
    const char p = line.parity == DriverParity::None   ? 'N'
                   : line.parity == DriverParity::Even ? 'E'
                                                       : 'O';
    return QStringLiteral("%1,%2,%3,%4")
        .arg(line.baud)
        .arg(QLatin1Char(p))
        .arg(line.dataBits)
        .arg(line.stopBits);
}

bool simParseLine(const QString& text, LineState& line) {
    const QStringList f = text.trimmed().split(QLatin1Char(','));
    if (f.isEmpty() || f.size() > 4) return false;
    LineState l = line;
    bool ok = false;
    l.baud = f[0].trimmed().toInt(&ok);
    if (!ok || l.baud < 50 || l.baud > 4'000'000) return false;
    if (f.size() > 1) {
        const QString p = f[1].trimmed().toUpper();
        if (p == QLatin1String("N"))
            l.parity = DriverParity::None;
        else if (p == QLatin1String("E"))
            l.parity = DriverParity::Even;
        else if (p == QLatin1String("O"))
            l.parity = DriverParity::Odd;
        else
            return false;
    }
    if (f.size() > 2) {
        l.dataBits = f[2].trimmed().toInt(&ok);
        if (!ok || (l.dataBits != 7 && l.dataBits != 8)) return false;
    }
    if (f.size() > 3) {
        l.stopBits = f[3].trimmed().toInt(&ok);
        if (!ok || (l.stopBits != 1 && l.stopBits != 2)) return false;
    }
    line = l;
    return true;
}

} // namespace kqm52
