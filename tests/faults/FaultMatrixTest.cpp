// The fault matrix: one row per thing that goes wrong in a service engineer's
// day (the cable, the converter, the unit, the disk), each with what the
// user, the unit and the files must show afterwards.  Every row runs on the
// simulated bus and its virtual clock (a pty only where only the real driver
// shows it), and every link row ends with the fault gone and a normal request
// answered, the way the user goes on.

#include "../params/RecordingEditView.h"
#include "UserTransfers.h"
#include "sim/SimLinkFixture.h"
#include "support/FileSizeLimit.h"
#include "support/PtyPeer.h"
#include "support/QtPrinting.h"

#include "inifile/IniFile.h"
#include "inifile/SaveFile.h"
#include "link/UnitProtocol.h"
#include "model/engines/ProgramState.h"
#include "model/files/ParameterFile.h"
#include "model/files/SetpointFile.h"
#include "model/files/SettingsFile.h"
#include "params/EditParamLogic.h"
#include "shell/BackupRestore.h"
#include "shell/SecondaryWindows.h"
#include "ui/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

using Button = Dialogs::Button;
using Kind = ScriptedDialogs::Kind;
using Status = TableTransfer::Status;
using Mode = TableTransfer::Mode;
constexpr int LongWaitMs = RequestLimitMs - 1000;

const QString kLanguage = QStringLiteral(
    "[BackupRestore]\nOpenFilter=Backup (*.bak)|*.bak\nMsg_waarschuwingCaption=Let op\n"
    "Msg_waarschuwingRestore_1=Overwrite the unit with\nMsg_waarschuwingRestore_2=Go on?\n");

bool camFunction(int p) {
    return p >= 256 && p <= 279;
}

// What the unit holds before a row, and the backup a restore sends: cams
// off, so "bp" has nothing to complain about.
UnitTables unitBefore() {
    UnitTables t;
    for (int p = 0; p < 400; ++p)
        t.parameters[std::size_t(p)] = camFunction(p) ? 0 : p;
    for (int s = 1; s <= 48; ++s)
        t.setpoints[std::size_t(s - 1)] = 100 + s;
    return t;
}
UnitTables backup() {
    UnitTables t;
    for (int p = 0; p < 400; ++p)
        t.parameters[std::size_t(p)] = camFunction(p) ? 0 : 5000 + p;
    for (int s = 1; s <= 48; ++s)
        t.setpoints[std::size_t(s - 1)] = -300 - s;
    return t;
}

using EditorView = test::RecordingEditView;

// How the user gets the line back after a row.
enum class Recovery {
    None,       // a file row: nothing on the line
    ClearFault, // the fault ends; the port stayed open
    Reopen,     // the converter is back; the user opens the port again
    Own,        // the row recovers by itself (its own port)
};

class FaultMatrix;
struct Row;
void PrintTo(const Row& row, std::ostream* os);

struct Row {
    std::string name;
    std::function<void(FaultMatrix&)> setup;  // the fault
    std::function<void(FaultMatrix&)> action; // what the user does
    std::function<void(FaultMatrix&)> holds;  // what must be true afterwards
    Recovery recovery = Recovery::ClearFault;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

class FaultMatrix : public SimLinkFixture, public ::testing::WithParamInterface<Row> {
  public:
    using SimLinkFixture::ask;
    using SimLinkFixture::bus;
    using SimLinkFixture::clock_;
    using SimLinkFixture::map;
    using SimLinkFixture::now;
    using SimLinkFixture::port;

    FaultMatrix() : state(dir.path() + '/'), transfers(port) {
        SimUnit& unit = bus->addUnit(0, lineOf(38400));
        const UnitTables before = unitBefore();
        for (int p = 0; p < 400; ++p)
            unit.forceParameter(p, before.parameters[std::size_t(p)]);
        for (int s = 1; s <= 48; ++s)
            unit.setSetpoint(s, before.setpoints[std::size_t(s - 1)]);
        state.language.loadFromText(kLanguage);
        state.settings.DialogPath = dir.path();
        for (int p = 0; p < 400; ++p)
            state.tables.setParameter(p, 7 * p);
        programTablesBefore = tablesOf(state);
        port.SetActive(true);
    }

