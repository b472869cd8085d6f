// The fault matrix of a bus behind a serial device server: Debian's ser2net
// serving mx5x-sim on a pty on 127.0.0.1, and netdelay between the program
// and ser2net where the network itself goes wrong.  One row per fault, run
// for every port value scheme of the table's instantiation; each asserts
// what the user reads in the windows (the English language file loaded) and
// that the unit and the files hold what that says.  Every row ends the way
// the user goes on: the server there, the port opened again, the setpoints
// read whole.

#include "UserTransfers.h"
#include "support/Ser2netServer.h"

#include "link/PortMap.h"
#include "link/SerialDriver.h"
#include "link/UnitProtocol.h"
#include "model/engines/ProgramState.h"
#include "shell/BackupRestore.h"
#include "shell/OnlineView.h"
#include "shell/UnitSelection.h"
#include "ui/ScriptedDialogs.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cerrno>

#include <netdb.h>
#include <sys/socket.h>

using namespace kqm52;
using namespace kqm52::test;

namespace {

using Mode = TableTransfer::Mode;
using Kind = ScriptedDialogs::Kind;

// What the unit holds before a row: values of different lengths, so that a
// reply cut short could pass for another value ("rs 5 10" of "rs 5 1005").
UnitTables unitBefore() {
    UnitTables t;
    for (int p = 0; p < ParamTables::ParameterCount; ++p)
        t.parameters[std::size_t(p)] = 10 * p;
    for (int s = 1; s <= ParamTables::SetpointCount; ++s)
        t.setpoints[std::size_t(s - 1)] = 1000 + s;
    return t;
}
// The setpoints a send writes.
ParamTables::Setpoints setpointsSent() {
    ParamTables::Setpoints v{};
    for (int s = 1; s <= ParamTables::SetpointCount; ++s)
        v[std::size_t(s - 1)] = -300 - s;
    return v;
}

// Bytes that Telnet reads as commands (IAC, SB), in the unit's type text.
const QByteArray TypeWithIac("MX52 \xff\xfa\xff\xff V3");

struct MainWindow : UnitSelectionView {
    QString comInfo;
    std::array<QString, 6> status;
    void showComInfo(const QString& t) override { comInfo = t; }
    void showErrorNo(const QString&) override {}
    void showStatus(int i, const QString& t) override { status.at(std::size_t(i)) = t; }
    void setOnline(bool, const QString&) override {}
    int unitNumber() const override { return 0; }
    bool deviceSearchActive() const override { return false; }
};

class NetworkFaults;

// Where COM1 leads.
enum class Via { Server, Proxy, NobodyListening, UnknownName };

struct NetRow {
    std::string name;
    Via via = Via::Server;
    // netdelay's options; a place in the replies is given by their text, so
    // that a Telnet server's own bytes before it do not move it.
    QStringList proxy;
    QStringList simArgs; // more for mx5x-sim
    std::function<void(NetworkFaults&)> action;
    std::function<void(NetworkFaults&)> holds;
    // What the unit holds afterwards, as read when the user goes on; by
    // default what it held before.
    std::function<void(const ParamTables::Setpoints&)> unitAfter = nullptr;
};

using Param = std::tuple<std::string, NetRow>; // scheme, row

class NetworkFaults : public ::testing::TestWithParam<Param> {
  public:
    NetworkFaults() : state(dir.path() + '/') {}
    ~NetworkFaults() override {
        port.OnActivate = nullptr;
        port.OnDeactivate = nullptr;
        port.SetActive(false);
    }

