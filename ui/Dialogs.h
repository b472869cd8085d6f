#pragma once

// Dialogs: every message box, file dialog and print dialog of the program
// goes through this interface.  The program uses QtDialogs; tests use
// ScriptedDialogs, which answers from a script and records what was asked,
// so no test ever waits on a modal box.
//
// Nothing here needs a widget: a logic class takes a Dialogs& and the owner
// its window gives it, asks its questions itself, and is tested without a
// display.

#include <QFlags>
#include <QString>

#include <exception>
#include <functional>
#include <utility>

class QObject;
class QPrinter;

namespace kqm52 {

class LanguageTexts;

// The window a box or file dialog is modal for.  Logic classes carry it for
// their window without looking inside; only the Qt dialogs do.  No window:
// the box stands on its own in the middle of the screen.
class DialogOwner {
  public:
    DialogOwner() = default;
    // A window converts without ceremony, so a view writes dialogs.error(this, ...).
    DialogOwner(QObject* window) : window_(window) {} // NOLINT(google-explicit-constructor)
    QObject* window() const { return window_; }

  private:
    QObject* window_ = nullptr;
};

enum class DialogIcon { NoIcon, Information, Warning, Critical };
enum class DialogButton : unsigned {
    NoButton = 0,
    Ok = 1u << 0,
    Yes = 1u << 1,
    No = 1u << 2,
    Cancel = 1u << 3,
    Save = 1u << 4,
    Discard = 1u << 5
};
Q_DECLARE_FLAGS(DialogButtons, DialogButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(DialogButtons)

class Dialogs {
  public:
    using Icon = DialogIcon;
    using Button = DialogButton;
    using Buttons = DialogButtons;

    virtual ~Dialogs() = default;

    // A modal message box.  Returns the button pressed; a box closed without
    // a button counts as the escape button (Cancel, No or Ok).
    // defaultButton is what Enter presses: a question whose Yes changes a
    // unit or a file names No or Cancel, so Enter never overwrites anything.
    virtual Button messageBox(DialogOwner owner, Icon icon, const QString& caption,
                              const QString& text, Buttons buttons, Button defaultButton) = 0;

    // Returns the chosen path, or an empty string when the user cancelled.
    // The filter is in the dialog's form ("Text (*.mxp);;All (*)"); a
    // language file's "Text|*.mxp" goes through fileDialogFilter first.
    virtual QString openFileName(DialogOwner owner, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;

    // The file to write, or an empty string when the user cancelled.  A name
    // typed without an extension gets `suffix` ("mxp", without the dot).  When
    // the file is there already, the user is asked whether to replace it, No
    // being the default; No gives an empty string as well.
    QString saveFileName(DialogOwner owner, const QString& caption, const QString& dir,
                         const QString& filter, const QString& suffix = {});

    // Lets the user pick and set up the printer.  False when cancelled.
    virtual bool print(DialogOwner owner, QPrinter& printer) = 0;

    // Shows the pages `paint` draws on the printer it is handed, as they
    // would come out; the user may print them from there.  True when printed.
    virtual bool printPreview(DialogOwner owner, QPrinter& printer,
                              const std::function<void(QPrinter&)>& paint) = 0;

    // The language of the questions the dialogs ask on their own (replacing a
    // file); the built-in texts until it is set.  Not owned.
    void setLanguage(const LanguageTexts* language) { language_ = language; }

    // The shapes the program uses.
    void error(DialogOwner owner, const QString& caption, const QString& text) {
        messageBox(owner, Icon::Critical, caption, text, Button::Ok, Button::Ok);
    }
    void information(DialogOwner owner, const QString& caption, const QString& text) {
        messageBox(owner, Icon::Information, caption, text, Button::Ok, Button::Ok);
    }
    // Something the user should know before going on, with nothing to decide.
    void warning(DialogOwner owner, const QString& caption, const QString& text) {
        messageBox(owner, Icon::Warning, caption, text, Button::Ok, Button::Ok);
    }
    // A question with these buttons; Enter presses defaultButton.
    Button question(DialogOwner owner, const QString& caption, const QString& text, Buttons buttons,
                    Button defaultButton) {
        return messageBox(owner, Icon::Warning, caption, text, buttons, defaultButton);
    }
    // Before a destructive step: only Yes goes on, and Enter says No.
    bool confirm(DialogOwner owner, const QString& caption, const QString& text) {
        return question(owner, caption, text, Button::Yes | Button::No | Button::Cancel,
                        Button::No) == Button::Yes;
    }

    // Before work that is not in a file would be replaced or left behind:
    // Save, Discard or Cancel, and Enter, Escape and the close box cancel.
    Button saveDiscardCancel(DialogOwner owner, const QString& caption, const QString& text) {
        return question(owner, caption, text, Button::Save | Button::Discard | Button::Cancel,
                        Button::Cancel);
    }

  protected:
    // The save dialog itself: the path as the user chose it, without asking
    // about an existing file (saveFileName does that, after the extension).
    virtual QString chooseSaveFileName(DialogOwner owner, const QString& caption,
                                       const QString& dir, const QString& filter) = 0;

  private:
    const LanguageTexts* language_ = nullptr;
};

// The language files write a file filter as pairs of description and
// patterns, "Text|*.mxp|All|*.*"; the file dialogs want "Text (*.mxp);;All
// (*.*)".  A description that shows its patterns already is kept as written;
// blanks around either half are dropped.  A text without a "|" is taken as
// it stands.
QString fileDialogFilter(const QString& languageFilter);

// Qt carries no exception through its event loop.  A handler whose failure
// would otherwise end the program runs through this: the message goes into an
// error box and the window stays usable.  Returns false when fn threw.
template <typename Fn>
bool runReportingErrors(Dialogs& dialogs, DialogOwner owner, const QString& caption, Fn&& fn) {
    try {
        std::forward<Fn>(fn)();
        return true;
    } catch (const std::exception& e) {
        dialogs.error(owner, caption, QString::fromUtf8(e.what()));
        return false;
    }
}

} // namespace kqm52
