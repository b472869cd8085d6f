#pragma once

// What the three frame decoders report after each byte.  The decoders are
// fed one byte at a time because the worker reads one byte at a time, each
// with its own time-out; they never read the line themselves.

#include "link/CommTypes.h"

#include <cstdint>

namespace kqm52 {

enum class DecodeStep { More, Done, Failed };

} // namespace kqm52
