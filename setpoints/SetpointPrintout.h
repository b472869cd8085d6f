#pragma once

// The setpoint printout: the list title, the column header and the 48
// setpoints as raw integers, under the same page header as the parameters.
// A page too short for the whole list continues on the next page, under the
// page header and the column header again, instead of running off the paper.

#include "print/PrintPage.h"

#include <QString>

#include <vector>

namespace kqm52 {

class ProgramState;

class SetpointPrintout {
  public:
    explicit SetpointPrintout(const ProgramState& state) : state_(state) {}

    // The number text, and three blanks after its six characters the value
    // text right-aligned in 12.
    static std::vector<PrintCell> InitSollwertHeader(const QString& number, const QString& value);
    std::vector<PrintCell> InitSollwertHeader() const;
    // Setpoint n as printed: raw, never with the editor's decimals.
    std::vector<PrintCell> setpointLine(int n) const;

    void PrintSollwerten(PageTarget& target, const PageHeaderTexts& header,
                         const QString& title) const;

  private:
    const ProgramState& state_;
};

} // namespace kqm52
