// What the serial window's boxes stand for, and what it says when the port
// will not open: the plain code behind TFormInitSerial.

#include "dialogs/InitSerialLogic.h"

#include "model/texts/LanguageTexts.h"
#include "model/texts/PortOpenText.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace kqm52;
using L = InitSerialLogic;

namespace {

TEST(InitSerialLogic, BoxesShowThePortsSettingsAndApplyThemBack) {
    TZRComm port;
    port.SetPortName(TPort::COM3);
    port.SetBaudrate(TBaudrate::br19200);
    port.SetFrameDatabits(TDataBit::db_7);
    port.SetFrameParitybit(TParityBit::Odd);
    port.SetFrameStopbits(TStopBit::sb_2);
    port.SetHardware(THardware::PCLabPCL745);
    // The baud box starts at 9600, so 19200 is its second item.
    const L::Items shown{2, 2, 1, 0, 2, 1, 1, 2, 1, 1};
    EXPECT_EQ(L::itemsOf(port), shown);
    TZRComm other;
    L::apply(other, shown);
    EXPECT_EQ(L::itemsOf(other), shown);
    EXPECT_EQ(other.Baudrate(), TBaudrate::br19200);
    EXPECT_EQ(other.PortAddress(), TPortAddr::pa_03E8);
    EXPECT_EQ(other.TransmitDriver(), TTransmitDriver::tdRegister7to1);

    // An empty or unknown item leaves its setting alone: 2400 bit/s has no
    // item, and a language file's list may have more items than settings.
    TZRComm slow;
    slow.SetBaudrate(TBaudrate::br2400);
    L::Items items = L::itemsOf(slow);
    EXPECT_EQ(items[L::Baud], -1);
    items[L::Parity] = 7;
    items[L::DataBits] = 0; // a real choice still applies
    L::apply(slow, items);
    EXPECT_EQ(slow.Baudrate(), TBaudrate::br2400);
    EXPECT_EQ(slow.FrameParitybit(), TZRComm().FrameParitybit());
    EXPECT_EQ(slow.FrameDatabits(), TDataBit::db_7);
    for (L::Box box : {L::Poort, L::IO, L::Baud, L::Parity, L::Hardware, L::Transmitter})
        EXPECT_EQ(L::builtInItems(box).size(), L::itemCount(box)) << box;
    EXPECT_EQ(L::builtInItems(L::Baud).first(), "9600");
    EXPECT_EQ(L::builtInItems(L::Poort).last(), "COM16");
}

TEST(InitSerialLogic, TheAddressFollowsThePortAndPresetsFillTheirRow) {
    const std::pair<int, int> address[] = {{-1, -1}, {0, 0}, {2, 2}, {3, 3}, {7, 3}, {15, 3}};
    for (const auto& [port, item] : address)
        EXPECT_EQ(L::addressItemFor(port), item) << port;

    // Port type, receiver and transmitter items; none for no hardware.
    const auto row = [](int hardware) {
        const auto p = L::hardwarePreset(hardware);
        return p ? std::array{p->portType, p->receiver, p->transmitter} : std::array{-1, -1, -1};
    };
    EXPECT_EQ(row(0), (std::array{0, 0, 0})); // standard: RS232C, none, none
    EXPECT_EQ(row(1), (std::array{2, 1, 1})); // PCLab: RS485, register 7 = 2, register 7 = 1
    EXPECT_EQ(row(2), (std::array{0, 0, 3})); // Phoenix: RS232C, none, DTR = 0
    EXPECT_EQ(row(3), (std::array{0, 0, 0})); // user defined starts from a plain port
    EXPECT_EQ(row(-1), (std::array{-1, -1, -1}));
    EXPECT_EQ(row(4), (std::array{-1, -1, -1}));
}

TEST(InitSerialLogic, AFailedOpenSaysWhatTheUserCanDo) {
    LanguageTexts none;
    const QString device = "/dev/ttyUSB7";
    const struct {
        int error;
        const char* group;
        const char* advice; // empty: no advice
    } cases[] = {
        {EACCES, "dialout",
         "Access to /dev/ttyUSB7 is granted to the members of the group \"dialout\". Add your "
         "user to that group (for example: sudo usermod -aG dialout anna), then log out and in "
         "again."},
        {EPERM, "uucp", "sudo usermod -aG uucp anna"},
        {EACCES, "root", "Ask the administrator of this computer"},
        {EACCES, "", "You have no read and write access to /dev/ttyUSB7."},
        {EBUSY, "dialout", "Another program, or another copy of this one, is using the device."},
        {ENOENT, "", "Check that the converter is plugged in"},
        {ENODEV, "", "Check that the converter is plugged in"},
        {ENXIO, "", "Check that the converter is plugged in"},
        {EIO, "dialout", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const QString os = QString::fromLocal8Bit(std::strerror(c.error));
        const QString text =
            L::openFailureText(none, PortMap().familyOf(device), TPort::COM2, device, os, c.error,
                               {QString::fromLatin1(c.group), "anna"});
        const QStringList lines = text.split('\n');
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines[0], "COM2 (/dev/ttyUSB7) cannot be opened:");
        EXPECT_EQ(lines[1], os);
        if (*c.advice) {
            ASSERT_EQ(lines.size(), 4);
            EXPECT_EQ(lines[2], "");
            EXPECT_TRUE(lines[3].contains(c.advice)) << text.toStdString();
        } else {
            EXPECT_EQ(lines.size(), 2) << text.toStdString();
        }
    }
}

TEST(InitSerialLogic, TheAdviceComesFromTheLanguageFileWithTheNamesFilledIn) {
    LanguageTexts german;
    german.loadFromText("[InitCom]\nMsgCannotOpen=%1 (%2) geht nicht:\n"
                        "MsgAccessByGroup=%1: Gruppe %2, Benutzer %3\n");
    // A device path with a marker in it must not be filled in again.
    const QString text = L::openFailureText(german, PortMap().familyOf("/tmp/%2x"), TPort::COM4,
                                            "/tmp/%2x", "EACCES", EACCES, {"dialout", "jan"});
    EXPECT_EQ(text,
              "COM4 (/tmp/%2x) geht nicht:\nEACCES\n\n/tmp/%2x: Gruppe dialout, Benutzer jan");
    // A family without advice (a test's fake) adds none.
    EXPECT_EQ(L::openFailureText(german, nullptr, TPort::COM4, "fake", "EBUSY", EBUSY, {}),
              "COM4 (fake) geht nicht:\nEBUSY");
}

// What the link says went wrong, and how the user reads it in the
// installed English and German texts.
TEST(InitSerialLogic, APortThatWillNotOpenIsSaidInTheUsersLanguage) {
    LanguageTexts english, german;
    ASSERT_TRUE(english.TekstFile_Lezen(KQM52_DATA_DIR "/", 1));
    ASSERT_TRUE(german.TekstFile_Lezen(KQM52_DATA_DIR "/", 2));
    const QString missing = "/dev/kqm52-test-no-such-tty";
    const QString gone = QString::fromStdString(systemErrorText(ENOENT));
    const struct {
        QString value;
        PortError code;
        QString en, de;
    } cases[] = {
        {"sim", PortError::NotInThisBuild,
         "COM2 is mapped to the simulated bus, which this program has not been built with.",
         "COM2 ist dem simulierten Bus zugeordnet, aber dieses Programm wurde ohne ihn gebaut."},
        {"udp://127.0.0.1:4001", PortError::UnknownForm,
         "COM2 is mapped to \"udp://127.0.0.1:4001\", which is not a device path.",
         "COM2 ist \"udp://127.0.0.1:4001\" zugeordnet, und das ist kein Gerätepfad."},
        {"ttyUSB0", PortError::UnknownForm,
         "COM2 is mapped to \"ttyUSB0\", which is not a device path.",
         "COM2 ist \"ttyUSB0\" zugeordnet, und das ist kein Gerätepfad."},
        {missing, PortError::OpenRefused, gone, gone}, // the system's own words
    };
    PortMap map; // a build without the simulated bus
    TZRComm port;
    port.setPortMap(&map);
    port.SetPortName(TPort::COM2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        map.setDevice(TPort::COM2, c.value);
        try {
            port.SetActive(true);
            ADD_FAILURE() << "opened";
        } catch (const ECommHandleError& e) {
            EXPECT_EQ(e.problem().code, c.code);
            EXPECT_EQ(portOpenReason(english, map, e), c.en);
            EXPECT_EQ(portOpenReason(german, map, e), c.de);
        }
    }
}

} // namespace
