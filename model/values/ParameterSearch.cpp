#include "model/values/ParameterSearch.h"

#include "model/values/ParameterCatalogue.h"

#include <QStringList>

#include <set>

namespace kqm52 {

namespace {

// Each place a parameter is shown: one entry per group, the first node of a
// group wins (nodes deeper than a submenu share their submenu's group).
std::vector<ParameterHit> places(const ParameterCatalogue& catalogue, const GroupTree& tree,
                                 int languageNo) {
    std::vector<ParameterHit> result;
    std::set<int> groupsSeen;
    const auto& nodes = tree.nodes();
    for (int n = 0; n < int(nodes.size()); ++n) {
        const GroupTree::Node& node = nodes[std::size_t(n)];
        if (!groupsSeen.insert(node.groupId()).second) continue;
        for (int row = 1; row <= ParameterCatalogue::RowsPerGroup; ++row) {
            const int p = catalogue.parameterInRow(node.groupId(), row);
            if (p < 0) continue;
            result.push_back(
                {p, n, row,
                 QStringLiteral("%1.%2.%3").arg(node.menuNumber).arg(node.submenuNumber).arg(row),
                 catalogue.name(p, languageNo)});
        }
    }
    return result;
}

int numberIn(QString query) {
    if (query.startsWith(QLatin1Char('P'), Qt::CaseInsensitive)) query.remove(0, 1);
    if (query.isEmpty() || query.size() > 3) return -1;
    for (QChar c : query)
        if (!c.isDigit()) return -1;
    return query.toInt();
}

} // namespace

std::vector<ParameterHit> ParameterSearch::find(const ParameterCatalogue& catalogue,
                                                const GroupTree& tree, int languageNo,
                                                const QString& query) {
    const QString q = query.simplified();
    if (q.isEmpty()) return {};
    const int number = numberIn(q);
    const QStringList words = q.split(QLatin1Char(' '), Qt::SkipEmptyParts);

    std::vector<ParameterHit> byNumber;
    std::vector<ParameterHit> byName;
    for (const ParameterHit& place : places(catalogue, tree, languageNo)) {
        if (place.parameter == number) {
            byNumber.push_back(place);
            continue;
        }
        bool all = !place.name.isEmpty();
        for (const QString& w : words)
            all = all && place.name.contains(w, Qt::CaseInsensitive);
        if (all) byName.push_back(place);
    }
    byNumber.insert(byNumber.end(), byName.begin(), byName.end());
    return byNumber;
}

} // namespace kqm52
