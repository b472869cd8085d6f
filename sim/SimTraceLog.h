#pragma once

// A log of every line on the simulated bus, with times, as mx5x-sim --log
// writes it:
//
//   12.345678 <- 38400,E,8,1 "sc 0"
//   12.347965 -> unit 0 38400,E,8,1 "sc 0\r\n"
//
// Seconds since the bus started; "<-" is what the host sent (one line per
// CR), "->" a unit's reply from its first byte on, control bytes escaped.

#include "sim/SimBus.h"

#include <QFile>
#include <QString>

#include <memory>
#include <mutex>

namespace kqm52 {

QString simEscape(const QByteArray& bytes);
QString simTraceLine(SimNanos at, bool fromHost, int unit, const LineState& line,
                     const QByteArray& bytes);

// Attaches a log file to a bus (appending).  False with a message if the file
// cannot be opened.
bool attachSimLog(SimBus& bus, const QString& path, QString* error = nullptr);

} // namespace kqm52
