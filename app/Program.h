#pragma once

// One run of the program after the single-instance guard: the shared state,
// the port, the dialogs, the main window, and the secondary windows, each
// made when it is first needed.  It reads the settings, language and
// catalogue at start and writes the settings when the main window closes.
// main and the start-up benchmark both go through here.

#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/files/ProgramFolders.h"
#include "shell/SecondaryWindows.h"
#include "ui/QtDialogs.h"
#include "ui/StartOptions.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace kqm52 {

struct StartFiles;
class TFormAfdrukkenPar;
class TFormAfdrukkenSoll;
class TFormEditParam;
class TFormEditSollwerten;
class TFormLeesParSoll;
class TFormMain;
class ServiceJournal;
class TFormSchrijfParSoll;
struct JournalOldValue;

class Program {
  public:
    // folders: where the data files and application.ini are.
    Program(const StartOptions& options, const ProgramFolders& folders);
    // The same, asking the user through dialogs (tests script them).
    Program(const StartOptions& options, const ProgramFolders& folders, Dialogs& dialogs);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    TFormMain& mainWindow() { return *formMain_; }
    ProgramState& state() { return state_; }
    // The one port of the run, handed to every window that talks to a unit.
    TZRComm& port() { return port_; }
    ServiceJournal& journal() { return *journal_; }

    // What the port holds before application.ini is read.
    static void applyPortDefaults(TZRComm& port);
    // Why --demo cannot work in this build (empty when it can, or when not asked).
    QString demoProblem() const { return demoProblem_; }

  private:
    Program(const StartOptions& options, const ProgramFolders& folders,
            std::unique_ptr<QtDialogs> ownDialogs, Dialogs* dialogs);
    // Installed: the user's settings folder must exist and take a file.
    void prepareSettingsFolder();
    // Puts the files read at start in force, telling of any refused.
    void take(StartFiles&& files);
    void createWindows();
    void wireParameterEditor(TFormEditParam& editor, std::function<bool()> portOpen);
    void wireSetpointEditor(TFormEditSollwerten& editor);
    // Reads the unit's parameters and lets the user write back, in the
    // compare window, the journal's old values the unit no longer holds.
    void putOldValuesBack(QWidget* window, const std::vector<JournalOldValue>& old);
    // The main window is closing: the port closes and the settings are written.
    void shutDown();
    void saveSettings();

    ProgramState state_;
    std::unique_ptr<QtDialogs> ownDialogs_;
    Dialogs& dialogs_;
    // Declared before every window and component that uses it, so it goes
    // after them.
    TZRComm port_;
    // Watches the port from the start; opens its file at the first write.
    std::unique_ptr<ServiceJournal> journal_;
    std::unique_ptr<TFormMain> formMain_;
    SecondaryWindows windows_;
    // The windows Program drives itself, in their own classes; windows_
    // hands the same windows to the main window.
    LazyWindow<TFormLeesParSoll> receiveWindow_;
    LazyWindow<TFormSchrijfParSoll> sendWindow_;
    LazyWindow<TFormAfdrukkenPar> parameterPrintWindow_;
    LazyWindow<TFormAfdrukkenSoll> setpointPrintWindow_;
    std::unique_ptr<TransferWindows> transfers_;
    QString demoProblem_;
    // application.ini was refused unread (far too large): it is the user's
    // file, not one we wrote, so closing leaves it as it is.  Also set when
    // the settings folder cannot be written (said once, at start).
    bool settingsRefused_ = false;
};

} // namespace kqm52
