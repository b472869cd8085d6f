#pragma once

// The parameter printout: every group of the group tree that has rows, in
// tree order, each under its title ("menu > submenu") and the column header,
// one line per parameter with its number, name, value and option text, each
// in its own column.  A group title never stands alone at the foot of a page:
// with fewer than two lines left it moves to the next page; a group that runs
// on to the next page repeats its column header there.

#include "print/PrintPage.h"

#include <QString>

#include <array>
#include <vector>

namespace kqm52 {

class ProgramState;

class ParameterPrintout {
  public:
    // Rows a group may name in ParNo.txt, ParId1 .. ParId40.
    static constexpr int MaxRows = 40;

    explicit ParameterPrintout(const ProgramState& state) : state_(state) {}

    // The column header from the texts t0 .. t4 (KolomTekst0 .. 4).
    static std::vector<PrintCell> InitParameterHeader(const std::array<QString, 5>& t);
    // The column header from the language file.
    std::vector<PrintCell> InitParameterHeader() const;

    // The line of row `row` of group `groupId` showing parameter p.
    std::vector<PrintCell> parameterLine(int groupId, int row, int p) const;

    // The whole printout on the target (the print job without its dialog).
    void PrintParameters(PageTarget& target, const PageHeaderTexts& header) const;

  private:
    void PrintMenuParameters(PrintPage& page, int groupId,
                             const std::vector<PrintCell>& columnHeader) const;

    const ProgramState& state_;
};

} // namespace kqm52
