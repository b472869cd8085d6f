#pragma once

// The backup file (".bak"): a whole unit in exactly 16020 bytes, every number
// a signed 32-bit little-endian integer whatever the machine:
//
//   0      start mark 11442233, twice
//   8      2001 parameter entries, parameter 0 first; 0 … 399 hold values
//   8012   2000 setpoint entries, setpoint 1 first; 1 … 48 hold values
//   16012  end mark 123456789, twice
//
// The entries beyond the unit's tables are written as 0 and ignored when
// read.  A file of any other size, or with a wrong mark, is refused with
// nothing sent: the language file's one text for a bad backup file is
// "OpenMsg2" of section "BackupRestore".

#include "model/files/TableFile.h"
#include "model/values/ParamTables.h"

#include <QByteArray>
#include <QString>

namespace kqm52 {

struct UnitTables {
    ParamTables::Parameters parameters{};
    ParamTables::Setpoints setpoints{}; // [0] is setpoint 1
    friend bool operator==(const UnitTables&, const UnitTables&) = default;
};

class BackupFile {
  public:
    static constexpr qint32 StartMark = 11442233; // 00AE9839
    static constexpr qint32 EndMark = 123456789;  // 075BCD15
    static constexpr int ParameterEntries = 2001;
    static constexpr int SetpointEntries = 2000;
    static constexpr qsizetype Size = 4 * (2 + ParameterEntries + SetpointEntries + 2); // 16020

    static QByteArray toBytes(const UnitTables& tables);
    static FileRead<UnitTables> fromBytes(const QByteArray& bytes);

    static FileRead<UnitTables> read(const QString& path);
    static QString write(const QString& path, const UnitTables& tables);
};

} // namespace kqm52
