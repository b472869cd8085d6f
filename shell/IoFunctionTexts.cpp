#include "shell/IoFunctionTexts.h"

#include "model/texts/LanguageTexts.h"
#include "model/values/ParamTables.h"
#include "model/values/ParameterCatalogue.h"

namespace kqm52 {

std::optional<std::array<QString, 4>> IoFunctionTexts::labels(const ParameterCatalogue& catalogue,
                                                              const ParamTables& tables,
                                                              int firstParameter, int languageNo) {
    if (!catalogue.parameterDefinitionsPresent()) return std::nullopt;
    std::array<QString, 4> out;
    for (int i = 0; i < 4; ++i) {
        const int p = firstParameter + i;
        // Past the end of the list, or negative, names no function: say so
        // rather than show a neighbouring one.
        out[i] = ParameterCatalogue::optionText(catalogue.optionList(p, languageNo),
                                                tables.parameter(p));
    }
    return out;
}

std::optional<std::array<QString, 4>> IoFunctionTexts::inputs(const ParameterCatalogue& catalogue,
                                                              const ParamTables& tables,
                                                              int languageNo) {
    return labels(catalogue, tables, FirstInputParameter, languageNo);
}

std::optional<std::array<QString, 4>> IoFunctionTexts::outputs(const ParameterCatalogue& catalogue,
                                                               const ParamTables& tables,
                                                               int languageNo) {
    return labels(catalogue, tables, FirstOutputParameter, languageNo);
}

QString IoFunctionTexts::k0(const ParamTables& tables, const LanguageTexts& language) {
    const qint32 mode = tables.parameter(200);
    const qint32 encoder = tables.parameter(201);
    const qint32 fineReference = tables.parameter(212);
    const qint32 ssi = tables.parameter(218);
    // The first function that claims K0 wins, in the device's order.
    if (mode == 1 || mode == 2) return language.text({"Main", "K0_HoldReset"});
    if (fineReference != 0 && (encoder == 0 || encoder == 2))
        return language.text({"Main", "K0_RefFijn"});
    if (encoder == 1 && (ssi == 1 || ssi == 2 || ssi == 4))
        return language.text({"Main", "K0_SSIJustage"});
    return language.text({"Main", "K0_Inactief"});
}

} // namespace kqm52
