#pragma once

// The main window offscreen with its port mapped to the demo bus at the
// settings file's 38400,E,8,1: what the monitor benchmark and the soak run
// drive.  Torn down in reverse order: the window before the state it uses.

#include "model/ProgramState.h"
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
    ProgramState state{dir.path() + QLatin1Char('/')};
    ScriptedDialogs dialogs;
    TFormMain window{state, dialogs, StartOptions{}};
    std::shared_ptr<SimBus> bus = makeDemoBus(QCoreApplication::applicationDirPath());

    DemoMainWindow() {
        installSimulatedBus(state.portMap, bus);
        state.portMap.setDevice(window.ZRComm1.PortName(), QStringLiteral("sim"));
        window.ZRComm1.SetBaudrate(TBaudrate::br38400);
        window.ZRComm1.SetFrameParitybit(TParityBit::Even);
    }
};

} // namespace kqm52
