#include "model/files/ParameterFile.h"

namespace kqm52 {

QByteArray ParameterFile::toBytes(const ParamTables::Parameters& values, int unitNumber) {
    return TableFile::writeNumbered(Header.toByteArray() + QByteArray::number(unitNumber), 'P',
                                    std::vector<qint32>(values.begin(), values.end()));
}

FileRead<ParamTables::Parameters> ParameterFile::fromBytes(const QByteArray& bytes) {
    return TableFile::toTable<ParamTables::Parameters>(
        TableFile::readNumbered(bytes, Header, ParamTables::ParameterCount), 0);
}

FileRead<ParamTables::Parameters> ParameterFile::read(const QString& path) {
    return TableFile::toTable<ParamTables::Parameters>(
        TableFile::readNumberedFile(path, Header, ParamTables::ParameterCount), 0);
}

QString ParameterFile::write(const QString& path, const ParamTables::Parameters& values,
                             int unitNumber) {
    return TableFile::writeAll(path, toBytes(values, unitNumber));
}

} // namespace kqm52
