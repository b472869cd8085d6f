#pragma once

// The state file of mx5x-sim: what a simulated unit keeps between runs, as a
// real one keeps it in its EEPROM.  Plain text, one section per unit number:
//
//   [unit 5]
//   p17=1200        parameter 17
//   s3=-400         setpoint 3
//   c2041=-37       calibration constant 2041 as stored by "ks"
//   t1=250          thumbwheel 1
//
// Loading sets the stored values of every unit with that number (limits are
// not checked: a value outside them makes "bp" report it) and powers the unit
// up from them; the RAM calibration constants start as the EEPROM holds them.
// Units named in the file but absent from the bus are ignored.  A file larger
// than any bus could fill (MaxSimStateBytes) is refused whole: it is not a
// state file, and reading it all could take the machine's memory.

#include "sim/SimBus.h"

#include <QString>

namespace kqm52 {

// 32 units of every item written out come to about 200 kB.
inline constexpr qint64 MaxSimStateBytes = 4 * 1024 * 1024;

bool loadSimState(SimBus& bus, const QString& path, QString* error = nullptr);
// Written through QSaveFile: the old file survives a failed write.
bool saveSimState(SimBus& bus, const QString& path, QString* error = nullptr);

} // namespace kqm52
