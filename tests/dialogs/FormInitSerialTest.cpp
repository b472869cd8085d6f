// The serial initialisation window on a real port: COM1 leads to a
// pseudo-terminal, so OK really opens a device through the termios driver.

#include "dialogs/FormInitSerial.h"

#include "link/SerialDriver.h"
#include "link/ZRComm.h"
#include "shell/LanguageTexts.h"
#include "shell/ScriptedDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

using namespace kqm52;

namespace {

// A pty whose slave side stands for the converter.  The slave stays open
// here too, so the device does not hang up between opens.
class Pty {
  public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master_);
        ::unlockpt(master_);
        path_ = QString::fromLocal8Bit(::ptsname(master_));
        slave_ = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        termios t{};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave_, TCSANOW, &t);
    }
    ~Pty() {
        ::close(slave_);
        ::close(master_);
    }
    QString path() const { return path_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
};

// A device that opens, or refuses to with a given error, and is silent.
class StubDriver final : public SerialDriver {
  public:
    explicit StubDriver(int openError) : openError_(openError) {}
    int open(const std::string&) override { return openError_; }
    int close() override { return 0; }
    int setBufferSizes(int, int) override { return 0; }
    int getLineState(LineState& state) override {
        state = line_;
        return 0;
    }
    int setLineState(const LineState& state) override {
        line_ = state;
        return 0;
    }
    int getReadTimeout(int& ms) override {
        ms = 0;
        return 0;
    }
    int setReadTimeout(int) override { return 0; }
    int purge() override { return 0; }
    int write(const std::uint8_t*, int count, int& written) override {
        written = count;
        return 0;
    }
    int flush() override { return 0; }
    int readByte(std::uint8_t&, bool& got) override {
        got = false;
        return 0;
    }
    int clearLineErrors(std::uint32_t& flags) override {
        flags = 0;
        return 0;
    }
    void interrupt() override {}
    void waitIdle(int) override {}

  private:
    int openError_;
    LineState line_;
};

void useStub(PortMap& map, const QString& device, int openError) {
    map.registerDriver(device, [openError] { return std::make_unique<StubDriver>(openError); });
}

