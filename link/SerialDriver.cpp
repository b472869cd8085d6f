#include "link/SerialDriver.h"

#include <cerrno>
#include <chrono>
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

std::int64_t SerialDriver::monotonicMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string SerialDriver::errorText(int error) const {
    return systemErrorText(error);
}

} // namespace kqm52