    void SetUp() override {
        if (!ser2netInstalled())
            GTEST_SKIP() << "ser2net is not installed (" << Ser2netProgram.toStdString()
                         << "); scripts/setup.sh installs it";
        const NetRow& row = std::get<1>(GetParam());
        scheme = QString::fromStdString(std::get<0>(GetParam()));
        ASSERT_TRUE(state.language.TekstFile_Lezen(KQM52_DATA_DIR "/", 1));
        const QString unitState = dir.filePath(QStringLiteral("unit.state"));
        QFile file(unitState);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const UnitTables before = unitBefore();
        file.write("[unit 0]\n");
        for (int p = 0; p < ParamTables::ParameterCount; ++p)
            file.write(QStringLiteral("p%1=%2\n").arg(p).arg(before.parameters[p]).toLatin1());
        for (int s = 1; s <= ParamTables::SetpointCount; ++s)
            file.write(QStringLiteral("s%1=%2\n").arg(s).arg(before.setpoints[s - 1]).toLatin1());
        file.close();
        ASSERT_TRUE(server.start(
            QStringLiteral(MX5X_SIM_PATH),
            QStringList{"--unit", "0:38400,E,8,1", "--state", unitState, "--log", logFile()} +
                row.simArgs))
            << server.error().toStdString();
        switch (row.via) {
        case Via::Server:
            address = server.address(scheme);
            break;
        case Via::Proxy:
            ASSERT_TRUE(proxy.start(QStringLiteral(NETDELAY_PATH), server.port(scheme), row.proxy))
                << proxy.error().toStdString();
            address = proxy.address(scheme);
            break;
        case Via::NobodyListening:
            address =
                QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(freeLoopbackPorts(1).at(0));
            break;
        case Via::UnknownName:
            address = scheme + QStringLiteral("://kqm52..invalid:4001");
            break;
        }
        state.portMap.setDevice(TPort::COM1, address);
        port.setPortMap(&state.portMap);
        port.SetBaudrate(TBaudrate::br38400);
        port.SetFastFraming(true);
        // As the main window shows a port that closed by itself.
        port.OnDeactivate = [this](TZRComm*) { selection.ZRComm1Deactivate(); };
        tablesBefore = {state.tables.parameters(), state.tables.setpoints()};
    }

    QString logFile() const { return dir.filePath(QStringLiteral("sim.log")); }
    // Requests the unit heard with this text, at whatever line the pty shows.
    int heard(const QString& request) const {
        QFile f(logFile());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << "no log of the unit";
        const QByteArray end = " \"" + request.toLatin1() + '"';
        int n = 0;
        for (const QByteArray& line : f.readAll().split('\n'))
            n += line.contains(" <- ") && line.endsWith(end);
        return n;
    }
    void open() {
        port.SetActive(true);
        ASSERT_TRUE(port.Active());
    }
    void receive(Mode mode) {
        QElapsedTimer t;
        t.start();
        received = transfers.receive(mode);
        elapsedMs = t.elapsed();
    }
    // The transfer window was left stopped, in red, Again offered, saying this.
    void stoppedSaying(const QString& panel) const {
        EXPECT_EQ(transfers.lastView.panelText, panel);
        EXPECT_TRUE(transfers.lastView.panelRed);
        EXPECT_TRUE(transfers.lastView.againVisible);
    }
    // The port closed itself, and the main window says why and where.
    void closedBy(int error) const {
        EXPECT_FALSE(port.Active());
        EXPECT_EQ(port.LastSystemError(), error);
        EXPECT_EQ(view.comInfo, QStringLiteral("Port error: %1 (%2)")
                                    .arg(QString::fromStdString(systemErrorText(error)), address));
    }
    QString lastBox() const {
        const auto boxes = dialogs.asked(Kind::Message);
        return boxes.empty() ? QString() : boxes.back().text;
    }

