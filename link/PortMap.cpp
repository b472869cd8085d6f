#include "link/PortMap.h"

#include "link/SerialDriver.h"

namespace kqm52 {

PortMap::PortMap() : families_(standardPortFamilies()) {
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

void PortMap::registerFamily(PortFamily family) {
    for (PortFamily& f : families_) {
        if (f.name == family.name) {
            f = std::move(family);
            return;
        }
    }
    families_.push_back(std::move(family));
}

bool PortMap::provideDriver(const QString& family, PortFamily::Factory make) {
    for (PortFamily& f : families_) {
        if (f.name == family) {
            f.make = std::move(make);
            return true;
        }
    }
    return false;
}

void PortMap::registerDriver(const QString& device, DriverFactory factory) {
    // The name of a family ("sim"): that family gets the driver, keeping its words.
    if (provideDriver(device, [factory](const QString&) { return factory(); })) return;
    PortFamily family;
    family.name = device;
    family.serves = [device](const QString& value) { return value == device; };
    family.make = [factory = std::move(factory)](const QString&) { return factory(); };
    // Ahead of the standard ones, so a test's fake wins over a form it shares.
    families_.insert(families_.begin(), std::move(family));
}

const PortFamily* PortMap::familyOf(const QString& value) const {
    for (const PortFamily& f : families_)
        if (f.serves && f.serves(value)) return &f;
    return nullptr;
}

bool PortMap::hasDriverFor(const QString& device) const {
    const PortFamily* family = familyOf(device);
    return family && family->make;
}

std::unique_ptr<SerialDriver> PortMap::createDriver(TPort port, PortProblem& problem) const {
    const QString value = effectiveDevice(port);
    const PortFamily* family = familyOf(value);
    if (!family) {
        problem = {PortError::UnknownForm, port, value, 0, {}};
        return nullptr;
    }
    if (!family->make) {
        problem = {PortError::NotInThisBuild, port, value, 0, {}};
        return nullptr;
    }
    return family->make(value);
}

} // namespace kqm52
