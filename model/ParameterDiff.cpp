#include "model/ParameterDiff.h"

#include "model/ParameterCatalogue.h"

namespace kqm52 {

namespace ParameterDiff {

std::vector<ParameterDifference> compare(const ParameterCatalogue& catalogue, int languageNo,
                                         const ParamTables::Parameters& left,
                                         const ParamTables::Parameters& right) {
    ParamTables leftTables;
    leftTables.replaceParameters(left, ParameterSource::Nothing);
    ParamTables rightTables;
    rightTables.replaceParameters(right, ParameterSource::Nothing);

    std::vector<ParameterDifference> out;
    for (int p = 0; p < ParamTables::ParameterCount; ++p) {
        const qint32 a = left[std::size_t(p)];
        const qint32 b = right[std::size_t(p)];
        if (a == b) continue;
        const ParameterInfo& info = catalogue.info(p);
        ParameterDifference d;
        d.number = p;
        d.numberText = info.numberText();
        d.name = info.name(languageNo);
        d.left = a;
        d.right = b;
        d.leftText = info.valueText(a, leftTables);
        d.rightText = info.valueText(b, rightTables);
        if (info.isOptionList()) {
            d.leftOption = info.optionText(languageNo, a);
            d.rightOption = info.optionText(languageNo, b);
        }
        out.push_back(std::move(d));
    }
    return out;
}

std::vector<int> numbers(const std::vector<ParameterDifference>& differences) {
    std::vector<int> out;
    out.reserve(differences.size());
    for (const ParameterDifference& d : differences)
        out.push_back(d.number);
    return out;
}

} // namespace ParameterDiff

} // namespace kqm52
