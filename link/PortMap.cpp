#include "link/PortMap.h"

#include "link/PosixSerialDriver.h"

namespace kqm52 {

PortMap::PortMap() {
    for (int i = 0; i < PortCount; ++i)
        entries_[i].device = defaultDevice(TPort(i));
}

QString PortMap::key(TPort port) {
    return QStringLiteral("COM%1").arg(int(port) + 1);
}

QString PortMap::defaultDevice(TPort port) {
    return QStringLiteral("/dev/ttyS%1").arg(int(port));
}

QString PortMap::device(TPort port) const {
    return entries_[int(port)].device;
}

void PortMap::setDevice(TPort port, const QString& device) {
    entries_[int(port)] = Entry{device, true};
}

bool PortMap::isConfigured(TPort port) const {
    return entries_[int(port)].configured;
}

QString PortMap::effectiveDevice(TPort port) const {
    return override_.isEmpty() ? device(port) : override_;
}

void PortMap::registerDriver(const QString& device, DriverFactory factory) {
    for (auto& [name, f] : factories_) {
        if (name == device) {
            f = std::move(factory);
            return;
        }
    }
    factories_.emplace_back(device, std::move(factory));
}

bool PortMap::hasDriverFor(const QString& device) const {
    for (const auto& entry : factories_)
        if (entry.first == device) return true;
    return false;
}

std::unique_ptr<SerialDriver> PortMap::createDriver(TPort port, PortMapProblem& problem) const {
    const QString dev = effectiveDevice(port);
    for (const auto& [name, factory] : factories_)
        if (name == dev) return factory();
    if (dev == QLatin1String(SimDevice)) {
        problem = {PortMapProblem::Kind::SimulatedBusMissing, port, dev};
        return nullptr;
    }
    if (dev.isEmpty() || !dev.startsWith(QLatin1Char('/'))) {
        problem = {PortMapProblem::Kind::NotADevicePath, port, dev};
        return nullptr;
    }
    return std::make_unique<PosixSerialDriver>();
}

QString PortMapProblem::english() const {
    switch (kind) {
    case Kind::None:
        break;
    case Kind::SimulatedBusMissing:
        return QStringLiteral("%1 is mapped to the simulated bus, which this program has not been "
                              "built with.")
            .arg(PortMap::key(port));
    case Kind::NotADevicePath:
        return QStringLiteral("%1 is mapped to \"%2\", which is not a device path.")
            .arg(PortMap::key(port), device);
    }
    return {};
}

} // namespace kqm52
