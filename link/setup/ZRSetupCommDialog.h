#pragma once

// TZRSetupCommDialog: shows TZRSetupCommForm for its port, modally.  The
// serial-link library's own setup dialog, for programs that have no port
// window of their own.

#include "link/ZRComponent.h"

#include <functional>

class QWidget;

namespace kqm52 {

class TZRSetupCommForm;

class TZRSetupCommDialog : public TZRComponent {
    Q_OBJECT
  public:
    explicit TZRSetupCommDialog(QObject* owner = nullptr);

    std::function<void(TZRSetupCommDialog* sender)> OnShow;
    std::function<void(TZRSetupCommDialog* sender)> OnClose;

    // In the user's language (German or English); true when ended with OK.
    bool Execute();
    bool ExecuteEnglish();

    // Runs with each window before it is shown; tests answer the window here.
    std::function<void(TZRSetupCommForm&)> onFormCreated;

  private:
    bool run(int language);
};

} // namespace kqm52
