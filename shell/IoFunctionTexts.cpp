#include "shell/IoFunctionTexts.h"

#include "params/ParameterCatalogue.h"
#include "shell/MainTexts.h"

namespace kqm52 {

bool CatalogueIoFunctions::definitionsPresent() const {
    return catalogue_.parameterDefinitionsPresent();
}

QStringList CatalogueIoFunctions::optionList(int parameter, int languageNo) const {
    return catalogue_.optionList(parameter, languageNo);
}

std::int32_t CatalogueIoFunctions::parameterValue(int parameter) const {
    return tables_.parameter(parameter);
}

QString IoFunctionTexts::optionText(const QStringList& options, std::int32_t value) {
    // A negative value or one past the list names no function; say so rather
    // than show a neighbouring one.
    if (value < 0 || value >= options.size())
        return noOption();
    return options.at(value);
}

std::optional<std::array<QString, 4>>
IoFunctionTexts::labels(const IoFunctionSource& source, int firstParameter, int languageNo) {
    if (!source.definitionsPresent())
        return std::nullopt;
    std::array<QString, 4> out;
    for (int i = 0; i < 4; ++i) {
        const int p = firstParameter + i;
        out[i] = optionText(source.optionList(p, languageNo), source.parameterValue(p));
    }
    return out;
}

std::optional<std::array<QString, 4>> IoFunctionTexts::inputs(const IoFunctionSource& source,
                                                              int languageNo) {
    return labels(source, FirstInputParameter, languageNo);
}

std::optional<std::array<QString, 4>> IoFunctionTexts::outputs(const IoFunctionSource& source,
                                                               int languageNo) {
    return labels(source, FirstOutputParameter, languageNo);
}

QString IoFunctionTexts::k0(const IoFunctionSource& source, const MainTexts& texts) {
    const std::int32_t mode = source.parameterValue(200);
    const std::int32_t encoder = source.parameterValue(201);
    const std::int32_t fineReference = source.parameterValue(212);
    const std::int32_t ssi = source.parameterValue(218);
    // The first function that claims K0 wins; the order is the device's.
    if (mode == 1 || mode == 2)
        return texts.K0_HoldReset;
    if (fineReference != 0 && (encoder == 0 || encoder == 2))
        return texts.K0_RefFijn;
    if (encoder == 1 && (ssi == 1 || ssi == 2 || ssi == 4))
        return texts.K0_SSIJustage;
    return texts.K0_Inactief;
}

} // namespace kqm52
