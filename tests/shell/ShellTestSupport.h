#pragma once

// A world for one shell test: a program folder of its own, scripted dialogs
// and, on demand, a run of the program on them (its shared state, port and
// main window).

#include "app/Program.h"
#include "model/engines/ProgramState.h"
#include "shell/FormMain.h"
#include "shell/SecondaryWindows.h"
#include "ui/ScriptedDialogs.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace kqm52::test {

class ShellWorld : public ::testing::Test {
  protected:
    QString programDir() const { return dir_.path() + QLatin1Char('/'); }
    QString iniPath() const { return programDir() + QStringLiteral("application.ini"); }

    void writeFile(const QString& name, const QString& text) const;
    QString readFile(const QString& name) const;
    QByteArray readBytes(const QString& name) const;

    // Starts the program as main would, after the files are in place, and
    // returns its main window.  A second call starts a fresh run.
    TFormMain& createWindow(const StartOptions& options = {});
    void closeWindow();
    TZRComm& port() { return program_->port(); }

    QTemporaryDir dir_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<Program> program_;
    // The run's state and main window.
    ProgramState* state_ = nullptr;
    TFormMain* window_ = nullptr;
};

// Transfer windows the user always leaves with Cancel.
struct NoTransfers : TransferWindows {
    std::optional<UnitTables> receive(TableTransfer::Mode) override { return std::nullopt; }
    SendReport send(TableTransfer::Mode, const UnitTables&) override { return {}; }
};

// A control of the main window, found by its object name as the window
// definition names it; "Tb_in", 0 is "Tb_in1".  Fails the test when absent.
template <class T> T* ctl(const QObject& window, const QString& name) {
    T* c = window.findChild<T*>(name);
    if (!c) ADD_FAILURE() << "no control " << name.toStdString();
    return c;
}
template <class T> T* ctl(const QObject& window, const QString& stem, int index) {
    return ctl<T>(window, stem + QString::number(index + 1));
}

} // namespace kqm52::test
