#pragma once

// A run of the program offscreen with its port mapped to the demo bus at the
// settings file's 38400,E,8,1: what the monitor benchmark and the soak run
// drive.  Torn down in reverse order: the run before the dialogs it uses.

#include "app/Program.h"
#include "model/engines/ProgramState.h"
#include "shell/FormMain.h"
#include "sim/DemoBus.h"
#include "sim/SimDriver.h"
#include "ui/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>

namespace kqm52 {

struct DemoMainWindow {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    Program program{StartOptions{}, ProgramFolders::portable(dir.path() + QLatin1Char('/')),
                    dialogs};
    ProgramState& state = program.state();
    TZRComm& port = program.port();
    TFormMain& window = program.mainWindow();
    std::shared_ptr<SimBus> bus = makeDemoBus(QCoreApplication::applicationDirPath());

    DemoMainWindow() {
        installSimulatedBus(state.portMap, bus);
        state.portMap.setDevice(port.PortName(), QStringLiteral("sim"));
        port.SetBaudrate(TBaudrate::br38400);
        port.SetFrameParitybit(TParityBit::Even);
    }
};

} // namespace kqm52
