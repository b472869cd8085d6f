#pragma once

// Where the program finds its data files and keeps application.ini.
//
// Portable: the program's folder holds the data files (or an application.ini
// of an earlier run) and the user can write there.  Everything is read from
// and written to that folder, as a program run from its build or unpacked
// folder always did.
//
// Installed: the program sits in a bin folder the user cannot (or should not)
// write, its data files in share/kqm52 beside that bin folder, wherever the
// prefix is.  application.ini lives in the user's configuration folder
// ($XDG_CONFIG_HOME/kqm52, usually ~/.config/kqm52), and a data file of the
// user's own in that folder is read before the installed one.
//
// kqm52, kqm52ctl and the simulated bus all ask this one class.  Every folder
// it hands out ends in a separator, so a reader can append a file name.

#include <QString>
#include <QStringList>

namespace kqm52 {

class ProgramFolders {
  public:
    // Portable in the working folder: what a test's own world expects.
    ProgramFolders() = default;

    // Everything in programDir.
    static ProgramFolders portable(const QString& programDir);
    // Settings and the user's own data files in userDir, the installed ones
    // in dataDir, the service journal in journalDir.
    static ProgramFolders installed(const QString& programDir, const QString& dataDir,
                                    const QString& userDir,
                                    const QString& journalDir = userDataFolder());
    // The choice for a program in programDir; programDirWritable says whether
    // the user may write there.
    static ProgramFolders decide(const QString& programDir, const QString& userDir,
                                 bool programDirWritable);
    // The choice for the running program, from its own path and the user's
    // configuration folder.
    static ProgramFolders ofRunningProgram();
    // The user's configuration folder for KQM52.  The same for kqm52 and
    // kqm52ctl: the command-line tool reads the settings the program wrote.
    static QString userConfigFolder();
    // The user's data folder for KQM52 ($XDG_DATA_HOME/kqm52, usually
    // ~/.local/share/kqm52): what the program writes for itself that is no
    // setting, such as the service journal.
    static QString userDataFolder();
    // The settings file's name: the folders are decided by where it lies, so
    // the name is theirs and the file's reader takes it from here.
    static QString settingsFileName() { return QStringLiteral("application.ini"); }

    bool isPortable() const { return portable_; }
    // The folder of the program file.
    const QString& programDir() const { return programDir_; }
    // The folder application.ini is read from and written to.
    const QString& settingsDir() const { return settingsDir_; }
    QString settingsPath() const;
    // Portable: the program's folder; installed: share/kqm52 (or wherever the
    // installed data files were found).
    const QString& dataDir() const { return dataDir_; }
    // Where a data file is looked for, in order: the user's folder first when
    // installed, then dataDir().
    QStringList dataDirs() const;
    // The service journal: beside the program when portable, in the user's
    // data folder when installed.
    QString journalPath() const;

    // The folders of dataDirs() that hold a file called name, in order.
    // Qt::CaseInsensitive also finds "parameters.txt" for "Parameters.txt"
    // (the catalogue comes from Windows, where both are one file).
    QStringList foldersHolding(const QString& name,
                               Qt::CaseSensitivity cs = Qt::CaseSensitive) const;
    // The first of them; dataDir() when none holds it, so a message about a
    // missing file names the place it belongs.
    QString dataFolder(const QString& name, Qt::CaseSensitivity cs = Qt::CaseSensitive) const;
    QString dataPath(const QString& name) const { return dataFolder(name) + name; }
    // A folder of the user's own (installed only): a file there that fails
    // gives way to the installed one.
    bool isUserFolder(const QString& folder) const;

    // Installed: makes the settings folder when it is missing and checks that
    // a file can be written in it.  False, with the reason in words, when it
    // cannot be made or written.  Portable: nothing to prepare (a read-only
    // program folder shows when the settings are written at close).
    bool prepareSettingsFolder(QString* reason = nullptr) const;

    friend bool operator==(const ProgramFolders&, const ProgramFolders&) = default;

  private:
    bool portable_ = true;
    QString programDir_;
    QString settingsDir_;
    QString dataDir_;
    QString journalDir_;
};

} // namespace kqm52
