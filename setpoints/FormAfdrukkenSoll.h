#pragma once

// TFormAfdrukkenSoll: prints the setpoint table.  The setpoint editor shows
// it modally; OK asks for the printer and prints, Cancel or a cancelled
// print dialog closes it without printing.

#include "print/PrintHeaderForm.h"

namespace kqm52 {

class TFormAfdrukkenSoll final : public PrintHeaderForm {
    Q_OBJECT
  public:
    TFormAfdrukkenSoll(ProgramState& state, Dialogs& dialogs, QWidget* parent = nullptr);

    // The print job on a target of the caller's choosing (PDF, images).
    void PrintSollwerten(PageTarget& target);

  protected:
    void print(PageTarget& target, const PageHeaderTexts& header) override;
    void readTexts() override;

  private:
    QString title_ = QStringLiteral("Solwerten");
};

} // namespace kqm52
