#pragma once

// Which parameters differ between two whole tables (a unit and a file, or two
// files), described as the user reads them: number, name, both values with
// their decimals, and for an option list the label of each value.
//
// Each side shows its values with its own parameter 203, the way the editor
// would show that table: a file written with 203 = 2 reads "12,50" even when
// the other side holds 203 = 3.  The raw values decide what differs; the texts
// only say so.

#include "model/values/ParamTables.h"

#include <QString>

#include <vector>

namespace kqm52 {

class GroupTree;
class ParameterCatalogue;

struct ParameterDifference {
    int number = 0;
    QString numberText; // "007"
    QString name;       // in the chosen language; empty when the catalogue has none
    qint32 left = 0;
    qint32 right = 0;
    QString leftText; // with the decimals of the left table
    QString rightText;
    // The option labels of both values; empty unless the parameter is an option list.
    QString leftOption;
    QString rightOption;
    friend bool operator==(const ParameterDifference&, const ParameterDifference&) = default;
};

namespace ParameterDiff {

// Every parameter 0 … 399 whose raw value differs, in number order.
std::vector<ParameterDifference> compare(const ParameterCatalogue& catalogue, int languageNo,
                                         const ParamTables::Parameters& left,
                                         const ParamTables::Parameters& right);

// The numbers of the differing parameters, in order: what a writer sends to
// bring one side to the other, a handful of requests instead of all 400.
std::vector<int> numbers(const std::vector<ParameterDifference>& differences);

// Where the editor shows parameter p, as its user finds it: the captions of
// the tree from the menu down and the grid position, "Axis / Encoder
// (2.1.4)"; a parameter in several groups names each, joined by "; ".  Empty
// when no group of the tree lists it.
QString groupPath(const ParameterCatalogue& catalogue, const GroupTree& tree, int languageNo,
                  int p);

} // namespace ParameterDiff

} // namespace kqm52
