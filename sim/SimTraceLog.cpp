#include "sim/SimTraceLog.h"

namespace kqm52 {

QString simEscape(const QByteArray& bytes) {
    QString s;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r')
            s += QLatin1String("\\r");
        else if (c == '\n')
            s += QLatin1String("\\n");
        else if (c == '\\' || c == '"')
            s += QString(QLatin1Char('\\')) + QLatin1Char(char(c));
        else if (c < 0x20 || c >= 0x7F)
            s += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        else
            s += QLatin1Char(char(c));
    }
    return s;
}

QString simTraceLine(SimNanos at, bool fromHost, int unit, const LineState& line,
                     const QByteArray& bytes) {
    const QString time = QString::number(double(at) / 1e9, 'f', 6);
    if (fromHost)
        return QStringLiteral("%1 <- %2 \"%3\"").arg(time, simLineText(line), simEscape(bytes));
    return QStringLiteral("%1 -> unit %2 %3 \"%4\"")
        .arg(time)
        .arg(unit)
        .arg(simLineText(line), simEscape(bytes));
}

bool attachSimLog(SimBus& bus, const QString& path, QString* error) {
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error) *error = file->errorString();
        return false;
    }
    // The trace runs under the bus lock, so lines never interleave.
    bus.setTrace([file](SimNanos at, bool fromHost, int unit, const LineState& line,
                        const QByteArray& bytes) {
        file->write(simTraceLine(at, fromHost, unit, line, bytes).toUtf8() + '\n');
        file->flush();
    });
    return true;
}

} // namespace kqm52
