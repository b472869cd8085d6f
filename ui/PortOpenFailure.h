#pragma once

// The error box when a port will not open, worded alike wherever the user
// opens it (the main window's Open, the serial settings' OK): which port and
// device, the port object's message, and what the user can do about the
// operating system's error, in the words of the device's family.

#include "link/ZRComm.h"

#include <QString>

namespace kqm52 {

class LanguageTexts;

// Who may use a device: its group, and the user asking.
struct DeviceAccess {
    QString group; // empty when the device does not exist
    QString user;
    static DeviceAccess of(const QString& device);
};

// The lines of the box, in the language's words; the advice is left out for
// an error the family (null: none) has none for.
QString portOpenFailureText(const LanguageTexts& language, const PortFamily* family, TPort port,
                            const QString& device, const QString& message, int systemError,
                            const DeviceAccess& access);

} // namespace kqm52
