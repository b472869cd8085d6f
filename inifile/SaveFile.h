#pragma once

// Writing a file the program owns (application.ini, parameter, setpoint and
// backup files, the simulator's state): all of it or none of it.
//
// The bytes go to a temporary file beside the target, unbuffered, and replace
// the old file only once every byte is on disk, so a crash, a full disk or a
// read-only folder never leaves half a file or destroys the old one.  A
// failure is reported with the operating system's reason ("No space left on
// device"), never as "Unknown error".

#include <QByteArray>
#include <QString>

namespace kqm52 {

// On failure returns false and, when error is given, sets it to the file's
// path and the reason: "/home/x/application.ini: No space left on device".
bool saveFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Whether saveFile could write path now, tried the way it writes (a
// temporary file beside the target, removed again), so a job that reads a
// unit for half a minute learns of a missing folder before it starts.
// error as for saveFile.  The target itself is left as it is.
bool canSaveFile(const QString& path, QString* error = nullptr);

} // namespace kqm52
