#include "inifile/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "support/FileSizeLimit.h"

using kqm52::IniFile;
using kqm52::test::FileSizeLimit;

namespace {

// As a field engineer's application.ini might look after years of hand edits.
const char* const kFieldFile = "; written by hand\r\n"
                               "stray line before any section\r\n"
                               "[Serieel]\r\n"
                               "baudrate=6\r\n"
                               "  Parity = 1\r\n"
                               "unit_no=\r\n"
                               "\r\n"
                               "[Algemeen]\r\n"
                               "OpenCloseDialoogPath=/home/svc/a=b/c\r\n"
                               "Onbekend=blijft staan\r\n"
                               "no equals sign here\r\n"
                               "; =not a key\r\n"
                               "\r\n"
                               "[serieel]\r\n"
                               "BAUDRATE=2\r\n"
                               "databit=1\r\n";

IniFile fromText(const QString& text) {
    IniFile ini;
    ini.loadFromText(text);
    return ini;
}

// A scratch folder and the bytes of the files in it.
class IniFileOnDisk : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString put(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size())
            << name.toStdString();
        return path;
    }
    static QByteArray bytesOf(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    QTemporaryDir dir;
};

} // namespace

TEST(IniFileRead, FieldFileReadsAsTheProgramExpects) {
    const IniFile ini = fromText(QString::fromLatin1(kFieldFile));
    struct Read {
        const char* section;
        const char* key;
        const char* value; // "<def>": the default comes back
    };
    const Read reads[] = {
        {"SERIEEL", "BAUDRATE", "6"}, // any case; the first of two counts
        {"serieel", "databit", "1"},  // a repeated section is one section
        {"Algemeen", "OpenCloseDialoogPath", "/home/svc/a=b/c"},
        {"Serieel", "parity", " 1"}, // the key is trimmed, the value keeps its blanks
        {"Serieel", "unit_no", ""},  // empty is not the default
        {"Serieel", "missing", "<def>"},
        {"Missing", "baudrate", "<def>"},
        {"Algemeen", "; ", "<def>"}, // comments carry nothing
    };
    for (const Read& r : reads)
        EXPECT_EQ(ini.readString(r.section, r.key, "<def>"), r.value) << r.section << "/" << r.key;
    EXPECT_TRUE(ini.hasKey("serieel", "BaudRate"));
    EXPECT_FALSE(ini.hasSection("Grafiek"));
    EXPECT_EQ(ini.sections(), QStringList({"Serieel", "Algemeen"}));
    EXPECT_EQ(ini.keys("Serieel"), QStringList({"baudrate", "Parity", "unit_no", "databit"}));
    EXPECT_EQ(ini.keys("Algemeen"), QStringList({"OpenCloseDialoogPath", "Onbekend"}));
}

TEST(IniFileRead, IntegersAndFlagsFallBackToTheDefault) {
    const auto store = [](const char* text) {
        return fromText(QStringLiteral("[S]\nk=%1\n").arg(QLatin1String(text)));
    };
    const std::pair<const char*, int> numbers[] = {{"42", 42},
                                                   {" 42 ", 42},
                                                   {"-7", -7},
                                                   {"0", 0},
                                                   {"+5", 5},
                                                   {"2", 2},
                                                   {"2147483647", 2147483647},
                                                   {"-2147483648", -2147483647 - 1}};
    for (const auto& [text, value] : numbers) {
        EXPECT_EQ(store(text).readInteger("S", "k", -99), value) << text;
        EXPECT_EQ(store(text).readBool("S", "k", value == 0), value != 0) << text;
    }
    for (const char* text : {"", "abc", "12x", "1.5", "0x10", "2147483648", "99999999999"}) {
        EXPECT_EQ(store(text).readInteger("S", "k", -99), -99) << text;
        for (bool def : {false, true})
            EXPECT_EQ(store(text).readBool("S", "k", def), def) << text;
    }
}

// Names beyond ASCII match without regard to case as QString::compare has
// them match; the first of two spellings counts.
TEST(IniFileRead, CaseIsIgnoredBeyondAscii) {
    const IniFile ini = fromText(QString::fromUtf8("[Geräte]\nÜBERSICHT=1\nübersicht=2\n"
                                                   "[ΣΟΦΊΑ]\nﬁ=3\n[Straße]\nk=4\n"
                                                   "[\U00010400]\nk=5\n"));
    struct Read {
        const char* section;
        const char* key;
        const char* value;
    };
    const Read reads[] = {
        {"GERÄTE", "übersicht", "1"}, {"geräte", "Übersicht", "1"},
        {"σοφία", "ﬁ", "3"},          {"STRASSE", "k", "<def>"}, // one letter is not two
        {"STRAßE", "K", "4"},         {"\U00010428", "K", "5"},
    };
    for (const Read& r : reads)
        EXPECT_EQ(ini.readString(QString::fromUtf8(r.section), QString::fromUtf8(r.key), "<def>"),
                  QString::fromUtf8(r.value))
            << r.section << "/" << r.key;
    EXPECT_EQ(ini.keys(QString::fromUtf8("GERÄTE")), QStringList({QString::fromUtf8("ÜBERSICHT")}));
}

