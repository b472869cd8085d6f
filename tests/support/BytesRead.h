#pragma once

// How many bytes this process has taken in through read() and its kin so
// far, as the kernel counts them ("rchar" in /proc/self/io).  A reader that
// refuses a file must do so without reading it: the count says whether it
// did, on a fast machine and a slow one alike.

#include <QByteArray>
#include <QFile>

namespace kqm52::test {

inline qint64 bytesReadSoFar() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:")) return line.mid(6).trimmed().toLongLong();
    return -1;
}

// More than any sound data file of this program, far less than a damaged
// one that never ends or is megabytes too long.
constexpr qint64 RefusalReadBudget = 1 << 20;

} // namespace kqm52::test
