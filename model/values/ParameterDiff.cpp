#include "model/values/ParameterDiff.h"

#include "model/values/GroupTree.h"
#include "model/values/ParameterCatalogue.h"
#include "model/values/ParameterSearch.h"

#include <QStringList>

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

QString groupPath(const ParameterCatalogue& catalogue, const GroupTree& tree, int languageNo,
                  int p) {
    if (!ParamTables::isParameter(p)) return {};
    const auto& nodes = tree.nodes();
    QStringList places;
    const QString query = QStringLiteral("P%1").arg(p, 3, 10, QLatin1Char('0'));
    for (const ParameterHit& hit : ParameterSearch::find(catalogue, tree, languageNo, query)) {
        if (hit.parameter != p) continue;
        QStringList captions;
        // The root names the whole tree, not a group: the path starts below it.
        for (int n = hit.node; n >= 0 && nodes[std::size_t(n)].level > 0;
             n = nodes[std::size_t(n)].parent)
            captions.prepend(nodes[std::size_t(n)].caption);
        places << QStringLiteral("%1 (%2)").arg(captions.join(QStringLiteral(" / ")), hit.position);
    }
    return places.join(QStringLiteral("; "));
}

} // namespace ParameterDiff

} // namespace kqm52
