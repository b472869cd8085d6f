// A whole run as main starts it, on the built-in simulated bus.

#include "app/Program.h"
#include "inifile/IniFile.h"
#include "shell/FormMain.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kqm52::test {
namespace {

TEST(ProgramTest, DemoLeadsEveryPortToTheSimulatedBusForThisRunOnly) {
    QTemporaryDir dir;
    const QString programDir = dir.path() + '/';
    {
        IniFile ini;
        ini.writeString("Serieel", "portname", "4");
        ini.writeString("Poorten", "COM5", "/dev/ttyUSB3");
        ASSERT_TRUE(ini.save(programDir + "application.ini"));
    }
    StartOptions options;
    options.demo = true;
    Program program(options, programDir);
    EXPECT_EQ(program.state().portMap.device(TPort::COM1), "/dev/ttyS0"); // not in the file
#ifdef KQM52_WITH_SIM
    ASSERT_TRUE(program.demoProblem().isEmpty());
    TFormMain& w = program.mainWindow();
    EXPECT_EQ(w.ZRComm1.PortName(), TPort::COM5);
    EXPECT_EQ(program.state().portMap.effectiveDevice(TPort::COM5), "sim");
    // The port opens on the simulated bus although COM5 is a USB adapter here.
    w.ZRComm1.SetActive(true);
    EXPECT_TRUE(w.ZRComm1.Active());
    w.close();
    EXPECT_FALSE(w.ZRComm1.Active());
#else
    EXPECT_FALSE(program.demoProblem().isEmpty());
    program.mainWindow().close();
#endif
    IniFile saved;
    ASSERT_TRUE(saved.load(programDir + "application.ini"));
    EXPECT_EQ(saved.readString("Poorten", "COM5"), "/dev/ttyUSB3");
    EXPECT_FALSE(saved.hasKey("Poorten", "COM1"));
}

} // namespace
} // namespace kqm52::test