QStringList items(const QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

class InitSerialTest : public ::testing::Test {
  protected:
    InitSerialTest() {
        port.setPortMap(&map);
        map.setDevice(TPort::COM1, pty.path());
    }
    ~InitSerialTest() override { form_.reset(); }

    TFormInitSerial& form() {
        if (!form_) form_ = std::make_unique<TFormInitSerial>(port, map, language, dialogs);
        return *form_;
    }
    // As the main window does: showing the window runs its activation.
    TFormInitSerial& shown() {
        form().show();
        return *form_;
    }
    std::vector<ScriptedDialogs::Asked> errors() const {
        return dialogs.asked(ScriptedDialogs::Kind::Message);
    }

    Pty pty;
    PortMap map;
    LanguageTexts language;
    ScriptedDialogs dialogs;
    TZRComm port;
    std::unique_ptr<TFormInitSerial> form_;
};

TEST_F(InitSerialTest, ShowingClosesThePortAndCancelLeavesItClosed) {
    port.SetActive(true);
    ASSERT_TRUE(port.Active());

    TFormInitSerial& f = shown();
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(f.PageControl1->currentIndex(), 0);

    f.ComboBaud->setCurrentIndex(5);
    f.CmdCancel->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(port.Baudrate(), TBaudrate::br9600) << "Cancel must not apply the boxes";

    // Escape is Cancel too.
    port.SetActive(true);
    shown();
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(port.Active());
    EXPECT_TRUE(errors().empty());
}

TEST_F(InitSerialTest, BaudListFromTheLanguageFileStartsAt9600) {
    language.loadFromText(
        QStringLiteral("[InitCom]\nBaudItems=9600,19200,28800,38400,57600,115200\n"));
    port.SetBaudrate(TBaudrate::br19200);

    TFormInitSerial& f = shown();
    EXPECT_EQ(f.ComboBaud->currentIndex(), 1);
    EXPECT_EQ(f.ComboBaud->currentText(), QStringLiteral("19200"));

    f.ComboBaud->setCurrentIndex(0);
    f.CmdOKClick();
    EXPECT_EQ(port.Baudrate(), TBaudrate::br9600);
    EXPECT_TRUE(port.Active());
    EXPECT_EQ(port.devicePath(), pty.path());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_TRUE(errors().empty());
}

TEST_F(InitSerialTest, OkAppliesEveryBoxAndTheAddressFollowsThePort) {
    TFormInitSerial& f = shown();
    EXPECT_EQ(f.Combo_IO->currentText(), QStringLiteral("03F8h"));
    // There are only four addresses; later ports keep the last, as the port does.
    f.ComboPoort->setCurrentIndex(7);
    f.ComboPoortClick();
    EXPECT_EQ(f.Combo_IO->currentText(), QStringLiteral("02E8h"));

    f.ComboPoort->setCurrentIndex(2);
    f.ComboPoortClick();
    EXPECT_EQ(f.Combo_IO->currentIndex(), 2);
    EXPECT_EQ(f.Combo_IO->currentText(), QStringLiteral("03E8h"));
    f.ComboDevice->setEditText(pty.path());
    f.ComboBaud->setCurrentIndex(5);
    f.ComboDataBits->setCurrentIndex(0);
    f.ComboParity->setCurrentIndex(2);
    f.ComboStopBits->setCurrentIndex(1);
    f.CmdOKClick();

    ASSERT_TRUE(port.Active());
    EXPECT_EQ(port.PortName(), TPort::COM3);
    EXPECT_EQ(port.PortAddress(), TPortAddr::pa_03E8);
    EXPECT_EQ(port.Baudrate(), TBaudrate::br115200);
    EXPECT_EQ(port.FrameDatabits(), TDataBit::db_7);
    EXPECT_EQ(port.FrameParitybit(), TParityBit::Odd);
    EXPECT_EQ(port.FrameStopbits(), TStopBit::sb_2);
}

TEST_F(InitSerialTest, EnterIsOkEvenWhileTypingAPath) {
    TFormInitSerial& f = shown();
    QTest::keyClick(&f, Qt::Key_Return);
    EXPECT_TRUE(port.Active());
    EXPECT_FALSE(f.isVisible());

    TFormInitSerial& again = shown();
    again.ComboDevice->lineEdit()->clear();
    QTest::keyClicks(again.ComboDevice->lineEdit(), pty.path());
    QTest::keyClick(again.ComboDevice->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(port.Active());
    EXPECT_FALSE(again.isVisible());
    // Typing never grows the list of devices.
    EXPECT_EQ(again.ComboDevice->findText(pty.path()), -1);
}

TEST_F(InitSerialTest, BuiltInNamesWithoutALanguageFile) {
    TFormInitSerial& f = shown();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Seriele poort"));
    EXPECT_EQ(f.CmdCancel->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Interface"));
    EXPECT_EQ(f.PageControl1->tabText(1), QStringLiteral("Extended"));
    EXPECT_EQ(f.ComboPoort->count(), 16);
    EXPECT_EQ(f.ComboPoort->itemText(15), QStringLiteral("COM16"));
    EXPECT_EQ(items(f.ComboBaud),
              QStringList({"9600", "19200", "28800", "38400", "57600", "115200"}));
    EXPECT_EQ(items(f.ComboDataBits), QStringList({"7", "8"}));
    EXPECT_EQ(items(f.ComboParity), QStringList({"None", "Even", "Odd"}));
    EXPECT_EQ(items(f.ComboStopBits), QStringList({"1", "2"}));
    EXPECT_EQ(items(f.ComboHardware).at(1), QStringLiteral("PCLab PCL-745"));
    EXPECT_EQ(items(f.ComboTransmitter).at(3), QStringLiteral("DTR = 0"));
    // The port's defaults are what the boxes show.
    EXPECT_EQ(f.ComboParity->currentText(), QStringLiteral("Even"));
    EXPECT_EQ(f.ComboDataBits->currentText(), QStringLiteral("8"));
    for (QComboBox* box : {f.ComboHardware, f.ComboPortType, f.ComboReceiver, f.ComboTransmitter})
        EXPECT_FALSE(box->isEnabled()) << box->objectName().toStdString();
    EXPECT_TRUE(f.CmdOK->isDefault());
}

TEST_F(InitSerialTest, TextsAndListsFromTheLanguageFile) {
    language.loadFromText(QStringLiteral(
        "[InitCom]\n"
        "Caption=Serial port\n"
        "RegInterface=Port\n"
        "RegExtended=RS485 hardware\n"
        "CmdOK=Apply\n"
        "PortLabel=Port:\n"
        "DeviceLabel=Device:\n"
        "StopbitLabel=\n"
        "ParityItems=Geen,Even,Oneven\n"
        "HardwareItems=Standaard,\"PCLab PCL-745\",\"Phoenix PSM-V24/RS485\",\"Eigen instelling\"\n"
        "DataBitItems=7,8,9\n"));
    port.SetHardware(THardware::PhoenixPSM);
    port.SetBaudrate(TBaudrate::br2400);

    TFormInitSerial& f = shown();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Serial port"));
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Port"));
    EXPECT_EQ(f.PageControl1->tabText(1), QStringLiteral("RS485 hardware"));
    EXPECT_EQ(f.CmdOK->text(), QStringLiteral("Apply"));
    EXPECT_EQ(f.LabelPoort->text(), QStringLiteral("Port:"));
    EXPECT_EQ(f.LabelDevice->text(), QStringLiteral("Device:"));
    EXPECT_EQ(f.LabelStopBits->text(), QString()) << "an empty value is a text too";
    // Keys the file lacks take their defaults.
    EXPECT_EQ(f.CmdCancel->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(f.LabelPortType->text(), QStringLiteral("Poorttype"));

    EXPECT_EQ(items(f.ComboParity), QStringList({"Geen", "Even", "Oneven"}));
    EXPECT_EQ(f.ComboHardware->currentText(), QStringLiteral("Phoenix PSM-V24/RS485"));
    EXPECT_EQ(f.ComboHardware->itemText(3), QStringLiteral("Eigen instelling"));
    // A list the file lacks keeps the built-in names.
    EXPECT_EQ(f.ComboPoort->count(), 16);
    // An item beyond the last setting stands for nothing and is not offered.
    EXPECT_EQ(items(f.ComboDataBits), QStringList({"7", "8"}));

    // 2400 bit/s has no item: the box is empty and OK keeps the rate.
    EXPECT_EQ(f.ComboBaud->currentIndex(), -1);
    f.CmdOKClick();
    EXPECT_TRUE(port.Active());
    EXPECT_EQ(port.Baudrate(), TBaudrate::br2400);
}

struct HardwareRow {
    int hardware;
    int portType, receiver, transmitter;
    THardware applied;
    TPortType appliedType;
    TTransmitDriver appliedTransmitter;
};

TEST_F(InitSerialTest, HardwarePresetsFillTheirRowAndOtherChangesMakeItUserDefined) {
    const HardwareRow rows[] = {
        {0, 0, 0, 0, THardware::Standard, TPortType::RS232C, TTransmitDriver::tdNone},
        {1, 2, 1, 1, THardware::PCLabPCL745, TPortType::RS485, TTransmitDriver::tdRegister7to1},
        {2, 0, 0, 3, THardware::PhoenixPSM, TPortType::RS232C, TTransmitDriver::tdDTRto0},
        {3, 0, 0, 0, THardware::UserDefined, TPortType::RS232C, TTransmitDriver::tdNone},
    };
    for (const HardwareRow& row : rows) {
        SCOPED_TRACE(row.hardware);
        TFormInitSerial& f = shown();
        f.ComboHardware->setCurrentIndex(row.hardware);
        f.ComboHardwareClick();
        EXPECT_EQ(f.ComboPortType->currentIndex(), row.portType);
        EXPECT_EQ(f.ComboReceiver->currentIndex(), row.receiver);
        EXPECT_EQ(f.ComboTransmitter->currentIndex(), row.transmitter);
        f.CmdOKClick();
        ASSERT_TRUE(port.Active());
        EXPECT_EQ(port.Hardware(), row.applied);
        EXPECT_EQ(port.PortType(), row.appliedType);
        EXPECT_EQ(port.TransmitDriver(), row.appliedTransmitter);
    }

    TFormInitSerial& f = shown();
    f.ComboTransmitter->setCurrentIndex(2);
    f.ComboPortTypeClick();
    EXPECT_EQ(f.ComboHardware->currentIndex(), 3);
    f.CmdOKClick();
    EXPECT_EQ(port.Hardware(), THardware::UserDefined);
    EXPECT_EQ(port.TransmitDriver(), TTransmitDriver::tdRTSto1);
}

TEST_F(InitSerialTest, DeviceOfTheChosenPortIsShownAndStored) {
    Pty second;
    TFormInitSerial& f = shown();
    EXPECT_EQ(f.ComboDevice->currentText(), pty.path());
    EXPECT_EQ(f.chosenDevice(), pty.path());

    // COM3 has no entry yet: it shows where it leads by default.
    f.ComboPoort->setCurrentIndex(2);
    f.ComboPoortClick();
    EXPECT_EQ(f.chosenDevice(), QStringLiteral("/dev/ttyS2"));

    // A path typed for COM3 survives a look at another port.
    f.ComboDevice->setEditText(second.path());
    f.ComboPoort->setCurrentIndex(1);
    f.ComboPoortClick();
    EXPECT_EQ(f.chosenDevice(), QStringLiteral("/dev/ttyS1"));
    f.ComboPoort->setCurrentIndex(2);
    f.ComboPoortClick();
    EXPECT_EQ(f.chosenDevice(), second.path());

    f.CmdOKClick();
    ASSERT_TRUE(port.Active());
    EXPECT_EQ(port.devicePath(), second.path());
    EXPECT_EQ(map.device(TPort::COM3), second.path());
    EXPECT_TRUE(map.isConfigured(TPort::COM3));
    // Only the chosen port is stored; the one merely looked at is not.
    EXPECT_FALSE(map.isConfigured(TPort::COM2));
    EXPECT_EQ(map.device(TPort::COM1), pty.path());
}

TEST_F(InitSerialTest, SimulatedBusCanBeChosenAndAnUnchangedDeviceAddsNoEntry) {
    useStub(map, QString::fromLatin1(PortMap::SimDevice), 0);
    useStub(map, QStringLiteral("/dev/ttyS1"), 0);
    TFormInitSerial& f = shown();
    f.ComboPoort->setCurrentIndex(3);
    f.ComboPoortClick();
    const int sim = f.ComboDevice->findData(QStringLiteral("sim"));
    ASSERT_GE(sim, 0);
    EXPECT_TRUE(f.ComboDevice->itemText(sim).startsWith(QStringLiteral("sim")));
    f.ComboDevice->setCurrentIndex(sim);
    f.CmdOKClick();
    EXPECT_TRUE(port.Active());
    EXPECT_EQ(map.device(TPort::COM4), QStringLiteral("sim"));
    EXPECT_EQ(port.devicePath(), QStringLiteral("sim"));

    shown();
    f.ComboPoort->setCurrentIndex(1);
    f.ComboPoortClick();
    f.CmdOKClick();
    EXPECT_TRUE(port.Active());
    EXPECT_EQ(port.devicePath(), QStringLiteral("/dev/ttyS1"));
    EXPECT_FALSE(map.isConfigured(TPort::COM2));
}

TEST_F(InitSerialTest, MissingDeviceIsReportedAndTheWindowStaysOpen) {
    const QString missing = QStringLiteral("/nonexistent/ttyKQM");
    map.setDevice(TPort::COM2, missing);
    TFormInitSerial& f = shown();
    f.ComboPoort->setCurrentIndex(1);
    f.ComboPoortClick();
    f.ComboBaud->setCurrentIndex(4);
    f.CmdOKClick();

    EXPECT_FALSE(port.Active());
    EXPECT_TRUE(f.isVisible());
    // The settings are applied even though the port stayed shut.
    EXPECT_EQ(port.PortName(), TPort::COM2);
    EXPECT_EQ(port.Baudrate(), TBaudrate::br57600);
    ASSERT_EQ(errors().size(), 1u);
    const auto box = errors().front();
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.owner, &f);
    EXPECT_TRUE(box.text.contains(missing)) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("COM2")));
    EXPECT_TRUE(box.text.contains(QString::fromLocal8Bit(std::strerror(ENOENT))))
        << box.text.toStdString();

    // Pointing it at the right device and pressing OK again works.
    f.ComboDevice->setEditText(pty.path());
    f.CmdOKClick();
    EXPECT_TRUE(port.Active());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(errors().size(), 1u);
}

TEST_F(InitSerialTest, PermissionDeniedSaysWhichGroupGrantsAccess) {
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("ttyUSB7"));
    QFile file(device);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const group* dialout = ::getgrnam("dialout");
    if (!dialout || ::chown(device.toLocal8Bit().constData(), uid_t(-1), dialout->gr_gid) != 0)
        GTEST_SKIP() << "cannot give a file to the group dialout here";
    useStub(map, device, EACCES);
    map.setDevice(TPort::COM1, device);

    TFormInitSerial& f = shown();
    f.CmdOKClick();
    EXPECT_FALSE(port.Active());
    EXPECT_TRUE(f.isVisible());
    ASSERT_EQ(errors().size(), 1u);
    const QString text = errors().front().text;
    EXPECT_TRUE(text.contains(device)) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromLocal8Bit(std::strerror(EACCES))));
    EXPECT_TRUE(text.contains(QStringLiteral("\"dialout\""))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("usermod -aG dialout")));
}

TEST_F(InitSerialTest, DeviceHeldByAnotherProgramIsReportedAsBusy) {
    // A second port object holds the pty: exclusive use refuses the window's open.
    TZRComm other;
    other.setPortMap(&map);
    other.SetActive(true);
    ASSERT_TRUE(other.Active());

    TFormInitSerial& f = shown();
    f.CmdOKClick();
    EXPECT_FALSE(port.Active());
    EXPECT_TRUE(f.isVisible());
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_TRUE(errors().front().text.contains(QStringLiteral("is using the device")))
        << errors().front().text.toStdString();
}

} // namespace
