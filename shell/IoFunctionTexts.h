#pragma once

// The function each I/O terminal is configured for, shown beside its lamp.
//
// Inputs 1 … 4 take the option text of parameters 249 … 252, outputs 1 … 4
// those of parameters 389 … 392, each at the parameter's current value; the
// K0 input's function follows from parameters 200, 201, 212 and 218.

#include <QString>

#include <array>
#include <optional>

namespace kqm52 {

class LanguageTexts;
class ParameterCatalogue;
class ParamTables;

class IoFunctionTexts {
  public:
    static constexpr int FirstInputParameter = 249;
    static constexpr int FirstOutputParameter = 389;

    // Labels of inputs 1 … 4; nothing when Parameters.txt is not loaded (the
    // labels then keep what they show).  A value that is no index of its
    // option list shows "########".
    static std::optional<std::array<QString, 4>> inputs(const ParameterCatalogue& catalogue,
                                                        const ParamTables& tables, int languageNo);
    // Labels of outputs 1 … 4, the same way.
    static std::optional<std::array<QString, 4>> outputs(const ParameterCatalogue& catalogue,
                                                         const ParamTables& tables, int languageNo);
    // The K0 label.  It needs only the parameter table, so it always applies.
    static QString k0(const ParamTables& tables, const LanguageTexts& language);

  private:
    static std::optional<std::array<QString, 4>> labels(const ParameterCatalogue& catalogue,
                                                        const ParamTables& tables,
                                                        int firstParameter, int languageNo);
};

} // namespace kqm52