    static std::pair<ParamTables::Parameters, ParamTables::Setpoints>
    tablesOf(const ProgramState& s) {
        return {s.tables.parameters(), s.tables.setpoints()};
    }
    UnitTables unitNow() {
        return bus->withUnit(0, [](SimUnit& u) {
            UnitTables t;
            for (int p = 0; p < 400; ++p)
                t.parameters[std::size_t(p)] = u.parameter(p);
            for (int s = 1; s <= 48; ++s)
                t.setpoints[std::size_t(s - 1)] = u.setpoint(s);
            return t;
        });
    }
    void faults(const SimFaults& f) { bus->setFaults(0, f); }
    // Switches the fault on when the panel first names this item.
    void faultAt(const QString& panel, const SimFaults& f) {
        transfers.watch = [this, panel, f, fired = false](const QString& shown) mutable {
            if (!fired && shown == panel) {
                fired = true;
                faults(f);
            }
        };
    }
    // The user takes a moment before the next step: whatever was still on
    // its way on the line has arrived and is thrown away with the next request.
    void userPause() { clock_->advanceTo(now() + SimNanos(2) * 1000000000); }
    // The converter back in (the fault gone with it).
    void plugIn() {
        faults({});
        bus->setPlugged(true);
    }
    // ... and the port opened again, as the user does it.
    void plugBackIn() {
        plugIn();
        if (!port.Active()) port.SetActive(true);
    }
    QString writeBackup() {
        const QString path = dir.filePath(QStringLiteral("unit7.bak"));
        EXPECT_TRUE(BackupFile::write(path, backup()).isEmpty());
        return path;
    }
    // The restore from the main window's menu with the user's answers: the
    // file, Yes to the question, then `afterStop` to the offer to send again.
    void restore(Button afterStop) {
        dialogs.answerOpenFile(writeBackup());
        dialogs.answerMessage(Button::Yes);
        dialogs.answerMessage(afterStop);
        BackupRestore(state, dialogs).Restore1Click(transfers, 0);
    }
    std::vector<ScriptedDialogs::Asked> boxes() const { return dialogs.asked(Kind::Message); }
    QString lastBox() const { return boxes().empty() ? QString() : boxes().back().text; }

    // The files of a write row: the one that was there, and what the folder holds.
    QString oldFile;
    QByteArray oldBytes;
    QStringList folderBefore;
    QString writeError;

