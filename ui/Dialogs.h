#pragma once

// Dialogs: every message box, file dialog and print dialog of the program
// goes through this interface.  The program uses QtDialogs; tests use
// ScriptedDialogs, which answers from a script and records what was asked,
// so no test ever waits on a modal box.

#include <QMessageBox>
#include <QString>

#include <exception>
#include <utility>

class QPrinter;
class QWidget;

namespace kqm52 {

class LanguageTexts;

class Dialogs {
  public:
    using Icon = QMessageBox::Icon;
    using Button = QMessageBox::StandardButton;
    using Buttons = QMessageBox::StandardButtons;

    virtual ~Dialogs() = default;

    // A modal message box owned by owner.  Returns the button pressed; a box
    // closed without a button counts as the escape button (Cancel, No or Ok).
    // defaultButton is what Enter presses: a question whose Yes changes a
    // unit or a file names No or Cancel, so Enter never overwrites anything.
    virtual Button messageBox(QWidget* owner, Icon icon, const QString& caption,
                              const QString& text, Buttons buttons, Button defaultButton) = 0;

    // Returns the chosen path, or an empty string when the user cancelled.
    virtual QString openFileName(QWidget* owner, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;

    // The file to write, or an empty string when the user cancelled.  A name
    // typed without an extension gets `suffix` ("mxp", without the dot).  When
    // the file is there already, the user is asked whether to replace it, No
    // being the default; No gives an empty string as well.
    QString saveFileName(QWidget* owner, const QString& caption, const QString& dir,
                         const QString& filter, const QString& suffix = {});

    // Lets the user pick and set up the printer.  False when cancelled.
    virtual bool print(QWidget* owner, QPrinter& printer) = 0;

    // The language of the questions the dialogs ask on their own (replacing a
    // file); the built-in texts until it is set.  Not owned.
    void setLanguage(const LanguageTexts* language) { language_ = language; }

    // The three shapes the program uses.
    void error(QWidget* owner, const QString& caption, const QString& text) {
        messageBox(owner, Icon::Critical, caption, text, Button::Ok, Button::Ok);
    }
    void information(QWidget* owner, const QString& caption, const QString& text) {
        messageBox(owner, Icon::Information, caption, text, Button::Ok, Button::Ok);
    }
    // Before a destructive step: only Yes goes on, and Enter says No.
    bool confirm(QWidget* owner, const QString& caption, const QString& text) {
        return messageBox(owner, Icon::Warning, caption, text,
                          Button::Yes | Button::No | Button::Cancel, Button::No) == Button::Yes;
    }

  protected:
    // The save dialog itself: the path as the user chose it, without asking
    // about an existing file (saveFileName does that, after the extension).
    virtual QString chooseSaveFileName(QWidget* owner, const QString& caption, const QString& dir,
                                       const QString& filter) = 0;

  private:
    const LanguageTexts* language_ = nullptr;
};

// Qt carries no exception through its event loop.  A handler whose failure
// would otherwise end the program runs through this: the message goes into an
// error box and the window stays usable.  Returns false when fn threw.
template <typename Fn>
bool runReportingErrors(Dialogs& dialogs, QWidget* owner, const QString& caption, Fn&& fn) {
    try {
        std::forward<Fn>(fn)();
        return true;
    } catch (const std::exception& e) {
        dialogs.error(owner, caption, QString::fromUtf8(e.what()));
        return false;
    }
}

} // namespace kqm52