    QTemporaryDir dir;
    Ser2netServer server;
    NetDelay proxy;
    QString scheme, address;
    ProgramState state;
    MainWindow view;
    ScriptedDialogs dialogs;
    TZRComm port;
    UnitSelection selection{state, port, state.language, view, dialogs};
    UserTransfers transfers{port, state.language};
    std::pair<ParamTables::Parameters, ParamTables::Setpoints> tablesBefore;
    std::optional<UnitTables> received;
    qint64 elapsedMs = 0;
};

void PrintTo(const Param& p, std::ostream* os) {
    *os << std::get<0>(p) << ' ' << std::get<1>(p).name;
}

// The main window's Open refused: one error box, the port and its value in
// the language's words, the reason in the system's.
void openRefused(NetworkFaults& m, const QString& reason) {
    EXPECT_FALSE(m.port.Active());
    ASSERT_EQ(m.dialogs.asked(Kind::Message).size(), 1u);
    EXPECT_EQ(m.lastBox(),
              QStringLiteral("COM1 (%1) cannot be opened:\n%2").arg(m.address, reason));
}

std::vector<NetRow> networkRows() {
    std::vector<NetRow> r;
    r.push_back({"ConnectionRefused",
                 Via::NobodyListening,
                 {},
                 {},
                 [](NetworkFaults& m) { m.selection.CmdSelectUnitClick(); },
                 [](NetworkFaults& m) {
                     openRefused(m, QString::fromStdString(systemErrorText(ECONNREFUSED)));
                 }});
    r.push_back({"NameThatDoesNotResolve",
                 Via::UnknownName,
                 {},
                 {},
                 [](NetworkFaults& m) { m.selection.CmdSelectUnitClick(); },
                 [](NetworkFaults& m) {
                     // In the resolver's words, whatever it answers here.
                     // The empty label makes the resolver refuse the name
                     // itself, so no query leaves the machine.
                     addrinfo tcp{};
                     tcp.ai_socktype = SOCK_STREAM;
                     addrinfo* found = nullptr;
                     const int said = ::getaddrinfo("kqm52..invalid", "4001", &tcp, &found);
                     if (found) ::freeaddrinfo(found);
                     ASSERT_NE(said, 0);
                     openRefused(m, QString::fromLocal8Bit(::gai_strerror(said)));
                 }});
    // A server that takes the connection and never passes a byte on: each
    // request waits out its time-out, the window says so, nothing hangs.
    r.push_back({"ServerThatNeverRelays",
                 Via::Proxy,
                 {"--silent"},
                 {},
                 [](NetworkFaults& m) {
                     m.open();
                     m.receive(Mode::Setpoints);
                 },
                 [](NetworkFaults& m) {
                     EXPECT_FALSE(m.received.has_value());
                     m.stoppedSaying("No reply (time-out)");
                     EXPECT_LT(m.elapsedMs, 3000) << "the user waited for nothing";
                     // Silence is not a server gone: the port stays open.
                     EXPECT_TRUE(m.port.Active());
                 }});
    // 300 ms inside a reply is six times the silence that ends a reply: the
    // link reads "rs 5 10", which is no answer ("rs 5 1005" has its line
    // end), asks again, and takes the value whole.
    r.push_back({"PauseOf300MsInsideAReply",
                 Via::Proxy,
                 {"--hold-ms", "300", "--hold-after-text", "rs 5 10"},
                 {},
                 [](NetworkFaults& m) {
                     m.open();
                     m.receive(Mode::Setpoints);
                 },
                 [](NetworkFaults& m) {
                     ASSERT_TRUE(m.received.has_value())
                         << m.transfers.lastView.panelText.toStdString();
                     EXPECT_EQ(m.received->setpoints, unitBefore().setpoints);
                     EXPECT_EQ(m.heard("rs 5"), 2) << "the pause did not fall inside S5's reply";
                 }});
    r.push_back(
        {"ServerClosesInTheMiddleOfABackup",
         Via::Proxy,
         {"--close-after-text", "rp 100 10"}, // inside "rp 100 1000"
         {},
         [](NetworkFaults& m) {
             m.open();
             BackupRestore(m.state, m.dialogs).Backup1Click(m.transfers, 0, QDate(2026, 1, 5));
         },
         [](NetworkFaults& m) {
             m.stoppedSaying("Communication error");
             m.closedBy(ECONNRESET);
             // No file is offered, none is written.
             EXPECT_TRUE(m.dialogs.asked(Kind::SaveFile).empty());
             EXPECT_TRUE(QDir(m.dir.path()).entryList({"*.bak"}).isEmpty());
         }});
    r.push_back(
        {"ServerClosesInTheMiddleOfASend",
         Via::Proxy,
         {"--close-after-text", "ws 10 -3"}, // inside "ws 10 -310"
         {},
         [](NetworkFaults& m) {
             m.open();
             UnitTables t = unitBefore();
             t.setpoints = setpointsSent();
             m.transfers.send(Mode::Setpoints, t);
         },
         [](NetworkFaults& m) {
             EXPECT_EQ(m.transfers.lastView.panelText, "Communication error");
             EXPECT_EQ(m.transfers.lastView.stopNote,
                       "Stopped at S10: the unit confirmed 9 of 48 values.");
             m.closedBy(ECONNRESET);
         },
         [](const ParamTables::Setpoints& unit) {
             // S10 went out, its confirmation did not come back.
             for (int s = 1; s <= 48; ++s) {
                 if (s == 10) continue;
                 EXPECT_EQ(unit[std::size_t(s - 1)],
                           (s < 10 ? setpointsSent() : unitBefore().setpoints)[std::size_t(s - 1)])
                     << "S" << s;
             }
         }});
    // Bytes Telnet takes for commands reach the status bar as the unit sent
    // them: untouched on a raw line, unescaped on a Telnet one.
    r.push_back(
        {"TelnetCommandBytesInAReply",
         Via::Server,
         {},
         {"--type", "0:" + QString::fromLatin1(TypeWithIac)},
         [](NetworkFaults& m) {
             m.port.OnActivate = [&m](TZRComm*) { m.selection.ZRComm1Activate(); };
             m.selection.CmdSelectUnitClick();
             ASSERT_TRUE(waitUntil([&] { return !m.view.status[4].isEmpty(); }));
         },
         [](NetworkFaults& m) { EXPECT_EQ(m.view.status[2], QString::fromLatin1(TypeWithIac)); }});
    return r;
}

TEST_P(NetworkFaults, Holds) {
    const NetRow& row = std::get<1>(GetParam());
    row.action(*this);
    row.holds(*this);
    // Nothing a fault did reaches the program's own tables.
    EXPECT_EQ(std::pair(state.tables.parameters(), state.tables.setpoints()), tablesBefore);

    // The user goes on: closing never waits on the network; with the server
    // there the port opens and the setpoints are read whole.
    QElapsedTimer closing;
    closing.start();
    port.SetActive(false);
    EXPECT_LT(closing.elapsed(), 1000) << "closing hung";
    port.OnActivate = nullptr;
    state.portMap.setDevice(TPort::COM1, server.address(scheme));
    port.SetActive(true);
    const std::optional<UnitTables> after = transfers.receive(Mode::Setpoints);
    ASSERT_TRUE(after.has_value()) << "the link did not recover";
    if (row.unitAfter)
        row.unitAfter(after->setpoints);
    else
        EXPECT_EQ(after->setpoints, unitBefore().setpoints);
}

// Each scheme the program opens a bus behind a device server with.
const std::string Schemes[] = {"tcp", "rfc2217"};

INSTANTIATE_TEST_SUITE_P(Network, NetworkFaults,
                         ::testing::Combine(::testing::ValuesIn(Schemes),
                                            ::testing::ValuesIn(networkRows())),
                         [](const auto& info) {
                             return std::get<0>(info.param) + "_" + std::get<1>(info.param).name;
                         });

} // namespace

