#include "link/SerialDriver.h"

#include <cerrno>
#include <cstring>

namespace kqm52 {

std::string systemErrorText(int error) {
    return std::strerror(error);
}

int lastSystemError() {
    return errno != 0 ? errno : EIO;
}

bool SerialDriver::isDeviceGone(int error) const {
    return error == EIO || error == ENXIO || error == ENODEV;
}

std::string SerialDriver::errorText(int error) const {
    return systemErrorText(error);
}

} // namespace kqm52
