#include "link/SerialDriver.h"

#include <cstring>

namespace kqm52 {

std::string systemErrorText(int error) {
    return std::strerror(error);
}

std::string SerialDriver::errorText(int error) const {
    return systemErrorText(error);
}

} // namespace kqm52
