#pragma once

// Line settings as the simulator sees them: how long a byte takes on the wire,
// whether a unit can make sense of what the host sends, and the short text
// form "38400,E,8,1" used by mx5x-sim's options, its log and its state file
// (the same form the main window shows in its status bar).

#include "link/SerialDriver.h"
#include "sim/SimClock.h"

#include <QString>

namespace kqm52 {

// Bits of one character on the line: start bit, data bits, parity bit, stop bits.
int simFrameBits(const LineState& line);

// Time that the first `bytes` characters take, from the start of the first to
// the end of the last.  Computed from the byte count each time rather than
// summed per byte, so odd byte times do not drift.
SimNanos simLineTime(const LineState& line, std::int64_t bytes);

// How a unit compares the host's settings with its own.  A UART at another
// speed, parity, data width or stop-bit count reads noise; over a pty only the
// speed and the stop bits reach the far side (Linux masks parity and data
// bits there), so the pty server compares those two only.
enum class SimLineMatch { Exact, SpeedAndStopBits };
bool simLinesMatch(const LineState& unit, const LineState& host, SimLineMatch match);

// "38400,E,8,1" (speed, N/E/O, data bits, stop bits).
QString simLineText(const LineState& line);
// Parses the form above; the speed alone ("19200") keeps the other fields of
// `line` (8E1 when it starts from the default).  Returns false on any error.
bool simParseLine(const QString& text, LineState& line);

} // namespace kqm52
