// application.ini: what a user finds in the window after start, and what is
// in the file after the window closed.

#include "ShellTestSupport.h"

#include "shell/IniFile.h"
#include "shell/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QProcess>
#include <QSpinBox>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace kqm52::test {
namespace {

const QStringList AllKeysInOrder = {
    "Serieel/baudrate",
    "Serieel/databit",
    "Serieel/parity",
    "Serieel/stopbit",
    "Serieel/hardware",
    "Serieel/portaddr",
    "Serieel/portname",
    "Serieel/porttype",
    "Serieel/receivedrv",
    "Serieel/transmitdrv",
    "Serieel/unit_no",
    "Opties/Taal",
    "Algemeen/OpenCloseDialoogPath",
    "Afdrukken/Firma",
    "Afdrukken/Type",
    "Afdrukken/Sn",
    "Grafiek/X_Div",
    "Grafiek/Y_Div",
    "Grafiek/BronItem",
    "Grafiek/X_hulplijn",
    "Grafiek/Y_hulplijn",
};

class SettingsFileTest : public ShellWorld {
  protected:
    IniFile writtenFile() const {
        IniFile ini;
        EXPECT_TRUE(ini.load(iniPath()));
        return ini;
    }
};

TEST_F(SettingsFileTest, WithoutAFileThePortKeepsTheWindowsOwnSettings) {
    TFormMain& w = createWindow();
    const TZRComm& p = w.ZRComm1;
    EXPECT_EQ(p.Baudrate(), TBaudrate::br9600);
    EXPECT_EQ(p.FrameDatabits(), TDataBit::db_8);
    EXPECT_EQ(p.FrameParitybit(), TParityBit::Odd);
    EXPECT_EQ(p.FrameStopbits(), TStopBit::sb_1);
    EXPECT_EQ(p.PortName(), TPort::COM1);
    EXPECT_EQ(p.PortAddress(), TPortAddr::pa_03F8);
    EXPECT_EQ(p.PortType(), TPortType::RS485);
    EXPECT_EQ(p.Hardware(), THardware::PCLabPCL745);
    EXPECT_EQ(p.TransmitDriver(), TTransmitDriver::tdRegister7to1);
    EXPECT_EQ(p.ReceiveDriver(), TReceiveDriver::rdRegister7to2);
    EXPECT_EQ(w.SpinEditUnitSelect->value(), 0);
    EXPECT_EQ(state_->settings.LanguageNo, 0);
    EXPECT_TRUE(state_->settings.DialogPath.isEmpty());
    // Starting writes nothing.
    EXPECT_FALSE(QFile::exists(iniPath()));
}

TEST_F(SettingsFileTest, ClosingWritesAFreshFileWithTheTwentyOneKeysInOrder) {
    createWindow();
    closeWindow();
    EXPECT_EQ(keyPaths(readFile("application.ini")), AllKeysInOrder);
    const IniFile ini = writtenFile();
    EXPECT_EQ(ini.readString("Serieel", "baudrate"), "3");
    EXPECT_EQ(ini.readString("Serieel", "parity"), "2");
    EXPECT_EQ(ini.readString("Serieel", "hardware"), "1");
    EXPECT_EQ(ini.readString("Serieel", "porttype"), "2");
    EXPECT_EQ(ini.readString("Serieel", "transmitdrv"), "1");
    EXPECT_EQ(ini.readString("Serieel", "receivedrv"), "1");
    EXPECT_EQ(ini.readString("Serieel", "unit_no"), "0");
    EXPECT_EQ(ini.readString("Grafiek", "X_hulplijn"), "0");
    EXPECT_FALSE(ini.hasSection("Poorten"));
    EXPECT_TRUE(dialogs_.asked().empty());
}

TEST_F(SettingsFileTest, ClosingTwiceWritesOnce) {
    createWindow();
    closeWindow();
    QFile::remove(iniPath());
    closeWindow();
    EXPECT_FALSE(QFile::exists(iniPath()));
}

TEST_F(SettingsFileTest, MissingKeysReadAsTheirDefaults) {
    writeFile("application.ini", "[Serieel]\nunit_no=5\n");
    TFormMain& w = createWindow();
    const TZRComm& p = w.ZRComm1;
    EXPECT_EQ(p.Baudrate(), TBaudrate::br38400); // not the window's 9600
    EXPECT_EQ(p.FrameDatabits(), TDataBit::db_8);
    EXPECT_EQ(p.FrameParitybit(), TParityBit::Even);
    EXPECT_EQ(p.FrameStopbits(), TStopBit::sb_1);
    EXPECT_EQ(p.Hardware(), THardware::PhoenixPSM);
    EXPECT_EQ(p.PortName(), TPort::COM1);
    EXPECT_EQ(p.PortAddress(), TPortAddr::pa_03F8);
    EXPECT_EQ(p.PortType(), TPortType::RS232C);
    EXPECT_EQ(p.ReceiveDriver(), TReceiveDriver::rdNone);
    EXPECT_EQ(p.TransmitDriver(), TTransmitDriver::tdDTRto0);
    EXPECT_EQ(w.SpinEditUnitSelect->value(), 5);
    EXPECT_EQ(state_->settings.LanguageNo, 0);
    EXPECT_EQ(state_->settings.graph, GraphSettings{});
}

// One odd value at a time, and what the program makes of it.
struct OddValue {
    const char* file;
    const char* what;
    std::function<int(const TFormMain&, const ProgramState&)> read;
    int expected;
};

int baud(const TFormMain& w, const ProgramState&) {
    return int(w.ZRComm1.Baudrate());
}
int parity(const TFormMain& w, const ProgramState&) {
    return int(w.ZRComm1.FrameParitybit());
}
int port(const TFormMain& w, const ProgramState&) {
    return int(w.ZRComm1.PortName());
}
int hardware(const TFormMain& w, const ProgramState&) {
    return int(w.ZRComm1.Hardware());
}
int unit(const TFormMain& w, const ProgramState&) {
    return w.SpinEditUnitSelect->value();
}
int language(const TFormMain&, const ProgramState& s) {
    return s.settings.LanguageNo;
}
int xDiv(const TFormMain&, const ProgramState& s) {
    return s.settings.graph.X_Div;
}
int xLines(const TFormMain&, const ProgramState& s) {
    return s.settings.graph.X_hulplijn;
}

TEST_F(SettingsFileTest, OddValuesReadAsTheUserExpects) {
    const OddValue cases[] = {
        {"[Serieel]\nbaudrate=fast\n", "not a number", baud, 6},
        {"[Serieel]\nbaudrate=\n", "empty", baud, 6},
        {"[Serieel]\nbaudrate=9\n", "past the last speed", baud, 6},
        {"[Serieel]\nbaudrate= 8 \n", "blanks around a number", baud, 8},
        {"[SERIEEL]\nBaudRate=2\n", "other letter case", baud, 2},
        {"[Serieel]\nparity=-1\n", "negative ordinal", parity, 1},
        {"[Serieel]\nhardware=4\n", "unknown hardware", hardware, 2},
        {"[Serieel]\nportname=16\n", "no COM17", port, 0},
        {"[Serieel]\nportname=15\n", "COM16", port, 15},
        {"[Serieel]\nunit_no=abc\n", "unit not a number", unit, 0},
        {"[Serieel]\nunit_no=40\n", "unit above 31", unit, 31},
        {"[Serieel]\nunit_no=-3\n", "unit below 0", unit, 0},
        {"[Opties]\nTaal=x\n", "language not a number", language, 0},
        {"[Opties]\nTaal=5\n", "language 5 kept", language, 5},
        {"[Grafiek]\nX_Div=7\n", "graph index", xDiv, 7},
        {"[Grafiek]\nX_hulplijn=2\n", "flag any number but 0", xLines, 1},
        {"[Grafiek]\nX_hulplijn=ja\n", "flag not a number", xLines, 0},
    };
    for (const OddValue& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile("application.ini", QString::fromUtf8(c.file));
        TFormMain& w = createWindow();
        EXPECT_EQ(c.read(w, *state_), c.expected);
    }
}

TEST_F(SettingsFileTest, ClampedUnitAndLanguageFiveAreWrittenBackAsShown) {
    writeFile("Taal0.ini", "[Main]\nGroepIngangen=Eingaenge\n");
    writeFile("application.ini", "[Serieel]\nunit_no=40\n[Opties]\nTaal=5\n");
    TFormMain& w = createWindow();
    // Language 5 has no file of its own: the first one serves.
    EXPECT_EQ(w.GroupBoxIngangen->title(), "Eingaenge");
    closeWindow();
    const IniFile ini = writtenFile();
    EXPECT_EQ(ini.readString("Serieel", "unit_no"), "31");
    EXPECT_EQ(ini.readString("Opties", "Taal"), "5");
}

TEST_F(SettingsFileTest, EverySettingSurvivesARoundTrip) {
    TZRComm written;
    written.SetBaudrate(TBaudrate::br115200);
    written.SetFrameDatabits(TDataBit::db_7);
    written.SetFrameParitybit(TParityBit::None);
    written.SetFrameStopbits(TStopBit::sb_2);
    written.SetPortName(TPort::COM2);
    written.SetHardware(THardware::UserDefined);
    written.SetPortType(TPortType::RS422);
    written.SetTransmitDriver(TTransmitDriver::tdRTSto1);
    written.SetReceiveDriver(TReceiveDriver::rdRegister7to2);
    // Chosen on purpose, not the one COM2 would get.
    written.SetPortAddress(TPortAddr::pa_03E8);
    ProgramSettings settings;
    settings.LanguageNo = 2;
    settings.DialogPath = "/home/service/MX dateien";
    settings.PrintCompany = "Morvek & Zn";
    settings.PrintType = "Type=MX52";
    settings.PrintSerial = "SN 0042";
    settings.graph = GraphSettings{3, 4, 2, true, false};
    PortMap ports;
    ports.setDevice(TPort::COM2, "/dev/ttyUSB0");
    ports.setDevice(TPort::COM16, "sim");
    QString error;
    ASSERT_TRUE(SettingsFile::write(iniPath(), written, 17, settings, ports, &error))
        << qPrintable(error);

    TZRComm read;
    int unitNo = 0;
    ProgramSettings readSettings;
    PortMap readPorts;
    ASSERT_TRUE(SettingsFile::read(iniPath(), read, unitNo, readSettings, readPorts));
    EXPECT_EQ(read.Baudrate(), written.Baudrate());
    EXPECT_EQ(read.FrameDatabits(), written.FrameDatabits());
    EXPECT_EQ(read.FrameParitybit(), written.FrameParitybit());
    EXPECT_EQ(read.FrameStopbits(), written.FrameStopbits());
    EXPECT_EQ(read.PortName(), TPort::COM2);
    EXPECT_EQ(read.PortAddress(), TPortAddr::pa_03E8);
    EXPECT_EQ(read.Hardware(), THardware::UserDefined);
    EXPECT_EQ(read.PortType(), TPortType::RS422);
    EXPECT_EQ(read.TransmitDriver(), TTransmitDriver::tdRTSto1);
    EXPECT_EQ(read.ReceiveDriver(), TReceiveDriver::rdRegister7to2);
    EXPECT_EQ(unitNo, 17);
    EXPECT_EQ(readSettings.LanguageNo, 2);
    EXPECT_EQ(readSettings.DialogPath, settings.DialogPath);
    EXPECT_EQ(readSettings.PrintCompany, settings.PrintCompany);
    EXPECT_EQ(readSettings.PrintType, settings.PrintType);
    EXPECT_EQ(readSettings.PrintSerial, settings.PrintSerial);
    EXPECT_EQ(readSettings.graph, settings.graph);
    EXPECT_EQ(readPorts.device(TPort::COM2), "/dev/ttyUSB0");
    EXPECT_EQ(readPorts.device(TPort::COM16), "sim");
    EXPECT_FALSE(readPorts.isConfigured(TPort::COM1));
}

TEST_F(SettingsFileTest, ThePortMapIsWrittenBackAsItWasRead) {
    writeFile("application.ini",
              "; service laptop\n[Serieel]\nbaudrate=6\n[Poorten]\nCOM3=/dev/ttyUSB0\n"
              "COM5=sim\n[Eigen]\nnotitie=niet wissen\n");
    createWindow();
    EXPECT_EQ(state_->portMap.device(TPort::COM3), "/dev/ttyUSB0");
    EXPECT_EQ(state_->portMap.device(TPort::COM5), "sim");
    EXPECT_EQ(state_->portMap.device(TPort::COM1), "/dev/ttyS0");
    closeWindow();
    const QString text = readFile("application.ini");
    const QStringList keys = keyPaths(text);
    EXPECT_EQ(keys.filter("Poorten/"), (QStringList{"Poorten/COM3", "Poorten/COM5"}));
    EXPECT_TRUE(keys.contains("Eigen/notitie"));
    EXPECT_TRUE(text.contains("; service laptop"));
    const IniFile ini = writtenFile();
    EXPECT_EQ(ini.readString("Poorten", "COM3"), "/dev/ttyUSB0");
    EXPECT_EQ(ini.readString("Poorten", "COM5"), "sim");
}

TEST_F(SettingsFileTest, TheDemoOverrideIsNeverSaved) {
    writeFile("application.ini", "[Poorten]\nCOM1=/dev/ttyUSB1\n");
    createWindow();
    state_->portMap.setOverride("sim");
    closeWindow();
    EXPECT_EQ(writtenFile().readString("Poorten", "COM1"), "/dev/ttyUSB1");
    EXPECT_EQ(keyPaths(readFile("application.ini")).filter("Poorten/").size(), 1);
}

// A folder the program may not write to, or a disk that is full: the old
// file must stay whole and the user must be told.
class SettingsWriteFailureTest : public SettingsFileTest {
  protected:
    const QByteArray oldFile = "[Serieel]\nbaudrate=2\nunit_no=7\n[Eigen]\nx=1\n";

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
    writeFile("application.ini", QString::fromUtf8(oldFile));
    createWindow();
    window_->SpinEditUnitSelect->setValue(12);
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
    writeFile("application.ini", QString::fromUtf8(oldFile));
    createWindow();
    window_->SpinEditUnitSelect->setValue(12);
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
