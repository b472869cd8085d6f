#include "ctl/CtlOptions.h"

#include "ctl/CtlCommandTable.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/PortOpenText.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace kqm52::ctl {

namespace {

using Text = TextIn<"Ctl">;

struct OptionHelp {
    const char* spelling;
    Text text;
};

const OptionHelp kOptions[] = {
    {"--port P", "HelpOptPort"},
    {"--ports-from F", "HelpOptPortsFrom"},
    {"--baud B", "HelpOptBaud"},
    {"--parity X", "HelpOptParity"},
    {"--stopbits S", "HelpOptStopBits"},
    {"--unit N", "HelpOptUnit"},
    {"--units LIST", "HelpOptUnits"},
    {"--lang N", "HelpOptLang"},
    {"--fast", "HelpOptFast"},
    {"--json", "HelpOptJson"},
    {"--quiet", "HelpOptQuiet"},
    {"--journal FILE", "HelpOptJournal"},
    {"--require-journal", "HelpOptRequireJournal"},
    {"-h, --help", "HelpOptHelp"},
};

// A terminal's width, less one so that no line reaches the last column.
constexpr int HelpWidth = 79;
// Where an option's text begins.
constexpr int OptionTextColumn = 18;

// text broken at blanks into lines of at most HelpWidth columns: the first
// after lead, the others after indent blanks.  The blanks between two words
// on a line stay as they were; a word longer than a line stands on a line of
// its own.
QString wrapped(const QString& text, const QString& lead, int indent) {
    static const QRegularExpression word(QStringLiteral("( *)([^ ]+)"));
    QString out = lead;
    qsizetype column = lead.size();
    bool lineHasWord = false;
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const QString gap = lineHasWord ? m.captured(1) : QString();
        const QString w = m.captured(2);
        if (lineHasWord && column + gap.size() + w.size() > HelpWidth) {
            out += QLatin1Char('\n') + QString(indent, QLatin1Char(' ')) + w;
            column = indent + w.size();
            continue;
        }
        out += gap + w;
        column += gap.size() + w.size();
        lineHasWord = true;
    }
    return out + QLatin1Char('\n');
}

// The options every command shares, how settings are found, the exit codes.
QString commonHelp(const LanguageTexts& language) {
    QString text = language.text(Text{"HelpOptions"}) + QLatin1Char('\n');
    for (const OptionHelp& o : kOptions)
        text += wrapped(
            o.text.id() == TextId{"Ctl", "HelpOptPort"}
                ? language.text(o.text.id()).arg(portFormsText(language, PortMap()))
                : language.text(o.text.id()),
            QStringLiteral("  %1").arg(QLatin1String(o.spelling)).leftJustified(OptionTextColumn),
            OptionTextColumn);
    return text + wrapped(language.text(Text{"HelpSettings"}), {}, 0) +
           wrapped(language.text(Text{"HelpExitCodes"}), {}, 0);
}

QString usageLine(const LanguageTexts& language, const CtlCommand& c) {
    QString usage = QStringLiteral("kqm52ctl ") + QLatin1String(c.usage);
    if (c.note) usage += QStringLiteral("   ") + language.text(c.note->id());
    return wrapped(language.text(Text{"HelpUsage"}).arg(usage), {}, 4);
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
    const QCommandLineOption portsFrom(QStringLiteral("ports-from"), {}, QStringLiteral("F"));
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
    const QCommandLineOption journal(QStringLiteral("journal"), {}, QStringLiteral("FILE"));
    const QCommandLineOption requireJournal(QStringLiteral("require-journal"));
    const QCommandLineOption since(QStringLiteral("since"), {}, QStringLiteral("DATE"));
    const QCommandLineOption until(QStringLiteral("until"), {}, QStringLiteral("DATE"));
    const QCommandLineOption serial(QStringLiteral("serial"), {}, QStringLiteral("S"));
    const QCommandLineOption action(QStringLiteral("action"), {}, QStringLiteral("A"));
    const QCommandLineOption prune(QStringLiteral("prune-before"), {}, QStringLiteral("DATE"));
    parser.addOptions({port,           portsFrom, baud,  parity, stop,   unit, units, lang,
                       fast,           json,      quiet, load,   yes,    all,  help,  journal,
                       requireJournal, since,     until, serial, action, prune});

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
    if (parser.isSet(journal)) o.journal = parser.value(journal);
    o.requireJournal = parser.isSet(requireJournal);
    o.serial = parser.value(serial);
    o.action = parser.value(action);

    const auto fail = [&](TextIn<"Ctl"> text, const QString& value) {
        result.errorText = text;
        result.errorValue = value;
        result.error = QString::fromUtf8(text.id()->def).arg(value);
        return result;
    };
    if (!o.command.isEmpty() && !findCommand(o.command)) return fail("OptCommand", o.command);
    o.ports = parser.values(port);
    for (const QString& p : std::as_const(o.ports))
        if (!isPortName(p)) return fail("OptPort", p);
    if (parser.isSet(portsFrom)) o.portsFrom = parser.value(portsFrom);
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
    if (parser.isSet(lang) && !(o.language = parseLanguage(parser.value(lang))))
        return fail("OptLang", parser.value(lang));
    for (const auto& [option, field] : {std::pair{&since, &o.since}, std::pair{&until, &o.until},
                                        std::pair{&prune, &o.pruneBefore}})
        if (parser.isSet(*option) && !(*field = parseDate(parser.value(*option))))
            return fail("OptDate", parser.value(*option));
    // "--until 2026-12-08" means up to the end of that day, as a person says it.
    if (o.until && parser.value(until).trimmed().size() == 10) *o.until = o.until->addDays(1);
    return result;
}

