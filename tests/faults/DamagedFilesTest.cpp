// Every kind of file the program opens, damaged the ways files get damaged:
// cut short, grown far past its size, overwritten with junk, or a device that
// never ends.  The file must be refused with a reason the window can show,
// quickly, and nothing half-read may reach a table or a unit.

#include "../params/RecordingEditView.h"
#include "support/BytesRead.h"
#include "support/QtPrinting.h"

#include "dialogs/ErrorHelp.h"
#include "link/ZRComm.h"
#include "model/engines/GraphRecording.h"
#include "model/engines/ProgramState.h"
#include "model/files/BackupFile.h"
#include "model/files/ParameterFile.h"
#include "model/files/SetpointFile.h"
#include "model/files/SettingsFile.h"
#include "params/EditParamLogic.h"
#include "params/ParameterPrintout.h"
#include "setpoints/SetpointEditor.h"
#include "shell/BackupRestore.h"
#include "shell/SecondaryWindows.h"
#include "sim/SimStateFile.h"
#include "ui/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kqm52;

namespace {

// One way a file gets damaged; none: the path is a device that never ends.
struct Damage {
    const char* name;
    QByteArray (*apply)(const QByteArray& good);
};

QByteArray junk(const QByteArray& good) {
    QByteArray bytes(good.size(), '\0');
    QRandomGenerator rng(17);
    for (char& c : bytes)
        c = char(rng.bounded(256));
    return bytes;
}

const Damage damages[] = {
    {"Empty", [](const QByteArray&) { return QByteArray(); }},
    {"CutInHalf", [](const QByteArray& g) { return g.left(g.size() / 2); }},
    {"LastLineCut", [](const QByteArray& g) { return g.chopped(3); }},
    {"Oversized", [](const QByteArray& g) { return g + QByteArray(8 << 20, 'x'); }}, // 8 MB
    {"BinaryJunk", junk},
    {"NulBytes", [](const QByteArray& g) { return QByteArray(g.size(), '\0'); }},
    {"EndlessDevice", nullptr},
};

// One kind of file: a good one, and the key of the message the window shows
// when the program refuses it from disk (empty: taken).
struct Kind {
    const char* name;
    QByteArray (*good)();
    QString (*refusal)(const QString& path);
};

const Kind kinds[] = {
    {"ParameterFile", [] { return ParameterFile::toBytes({}, 1); },
     [](const QString& p) { return ParameterFile::read(p).problem.messageKey; }},
    {"SetpointFile", [] { return SetpointFile::toBytes({}, 1); },
     [](const QString& p) { return SetpointFile::read(p).problem.messageKey; }},
    {"BackupFile", [] { return BackupFile::toBytes({}); },
     [](const QString& p) { return BackupFile::read(p).problem.messageKey; }},
};

class DamagedFiles : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(DamagedFiles, AreRefusedWithAReasonAndQuickly) {
    const Kind& kind = kinds[std::get<0>(GetParam())];
    const Damage& damage = damages[std::get<1>(GetParam())];
    QTemporaryDir dir;
    QString path = QStringLiteral("/dev/zero");
    if (damage.apply) {
        path = dir.filePath(QStringLiteral("file"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damage.apply(kind.good()));
    }
    const qint64 before = test::bytesReadSoFar();
    ASSERT_GE(before, 0) << "the kernel does not count what this process reads";
    EXPECT_FALSE(kind.refusal(path).trimmed().isEmpty()) << "taken or refused without a reason";
    EXPECT_LT(test::bytesReadSoFar() - before, test::RefusalReadBudget)
        << "read what it refuses: the window would freeze on an endless one";
}

INSTANTIATE_TEST_SUITE_P(EachKind, DamagedFiles,
                         ::testing::Combine(::testing::Range(0, int(std::size(kinds))),
                                            ::testing::Range(0, int(std::size(damages)))),
                         [](const auto& info) {
                             return std::string(kinds[std::get<0>(info.param)].name) + "_" +
                                    damages[std::get<1>(info.param)].name;
                         });

// The simulator's state file is edited by hand: damage must not change the
// units, and a file that never ends must not hang the simulator.
TEST(DamagedSimStateFile, LeavesTheUnitsAsTheyWere) {
    QTemporaryDir dir;
    const QByteArray good = "[unit 7]\np5=42\n";
    const struct {
        const char* what;
        QByteArray bytes; // empty: a device that never ends
    } rows[] = {
        {"BinaryJunk", junk(good)},
        {"NulBytes", QByteArray(good.size(), '\0')},
        {"Oversized", QByteArray(good + QByteArray(8 << 20, 'x')).replace("p5=42", "p5=4x")},
        {"ValueNotANumber", "[unit 7]\np5=4x\n"},
        {"EndlessDevice", {}},
        {"undamaged", good},
    };
    for (const auto& r : rows) {
        SimBus bus(std::make_shared<VirtualClock>());
        bus.addUnit(7, {.baud = 9600, .dataBits = 8, .parity = DriverParity::Odd, .stopBits = 1});
        const auto p5 = [&bus] {
            return bus.withUnit(0, [](SimUnit& u) { return u.parameter(5); });
        };
        bus.withUnit(0, [](SimUnit& u) { u.forceParameter(5, 9); }); // not what junk reads as
        QString path = QStringLiteral("/dev/zero");
        if (!r.bytes.isEmpty()) {
            QFile f(path = dir.filePath(QStringLiteral("sim.state")));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(r.bytes);
        }
        const qint64 before = test::bytesReadSoFar();
        QString why;
        const bool taken = loadSimState(bus, path, &why);
        EXPECT_LT(test::bytesReadSoFar() - before, test::RefusalReadBudget) << r.what;
        EXPECT_EQ(p5(), r.bytes == good ? 42 : 9) << r.what;
        if (r.bytes == good) {
            EXPECT_TRUE(taken);
        }
        if (r.bytes.isEmpty()) {
            EXPECT_TRUE(!taken && !why.isEmpty()) << "a device is refused";
        }
    }
}

// ---- a pipe or a device where a file should be ----------------------------

// Every reader of a file the user names (in a dialog, or by putting it beside
// the program) is handed a FIFO.  open() on one waits for a writer, so a
// reader that opens it freezes the window for good; each must refuse it
// before opening, say so where the window has a message for it, and leave
// every table as it was.

// The read runs beside the test, so one stuck in open() fails the test
// instead of hanging it: a writer then opens the pipe, which lets the stuck
// open() return, and the test reports it.
bool returnsPromptly(const QString& fifo, const std::function<void()>& read) {
    std::future<void> done = std::async(std::launch::async, read);
    if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready) return true;
    const QByteArray name = QFile::encodeName(fifo);
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
    }
    return false;
}

