// kqm52ctl driven in-process on a simulated bus (virtual clock): what a script
// reads on standard output and error, the exit code, the lines on the wire,
// the files left behind and what the units hold afterwards.  One test runs
// the program itself against mx5x-sim on a pty.

#include "sim/SimLinkFixture.h"

#include "ctl/CtlCommandTable.h"
#include "ctl/CtlOptions.h"
#include "ctl/CtlRun.h"
#include "ctl/CtlRunner.h"
#include "model/files/BackupFile.h"
#include "model/files/ParameterFile.h"
#include "model/files/SetpointFile.h"
#include "sim/SimCatalogue.h"
#include "support/QtPrinting.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <map>
#include <numeric>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <unistd.h>

using namespace kqm52;
using namespace kqm52::ctl;
using namespace kqm52::simtest;

namespace {

struct Ran {
    int exit = -1;
    QString out;
    QString err;
};

UnitTables tablesOf(SimUnit& u) {
    UnitTables t;
    for (int p = 0; p < ParamTables::ParameterCount; ++p)
        t.parameters[std::size_t(p)] = u.parameter(p);
    for (int s = 1; s <= ParamTables::SetpointCount; ++s)
        t.setpoints[std::size_t(s - 1)] = u.setpoint(s);
    return t;
}

class CtlTest : public ::testing::Test {
  protected:
    CtlTest()
        : bus(std::make_shared<SimBus>(std::make_shared<VirtualClock>())),
          catalogue(SimCatalogue::fromProgramDir(dataDir())) {
        SimUnit& u = addUnit(0);
        u.forceParameter(203, 2);
        u.forceParameter(7, 1000);
        for (int s = 1; s <= 48; ++s)
            u.setSetpoint(s, 500 * s - 3);
        hostLines.attach(*bus);
    }

    static QString dataDir() { return QStringLiteral(KQM52_SOURCE_DATA_DIR "/"); }

    // A unit at 38400,E,8,1 that names serial number 5200nn, as every unit of
    // the default catalogue does.
    SimUnit& addUnit(int number) { return bus->addUnit(number, lineOf(38400), catalogue); }
    template <class F> auto onUnit(int number, F&& f) {
        return bus->withUnit(bus->indexOf(number), std::forward<F>(f));
    }

    // On the simulated bus, in English.
    Ran run(QStringList args) {
        args << QStringLiteral("--port") << QStringLiteral("sim") << QStringLiteral("--lang")
             << QStringLiteral("1");
        return runAsGiven(args);
    }
    // The command line as it stands: its own port and language, or none.
    Ran runAsGiven(const QStringList& args) {
        Ran r;
        QTextStream out(&r.out);
        QTextStream err(&r.err);
        CtlContext context;
        context.folders = folders;
        context.journalPath = path("journal.sqlite");
        context.simBus = bus;
        context.simBuses = simBuses;
        context.out = &out;
        context.err = &err;
        context.inputIsTerminal = terminal;
        // No answer: the user pressed Ctrl+C at the question.
        context.readLine = [this] {
            if (!answer) interrupted = SIGINT;
            return answer;
        };
        context.interrupted = &interrupted;
        r.exit = runCtl(args, context);
        return r;
    }

