#pragma once

// InitSerialLogic: what the ten boxes of the serial initialisation window
// stand for, without the widgets.
//
// Each box's item index is the ordinal of a port setting, except the baud
// box, which starts at 9600 (index = ordinal - 3).  The window asks this class
// which item each box shows for the port, hands the chosen items back to be
// applied in the port's order, follows the hardware presets, and words the
// message when the port will not open.

#include "link/ZRComm.h"
#include "ui/PortOpenFailure.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace kqm52 {

class LanguageTexts;

class InitSerialLogic {
  public:
    enum Box {
        Poort,
        IO,
        Baud,
        DataBits,
        Parity,
        StopBits,
        Hardware,
        PortType,
        Receiver,
        Transmitter,
        BoxCount
    };
    // The item each box shows; -1 for none (a rate below 9600 has no item).
    using Items = std::array<int, BoxCount>;

    // The number of settings a box can stand for.
    static int itemCount(Box box);
    // What the box offers without a language file: the names the settings
    // stand for, so the window is usable before any language is installed.
    static QStringList builtInItems(Box box);

    static Items itemsOf(const TZRComm& port);
    // Through the port's setters, port name first: the name resets the
    // address and the hardware resets the three settings after it, which may
    // then differ from the preset.  A box at -1, or at an item beyond the
    // settings, leaves its setting as it is.  Refusals of the port (it is
    // open) are its exceptions.
    static void apply(TZRComm& port, const Items& items);

    // The address box follows the port box; there are four addresses, and
    // later ports keep the last, as the port object gives them.
    static int addressItemFor(int portItem);

    // What a hardware choice sets in the port type, receiver and transmitter
    // boxes; nothing for an index that is no hardware.
    struct Preset {
        int portType, receiver, transmitter;
    };
    static std::optional<Preset> hardwarePreset(int hardwareItem);
    // A change of port type, receiver or transmitter makes the hardware this.
    static constexpr int UserDefinedItem = int(THardware::UserDefined);

    // Who may use a device: its group, and the user asking.
    using DeviceAccess = kqm52::DeviceAccess;
    // The lines of the error box when the port will not open: which port and
    // device, the port object's message, and what the user can do about the
    // operating system's error in the words of the device's family (none
    // for an error the family has no advice for).
    static QString openFailureText(const LanguageTexts& language, const PortFamily* family,
                                   TPort port, const QString& device, const QString& message,
                                   int systemError, const DeviceAccess& access);
};

} // namespace kqm52
