#pragma once

// What a simulated unit knows of its 400 parameters: the factory default and
// the limits a write must respect.  Taken from Parameters.txt (the catalogue
// file of the program) when it lies beside the program; without it every parameter
// defaults to 0 and takes any value.
//
// A parameter is limited only when its section gives both "min" and "max" as
// integers with min <= max; a section without them (or no section at all)
// leaves it unlimited.  The reader is our own small one: the simulator core
// links against Qt Core and the link only, not the shell.

#include <QString>

#include <array>
#include <cstdint>

namespace kqm52 {

constexpr int SimParameterCount = 400;
constexpr int SimSetpointCount = 48;

struct SimParameterDef {
    std::int32_t def = 0;
    bool limited = false;
    std::int32_t min = 0;
    std::int32_t max = 0;
    bool allows(std::int64_t v) const {
        return v >= INT32_MIN && v <= INT32_MAX && (!limited || (v >= min && v <= max));
    }
};

class SimCatalogue {
  public:
    SimCatalogue() = default;

    // Reads Parameters.txt.  Returns false (and keeps the catalogue empty) if
    // the file cannot be read.
    bool load(const QString& path);
    // Parses text in the file's format (tests).
    void loadFromText(const QString& text);
    // programDir + "/Parameters.txt", if present.
    static SimCatalogue fromProgramDir(const QString& programDir);

    bool loaded() const { return loaded_; }
    const SimParameterDef& parameter(int number) const { return defs_[number]; }
    SimParameterDef& parameter(int number) { return defs_[number]; }

  private:
    bool loaded_ = false;
    std::array<SimParameterDef, SimParameterCount> defs_{};
};

} // namespace kqm52
