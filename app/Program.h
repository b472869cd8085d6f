#pragma once

// One run of the program after the single-instance guard: the shared state,
// the dialogs, the main window, and the secondary windows, each made when it
// is first needed.  main and the start-up benchmark both go through here.

#include "model/ProgramState.h"
#include "shell/SecondaryWindows.h"
#include "ui/QtDialogs.h"
#include "ui/StartOptions.h"

#include <QString>

#include <functional>
#include <memory>

namespace kqm52 {

class TFormEditParam;
class TFormEditSollwerten;
class TFormMain;

class Program {
  public:
    // folders: where the data files and application.ini are.
    Program(const StartOptions& options, const ProgramFolders& folders);
    ~Program();

    TFormMain& mainWindow() { return *formMain_; }
    ProgramState& state() { return state_; }
    // Why --demo cannot work in this build (empty when it can, or when not asked).
    QString demoProblem() const { return demoProblem_; }

  private:
    void wireParameterEditor(TFormEditParam& editor, std::function<bool()> portOpen);
    void wireSetpointEditor(TFormEditSollwerten& editor);

    ProgramState state_;
    QtDialogs dialogs_;
    std::unique_ptr<TFormMain> formMain_;
    SecondaryWindows windows_;
    std::unique_ptr<TransferWindows> transfers_;
    QString demoProblem_;
};

} // namespace kqm52