class NoTransfers : public TransferWindows {
  public:
    std::optional<UnitTables> receive(TableTransfer::Mode) override { return std::nullopt; }
    SendReport send(TableTransfer::Mode, const UnitTables&) override {
        ++sends;
        return {};
    }
    int sends = 0;
};

class SetpointView : public SetpointEditorView {
  public:
    void refillGrid() override {}
    void showMessage(const QString&) override {}
    std::optional<ParamTables::Setpoints> receiveSetpoints() override { return std::nullopt; }
    SendReport sendSetpoints(const ParamTables::Setpoints&) override { return {}; }
    void printSetpoints() override {}
    void selectSetpoint(int) override {}
    int unitNumber() const override { return 1; }
};

class PipeForAFile;

struct PipeRow {
    const char* name;
    const char* file; // where the pipe stands, in the program's folder
    // What the user does; gives what the window says (empty: nothing).
    std::function<QString(PipeForAFile&, const QString& pipe)> read;
    bool says; // the window has a message for an unreadable file
};

void PrintTo(const PipeRow& row, std::ostream* os) {
    *os << row.name;
}

class PipeForAFile : public ::testing::TestWithParam<PipeRow> {
  public:
    PipeForAFile() : state(dir.path() + '/') {
        state.language.loadFromText(QStringLiteral("[Grafiek]\nCaptionGrafiek=Taal van voor\n"));
        for (int p = 0; p < ParamTables::ParameterCount; ++p)
            state.tables.setParameter(p, 3 * p - 17);
        for (int s = 1; s <= ParamTables::SetpointCount; ++s)
            state.tables.setSetpoint(s, -s);
    }
    QString lastBox() const {
        const auto boxes = dialogs.asked(ScriptedDialogs::Kind::Message);
        return boxes.empty() ? QString() : boxes.back().text;
    }

    QTemporaryDir dir;
    ProgramState state;
    ScriptedDialogs dialogs;
    TZRComm port;
};

