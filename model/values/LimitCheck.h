#pragma once

// Values a unit would refuse, found before anything is sent.  The unit
// refuses a value outside its limits (unit::Reply::Kind::Refused) and stops
// taking the rest, so
// a table with one such value leaves the unit half written.  The catalogue
// gives each described parameter its limits; setpoints share one range, the
// one the setpoint editor lets a user type.
//
// Texts are as the user reads them: the item ("P012", "S07"), the
// parameter's name in the language, the value and limits with their decimals.

#include "model/values/ParamTables.h"
#include "model/values/ValueEntry.h"

#include <QString>

#include <vector>

namespace kqm52 {

class ParameterCatalogue;

struct LimitFinding {
    QString item;    // "P012" or "S07"
    QString name;    // the parameter's name; empty for a setpoint
    QString value;   // with the item's decimals
    QString minimum; // the limits, the same way
    QString maximum;
    // "P012 Name", or "S07" alone.
    QString label() const { return name.isEmpty() ? item : item + QLatin1Char(' ') + name; }
    friend bool operator==(const LimitFinding&, const LimitFinding&) = default;
};

namespace LimitCheck {

inline constexpr qint32 SetpointMinimum = kqm52::SetpointMinimum;
inline constexpr qint32 SetpointMaximum = kqm52::SetpointMaximum;
// More findings than this are counted, not listed: a question must fit on
// the screen.
inline constexpr int ListedAtMost = 12;

// Parameter p with `value`, described for the user.  The decimals follow
// parameter 203 of `values` (the table the value belongs to).  A parameter
// the catalogue does not describe has no name and its limits show as "?".
LimitFinding parameter(const ParameterCatalogue& catalogue, int languageNo,
                       const ParamTables::Parameters& values, int p, qint32 value);
// Setpoint n (1..48) with `value`, decimals from parameter 203 of `parameters`.
LimitFinding setpoint(const ParamTables::Parameters& parameters, int n, qint32 value);

// The described parameters whose values lie outside their limits, in
// number order.  Parameters the catalogue does not describe are not judged:
// their limits are unknown, not 0.
std::vector<LimitFinding> parameters(const ParameterCatalogue& catalogue, int languageNo,
                                     const ParamTables::Parameters& values);
// The setpoints outside SetpointMinimum … SetpointMaximum.
std::vector<LimitFinding> setpoints(const ParamTables::Parameters& parameters,
                                    const ParamTables::Setpoints& values);

// One line per finding, `line` with %1 label, %2 value, %3 minimum, %4
// maximum; past ListedAtMost the line `more` with %1 the number left out.
// Lines joined by `lineBreak`.
QString list(const std::vector<LimitFinding>& findings, const QString& line, const QString& more,
             const QString& lineBreak);

} // namespace LimitCheck

} // namespace kqm52
