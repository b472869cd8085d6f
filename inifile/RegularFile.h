#pragma once

// Reading a file a user can name, or put beside the program: only a regular
// file is opened.  open() on a FIFO waits for a writer that may never come,
// a device may never end or act on being opened (a serial port raises its
// lines), and either would freeze the window that reads.  So the path is
// looked at first, and a pipe, a device, a socket or a folder is refused
// with a reason the window can show.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

namespace kqm52 {

// Empty when path names a regular file (a link to one counts); otherwise why
// it is not one, in words for a message: "there is no such file", "it is a
// folder, not a file", "it is a pipe, a device or a socket, not a file".
QString notARegularFile(const QString& path);
inline bool isRegularFile(const QString& path) {
    return notARegularFile(path).isEmpty();
}

// Opens a regular file for reading, for a reader that streams a file too
// large to take in at once.  False when path is not a regular file or cannot
// be opened; reason then says why, without the path.
bool openRegularFile(QFile& file, const QString& path, QString* reason = nullptr);

// The bytes of a regular file: all of them, or with maxBytes >= 0 at most
// maxBytes + 1 (so a caller can tell a file that is too long without taking
// in a huge one).  nullopt when path is not a regular file or cannot be
// read; reason then says why, without the path.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes = -1,
                                          QString* reason = nullptr);

} // namespace kqm52
