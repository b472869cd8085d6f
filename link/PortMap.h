#pragma once

// Where a port name leads.  The program knows its ports as COM1 … COM16; on
// this platform each of them leads to a value of one of the driver families
// (PortFamily.h): a device path, or "sim" for the simulated bus built into
// the program.  The shell fills the map from section "Poorten" of
// application.ini and writes back only the entries that were read, so a
// fresh settings file keeps just its own keys.

#include "link/PortFamily.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace kqm52 {

class SerialDriver;

enum class TPort {
    COM1,
    COM2,
    COM3,
    COM4,
    COM5,
    COM6,
    COM7,
    COM8,
    COM9,
    COM10,
    COM11,
    COM12,
    COM13,
    COM14,
    COM15,
    COM16
};
constexpr int PortCount = 16;

// What went wrong when a port would not open, as a value: the words are
// made where the user's language is known (model/texts/PortOpenText.h).
enum class PortError {
    None,
    UnknownForm,    // the value is of no family's form (not a path, no driver's name)
    NotInThisBuild, // of a family this build has no driver for ("sim" without the simulated bus)
    OpenRefused,    // the system refused to open it (systemError, systemReason)
};

struct PortProblem {
    PortError code = PortError::None;
    TPort port = TPort::COM1;
    QString value;        // what the port is mapped to
    int systemError = 0;  // the errno behind an OpenRefused
    QString systemReason; // the system's words for it
    explicit operator bool() const { return code != PortError::None; }
};

class PortMap {
  public:
    using DriverFactory = std::function<std::unique_ptr<SerialDriver>()>;

    // The device value that stands for the simulated bus.
    static constexpr const char* SimDevice = "sim";

    // Holds the standard families.
    PortMap();

    // "COM1" … "COM16": the key of the port in section "Poorten".
    static QString key(TPort port);
    static QString defaultDevice(TPort port); // /dev/ttyS0 … /dev/ttyS15

    // The stored value for a port: what the settings file said, else the default.
    QString device(TPort port) const;
    // Stores a value and marks the port as configured (written back on save).
    void setDevice(TPort port, const QString& device);
    bool isConfigured(TPort port) const;

    // For this run only, every port leads to this device (used by --demo).
    // Nothing of it is saved: device() still gives the stored value.
    void setOverride(const QString& device) { override_ = device; }
    QString effectiveDevice(TPort port) const;

    // Adds a family, or replaces the one of the same name in its place.
    void registerFamily(PortFamily family);
    // Gives the family of this name its driver (a layer above the link
    // has it: the simulated bus); false when there is no such family.
    bool provideDriver(const QString& family, PortFamily::Factory make);
    // A family of one value (a test's fake driver); for a family's name
    // ("sim"), that family's driver.
    void registerDriver(const QString& device, DriverFactory factory);

    const std::vector<PortFamily>& families() const { return families_; }
    // The family whose form the value has, null for none.
    const PortFamily* familyOf(const QString& value) const;
    bool hasDriverFor(const QString& device) const;

    // A driver for the port, not yet opened.  Returns null, with the reason in
    // problem, when the value is of no family or of one this build lacks.
    std::unique_ptr<SerialDriver> createDriver(TPort port, PortProblem& problem) const;

  private:
    struct Entry {
        QString device;
        bool configured = false;
    };
    std::array<Entry, PortCount> entries_;
    QString override_;
    std::vector<PortFamily> families_;
};

} // namespace kqm52
