#pragma once

// Finding a parameter among the editor's groups: by its number ("7", "007",
// "P007") or by words of its name in the current language.  A parameter can
// stand in more than one group; each place is a hit of its own, so the user
// picks where to jump to.

#include "model/values/GroupTree.h"

#include <QString>

#include <vector>

namespace kqm52 {

class ParameterCatalogue;

struct ParameterHit {
    int parameter = -1;
    int node = -1;    // index into GroupTree::nodes()
    int row = 0;      // 1 … 18, the editor grid's data row
    QString position; // "3.1.4", as the editor's first column shows it
    QString name;     // in the language searched
    friend bool operator==(const ParameterHit&, const ParameterHit&) = default;
};

namespace ParameterSearch {

// Every hit for query, in tree order; number hits before name hits.  A query
// of digits (with an optional leading "P") finds that number; every query
// also finds names holding each of its words, without regard to case.  An
// empty query finds nothing.
std::vector<ParameterHit> find(const ParameterCatalogue& catalogue, const GroupTree& tree,
                               int languageNo, const QString& query);

} // namespace ParameterSearch

} // namespace kqm52
