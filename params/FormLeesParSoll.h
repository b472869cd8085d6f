#pragma once

// TFormLeesParSoll: reads all parameters and/or setpoints of the selected
// unit into its own tables (parameters 0 … 399, setpoints 1 … 48).  The caller
// copies them into the program-wide tables only after OK.

#include "params/TransferWindow.h"

namespace kqm52 {

class TFormLeesParSoll : public TransferWindow {
    Q_OBJECT
  public:
    TFormLeesParSoll(TZRComm& port, const LanguageTexts& language, QWidget* parent = nullptr);
};

} // namespace kqm52
