#include "dialogs/InitSerialLogic.h"

#include "link/PortMap.h"
#include "model/texts/LanguageTexts.h"
#include "ui/PortOpenFailure.h"

#include <algorithm>

namespace kqm52 {

namespace {

// The baud box starts at 9600: the three slow rates are never offered.
constexpr int BaudOffset = int(TBaudrate::br9600);

struct BoxInfo {
    int offset; // ordinal of the setting the first item stands for
    int ordinals;
};

constexpr std::array<BoxInfo, InitSerialLogic::BoxCount> Boxes{{
    {0, PortCount},
    {0, 4},
    {BaudOffset, BaudrateCount},
    {0, 2},
    {0, 3},
    {0, 2},
    {0, 4},
    {0, 3},
    {0, 2},
    {0, 4},
}};

int itemFor(InitSerialLogic::Box box, int ordinal) {
    const int item = ordinal - Boxes[box].offset;
    return item >= 0 && item < InitSerialLogic::itemCount(box) ? item : -1;
}

// The item as an ordinal of its setting, or -1 for "leave it".
int ordinalOf(InitSerialLogic::Box box, int item) {
    if (item < 0 || item >= InitSerialLogic::itemCount(box)) return -1;
    return item + Boxes[box].offset;
}

} // namespace

int InitSerialLogic::itemCount(Box box) {
    return Boxes[box].ordinals - Boxes[box].offset;
}

QStringList InitSerialLogic::builtInItems(Box box) {
    QStringList items;
    switch (box) {
    case Poort:
        for (int i = 0; i < PortCount; ++i)
            items << PortMap::key(TPort(i));
        break;
    case Baud:
        for (int i = BaudOffset; i < BaudrateCount; ++i)
            items << QString::number(baudrateValue(TBaudrate(i)));
        break;
    case IO:
        items << "03F8h"
              << "02F8h"
              << "03E8h"
              << "02E8h";
        break;
    case DataBits:
        items << "7"
              << "8";
        break;
    case Parity:
        items << "None"
              << "Even"
              << "Odd";
        break;
    case StopBits:
        items << "1"
              << "2";
        break;
    case Hardware:
        items << "Standard"
              << "PCLab PCL-745"
              << "Phoenix PSM-V24/RS485"
              << "User defined";
        break;
    case PortType:
        items << "RS232C"
              << "RS422"
              << "RS485";
        break;
    case Receiver:
        items << "None"
              << "Register 7 = 2";
        break;
    case Transmitter:
        items << "None"
              << "Register 7 = 1"
              << "RTS = 1"
              << "DTR = 0";
        break;
    case BoxCount:
        break;
    }
    return items;
}

InitSerialLogic::Items InitSerialLogic::itemsOf(const TZRComm& port) {
    return {itemFor(Poort, int(port.PortName())),
            itemFor(IO, int(port.PortAddress())),
            itemFor(Baud, int(port.Baudrate())),
            itemFor(DataBits, int(port.FrameDatabits())),
            itemFor(Parity, int(port.FrameParitybit())),
            itemFor(StopBits, int(port.FrameStopbits())),
            itemFor(Hardware, int(port.Hardware())),
            itemFor(PortType, int(port.PortType())),
            itemFor(Receiver, int(port.ReceiveDriver())),
            itemFor(Transmitter, int(port.TransmitDriver()))};
}

void InitSerialLogic::apply(TZRComm& port, const Items& items) {
    const auto chosen = [&items](Box box) { return ordinalOf(box, items[box]); };
    if (const int i = chosen(Poort); i >= 0) port.SetPortName(TPort(i));
    if (const int i = chosen(IO); i >= 0) port.SetPortAddress(TPortAddr(i));
    if (const int i = chosen(Baud); i >= 0) port.SetBaudrate(TBaudrate(i));
    if (const int i = chosen(DataBits); i >= 0) port.SetFrameDatabits(TDataBit(i));
    if (const int i = chosen(Parity); i >= 0) port.SetFrameParitybit(TParityBit(i));
    if (const int i = chosen(StopBits); i >= 0) port.SetFrameStopbits(TStopBit(i));
    if (const int i = chosen(Hardware); i >= 0) port.SetHardware(THardware(i));
    if (const int i = chosen(PortType); i >= 0) port.SetPortType(TPortType(i));
    if (const int i = chosen(Receiver); i >= 0) port.SetReceiveDriver(TReceiveDriver(i));
    if (const int i = chosen(Transmitter); i >= 0) port.SetTransmitDriver(TTransmitDriver(i));
}

int InitSerialLogic::addressItemFor(int portItem) {
    return portItem < 0 ? -1 : std::min(portItem, itemCount(IO) - 1);
}

std::optional<InitSerialLogic::Preset> InitSerialLogic::hardwarePreset(int hardwareItem) {
    static constexpr Preset presets[] = {
        {int(TPortType::RS232C), int(TReceiveDriver::rdNone), int(TTransmitDriver::tdNone)},
        {int(TPortType::RS485), int(TReceiveDriver::rdRegister7to2),
         int(TTransmitDriver::tdRegister7to1)},
        {int(TPortType::RS232C), int(TReceiveDriver::rdNone), int(TTransmitDriver::tdDTRto0)},
        // User defined starts from a plain port.
        {int(TPortType::RS232C), int(TReceiveDriver::rdNone), int(TTransmitDriver::tdNone)},
    };
    if (hardwareItem < 0 || hardwareItem >= int(std::size(presets))) return std::nullopt;
    return presets[hardwareItem];
}

QString InitSerialLogic::openFailureText(const LanguageTexts& language, const PortFamily* family,
                                         TPort port, const QString& device, const QString& message,
                                         int systemError, const DeviceAccess& access) {
    return portOpenFailureText(language, family, port, device, message, systemError, access);
}

} // namespace kqm52
