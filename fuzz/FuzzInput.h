#pragma once
// What every fuzz target starts from: the input as bytes, and as the text a
// file reader would make of them.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace kqm52::fuzz {

inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A property that failed: abort so libFuzzer keeps the input.
[[noreturn]] inline void fail() {
    __builtin_trap();
}

} // namespace kqm52::fuzz
