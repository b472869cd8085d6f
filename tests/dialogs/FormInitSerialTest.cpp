// The serial initialisation window on a real port: COM1 leads to a
// pseudo-terminal, so OK really opens a device through the termios driver.

#include "dialogs/FormInitSerial.h"

#include "link/FakeDriver.h"
#include "link/ZRComm.h"
#include "model/texts/LanguageTexts.h"
#include "support/PtyPeer.h"
#include "ui/ScriptedDialogs.h"
#include "ui/TextTableChecks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

using namespace kqm52;

namespace {

// A silent device that opens.
void useStub(PortMap& map, const QString& device) {
    map.registerDriver(device, [] {
        return std::make_unique<test::FakeDriver>(std::make_shared<test::FakeLine>());
    });
}

QString items(const QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list.join('|');
}

class InitSerialTest : public ::testing::Test {
  protected:
    InitSerialTest() {
        port.setPortMap(&map);
        map.setDevice(TPort::COM1, pty.slavePath());
    }
    ~InitSerialTest() override { form_.reset(); }

    // As the main window does: showing the window runs its activation.
    TFormInitSerial& shown() {
        if (!form_) form_ = std::make_unique<TFormInitSerial>(port, map, language, dialogs);
        form_->show();
        return *form_;
    }
    // As the user picks an item: the box changes, then says so.
    static void choose(QComboBox* box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    void choosePort(int index) { choose(form_->ComboPoort, index); }
    std::vector<ScriptedDialogs::Asked> errors() const {
        return dialogs.asked(ScriptedDialogs::Kind::Message);
    }

    test::PtyPeer pty;
    PortMap map;
    LanguageTexts language;
    ScriptedDialogs dialogs;
    TZRComm port;
    std::unique_ptr<TFormInitSerial> form_;
};

TEST_F(InitSerialTest, ShowingClosesThePortAndCancelOrEscapeLeavesItClosed) {
    port.SetActive(true);
    TFormInitSerial& f = shown();
    EXPECT_FALSE(port.Active());
    f.ComboBaud->setCurrentIndex(5);
    f.CheckFastFraming->setChecked(true);
    f.CmdCancel->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.result(), QDialog::Rejected);
    EXPECT_EQ(port.Baudrate(), TBaudrate::br9600) << "Cancel must not apply the boxes";
    EXPECT_FALSE(port.FastFraming());

