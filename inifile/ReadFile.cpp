#include "inifile/ReadFile.h"

#include "inifile/RegularFile.h"

#include <QDir>
#include <QFileInfo>

namespace kqm52 {

bool readFile(const QString& path, QByteArray& bytes, ReadProblem* problem, qint64 maxBytes) {
    bytes.clear();
    const auto fail = [&](ReadProblem::Kind kind, const FileReadError& reason, qint64 size) {
        if (problem) {
            problem->kind = kind;
            problem->path = QDir::toNativeSeparators(path);
            problem->reason = reason;
            problem->size = size;
            problem->limit = kind == ReadProblem::Kind::TooLarge ? maxBytes : 0;
        }
        return false;
    };
    // A pipe or a device is refused before it is opened; a file that grows
    // while it is read is caught by taking one byte past the bound.
    FileReadError reason;
    std::optional<QByteArray> read = readRegularFile(path, maxBytes, &reason);
    if (!read) return fail(ReadProblem::Kind::Unreadable, reason, 0);
    if (read->size() > maxBytes)
        return fail(ReadProblem::Kind::TooLarge, {},
                    std::max(QFileInfo(path).size(), read->size()));
    bytes = std::move(*read);
    if (problem) *problem = ReadProblem{};
    return true;
}

} // namespace kqm52
