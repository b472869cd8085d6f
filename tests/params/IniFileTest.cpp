#include "shell/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

using kqm52::IniFile;

namespace {

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
    return f.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

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

class IniFileLookup : public ::testing::Test {
  protected:
    void SetUp() override { ini.loadFromText(QString::fromLatin1(kFieldFile)); }
    IniFile ini;
};

} // namespace

TEST_F(IniFileLookup, SectionsAndKeysIgnoreCase) {
    EXPECT_TRUE(ini.hasSection("SERIEEL"));
    EXPECT_TRUE(ini.hasKey("serieel", "BaudRate"));
    EXPECT_EQ(ini.readInteger("SERIEEL", "BAUDRATE", -1), 6);
    EXPECT_FALSE(ini.hasSection("Grafiek"));
    EXPECT_FALSE(ini.hasKey("Serieel", "stopbit"));
}

TEST_F(IniFileLookup, ValueIsTheTextAfterTheFirstEquals) {
    EXPECT_EQ(ini.readString("Algemeen", "OpenCloseDialoogPath"), "/home/svc/a=b/c");
    // The key is trimmed; the value keeps its blanks.
    EXPECT_EQ(ini.readString("Serieel", "parity"), " 1");
    EXPECT_EQ(ini.readInteger("Serieel", "parity", -1), 1);
}

TEST_F(IniFileLookup, EmptyValueIsNotTheDefault) {
    EXPECT_TRUE(ini.hasKey("Serieel", "unit_no"));
    EXPECT_EQ(ini.readString("Serieel", "unit_no", "default"), "");
    EXPECT_EQ(ini.readInteger("Serieel", "unit_no", 17), 17);
    EXPECT_EQ(ini.readString("Serieel", "missing", "default"), "default");
    EXPECT_EQ(ini.readString("Missing", "baudrate", "default"), "default");
}

TEST_F(IniFileLookup, CommentsStrayLinesAndPreambleCarryNothing) {
    EXPECT_EQ(ini.keys("Algemeen"), QStringList({"OpenCloseDialoogPath", "Onbekend"}));
    EXPECT_FALSE(ini.hasKey("Algemeen", "; "));
    EXPECT_EQ(ini.sections(), QStringList({"Serieel", "Algemeen"}));
}

TEST_F(IniFileLookup, RepeatedSectionIsOneSectionAndTheFirstKeyCounts) {
    EXPECT_EQ(ini.readInteger("Serieel", "baudrate", -1), 6);
    EXPECT_EQ(ini.readInteger("Serieel", "databit", -1), 1);
    EXPECT_EQ(ini.keys("Serieel"), QStringList({"baudrate", "Parity", "unit_no", "databit"}));
}

TEST(IniFileNumbers, IntegersAndFlagsFallBackToTheDefault) {
    struct Case {
        const char* text;
        int integer; // with default -99
        int flag;    // 1 true, 0 false, -1 the default (checked with both defaults)
    };
    const Case cases[] = {
        {"42", 42, 1},
        {" 42 ", 42, 1},
        {"-7", -7, 1},
        {"0", 0, 0},
        {"+5", 5, 1},
        {"", -99, -1},
        {"abc", -99, -1},
        {"12x", -99, -1},
        {"1.5", -99, -1},
        {"0x10", -99, -1},
        {"2147483647", 2147483647, 1},
        {"-2147483648", -2147483647 - 1, 1},
        {"2147483648", -99, -1},
        {"99999999999", -99, -1},
        {"2", 2, 1},
    };
    for (const Case& c : cases) {
        IniFile ini;
        ini.loadFromText(QStringLiteral("[S]\nk=%1\n").arg(QLatin1String(c.text)));
        EXPECT_EQ(ini.readInteger("S", "k", -99), c.integer) << c.text;
        if (c.flag < 0) {
            EXPECT_TRUE(ini.readBool("S", "k", true)) << c.text;
            EXPECT_FALSE(ini.readBool("S", "k", false)) << c.text;
        } else {
            EXPECT_EQ(ini.readBool("S", "k", c.flag == 0), c.flag == 1) << c.text;
        }
    }
}

TEST(IniFileWrite, UnchangedFileComesBackByteForByte) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("application.ini");
    ASSERT_TRUE(writeBytes(path, kFieldFile));
    IniFile ini;
    ASSERT_TRUE(ini.load(path));
    const QString copy = dir.filePath("copy.ini");
    ASSERT_TRUE(ini.save(copy));
    EXPECT_EQ(readBytes(copy), QByteArray(kFieldFile));
}

TEST(IniFileWrite, ChangingOneKeyKeepsEveryOtherLine) {
    IniFile ini;
    ini.loadFromText(QString::fromLatin1(kFieldFile));
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
    IniFile back;
    back.loadFromText(ini.toText());
    EXPECT_FALSE(back.hasSection("Serieel"));
    EXPECT_EQ(back.readString("Afdrukken", "Firma"), "Morvek [Serieel]  baudrate=0");
}

TEST(IniFileWrite, EraseSectionAndDeleteKeyRemoveEveryCopy) {
    IniFile ini;
    ini.loadFromText("[A]\nx=1\ny=2\n[B]\nz=3\n[a]\nX=4\n");
    ini.deleteKey("a", "X");
    EXPECT_FALSE(ini.hasKey("A", "x"));
    EXPECT_EQ(ini.readInteger("A", "y", 0), 2);
    ini.eraseSection("A");
    EXPECT_EQ(ini.toText(), "[B]\nz=3\n");
}

