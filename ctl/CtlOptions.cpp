#include "ctl/CtlOptions.h"

#include <QCommandLineParser>

namespace kqm52::ctl {

namespace {

struct CommandHelp {
    const char* name;
    const char* usage;
    const char* text;
};

// clang-format off
const CommandHelp kCommands[] = {
    {"ports", "ports",
     "Lists the serial ports present, with their USB descriptions, the ports\n"
     "application.ini maps, and \"sim\", the built-in simulated bus."},
    {"scan", "scan [--all-settings]",
     "Searches the bus for units 0 ... 31 at every speed from --baud (default 9600)\n"
     "up to 57600, with the port's parity and stop bits, or with every parity and\n"
     "both stop bits (--all-settings).  One line per unit found: unit number, line\n"
     "settings, type text."},
    {"info", "info [--units LIST DIR]",
     "Selects the unit and prints its type, hardware and extra lines (\"rt\", \"rh\",\n"
     "\"rx\")."},
    {"get", "get N...",
     "Reads parameters N (0 ... 399) and prints number, name and value with the\n"
     "decimals the parameter editor shows, and the option text of a list."},
    {"set", "set N=V... [--load]",
     "Writes parameters, values typed as the editor shows them (\"7=12,50\").  Every\n"
     "value is checked against the catalogue's limits before anything is written.\n"
     "--load then has the unit take them over (\"bp\")."},
    {"receive", "receive params|setpoints|all FILE   (--units LIST: FILE is a folder)",
     "Reads the unit's parameters (.mxp), setpoints (.mxs) or both (FILE is then\n"
     "the name without extension: FILE.mxp and FILE.mxs).  A file is written\n"
     "whole once everything was read, or not at all."},
    {"send", "send params|setpoints|all FILE",
     "Writes a parameter file, a setpoint file or both (FILE without extension)\n"
     "to the unit; \"bp\" after parameters.  Values outside the limits are refused\n"
     "before anything is sent."},
    {"backup", "backup FILE.bak   (--units LIST: FILE is a folder)",
     "Saves all parameters and setpoints of the unit in a backup file."},
    {"restore", "restore FILE.bak [--yes]",
     "Writes a backup file into the unit.  Asks first on a terminal; scripts give\n"
     "--yes."},
    {"diff", "diff A B   (A: unit or FILE.mxp, B: FILE.mxp; --units LIST with A = unit)",
     "Lists every parameter whose value differs: number, name, both values as\n"
     "shown, option texts.  Prints nothing and exits 0 when both are the same;\n"
     "exits 1 when they differ."},
};
// clang-format on

const char* kCommonOptions =
    "Options for every command:\n"
    "  --port P        COM1 ... COM16 (through the port map of application.ini),\n"
    "                  a device path such as /dev/ttyUSB0, or sim\n"
    "  --baud B        1200 ... 115200\n"
    "  --parity X      N, E or O\n"
    "  --stopbits S    1 or 2\n"
    "  --unit N        the unit 0 ... 31\n"
    "  --units LIST    a list or range, \"0-31\" or \"1,4,7-9\" (info, receive, backup, diff)\n"
    "  --lang N        0 Dutch, 1 English, 2 German: messages, names and option texts\n"
    "  --fast          fast framing (a reply ends at its line end, not after 50 ms)\n"
    "  --json          one JSON document on standard output\n"
    "  --quiet         no summary lines, only data and errors\n"
    "  -h, --help      this help, or the help of the command given\n"
    "Port, line settings and unit come from application.ini when it is there\n"
    "(beside the program, or in ~/.config/kqm52 when installed); options\n"
    "override them.\n"
    "Exit codes: 0 done, 1 differences found (diff), 2 usage, 3 no reply or link\n"
    "error, 4 refused by the unit, 5 file error, 6 some units of a --units run\n"
    "failed, 130 stopped by Ctrl+C.\n";

const CommandHelp* findCommand(const QString& name) {
    for (const CommandHelp& c : kCommands)
        if (name == QLatin1String(c.name)) return &c;
    return nullptr;
}

} // namespace

std::optional<TBaudrate> parseBaud(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) return std::nullopt;
    for (int i = 0; i < BaudrateCount; ++i)
        if (baudrateValue(TBaudrate(i)) == value) return TBaudrate(i);
    return std::nullopt;
}

std::optional<TParityBit> parseParity(const QString& text) {
    const QString t = text.toLower();
    if (t == QLatin1String("n") || t == QLatin1String("none")) return TParityBit::None;
    if (t == QLatin1String("e") || t == QLatin1String("even")) return TParityBit::Even;
    if (t == QLatin1String("o") || t == QLatin1String("odd")) return TParityBit::Odd;
    return std::nullopt;
}

std::optional<TStopBit> parseStopBits(const QString& text) {
    if (text == QLatin1String("1")) return TStopBit::sb_1;
    if (text == QLatin1String("2")) return TStopBit::sb_2;
    return std::nullopt;
}

