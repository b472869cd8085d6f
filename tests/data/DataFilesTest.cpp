// The data files that lie beside the program (data/), read with the
// program's own readers (IniFile, ListText, the catalogue, GroupTree) so that
// what passes here is what the program sees, and held against each other and
// against the table of language texts (model/texts/TextKeys.h), and against the
// script that writes them and that table's rows (data/tools/make_data.py).

#include "inifile/IniFile.h"
#include "inifile/ListText.h"
#include "link/PortFamily.h"
#include "model/texts/TextKeys.h"
#include "model/values/DecimalText.h"
#include "model/values/GroupTree.h"
#include "model/values/ParameterCatalogue.h"
#include "support/QtPrinting.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace kqm52;

namespace {

constexpr int kLanguages = 3; // 0 Dutch, 1 English, 2 German
constexpr int kParameters = 400;
constexpr int kRowsPerGroup = 18;

// The source folder data/; KQM52_CHECK_DATA_DIR points the test at another
// copy (the files beside a built or installed program, or a draft).
QString dataPath(const QString& name) {
    return qEnvironmentVariable("KQM52_CHECK_DATA_DIR", QStringLiteral(KQM52_DATA_DIR)) +
           QLatin1Char('/') + name;
}

QString perLanguage(const char* pattern, int lang) {
    return QString::fromLatin1(pattern).arg(lang);
}

QByteArray readBytes(const QString& name) {
    QFile file(dataPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

IniFile loadIni(const QString& name) {
    IniFile ini;
    EXPECT_TRUE(ini.load(dataPath(name))) << name.toStdString();
    return ini;
}

std::string s(const QString& text) {
    return text.toStdString();
}

// Each "[section]" and "section/key" once: IniFile merges a repeated
// section or key, which would silently hide one of two values.
void expectNoDuplicates(const QString& name) {
    QSet<QString> seen;
    QString section;
    for (const QString& line : QString::fromUtf8(readBytes(name)).split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        QString entry;
        if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
            entry = QLatin1Char('[') + (section = t.mid(1, t.size() - 2).toLower()) + ']';
        else if (!t.startsWith(QLatin1Char(';')) && line.indexOf(QLatin1Char('=')) > 0)
            entry = section + QLatin1Char('/') + line.left(line.indexOf('=')).trimmed().toLower();
        else
            continue;
        EXPECT_FALSE(seen.contains(entry)) << s(name) << " has " << s(entry) << " twice";
        seen.insert(entry);
    }
}

// The lines of a message box are keys of their own; some of them are meant
// to be empty (the blank line between two sentences).
bool isMessageLine(const char* key) {
    static const QRegularExpression re(QStringLiteral("^(ZendMsg|AfdrukMsg)_[0-9]+$"));
    return re.match(QLatin1String(key)).hasMatch();
}

TEST(DataFiles, TextFilesAreUtf8WithLfLineEnds) {
    QStringList names{QStringLiteral("Parameters.txt"), QStringLiteral("ParNo.txt")};
    for (int lang = 0; lang < kLanguages; ++lang)
        names << perLanguage("Taal%1.ini", lang) << perLanguage("Tree%1.txt", lang);
    for (const QString& name : names) {
        const QByteArray bytes = readBytes(name);
        ASSERT_FALSE(bytes.isEmpty()) << s(name) << " missing or empty";
        EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << s(name) << " has a byte-order mark";
        QStringDecoder utf8(QStringConverter::Utf8);
        const QString text = utf8.decode(bytes);
        EXPECT_FALSE(utf8.hasError()) << s(name) << " is not valid UTF-8";
        EXPECT_FALSE(bytes.contains('\r')) << s(name) << " has CR line ends";
        EXPECT_TRUE(bytes.endsWith('\n')) << s(name) << " lacks a final line end";
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i)
            EXPECT_FALSE(lines[i].endsWith(QLatin1Char(' '))) << s(name) << ":" << i + 1;
    }
}

// ---------------------------------------------------------------------------
// Language files against the table of keys.

// The row of the table for a section and key as a file spells them, or nullptr.
const TextKey* tableRow(const QString& section, const QString& key) {
    for (const TextKey& k : textKeys())
        if (section.compare(QLatin1String(k.section), Qt::CaseInsensitive) == 0 &&
            key.compare(QLatin1String(k.key), Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

TEST(LanguageFiles, HoldExactlyTheKeysTheWindowsRead) {
    // Sections and keys are found in any case: the setpoint printout spells the
    // setpoint editor's section "EditSollWert".
    ASSERT_NE(tableRow(QStringLiteral("EditSollWert"), QStringLiteral("KolomTekst_NO")), nullptr);
    ASSERT_EQ(tableRow(QStringLiteral("Main"), QStringLiteral("NoSuchKey")), nullptr);
    std::vector<IniFile> files;
    for (int lang = 0; lang < kLanguages; ++lang) {
        const QString name = perLanguage("Taal%1.ini", lang);
        expectNoDuplicates(name);
        const IniFile& ini = files.emplace_back(loadIni(name));
        for (const QString& section : ini.sections())
            for (const QString& key : ini.keys(section))
                EXPECT_NE(tableRow(section, key), nullptr)
                    << s(name) << " [" << s(section) << "] " << s(key) << " is read by no window";
        for (const TextKey& k : textKeys()) {
            const auto where = [&] { return s(name) + " [" + k.section + "] " + k.key; };
            const QString section = QLatin1String(k.section), key = QLatin1String(k.key);
            ASSERT_TRUE(ini.hasKey(section, key)) << where() << " missing";
            const QString value = ini.readString(section, key);
            if (k.kind == TextKind::ItemList) {
                const QStringList items = ListText::read(value);
                EXPECT_EQ(items.size(), k.count) << where();
                for (const QString& item : items)
                    EXPECT_FALSE(item.trimmed().isEmpty()) << where();
            } else if (!isMessageLine(k.key)) {
                // The program fills in "%1" .. "%3"; a translation that drops
                // or adds one shows a raw marker or loses the device's name.
                static const QRegularExpression marker(QStringLiteral("%[1-9]"));
                QStringList wanted, found;
                for (auto it = marker.globalMatch(QLatin1String(k.def)); it.hasNext();)
                    wanted << it.next().captured(0);
                for (auto it = marker.globalMatch(value); it.hasNext();)
                    found << it.next().captured(0);
                wanted.sort();
                wanted.removeDuplicates();
                found.sort();
                found.removeDuplicates();
                EXPECT_EQ(found, wanted) << where();
                EXPECT_FALSE(value.isEmpty()) << where() << " is empty";
            } else {
                // A line left blank between two sentences is blank in every language.
                EXPECT_EQ(value.isEmpty(), files[0].readString(section, key).isEmpty()) << where();
            }
        }
    }
}

// The port families name their words as strings (the link has no texts):
// each must be a row of the table, or the word would go missing unseen.
TEST(LanguageFiles, HoldTheWordsOfEveryPortFamily) {
    for (const PortFamily& family : standardPortFamilies()) {
        std::vector<TextRef> refs = {family.form, family.notBuilt};
        for (const OpenAdvice& a : family.advice)
            refs.insert(refs.end(), {a.text, a.byGroup});
        for (const TextRef& ref : refs)
            if (ref)
                EXPECT_TRUE(textIdNamed(ref.section, ref.key))
                    << s(family.name) << ": [" << ref.section << "] " << ref.key;
    }
    EXPECT_FALSE(textIdNamed("Ctl", "NoSuchKey"));
}

TEST(DataFiles, AreWhatTheirScriptWrites) {
    // A file edited by hand, or a script changed without running it, would
    // be undone or lost by the next run.
    QTemporaryDir out;
    const QString script = QStringLiteral(KQM52_DATA_DIR "/tools/make_data.py");
    QProcess run;
    run.start(QStringLiteral("python3"), {script, QStringLiteral("--out"), out.path()});
    if (!run.waitForStarted()) GTEST_SKIP() << "python3 is not installed";
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    const QStringList written = QDir(out.path()).entryList(QDir::Files);
    // Three of Taal, Tree and ErrorHelp; Parameters, ParNo; the text table's rows in model/texts/.
    EXPECT_EQ(written.size(), 12);
    for (const QString& name : written) {
        QFile made(out.filePath(name));
        ASSERT_TRUE(made.open(QIODevice::ReadOnly));
        const bool rows = name == QLatin1String("TextTable.inc");
        QFile shipped(QStringLiteral(KQM52_DATA_DIR) + (rows ? "/../model/texts/" : "/") + name);
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly)) << s(shipped.fileName()) << " is missing";
        EXPECT_TRUE(made.readAll() == shipped.readAll())
            << s(name) << " differs from what make_data.py writes";
    }
}

TEST(LanguageFiles, ItemListsFollowTheEnumerationsOfTheSerialPort) {
    QStringList ports;
    for (int i = 1; i <= 16; ++i)
        ports << QStringLiteral("COM%1").arg(i);
    struct Expected {
        const char* key;
        int from; // items before this index are translated
        QStringList items;
    };
    const Expected expected[] = {
        {"PortItems", 0, ports},
        // The baud list starts at 9600 (index = TBaudrate ordinal - 3).
        {"BaudItems", 0, {"9600", "19200", "28800", "38400", "57600", "115200"}},
        {"DataBitItems", 0, {"7", "8"}},
        {"StopbitItems", 0, {"1", "2"}},
        {"IOItems", 0, {"03F8h", "02F8h", "03E8h", "02E8h"}},
        {"PortTypeItems", 0, {"RS-232C", "RS-422", "RS-485"}},
        {"TransmitterItems", 1, {"Register 7 = 1", "RTS = 1", "DTR = 0"}},
        {"ReceiverItems", 1, {"Register 7 = 2"}},
        {"HardwareItems", 1, {"PCLab PCL-745"}},
    };
    for (int lang = 0; lang < kLanguages; ++lang) {
        const IniFile ini = loadIni(perLanguage("Taal%1.ini", lang));
        for (const Expected& e : expected)
            EXPECT_EQ(
                ListText::read(ini.readString(QStringLiteral("InitCom"), QLatin1String(e.key)))
                    .mid(e.from, e.items.size()),
                e.items)
                << e.key << " in language " << lang;
        // The language list names each language in its own tongue somewhere.
        const QStringList languages =
            ListText::read(ini.readString(QStringLiteral("Opties"), QStringLiteral("TaalItems")));
        ASSERT_EQ(languages.size(), 3);
        EXPECT_TRUE(languages[0].contains(QStringLiteral("Nederlands"))) << lang;
        EXPECT_TRUE(languages[1].contains(QStringLiteral("English"))) << lang;
        EXPECT_TRUE(languages[2].contains(QStringLiteral("Deutsch"))) << lang;
    }
}

// ---------------------------------------------------------------------------
// Parameters.txt

class Catalogue : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString dir = dataPath({});
        catalogue.ParameterDef_lezen(dir);
        catalogue.ParamNo_lezen(dir);
        ASSERT_TRUE(catalogue.parameterDefinitionsPresent());
        ASSERT_TRUE(catalogue.parameterNumbersPresent());
        GroupTree tree;
        ASSERT_TRUE(tree.load(dataPath(QStringLiteral("Tree0.txt"))));
        for (const GroupTree::Node& node : tree.nodes())
            if (node.level > 0) treeGroups.insert(node.groupId());
    }
    const IniFile& defs() const { return catalogue.definitions(); }

    ParameterCatalogue catalogue;
    std::set<int> treeGroups;
};

TEST_F(Catalogue, EverySectionIsAWellFormedParameter) {
    expectNoDuplicates(QStringLiteral("Parameters.txt"));
    static const QRegularExpression number(QStringLiteral("^[0-9]{3}$"));
    const QStringList known{"naam0",   "naam1", "naam2", "type", "opties0", "opties1",
                            "opties2", "dec",   "min",   "max",  "default"};
    for (const QString& section : defs().sections()) {
        ASSERT_TRUE(number.match(section).hasMatch()) << s(section);
        EXPECT_LT(section.toInt(), kParameters) << s(section);
        for (const QString& key : defs().keys(section))
            EXPECT_TRUE(known.contains(key)) << "[" << s(section) << "] " << s(key);
    }
    int withSection = 0;
    std::map<QString, int> names[kLanguages];
    for (int p = 0; p < kParameters; ++p) {
        if (!catalogue.hasParameter(p)) continue;
        ++withSection;
        const QString section = ParameterCatalogue::sectionName(p);
        for (const char* key : {"type", "dec", "min", "max", "default"})
            EXPECT_EQ(defs().readInteger(section, QLatin1String(key), 1),
                      defs().readInteger(section, QLatin1String(key), 2))
                << p << " " << key << " is not an integer";
        for (int lang = 0; lang < kLanguages; ++lang) {
            const QString name = catalogue.name(p, lang);
            EXPECT_FALSE(name.isEmpty()) << p << " has no naam" << lang;
            const auto [it, fresh] = names[lang].emplace(name, p);
            EXPECT_TRUE(fresh) << "naam" << lang << " " << s(name) << " of " << p << " and "
                               << it->second;
        }
        const int dec = catalogue.decimals(p);
        EXPECT_TRUE((dec >= 0 && dec <= 4) || dec == 9) << p << " dec " << dec;
        // The service window refuses more than 8 digits.
        EXPECT_GE(catalogue.minimum(p), -99999999) << p;
        EXPECT_LE(catalogue.maximum(p), 99999999) << p;
        // What the editor shows for the default can be typed back in.
        const int shown = dec == 9 ? catalogue.defaultValue(203) : dec;
        if (!catalogue.isOptionList(p)) {
            EXPECT_EQ(DecStrToInt(formatDecimal(shown, catalogue.defaultValue(p)), shown, true,
                                  catalogue.minimum(p), catalogue.maximum(p)),
                      catalogue.defaultValue(p))
                << p;
        }
    }
    // A few reserve numbers may go without a section.
    EXPECT_GE(withSection, kParameters - 10);
}

TEST_F(Catalogue, OptionListsLabelEveryAllowedValue) {
    // A "#" reference that leads nowhere, or to another reference, leaves
    // labels missing or starting with "#".
    for (int p = 0; p < kParameters; ++p) {
        if (!catalogue.hasParameter(p)) continue;
        const QString section = ParameterCatalogue::sectionName(p);
        const int type = defs().readInteger(section, QStringLiteral("type"), -1);
        EXPECT_TRUE(type == 0 || type == 1) << p << " type " << type;
        const bool isList = catalogue.isOptionList(p);
        EXPECT_TRUE(!isList || (catalogue.decimals(p) == 0 && catalogue.minimum(p) == 0)) << p;
        for (int lang = 0; lang < kLanguages; ++lang) {
            const QString key = QStringLiteral("opties%1").arg(lang);
            if (!isList) {
                EXPECT_FALSE(defs().hasKey(section, key)) << p << " " << s(key);
                continue;
            }
            const QStringList options = catalogue.optionList(p, lang);
            EXPECT_EQ(options.size(), catalogue.maximum(p) + 1) << p << " " << s(key);
            for (const QString& option : options)
                EXPECT_TRUE(!option.trimmed().isEmpty() && !option.startsWith(QLatin1Char('#')))
                    << p << " " << s(key) << " " << s(option);
        }
    }
}

TEST_F(Catalogue, ParametersTheWindowsInterpretHaveTheirMeaning) {
    const auto options = [&](int p) { return catalogue.optionList(p, 1).size(); };
    const QStringList selector = catalogue.optionList(304, 1);
    for (int n = 1; n <= 24; ++n) {
        // Cam display: start, end, hysteresis with the position decimals.
        for (int first : {6, 30, 54})
            EXPECT_EQ(catalogue.decimals(first + n), 9) << first + n;
        // Function: 0 not in use, 1..3 the three coloured kinds.
        EXPECT_EQ(options(255 + n), 4) << n;
        EXPECT_TRUE(catalogue.isOptionList(279 + n)) << n;
        // Selectors: 0 own value, 1..48 setpoints, 49..52 thumbwheels.
        EXPECT_EQ(catalogue.optionList(303 + n, 1), selector) << n;
        EXPECT_EQ(catalogue.optionList(327 + n, 1), selector) << n;
        // Output 1..4 (0: none).
        EXPECT_EQ(options(351 + n), 5) << n;
    }
    ASSERT_EQ(selector.size(), 53);
    EXPECT_TRUE(selector.at(12).contains(QStringLiteral("12")));
    EXPECT_TRUE(selector.at(50).contains(QStringLiteral("2")));
    for (int m = 1; m <= 4; ++m)
        EXPECT_EQ(catalogue.decimals(93 + m), 3) << m; // output advance
    // The K0 label: 200 = 1 or 2 hold/reset; 201 = 1 SSI; 212 fine
    // reference on/off; 218 = 1, 2 or 4 adjusts the SSI position by K0.
    EXPECT_GE(options(200), 3);
    EXPECT_GE(options(201), 3);
    EXPECT_GE(options(212), 2);
    for (int lang = 0; lang < kLanguages; ++lang)
        EXPECT_TRUE(catalogue.optionList(201, lang).value(1).contains(QStringLiteral("SSI")))
            << lang;
    ASSERT_EQ(options(218), 5);
    for (int v = 1; v <= 4; ++v)
        EXPECT_EQ(catalogue.optionList(218, 1).at(v).contains(QStringLiteral("K0")), v != 3) << v;
    // 203 is the number of position decimals (9 would be circular).
    EXPECT_FALSE(catalogue.isOptionList(203));
    EXPECT_EQ(catalogue.decimals(203), 0);
    EXPECT_EQ(catalogue.minimum(203), 0);
    EXPECT_LE(catalogue.maximum(203), 8);
    // Calibration: 226 selects the analog input, 0 voltage, 1 current.
    EXPECT_EQ(options(226), 2);
    // Live monitor: 388 is the analog output mode, 0 none, 1 voltage, 2 current.
    EXPECT_EQ(options(388), 3);
    // The input and output functions label the lamps of the main window.
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(catalogue.optionList(248 + i, 1), catalogue.optionList(249, 1)) << i;
        EXPECT_EQ(catalogue.optionList(388 + i, 1), catalogue.optionList(389, 1)) << i;
    }
    EXPECT_GE(options(249), 2);
    EXPECT_GE(options(389), 2);
}

