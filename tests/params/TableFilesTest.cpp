// The parameter, setpoint and backup files: the bytes written, what reading
// accepts, and every refusal leaving nothing changed.

#include "model/files/BackupFile.h"
#include "model/files/ParameterFile.h"
#include "model/files/SetpointFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace kqm52;

namespace {

ParamTables::Parameters someParameters() {
    ParamTables::Parameters p{};
    for (int i = 0; i < ParamTables::ParameterCount; ++i)
        p[std::size_t(i)] = i * 1000 - 7;
    p[7] = -1250;
    p[399] = -1;
    p[200] = std::numeric_limits<qint32>::min();
    return p;
}

ParamTables::Setpoints someSetpoints() {
    ParamTables::Setpoints s{};
    for (int i = 0; i < ParamTables::SetpointCount; ++i)
        s[std::size_t(i)] = 100 + i;
    s[6] = -1250; // setpoint 7
    s[47] = std::numeric_limits<qint32>::max();
    return s;
}

QByteArray replaceLine(QByteArray text, const QByteArray& line, const QByteArray& by) {
    const qsizetype at = text.indexOf("\r\n" + line + "\r\n");
    EXPECT_GE(at, 0) << line.constData();
    return text.replace(at + 2, line.size() + 2, by);
}

qint32 entryAt(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

} // namespace

TEST(TextTableFiles, BytesAsWritten) {
    const QByteArray p = ParameterFile::toBytes(someParameters(), 3);
    EXPECT_TRUE(p.startsWith("ASCII Parameters MX5x-XXX   No: 3\r\n\r\nP000 -7\r\nP001 993\r\n"));
    EXPECT_TRUE(p.contains("\r\nP007 -1250\r\n") && p.contains("\r\nP200 -2147483648\r\n"));
    EXPECT_TRUE(p.endsWith("\r\nP398 397993\r\nP399 -1\r\n"));
    EXPECT_EQ(p.count('\n'), 402); // every line ends in CR LF
    EXPECT_EQ(p.count("\r\n"), 402);
    const QByteArray s = SetpointFile::toBytes(someSetpoints(), 3);
    EXPECT_TRUE(s.startsWith("ASCII Sollwerten MX5x-XXX   No:3\r\n\r\nS000 0\r\nS001 100\r\n"));
    EXPECT_TRUE(s.contains("\r\nS007 -1250\r\n") && s.endsWith("\r\nS048 2147483647\r\n"));
    EXPECT_EQ(s.count("\r\n"), 51);
}

// What a reader makes of a good file changed one way: accepted (with the
// value of parameter 7) or refused with the key of the message.
TEST(ParameterFile, ReadingAcceptsAndRefuses) {
    const QByteArray good = ParameterFile::toBytes(someParameters(), 3);
    QList<QByteArray> lines = good.split('\n');
    lines.removeLast();
    QList<QByteArray> reversed(lines.begin() + 2, lines.end());
    std::reverse(reversed.begin(), reversed.end());
    const QByteArray withoutLast = good.left(good.lastIndexOf("P399"));

    const struct {
        const char* what;
        QByteArray bytes;
        const char* key; // "" = accepted
        qint32 p7 = -1250;
    } rows[] = {
        {"as written", good, ""},
        {"another unit and text after the header",
         QByteArray(good).replace("No: 3", "No: 17 Halle 2"), ""},
        {"data lines in reverse order", lines[0] + "\n" + reversed.join('\n') + "\n", ""},
        {"line feeds only and empty lines between", QByteArray(good).replace("\r\n", "\n\n"), ""},
        {"first letter not looked at", replaceLine(good, "P007 -1250", "X007 42\r\n"), "", 42},
        {"no final line end", good.chopped(2), ""},
        {"empty file", "", "OpenMsg2"},
        {"setpoint file", SetpointFile::toBytes(someSetpoints(), 3), "OpenMsg2"},
        {"blank at position 4", replaceLine(good, "P007 -1250", "P07 -1250\r\n"), "OpenMsg3"},
        {"blanks only", replaceLine(good, "P007 -1250", "P007 -1250\r\n   \r\n"), "OpenMsg3"},
        {"number 400", replaceLine(good, "P399 -1", "P400 -1\r\n"), "OpenMsg3"},
        {"number -01", replaceLine(good, "P007 -1250", "P-01 5\r\n"), "OpenMsg3"},
        {"value with a comma", replaceLine(good, "P007 -1250", "P007 12,5\r\n"), "OpenMsg3"},
        {"value with letters", replaceLine(good, "P007 -1250", "P007 12a\r\n"), "OpenMsg3"},
        {"value above 32 bits", replaceLine(good, "P007 -1250", "P007 2147483648\r\n"), "OpenMsg3"},
        {"399 data lines", withoutLast, "OpenMsg4"},
        {"401 data lines", good + "P000 5\r\n", "OpenMsg4"},
        {"a number twice, one missing", replaceLine(good, "P008 7993", "P007 5\r\n"), "OpenMsg4"},
    };
    for (const auto& r : rows) {
        const FileRead<ParamTables::Parameters> read = ParameterFile::fromBytes(r.bytes);
        EXPECT_EQ(read.problem.messageKey, r.key) << r.what;
        EXPECT_EQ(read.ok(), QByteArray(r.key).isEmpty()) << r.what;
        if (read.ok()) {
            EXPECT_EQ((*read.tables)[7], r.p7) << r.what;
            EXPECT_EQ((*read.tables)[399], -1) << r.what;
        } else {
            EXPECT_FALSE(read.problem.detail.isEmpty()) << r.what;
        }
    }
}

TEST(SetpointFile, LineS000IsNeededButCarriesNothing) {
    const QByteArray good = SetpointFile::toBytes(someSetpoints(), 3);
    const struct {
        const char* what;
        QByteArray bytes;
        const char* key;
    } rows[] = {
        {"S000 with a value", replaceLine(good, "S000 0", "S000 123\r\n"), ""},
        {"S000 missing", replaceLine(good, "S000 0", ""), "OpenMsg4"},
        {"S049", replaceLine(good, "S048 2147483647", "S049 1\r\n"), "OpenMsg3"},
        {"50 data lines", good + "S001 1\r\n", "OpenMsg4"},
        {"S001 twice, S002 missing", replaceLine(good, "S002 101", "S001 1\r\n"), "OpenMsg4"},
        {"parameter file", ParameterFile::toBytes({}, 3), "OpenMsg2"},
    };
    for (const auto& r : rows) {
        const FileRead<ParamTables::Setpoints> read = SetpointFile::fromBytes(r.bytes);
        EXPECT_EQ(read.problem.messageKey, r.key) << r.what;
        if (read.ok()) {
            EXPECT_EQ(*read.tables, someSetpoints()) << r.what;
        }
    }
}

TEST(BackupFile, BytesAsWritten) {
    const QByteArray bytes = BackupFile::toBytes({someParameters(), someSetpoints()});
    ASSERT_EQ(bytes.size(), 16020);
    // Little-endian whatever the machine.
    const std::pair<qsizetype, qint32> golden[] = {{0, 11442233},
                                                   {4, 11442233},
                                                   {8, -7},
                                                   {8 + 7 * 4, -1250},
                                                   {1604, -1},
                                                   {8012, 100},
                                                   {8012 + 6 * 4, -1250},
                                                   {8012 + 47 * 4, 2147483647},
                                                   {16012, 123456789},
                                                   {16016, 123456789}};
    for (const auto& [offset, value] : golden)
        EXPECT_EQ(entryAt(bytes, offset), value) << "offset " << offset;
    // Nothing but zeros past the unit's tables.
    EXPECT_EQ(bytes.mid(1608, 8012 - 1608).count('\0'), 8012 - 1608);
    EXPECT_EQ(bytes.mid(8204, 16012 - 8204).count('\0'), 16012 - 8204);
}

TEST(BackupFile, ReadingAcceptsAndRefuses) {
    const UnitTables unit{someParameters(), someSetpoints()};
    const QByteArray good = BackupFile::toBytes(unit);
    QByteArray padded = good;
    for (qsizetype at : {qsizetype(1608), qsizetype(8008), qsizetype(8204), qsizetype(16008)})
        qToLittleEndian<qint32>(-99, padded.data() + at);
    QByteArray startMark = good;
    startMark[4] = '\x3A';
    QByteArray endMark = good;
    endMark[16019] = '\0';

    const struct {
        const char* what;
        QByteArray bytes;
        FileRefusal refusal;
    } rows[] = {
        {"as written", good, FileRefusal::None},
        {"entries past the tables not zero", padded, FileRefusal::None},
        {"second start mark changed", startMark, FileRefusal::BadMarks},
        {"second end mark changed", endMark, FileRefusal::BadMarks},
        {"one byte short", good.chopped(1), FileRefusal::WrongSize},
        {"one byte more", good + '\0', FileRefusal::WrongSize},
        {"empty", {}, FileRefusal::WrongSize},
    };
    for (const auto& r : rows) {
        const FileRead<UnitTables> read = BackupFile::fromBytes(r.bytes);
        EXPECT_EQ(read.problem.refusal, r.refusal) << r.what;
        if (r.refusal == FileRefusal::None) {
            ASSERT_TRUE(read.ok()) << r.what;
            EXPECT_EQ(*read.tables, unit) << r.what;
        } else {
            EXPECT_FALSE(read.ok()) << r.what;
            EXPECT_EQ(read.problem.messageKey, "OpenMsg2") << r.what;
        }
    }
    EXPECT_TRUE(BackupFile::fromBytes(good.chopped(1)).problem.detail.contains("16019 bytes"));
}

class TableFilesOnDisk : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

TEST_F(TableFilesOnDisk, FilesThatCannotBeReadSaySo) {
    const FileRead<ParamTables::Parameters> missing = ParameterFile::read(path("none.mxp"));
    EXPECT_EQ(missing.problem.refusal, FileRefusal::CannotOpen);
    EXPECT_EQ(missing.problem.messageKey, "OpenMsg1");
    EXPECT_TRUE(missing.problem.detail.contains("none.mxp"));
    EXPECT_EQ(SetpointFile::read(dir.path()).problem.messageKey, "OpenMsg1"); // a folder
    EXPECT_EQ(BackupFile::read(path("none.bak")).problem.refusal, FileRefusal::CannotOpen);

    QFile big(path("big.bak"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(BackupFile::toBytes({}) + QByteArray(100000, '\0'));
    big.close();
    const FileRead<UnitTables> longer = BackupFile::read(big.fileName());
    EXPECT_EQ(longer.problem.refusal, FileRefusal::WrongSize);
    EXPECT_TRUE(longer.problem.detail.contains("longer than 16020"));
}