std::optional<QDateTime> parseDate(const QString& text) {
    const QString t = text.trimmed();
    for (const char* format : {"yyyy-MM-dd", "yyyy-MM-ddTHH:mm", "yyyy-MM-dd HH:mm",
                               "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm:ss"}) {
        const QDateTime d = QDateTime::fromString(t, QLatin1String(format));
        if (d.isValid()) return d;
    }
    return std::nullopt;
}

std::optional<LineSettings> parseLineSettings(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^([0-9]+),?([A-Za-z]),?([78]),?([0-9])$"));
    const auto m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const auto baud = parseBaud(m.captured(1));
    const auto parity = parseParity(m.captured(2));
    const auto stop = parseStopBits(m.captured(4));
    if (!baud || !parity || !stop) return std::nullopt;
    return LineSettings{*baud, *parity,
                        m.captured(3) == QLatin1String("7") ? TDataBit::db_7 : TDataBit::db_8,
                        *stop};
}

PortsFile parsePortsFile(const QString& text) {
    PortsFile file;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QStringList words =
            lines[n].section(QLatin1Char('#'), 0, 0).split(blanks, Qt::SkipEmptyParts);
        if (words.isEmpty()) continue;
        const auto bad = [&](const QString& word) {
            file.buses.clear();
            file.badLine = int(n + 1);
            file.badWord = word;
            return file;
        };
        CtlBusSpec bus;
        bus.port = words.front();
        if (!isPortName(bus.port)) return bad(bus.port);
        bool settingsGiven = false;
        for (qsizetype i = 1; i < words.size(); ++i) {
            const QString& w = words[i];
            if (w == QLatin1String("--units") || w.startsWith(QLatin1String("--units="))) {
                const bool joined = w.size() > 7;
                if (!joined && i + 1 == words.size()) return bad(w);
                const QString list = joined ? w.mid(8) : words[++i];
                if (bus.units || !(bus.units = parseUnitList(list))) return bad(joined ? w : list);
                continue;
            }
            const auto settings = parseLineSettings(w);
            if (!settings || settingsGiven) return bad(w);
            settingsGiven = true;
            bus.baud = settings->baud;
            bus.parity = settings->parity;
            bus.dataBits = settings->dataBits;
            bus.stopBits = settings->stopBits;
        }
        file.buses.push_back(bus);
    }
    return file;
}

QString portLabel(const QString& port) {
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]+"));
    QString label = QString(port).replace(unsafe, QStringLiteral("_"));
    while (label.startsWith(QLatin1Char('_')))
        label.remove(0, 1);
    while (label.endsWith(QLatin1Char('_')))
        label.chop(1);
    // "." and ".." are folders already; a name of dots alone is none of ours.
    if (label.count(QLatin1Char('.')) == label.size()) label.prepend(QLatin1Char('_'));
    return label;
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
        asked = parseLanguage(value);
    }
    return asked;
}

bool jsonAsked(const QStringList& arguments) {
    for (const QString& a : arguments) {
        if (a == QLatin1String("--")) return false;
        if (a == QLatin1String("--json") || a == QLatin1String("-json")) return true;
    }
    return false;
}

std::optional<int> parseLanguage(const QString& text) {
    static const QString codes[] = {QStringLiteral("nl"), QStringLiteral("en"),
                                    QStringLiteral("de")};
    for (int n = 0; n < 3; ++n)
        if (text == QString::number(n) || text.compare(codes[n], Qt::CaseInsensitive) == 0)
            return n;
    return std::nullopt;
}

bool isPortName(const QString& text) {
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]?)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (const auto m = com.match(text); m.hasMatch()) return m.captured(1).toInt() <= PortCount;
    return PortMap().familyOf(text) != nullptr;
}

QString generalHelp(const LanguageTexts& language) {
    const QString usage =
        QStringLiteral("kqm52ctl %1 [%2] [%3]")
            .arg(language.text(Text{"HelpCommandWord"}), language.text(Text{"HelpArgumentsWord"}),
                 language.text(Text{"HelpOptionsWord"}));
    QString text = wrapped(language.text(Text{"HelpUsage"}).arg(usage), {}, 4) + QLatin1Char('\n') +
                   wrapped(language.text(Text{"HelpAbout"}), {}, 0) + QLatin1Char('\n') +
                   language.text(Text{"HelpCommands"}) + QLatin1Char('\n');
    for (const CtlCommand& c : ctlCommands()) {
        QString line = QLatin1String(c.usage);
        if (c.note) line += QStringLiteral("   ") + language.text(c.note->id());
        text += wrapped(line, QStringLiteral("  "), 6);
    }
    return text + QLatin1Char('\n') + wrapped(language.text(Text{"HelpMore"}), {}, 0) +
           QLatin1Char('\n') + commonHelp(language);
}

QString commandHelp(const LanguageTexts& language, const QString& command) {
    const CtlCommand* c = findCommand(command);
    if (!c) return {};
    return usageLine(language, *c) + QLatin1Char('\n') +
           wrapped(language.text(c->help.id()), {}, 0) + QLatin1Char('\n') + commonHelp(language);
}

} // namespace kqm52::ctl
