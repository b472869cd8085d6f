#include "inifile/ReadFile.h"

#include <QDir>
#include <QFile>

namespace kqm52 {

bool readFile(const QString& path, QByteArray& bytes, ReadProblem* problem, qint64 maxBytes) {
    bytes.clear();
    const auto fail = [&](ReadProblem::Kind kind, const QString& reason, qint64 size) {
        if (problem) {
            problem->kind = kind;
            problem->path = QDir::toNativeSeparators(path);
            problem->reason = reason;
            problem->size = size;
            problem->limit = kind == ReadProblem::Kind::TooLarge ? maxBytes : 0;
        }
        bytes.clear();
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ReadProblem::Kind::Unreadable, file.errorString(), 0);
    // Ask before reading; a file that grows meanwhile is caught by reading
    // one byte past the bound.
    if (file.size() > maxBytes) return fail(ReadProblem::Kind::TooLarge, {}, file.size());
    bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(ReadProblem::Kind::Unreadable, file.errorString(), 0);
    if (bytes.size() > maxBytes) return fail(ReadProblem::Kind::TooLarge, {}, bytes.size());
    if (problem) *problem = ReadProblem{};
    return true;
}

} // namespace kqm52
