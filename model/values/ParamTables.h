#pragma once

// The program's working copy of the device's parameters and setpoints, the
// markers that say where each table came from and whether the user changed
// it since, and the parameter the editor has selected.
//
// One instance lives in the program-wide state for the whole run; windows
// read and change it in place.  Values are raw device integers; decimals are
// a matter of display (IntToDecStr).

#include <QString>
#include <QtGlobal>

#include <array>

namespace kqm52 {

// Where the parameter value table last came from as a whole.
enum class ParameterSource { Nothing = 0, Received = 1, File = 2, Defaults = 3 };
// Where the setpoint table last came from as a whole.
enum class SetpointSource { Nothing = 0, Received = 1, File = 2 };

// What the parameter editor hands the service window about the row the user
// selected.  The texts are as the editor shows them.
struct SelectedParameter {
    QString numberText; // three digits: "007"
    QString name;
    QString valueText;
    qint32 minimum = 0;
    QString minimumText;
    qint32 maximum = 0;
    QString maximumText;
    QString defaultText;
};

class ParamTables {
  public:
    static constexpr int ParameterCount = 400; // parameters 0..399
    static constexpr int SetpointCount = 48;   // setpoints 1..48
    // Holds the number of decimals used for positions and velocities; the
    // decimals value 9 in the catalogue stands for "whatever this says".
    static constexpr int PositionDecimalsParameter = 203;
    static constexpr int DecimalsFromParameter203 = 9;

    using Parameters = std::array<qint32, ParameterCount>;
    using Setpoints = std::array<qint32, SetpointCount>; // [0] is setpoint 1

    static bool isParameter(int p) { return p >= 0 && p < ParameterCount; }
    static bool isSetpoint(int n) { return n >= 1 && n <= SetpointCount; }

    // Numbers outside the table read as 0 and are not written, so a number
    // taken from a damaged file cannot reach past the table.
    qint32 parameter(int p) const { return isParameter(p) ? parameters_[p] : 0; }
    void setParameter(int p, qint32 value);
    const Parameters& parameters() const { return parameters_; }

    qint32 setpoint(int n) const { return isSetpoint(n) ? setpoints_[n - 1] : 0; }
    void setSetpoint(int n, qint32 value);
    const Setpoints& setpoints() const { return setpoints_; }

    // Replacing a whole table (received, opened, defaults) records where it
    // came from and clears its modified flag, always together.
    void replaceParameters(const Parameters& values, ParameterSource source);
    void replaceSetpoints(const Setpoints& values, SetpointSource source);

    // The state at start-up: tables 0, nothing loaded, nothing modified.
    void reset();

    // value with D decimals; D = 9 takes the decimals from parameter 203.
    QString IntToDecStr(int D, qint32 value) const;

    ParameterSource parameterSource = ParameterSource::Nothing;
    SetpointSource setpointSource = SetpointSource::Nothing;
    bool parametersModified = false;
    bool setpointsModified = false;
    // Single parameters went to the unit (service window) and it has not yet
    // been told to take them over with "bp": closing the editor warns.
    bool parametersSentNotLoaded = false;
    SelectedParameter selected;

  private:
    Parameters parameters_{};
    Setpoints setpoints_{};
};

} // namespace kqm52
