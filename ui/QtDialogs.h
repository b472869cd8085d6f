#pragma once

// The dialogs a user sees: Qt's message boxes, file dialogs and print dialog.

#include "ui/Dialogs.h"

namespace kqm52 {

class QtDialogs final : public Dialogs {
  public:
    Button messageBox(DialogOwner owner, Icon icon, const QString& caption, const QString& text,
                      Buttons buttons, Button defaultButton) override;
    QString openFileName(DialogOwner owner, const QString& caption, const QString& dir,
                         const QString& filter) override;
    bool print(DialogOwner owner, QPrinter& printer) override;
    bool printPreview(DialogOwner owner, QPrinter& printer,
                      const std::function<void(QPrinter&)>& paint) override;

    // The least harmful of the buttons: what Escape and the title bar's
    // close box answer.
    static Button escapeButton(Buttons buttons);

  protected:
    QString chooseSaveFileName(DialogOwner owner, const QString& caption, const QString& dir,
                               const QString& filter) override;
};

} // namespace kqm52
