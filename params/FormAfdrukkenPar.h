#pragma once

// TFormAfdrukkenPar: prints the parameter table, group by group.  The
// parameter editor shows it modally (exec()); OK asks for the printer and
// prints, Cancel or a cancelled print dialog closes it without printing.

#include "print/PrintHeaderForm.h"

namespace kqm52 {

class TFormAfdrukkenPar final : public PrintHeaderForm {
    Q_OBJECT
  public:
    TFormAfdrukkenPar(ProgramState& state, Dialogs& dialogs, QWidget* parent = nullptr);

    // The print job on a target of the caller's choosing (PDF, images).
    void PrintParameters(PageTarget& target);

  protected:
    void print(PageTarget& target, const PageHeaderTexts& header) override;
};

} // namespace kqm52
