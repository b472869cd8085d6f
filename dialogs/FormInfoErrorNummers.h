#pragma once

// TFormInfoErrorNummers: the help page on the device's error numbers, in the
// user's language.  Shown beside the main window, not modally, so the user
// can read it while watching the error panel.

#include "dialogs/ErrorHelp.h"

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QWidget>

class QTextBrowser;

namespace kqm52 {

class Dialogs;
class ProgramState;

class TFormInfoErrorNummers : public QWidget {
    Q_OBJECT
  public:
    static constexpr int WindowWidth = ErrorHelp::TextWidth;
    static constexpr int WindowHeight = 362;
    static const QColor Background; // pale yellow

    // parent: the main window, which the window is centred on.
    TFormInfoErrorNummers(ProgramState& state, Dialogs& dialogs, QWidget* parent = nullptr);

    // Runs each time the window is shown or becomes the active window.
    void FormActivate();

    QTextBrowser* RichEdit1 = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    ProgramState& state_;
    Dialogs& dialogs_;
    bool centred_ = false;
    // The file last read and when it was written: activating the window
    // again reloads only when either changed, so the reader keeps their place.
    QString shownPath_;
    QDateTime shownModified_;
};

} // namespace kqm52