// Every edit keeps look-ups right: a key added, the sections and keys put in
// order, a key taken out and written again.
TEST(IniFileWrite, LookUpsFollowEveryEdit) {
    IniFile ini = fromText("[B]\nz=1\n\n[A]\ny=2\nx=3\n[b]\nZ=9\nw=4\n");
    ini.writeString("a", "v", "5");
    ini.writeString("B", "w", "6"); // the second [b] holds it: edited there
    ini.orderSections({"A", "B"});
    ini.orderKeys("A", {"x", "v", "y"});
    EXPECT_EQ(ini.toText(), "[A]\nx=3\nv=5\ny=2\n[B]\nz=1\n\n[b]\nZ=9\nw=6\n");
    const char* const values[][3] = {
        {"a", "X", "3"}, {"A", "v", "5"}, {"A", "y", "2"}, {"b", "z", "1"}, {"B", "W", "6"}};
    for (const auto& [section, key, value] : values)
        EXPECT_EQ(ini.readString(section, key), value) << section << "/" << key;
    EXPECT_EQ(ini.keys("b"), QStringList({"z", "w"}));
    ini.deleteKey("B", "z");
    EXPECT_EQ(ini.readString("B", "z", "<def>"), "<def>");
    ini.writeString("B", "z", "7");
    EXPECT_EQ(ini.toText(), "[A]\nx=3\nv=5\ny=2\n[B]\nz=7\n\n[b]\nw=6\n");
    EXPECT_EQ(ini.readString("b", "Z"), "7");
    EXPECT_EQ(ini.sections(), QStringList({"A", "B"}));
}

TEST(IniFileWrite, ChangingOneKeyKeepsEveryOtherLine) {
    IniFile ini = fromText(QString::fromLatin1(kFieldFile));
    ini.writeInteger("SERIEEL", "PARITY", 2);
    ini.writeString("Serieel", "stopbit", "0");
    ini.writeBool("Grafiek", "X_hulplijn", true);
    const QString expected = QString::fromLatin1(kFieldFile)
                                 .replace("  Parity = 1\r\n", "Parity=2\r\n")
                                 .replace("unit_no=\r\n", "unit_no=\r\nstopbit=0\r\n") +
                             "[Grafiek]\r\nX_hulplijn=1\r\n";
    EXPECT_EQ(ini.toText(), expected);
    EXPECT_EQ(ini.readInteger("Serieel", "parity", -1), 2);
}

TEST(IniFileWrite, NewStoreWritesSectionsInOrderWithPlainLineEnds) {
    IniFile ini;
    ini.writeInteger("Serieel", "baudrate", 6);
    ini.writeString("Opties", "Taal", "1");
    ini.writeInteger("Serieel", "databit", 1);
    EXPECT_EQ(ini.toText(), "[Serieel]\nbaudrate=6\ndatabit=1\n[Opties]\nTaal=1\n");
}

TEST(IniFileWrite, LineBreakInAValueCannotForgeAKey) {
    IniFile ini;
    ini.writeString("Afdrukken", "Firma", "Morvek\n[Serieel]\r\nbaudrate=0");
    const IniFile back = fromText(ini.toText());
    EXPECT_FALSE(back.hasSection("Serieel"));
    EXPECT_EQ(back.readString("Afdrukken", "Firma"), "Morvek [Serieel]  baudrate=0");
}

TEST(IniFileWrite, DeleteKeyRemovesEveryCopy) {
    IniFile ini = fromText("[A]\nx=1\ny=2\n[B]\nx=3\n[a]\nX=4\n");
    ini.deleteKey("a", "X");
    EXPECT_EQ(ini.toText(), "[A]\ny=2\n[B]\nx=3\n[a]\n");
}

