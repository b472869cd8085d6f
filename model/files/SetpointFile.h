#pragma once

// The setpoint file (".mxs"): a header line "ASCII Sollwerten MX5x-XXX   No:"
// directly followed by the unit number, an empty line, and 49 lines "S" +
// three digits + a blank + the raw value, S000 to S048, lines ended by CR LF.
// S001 … S048 are setpoints 1 … 48; S000 carries no setpoint: it is written
// as 0 and its value is ignored on reading, though the line must be there.
//
// Refusals, with nothing changed, as for the parameter file: OpenMsg1 cannot
// open, OpenMsg2 wrong header, OpenMsg3 a line out of shape, a number outside
// 000 … 048 or a value that is not decimal, OpenMsg4 not exactly 49 data lines
// or a number twice.

#include "model/files/TableFile.h"
#include "model/values/ParamTables.h"

#include <QByteArray>
#include <QString>

namespace kqm52 {

class SetpointFile {
  public:
    static constexpr QByteArrayView Header = "ASCII Sollwerten MX5x-XXX   No:";

    static QByteArray toBytes(const ParamTables::Setpoints& values, int unitNumber);
    static FileRead<ParamTables::Setpoints> fromBytes(const QByteArray& bytes);

    static FileRead<ParamTables::Setpoints> read(const QString& path);
    static QString write(const QString& path, const ParamTables::Setpoints& values, int unitNumber);
};

} // namespace kqm52
