#pragma once

// How many bytes this process has taken in through read() and its kin so
// far, as the kernel counts them ("rchar" in /proc/self/io).  A reader that
// refuses a file must do so without reading it: the count says whether it
// did, on a fast machine and a slow one alike.

#include <QByteArray>
#include <QFile>

#include "inifile/ReadFile.h"

namespace kqm52::test {

inline qint64 bytesReadSoFar() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:")) return line.mid(6).trimmed().toLongLong();
    return -1;
}

// What a reader may take in before it refuses a file: the most a data file
// may hold, one byte to see it is longer, and room for the little else the
// process reads meanwhile.  An endless device or a file megabytes too long
// read whole goes past it.
constexpr qint64 RefusalReadBudget = MaxDataFileBytes + 1 + (256 << 10);

} // namespace kqm52::test