TEST_F(IniFileOnDisk, EachEncodingIsReadAndWrittenBackByteForByte) {
    const QString name = QString::fromUtf8("Geräte Überblick");
    const QByteArray utf8 = QStringLiteral("[003]\nnaam1=%1\n").arg(name).toUtf8();
    QByteArray utf16("\xFF\xFE");
    for (const QChar c : QStringLiteral("[003]\r\nnaam1=%1\r\n").arg(name))
        utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    const QByteArray files[] = {utf8, QByteArray("\xEF\xBB\xBF") + utf8, utf16,
                                QStringLiteral("[003]\nnaam1=%1\n").arg(name).toLatin1()};
    for (const QByteArray& bytes : files) {
        const QString path = put("Parameters.txt", bytes);
        IniFile ini;
        ASSERT_TRUE(ini.load(path));
        EXPECT_EQ(ini.readString("003", "naam1"), name) << bytes.toHex().toStdString();
        ASSERT_TRUE(ini.save(path));
        EXPECT_EQ(bytesOf(path), bytes);
    }
    // The hand-edited file too, with its CR LF line ends and stray lines.
    const QString path = put("application.ini", kFieldFile);
    IniFile field;
    ASSERT_TRUE(field.load(path));
    ASSERT_TRUE(field.save(dir.filePath("copy.ini")));
    EXPECT_EQ(bytesOf(dir.filePath("copy.ini")), QByteArray(kFieldFile));
}

TEST_F(IniFileOnDisk, ALatin1FileTakesAValueLatin1CannotHoldByTurningUtf8) {
    const QString path = put("Taal1.ini", "[Main]\nGroepUitgangen=Ausg\xE4nge\n");
    IniFile ini;
    ASSERT_TRUE(ini.load(path));
    ini.writeString("Main", "Euro", QString::fromUtf8("€ 5"));
    ASSERT_TRUE(ini.save(path));
    IniFile back;
    ASSERT_TRUE(back.load(path));
    EXPECT_EQ(back.readString("Main", "Euro"), QString::fromUtf8("€ 5"));
    EXPECT_EQ(back.readString("Main", "GroepUitgangen"), QString::fromUtf8("Ausgänge"));
}

TEST_F(IniFileOnDisk, MissingFileOrFolderLeavesTheStoreEmpty) {
    for (const QString& path : {dir.filePath("absent.ini"), dir.path()}) {
        IniFile ini = fromText("[A]\nx=1\n");
        EXPECT_FALSE(ini.load(path)) << path.toStdString();
        EXPECT_TRUE(ini.sections().isEmpty()) << path.toStdString();
    }
}

// A file no real settings, language or catalogue file comes near is refused
// unread, naming the file; one at the bound is read.
TEST_F(IniFileOnDisk, AFileOverTheBoundIsRefusedUnread) {
    const QByteArray head = "[Main]\nGroepIngangen=Inputs\n";
    QByteArray atBound = head;
    atBound.append(QByteArray(kqm52::MaxDataFileBytes - head.size() - 1, ';')).append('\n');
    ASSERT_EQ(atBound.size(), kqm52::MaxDataFileBytes);
    IniFile ini;
    kqm52::ReadProblem problem;
    ASSERT_TRUE(ini.load(put("Taal1.ini", atBound), &problem));
    EXPECT_FALSE(problem);
    EXPECT_EQ(ini.readString("Main", "GroepIngangen"), "Inputs");

    // Over the bound by a byte, and a hundred megabytes that are never read.
    for (const qint64 size : {kqm52::MaxDataFileBytes + 1, qint64(100) * 1024 * 1024}) {
        const QString path = put("Parameters.txt", head);
        QFile grow(path);
        ASSERT_TRUE(grow.resize(size));
        EXPECT_FALSE(ini.load(path, &problem)) << size;
        EXPECT_EQ(problem.kind, kqm52::ReadProblem::Kind::TooLarge) << size;
        EXPECT_EQ(problem.path, QDir::toNativeSeparators(path));
        EXPECT_EQ(problem.size, size);
        EXPECT_EQ(problem.limit, kqm52::MaxDataFileBytes);
        EXPECT_TRUE(ini.sections().isEmpty());
    }
}

// A save cut short by a full disk keeps the old file whole, leaves no
// temporary file behind and names the file and the operating system's
// reason, never "Unknown error".
TEST_F(IniFileOnDisk, ASaveCutShortKeepsTheOldFileAndSaysWhy) {
    const QByteArray old = "[Serieel]\nbaudrate=6\n";
    const QString path = put("application.ini", old);
    IniFile ini;
    ini.loadFromText(QString::fromLatin1(old));
    // Large enough that it cannot slip through any small write limit.
    ini.writeString("Afdrukken", "Firma", QString(64 * 1024, QLatin1Char('x')));
    QString error;
    bool saved = true;
    {
        FileSizeLimit fullDisk(1024);
        ASSERT_TRUE(fullDisk.active());
        saved = ini.save(path, &error);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(error,
              QDir::toNativeSeparators(path) + ": " + QString::fromLocal8Bit(strerror(EFBIG)));
    EXPECT_EQ(bytesOf(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"application.ini"}));
}
