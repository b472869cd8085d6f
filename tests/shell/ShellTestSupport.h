#pragma once

// A world for one shell test: a program folder of its own, the shared
// state, scripted dialogs and, on demand, the main window.

#include "model/ProgramState.h"
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

    // Creates the main window as main would, after the files are in place.
    TFormMain& createWindow(const StartOptions& options = {});
    void closeWindow();

    QTemporaryDir dir_;
    std::unique_ptr<ProgramState> state_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<TFormMain> window_;
};

// Transfer windows the user always leaves with Cancel.
struct NoTransfers : TransferWindows {
    std::optional<UnitTables> receive(int) override { return std::nullopt; }
    SendReport send(int, const UnitTables&) override { return {}; }
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
