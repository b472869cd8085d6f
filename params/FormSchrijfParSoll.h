#pragma once

// TFormSchrijfParSoll: writes its own tables into the selected unit ("wp n v",
// "ws n v") and, when parameters were written, has the unit recompute them
// ("bp").  The caller fills tables() before showing it.

#include "params/TransferWindow.h"

namespace kqm52 {

class TFormSchrijfParSoll : public TransferWindow {
    Q_OBJECT
  public:
    TFormSchrijfParSoll(TZRComm& port, const LanguageTexts& language, QWidget* parent = nullptr);

    // Runs the window in mode 0 on just these parameters of `values` ("wp"
    // each, then "bp"); the next run writes whole tables again.
    SendReport writeOnly(const ParamTables::Parameters& values, const std::vector<int>& numbers);
};

} // namespace kqm52