    // A second bus beside the first: COM3 and COM4 of application.ini both
    // lead to "sim", COM3 to bus and COM4 to other.
    void twoBuses() {
        QFile ini(path("application.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Poorten]\nCOM3=sim\nCOM4=sim\n");
        ini.close();
        folders = ProgramFolders::installed(dataDir(), dataDir(), dir.path() + '/');
        simBuses = {{"COM3", bus}, {"COM4", other}};
        other->addUnit(0, lineOf(38400), catalogue);
        otherLines.attach(*other);
    }
    Ran runOnBoth(const QStringList& args) {
        return runAsGiven(args + QStringList{"--port", "COM3", "--port", "COM4", "--lang", "1"});
    }
    // The lines of standard output, in order within a bus; the buses' in any.
    static QStringList sortedLines(const QString& out) {
        QStringList lines = out.split('\n', Qt::SkipEmptyParts);
        std::stable_sort(lines.begin(), lines.end(),
                         [](const QString& a, const QString& b) { return a.left(4) < b.left(4); });
        return lines;
    }

    QStringList sent() { return hostLines.all(); }
    QStringList sentStartingWith(const QString& prefix) {
        return sent().filter(QRegularExpression(QLatin1Char('^') + prefix));
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    std::shared_ptr<SimBus> bus;
    std::shared_ptr<SimBus> other = std::make_shared<SimBus>(std::make_shared<VirtualClock>());
    std::map<QString, std::shared_ptr<SimBus>> simBuses;
    SimCatalogue catalogue;
    // The data files of the source tree, and application.ini beside them
    // (there is none); a test puts its own settings in dir.
    ProgramFolders folders = ProgramFolders::portable(dataDir());
    HostLines hostLines;
    HostLines otherLines;
    QTemporaryDir dir;
    std::atomic<int> interrupted{0};
    bool terminal = false;
    std::optional<QString> answer;
};

// ------------------------------------------------------------ the command line

struct UnitListCase {
    const char* text;
    std::optional<std::vector<int>> units;
};

TEST(CtlOptionsTest, UnitListsAndRanges) {
    const UnitListCase cases[] = {
        {"0-3", std::vector<int>{0, 1, 2, 3}},
        {"1,4,7-9", std::vector<int>{1, 4, 7, 8, 9}},
        {"5", std::vector<int>{5}},
        {"0-31",
         [] {
             std::vector<int> all(32);
             std::iota(all.begin(), all.end(), 0);
             return all;
         }()},
        {"3,3,2-3", std::vector<int>{3, 2}},
        {"3-1", std::nullopt},
        {"0-32", std::nullopt},
        {"-1", std::nullopt},
        {"1-2-3", std::nullopt},
        {"a", std::nullopt},
        {"", std::nullopt},
        {"1,,2", std::nullopt},
    };
    for (const UnitListCase& c : cases)
        EXPECT_EQ(parseUnitList(QString::fromLatin1(c.text)), c.units) << c.text;
}

TEST(CtlOptionsTest, APortsFileNamesOneBusALine) {
    const PortsFile plant = parsePortsFile("# the plant, one bus a line\n"
                                           "tcp://127.0.0.1:4001 38400e81 --units 1-5\n"
                                           "\n"
                                           "/dev/ttyUSB0 --units 3,7   # hall 2\r\n"
                                           "  COM3\t19200,N,8,2\n"
                                           "sim --units=0-1 9600o71\n");
    EXPECT_EQ(plant.badLine, 0) << plant.badWord.toStdString();
    const std::vector<CtlBusSpec> buses = {
        {"tcp://127.0.0.1:4001", TBaudrate::br38400, TParityBit::Even, TDataBit::db_8,
         TStopBit::sb_1, std::vector<int>{1, 2, 3, 4, 5}},
        {"/dev/ttyUSB0", {}, {}, {}, {}, std::vector<int>{3, 7}},
        {"COM3", TBaudrate::br19200, TParityBit::None, TDataBit::db_8, TStopBit::sb_2, {}},
        {"sim", TBaudrate::br9600, TParityBit::Odd, TDataBit::db_7, TStopBit::sb_1,
         std::vector<int>{0, 1}},
    };
    EXPECT_EQ(plant.buses, buses);

    const struct {
        const char* text;
        int line;
        const char* word;
    } bad[] = {
        {"COM3\nCOM4 38400x81\n", 2, "38400x81"}, {"COM3 12345e81", 1, "12345e81"},
        {"COM3 38400e91", 1, "38400e91"},         {"COM3 38400e81 9600e81", 1, "9600e81"},
        {"COM3 --units", 1, "--units"},           {"COM3 --units 4-2", 1, "4-2"},
        {"COM3 --units=", 1, "--units="},         {"COM3 --units 1 --units 2", 1, "2"},
        {"--units 1-5 COM3", 1, "--units"},       {"# COM1\nCOM17", 2, "COM17"},
        {"ttyUSB0 --units 1", 1, "ttyUSB0"},      {"COM3 --baud 9600", 1, "--baud"},
    };
    for (const auto& c : bad) {
        const PortsFile f = parsePortsFile(QString::fromLatin1(c.text));
        EXPECT_EQ(f.badLine, c.line) << c.text;
        EXPECT_EQ(f.badWord, QLatin1String(c.word)) << c.text;
        EXPECT_TRUE(f.buses.empty()) << c.text;
    }
}

struct UsageCase {
    QStringList args;
    const char* says;
};

TEST_F(CtlTest, AWrongCommandLineEndsWithUsageAndSendsNothing) {
    QFile plant(path("plant.txt"));
    ASSERT_TRUE(plant.open(QIODevice::WriteOnly));
    plant.write("# the hall\nCOM3 --units 1-5\nCOM4 38400x81\n");
    plant.close();
    QFile empty(path("empty.txt"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.write("# none yet\n");
    empty.close();
    const UsageCase cases[] = {
        {{"frobnicate"}, "unknown command"},
        {{"info", "--baud", "12345"}, "--baud 12345"},
        {{"info", "--parity", "X"}, "--parity X"},
        {{"info", "--unit", "32"}, "--unit 32"},
        {{"backup", "--units", "4-2", "out"}, "--units 4-2"},
        {{"get", "400"}, "0 ... 399"},
        {{"set", "7"}, "N=V"},
        {{"set", "7=1", "8=2", "7=2"}, "P007 is given twice: 1 and 2"},
        {{"info", "--bogus"}, "Unknown option 'bogus'"},
        {{"receive", "everything", "x.mxp"}, "receive params|setpoints|all"},
        {{"diff", "a.mxp"}, "diff A B"},
        {{"diff", "a.mxp", "b.mxp", "--units", "0-3"}, "--units compares units"},
        {{"info", "--ports-from", path("plant.txt")},
         "plant.txt, line 3: \"38400x81\" is not understood; a line is PORT [38400e81]"},
        {{"info", "--ports-from", path("empty.txt")}, "empty.txt names no bus"},
        // Beside the --port sim that every run here gives.
        {{"set", "7=1", "--port", "COM4"}, "set works on one port"},
        {{"info", "--port", "sim"}, "sim and sim would be one bus, in the folder sim"},
        {{}, ""},
    };
    for (const UsageCase& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Ran r = run(c.args);
        EXPECT_EQ(r.exit, Usage);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
        // A script that asked for JSON reads the same mistake from a document.
        const Ran json = run(c.args + QStringList{"--json"});
        const QJsonObject document = QJsonDocument::fromJson(json.out.toUtf8()).object();
        EXPECT_EQ(document.value("exit").toInt(), Usage) << json.out.toStdString();
        EXPECT_TRUE(document.value("error").toString().contains(QLatin1String(c.says)))
            << json.out.toStdString();
    }
    EXPECT_TRUE(sent().isEmpty()) << sent().join('|').toStdString();
}

// The words the bash completion offers as commands, and the commands the
// manual page describes (the first word of each item under COMMANDS).
QStringList completionCommands() {
    QFile f(QStringLiteral(KQM52_SOURCE_DATA_DIR "/linux/kqm52ctl.bash"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const auto m = QRegularExpression(QStringLiteral("local commands=\"([^\"]*)\""))
                       .match(QString::fromUtf8(f.readAll()));
    return m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList manPageCommands() {
    QFile f(QStringLiteral(KQM52_SOURCE_DATA_DIR "/linux/man/kqm52ctl.1"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    QStringList names;
    const auto commands = std::find(lines.begin(), lines.end(), QStringLiteral(".SH COMMANDS"));
    for (auto it = commands; it != lines.end() && std::next(it) != lines.end(); ++it) {
        if (it != commands && it->startsWith(QLatin1String(".SH"))) break;
        if (*it == QLatin1String(".TP"))
            names << std::next(it)->section(QLatin1Char(' '), 1, 1).remove(QLatin1Char('"'));
    }
    return names;
}

// Each row of the command table is a command that runs: its help names its
// usage, a row that talks to a unit fails on a port that will not open, one
// that does not never opens it, and --units is taken only where the row says.
// The completion and the manual page offer exactly the rows.
TEST_F(CtlTest, EveryRowOfTheCommandTableRunsAndIsOfferedWhereCommandsAreListed) {
    ASSERT_EQ(run({"receive", "all", path("a")}).exit, Done);
    ASSERT_EQ(run({"backup", path("a.bak")}).exit, Done);
    const std::map<QString, QStringList> examples = {
        {"ports", {}},
        {"scan", {}},
        {"info", {}},
        {"get", {"7"}},
        {"set", {"7=1"}},
        {"receive", {"params", path("new.mxp")}},
        {"send", {"params", path("a.mxp")}},
        {"backup", {path("new.bak")}},
        {"restore", {path("a.bak"), "--yes"}},
        {"diff", {path("a.mxp"), path("a.mxp")}},
        {"journal", {}},
    };
    QStringList rows;
    hostLines.clear();
    for (const CtlCommand& row : ctlCommands()) {
        const QString command = QLatin1String(row.name);
        SCOPED_TRACE(command.toStdString());
        rows << command;
        ASSERT_TRUE(examples.count(command)) << "no example for this row";

        const Ran help = run({command, QStringLiteral("--help")});
        EXPECT_EQ(help.exit, Done);
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: kqm52ctl ") + command))
            << help.out.toStdString();
        EXPECT_TRUE(help.out.contains(QLatin1String("6 some units"))) << help.out.toStdString();

        const QStringList args = QStringList{command} + examples.at(command);
        const Ran closed =
            runAsGiven(args + QStringList{"--port", path("no-such-tty"), "--lang", "1"});
        EXPECT_EQ(closed.exit == NoReply, row.needsPort) << closed.err.toStdString();
        EXPECT_FALSE(closed.err.contains(QLatin1String("cannot be opened")) && !row.needsPort)
            << closed.err.toStdString();

        // A --units run writes into a folder, and diff needs a unit side for it.
        QStringList unitsArgs = args;
        if (command == QLatin1String("receive") || command == QLatin1String("backup"))
            unitsArgs.last() = path("units");
        if (command == QLatin1String("diff")) unitsArgs[1] = QStringLiteral("unit");
        const Ran units = runAsGiven(unitsArgs + QStringList{"--port", path("no-such-tty"),
                                                             "--lang", "1", "--units", "0-1"});
        EXPECT_EQ(units.exit == Usage, row.units != CtlUnits::Many) << units.err.toStdString();
        if (row.units == CtlUnits::None)
            EXPECT_TRUE(units.err.contains(command + QLatin1String(" takes no --units")))
                << units.err.toStdString();

        // Two ports: one worker a bus (neither opens), or one port only.
        const Ran buses = runAsGiven(args + QStringList{"--port", path("no-such-tty"), "--port",
                                                        path("no-such-tty2"), "--lang", "1"});
        EXPECT_EQ(buses.exit, !row.manyPorts  ? Usage
                              : row.needsPort ? SomeUnits
                                              : Done)
            << buses.err.toStdString();
        EXPECT_EQ(buses.err.contains(command + QLatin1String(" works on one port")), !row.manyPorts)
            << buses.err.toStdString();
    }
    EXPECT_TRUE(sent().isEmpty()) << sent().join('|').toStdString();
    EXPECT_EQ(completionCommands(), rows);
    EXPECT_EQ(manPageCommands(), rows);
}

TEST_F(CtlTest, InfoSelectsTheUnitAndPrintsItsThreeTexts) {
    onUnit(0, [](SimUnit& u) { u.typeText = "MX53 Test"; });
    const Ran r = run({"info"});
    EXPECT_EQ(r.exit, Done) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("type      MX53 Test\nhardware  HW 2.1 SN 520000\n"
                                    "extra     KQM52 simulator\n"));
    EXPECT_EQ(sent(), (QStringList{"sc 0", "rt", "rh", "rx"}));
}

TEST_F(CtlTest, NoUnitAtTheAddressEndsWithNoReply) {
    const Ran r = run({"info", "--unit", "9"});
    EXPECT_EQ(r.exit, NoReply);
    EXPECT_TRUE(r.err.contains(QLatin1String("unit 9 does not answer at 38400,E,8,1 on sim")))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(sentStartingWith("rt").isEmpty());
}

// The message names the port, in the language of --lang; without it, in the
// language of application.ini, Dutch when there is none.
TEST_F(CtlTest, APortThatCannotBeOpenedNamesItselfInTheUsersLanguage) {
    const std::pair<QStringList, QString> cases[] = {
        {{}, " kan niet worden geopend: "},
        {{"--lang", "0"}, " kan niet worden geopend: "},
        {{"--lang", "1"}, " cannot be opened: "},
        {{"--lang", "2"}, " kann nicht geöffnet werden: "},
    };
    for (const auto& [lang, words] : cases) {
        SCOPED_TRACE(lang.join(' ').toStdString());
        const Ran r = runAsGiven(QStringList{"info", "--port", path("no-such-tty")} + lang);
        EXPECT_EQ(r.exit, NoReply);
        EXPECT_TRUE(r.err.startsWith("kqm52ctl: " + path("no-such-tty") + words))
            << r.err.toStdString();
    }
}

// A mistake on the command line is said in the language the line asks for,
// or else in the one of application.ini (Dutch without one): the program's
// own words and the option parser's alike.
TEST_F(CtlTest, AMistakeOnTheLineIsSaidInTheUsersLanguage) {
    const std::pair<QStringList, QString> cases[] = {
        {{"info", "--baud", "12345", "--lang", "2"},
         "kqm52ctl: --baud 12345: keine Geschwindigkeit, die der Port kennt\n"
         "(kqm52ctl --help erklärt, wie)\n"},
        {{"info", "--lang", "7"},
         "kqm52ctl: --lang 7: geef 0 of nl, 1 of en, 2 of de\n(kqm52ctl --help legt uit hoe)\n"},
        {{"info", "--lang", "german"}, "kqm52ctl: --lang german: geef 0 of nl"},
        // A port the tool does not know is named as given, never as "COM1".
        {{"info", "--port", "COM17", "--lang", "de"},
         "kqm52ctl: --port COM17: kein Port, den kqm52ctl kennt; COM1 ... COM16, einen "
         "Gerätepfad wie /dev/ttyUSB0, tcp://HOST:PORT, rfc2217://HOST:PORT oder sim angeben\n"},
        {{"info", "--port", "ttyUSB0", "--lang", "en"},
         "kqm52ctl: --port ttyUSB0: not a port kqm52ctl knows;"},
        {{"frob", "--lang=1"}, "kqm52ctl: unknown command \"frob\"\n(kqm52ctl --help tells how)\n"},
        {{"info", "--units", "4-2"}, "kqm52ctl: --units 4-2: geef een lijst of reeks apparaten"},
        {{"info", "--bogus", "--lang", "2"}, "kqm52ctl: Unbekannte Option 'bogus'.\n"},
        {{"info", "--port"}, "kqm52ctl: Ontbrekende waarde na '--port'.\n"},
    };
    for (const auto& [args, says] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Ran r = runAsGiven(args);
        EXPECT_EQ(r.exit, Usage);
        EXPECT_TRUE(r.err.startsWith(says)) << r.err.toStdString();
    }
    EXPECT_TRUE(sent().isEmpty());
}

// A usage mistake and a unit that does not answer, in German: the words come
// from the language file, the names and numbers stay as they are.
TEST_F(CtlTest, MessagesInGerman) {
    const Ran usage = runAsGiven({"get", "400", "--port", "sim", "--lang", "2"});
    EXPECT_EQ(usage.exit, Usage);
    EXPECT_EQ(usage.err, "kqm52ctl: get 400: ein Parameter ist 0 ... 399\n"
                         "(kqm52ctl get --help erklärt, wie)\n");

    const Ran r = runAsGiven({"info", "--unit", "5", "--port", "sim", "--lang", "2"});
    EXPECT_EQ(r.exit, NoReply);
    EXPECT_TRUE(r.err.startsWith("kqm52ctl: Gerät 5 antwortet nicht mit 38400,E,8,1 an sim: "
                                 "keine Antwort innerhalb der Wartezeit"))
        << r.err.toStdString();
}

// Every name in a JSON document, with where it stands ("parameters/0/name"):
// what a script reads it by.
QStringList jsonNames(const QJsonValue& value, const QString& at = {}) {
    QStringList names;
    if (value.isObject()) {
        const QJsonObject o = value.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            names << at + it.key() << jsonNames(it.value(), at + it.key() + '/');
    } else if (value.isArray()) {
        const QJsonArray a = value.toArray();
        for (qsizetype i = 0; i < a.size(); ++i)
            names << jsonNames(a[i], at + QString::number(i) + '/');
    }
    return names;
}

// Help, errors of the port and of a file in the language of --lang (by
// number or by code); the data lines and the JSON names stay as they are.
TEST_F(CtlTest, EveryWordFollowsTheLanguageAndDataStaysAsItIs) {
    struct Words {
        QStringList lang;
        const char* commands;   // the heading of the general help's command list
        const char* usage;      // how a command's help begins
        const char* notOpened;  // a port that will not open, after its device
        const char* noSuchFile; // a file that is not there, after the file
        const char* notAFile;   // a device where a file should be
    };
    const Words dutch{{"--lang", "0"},
                      "Opdrachten:",
                      "Gebruik: kqm52ctl info",
                      " kan niet worden geopend: ",
                      ": geweigerd: dat bestand bestaat niet\n",
                      ": geweigerd: het is een pipe, een apparaat of een socket, geen bestand\n"};
    const Words english{{"--lang=en"},
                        "Commands:",
                        "Usage: kqm52ctl info",
                        " cannot be opened: ",
                        ": refused: there is no such file\n",
                        ": refused: it is a pipe, a device or a socket, not a file\n"};
    const Words german{{"--lang", "2"},
                       "Befehle:",
                       "Aufruf: kqm52ctl info",
                       " kann nicht geöffnet werden: ",
                       ": abgelehnt: diese Datei gibt es nicht\n",
                       ": abgelehnt: das ist eine Pipe, ein Gerät oder ein Socket, keine Datei\n"};
    Words dutchByCode = dutch, englishByNumber = english, germanByCode = german;
    dutchByCode.lang = QStringList{"--lang", "nl"};
    englishByNumber.lang = QStringList{"--lang", "1"};
    germanByCode.lang = QStringList{"--lang", "DE"};

    const Ran info = run({"info"});
    const Ran get = run({"get", "7", "388", "--json"});
    ASSERT_EQ(info.exit, Done);
    ASSERT_EQ(get.exit, Done);
    const QStringList names = jsonNames(QJsonDocument::fromJson(get.out.toUtf8()).object());
    ASSERT_TRUE(names.contains("units/0/parameters/1/option")) << names.join(' ').toStdString();
    const QString noTty = path("no-such-tty");
    for (const Words& w : {dutch, dutchByCode, english, englishByNumber, german, germanByCode}) {
        SCOPED_TRACE(w.lang.join(' ').toStdString());
        const auto ran = [&](const QStringList& args) { return runAsGiven(args + w.lang); };

        const Ran help = ran({"--help"});
        EXPECT_EQ(help.exit, Done);
        EXPECT_TRUE(help.out.contains('\n' + QString::fromUtf8(w.commands) + '\n'))
            << help.out.toStdString();
        // The syntax is the same in every language.
        EXPECT_TRUE(help.out.contains("\n  receive params|setpoints|all FILE   ("))
            << help.out.toStdString();
        EXPECT_TRUE(help.out.contains("\n  --units LIST    ")) << help.out.toStdString();
        for (const QString& line : help.out.split('\n'))
            EXPECT_LE(line.size(), 79) << line.toStdString();
        EXPECT_TRUE(ran({"info", "--help"}).out.startsWith(QString::fromUtf8(w.usage)));

        const Ran scan = ran({"scan", "--port", noTty});
        EXPECT_EQ(scan.exit, NoReply);
        EXPECT_TRUE(scan.err.startsWith("kqm52ctl: " + noTty + w.notOpened))
            << scan.err.toStdString();
        EXPECT_EQ(ran({"send", "params", path("missing.mxp"), "--port", "sim"}).err,
                  "kqm52ctl: " + path("missing.mxp") + w.noSuchFile);
        EXPECT_EQ(ran({"restore", "/dev/null", "--yes", "--port", "sim"}).err,
                  "kqm52ctl: /dev/null" + QString::fromUtf8(w.notAFile));

        EXPECT_EQ(ran({"info", "--port", "sim"}).out, info.out);
        const Ran json = ran({"get", "7", "388", "--json", "--port", "sim"});
        EXPECT_EQ(jsonNames(QJsonDocument::fromJson(json.out.toUtf8()).object()), names);
    }
    EXPECT_TRUE(sentStartingWith("wp").isEmpty()) << "a refused file sends nothing";
}

// The port map's own complaint, in the language application.ini chose.
TEST_F(CtlTest, APortMappedToNoDeviceIsSaidInTheLanguageOfTheSettings) {
    QFile ini(path("application.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Opties]\nTaal=2\n[Poorten]\nCOM3=udp://127.0.0.1:4001\n");
    ini.close();
    folders = ProgramFolders::installed(dataDir(), dataDir(), dir.path() + '/');
    const Ran r = runAsGiven({"info", "--port", "COM3"});
    EXPECT_EQ(r.exit, NoReply);
    EXPECT_EQ(r.err, "kqm52ctl: COM3 (udp://127.0.0.1:4001) kann nicht geöffnet werden: COM3 ist "
                     "\"udp://127.0.0.1:4001\" zugeordnet, und das ist kein Gerätepfad.\n");
}

TEST_F(CtlTest, GetShowsValuesWithTheEditorsDecimalsAndOptionTexts) {
    onUnit(0, [](SimUnit& u) {
        u.forceParameter(7, -1250);
        u.forceParameter(388, 2);
    });
    const Ran r = run({"get", "7", "388"});
    EXPECT_EQ(r.exit, Done) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("007  Cam 1 start")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith("  -12,50")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("388  Analog output")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith("  2 (Current)")) << lines[1].toStdString();
    // 203 is read first: the decimals of parameter 7 follow it.
    EXPECT_EQ(sent(), (QStringList{"sc 0", "rp 203", "rp 7", "rp 388"}));

    // In JSON, an option by its text; a value beyond the list has none.
    for (const qint32 raw : {2, 9}) {
        onUnit(0, [raw](SimUnit& u) { u.forceParameter(388, raw); });
        const QJsonObject p = QJsonDocument::fromJson(run({"get", "388", "--json"}).out.toUtf8())
                                  .object()["units"]
                                  .toArray()
                                  .at(0)
                                  .toObject()["parameters"]
                                  .toArray()
                                  .at(0)
                                  .toObject();
        EXPECT_EQ(p["raw"].toInt(), raw);
        EXPECT_EQ(p.contains("option"), raw == 2) << QJsonDocument(p).toJson().toStdString();
    }
}

struct SetCase {
    const char* value;
    qint32 position; // parameter 203
    const char* wire;
};

TEST_F(CtlTest, SetSendsTheRawValueOfWhatTheEditorShows) {
    const SetCase cases[] = {
        {"12,50", 2, "wp 7 1250"}, {"12,5", 2, "wp 7 1250"}, {"12", 2, "wp 7 1200"},
        {"-0,05", 2, "wp 7 -5"},   {"12,5", 1, "wp 7 125"},  {"12", 0, "wp 7 12"},
    };
    for (const SetCase& c : cases) {
        onUnit(0, [&](SimUnit& u) { u.forceParameter(203, c.position); });
        hostLines.clear();
        const Ran r = run({"set", QStringLiteral("7=%1").arg(c.value)});
        EXPECT_EQ(r.exit, Done) << c.value << r.err.toStdString();
        EXPECT_EQ(sentStartingWith("wp"), QStringList{c.wire}) << c.value;
        EXPECT_TRUE(sentStartingWith("bp").isEmpty()) << "no bp without --load";
    }
    hostLines.clear();
    onUnit(0, [&](SimUnit& u) { u.forceParameter(203, 2); });
    const Ran r = run({"set", "7=12,50", "8=3", "--load"});
    EXPECT_EQ(r.exit, Done) << r.err.toStdString();
    // Identified first: the journal names the unit it wrote to.
    EXPECT_EQ(sent(),
              (QStringList{"sc 0", "rt", "rh", "rx", "rp 203", "wp 7 1250", "wp 8 300", "bp"}));
    EXPECT_EQ(onUnit(0, [](SimUnit& u) { return u.parameter(8); }), 300);
}

// What kqm52ctl writes is in the journal, kqm52ctl journal lists it as text
// and as JSON, and a journal that cannot be written is a warning unless the
// user made it a condition.
TEST_F(CtlTest, WritesAreJournaledAndListedByTheJournalCommand) {
    onUnit(0, [](SimUnit& u) { u.forceParameter(8, 4); });
    ASSERT_EQ(run({"get", "8"}).exit, Done); // a read of its own run: not known to the next
    ASSERT_EQ(run({"set", "7=12,50", "8=3", "--load"}).exit, Done);
    ASSERT_EQ(run({"backup", path("u.bak")}).exit, Done);

    const Ran text = run({"journal"});
    ASSERT_EQ(text.exit, Done) << text.err.toStdString();
    const QStringList lines = text.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << text.out.toStdString();
    EXPECT_TRUE(lines[0].contains("backup  done  items: 448  " + path("u.bak")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("sim  unit 00 MX52 SN 520000  kqm52ctl set  done  items: 3"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith("P007  unknown -> 1250  wp 7 1250")) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].endsWith("P008  unknown -> 300  wp 8 300")) << lines[3].toStdString();
    EXPECT_TRUE(lines[4].endsWith("bp  ->  bp -1")) << lines[4].toStdString();

    const Ran json = run({"journal", "--json", "--action", "kqm52ctl set", "--serial", "520000"});
    ASSERT_EQ(json.exit, Done);
    const QJsonObject doc = QJsonDocument::fromJson(json.out.toUtf8()).object();
    const QJsonArray entries = doc["entries"].toArray();
    ASSERT_EQ(entries.size(), 1);
    const QJsonObject e = entries[0].toObject();
    EXPECT_EQ(e["program"].toString(), "kqm52ctl");
    EXPECT_EQ(e["unit"].toInt(), 0);
    EXPECT_EQ(e["line"].toString(), "38400,E,8,1");
    const QJsonObject first = e["items"].toArray()[0].toObject();
    EXPECT_EQ(first["number"].toInt(), 7);
    EXPECT_TRUE(first["old"].isNull());
    EXPECT_EQ(first["new"].toInt(), 1250);
    EXPECT_EQ(run({"journal", "--json", "--serial", "999"}).out.count("\"id\""), 0);

    // A run knows only what it read itself: the backup before was another.
    ASSERT_EQ(run({"restore", path("u.bak"), "--yes"}).exit, Done);
    EXPECT_TRUE(
        run({"journal", "--action", "kqm52ctl restore"}).out.contains("P008  unknown -> 300"));

    const Ran badAction = run({"journal", "--action", "sending"});
    EXPECT_EQ(badAction.exit, Usage);
    EXPECT_TRUE(badAction.err.contains("kqm52ctl set")) << badAction.err.toStdString();
    EXPECT_EQ(run({"journal", "--since", "yesterday"}).exit, Usage);

    // Pruning asks; a script says --yes.
    EXPECT_EQ(run({"journal", "--prune-before", "2999-01-01"}).exit, Usage);
    const Ran pruned = run({"journal", "--prune-before", "2999-01-01", "--yes"});
    EXPECT_EQ(pruned.exit, Done);
    EXPECT_TRUE(pruned.out.contains("3 journal entries from before 2999-01-01 00:00 deleted."))
        << pruned.out.toStdString();
    EXPECT_TRUE(run({"journal"}).out.isEmpty());
}

TEST_F(CtlTest, AJournalThatCannotBeWrittenWarnsOrWithRequireJournalStopsTheWrite) {
    const QStringList unwritable{"--journal", "/proc/kqm52-test/journal.sqlite"};
    hostLines.clear();
    const Ran warned = run(QStringList{"set", "8=3"} + unwritable);
    EXPECT_EQ(warned.exit, Done);
    EXPECT_EQ(warned.err.count("warning: the service journal cannot be written"), 1)
        << warned.err.toStdString();
    EXPECT_EQ(sentStartingWith("wp"), QStringList{"wp 8 300"});

    hostLines.clear();
    const Ran refused = run(QStringList{"set", "8=4", "--require-journal"} + unwritable);
    EXPECT_EQ(refused.exit, FileError);
    EXPECT_TRUE(refused.err.contains("nothing was written to the unit (--require-journal)"))
        << refused.err.toStdString();
    EXPECT_TRUE(sent().isEmpty()) << sent().join('|').toStdString();
    // A read needs no journal.
    EXPECT_EQ(run(QStringList{"get", "8", "--require-journal"} + unwritable).exit, Done);
}

TEST_F(CtlTest, ValuesTheCatalogueRefusesAreRefusedBeforeAnythingIsWritten) {
    const char* refused[] = {"8=1000000,00", "8=12.50", "8=1,234", "8=", "203=5", "203=-1"};
    for (const char* value : refused) {
        hostLines.clear();
        const Ran r = run({"set", "7=1,00", QString::fromLatin1(value)});
        EXPECT_EQ(r.exit, Usage) << value;
        EXPECT_TRUE(r.err.contains(QLatin1String("Nothing was written."))) << r.err.toStdString();
        EXPECT_TRUE(sentStartingWith("wp").isEmpty()) << value << sent().join('|').toStdString();
    }
    const Ran r = run({"set", "8=1000000,00"});
    EXPECT_TRUE(r.err.contains(QLatin1String("P008 Cam 2 start: 1000000,00 lies outside the limits "
                                             "-99999,99 ... 999999,99")))
        << r.err.toStdString();
    EXPECT_EQ(onUnit(0, [](SimUnit& u) { return u.parameter(7); }), 1000);
}

TEST_F(CtlTest, AWriteTheUnitRefusesEndsWithExit4AndSaysWhichValue) {
    bus->setFaults(0, SimFaults{.refuseWrites = true});
    const Ran r = run({"set", "7=12,50", "8=1"});
    EXPECT_EQ(r.exit, Refused);
    EXPECT_TRUE(r.err.contains(QLatin1String("The unit refused P007 = 12,50 (\"er 7\"). 0 of 2 "
                                             "values were written.")))
        << r.err.toStdString();
    EXPECT_EQ(sentStartingWith("wp"), QStringList{"wp 7 1250"}) << "stops at the refusal";

    bus->setFaults(0, SimFaults{.failBp = true});
    const Ran load = run({"set", "7=12,50", "--load"});
    EXPECT_EQ(load.exit, Refused);
    EXPECT_TRUE(load.err.contains(QLatin1String("did not take the values over")))
        << load.err.toStdString();
}

// ------------------------------------------------------------ whole tables

TEST_F(CtlTest, ReceiveParamsWritesAFileTheEditorReads) {
    const UnitTables unit = onUnit(0, [](SimUnit& u) { return tablesOf(u); });
    const Ran r = run({"receive", "params", path("unit.mxp")});
    ASSERT_EQ(r.exit, Done) << r.err.toStdString();
    const auto read = ParameterFile::read(path("unit.mxp"));
    ASSERT_TRUE(read.ok()) << read.problem.detail.toStdString();
    EXPECT_EQ(*read.tables, unit.parameters);

    const Ran both = run({"receive", "all", path("both")});
    ASSERT_EQ(both.exit, Done) << both.err.toStdString();
    EXPECT_EQ(*ParameterFile::read(path("both.mxp")).tables, unit.parameters);
    EXPECT_EQ(*SetpointFile::read(path("both.mxs")).tables, unit.setpoints);
}

TEST_F(CtlTest, BackupThenRestoreRoundTripsAUnitExactly) {
    const UnitTables before = onUnit(0, [](SimUnit& u) { return tablesOf(u); });
    const Ran backup = run({"backup", path("unit0.bak")});
    ASSERT_EQ(backup.exit, Done) << backup.err.toStdString();
    QFile file(path("unit0.bak"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), BackupFile::toBytes(before));

    onUnit(0, [](SimUnit& u) {
        u.forceParameter(7, 4444);
        u.forceParameter(399, -1);
        u.setSetpoint(48, 0);
    });
    const Ran restore = run({"restore", path("unit0.bak"), "--yes"});
    ASSERT_EQ(restore.exit, Done) << restore.err.toStdString();
    EXPECT_EQ(onUnit(0, [](SimUnit& u) { return tablesOf(u); }), before);
    EXPECT_EQ(sent().last(), "bp");
}

TEST_F(CtlTest, RestoreAsksOnATerminalAndNeedsYesOtherwise) {
    const Ran backup = run({"backup", path("unit0.bak")});
    ASSERT_EQ(backup.exit, Done);
    hostLines.clear();

    const Ran script = run({"restore", path("unit0.bak")});
    EXPECT_EQ(script.exit, Usage);
    EXPECT_TRUE(script.err.contains(QLatin1String("give --yes"))) << script.err.toStdString();

    // Each language takes its own yes only; Ctrl+C at the question is a no
    // that ends the run at once.
    terminal = true;
    struct AnswerCase {
        const char* lang;
        std::optional<QString> typed;
        int exit;
    };
    const AnswerCase cases[] = {
        {"1", "n", Usage},   {"1", "", Usage},    {"1", "j", Usage},
        {"2", "y", Usage},   {"0", "yes", Usage}, {"1", std::nullopt, Interrupted},
        {"2", " Ja ", Done}, {"0", "j", Done},    {"1", "YES", Done},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(std::string(c.lang) + " " + c.typed.value_or("Ctrl+C").toStdString());
        hostLines.clear();
        answer = c.typed;
        interrupted = 0;
        const Ran r = runAsGiven({"restore", path("unit0.bak"), "--port", "sim", "--lang", c.lang});
        EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(path("unit0.bak")) && r.err.contains(QLatin1String("/N] ")))
            << r.err.toStdString();
        EXPECT_EQ(sentStartingWith("wp").size(), c.exit == Done ? 400 : 0);
    }
}

TEST_F(CtlTest, ARefusedFileIsNamedAndNothingIsSent) {
    QFile bad(path("short.bak"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(100, '\0'));
    bad.close();
    const Ran restore = run({"restore", path("short.bak"), "--yes"});
    EXPECT_EQ(restore.exit, FileError);
    EXPECT_TRUE(restore.err.contains(path("short.bak") + QStringLiteral(": refused")))
        << restore.err.toStdString();

    const Ran send = run({"send", "params", path("missing.mxp")});
    EXPECT_EQ(send.exit, FileError);
    EXPECT_TRUE(send.err.contains(path("missing.mxp"))) << send.err.toStdString();
    EXPECT_TRUE(sent().isEmpty()) << sent().join('|').toStdString();

    // A file whose values the unit would refuse: named, and not sent.
    ParamTables::Parameters values{};
    for (int p = 0; p < 400; ++p)
        values[std::size_t(p)] = catalogue.parameter(p).def;
    values[203] = 9;
    ASSERT_TRUE(ParameterFile::write(path("limits.mxp"), values, 0).isEmpty());
    const Ran limits = run({"send", "params", path("limits.mxp")});
    EXPECT_EQ(limits.exit, Usage);
    EXPECT_TRUE(limits.err.contains(QLatin1String("P203"))) << limits.err.toStdString();
    EXPECT_TRUE(sent().isEmpty());
}

// A target that cannot be written is said before the unit is read for half
// a minute: nothing goes on the wire, and no file is left behind.
TEST_F(CtlTest, ATargetThatCannotBeWrittenIsRefusedBeforeTheFirstRequest) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    const struct {
        QStringList args;
        const char* named;
    } cases[] = {
        {{"receive", "params", path("no/such/folder/unit.mxp")}, "no/such/folder/unit.mxp"},
        {{"receive", "all", path("no/such/folder/unit")}, "no/such/folder/unit.mxp"},
        {{"backup", path("folder")}, "folder"},
        {{"receive", "setpoints", path("folder")}, "folder"},
    };
    for (const auto& c : cases) {
        const Ran r = run(c.args);
        EXPECT_EQ(r.exit, FileError) << c.named;
        EXPECT_TRUE(r.err.contains(QDir::toNativeSeparators(path(c.named)))) << r.err.toStdString();
        EXPECT_TRUE(sent().isEmpty()) << c.named << ": " << sent().join('|').toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(path("no")));
    EXPECT_TRUE(QDir(path("folder")).isEmpty());
}

TEST_F(CtlTest, CtrlCStopsASendAtTheNextReplyAndSaysHowFarTheUnitGot) {
    const Ran backup = run({"backup", path("unit0.bak")});
    ASSERT_EQ(backup.exit, Done);
    std::atomic<int> writes{0};
    bus->setTrace([&](SimNanos, bool fromHost, int, const LineState&, const QByteArray& b) {
        if (!fromHost || !b.startsWith("wp ")) return;
        ++writes;
        if (b.startsWith("wp 100 ")) interrupted = SIGINT;
    });
    const Ran r = run({"restore", path("unit0.bak"), "--yes"});
    EXPECT_EQ(r.exit, Interrupted);
    // The message counts what the unit confirmed: every write that went out,
    // or all but the last when Ctrl+C came while its echo was on the way.
    const int written = writes;
    EXPECT_GE(written, 101);
    EXPECT_LE(written, 102);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("stopped by Ctrl\\+C\\. Stopped at P(\\d{3}): the unit "
                                          "confirmed (\\d+) of 448 values\\."))
            .match(r.err);
    ASSERT_TRUE(m.hasMatch()) << r.err.toStdString();
    const int confirmed = m.captured(2).toInt();
    EXPECT_EQ(m.captured(1).toInt(), confirmed);
    EXPECT_TRUE(confirmed == written || confirmed == written - 1) << r.err.toStdString() << written;

    // A receive stopped that way writes no file; stopped by SIGTERM, it says
    // so and ends with that signal's code.
    interrupted = 0;
    bus->setTrace([this](SimNanos, bool fromHost, int, const LineState&, const QByteArray& b) {
        if (fromHost && b.startsWith("rp 50")) interrupted = SIGTERM;
    });
    const Ran receive = run({"receive", "params", path("stopped.mxp"), "--json"});
    EXPECT_EQ(receive.exit, Terminated);
    const QJsonObject document = QJsonDocument::fromJson(receive.out.toUtf8()).object();
    EXPECT_EQ(document.value("exit").toInt(), Terminated);
    EXPECT_TRUE(receive.err.contains(QLatin1String(": stopped. "))) << receive.err.toStdString();
    // Counted in values: the 50 before P050 (or one more, read as the signal came) of 400.
    EXPECT_TRUE(receive.err.contains(QRegularExpression(" 5[01] of 400 values read")))
        << receive.err.toStdString();
    EXPECT_FALSE(receive.err.contains(QLatin1String("Ctrl+C"))) << receive.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("stopped.mxp")));
}

// ------------------------------------------------------------ diff

TEST_F(CtlTest, DiffOfAFileWithItselfPrintsNothing) {
    ASSERT_EQ(run({"receive", "params", path("a.mxp")}).exit, Done);
    const Ran r = run({"diff", path("a.mxp"), path("a.mxp")});
    EXPECT_EQ(r.exit, Done);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    const Ran unit = run({"diff", "unit", path("a.mxp")});
    EXPECT_EQ(unit.exit, Done);
    EXPECT_TRUE(unit.out.isEmpty()) << unit.out.toStdString();
}

TEST_F(CtlTest, DiffListsExactlyTheChangedParameters) {
    ASSERT_EQ(run({"receive", "params", path("a.mxp")}).exit, Done);
    ParamTables::Parameters changed = *ParameterFile::read(path("a.mxp")).tables;
    changed[7] = 1250;
    changed[388] = changed[388] == 1 ? 2 : 1;
    changed[399] += 1;
    ASSERT_TRUE(ParameterFile::write(path("b.mxp"), changed, 0).isEmpty());

    const Ran r = run({"diff", path("a.mxp"), path("b.mxp")});
    EXPECT_EQ(r.exit, Differences);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("007  Cam 1 start")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith("  10,00  12,50")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("388  Analog output")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(changed[388] == 2 ? "  1 (Voltage)  2 (Current)"
                                                    : "  2 (Current)  1 (Voltage)"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("399  ")) << lines[2].toStdString();

    // The unit against the changed file: the same three.
    const Ran unit = run({"diff", "unit", path("b.mxp"), "--json"});
    EXPECT_EQ(unit.exit, Differences);
    const QJsonObject doc = QJsonDocument::fromJson(unit.out.toUtf8()).object();
    const QJsonArray diffs = doc["units"].toArray()[0].toObject()["differences"].toArray();
    ASSERT_EQ(diffs.size(), 3) << unit.out.toStdString();
    EXPECT_EQ(diffs[0].toObject()["number"].toInt(), 7);
    EXPECT_EQ(diffs[0].toObject()["left"].toObject()["value"].toString(), "10,00");
    EXPECT_EQ(diffs[0].toObject()["right"].toObject()["raw"].toInt(), 1250);
    EXPECT_EQ(doc["exit"].toInt(), Differences);
}

// ------------------------------------------------------------ a bus at a time

TEST_F(CtlTest, UnitsBackupWritesAFilePerUnitAndGoesOnPastASilentOne) {
    for (int n : {1, 2, 3})
        addUnit(n);
    bus->setFaults(2, SimFaults{.noAnswer = true});
    onUnit(3, [](SimUnit& u) { u.hardwareText = "HW 3.0"; }); // names no serial number
    const Ran r = run({"backup", path("bus"), "--units", "0-3"});
    EXPECT_EQ(r.exit, SomeUnits) << r.err.toStdString();
    EXPECT_EQ(QDir(path("bus")).entryList(QDir::Files),
              (QStringList{"unit00-SN520000.bak", "unit01-SN520001.bak", "unit03.bak"}));
    const UnitTables one = onUnit(1, [](SimUnit& u) { return tablesOf(u); });
    EXPECT_EQ(*BackupFile::read(path("bus/unit01-SN520001.bak")).tables, one);
    EXPECT_TRUE(r.out.contains(QLatin1String("unit 02  failed: unit 2 does not answer")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("unit 03  %1").arg(path("bus/unit03.bak"))));
    EXPECT_TRUE(r.out.contains(QLatin1String("1 of 4 units failed")));
    // The silent one is asked once more when the others are done.
    EXPECT_EQ(sentStartingWith("sc"), (QStringList{"sc 0", "sc 1", "sc 2", "sc 3", "sc 2"}));
    EXPECT_LT(r.out.indexOf("unit 03  "), r.out.indexOf("unit 02  failed"));
}

struct LateUnitCase {
    const char* what;
    QStringList options;
    SimFaults fault; // unit 1's, for its next reply only
};

// A unit that answers late once, or pauses once in the middle of a reply, in
// the middle of a bus run: no reply, nor the rest of one, is taken for the
// answer to a later request, and a unit that failed is tried again at the end.
// Every unit is written, each under its own serial number with its own values.
TEST_F(CtlTest, AUnitThatAnswersLateOnceCostsTheBusRunNoUnit) {
    for (int n : {1, 2})
        addUnit(n);
    std::map<int, UnitTables> units;
    for (int n = 0; n <= 2; ++n)
        units[n] = onUnit(n, [n](SimUnit& u) {
            for (int p = 0; p < ParamTables::ParameterCount; ++p)
                u.forceParameter(p, 1000 * n + p);
            return tablesOf(u);
        });
    const LateUnitCase cases[] = {
        {"fast, late", {"--fast"}, {.lateMs = 150, .timingOnce = true}},
        {"fast, paused", {"--fast"}, {.timingOnce = true, .pauseMs = 150}},
        {"silence, late", {}, {.lateMs = 150, .timingOnce = true}},
        {"silence, paused", {}, {.timingOnce = true, .pauseMs = 150}},
    };
    int runs = 0;
    for (const LateUnitCase& c : cases) {
        SCOPED_TRACE(c.what);
        bus->setFaults(1, c.fault);
        const QString folder = path(QStringLiteral("bus%1").arg(runs++));
        const Ran r = run(QStringList{"backup", folder, "--units", "0-2"} + c.options);
        EXPECT_EQ(r.exit, Done) << r.out.toStdString() << r.err.toStdString();
        EXPECT_EQ(
            QDir(folder).entryList(QDir::Files),
            (QStringList{"unit00-SN520000.bak", "unit01-SN520001.bak", "unit02-SN520002.bak"}));
        for (int n = 0; n <= 2; ++n) {
            const auto read = BackupFile::read(
                QDir(folder).filePath(unitFileName(n, QStringLiteral("52000%1").arg(n), "bak")));
            EXPECT_TRUE(read.ok() && *read.tables == units[n]) << n;
        }
    }
}

// The unit answers "rt" late, after fast framing took the request for missed
// and sent it once more: both answers come, run together.  That is no answer
// to "rt"; it is asked again once the line is silent, and every text is the
// unit's own.
TEST_F(CtlTest, AnIdentificationReadsOnlyItsOwnAnswer) {
    bus->setFaults(0, {.lateMs = 70, .timingOnce = true, .timingWord = "rt"});
    const Ran r = run({"info", "--fast"});
    EXPECT_EQ(r.exit, Done) << r.err.toStdString();
    EXPECT_EQ(r.out,
              QStringLiteral("type      MX52 Nokkenregelaar V3.07\nhardware  HW 2.1 SN 520000\n"
                             "extra     KQM52 simulator\n"));
    EXPECT_EQ(sent(), (QStringList{"sc 0", "rt", "rt", "rt", "rh", "rx"}));
}

TEST_F(CtlTest, UnitsInfoAndReceiveAsJson) {
    addUnit(4);
    const Ran info = run({"info", "--units", "0,4,6", "--json"});
    EXPECT_EQ(info.exit, SomeUnits);
    QJsonParseError error;
    const QJsonObject doc = QJsonDocument::fromJson(info.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << info.out.toStdString();
    EXPECT_EQ(doc["command"].toString(), "info");
    const QJsonArray units = doc["units"].toArray();
    ASSERT_EQ(units.size(), 3);
    EXPECT_EQ(units[1].toObject()["unit"].toInt(), 4);
    EXPECT_EQ(units[1].toObject()["serial"].toString(), "520004");
    EXPECT_EQ(units[1].toObject()["type"].toString(), "MX52 Nokkenregelaar V3.07");
    EXPECT_FALSE(units[2].toObject()["ok"].toBool());
    EXPECT_EQ(doc["exit"].toInt(), SomeUnits);

    const Ran receive = run({"receive", "all", path("r"), "--units", "0,4"});
    EXPECT_EQ(receive.exit, Done) << receive.err.toStdString();
    EXPECT_EQ(QDir(path("r")).entryList(QDir::Files),
              (QStringList{"unit00-SN520000.mxp", "unit00-SN520000.mxs", "unit04-SN520004.mxp",
                           "unit04-SN520004.mxs"}));
}

// ------------------------------------------------------------ several buses at once

// Each bus on a worker of its own: every line it prints begins with its port.
TEST_F(CtlTest, SeveralBusesAtOnceEachLineNamesItsPort) {
    twoBuses();
    ASSERT_EQ(run({"receive", "params", path("a.mxp")}).exit, Done);
    other->withUnit(0, [](SimUnit& u) {
        u.typeText = "MX53 Test";
        u.forceParameter(203, 2);
        u.forceParameter(7, 2000);
    });
    const QString cam = QStringLiteral("007  %1  ").arg(QStringLiteral("Cam 1 start"), -30);
    const struct {
        QStringList args;
        int exit;
        QStringList lines;
    } cases[] = {
        {{"info"},
         Done,
         {"COM3  unit 00  MX52 Nokkenregelaar V3.07   HW 2.1 SN 520000   KQM52 simulator",
          "COM4  unit 00  MX53 Test   HW 2.1 SN 520000   KQM52 simulator"}},
        {{"get", "7"}, Done, {"COM3  " + cam + "10,00", "COM4  " + cam + "20,00"}},
        {{"diff", "unit", path("a.mxp")}, Differences, {"COM4  " + cam + "20,00  10,00"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Ran r = runOnBoth(c.args);
        EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
        EXPECT_EQ(sortedLines(r.out), c.lines) << r.out.toStdString();
    }
}

// The bus whose unit is silent fails alone, after one more try at the end of
// its run; the other's files are whole.  In JSON each bus is an entry of
// "buses", in the order given.
TEST_F(CtlTest, OneBusFailingLeavesTheOtherWhole) {
    twoBuses();
    other->setFaults(0, SimFaults{.noAnswer = true});
    const Ran r = runOnBoth({"backup", path("plant")});
    EXPECT_EQ(r.exit, SomeUnits);
    const QString file = path("plant/COM3/unit00-SN520000.bak");
    EXPECT_EQ(r.out, "COM3  wrote " + file + '\n');
    EXPECT_TRUE(r.err.startsWith("kqm52ctl: COM4: unit 0 does not answer at 38400,E,8,1 on COM4 "
                                 "(sim): "))
        << r.err.toStdString();
    EXPECT_EQ(*BackupFile::read(file).tables, onUnit(0, [](SimUnit& u) { return tablesOf(u); }));
    EXPECT_TRUE(QDir(path("plant/COM4")).isEmpty());
    EXPECT_EQ(otherLines.all().filter(QRegularExpression("^sc ")), (QStringList{"sc 0", "sc 0"}));

    // The same plant named once in a file, each bus with its own units.
    QFile plant(path("plant.txt"));
    ASSERT_TRUE(plant.open(QIODevice::WriteOnly));
    plant.write("COM3 38400e81   # hall 1\nCOM4 --units 0,1\n");
    plant.close();
    other->setFaults(0, {});
    other->addUnit(1, lineOf(38400), catalogue);
    other->setFaults(1, SimFaults{.noAnswer = true});
    const Ran json =
        runAsGiven({"info", "--ports-from", path("plant.txt"), "--json", "--lang", "1"});
    EXPECT_EQ(json.exit, SomeUnits);
    const QJsonObject doc = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(doc["exit"].toInt(), SomeUnits);
    const QJsonArray buses = doc["buses"].toArray();
    ASSERT_EQ(buses.size(), 2) << json.out.toStdString();
    const QJsonObject hall1 = buses[0].toObject();
    const QJsonObject hall2 = buses[1].toObject();
    EXPECT_EQ(hall1["bus"].toString(), "COM3");
    EXPECT_EQ(hall1["port"].toString(), "COM3 (sim)");
    EXPECT_EQ(hall1["exit"].toInt(), Done);
    EXPECT_EQ(hall1["units"].toArray()[0].toObject()["type"].toString(),
              "MX52 Nokkenregelaar V3.07");
    EXPECT_EQ(hall2["bus"].toString(), "COM4");
    EXPECT_EQ(hall2["exit"].toInt(), SomeUnits);
    const QJsonArray units = hall2["units"].toArray();
    ASSERT_EQ(units.size(), 2);
    EXPECT_TRUE(units[0].toObject()["ok"].toBool());
    EXPECT_FALSE(units[1].toObject()["ok"].toBool());
}

// A unit that does not answer once is asked again when the others on its
// bus are done, and what it then says counts: the run is whole.
TEST_F(CtlTest, AUnitThatFailsOnceIsTriedAgainAtTheEndOfItsBus) {
    addUnit(1);
    addUnit(2);
    const struct {
        QStringList args;
        int silent;        // the unit that is silent at first
        const char* until; // it answers from the nth of these on
        int nth;
        QStringList selects; // the "sc" requests of the run
    } cases[] = {
        {{"info"}, 0, "sc 0", 2, {"sc 0", "sc 0"}},
        {{"info", "--units", "0-2"}, 1, "sc 2", 1, {"sc 0", "sc 1", "sc 2", "sc 1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        SimUnit* silent = onUnit(c.silent, [](SimUnit& u) { return &u; });
        silent->faults().noAnswer = true;
        QStringList selects;
        int seen = 0;
        // The trace runs under the bus's lock, before the units hear the line.
        bus->setTrace([&](SimNanos, bool fromHost, int, const LineState&, const QByteArray& b) {
            if (!fromHost || !b.startsWith("sc ")) return;
            selects << QString::fromLatin1(b.trimmed());
            if (b.trimmed() == c.until && ++seen == c.nth) silent->faults().noAnswer = false;
        });
        const Ran r = run(c.args);
        EXPECT_EQ(r.exit, Done) << r.out.toStdString() << r.err.toStdString();
        EXPECT_EQ(selects, c.selects);
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral("SN 52000%1").arg(c.silent)))
            << r.out.toStdString();
    }
}

struct SerialCase {
    const char* hardware;
    const char* extra;
    const char* serial;
};

TEST(CtlNamesTest, SerialNumbersAndFileNames) {
    const SerialCase cases[] = {
        {"HW 2.1 SN 520017", "Demo", "520017"},
        {"HW 2.1 SN:A-77", "", "A-77"},
        {"HW 2.1", "S/N 99", "99"},
        {"HW 2.1", "Demo KQM52", ""},
        {"SNAP 3", "", ""},
    };
    for (const SerialCase& c : cases)
        EXPECT_EQ(serialNumberIn({"MX52", c.hardware, c.extra, {}}), QLatin1String(c.serial))
            << c.hardware;
    EXPECT_EQ(unitFileName(5, "1234", "bak"), "unit05-SN1234.bak");
    EXPECT_EQ(unitFileName(12, "", "mxp"), "unit12.mxp");

    // A bus's folder under FOLDER.
    const std::pair<const char*, const char*> labels[] = {
        {"tcp://127.0.0.1:4001", "tcp_127.0.0.1_4001"},
        {"/dev/ttyUSB0", "dev_ttyUSB0"},
        {"/dev/serial/by-id/usb-FTDI_FT232R-if00", "dev_serial_by-id_usb-FTDI_FT232R-if00"},
        {"COM3", "COM3"},
        {"/..", "_.."},
    };
    for (const auto& [port, label] : labels)
        EXPECT_EQ(portLabel(QLatin1String(port)), QLatin1String(label)) << port;
}

// ------------------------------------------------------------ the program itself

TEST(CtlProcessTest, BackupAndDiffAgainstMx5xSimOnAPty) {
    QTemporaryDir dir;
    QProcess sim;
    sim.setProgram(QStringLiteral(KQM52_SIM_BINARY));
    sim.setArguments({"--unit", "3:38400,E,8,1"});
    sim.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    sim.start();
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(test::waitUntil([&] { return sim.canReadLine(); }));
    const QString tty = QString::fromLocal8Bit(sim.readLine()).trimmed();
    ASSERT_TRUE(tty.startsWith("/dev/")) << tty.toStdString();

    const auto ctl = [&](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(KQM52_CTL_BINARY),
                args + QStringList{"--port", tty, "--unit", "3", "--baud", "38400", "--fast",
                                   "--journal", dir.filePath("journal.sqlite")});
        EXPECT_TRUE(p.waitForFinished(120000));
        return std::pair{p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput() +
                                                              p.readAllStandardError())};
    };
    const auto [backup, backupText] = ctl({"backup", dir.filePath("u3.bak")});
    EXPECT_EQ(backup, Done) << backupText.toStdString();
    EXPECT_EQ(QFileInfo(dir.filePath("u3.bak")).size(), BackupFile::Size);
    const auto [receive, receiveText] = ctl({"receive", "params", dir.filePath("u3.mxp")});
    EXPECT_EQ(receive, Done) << receiveText.toStdString();
    const auto [diff, diffText] = ctl({"diff", "unit", dir.filePath("u3.mxp")});
    EXPECT_EQ(diff, Done) << diffText.toStdString();
    EXPECT_TRUE(diffText.isEmpty()) << diffText.toStdString();
    const auto [set, setText] = ctl({"set", "8=12,5", "--load", "--quiet"});
    EXPECT_EQ(set, Done) << setText.toStdString();
    const auto [changed, changedText] =
        ctl({"diff", "unit", dir.filePath("u3.mxp"), "--lang", "1"});
    EXPECT_EQ(changed, Differences);
    EXPECT_TRUE(changedText.startsWith("008  Cam 2 start")) << changedText.toStdString();
    EXPECT_EQ(changedText.count('\n'), 1) << changedText.toStdString();
    sim.terminate();
    sim.waitForFinished(5000);
}

// The signal a terminal sends on Ctrl+C, to the real process: the backup
// stops at the next reply, says where, exits 130 and leaves no file behind.
TEST(CtlProcessTest, ASignalStopsABackupAndLeavesNoFile) {
    QTemporaryDir dir;
    const QString log = dir.filePath("sim.log");
    QProcess sim;
    sim.setProgram(QStringLiteral(KQM52_SIM_BINARY));
    sim.setArguments({"--unit", "3:38400,E,8,1", "--log", log});
    sim.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    sim.start();
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(test::waitUntil([&] { return sim.canReadLine(); }));
    const QString tty = QString::fromLocal8Bit(sim.readLine()).trimmed();

    // The journal keeps the read that was cut off; the folder holds no file of it.
    QTemporaryDir journalDir;
    QProcess ctl;
    ctl.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    ctl.start(QStringLiteral(KQM52_CTL_BINARY),
              {"backup", dir.filePath("u3.bak"), "--port", tty, "--unit", "3", "--baud", "38400",
               "--lang", "1", "--journal", journalDir.filePath("journal.sqlite")});
    ASSERT_TRUE(ctl.waitForStarted(5000));
    // Well into the parameters (silence framing: some 25 s for the whole unit).
    const auto requestsSeen = [&] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? f.readAll().count("<- ") : 0;
    };
    ASSERT_TRUE(test::waitUntil([&] { return requestsSeen() >= 40; }, 30000));
    const int atSignal = requestsSeen();
    ASSERT_EQ(::kill(pid_t(ctl.processId()), SIGINT), 0);
    ASSERT_TRUE(ctl.waitForFinished(30000));
    const QString err = QString::fromLocal8Bit(ctl.readAllStandardError());
    EXPECT_EQ(ctl.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ctl.exitCode(), Interrupted) << err.toStdString();
    EXPECT_TRUE(err.contains("stopped by Ctrl+C")) << err.toStdString();
    // Neither the backup nor a half-written temporary file beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"sim.log"});
    // At the next reply: the request on the line, perhaps one more that was
    // already on its way, not the rest of the unit.
    EXPECT_LE(requestsSeen() - atSignal, 2);
    sim.terminate();
    sim.waitForFinished(5000);
}

// Ctrl+C, or SIGTERM, while the real process waits at the restore question
// on its terminal: the run ends at once with the signal's code, nothing sent.
TEST(CtlProcessTest, ASignalAtTheRestoreQuestionEndsTheRunAtOnce) {
    QTemporaryDir dir;
    const QString file = dir.filePath("u0.bak");
    QProcess backup;
    backup.start(QStringLiteral(KQM52_CTL_BINARY), {"backup", file, "--port", "sim", "--fast",
                                                    "--journal", dir.filePath("journal.sqlite")});
    ASSERT_TRUE(backup.waitForFinished(120000));
    ASSERT_EQ(backup.exitCode(), Done) << backup.readAllStandardError().toStdString();

    const std::pair<int, int> cases[] = {{SIGINT, Interrupted}, {SIGTERM, Terminated}};
    for (const auto& [signal, exit] : cases) {
        SCOPED_TRACE(signal);
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(::grantpt(master) | ::unlockpt(master), 0);
        const QByteArray terminal = ::ptsname(master);
        QProcess ctl;
        ctl.setChildProcessModifier([terminal] {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            const int fd = ::open(terminal.constData(), O_RDWR);
            if (fd >= 0) ::dup2(fd, STDIN_FILENO);
        });
        ctl.start(QStringLiteral(KQM52_CTL_BINARY),
                  {"restore", file, "--port", "sim", "--lang", "1", "--json", "--journal",
                   dir.filePath("journal.sqlite")});
        ASSERT_TRUE(ctl.waitForStarted(5000));
        QByteArray err;
        ASSERT_TRUE(test::waitUntil([&] {
            err += ctl.readAllStandardError();
            return err.contains("[y/N]");
        }));
        ASSERT_EQ(::kill(pid_t(ctl.processId()), signal), 0);
        // No Enter is typed: a program that waits for one never ends here.
        ASSERT_TRUE(ctl.waitForFinished(5000));
        EXPECT_EQ(ctl.exitCode(), exit);
        const QJsonObject document = QJsonDocument::fromJson(ctl.readAllStandardOutput()).object();
        EXPECT_EQ(document.value("exit").toInt(), exit);
        EXPECT_FALSE(document.contains("sent"));
        ::close(master);
    }
}

} // namespace