namespace {

// What a unit says to one request through a driver, within a second.
std::string askThrough(SerialDriver& driver, const QString& request) {
    const QByteArray bytes = (request + QLatin1Char('\r')).toLatin1();
    int written = 0;
    driver.purge();
    if (driver.write(reinterpret_cast<const std::uint8_t*>(bytes.constData()), int(bytes.size()),
                     written))
        return "write failed";
    driver.setReadTimeout(1000);
    std::string reply;
    std::uint8_t b = 0;
    bool got = false;
    while (driver.readByte(b, got) == 0 && got) {
        reply += char(b);
        driver.setReadTimeout(100);
    }
    return reply;
}

} // namespace

// The speed the tool asks for over RFC 2217 reaches the line: a unit at
// 19200 bit/s, behind ser2net set to 38400, answers only when the tool sets
// the remote line; the raw port cannot set it and gets no answer.
TEST(NetworkLine, Rfc2217SetsTheRemoteLineAndRawTcpLeavesItAsTheServerHasIt) {
    if (!ser2netInstalled()) GTEST_SKIP() << "ser2net is not installed";
    Ser2netServer server;
    ASSERT_TRUE(server.start(QStringLiteral(MX5X_SIM_PATH), {"--unit", "0:19200,E,8,1"}))
        << server.error().toStdString();
    const LineState at19200{19200, 8, DriverParity::Even, 1};
    for (const char* scheme : {"rfc2217", "tcp"}) {
        std::unique_ptr<SerialDriver> driver =
            PortMap()
                .familyOf(server.address(QString::fromLatin1(scheme)))
                ->make(server.address(QString::fromLatin1(scheme)));
        ASSERT_EQ(driver->open(server.address(QString::fromLatin1(scheme)).toStdString()), 0);
        EXPECT_EQ(driver->setLineState(at19200), 0);
        askThrough(*driver, unit::selectUnit(0));
        const std::string reply = askThrough(*driver, unit::readType());
        if (std::string(scheme) == "rfc2217") {
            EXPECT_FALSE(driver->lineSetAtServer());
            EXPECT_NE(reply.find("MX5"), std::string::npos) << reply;
        } else {
            EXPECT_TRUE(driver->lineSetAtServer());
            EXPECT_EQ(reply, "") << "a unit at another speed answered";
        }
        driver->close();
        // ser2net lets the pty go a moment after the client has gone, and
        // turns away who comes before.
        QThread::msleep(500);
    }
}
