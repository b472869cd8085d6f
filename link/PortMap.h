#pragma once

// Where a port name leads.  The program knows its ports as COM1 … COM16; on
// this platform each of them is a device path, or "sim" for the simulated bus
// built into the program.  The shell fills the map from section "Poorten" of
// application.ini and writes back only the entries that were read, so a
// fresh settings file keeps just its own keys.

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

// Why the map leads a port to no driver: a value, so that the words can be
// made where the user's language is known (the link has none).
struct PortMapProblem {
    enum class Kind {
        None,
        SimulatedBusMissing, // mapped to "sim" in a build without the simulated bus
        NotADevicePath,      // mapped to a value that is neither a path nor a driver's name
    };
    Kind kind = Kind::None;
    TPort port = TPort::COM1;
    QString device; // the value the port is mapped to
    explicit operator bool() const { return kind != Kind::None; }
    // In English, for a log or a program that has no texts loaded.
    QString english() const;
};

class PortMap {
  public:
    using DriverFactory = std::function<std::unique_ptr<SerialDriver>()>;

    // The device value that stands for the simulated bus.
    static constexpr const char* SimDevice = "sim";

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

    // Drivers for device values that are not paths ("sim", or a test's fake).
    void registerDriver(const QString& device, DriverFactory factory);
    bool hasDriverFor(const QString& device) const;

    // A driver for the port, not yet opened.  Returns null, with the reason in
    // problem, when the device value names a driver this program does not have.
    std::unique_ptr<SerialDriver> createDriver(TPort port, PortMapProblem& problem) const;

  private:
    struct Entry {
        QString device;
        bool configured = false;
    };
    std::array<Entry, PortCount> entries_;
    QString override_;
    std::vector<std::pair<QString, DriverFactory>> factories_;
};

} // namespace kqm52
