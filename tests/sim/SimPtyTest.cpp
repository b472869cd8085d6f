// The simulator on a pseudo-terminal, driven by the tool's real POSIX driver:
// in-process (PtyServer) and as the mx5x-sim program with its state file and log.

#include "SimLinkFixture.h"

#include "sim/PtyServer.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include <sys/prctl.h>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

class SimPtyTest : public SimLinkFixture {
  protected:
    SimPtyTest() : SimLinkFixture(std::make_shared<RealClock>()) {
        bus->addUnit(0, lineOf(38400));
        bus->addUnit(6, lineOf(19200, DriverParity::Even, 8, 2)).typeText = "MX53 Six";
        server = std::make_unique<PtyServer>(bus);
        QString error;
        EXPECT_TRUE(server->open(&error)) << error.toStdString();
        server->start();
        map.setDevice(TPort::COM1, server->slavePath());
    }
    ~SimPtyTest() override {
        port.SetActive(false);
        server->stop();
    }
    std::unique_ptr<PtyServer> server;
};

// mx5x-sim as a separate program: prints the pty path on its first line.
class Mx5xSim {
  public:
    bool start(const QStringList& args) {
        process.setProgram(QStringLiteral(MX5X_SIM_PATH));
        process.setArguments(args);
        // A test that dies (an assertion in another thread, a sanitizer
        // refusing to start) must not leave the simulator running.
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        process.start();
        if (!process.waitForStarted(5000)) return false;
        if (!waitUntil(
                [&] { return process.canReadLine() || process.state() != QProcess::Running; }))
            return false;
        path = QString::fromLocal8Bit(process.readLine()).trimmed();
        return path.startsWith(QLatin1String("/dev/"));
    }
    int stop() {
        process.terminate();
        process.waitForFinished(5000);
        return process.exitCode();
    }
    QProcess process;
    QString path;
};

} // namespace

TEST_F(SimPtyTest, RoundTripThroughThePosixDriver) {
    ASSERT_TRUE(server->slavePath().startsWith("/dev/pts/"));
    port.SetActive(true);
    EXPECT_EQ(ask("sc 0").data, QByteArray("sc 0\r\n"));
    EXPECT_EQ(ask("rt").data, QByteArray("rt MX52 Nokkenregelaar V3.07\r\n"));
    // Another speed: nobody hears it.
    port.SetBaudrate(TBaudrate::br19200);
    EXPECT_EQ(ask("sc 0").error.Code, CommCode::Timeout);
    // Unit 6 wants two stop bits as well; parity does not cross a pty.
    EXPECT_EQ(ask("sc 6").error.Code, CommCode::Timeout);
    port.SetFrameStopbits(TStopBit::sb_2);
    EXPECT_EQ(ask("sc 6").data, QByteArray("sc 6\r\n"));
    port.SetFrameParitybit(TParityBit::Odd);
    EXPECT_EQ(ask("rt").data, QByteArray("rt MX53 Six\r\n"));
}

TEST_F(SimPtyTest, PortsReopenOnTheSamePty) {
    for (int i = 0; i < 3; ++i) {
        port.SetActive(true);
        EXPECT_EQ(ask(QStringLiteral("wp 1 %1").arg(i)).data,
                  QStringLiteral("wp 1 %1\r\n").arg(i).toLatin1());
        port.SetActive(false);
    }
}

// The reply's timing survives the pty.
TEST_F(SimPtyTest, LateAndPausedRepliesOverThePty) {
    port.SetActive(true);
    bus->setFaults(0, {.lateMs = 150});
    EXPECT_EQ(ask("rp 12", 300).data, QByteArray("rp 12 0\r\n"));
    // A pause well beyond the 50 ms silence: on a busy machine the hand-over
    // of the byte before the gap may take a while, and the silence is counted
    // from the read that follows it.
    bus->setFaults(0, {.pauseMs = 150});
    EXPECT_EQ(ask("rp 12").data, QByteArray("rp 1"));
}

TEST_F(SimPtyTest, Mx5xSimKeepsItsStateAndLogsTheLines) {
    QTemporaryDir dir;
    const QString state = dir.filePath("units.state");
    const QString log = dir.filePath("wire.log");
    const QStringList args = {"--unit",  "3:38400,E,8,1", "--unit", "4:9600",
                              "--state", state,           "--log",  log,
                              "--error", "4:21",          "--data", dir.path()};
    {
        Mx5xSim sim;
        ASSERT_TRUE(sim.start(args)) << sim.process.readAllStandardError().constData();
        map.setDevice(TPort::COM1, sim.path);
        port.SetActive(true);
        EXPECT_EQ(ask("sc 3").data, QByteArray("sc 3\r\n"));
        EXPECT_EQ(ask("wp 17 4711").data, QByteArray("wp 17 4711\r\n"));
        port.SetBaudrate(TBaudrate::br9600);
        EXPECT_EQ(ask("sc 4").data, QByteArray("sc 4\r\n"));
        EXPECT_EQ(ask("rf").data, QByteArray("rf 21\r\n"));
        port.SetActive(false);
        EXPECT_EQ(sim.stop(), 0);
    }
    QFile logFile(log);
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QByteArray logText = logFile.readAll();
    EXPECT_TRUE(logText.contains("<- 38400,N,8,1 \"wp 17 4711\"")) << logText.constData();
    EXPECT_TRUE(logText.contains("-> unit 3 38400,E,8,1 \"wp 17 4711\\r\\n\""));
    EXPECT_TRUE(logText.contains("-> unit 4 9600,E,8,1 \"rf 21\\r\\n\""));
    {
        Mx5xSim sim;
        ASSERT_TRUE(sim.start(args));
        map.setDevice(TPort::COM1, sim.path);
        port.SetBaudrate(TBaudrate::br38400);
        port.SetActive(true);
        EXPECT_EQ(ask("sc 3").data, QByteArray("sc 3\r\n"));
        EXPECT_EQ(ask("rp 17").data, QByteArray("rp 17 4711\r\n"));
        port.SetActive(false);
        sim.stop();
    }
}

TEST_F(SimPtyTest, Mx5xSimRefusesBadOptionsAndEndsWhenTheDeviceVanishes) {
    const struct {
        QStringList args;
        int exitCode;
        const char* says;
    } refusals[] = {{{"--fault", "0:line-errors"}, 2, "in-process"}, {{"--help"}, 0, "--fault"}};
    for (const auto& r : refusals) {
        QProcess p;
        p.start(QStringLiteral(MX5X_SIM_PATH), r.args);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), r.exitCode) << r.says;
        EXPECT_TRUE((p.readAllStandardError() + p.readAllStandardOutput()).contains(r.says));
    }
    Mx5xSim sim;
    ASSERT_TRUE(sim.start({"--fault", "0:vanish"}));
    map.setDevice(TPort::COM1, sim.path);
    port.SetActive(true);
    EXPECT_EQ(ask("rt").error.Code, CommCode::DriverFailed);
    // The port has closed itself and can say why.
    EXPECT_TRUE(waitUntil([&] { return !port.Active(); }));
    EXPECT_FALSE(port.LastSystemErrorText().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return sim.process.state() == QProcess::NotRunning; }));
    EXPECT_EQ(sim.process.exitCode(), 3);
}
