#include "model/files/BackupFile.h"

#include "inifile/RegularFile.h"

#include <QtEndian>

namespace kqm52 {

namespace {

void put(QByteArray& out, qint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

qint32 get(const QByteArray& in, qsizetype entry) {
    return qFromLittleEndian<qint32>(in.constData() + 4 * entry);
}

QString badFileKey() {
    return QStringLiteral("OpenMsg2");
}

} // namespace

QByteArray BackupFile::toBytes(const UnitTables& tables) {
    QByteArray out;
    out.reserve(Size);
    put(out, StartMark);
    put(out, StartMark);
    for (int p = 0; p < ParameterEntries; ++p)
        put(out, p < ParamTables::ParameterCount ? tables.parameters[std::size_t(p)] : 0);
    for (int s = 0; s < SetpointEntries; ++s)
        put(out, s < ParamTables::SetpointCount ? tables.setpoints[std::size_t(s)] : 0);
    put(out, EndMark);
    put(out, EndMark);
    return out;
}

FileRead<UnitTables> BackupFile::fromBytes(const QByteArray& bytes) {
    FileRead<UnitTables> result;
    if (bytes.size() != Size) {
        result.problem = fileProblem(FileRefusal::WrongSize, badFileKey(), "MsgBackupSize",
                                     {QString::number(bytes.size()), QString::number(Size)});
        return result;
    }
    constexpr qsizetype parametersAt = 2;
    constexpr qsizetype setpointsAt = parametersAt + ParameterEntries;
    constexpr qsizetype endAt = setpointsAt + SetpointEntries;
    if (get(bytes, 0) != StartMark || get(bytes, 1) != StartMark || get(bytes, endAt) != EndMark ||
        get(bytes, endAt + 1) != EndMark) {
        result.problem = fileProblem(FileRefusal::BadMarks, badFileKey(), "MsgBackupNoMarks");
        return result;
    }
    UnitTables& tables = result.tables.emplace();
    for (int p = 0; p < ParamTables::ParameterCount; ++p)
        tables.parameters[std::size_t(p)] = get(bytes, parametersAt + p);
    for (int s = 0; s < ParamTables::SetpointCount; ++s)
        tables.setpoints[std::size_t(s)] = get(bytes, setpointsAt + s);
    return result;
}

FileRead<UnitTables> BackupFile::read(const QString& path) {
    FileReadError error;
    const std::optional<QByteArray> bytes = TableFile::readAll(path, Size, &error);
    if (!bytes) {
        FileRead<UnitTables> result;
        // A pipe or a device is no backup file either, and that is said in
        // the user's words; a missing or unreadable file has only its reason.
        const bool noFileAtAll = error.kind == FileReadError::Kind::Folder ||
                                 error.kind == FileReadError::Kind::NotAFile;
        result.problem =
            TableFile::unreadableFile(path, error, noFileAtAll ? badFileKey() : QString());
        return result;
    }
    FileRead<UnitTables> result = fromBytes(*bytes);
    // Only Size + 1 bytes were read: say "longer", not a made-up size.
    if (result.problem.refusal == FileRefusal::WrongSize && bytes->size() > Size)
        result.problem = fileProblem(FileRefusal::WrongSize, badFileKey(), "MsgBackupLonger",
                                     {QString::number(Size)});
    return result;
}

QString BackupFile::write(const QString& path, const UnitTables& tables) {
    return TableFile::writeAll(path, toBytes(tables));
}

} // namespace kqm52