    port.SetActive(true);
    shown();
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(port.Active());
}

TEST_F(InitSerialTest, OkAppliesTheBoxesAndTheirRulesFollowTheChoices) {
    TFormInitSerial& f = shown();
    choosePort(7);
    EXPECT_EQ(f.Combo_IO->currentText(), "02E8h");
    choosePort(0);
    f.ComboBaud->setCurrentIndex(5);
    choose(f.ComboHardware, 1);
    EXPECT_EQ(f.ComboPortType->currentText(), "RS485");
    EXPECT_FALSE(f.CheckFastFraming->isChecked()) << "off unless chosen";
    f.CheckFastFraming->setChecked(true);
    f.CmdOKClick();
    ASSERT_TRUE(port.Active());
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(port.Baudrate(), TBaudrate::br115200);
    EXPECT_EQ(port.PortType(), TPortType::RS485);
    EXPECT_TRUE(port.FastFraming());

    shown();
    EXPECT_TRUE(f.CheckFastFraming->isChecked());
    choose(f.ComboTransmitter, 2);
    EXPECT_EQ(f.ComboHardware->currentIndex(), 3);
    f.CmdOKClick();
    EXPECT_EQ(port.Hardware(), THardware::UserDefined);
}

TEST_F(InitSerialTest, EnterIsOkEvenWhileTypingAPath) {
    TFormInitSerial& f = shown();
    QTest::keyClick(&f, Qt::Key_Return);
    EXPECT_TRUE(port.Active());
    EXPECT_FALSE(f.isVisible());

    shown();
    f.ComboDevice->lineEdit()->clear();
    QTest::keyClicks(f.ComboDevice->lineEdit(), pty.slavePath());
    QTest::keyClick(f.ComboDevice->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(port.Active());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.ComboDevice->findText(pty.slavePath()), -1) << "typing grew the list of devices";
}

// Which item stands for which setting is the plain code's; here the texts
// on the controls, built in or from the file.
TEST_F(InitSerialTest, BuiltInNamesOrEachTextOfTheLanguageFile) {
    TFormInitSerial& f = shown();
    EXPECT_EQ(f.windowTitle(), "Seriele poort");
    EXPECT_EQ(f.PageControl1->tabText(0) + "|" + f.PageControl1->tabText(1), "Interface|Extended");
    EXPECT_EQ(f.ComboParity->currentText(), "Even"); // the port's default
    for (QComboBox* box : {f.ComboHardware, f.ComboPortType, f.ComboReceiver, f.ComboTransmitter})
        EXPECT_FALSE(box->isEnabled()) << box->objectName().toStdString();
    EXPECT_TRUE(f.CmdOK->isDefault());
    f.hide();

    language.loadFromText(test::markedLanguage("InitCom"));
    shown();
    test::expectMarkedTextsShown(f, "InitCom");
    EXPECT_EQ(f.ComboParity->currentText(), "<ParityItems>2");
    f.hide();

    form_.reset(); // a window of its own: the file below lacks most keys
    language.loadFromText("[InitCom]\nStopbitLabel=\nDataBitItems=7,8,9\n");
    TFormInitSerial& g = shown();
    EXPECT_EQ(g.LabelStopBits->text(), "");   // an empty value is a text too
    EXPECT_EQ(g.CmdCancel->text(), "Cancel"); // a key the file lacks: the built-in text
    EXPECT_EQ(items(g.ComboPoort).section('|', -1), "COM16"); // a list the file lacks
    EXPECT_EQ(items(g.ComboDataBits), "7|8"); // an item beyond the last setting is not offered
}

TEST_F(InitSerialTest, TheChosenDeviceIsShownAndStoredForTheChosenPortOnly) {
    test::PtyPeer second;
    useStub(map, QString::fromLatin1(PortMap::SimDevice));
    useStub(map, "/dev/ttyS1");
    TFormInitSerial& f = shown();
    EXPECT_EQ(f.ComboDevice->currentText(), pty.slavePath());
    choosePort(2);
    EXPECT_EQ(f.chosenDevice(), "/dev/ttyS2") << "COM3 has no entry yet";
    // A path typed for COM3 survives a look at another port.
    f.ComboDevice->setEditText(second.slavePath());
    choosePort(1);
    EXPECT_EQ(f.chosenDevice(), "/dev/ttyS1");
    choosePort(2);
    f.CmdOKClick();
    ASSERT_TRUE(port.Active());
    EXPECT_EQ(port.devicePath(), second.slavePath());
    EXPECT_EQ(map.device(TPort::COM3), second.slavePath());
    EXPECT_EQ(map.device(TPort::COM1), pty.slavePath());

    // The simulated bus is offered by name.
    shown();
    choosePort(3);
    const int sim = f.ComboDevice->findData("sim");
    ASSERT_GE(sim, 0);
    f.ComboDevice->setCurrentIndex(sim);
    f.CmdOKClick();
    EXPECT_EQ(port.devicePath(), "sim");
    EXPECT_EQ(map.device(TPort::COM4), "sim");

    // COM2, looked at before and now chosen with its usual device, adds no entry.
    shown();
    choosePort(1);
    f.CmdOKClick();
    EXPECT_EQ(port.devicePath(), "/dev/ttyS1");
    EXPECT_FALSE(map.isConfigured(TPort::COM2));
}

// A run that leads every port elsewhere (the demo) says so under the device
// box, in the user's language.
TEST_F(InitSerialTest, ARunThatLeadsEveryPortElsewhereSaysSo) {
    language.loadFromText("[InitCom]\nMsgDemoDevice=Deze sessie gebruikt %1 voor elke poort.\n");
    map.setOverride(QString::fromLatin1(PortMap::SimDevice));
    TFormInitSerial& f = shown();
    EXPECT_TRUE(f.LabelDeviceNote->isVisible());
    EXPECT_EQ(f.LabelDeviceNote->text(), "Deze sessie gebruikt sim voor elke poort.");
    f.CmdCancelClick();
}

// A value is checked as it is typed, and the network buses of the map are
// offered with the ports that lead there.
TEST_F(InitSerialTest, ATypedValueIsCheckedAsTypedAndNetworkBusesAreOffered) {
    map.setDevice(TPort::COM3, "rfc2217://10.1.2.3:4001");
    map.setDevice(TPort::COM5, "rfc2217://10.1.2.3:4001");
    TFormInitSerial& f = shown();
    const int bus = f.ComboDevice->findData("rfc2217://10.1.2.3:4001");
    ASSERT_GE(bus, 0);
    EXPECT_EQ(f.ComboDevice->itemText(bus), "rfc2217://10.1.2.3:4001 — COM3, COM5");
    const struct {
        const char* typed;
        const char* note; // "" no note; else a part of it
    } rows[] = {
        {"/dev/ttyUSB0", ""},
        {"rfc2217://10.1.2.3:4001", ""},
        {"tcp://10.1.2.3:4001", "The line is set at the server"},
        {"tcp://10.1.2.3", "Not a port this program can open. It takes a device path"},
        {"telnet://10.1.2.3:23", "rfc2217://HOST:PORT"},
        {"", ""},
    };
    for (const auto& r : rows) {
        f.ComboDevice->setEditText(QString::fromUtf8(r.typed));
        const QString note = QString::fromUtf8(r.note);
        EXPECT_EQ(f.LabelDeviceNote->isVisibleTo(&f), !note.isEmpty()) << r.typed;
        if (!note.isEmpty()) EXPECT_TRUE(f.LabelDeviceNote->text().contains(note)) << r.typed;
    }
    f.CmdCancelClick();
}

// The wording is the plain code's; here what reaches the box, and that the
// window stays for another try.
TEST_F(InitSerialTest, MissingDeviceIsReportedAndTheWindowStaysOpen) {
    const QString missing = "/nonexistent/ttyKQM";
    map.setDevice(TPort::COM2, missing);
    TFormInitSerial& f = shown();
    choosePort(1);
    f.ComboBaud->setCurrentIndex(4);
    f.CmdOKClick();
    EXPECT_FALSE(port.Active());
    EXPECT_TRUE(f.isVisible());
    ASSERT_EQ(errors().size(), 1u);
    const QString text = errors().front().text;
    EXPECT_TRUE(text.startsWith("COM2 (" + missing + ") cannot be opened:\n"))
        << text.toStdString();
    EXPECT_EQ(errors().front().icon, Dialogs::Icon::Critical);
    EXPECT_EQ(errors().front().owner, &f);
    // The settings are applied even though the port stayed shut.
    EXPECT_EQ(port.PortName(), TPort::COM2);
    EXPECT_EQ(port.Baudrate(), TBaudrate::br57600);

    f.ComboDevice->setEditText(pty.slavePath());
    f.CmdOKClick();
    EXPECT_TRUE(port.Active());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(errors().size(), 1u);
}

} // namespace
