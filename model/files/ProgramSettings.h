#pragma once

// The settings every window reads from memory.  The main window fills them
// from application.ini at start and writes them back when it closes.

#include "model/files/ProgramFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace kqm52 {

// What the log graph remembers between runs.
struct GraphSettings {
    int X_Div = 0;    // selected index of the time-scale list
    int Y_Div = 0;    // selected index of the value-scale list
    int BronItem = 0; // selected index of the source list
    bool X_hulplijn = false;
    bool Y_hulplijn = false;
    friend bool operator==(const GraphSettings&, const GraphSettings&) = default;
};

// The files an editor opened or saved last, newest first.  The same file
// under another spelling of its path counts once.
struct RecentFiles {
    static constexpr int MaxFiles = 8;
    QStringList files;

    void add(const QString& path) {
        const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        remove(clean);
        files.prepend(clean);
        while (files.size() > MaxFiles)
            files.removeLast();
    }
    void remove(const QString& path) {
        const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        files.removeIf([&clean](const QString& f) {
            return QDir::cleanPath(QFileInfo(f).absoluteFilePath()) == clean;
        });
    }
    friend bool operator==(const RecentFiles&, const RecentFiles&) = default;
};

struct ProgramSettings {
    // The program's folder, where its data files are read from and where
    // application.ini is kept (or, installed, the user's folders for them).
    ProgramFolders folders;
    int LanguageNo = 0;
    // Start folder of every open and save dialog, ending in a separator.
    QString DialogPath;
    QString PrintCompany;
    QString PrintType;
    QString PrintSerial;
    GraphSettings graph;
    RecentFiles recentParameterFiles;
    RecentFiles recentSetpointFiles;

    // After any open or save dialog: the next one, of whatever kind, starts
    // in the folder of the file just chosen, this run and the next.
    void rememberDialogFolder(const QString& chosenFile) {
        QString folder = QFileInfo(chosenFile).absolutePath();
        if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
        DialogPath = QDir::toNativeSeparators(folder);
    }
};

} // namespace kqm52
