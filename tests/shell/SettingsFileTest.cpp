// application.ini: what a user finds in the window after start, and what is
// in the file after the window closed.

#include "ShellTestSupport.h"

#include "inifile/IniFile.h"
#include "ui/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSpinBox>

#include <csignal>
#include <sys/resource.h>

namespace kqm52::test {
namespace {

class SettingsFileTest : public ShellWorld {
  protected:
    IniFile writtenFile() const {
        IniFile ini;
        EXPECT_TRUE(ini.load(iniPath()));
        return ini;
    }
};

TEST_F(SettingsFileTest, WithoutAFileClosingWritesTheWindowsOwnSettingsOnce) {
    createWindow();
    EXPECT_FALSE(QFile::exists(iniPath())) << "starting writes nothing";
    closeWindow();
    EXPECT_EQ(readFile("application.ini").simplified(),
              "[Serieel] baudrate=3 databit=1 parity=2 stopbit=0 hardware=1 portaddr=0 "
              "portname=0 porttype=2 receivedrv=1 transmitdrv=1 unit_no=0 [Opties] Taal=0 "
              "[Algemeen] OpenCloseDialoogPath= [Afdrukken] Firma= Type= Sn= [Grafiek] X_Div=0 "
              "Y_Div=0 BronItem=0 X_hulplijn=0 Y_hulplijn=0");
    EXPECT_TRUE(dialogs_.asked().empty());
    QFile::remove(iniPath());
    closeWindow();
    EXPECT_FALSE(QFile::exists(iniPath())) << "a second close wrote again";
}

TEST_F(SettingsFileTest, MissingKeysReadAsTheirDefaults) {
    writeFile("application.ini", "[Serieel]\nunit_no=5\n");
    EXPECT_EQ(ctl<QSpinBox>(createWindow(), "SpinEditUnitSelect")->value(), 5);
    closeWindow();
    // 38400 bit/s, not the window's 9600; even parity; Phoenix PSM on RS232C.
    EXPECT_EQ(readFile("application.ini").simplified(),
              "[Serieel] unit_no=5 baudrate=6 databit=1 parity=1 stopbit=0 hardware=2 portaddr=0 "
              "portname=0 porttype=0 receivedrv=0 transmitdrv=3 [Opties] Taal=0 [Algemeen] "
              "OpenCloseDialoogPath= [Afdrukken] Firma= Type= Sn= [Grafiek] X_Div=0 Y_Div=0 "
              "BronItem=0 X_hulplijn=0 Y_hulplijn=0");
}

// One odd value at a time, and what the program writes back for it.
TEST_F(SettingsFileTest, OddValuesReadAsTheUserExpects) {
    const struct {
        const char* file;
        const char* what;
        const char* section;
        const char* key;
        const char* written;
    } cases[] = {
        {"[Serieel]\nbaudrate=fast\n", "not a number", "Serieel", "baudrate", "6"},
        {"[Serieel]\nbaudrate=\n", "empty", "Serieel", "baudrate", "6"},
        {"[Serieel]\nbaudrate=9\n", "past the last speed", "Serieel", "baudrate", "6"},
        {"[Serieel]\nbaudrate= 8 \n", "blanks around a number", "Serieel", "baudrate", "8"},
        {"[SERIEEL]\nBaudRate=2\n", "other letter case", "Serieel", "baudrate", "2"},
        {"[Serieel]\nparity=-1\n", "negative ordinal", "Serieel", "parity", "1"},
        {"[Serieel]\nhardware=4\n", "unknown hardware", "Serieel", "hardware", "2"},
        {"[Serieel]\nportname=16\n", "no COM17", "Serieel", "portname", "0"},
        {"[Serieel]\nportname=15\n", "COM16", "Serieel", "portname", "15"},
        {"[Serieel]\nunit_no=abc\n", "unit not a number", "Serieel", "unit_no", "0"},
        {"[Serieel]\nunit_no=40\n", "unit above 31", "Serieel", "unit_no", "31"},
        {"[Serieel]\nunit_no=-3\n", "unit below 0", "Serieel", "unit_no", "0"},
        {"[Opties]\nTaal=x\n", "language not a number", "Opties", "Taal", "0"},
        {"[Opties]\nTaal=5\n", "language without a file kept", "Opties", "Taal", "5"},
        {"[Grafiek]\nX_Div=7\n", "graph index", "Grafiek", "X_Div", "7"},
        {"[Grafiek]\nX_hulplijn=2\n", "flag any number but 0", "Grafiek", "X_hulplijn", "1"},
        {"[Grafiek]\nX_hulplijn=ja\n", "flag not a number", "Grafiek", "X_hulplijn", "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile("application.ini", QString::fromUtf8(c.file));
        createWindow();
        closeWindow();
        EXPECT_EQ(writtenFile().readString(c.section, c.key), c.written);
    }
}

TEST_F(SettingsFileTest, EverySettingSurvivesARoundTrip) {
    // Nothing at its default, and an address other than COM2's own.
    const QString text =
        "[Serieel]\nbaudrate=8\ndatabit=0\nparity=0\nstopbit=1\nhardware=3\nportaddr=2\n"
        "portname=1\nporttype=1\nreceivedrv=1\ntransmitdrv=2\nunit_no=17\n[Opties]\nTaal=2\n"
        "[Algemeen]\nOpenCloseDialoogPath=/home/service/MX dateien\n[Afdrukken]\n"
        "Firma=Morvek & Zn\nType=Type=MX52\nSn=SN 0042\n[Grafiek]\nX_Div=3\nY_Div=4\n"
        "BronItem=2\nX_hulplijn=1\nY_hulplijn=0\n[Poorten]\nCOM2=/dev/ttyUSB0\nCOM16=sim\n";
    writeFile("application.ini", text);
    TZRComm port;
    int unitNo = 0;
    ProgramSettings settings;
    PortMap ports;
    ASSERT_TRUE(SettingsFile::read(iniPath(), port, unitNo, settings, ports));
    QString error;
    ASSERT_TRUE(
        SettingsFile::write(programDir() + "copy.ini", port, unitNo, settings, ports, &error))
        << qPrintable(error);
    EXPECT_EQ(readFile("copy.ini"), text);
}

TEST_F(SettingsFileTest, ThePortMapAndForeignLinesAreWrittenBackButNotTheDemoOverride) {
    writeFile("application.ini",
              "; service laptop\n[Serieel]\nbaudrate=6\n[Poorten]\nCOM3=/dev/ttyUSB0\n"
              "COM5=sim\n[Eigen]\nnotitie=niet wissen\n");
    createWindow();
    EXPECT_EQ(state_->portMap.device(TPort::COM3), "/dev/ttyUSB0");
    EXPECT_EQ(state_->portMap.device(TPort::COM1), "/dev/ttyS0");
    state_->portMap.setOverride("sim");
    closeWindow();
    const QString text = readFile("application.ini");
    EXPECT_EQ(keyPaths(text).filter("Poorten/"), (QStringList{"Poorten/COM3", "Poorten/COM5"}));
    EXPECT_TRUE(text.contains("; service laptop\n"));
    EXPECT_TRUE(text.contains("[Eigen]\nnotitie=niet wissen"));
    EXPECT_EQ(writtenFile().readString("Poorten", "COM3"), "/dev/ttyUSB0");
    EXPECT_EQ(writtenFile().readString("Poorten", "COM5"), "sim");
}

// A folder the program may not write to, or a disk that is full: the old
// file must stay whole and the user must be told.
class SettingsWriteFailureTest : public SettingsFileTest {
  protected:
    const QByteArray oldFile = "[Serieel]\nbaudrate=2\nunit_no=7\n[Eigen]\nx=1\n";

    void SetUp() override {
        writeFile("application.ini", QString::fromUtf8(oldFile));
        ctl<QSpinBox>(createWindow(), "SpinEditUnitSelect")->setValue(12);
    }

    void expectOldFileKeptAndErrorShown() {
        ASSERT_EQ(dialogs_.asked().size(), 1u);
        const auto& box = dialogs_.asked().front();
        EXPECT_EQ(box.icon, Dialogs::Icon::Critical);
        EXPECT_EQ(box.caption, TFormMain::applicationTitle());
        EXPECT_TRUE(box.text.contains(iniPath())) << qPrintable(box.text);
        EXPECT_TRUE(box.text.contains("unchanged")) << qPrintable(box.text);
        EXPECT_EQ(readBytes("application.ini"), oldFile);
        // No half-written temporary file left beside it.
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"application.ini"});
    }
};

TEST_F(SettingsWriteFailureTest, AReadOnlyFolderKeepsTheOldFile) {
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner);
    // root writes anyway; the immutable flag stops root too.
    bool immutable = false;
    if (QFileInfo(dir_.path()).isWritable() || ::geteuid() == 0)
        immutable = QProcess::execute("chattr", {"+i", dir_.path()}) == 0;
    struct Restore {
        QString path;
        bool immutable;
        ~Restore() {
            if (immutable) QProcess::execute("chattr", {"-i", path});
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    } restore{dir_.path(), immutable};
    if (::geteuid() == 0 && !immutable)
        GTEST_SKIP() << "running as root without chattr: the folder cannot be made read-only";
    closeWindow();
    expectOldFileKeptAndErrorShown();
}

TEST_F(SettingsWriteFailureTest, AFullDiskKeepsTheOldFile) {
    // A file size limit makes every write past 16 bytes fail as on a full disk.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    closeWindow();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    expectOldFileKeptAndErrorShown();
}

} // namespace
} // namespace kqm52::test
