#pragma once

// What the three table files (parameters ".mxp", setpoints ".mxs", backup
// ".bak") share: the reasons a file is refused, and reading and writing
// whole files safely.
//
// A refused file changes nothing: readers build their tables aside and hand
// them out only when the whole file was right.  Writers go through
// QSaveFile, so a full disk, a read-only folder or a crash leaves the old
// file as it was.

#include "inifile/RegularFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kqm52 {

enum class FileRefusal {
    None,
    CannotOpen,  // missing, unreadable, or not a file
    WrongHeader, // text files: the first line is not this kind of file
    BadLine,     // text files: a data line out of shape, a number out of range, not decimal
    WrongCount,  // text files: not exactly the lines the format asks, or a number twice
    WrongSize,   // backup: not exactly 16020 bytes
    BadMarks,    // backup: a start or end mark is wrong
};

// Why a file was refused, for the window's message box.
struct FileProblem {
    FileRefusal refusal = FileRefusal::None;
    // The key of the language text that says so ("OpenMsg1" … "OpenMsg4"
    // in the editors' sections, "OpenMsg2" in "BackupRestore"); empty when
    // the language files have none for it.
    QString messageKey;
    // A built-in, English text with the file's own detail (the line, the
    // size, the operating system's reason): shown when no language file is
    // loaded or the key is empty, and useful after the language text.
    QString detail;
    int line = 0; // 1-based line of a text file, 0 when not about a line
    // The detail as a language text: its key in section "Main" of the
    // language files and the values of its %1, %2, %3.  Empty for the
    // operating system's reason, which is shown as it is.
    QString detailKey;
    QStringList detailArgs;
    // CannotOpen: why the file could not be read (the language words it,
    // model/FileProblemText.h), and the file in the platform's notation.
    FileReadError unreadable;
    QString path;
};

// A problem whose detail is one of the texts below, filled in with args.
FileProblem fileProblem(FileRefusal refusal, QString messageKey, const char* detailKey,
                        QStringList args = {}, int line = 0);

// The built-in English of each detail key (the language files word the same
// keys), with %1, %2, %3 still in it; empty for a key that is not one.
QString fileProblemDetailText(QStringView detailKey);
// text with its %1, %2, %3 filled in at once, so a "%2" inside a file name
// stays as it is.
QString fillDetail(const QString& text, const QStringList& args);

template <class Tables> struct FileRead {
    std::optional<Tables> tables; // set exactly when the file was accepted
    FileProblem problem;
    bool ok() const { return tables.has_value(); }
};

namespace TableFile {

// The whole file, or nullopt with the reason.  At most maxBytes + 1 bytes are
// read, so a reader can tell a file that is too long without taking in a
// huge one.
std::optional<QByteArray> readAll(const QString& path, qint64 maxBytes, FileReadError* error);

// A file that could not be read at all: its problem, the detail "file: reason"
// in English.
FileProblem unreadableFile(const QString& path, const FileReadError& error, QString messageKey);

// Writes bytes as the whole new content of path.  Empty on success;
// otherwise "path: reason" with the operating system's reason.
QString writeAll(const QString& path, const QByteArray& bytes);

// The lines of a text file without their line ends (CR LF or LF).
QList<QByteArray> lines(const QByteArray& bytes);

// The shape both text files share: a header line, an empty line, and one
// line per index from 0 to count - 1: a letter, the index in three digits,
// a blank and the raw value, every line ended by CR LF.
QByteArray writeNumbered(const QByteArray& header, char letter, const std::vector<qint32>& values);

// Reads that shape back.  The header is recognised by its first 25
// characters alone; empty lines are skipped anywhere; the first character of
// a data line is not looked at.  Every index 0 … count - 1 must appear
// exactly once, with a decimal value.  Gives the values by index.
// The refusals carry the editors' keys OpenMsg1 … OpenMsg4.
FileRead<std::vector<qint32>> readNumbered(const QByteArray& bytes, QByteArrayView header,
                                           int count);
FileRead<std::vector<qint32>> readNumberedFile(const QString& path, QByteArrayView header,
                                               int count);

// Values by index 0 … count - 1 into a table whose entry 0 is index `first`.
template <class Table>
FileRead<Table> toTable(const FileRead<std::vector<qint32>>& raw, int first) {
    FileRead<Table> result{{}, raw.problem};
    if (raw.ok()) {
        result.tables.emplace();
        for (std::size_t i = 0; i < result.tables->size(); ++i)
            (*result.tables)[i] = (*raw.tables)[i + std::size_t(first)];
    }
    return result;
}

} // namespace TableFile

} // namespace kqm52