TEST(IniFileEncoding, Latin1FromTheFieldIsReadAndWrittenBackAsLatin1) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Taal1.ini");
    const QByteArray latin1 = "[Main]\nGroepIngangen=Eing\xE4nge\nGroepUitgangen=Ausg\xE4nge\n";
    ASSERT_TRUE(writeBytes(path, latin1));
    IniFile ini;
    ASSERT_TRUE(ini.load(path));
    EXPECT_EQ(ini.readString("main", "GroepIngangen"), QString::fromUtf8("Eingänge"));
    ASSERT_TRUE(ini.save(path));
    EXPECT_EQ(readBytes(path), latin1);

    // A value Latin-1 cannot hold switches the file to UTF-8 rather than losing it.
    ini.writeString("Main", "Euro", QString::fromUtf8("€ 5"));
    ASSERT_TRUE(ini.save(path));
    IniFile back;
    ASSERT_TRUE(back.load(path));
    EXPECT_EQ(back.readString("Main", "Euro"), QString::fromUtf8("€ 5"));
    EXPECT_EQ(back.readString("Main", "GroepUitgangen"), QString::fromUtf8("Ausgänge"));
}

TEST(IniFileEncoding, Utf8WithAndWithoutMarkAndUtf16) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = QString::fromUtf8("Geräte Überblick");
    const QByteArray body = QStringLiteral("[003]\nnaam1=%1\n").arg(name).toUtf8();
    const QByteArray utf16 = [&] {
        QByteArray b("\xFF\xFE");
        for (const QChar c : QStringLiteral("[003]\r\nnaam1=%1\r\n").arg(name)) {
            b.append(char(c.unicode() & 0xFF));
            b.append(char(c.unicode() >> 8));
        }
        return b;
    }();
    const QByteArray files[] = {body, QByteArray("\xEF\xBB\xBF") + body, utf16};
    for (const QByteArray& bytes : files) {
        const QString path = dir.filePath("Parameters.txt");
        ASSERT_TRUE(writeBytes(path, bytes));
        IniFile ini;
        ASSERT_TRUE(ini.load(path));
        EXPECT_EQ(ini.readString("003", "naam1"), name);
        EXPECT_EQ(ini.sections(), QStringList({"003"}));
        ASSERT_TRUE(ini.save(path));
        EXPECT_EQ(readBytes(path), bytes);
    }
}

TEST(IniFileLoad, MissingFileOrFolderLeavesTheStoreEmpty) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    IniFile ini;
    ini.loadFromText("[A]\nx=1\n");
    EXPECT_FALSE(ini.load(dir.filePath("absent.ini")));
    EXPECT_FALSE(ini.hasSection("A"));
    ini.loadFromText("[A]\nx=1\n");
    EXPECT_FALSE(ini.load(dir.path()));
    EXPECT_TRUE(ini.sections().isEmpty());
}

class IniFileFailedSave : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("application.ini");
        ASSERT_TRUE(writeBytes(path, old));
        ini.loadFromText(QString::fromLatin1(old));
        // Large enough that it cannot slip through any small write limit.
        ini.writeString("Afdrukken", "Firma", QString(64 * 1024, QLatin1Char('x')));
    }
    void expectOldFileWhole() {
        EXPECT_EQ(readBytes(path), old);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(left, QStringList({"application.ini"}));
    }
    QTemporaryDir dir;
    QString path;
    IniFile ini;
    const QByteArray old = "[Serieel]\nbaudrate=6\n";
};

// Makes a folder refuse new files.  Permissions stop an ordinary user; a
// user who ignores them (root in a container) is stopped by the immutable flag.
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(const QString& path) : path_(path) {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner);
        if (!probeWritable()) return;
        immutable_ = setImmutable(true);
    }
    ~ReadOnlyFolder() {
        if (immutable_) setImmutable(false);
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool effective() const { return !probeWritable(); }

  private:
    bool probeWritable() const {
        const QString probe = path_ + "/.probe";
        const int fd = ::open(probe.toLocal8Bit().constData(), O_CREAT | O_WRONLY, 0600);
        if (fd < 0) return false;
        ::close(fd);
        ::unlink(probe.toLocal8Bit().constData());
        return true;
    }
    bool setImmutable(bool on) const {
        const int fd = ::open(path_.toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }
    QString path_;
    bool immutable_ = false;
};

TEST_F(IniFileFailedSave, ReadOnlyFolderKeepsTheOldFileAndSaysWhy) {
    QString error;
    bool savedOk = false;
    {
        ReadOnlyFolder readOnly(dir.path());
        if (!readOnly.effective())
            GTEST_SKIP() << "this file system cannot make a folder read-only for this user";
        savedOk = ini.save(path, &error);
    }
    EXPECT_FALSE(savedOk);
    EXPECT_TRUE(error.startsWith(QDir::toNativeSeparators(path))) << error.toStdString();
    EXPECT_GT(error.size(), path.size() + 2) << "no reason given";
    expectOldFileWhole();
}

TEST_F(IniFileFailedSave, WriteCutShortKeepsTheOldFileAndSaysWhy) {
    // A full disk, simulated with a file-size limit that binds every user.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool saved_ok = ini.save(path, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved_ok);
    EXPECT_TRUE(error.startsWith(QDir::toNativeSeparators(path))) << error.toStdString();
    EXPECT_GT(error.size(), path.size() + 2) << "no reason given";
    expectOldFileWhole();
}

TEST_F(IniFileFailedSave, MissingFolderIsReported) {
    QString error;
    EXPECT_FALSE(ini.save(dir.filePath("no/such/folder/application.ini"), &error));
    EXPECT_FALSE(error.isEmpty());
    expectOldFileWhole();
}
