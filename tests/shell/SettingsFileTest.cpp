// application.ini: what a user finds in the window after start, and what is
// in the file after the window closed.

#include "ShellTestSupport.h"

#include "inifile/IniFile.h"
#include "model/files/SettingsFile.h"

#include "support/FileSizeLimit.h"

#include <QFile>
#include <QSpinBox>

#include <cerrno>
#include <cstring>

namespace kqm52::test {
namespace {

class SettingsFileTest : public ShellWorld {
  protected:
    // The file as the program writes it back after reading text, through
    // the same read and write the main window uses.
    QString rewritten(const QString& text) {
        writeFile("application.ini", text);
        TZRComm port;
        int unitNo = 0;
        ProgramSettings settings;
        PortMap ports;
        EXPECT_TRUE(SettingsFile::read(iniPath(), port, unitNo, settings, ports));
        QString error;
        EXPECT_TRUE(SettingsFile::write(iniPath(), port, unitNo, settings, ports, &error))
            << qPrintable(error);
        return readFile("application.ini");
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

TEST_F(SettingsFileTest, AnExistingFileComesBackInTableOrderWithTheUsersOwnLinesAfter) {
    writeFile("application.ini",
              "; service laptop\n[Eigen]\nnotitie=niet wissen\n[Grafiek]\nY_Div=4\nX_Div=3\n"
              "[Poorten]\nCOM5=sim\nCOM3=/dev/ttyUSB0\n[Serieel]\nmijn=1\nunit_no=5\nparity=2\n");
    EXPECT_EQ(ctl<QSpinBox>(createWindow(), "SpinEditUnitSelect")->value(), 5);
    closeWindow();
    // Missing keys take their defaults: 38400 bit/s, not the window's 9600.
    EXPECT_EQ(readFile("application.ini"),
              "; service laptop\n[Serieel]\nbaudrate=6\ndatabit=1\nparity=2\nstopbit=0\n"
              "hardware=2\nportaddr=0\nportname=0\nporttype=0\nreceivedrv=0\ntransmitdrv=3\n"
              "unit_no=5\nmijn=1\n[Opties]\nTaal=0\n[Algemeen]\nOpenCloseDialoogPath=\n"
              "[Afdrukken]\nFirma=\nType=\nSn=\n[Grafiek]\nX_Div=3\nY_Div=4\nBronItem=0\n"
              "X_hulplijn=0\nY_hulplijn=0\n[Poorten]\nCOM5=sim\nCOM3=/dev/ttyUSB0\n[Eigen]\n"
              "notitie=niet wissen\n");
}

// One value out of range at a time, and what the program writes back for it
// (how a value that is no number reads is the ini file's own test).
TEST_F(SettingsFileTest, OddValuesReadAsTheUserExpects) {
    const struct {
        const char* file;
        const char* what;
        const char* section;
        const char* key;
        const char* written;
    } cases[] = {
        {"[Serieel]\nbaudrate=fast\n", "not a number", "Serieel", "baudrate", "6"},
        {"[Serieel]\nbaudrate=9\n", "past the last speed", "Serieel", "baudrate", "6"},
        {"[Serieel]\nparity=-1\n", "negative ordinal", "Serieel", "parity", "1"},
        {"[Serieel]\nhardware=4\n", "unknown hardware", "Serieel", "hardware", "2"},
        {"[Serieel]\nportname=16\n", "no COM17", "Serieel", "portname", "0"},
        {"[Serieel]\nportname=15\n", "COM16", "Serieel", "portname", "15"},
        {"[Serieel]\nunit_no=40\n", "unit above 31", "Serieel", "unit_no", "31"},
        {"[Serieel]\nunit_no=-3\n", "unit below 0", "Serieel", "unit_no", "0"},
        {"[Opties]\nTaal=5\n", "language without a file kept", "Opties", "Taal", "5"},
        {"[Grafiek]\nX_Div=7\n", "graph index", "Grafiek", "X_Div", "7"},
        {"[Grafiek]\nX_hulplijn=2\n", "flag any number but 0", "Grafiek", "X_hulplijn", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IniFile written;
        written.loadFromText(rewritten(QString::fromUtf8(c.file)));
        EXPECT_EQ(written.readString(c.section, c.key), c.written);
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
    EXPECT_EQ(rewritten(text), text);
}

// Fast framing is one key after unit_no, present only while it is on; a
// fresh file keeps its 21 keys (see the first test).
TEST_F(SettingsFileTest, FastFramingIsOneKeyWrittenOnlyWhileOn) {
    const QString on = rewritten("[Serieel]\nfastframing=1\nunit_no=3\n");
    EXPECT_TRUE(on.contains("\nunit_no=3\nfastframing=1\n[Opties]")) << qPrintable(on);
    const QString off = rewritten("[Serieel]\nfastframing=0\nunit_no=3\n");
    EXPECT_FALSE(off.contains("fastframing")) << qPrintable(off);
}

// The editors' recent files: a section of their own after the others, read
// back in order, gaps and repeats passed over, eight per editor; once both
// lists are empty their keys go, and the other sections stand as they were.
// Keys beyond the eighth are not read but kept, like any unknown key.
TEST_F(SettingsFileTest, RecentFilesHaveASectionOfTheirOwn) {
    const QString text =
        "[Serieel]\nunit_no=2\n[RecenteBestanden]\nSollwerten2=/a/s.mxs\nParameters1=/a/p1.mxp\n"
        "Parameters3=/a/p3.mxp\nParameters4=/a/p1.mxp\nParameters9=/a/p9.mxp\n";
    writeFile("application.ini", text);
    TZRComm port;
    int unitNo = 0;
    ProgramSettings settings;
    PortMap ports;
    ASSERT_TRUE(SettingsFile::read(iniPath(), port, unitNo, settings, ports));
    EXPECT_EQ(settings.recentParameterFiles.files, (QStringList{"/a/p1.mxp", "/a/p3.mxp"}));
    EXPECT_EQ(settings.recentSetpointFiles.files, QStringList{"/a/s.mxs"});

    for (int i = 1; i <= 10; ++i)
        settings.recentSetpointFiles.add(QStringLiteral("/b/s%1.mxs").arg(i));
    QString error;
    ASSERT_TRUE(SettingsFile::write(iniPath(), port, unitNo, settings, ports, &error));
    IniFile written;
    written.loadFromText(readFile("application.ini"));
    EXPECT_EQ(written.sections().last(), "RecenteBestanden");
    EXPECT_EQ(written.keys("RecenteBestanden"),
              (QStringList{"Parameters1", "Parameters2", "Sollwerten1", "Sollwerten2",
                           "Sollwerten3", "Sollwerten4", "Sollwerten5", "Sollwerten6",
                           "Sollwerten7", "Sollwerten8", "Parameters9"}));
    EXPECT_EQ(written.readString("RecenteBestanden", "Sollwerten1"), "/b/s10.mxs");
    EXPECT_EQ(written.readString("RecenteBestanden", "Sollwerten8"), "/b/s3.mxs");
    EXPECT_EQ(written.readString("Serieel", "unit_no"), "2");

    settings.recentParameterFiles.files.clear();
    settings.recentSetpointFiles.files.clear();
    ASSERT_TRUE(SettingsFile::write(iniPath(), port, unitNo, settings, ports, &error));
    written.loadFromText(readFile("application.ini"));
    // A key this version does not use stays, as every unknown key does.
    EXPECT_EQ(written.keys("RecenteBestanden"), QStringList{"Parameters9"});
}

// The window tells the user, in the user's language, why the settings were
// not saved and that the old file stands (the file itself is the fault
// matrix's).
TEST_F(SettingsFileTest, AFailedWriteOnClosingSaysWhy) {
    ASSERT_TRUE(QFile::copy(KQM52_DATA_DIR "/Taal2.ini", programDir() + "Taal2.ini"));
    const QString before = "[Serieel]\nunit_no=7\n[Opties]\nTaal=2\n";
    writeFile("application.ini", before);
    ctl<QSpinBox>(createWindow(), "SpinEditUnitSelect")->setValue(12);
    {
        FileSizeLimit fullDisk(16);
        ASSERT_TRUE(fullDisk.active());
        closeWindow();
    }
    ASSERT_EQ(dialogs_.asked().size(), 1u);
    const auto& box = dialogs_.asked().front();
    EXPECT_EQ(box.icon, Dialogs::Icon::Critical);
    EXPECT_EQ(box.caption, TFormMain::applicationTitle());
    // The language's words, then the file and the system's reason.
    const QStringList lines = box.text.split("\n\r");
    ASSERT_EQ(lines.size(), 3) << qPrintable(box.text);
    EXPECT_EQ(lines[0], "Die Einstellungen wurden nicht gespeichert.");
    EXPECT_TRUE(lines[1].contains(iniPath())) << qPrintable(box.text);
    EXPECT_TRUE(lines[1].contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << qPrintable(box.text);
    EXPECT_EQ(lines[2], "Die bisherige Einstellungsdatei ist unverändert.");
    EXPECT_EQ(readFile("application.ini"), before);
}

} // namespace
} // namespace kqm52::test
