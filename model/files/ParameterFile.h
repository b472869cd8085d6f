#pragma once

// The parameter file (".mxp"): a header line "ASCII Parameters MX5x-XXX   No: "
// with the unit number, an empty line, and 400 lines "P" + three digits + a
// blank + the raw value, lines ended by CR LF.  Parameter 7 holding -1250 is
// the line "P007 -1250".
//
// Reading refuses, with nothing changed, a file that cannot be opened
// (OpenMsg1), a wrong header (OpenMsg2), a data line out of shape, with a
// number outside 000 … 399 or a value that is not a decimal integer
// (OpenMsg3), and a file without exactly 400 data lines or with a number
// twice (OpenMsg4): a repeated number means another is missing, and its value
// would otherwise go to the unit unseen.  The order of the lines and the unit
// number in the header play no part.

#include "model/files/TableFile.h"
#include "model/values/ParamTables.h"

#include <QByteArray>
#include <QString>

namespace kqm52 {

class ParameterFile {
  public:
    static constexpr QByteArrayView Header = "ASCII Parameters MX5x-XXX   No: ";

    static QByteArray toBytes(const ParamTables::Parameters& values, int unitNumber);
    static FileRead<ParamTables::Parameters> fromBytes(const QByteArray& bytes);

    static FileRead<ParamTables::Parameters> read(const QString& path);
    // Empty on success; otherwise the path and the operating system's reason.
    static QString write(const QString& path, const ParamTables::Parameters& values,
                         int unitNumber);
};

} // namespace kqm52