// ---------------------------------------------------------------------------
// The group trees and ParNo.txt

TEST(GroupTrees, AllThreeHaveTheSameShape) {
    std::vector<GroupTree> trees(kLanguages);
    for (int lang = 0; lang < kLanguages; ++lang) {
        const QString name = perLanguage("Tree%1.txt", lang);
        ReadProblem problem;
        ASSERT_TRUE(trees[lang].load(dataPath(name), &problem)) << s(problem.reason.english());
        const auto& nodes = trees[lang].nodes();
        // The printout tells menus and submenus by their tabs.
        QStringList lines = QString::fromUtf8(readBytes(name)).split(QLatin1Char('\n'));
        lines.removeAll(QString());
        ASSERT_EQ(lines.size(), static_cast<qsizetype>(nodes.size())) << s(name);
        ASSERT_EQ(nodes.size(), trees[0].nodes().size()) << s(name);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const int level = nodes[i].level;
            EXPECT_TRUE(lines[i].startsWith(QString(level, QLatin1Char('\t'))) &&
                        !lines[i].mid(level).startsWith(QLatin1Char(' ')))
                << s(name) << ":" << i + 1 << " not indented by tabs";
            EXPECT_LE(level, 2) << s(name) << ":" << i + 1;
            EXPECT_EQ(level, trees[0].nodes()[i].level) << s(name) << ":" << i + 1;
            EXPECT_EQ(nodes[i].groupId(), trees[0].nodes()[i].groupId()) << s(name) << ":" << i + 1;
        }
        ASSERT_FALSE(nodes.empty());
        EXPECT_EQ(nodes[0].level, 0);
    }
}

