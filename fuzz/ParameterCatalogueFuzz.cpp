// The parameter catalogue (definitions and the group-to-parameter numbers) is
// a text file beside the program that a user may have edited.  Every question
// the editor asks of it must be answered without a crash.

#include "FuzzInput.h"
#include "model/values/ParameterCatalogue.h"

using namespace kqm52;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = fuzz::bytes(data, size);
    // The first byte picks the file; the same text serves both shapes.
    const bool numbers = !input.isEmpty() && (input[0] & 1);
    IniFile store;
    store.loadFromText(IniFile::decode(input.mid(1)));
    ParameterCatalogue cat;
    if (numbers)
        cat.setNumbers(store);
    else
        cat.setDefinitions(store);

    ParamTables tables;
    tables.replaceParameters(cat.defaults(), ParameterSource::Defaults);
    for (int p = -1; p <= ParamTables::ParameterCount; ++p) {
        if (!cat.hasParameter(p)) continue;
        const int lang = p % ParameterCatalogue::LanguageCount;
        (void)cat.name(p, lang);
        (void)cat.decimals(p);
        const qint32 lo = cat.minimum(p), hi = cat.maximum(p);
        (void)cat.optionList(p, lang);
        for (qint32 v : {lo, hi, cat.defaultValue(p), qint32(-1), qint32(0), INT32_MIN})
            (void)cat.valueText(p, v, tables);
        (void)cat.selection(p, lang, tables);
    }
    for (int group : {0, 100, 101, 199, 905, 9999, -1})
        for (int row = -1; row <= ParameterCatalogue::RowsPerGroup; ++row)
            (void)cat.parameterInRow(group, row);
    return 0;
}