const PipeRow pipeRows[] = {
    {"ParameterFile", "unit.mxp",
     [](PipeForAFile& t, const QString& pipe) {
         test::RecordingEditView view;
         EditParamLogic editor(t.state, view, t.dialogs);
         t.dialogs.answerOpenFile(pipe);
         editor.OpenenClick();
         return t.lastBox();
     },
     true},
    {"SetpointFile", "unit.mxs",
     [](PipeForAFile& t, const QString& pipe) {
         SetpointView view;
         t.dialogs.answerOpenFile(pipe);
         SetpointEditor(t.state, t.port, view, t.dialogs).Openen1Click();
         return t.lastBox();
     },
     true},
    {"BackupFile", "unit.bak",
     [](PipeForAFile& t, const QString& pipe) {
         NoTransfers transfers;
         t.dialogs.answerOpenFile(pipe);
         BackupRestore(t.state, t.dialogs).Restore1Click(transfers, 7);
         return transfers.sends == 0 ? t.lastBox() : QStringLiteral("sent to the unit");
     },
     true},
    {"GroupTreeOfTheEditor", "Tree0.txt",
     [](PipeForAFile& t, const QString&) {
         test::RecordingEditView view;
         EditParamLogic(t.state, view, t.dialogs).FormActivate();
         return t.lastBox();
     },
     true},
    // The printout without a tree is the header page alone, as without the file.
    {"GroupTreeOfThePrintout", "Tree0.txt",
     [](PipeForAFile& t, const QString&) {
         ImageTarget target(QSize(600, 800), 72);
         ParameterPrintout(t.state).PrintParameters(target, PageHeaderTexts{});
         target.finish();
         return target.pages().size() == 1 ? QString() : QStringLiteral("more than a header");
     },
     false},
    {"ErrorHelp", "ErrorHelp0.rtf",
     [](PipeForAFile& t, const QString&) {
         QTextDocument document;
         const ErrorHelp::Outcome outcome =
             ErrorHelp::load(t.state.settings.folders.programDir(), 0, document);
         return outcome.kind == ErrorHelp::Outcome::Failed ? outcome.report(LanguageTexts())
                                                           : QString();
     },
     true},
    {"Recording", "run.csv",
     [](PipeForAFile& t, const QString& pipe) {
         const graph::RecordingRead read = graph::readRecordingFile(pipe);
         return read.recording ? QStringLiteral("read")
                               : graph::recordingRefusal(read, pipe, t.state.language);
     },
     true},
    // The program starts on its built-in texts, catalogue and settings then.
    {"LanguageFile", "Taal0.ini",
     [](PipeForAFile& t, const QString&) {
         return t.state.language.TekstFile_Lezen(t.state.settings.folders.programDir(), 0)
                    ? QStringLiteral("read")
                    : QString();
     },
     false},
    {"Catalogue", "Parameters.txt",
     [](PipeForAFile& t, const QString&) {
         t.state.catalogue.ParameterDef_lezen(t.state.settings.folders.programDir());
         return t.state.catalogue.parameterDefinitionsPresent() ? QStringLiteral("read")
                                                                : QString();
     },
     false},
    {"Settings", "application.ini",
     [](PipeForAFile& t, const QString& pipe) {
         int unitNo = 4;
         PortMap ports;
         return SettingsFile::read(pipe, t.port, unitNo, t.state.settings, ports)
                    ? QStringLiteral("read")
                    : QString();
     },
     false},
};

TEST_P(PipeForAFile, IsRefusedAtOnceWithTheTablesAsTheyWere) {
    const PipeRow& row = GetParam();
    const QString pipe = dir.filePath(QLatin1String(row.file));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const auto parameters = state.tables.parameters();
    const auto setpoints = state.tables.setpoints();
    const auto parameterSource = state.tables.parameterSource;

    QString said;
    ASSERT_TRUE(returnsPromptly(pipe, [&] { said = row.read(*this, pipe); }))
        << "the window froze on the pipe";
    if (row.says) {
        EXPECT_TRUE(said.contains(QDir::toNativeSeparators(pipe))) << said.toStdString();
        EXPECT_TRUE(said.contains(QStringLiteral("not a file"))) << said.toStdString();
    } else {
        EXPECT_EQ(said, QString());
    }
    EXPECT_EQ(state.tables.parameters(), parameters);
    EXPECT_EQ(state.tables.setpoints(), setpoints);
    EXPECT_EQ(state.tables.parameterSource, parameterSource);
    EXPECT_EQ(state.language.text(TextId{"Grafiek", "CaptionGrafiek"}),
              QStringLiteral("Taal van voor"));
}

INSTANTIATE_TEST_SUITE_P(EveryReader, PipeForAFile, ::testing::ValuesIn(pipeRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
