#pragma once

// Reading a file a user can name, or put beside the program: only a regular
// file is opened.  open() on a FIFO waits for a writer that may never come,
// a device may never end or act on being opened (a serial port raises its
// lines), and either would freeze the window that reads.  So the path is
// looked at first, and a pipe, a device, a socket or a folder is refused
// with a reason the window can show.
//
// The reason is a value, not words: this library knows no language.  The
// program's language texts word it (model/files/FileProblemText.h); the operating
// system's own reason is kept as the system words it.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

namespace kqm52 {

// Why a file was not read.
struct FileReadError {
    enum class Kind {
        None,
        Missing,  // there is no such file
        Folder,   // it is a folder
        NotAFile, // a pipe, a device or a socket
        System,   // opening or reading failed: the operating system's reason
    };
    Kind kind = Kind::None;
    QString system; // Kind::System: the operating system's (or Qt's) words
    explicit operator bool() const { return kind != Kind::None; }
    // In English ("there is no such file", "it is a folder, not a file",
    // "it is a pipe, a device or a socket, not a file", or the system's
    // words): what a reader says before any language is loaded.
    QString english() const;
};

// Kind::None when path names a regular file (a link to one counts);
// otherwise why it is not one.
FileReadError::Kind notARegularFile(const QString& path);
inline bool isRegularFile(const QString& path) {
    return notARegularFile(path) == FileReadError::Kind::None;
}

// Opens a regular file for reading, for a reader that streams a file too
// large to take in at once.  False when path is not a regular file or cannot
// be opened; error then says why, without the path.
bool openRegularFile(QFile& file, const QString& path, FileReadError* error = nullptr);

// The bytes of a regular file: all of them, or with maxBytes >= 0 at most
// maxBytes + 1 (so a caller can tell a file that is too long without taking
// in a huge one).  nullopt when path is not a regular file or cannot be
// read; error then says why, without the path.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes = -1,
                                          FileReadError* error = nullptr);

} // namespace kqm52