    QTemporaryDir dir;
    ProgramState state;
    ScriptedDialogs dialogs;
    test::UserTransfers transfers;
    std::pair<ParamTables::Parameters, ParamTables::Setpoints> programTablesBefore;
    std::optional<UnitTables> received;
    Outcome first, second;
};

// ---- the disk ------------------------------------------------------------

using Writer = std::function<QString(FaultMatrix&, const QString& path)>; // the error, or empty

QString writeSettings(FaultMatrix& m, const QString& path) {
    QString error;
    int unitNo = 7;
    if (SettingsFile::write(path, m.port, unitNo, m.state.settings, m.map, &error)) return {};
    return error.isEmpty() ? QStringLiteral("failed without a reason") : error;
}
QString writeParameters(FaultMatrix& m, const QString& path) {
    return ParameterFile::write(path, m.state.tables.parameters(), 7);
}
QString writeSetpoints(FaultMatrix& m, const QString& path) {
    return SetpointFile::write(path, m.state.tables.setpoints(), 7);
}
QString writeBackupFile(FaultMatrix&, const QString& path) {
    return BackupFile::write(path, backup());
}
QString writeCsv(FaultMatrix&, const QString& path) {
    QByteArray csv = "Tijd;Waarde\n";
    for (int i = 0; i < 200; ++i)
        csv += QByteArray::number(i * 10) + ';' + QByteArray::number(i * i) + '\n';
    QString error;
    return saveFile(path, csv, &error) ? QString() : error;
}

QStringList listing(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A file that was there before the failed write, and the folder's listing.
void keepOldFile(FaultMatrix& m, const QString& name) {
    m.oldFile = m.dir.filePath(name);
    m.oldBytes = QByteArray("the file as it was before\r\n");
    QFile f(m.oldFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(m.oldBytes);
    f.close();
    m.folderBefore = listing(m.dir.path());
}

// The old file as it was, and nothing left beside it.
void oldFileKept(FaultMatrix& m, const QString& file) {
    ::chmod(QFile::encodeName(m.dir.path()).constData(), 0755);
    QFile f(m.dir.filePath(file));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), m.oldBytes) << "the old file was damaged";
    EXPECT_EQ(listing(m.dir.path()), m.folderBefore) << "a temporary file was left";
}

Row diskFull(const QString& kind, const QString& file, Writer write) {
    return {"DiskFull" + kind.toStdString(), [file](FaultMatrix& m) { keepOldFile(m, file); },
            [write](FaultMatrix& m) {
                // A full disk: no file may grow past a few bytes.
                test::FileSizeLimit full(64);
                m.writeError = write(m, m.oldFile);
            },
            [file](FaultMatrix& m) { oldFileKept(m, file); }, Recovery::None};
}

// A folder the program may not write in.  chmod stops everyone but root; for
// root (a test container) the target's "folder" is a regular file, which
// stops root as well.
Row readOnly(const QString& kind, const QString& file, Writer write) {
    return {"ReadOnly" + kind.toStdString(),
            [file](FaultMatrix& m) {
                keepOldFile(m, file);
                if (::geteuid() == 0)
                    m.oldFile += '/' + file; // the old file stands where the folder would be
                else
                    ::chmod(QFile::encodeName(m.dir.path()).constData(), 0555);
            },
            [write](FaultMatrix& m) { m.writeError = write(m, m.oldFile); },
            [file](FaultMatrix& m) { oldFileKept(m, file); }, Recovery::None};
}

// ---- the rows ------------------------------------------------------------

// The settings read from a file, as the program would write them back.
QString settingsAsRead(const QString& path) {
    TZRComm port;
    ProgramSettings settings;
    PortMap ports;
    int unitNo = 5;
    SettingsFile::read(path, port, unitNo, settings, ports);
    IniFile written;
    SettingsFile::write(written, port, unitNo, settings, ports);
    return written.toText();
}

using Step = std::function<void(FaultMatrix&)>;

QString refusedNote(const char* item, int confirmed, int total) {
    return QStringLiteral("Stopped at %1: the unit confirmed %2 of %3 values.")
        .arg(QLatin1String(item))
        .arg(confirmed)
        .arg(total);
}

Step fault(SimFaults f) {
    return [f](FaultMatrix& m) { m.faults(f); };
}
Step faultAt(const char* panel, SimFaults f) {
    return [panel, f](FaultMatrix& m) { m.faultAt(QLatin1String(panel), f); };
}
Step receive(Mode mode) {
    return [mode](FaultMatrix& m) { m.received = m.transfers.receive(mode); };
}
Step send(Mode mode) {
    return [mode](FaultMatrix& m) { m.transfers.send(mode, backup()); };
}
void restoreNo(FaultMatrix& m) {
    m.restore(Button::No);
}

// The receive ended without OK, in red with Again offered, on this panel
// (null: any panel).
Step receiveRefused(const char* panel = nullptr) {
    return [panel](FaultMatrix& m) {
        EXPECT_FALSE(m.received.has_value());
        if (panel) {
            EXPECT_EQ(m.transfers.lastView.panelText, QLatin1String(panel));
        }
        EXPECT_TRUE(m.transfers.lastView.panelRed);
        EXPECT_TRUE(m.transfers.lastView.againVisible);
    };
}
// Every setpoint arrived as the unit holds it.
void receivedWhole(FaultMatrix& m) {
    ASSERT_TRUE(m.received.has_value());
    EXPECT_EQ(m.received->setpoints, unitBefore().setpoints);
}
// The send stopped on this panel and says how far the unit got.
void expectSendStop(FaultMatrix& m, const char* panel, const QString& note) {
    EXPECT_EQ(m.transfers.lastView.panelText, QLatin1String(panel));
    EXPECT_EQ(m.transfers.lastView.stopNote, note);
}

// The unit: silent, late, garbled or refusing, on a sound line.
std::vector<Row> unitRows() {
    std::vector<Row> r;
    r.push_back(
        {"NoAnswer", fault({.noAnswer = true}), receive(Mode::Parameters), [](FaultMatrix& m) {
             receiveRefused("tekst 0")(m);
             EXPECT_GE(m.now(), SimNanos(1000000000)) << "gave up before the reply was due";
         }});
    r.push_back({"LateAnswerToAWrite",
                 // Later than a write waits (100 ms): the link's tries end in no reply.
                 fault({.lateMs = 150}), send(Mode::Setpoints), [](FaultMatrix& m) {
                     expectSendStop(m, "tekst 0", refusedNote("S01", 0, 48));
                     const UnitTables unit = m.unitNow();
                     for (int s = 1; s < 48; ++s)
                         EXPECT_EQ(unit.setpoints[std::size_t(s)],
                                   unitBefore().setpoints[std::size_t(s)]);
                 }});
    r.push_back({"LateAnswerIsLetGoBeforeTheNextRequest", fault({.lateMs = 150}),
                 [](FaultMatrix& m) {
                     m.first = m.ask(QStringLiteral("rp 1"), 100);
                     m.faults({});
                     m.second = m.ask(QStringLiteral("rp 2"), 100);
                 },
                 [](FaultMatrix& m) {
                     // "rp 1 1" comes after its time-out; "rp 2" goes out once
                     // the line has fallen silent, and reads its own answer.
                     EXPECT_EQ(m.first.error.Code, CommCode::Timeout);
                     EXPECT_EQ(m.second.data, QByteArray("rp 2 2\r\n"));
                 }});
    r.push_back(
        {"GarbledReplies", fault({.garbled = true}), receive(Mode::Setpoints), [](FaultMatrix& m) {
             receiveRefused()(m);
             EXPECT_TRUE(m.transfers.lastView.panelText.startsWith("tekst 7 rs "));
             EXPECT_TRUE(m.transfers.lastView.panelText.endsWith("   S[001]"));
         }});
    r.push_back({"WrongWordOnceIsRetried", fault({.wrongWord = SimFaults::WrongWord::Once}),
                 receive(Mode::Setpoints), receivedWhole});
    r.push_back({"WrongWordAlwaysStopsTheSend", fault({.wrongWord = SimFaults::WrongWord::Always}),
                 send(Mode::Setpoints), [](FaultMatrix& m) {
                     expectSendStop(m, "tekst 7 wt 1   S[001]", refusedNote("S01", 0, 48));
                 }});
    r.push_back({"RefusedWriteInAWholeUnitSend", faultAt("tekst 4 20", {.refuseWrites = true}),
                 send(Mode::Device), [](FaultMatrix& m) {
                     expectSendStop(m, "(er 7) tekst 9", refusedNote("S20", 419, 448));
                     EXPECT_EQ(m.unitNow().setpoints[18], backup().setpoints[18]);
                     EXPECT_EQ(m.unitNow().setpoints[19], unitBefore().setpoints[19]);
                 }});
    r.push_back({"RefusedWriteInARestore", faultAt("tekst 2 123", {.refuseWrites = true}),
                 restoreNo, [](FaultMatrix& m) {
                     ASSERT_EQ(m.boxes().size(), 2u);
                     const QString box = m.lastBox();
                     EXPECT_TRUE(box.contains(
                         QDir::toNativeSeparators(m.dir.filePath(QStringLiteral("unit7.bak")))));
                     EXPECT_TRUE(box.contains(refusedNote("P123", 123, 448))) << box.toStdString();
                     // Sent again it would be refused again: named, not offered.
                     EXPECT_TRUE(box.contains("The unit refused P123")) << box.toStdString();
                     EXPECT_FALSE(box.contains("once the line is back"));
                     EXPECT_EQ(m.boxes().back().icon, Dialogs::Icon::Critical);
                     EXPECT_EQ(m.transfers.sends, 1) << "nothing more is sent";
                     const UnitTables unit = m.unitNow();
                     EXPECT_EQ(unit.parameters[122], backup().parameters[122]);
                     EXPECT_EQ(unit.parameters[123], unitBefore().parameters[123]);
                     EXPECT_EQ(unit.setpoints, unitBefore().setpoints);
                 }});
    r.push_back({"FailedComputeIsNotReportedAsDone", fault({.failBp = true}),
                 send(Mode::Parameters), [](FaultMatrix& m) {
                     EXPECT_EQ(m.transfers.lastView.panelText, "tekst 10 -2 tekst 11");
                     EXPECT_TRUE(m.transfers.lastView.panelRed);
                     EXPECT_EQ(m.unitNow().parameters, backup().parameters);
                 }});
    r.push_back({"ComputeNotAnswered", faultAt("Bereken parameters", {.noAnswer = true}),
                 send(Mode::Parameters), [](FaultMatrix& m) {
                     expectSendStop(m, "tekst 0",
                                    "All 400 values were written, but the unit has not "
                                    "confirmed recomputing its parameters (\"bp\").");
                     EXPECT_EQ(m.unitNow().parameters, backup().parameters);
                 }});
    r.push_back({"ComputeNotAnsweredInARestore", faultAt("Bereken parameters", {.noAnswer = true}),
                 restoreNo, [](FaultMatrix& m) {
                     // Every value arrived: no talk of a unit holding a mix.
                     const QString box = m.lastBox();
                     EXPECT_TRUE(box.contains("All 448 values were written")) << box.toStdString();
                     EXPECT_TRUE(box.endsWith("Send them again once the line is back, so that the "
                                              "unit recomputes its parameters?"));
                     EXPECT_EQ(m.unitNow(), backup());
                 }});
    return r;
}

// The line: pauses, chatter, wrong speed, a converter pulled out and back.
std::vector<Row> linkRows() {
    std::vector<Row> r;
    r.push_back({"PauseInsideAReplyShorterThanTheSilence", fault({.pauseMs = 20}),
                 receive(Mode::Setpoints), receivedWhole});
    // Half a reply is not a value: stopped, nothing taken.
    r.push_back({"PauseInsideAReplyLongerThanTheSilence", fault({.pauseMs = 300}),
                 receive(Mode::Setpoints), receiveRefused()});
    r.push_back({"OverlongReply", fault({.longReply = true}), receive(Mode::Setpoints),
                 receiveRefused("tekst 7 rs 1   S[001]")});
    r.push_back({"LineThatNeverFallsSilent", fault({.chatterBytes = 8000}),
                 receive(Mode::Setpoints), [](FaultMatrix& m) {
                     receiveRefused("tekst 1")(m);
                     EXPECT_LT(m.now(), SimNanos(30) * 1000000000) << "the link never gave up";
                 }});
    // A byte every 10 ms never lets the reply end and fills no byte budget
    // soon: the request ends ten seconds after it went out, with the line
    // error, and the drip has run out by the time the user goes on.
    r.push_back({"LineThatDripsSlowly", fault({.dripMs = 10}), receive(Mode::Setpoints),
                 [](FaultMatrix& m) {
                     receiveRefused("tekst 1")(m);
                     EXPECT_LE(m.now(), simMs(10001)) << "the request outlived its ten seconds";
                     m.clock_->advanceTo(m.now() + simMs(60000));
                 }});
    r.push_back({"NulAnd0xFFInAReply", fault({.noise = QByteArray("\0\xff", 2)}),
                 receive(Mode::Setpoints), [](FaultMatrix& m) {
                     receiveRefused()(m);
                     EXPECT_TRUE(m.transfers.lastView.panelText.endsWith("   S[001]"));
                 }});
    r.push_back({"WrongSpeed",
                 [](FaultMatrix& m) {
                     m.port.SetActive(false);
                     m.port.SetBaudrate(TBaudrate::br9600);
                     m.port.SetActive(true);
                 },
                 receive(Mode::Parameters),
                 [](FaultMatrix& m) {
                     receiveRefused()(m);
                     // The user sets the unit's speed again.
                     m.port.SetActive(false);
                     m.port.SetBaudrate(TBaudrate::br38400);
                     m.port.SetActive(true);
                 }});
    r.push_back({"UnpluggedDuringAReceive", faultAt("tekst 2 100", {.vanish = true}),
                 receive(Mode::Parameters),
                 [](FaultMatrix& m) {
                     receiveRefused("tekst 1")(m);
                     EXPECT_FALSE(m.port.Active());
                     EXPECT_EQ(m.port.LastSystemError(), EIO);
                 },
                 Recovery::Reopen});
    r.push_back({"UnpluggedDuringASendFromTheEditor",
                 [](FaultMatrix& m) {
                     m.state.tables.replaceParameters(backup().parameters, ParameterSource::File);
                     m.state.tables.parametersSentNotLoaded = true;
                     m.programTablesBefore = FaultMatrix::tablesOf(m.state);
                     m.faultAt("tekst 2 200", {.vanish = true});
                     // The user plugs the converter back in before saying Yes.
                     m.transfers.beforeSend = [&m](int n) {
                         EXPECT_EQ(m.state.tables.parametersSentNotLoaded, true);
                         if (n == 2) m.plugIn();
                     };
                     m.dialogs.answerMessage(Button::Yes);
                 },
                 [](FaultMatrix& m) {
                     EditorView view;
                     EditParamLogic editor(m.state, view, m.dialogs);
                     editor.hooks.sendParameters = [&m](const ParamTables::Parameters& v) {
                         UnitTables t;
                         t.parameters = v;
                         return m.transfers.send(Mode::Parameters, t);
                     };
                     editor.ParametersZendenClick();
                 },
                 [](FaultMatrix& m) {
                     ASSERT_EQ(m.boxes().size(), 1u);
                     EXPECT_TRUE(m.lastBox().startsWith(refusedNote("P200", 200, 400)));
                     EXPECT_EQ(m.transfers.sends, 2);
                     EXPECT_EQ(m.unitNow().parameters, backup().parameters);
                     EXPECT_FALSE(m.state.tables.parametersSentNotLoaded);
                     EXPECT_EQ(m.state.tables.parameterSource, ParameterSource::File);
                 }});
    r.push_back({"UnpluggedDuringARestore", faultAt("tekst 4 10", {.vanish = true}), restoreNo,
                 [](FaultMatrix& m) {
                     EXPECT_TRUE(m.lastBox().contains(refusedNote("S10", 409, 448)));
                     const UnitTables unit = m.unitNow();
                     EXPECT_EQ(unit.parameters, backup().parameters);
                     EXPECT_EQ(unit.setpoints[8], backup().setpoints[8]);
                     EXPECT_EQ(unit.setpoints[47], unitBefore().setpoints[47]);
                     EXPECT_FALSE(m.port.Active());
                 },
                 Recovery::Reopen});
    r.push_back({"RestoreSentAgainOnceTheLineIsBack",
                 [](FaultMatrix& m) {
                     m.faultAt("tekst 2 300", {.vanish = true});
                     m.transfers.beforeSend = [&m](int n) {
                         if (n == 2) m.plugIn();
                     };
                 },
                 [](FaultMatrix& m) { m.restore(Button::Yes); },
                 [](FaultMatrix& m) {
                     EXPECT_EQ(m.transfers.sends, 2);
                     EXPECT_EQ(m.unitNow(), backup());
                     EXPECT_EQ(m.transfers.lastView.panelText, "tekst 8");
                     EXPECT_EQ(m.boxes().size(), 2u) << "no question after the complete send";
                     EXPECT_EQ(FaultMatrix::tablesOf(m.state), m.programTablesBefore);
                 }});
    r.push_back({"AgainOnceTheConverterIsBack",
                 [](FaultMatrix& m) {
                     m.faultAt("tekst 4 30", {.vanish = true});
                     m.transfers.again = [&m] {
                         EXPECT_FALSE(m.port.Active());
                         m.plugIn();
                         return true;
                     };
                 },
                 send(Mode::Device),
                 [](FaultMatrix& m) {
                     EXPECT_EQ(m.transfers.lastView.panelText, "tekst 8");
                     EXPECT_TRUE(m.transfers.lastView.stopNote.isEmpty());
                     EXPECT_EQ(m.unitNow(), backup());
                 }});
    r.push_back({"AgainWhileTheConverterIsStillOut",
                 [](FaultMatrix& m) {
                     m.faultAt("tekst 2 7", {.vanish = true});
                     m.transfers.again = [] { return true; };
                 },
                 send(Mode::Parameters),
                 [](FaultMatrix& m) {
                     EXPECT_EQ(m.transfers.lastView.panelText, "tekst 1");
                     EXPECT_EQ(m.transfers.lastView.stopNote, refusedNote("P000", 0, 400));
                     EXPECT_FALSE(m.port.Active());
                 },
                 Recovery::Reopen});
    r.push_back({"CancelDuringARestore",
                 [](FaultMatrix& m) { m.transfers.cancelAt = QStringLiteral("tekst 2 50"); },
                 restoreNo,
                 [](FaultMatrix& m) {
                     EXPECT_TRUE(m.lastBox().contains(refusedNote("P050", 50, 448)));
                     const UnitTables unit = m.unitNow();
                     EXPECT_EQ(unit.parameters[49], backup().parameters[49]);
                     EXPECT_EQ(unit.parameters[51], unitBefore().parameters[51]);
                     EXPECT_EQ(m.transfers.sends, 1);
                 }});
    r.push_back({"DeviceBackAfterAnUnplug", fault({.vanish = true}),
                 [](FaultMatrix& m) { m.first = m.ask(QStringLiteral("rp 3")); },
                 [](FaultMatrix& m) {
                     EXPECT_EQ(m.first.error.Code, CommCode::DriverFailed);
                     EXPECT_FALSE(m.port.Active());
                     // Still out: opening says so and leaves the port closed.
                     EXPECT_THROW(m.port.SetActive(true), ECommHandleError);
                     EXPECT_FALSE(m.port.Active());
                 },
                 Recovery::Reopen});
    r.push_back(
        {"UnpluggedDuringClose", nullptr,
         [](FaultMatrix&) {
             // Only the real driver hangs up on a pulled converter.
             test::PtyPeer peer;
             PortMap ptyMap;
             ptyMap.setDevice(TPort::COM1, peer.slavePath());
             TZRComm pty;
             pty.setPortMap(&ptyMap);
             peer.serve([](const QByteArray&) { return QByteArray(); });
             pty.SetActive(true);
             TRQ500Protocol c;
             // A first-byte wait near the longest a request may take: only
             // waiting it out, not a slow machine, reaches half of it.
             c.setUpForDevice(LongWaitMs);
             c.SetZRComm(&pty);
             int outcomes = 0;
             c.OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) { ++outcomes; };
             c.OnCommError = [&](TZRProtocolComponent*, const TCommError&, const QByteArray&) {
                 ++outcomes;
             };
             c.SetASCIIProtocol(QStringLiteral("rp 1"));
             c.Send();
             ASSERT_TRUE(waitUntil([&] { return peer.linesSeen() == 1; }));
             QElapsedTimer t;
             t.start();
             std::thread pull([&] { peer.unplug(); });
             pty.SetActive(false);
             pull.join();
             EXPECT_LT(t.elapsed(), LongWaitMs / 2) << "closing hung on the pulled converter";
             EXPECT_FALSE(pty.Active());
             QCoreApplication::processEvents();
             EXPECT_LE(outcomes, 1);

             // The converter in again (a new device): the port opens and works.
             test::PtyPeer back;
             ptyMap.setDevice(TPort::COM1, back.slavePath());
             back.serve([](const QByteArray& line) { return line + " 42\r\n"; });
             pty.SetActive(true);
             std::optional<QByteArray> reply;
             c.OnCommResult = [&](TZRProtocolComponent*, const QByteArray& r) { reply = r; };
             c.Send();
             ASSERT_TRUE(waitUntil([&] { return reply.has_value(); }));
             EXPECT_EQ(*reply, "rp 1 42\r\n");
             pty.SetActive(false);
         },
         [](FaultMatrix&) {}, Recovery::Own});