TEST_F(Catalogue, RowsNameParametersThatHaveASection) {
    expectNoDuplicates(QStringLiteral("ParNo.txt"));
    const IniFile& numbers = catalogue.numbers();
    static const QRegularExpression rowKey(QStringLiteral("^ParId([0-9]+)$"));
    EXPECT_FALSE(numbers.hasSection(QStringLiteral("0"))) << "the root shows no parameters";
    for (const QString& section : numbers.sections()) {
        const int group = section.toInt();
        EXPECT_TRUE(treeGroups.count(group)) << s(section) << " has no node in the tree";
        const QStringList keys = numbers.keys(section);
        for (const QString& key : keys) {
            const auto m = rowKey.match(key);
            const int row = m.captured(1).toInt();
            EXPECT_TRUE(m.hasMatch() && row >= 1 && row <= kRowsPerGroup) << group << " " << s(key);
            const int p = numbers.readInteger(section, key, -2);
            EXPECT_TRUE(p >= 0 && p < kParameters && catalogue.hasParameter(p))
                << "group " << group << " " << s(key) << " names " << p;
        }
        // The printout reads rows 1..N, N being the count of rows.
        for (int row = 1; row <= keys.size(); ++row)
            EXPECT_NE(catalogue.parameterInRow(group, row), -1) << group << " row " << row;
    }
}

} // namespace
