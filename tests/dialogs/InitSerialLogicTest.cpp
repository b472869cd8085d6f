// What the serial window's boxes stand for, and what it says when the port
// will not open: the plain code behind TFormInitSerial.

#include "dialogs/InitSerialLogic.h"

#include "ui/LanguageTexts.h"

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
}

TEST(InitSerialLogic, AnEmptyOrUnknownItemLeavesItsSettingAlone) {
    TZRComm port;
    port.SetBaudrate(TBaudrate::br2400);
    // 2400 bit/s has no item in the baud box.
    EXPECT_EQ(L::itemsOf(port)[L::Baud], -1);
    L::Items items = L::itemsOf(port);
    items[L::Parity] = 7;   // more items than settings (a language file's list)
    items[L::DataBits] = 0; // a real choice still applies
    L::apply(port, items);
    EXPECT_EQ(port.Baudrate(), TBaudrate::br2400);
    EXPECT_EQ(port.FrameParitybit(), TZRComm().FrameParitybit());
    EXPECT_EQ(port.FrameDatabits(), TDataBit::db_7);
    for (L::Box box : {L::Poort, L::IO, L::Baud, L::Parity, L::Hardware, L::Transmitter})
        EXPECT_EQ(L::builtInItems(box).size(), L::itemCount(box)) << box;
    EXPECT_EQ(L::builtInItems(L::Baud).first(), "9600");
    EXPECT_EQ(L::builtInItems(L::Poort).last(), "COM16");
}

TEST(InitSerialLogic, TheAddressFollowsThePortAndPresetsFillTheirRow) {
    const std::pair<int, int> address[] = {{-1, -1}, {0, 0}, {2, 2}, {3, 3}, {7, 3}, {15, 3}};
    for (const auto& [port, item] : address)
        EXPECT_EQ(L::addressItemFor(port), item) << port;

    const struct {
        int hardware;
        std::optional<L::Preset> preset;
    } presets[] = {
        {0, L::Preset{0, 0, 0}}, // standard: RS232C, none, none
        {1, L::Preset{2, 1, 1}}, // PCLab: RS485, register 7 = 2, register 7 = 1
        {2, L::Preset{0, 0, 3}}, // Phoenix: RS232C, none, DTR = 0
        {3, L::Preset{0, 0, 0}}, // user defined starts from a plain port
        {-1, std::nullopt},      {4, std::nullopt},
    };
    for (const auto& c : presets) {
        const auto got = L::hardwarePreset(c.hardware);
        ASSERT_EQ(got.has_value(), c.preset.has_value()) << c.hardware;
        if (!got) continue;
        EXPECT_EQ(got->portType, c.preset->portType) << c.hardware;
        EXPECT_EQ(got->receiver, c.preset->receiver) << c.hardware;
        EXPECT_EQ(got->transmitter, c.preset->transmitter) << c.hardware;
    }
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
        const QString text = L::openFailureText(none, TPort::COM2, device, os, c.error,
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
    const QString text =
        L::openFailureText(german, TPort::COM4, "/tmp/%2x", "EACCES", EACCES, {"dialout", "jan"});
    EXPECT_EQ(text,
              "COM4 (/tmp/%2x) geht nicht:\nEACCES\n\n/tmp/%2x: Gruppe dialout, Benutzer jan");
}

} // namespace