    return r;
}

// The disk: junk to read, no room or no right to write.
std::vector<Row> diskRows() {
    std::vector<Row> r;
    r.push_back({"JunkSettingsFileIsReadAsDefaults",
                 [](FaultMatrix& m) {
                     m.oldFile = m.dir.filePath(QStringLiteral("application.ini"));
                     QByteArray junk(256 * 1024, '\0');
                     for (qsizetype i = 0; i < junk.size(); ++i)
                         junk[i] = char((i * 7919 + 13) % 256);
                     QFile f(m.oldFile);
                     ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                     f.write(junk);
                 },
                 [](FaultMatrix& m) { m.first.data = settingsAsRead(m.oldFile).toUtf8(); },
                 [](FaultMatrix& m) {
                     // Nothing readable in it: the settings a file without keys gives.
                     const QString empty = m.dir.filePath(QStringLiteral("empty.ini"));
                     QFile(empty).open(QIODevice::WriteOnly);
                     EXPECT_EQ(m.first.data, settingsAsRead(empty).toUtf8());
                 }});
    const std::tuple<const char*, const char*, Writer> files[] = {
        {"Settings", "application.ini", writeSettings},
        {"ParameterFile", "unit7.mxp", writeParameters},
        {"SetpointFile", "unit7.mxs", writeSetpoints},
        {"BackupFile", "unit7.bak", writeBackupFile},
        {"CsvExport", "graph.csv", writeCsv}};
    for (const auto& [kind, file, write] : files) {
        r.push_back(diskFull(QLatin1String(kind), QLatin1String(file), write));
        r.push_back(readOnly(QLatin1String(kind), QLatin1String(file), write));
    }
    return r;
}

