#pragma once

// The function each I/O terminal is configured for, shown beside its lamp.
//
// Inputs 1 … 4 take the option text of parameters 249 … 252, outputs 1 … 4
// those of parameters 389 … 392; the K0 input's function follows from
// parameters 200, 201, 212 and 218.

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace kqm52 {

struct MainTexts;

// What the labels need from the parameter catalogue.  Kept this narrow so the
// labelling can be tested with a handful of parameters.
class IoFunctionSource {
public:
    virtual ~IoFunctionSource() = default;
    // Parameters.txt was found and loaded.
    virtual bool definitionsPresent() const = 0;
    // The option labels of a parameter in a language, references resolved;
    // empty for a parameter without options or a language without a column.
    virtual QStringList optionList(int parameter, int languageNo) const = 0;
    // The current value in the parameter table.
    virtual std::int32_t parameterValue(int parameter) const = 0;
};

class ParameterCatalogue;
class ParamTables;

// The program's own source: the catalogue and the parameter table.
class CatalogueIoFunctions final : public IoFunctionSource {
public:
    CatalogueIoFunctions(const ParameterCatalogue& catalogue, const ParamTables& tables)
        : catalogue_(catalogue), tables_(tables) {}
    bool definitionsPresent() const override;
    QStringList optionList(int parameter, int languageNo) const override;
    std::int32_t parameterValue(int parameter) const override;

private:
    const ParameterCatalogue& catalogue_;
    const ParamTables& tables_;
};

class IoFunctionTexts {
public:
    static constexpr int FirstInputParameter = 249;
    static constexpr int FirstOutputParameter = 389;
    // Shown when a value is no index of its option list.
    static QString noOption() { return QStringLiteral("########"); }

    // Labels of inputs 1 … 4; nothing when Parameters.txt is not loaded (the
    // labels then keep what they show).
    static std::optional<std::array<QString, 4>> inputs(const IoFunctionSource& source,
                                                        int languageNo);
    // Labels of outputs 1 … 4, the same way.
    static std::optional<std::array<QString, 4>> outputs(const IoFunctionSource& source,
                                                         int languageNo);
    // The K0 label; needs only the parameter table, so it always applies.
    static QString k0(const IoFunctionSource& source, const MainTexts& texts);

    // Option text of value within options, or noOption().
    static QString optionText(const QStringList& options, std::int32_t value);

private:
    static std::optional<std::array<QString, 4>> labels(const IoFunctionSource& source,
                                                        int firstParameter, int languageNo);
};

} // namespace kqm52
