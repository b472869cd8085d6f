#pragma once

// Reading a text file that lies beside the program (settings, language,
// catalogue and group tree files) whole into memory, with a bound.
//
// These files are a few tens of kilobytes.  One that has grown to hundreds of
// megabytes (a copy gone wrong, a log written into it) would cost seconds
// and many times its size in memory before a single text is shown, so a file
// over the bound is refused without being read.

#include "inifile/RegularFile.h"

#include <QByteArray>
#include <QString>

namespace kqm52 {

// Why a file was not read.
struct ReadProblem {
    enum class Kind { None, Unreadable, TooLarge };
    Kind kind = Kind::None;
    QString path;         // the file, in the platform's notation
    FileReadError reason; // Unreadable: why
    qint64 size = 0;
    qint64 limit = 0; // TooLarge: the bound it went over, in bytes
    explicit operator bool() const { return kind != Kind::None; }
};

// Larger than any settings, language or catalogue file in the field by two
// orders of magnitude; reading this much takes a few milliseconds.
inline constexpr qint64 MaxDataFileBytes = 4 * 1024 * 1024;

// Reads the file at path into bytes.  Returns false, leaving bytes empty and
// setting problem (when given), when it cannot be read or holds more than
// maxBytes bytes.  A missing file is Unreadable too; callers that treat a
// missing file as normal test for it first.
bool readFile(const QString& path, QByteArray& bytes, ReadProblem* problem = nullptr,
              qint64 maxBytes = MaxDataFileBytes);

} // namespace kqm52