std::optional<std::vector<int>> parseUnitList(const QString& text) {
    std::vector<int> units;
    if (text.trimmed().isEmpty()) return std::nullopt;
    const auto number = [](const QString& s) -> std::optional<int> {
        bool ok = false;
        const int n = s.trimmed().toInt(&ok);
        if (!ok || n < 0 || n > 31) return std::nullopt;
        return n;
    };
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.split(QLatin1Char('-'));
        if (ends.size() > 2) return std::nullopt;
        const auto first = number(ends.front());
        const auto last = number(ends.back());
        if (!first || !last || *last < *first) return std::nullopt;
        for (int n = *first; n <= *last; ++n)
            if (std::find(units.begin(), units.end(), n) == units.end()) units.push_back(n);
    }
    return units;
}

ParsedLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption port(QStringLiteral("port"), {}, QStringLiteral("P"));
    const QCommandLineOption baud(QStringLiteral("baud"), {}, QStringLiteral("B"));
    const QCommandLineOption parity(QStringLiteral("parity"), {}, QStringLiteral("X"));
    const QCommandLineOption stop(QStringLiteral("stopbits"), {}, QStringLiteral("S"));
    const QCommandLineOption unit(QStringLiteral("unit"), {}, QStringLiteral("N"));
    const QCommandLineOption units(QStringLiteral("units"), {}, QStringLiteral("LIST"));
    const QCommandLineOption lang(QStringLiteral("lang"), {}, QStringLiteral("N"));
    const QCommandLineOption fast(QStringLiteral("fast"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption load(QStringLiteral("load"));
    const QCommandLineOption yes(QStringLiteral("yes"));
    const QCommandLineOption all(QStringLiteral("all-settings"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions(
        {port, baud, parity, stop, unit, units, lang, fast, json, quiet, load, yes, all, help});

    ParsedLine result;
    CtlOptions& o = result.options;
    if (!parser.parse(QStringList{QStringLiteral("kqm52ctl")} + arguments)) {
        result.error = parser.errorText();
        return result;
    }
    o.help = parser.isSet(help);
    QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty()) o.command = positional.takeFirst();
    o.arguments = positional;
    o.fast = parser.isSet(fast);
    o.json = parser.isSet(json);
    o.quiet = parser.isSet(quiet);
    o.load = parser.isSet(load);
    o.yes = parser.isSet(yes);
    o.allSettings = parser.isSet(all);

    const auto fail = [&](TextIn<"Ctl"> text, const QString& value) {
        result.errorText = text;
        result.errorValue = value;
        result.error = QString::fromUtf8(text.id()->def).arg(value);
        return result;
    };
    if (!o.command.isEmpty() && !findCommand(o.command)) return fail("OptCommand", o.command);
    if (parser.isSet(port)) o.port = parser.value(port);
    if (parser.isSet(baud) && !(o.baud = parseBaud(parser.value(baud))))
        return fail("OptBaud", parser.value(baud));
    if (parser.isSet(parity) && !(o.parity = parseParity(parser.value(parity))))
        return fail("OptParity", parser.value(parity));
    if (parser.isSet(stop) && !(o.stopBits = parseStopBits(parser.value(stop))))
        return fail("OptStopBits", parser.value(stop));
    if (parser.isSet(unit)) {
        const auto n = parseUnitList(parser.value(unit));
        if (!n || n->size() != 1 || parser.value(unit).contains(QLatin1Char('-')))
            return fail("OptUnit", parser.value(unit));
        o.unit = n->front();
    }
    if (parser.isSet(units) && !(o.units = parseUnitList(parser.value(units))))
        return fail("OptUnits", parser.value(units));
    if (parser.isSet(lang)) {
        bool ok = false;
        const int n = parser.value(lang).toInt(&ok);
        if (!ok || n < 0 || n > 2) return fail("OptLang", parser.value(lang));
        o.language = n;
    }
    return result;
}

std::optional<int> languageAsked(const QStringList& arguments) {
    std::optional<int> asked;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        QString value;
        if ((a == QLatin1String("--lang") || a == QLatin1String("-lang")) &&
            i + 1 < arguments.size())
            value = arguments[++i];
        else if (a.startsWith(QLatin1String("--lang=")))
            value = a.mid(7);
        else
            continue;
        bool ok = false;
        const int n = value.toInt(&ok);
        asked = ok && n >= 0 && n <= 2 ? std::optional<int>(n) : std::nullopt;
    }
    return asked;
}

QStringList commandNames() {
    QStringList names;
    for (const CommandHelp& c : kCommands)
        names << QLatin1String(c.name);
    return names;
}

QString generalHelp() {
    QString text = QStringLiteral("Usage: kqm52ctl COMMAND [ARGUMENTS] [OPTIONS]\n\n"
                                  "The KQM52 service tool for scripts: one MX5x unit, or a bus of\n"
                                  "them, from the command line.\n\nCommands:\n");
    for (const CommandHelp& c : kCommands)
        text += QStringLiteral("  %1\n").arg(QLatin1String(c.usage));
    text += QStringLiteral("\n\"kqm52ctl COMMAND --help\" tells more of one command.\n\n");
    return text + QLatin1String(kCommonOptions);
}

QString commandHelp(const QString& command) {
    const CommandHelp* c = findCommand(command);
    if (!c) return {};
    return QStringLiteral("Usage: kqm52ctl %1\n\n%2\n\n%3")
        .arg(QLatin1String(c->usage), QLatin1String(c->text), QLatin1String(kCommonOptions));
}

} // namespace kqm52::ctl