TEST_P(FaultMatrix, Holds) {
    const Row& row = GetParam();
    if (row.setup) row.setup(*this);
    // On the line's own clock, so that a loaded machine cannot fail it: the
    // slowest row (a whole restore sent again after the converter is back)
    // takes under a minute; a link that retries for ever never ends.
    const SimNanos start = now();
    row.action(*this);
    EXPECT_LT(now() - start, simMs(120000)) << "the user would still be waiting";
    row.holds(*this);

    if (row.recovery == Recovery::None) {
        // A failed write is never reported as done: it names the file and why.
        const QString file = QDir::toNativeSeparators(oldFile) + QStringLiteral(": ");
        EXPECT_TRUE(writeError.startsWith(file)) << writeError.toStdString();
        EXPECT_GT(writeError.trimmed().size(), file.size()) << "no reason given";
        return;
    }
    // Nothing a fault did reaches the program's own tables.
    EXPECT_EQ(tablesOf(state), programTablesBefore);
    if (row.recovery == Recovery::Own) return;
    // The fault ends; the next normal request is answered with its own reply.
    faults({});
    userPause();
    if (row.recovery == Recovery::Reopen) plugBackIn();
    ASSERT_TRUE(port.Active());
    const Outcome after = ask(QStringLiteral("rs 2"), 100);
    EXPECT_TRUE(after.ok) << "the link did not recover";
    EXPECT_EQ(after.data, "rs 2 " + QByteArray::number(unitNow().setpoints[1]) + "\r\n");
}

const auto rowName = [](const auto& info) { return info.param.name; };
INSTANTIATE_TEST_SUITE_P(Unit, FaultMatrix, ::testing::ValuesIn(unitRows()), rowName);
INSTANTIATE_TEST_SUITE_P(Link, FaultMatrix, ::testing::ValuesIn(linkRows()), rowName);
INSTANTIATE_TEST_SUITE_P(Disk, FaultMatrix, ::testing::ValuesIn(diskRows()), rowName);

} // namespace
