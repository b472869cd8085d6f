#include "model/files/SetpointFile.h"

namespace kqm52 {

namespace {

// S000 to S048: the line for index 0 belongs to the format but holds no setpoint.
constexpr int LineCount = ParamTables::SetpointCount + 1;

} // namespace

QByteArray SetpointFile::toBytes(const ParamTables::Setpoints& values, int unitNumber) {
    std::vector<qint32> lines{0};
    lines.insert(lines.end(), values.begin(), values.end());
    return TableFile::writeNumbered(Header.toByteArray() + QByteArray::number(unitNumber), 'S',
                                    lines);
}

FileRead<ParamTables::Setpoints> SetpointFile::fromBytes(const QByteArray& bytes) {
    return TableFile::toTable<ParamTables::Setpoints>(
        TableFile::readNumbered(bytes, Header, LineCount), 1);
}

FileRead<ParamTables::Setpoints> SetpointFile::read(const QString& path) {
    return TableFile::toTable<ParamTables::Setpoints>(
        TableFile::readNumberedFile(path, Header, LineCount), 1);
}

QString SetpointFile::write(const QString& path, const ParamTables::Setpoints& values,
                            int unitNumber) {
    return TableFile::writeAll(path, toBytes(values, unitNumber));
}

} // namespace kqm52
