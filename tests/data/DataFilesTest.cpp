// The data files that lie beside the program (data/), held against each
// other and against the code that reads them:
//
//  - Taal0.ini .. Taal2.ini hold every section and key of the table the
//    windows read (shell/TextKeys.h), no key that nobody reads, and item lists
//    as long as the combo boxes they fill;
//  - Parameters.txt is a well-formed catalogue of the MX52: names in three
//    languages, defaults within limits, option lists for every allowed value,
//    "#" references that resolve, and the parameters whose meaning other Parts
//    rely on (cams, K0, analog input and output, I/O functions) as they need;
//  - ParNo.txt and Tree0.txt .. Tree2.txt: every parameter in exactly one row
//    of one group, at most 18 rows, the three trees of one shape, menu 9 safe
//    to clear;
//  - ErrorHelp0.rtf .. ErrorHelp2.rtf: plain RTF that our reader and a word
//    processor open, explaining the same error numbers in every language.
//
// The files are read with the program's own readers (IniFile, ListText, the
// catalogue, GroupTree), so what passes here is what the program sees.

#include "params/GroupTree.h"
#include "params/ListText.h"
#include "params/ParameterCatalogue.h"
#include "shell/IniFile.h"
#include "shell/TextKeys.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <map>
#include <set>

// Readable failure messages for Qt's strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}
QT_END_NAMESPACE

using namespace kqm52;

namespace {

constexpr int kLanguages = 3; // 0 Dutch, 1 English, 2 German
constexpr int kParameters = 400;
constexpr int kRowsPerGroup = 18;

// The source folder data/; KQM52_CHECK_DATA_DIR points the test at another
// copy (the files beside a built or installed program, or a draft).
QString dataDir() {
    return qEnvironmentVariable("KQM52_CHECK_DATA_DIR", QStringLiteral(KQM52_DATA_DIR)) +
           QLatin1Char('/');
}

QString dataPath(const QString& name) {
    return dataDir() + name;
}

QByteArray readBytes(const QString& name) {
    QFile file(dataPath(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString languageFile(int lang) {
    return QStringLiteral("Taal%1.ini").arg(lang);
}
QString treeFile(int lang) {
    return QStringLiteral("Tree%1.txt").arg(lang);
}
QString helpFile(int lang) {
    return QStringLiteral("ErrorHelp%1.rtf").arg(lang);
}

IniFile loadIni(const QString& name) {
    IniFile ini;
    EXPECT_TRUE(ini.load(dataPath(name))) << name.toStdString();
    return ini;
}

std::string s(const QString& text) {
    return text.toStdString();
}

// Sections and keys in file order, duplicates kept (IniFile merges them, so a
// duplicate would silently hide one of two values).
struct RawIni {
    std::vector<std::pair<QString, std::vector<QString>>> sections;
    // "[section]" and "section/key", in file order.
    QStringList flat() const {
        QStringList out;
        for (const auto& [section, keys] : sections) {
            out << QLatin1Char('[') + section + QLatin1Char(']');
            for (const QString& key : keys)
                out << section + QLatin1Char('/') + key;
        }
        return out;
    }
};

RawIni rawIni(const QString& name) {
    RawIni raw;
    const QString text = QString::fromUtf8(readBytes(name));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            raw.sections.push_back({trimmed.mid(1, trimmed.size() - 2), {}});
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || eq <= 0) continue;
        if (!raw.sections.empty()) raw.sections.back().second.push_back(line.left(eq).trimmed());
    }
    return raw;
}

void expectNoDuplicates(const QString& name) {
    const RawIni raw = rawIni(name);
    QSet<QString> sections;
    for (const auto& [section, keys] : raw.sections) {
        EXPECT_FALSE(sections.contains(section.toLower()))
            << s(name) << " [" << s(section) << "] twice";
        sections.insert(section.toLower());
        QSet<QString> seen;
        for (const QString& key : keys) {
            EXPECT_FALSE(seen.contains(key.toLower()))
                << s(name) << " [" << s(section) << "] " << s(key) << " twice";
            seen.insert(key.toLower());
        }
    }
}

// The lines of a message box are keys of their own; some of them are meant
// to be empty (the blank line between two sentences).
bool isMessageLine(const char* key) {
    static const QRegularExpression re(QStringLiteral("^(ZendMsg|AfdrukMsg)_[0-9]+$"));
    return re.match(QLatin1String(key)).hasMatch();
}

// ---------------------------------------------------------------------------
// Encoding: UTF-8 without byte-order mark, lines ended by LF.

TEST(DataFiles, TextFilesAreUtf8WithLfLineEnds) {
    QStringList names{QStringLiteral("Parameters.txt"), QStringLiteral("ParNo.txt")};
    for (int lang = 0; lang < kLanguages; ++lang)
        names << languageFile(lang) << treeFile(lang);
    for (const QString& name : names) {
        const QByteArray bytes = readBytes(name);
        ASSERT_FALSE(bytes.isEmpty()) << s(name) << " missing or empty";
        EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"))
            << s(name) << " starts with a byte-order mark";
        QStringDecoder utf8(QStringConverter::Utf8);
        const QString text = utf8.decode(bytes);
        EXPECT_FALSE(utf8.hasError()) << s(name) << " is not valid UTF-8";
        EXPECT_FALSE(bytes.contains('\r')) << s(name) << " has CR line ends";
        EXPECT_TRUE(bytes.endsWith('\n')) << s(name) << " lacks a final line end";
        int lineNo = 0;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            ++lineNo;
            EXPECT_FALSE(line.endsWith(QLatin1Char(' ')))
                << s(name) << ":" << lineNo << " trailing blank";
        }
    }
}

// ---------------------------------------------------------------------------
// Language files against the table of keys.

TEST(TextKeys, TableHasEachKeyOnce) {
    std::set<std::pair<std::string, std::string>> seen;
    for (const TextKey& k : textKeys()) {
        const auto id = std::make_pair(QString::fromLatin1(k.section).toLower().toStdString(),
                                       QString::fromLatin1(k.key).toLower().toStdString());
        EXPECT_TRUE(seen.insert(id).second) << k.section << "/" << k.key;
        EXPECT_EQ(findTextKey(QLatin1String(k.section), QLatin1String(k.key)), &k);
        EXPECT_EQ(k.kind == TextKind::ItemList, k.count > 0) << k.section << "/" << k.key;
    }
    // Sections and keys are found without regard to case (the setpoint
    // printout spells the setpoint editor's section "EditSollWert").
    EXPECT_NE(findTextKey(u"EditSollWert", u"Kolomtekst_no"), nullptr);
    EXPECT_NE(findTextKey(u"main", u"cmdcomopen"), nullptr);
    EXPECT_EQ(findTextKey(u"Main", u"NoSuchKey"), nullptr);
}

TEST(LanguageFiles, HoldEveryKeyTheWindowsRead) {
    for (int lang = 0; lang < kLanguages; ++lang) {
        const QString name = languageFile(lang);
        const IniFile ini = loadIni(name);
        for (const TextKey& k : textKeys()) {
            const QString section = QLatin1String(k.section);
            const QString key = QLatin1String(k.key);
            ASSERT_TRUE(ini.hasKey(section, key))
                << s(name) << " lacks [" << k.section << "] " << k.key;
            const QString value = ini.readString(section, key);
            EXPECT_EQ(value, value.trimmed()) << s(name) << " [" << k.section << "] " << k.key;
            // "&" would turn the next letter into a shortcut on a Qt button or menu.
            EXPECT_FALSE(value.contains(QLatin1Char('&')))
                << s(name) << " [" << k.section << "] " << k.key;
            if (k.kind == TextKind::ItemList) {
                const QStringList items = ListText::read(value);
                EXPECT_EQ(items.size(), k.count) << s(name) << " [" << k.section << "] " << k.key;
                for (const QString& item : items)
                    EXPECT_FALSE(item.trimmed().isEmpty())
                        << s(name) << " [" << k.section << "] " << k.key;
            } else if (!isMessageLine(k.key)) {
                EXPECT_FALSE(value.isEmpty())
                    << s(name) << " [" << k.section << "] " << k.key << " is empty";
            }
        }
    }
}

TEST(LanguageFiles, HoldNoKeyThatNobodyReads) {
    for (int lang = 0; lang < kLanguages; ++lang) {
        const QString name = languageFile(lang);
        expectNoDuplicates(name);
        const IniFile ini = loadIni(name);
        for (const QString& section : ini.sections())
            for (const QString& key : ini.keys(section))
                EXPECT_NE(findTextKey(section, key), nullptr)
                    << s(name) << " [" << s(section) << "] " << s(key) << " is read by no window";
    }
}

TEST(LanguageFiles, AllThreeHaveTheSameKeysInTheSameOrder) {
    const QStringList dutch = rawIni(languageFile(0)).flat();
    for (int lang = 1; lang < kLanguages; ++lang) {
        const QStringList other = rawIni(languageFile(lang)).flat();
        for (qsizetype i = 0; i < std::min(dutch.size(), other.size()); ++i) {
            if (dutch[i] != other[i]) {
                ADD_FAILURE() << s(languageFile(lang)) << " has " << s(other[i]) << " where "
                              << s(languageFile(0)) << " has " << s(dutch[i]);
                break;
            }
        }
        EXPECT_EQ(other.size(), dutch.size()) << s(languageFile(lang));
    }
}

TEST(LanguageFiles, MessagesHaveTheSameShapeInEveryLanguage) {
    // A line left blank between two sentences is blank in every language.
    std::vector<IniFile> files;
    for (int lang = 0; lang < kLanguages; ++lang)
        files.push_back(loadIni(languageFile(lang)));
    for (const TextKey& k : textKeys()) {
        if (!isMessageLine(k.key)) continue;
        const bool blank =
            files[0].readString(QLatin1String(k.section), QLatin1String(k.key)).isEmpty();
        for (int lang = 1; lang < kLanguages; ++lang)
            EXPECT_EQ(
                files[lang].readString(QLatin1String(k.section), QLatin1String(k.key)).isEmpty(),
                blank)
                << k.section << "/" << k.key << " in " << s(languageFile(lang));
    }
}

TEST(LanguageFiles, ItemListsFollowTheEnumerationsOfTheSerialPort) {
    QStringList ports;
    for (int i = 1; i <= 16; ++i)
        ports << QStringLiteral("COM%1").arg(i);
    for (int lang = 0; lang < kLanguages; ++lang) {
        const IniFile ini = loadIni(languageFile(lang));
        const auto items = [&](const char* key) {
            return ListText::read(ini.readString(QStringLiteral("InitCom"), QLatin1String(key)));
        };
        EXPECT_EQ(items("PortItems"), ports);
        // The baud list starts at 9600 (index = TBaudrate ordinal - 3).
        EXPECT_EQ(items("BaudItems"),
                  QStringList({"9600", "19200", "28800", "38400", "57600", "115200"}));
        EXPECT_EQ(items("DataBitItems"), QStringList({"7", "8"}));
        EXPECT_EQ(items("StopbitItems"), QStringList({"1", "2"}));
        EXPECT_EQ(items("IOItems"), QStringList({"03F8h", "02F8h", "03E8h", "02E8h"}));
        EXPECT_EQ(items("PortTypeItems"), QStringList({"RS-232C", "RS-422", "RS-485"}));
        EXPECT_EQ(items("TransmitterItems").mid(1),
                  QStringList({"Register 7 = 1", "RTS = 1", "DTR = 0"}));
        EXPECT_EQ(items("ReceiverItems").mid(1), QStringList({"Register 7 = 2"}));
        EXPECT_EQ(items("HardwareItems").at(1), QStringLiteral("PCLab PCL-745"));
        // The language list names each language in its own tongue somewhere.
        const QStringList languages =
            ListText::read(ini.readString(QStringLiteral("Opties"), QStringLiteral("TaalItems")));
        ASSERT_EQ(languages.size(), 3);
        EXPECT_TRUE(languages[0].contains(QStringLiteral("Nederlands")));
        EXPECT_TRUE(languages[1].contains(QStringLiteral("English")));
        EXPECT_TRUE(languages[2].contains(QStringLiteral("Deutsch")));
    }
}

// ---------------------------------------------------------------------------
// Parameters.txt

class Catalogue : public ::testing::Test {
  protected:
    void SetUp() override {
        catalogue.ParameterDef_lezen(dataDir());
        catalogue.ParamNo_lezen(dataDir());
        ASSERT_TRUE(catalogue.parameterDefinitionsPresent());
        ASSERT_TRUE(catalogue.parameterNumbersPresent());
    }
    const IniFile& defs() const { return catalogue.definitions(); }
    const IniFile& numbers() const { return catalogue.numbers(); }
    QString raw(int p, const QString& key) const {
        return defs().readString(ParameterCatalogue::sectionName(p), key);
    }
    bool integerKey(int p, const char* key) const {
        const QString section = ParameterCatalogue::sectionName(p);
        return defs().readInteger(section, QLatin1String(key), 1) ==
               defs().readInteger(section, QLatin1String(key), 2);
    }

    ParameterCatalogue catalogue;
};

TEST_F(Catalogue, SectionsAreParameterNumbersWithKnownKeys) {
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
    for (int p = 0; p < kParameters; ++p) {
        if (!catalogue.hasParameter(p)) continue;
        ++withSection;
        for (const char* key : {"type", "dec", "min", "max", "default"})
            EXPECT_TRUE(integerKey(p, key)) << p << " " << key << " is not an integer";
    }
    // A few reserve numbers may go without a section.
    EXPECT_GE(withSection, kParameters - 10);
}

TEST_F(Catalogue, EveryParameterIsNamedInThreeLanguages) {
    for (int lang = 0; lang < kLanguages; ++lang) {
        std::map<QString, int> names;
        for (int p = 0; p < kParameters; ++p) {
            if (!catalogue.hasParameter(p)) continue;
            const QString name = catalogue.name(p, lang);
            EXPECT_FALSE(name.isEmpty()) << p << " has no naam" << lang;
            // The printout gives the name 38 characters; the editor's column is narrower.
            EXPECT_LE(name.size(), 32) << p << " naam" << lang << " " << s(name);
            const auto [it, fresh] = names.emplace(name, p);
            EXPECT_TRUE(fresh) << "naam" << lang << " " << s(name) << " of " << p << " and "
                               << it->second;
        }
    }
}

TEST_F(Catalogue, DefaultsLieWithinLimitsThatCanBeTyped) {
    for (int p = 0; p < kParameters; ++p) {
        if (!catalogue.hasParameter(p)) continue;
        const int dec = catalogue.decimals(p);
        EXPECT_TRUE((dec >= 0 && dec <= 4) || dec == 9) << p << " dec " << dec;
        EXPECT_LE(catalogue.minimum(p), catalogue.defaultValue(p)) << p;
        EXPECT_LE(catalogue.defaultValue(p), catalogue.maximum(p)) << p;
        // The service window refuses more than 8 digits.
        EXPECT_GE(catalogue.minimum(p), -99999999) << p;
        EXPECT_LE(catalogue.maximum(p), 99999999) << p;
    }
}

TEST_F(Catalogue, OptionListsLabelEveryAllowedValue) {
    for (int p = 0; p < kParameters; ++p) {
        if (!catalogue.hasParameter(p)) continue;
        const int type =
            defs().readInteger(ParameterCatalogue::sectionName(p), QStringLiteral("type"), -1);
        EXPECT_TRUE(type == 0 || type == 1) << p << " type " << type;
        for (int lang = 0; lang < kLanguages; ++lang) {
            const QString key = QStringLiteral("opties%1").arg(lang);
            if (!catalogue.isOptionList(p)) {
                EXPECT_FALSE(defs().hasKey(ParameterCatalogue::sectionName(p), key))
                    << p << " " << s(key);
                continue;
            }
            EXPECT_EQ(catalogue.decimals(p), 0) << p;
            EXPECT_EQ(catalogue.minimum(p), 0) << p;
            const QStringList options = catalogue.optionList(p, lang);
            EXPECT_EQ(options.size(), catalogue.maximum(p) + 1) << p << " " << s(key);
            for (const QString& option : options) {
                EXPECT_FALSE(option.trimmed().isEmpty()) << p << " " << s(key);
                EXPECT_FALSE(option.startsWith(QLatin1Char('#')))
                    << p << " " << s(key) << " " << s(option);
            }
        }
    }
}

TEST_F(Catalogue, EveryReferenceResolvesToAList) {
    int references = 0;
    for (int p = 0; p < kParameters; ++p) {
        for (int lang = 0; lang < kLanguages; ++lang) {
            const QString key = QStringLiteral("opties%1").arg(lang);
            const QString text = raw(p, key);
            if (!text.startsWith(QLatin1Char('#'))) continue;
            ++references;
            const QString target = text.mid(1);
            ASSERT_TRUE(defs().hasSection(target))
                << p << " " << s(key) << " names missing section " << s(target);
            const QString list = defs().readString(target, key);
            EXPECT_FALSE(list.isEmpty()) << p << " -> " << s(target) << " " << s(key);
            EXPECT_FALSE(list.startsWith(QLatin1Char('#')))
                << p << " -> " << s(target) << " is a reference too";
            EXPECT_EQ(defs().readInteger(target, QStringLiteral("type"), 0), 1) << s(target);
        }
    }
    EXPECT_GT(references, 0);
}

TEST_F(Catalogue, RepeatedOptionListsAreWrittenOnce) {
    // A list written out in full twice should have been a "#" reference.
    std::map<QString, int> seen;
    for (int p = 0; p < kParameters; ++p) {
        if (!catalogue.isOptionList(p) ||
            raw(p, QStringLiteral("opties0")).startsWith(QLatin1Char('#')))
            continue;
        const QString lists = raw(p, QStringLiteral("opties0")) + QLatin1Char('\n') +
                              raw(p, QStringLiteral("opties1")) + QLatin1Char('\n') +
                              raw(p, QStringLiteral("opties2"));
        const auto [it, fresh] = seen.emplace(lists, p);
        EXPECT_TRUE(fresh) << p << " repeats the lists of " << it->second;
    }
}

TEST_F(Catalogue, ParametersOtherPartsRelyOnHaveTheirMeaning) {
    const auto options = [&](int p) { return catalogue.optionList(p, 1).size(); };
    for (int n = 1; n <= 24; ++n) {
        // Cam display: start, end, hysteresis with the position decimals.
        EXPECT_EQ(catalogue.decimals(6 + n), 9) << n;
        EXPECT_EQ(catalogue.decimals(30 + n), 9) << n;
        EXPECT_EQ(catalogue.decimals(54 + n), 9) << n;
        // Function: 0 not in use, 1..3 the three coloured kinds.
        EXPECT_EQ(options(255 + n), 4) << n;
        EXPECT_TRUE(catalogue.isOptionList(279 + n)) << n;
        // Selectors: 0 own value, 1..48 setpoints, 49..52 thumbwheels.
        EXPECT_EQ(options(303 + n), 53) << n;
        EXPECT_EQ(options(327 + n), 53) << n;
        EXPECT_EQ(catalogue.optionList(303 + n, 1), catalogue.optionList(304, 1)) << n;
        EXPECT_EQ(catalogue.optionList(327 + n, 1), catalogue.optionList(304, 1)) << n;
        // Output 1..4 (0: none).
        EXPECT_EQ(options(351 + n), 5) << n;
    }
    EXPECT_TRUE(catalogue.optionList(304, 1).at(12).contains(QStringLiteral("12")));
    EXPECT_TRUE(catalogue.optionList(304, 1).at(50).contains(QStringLiteral("2")));
    for (int m = 1; m <= 4; ++m)
        EXPECT_EQ(catalogue.decimals(93 + m), 3) << m; // output advance
    // The K0 label: 200 = 1 or 2 hold/reset; 201 = 1 SSI; 212 fine
    // reference on/off; 218 = 1, 2 or 4 adjusts the SSI position by K0.
    EXPECT_GE(options(200), 3);
    EXPECT_GE(options(201), 3);
    for (int lang = 0; lang < kLanguages; ++lang)
        EXPECT_TRUE(catalogue.optionList(201, lang).at(1).contains(QStringLiteral("SSI"))) << lang;
    EXPECT_GE(options(212), 2);
    EXPECT_EQ(options(218), 5);
    for (int v : {1, 2, 4})
        EXPECT_TRUE(catalogue.optionList(218, 1).at(v).contains(QStringLiteral("K0"))) << v;
    EXPECT_FALSE(catalogue.optionList(218, 1).at(3).contains(QStringLiteral("K0")));
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
// The group tree and ParNo.txt

TEST(GroupTrees, AllThreeHaveTheSameShape) {
    std::vector<GroupTree> trees(kLanguages);
    for (int lang = 0; lang < kLanguages; ++lang) {
        QString error;
        ASSERT_TRUE(trees[lang].load(dataPath(treeFile(lang)), &error)) << s(error);
        // The printout tells menus and submenus by their tabs.
        const QString text = QString::fromUtf8(readBytes(treeFile(lang)));
        QStringList lines = text.split(QLatin1Char('\n'));
        lines.removeAll(QString());
        ASSERT_EQ(lines.size(), static_cast<qsizetype>(trees[lang].nodes().size()));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const int level = trees[lang].nodes()[i].level;
            EXPECT_TRUE(lines[i].startsWith(QString(level, QLatin1Char('\t'))))
                << s(treeFile(lang)) << ":" << i + 1;
            EXPECT_FALSE(lines[i].mid(level).startsWith(QLatin1Char(' ')))
                << s(treeFile(lang)) << ":" << i + 1;
            EXPECT_FALSE(lines[i].trimmed().isEmpty());
            EXPECT_LE(level, 2) << s(treeFile(lang)) << ":" << i + 1;
        }
        ASSERT_FALSE(trees[lang].nodes().empty());
        EXPECT_EQ(trees[lang].nodes()[0].level, 0);
    }
    for (int lang = 1; lang < kLanguages; ++lang) {
        ASSERT_EQ(trees[lang].nodes().size(), trees[0].nodes().size()) << s(treeFile(lang));
        for (std::size_t i = 0; i < trees[0].nodes().size(); ++i) {
            EXPECT_EQ(trees[lang].nodes()[i].level, trees[0].nodes()[i].level)
                << s(treeFile(lang)) << ":" << i + 1;
            EXPECT_EQ(trees[lang].nodes()[i].groupId(), trees[0].nodes()[i].groupId());
        }
    }
}

class Groups : public Catalogue {
  protected:
    void SetUp() override {
        Catalogue::SetUp();
        QString error;
        ASSERT_TRUE(tree.load(dataPath(treeFile(0)), &error)) << s(error);
        for (const GroupTree::Node& node : tree.nodes())
            if (node.level > 0) treeGroups.insert(node.groupId());
    }
    GroupTree tree;
    std::set<int> treeGroups;
};

TEST_F(Groups, RowsNameParametersThatHaveASection) {
    expectNoDuplicates(QStringLiteral("ParNo.txt"));
    static const QRegularExpression rowKey(QStringLiteral("^ParId([0-9]+)$"));
    for (const QString& section : numbers().sections()) {
        bool ok = false;
        const int group = section.toInt(&ok);
        ASSERT_TRUE(ok) << s(section);
        EXPECT_TRUE(treeGroups.count(group)) << "group " << group << " has no node in the tree";
        const QStringList keys = numbers().keys(section);
        EXPECT_LE(keys.size(), kRowsPerGroup) << group;
        for (const QString& key : keys) {
            const auto m = rowKey.match(key);
            ASSERT_TRUE(m.hasMatch()) << group << " " << s(key);
            const int row = m.captured(1).toInt();
            EXPECT_GE(row, 1);
            EXPECT_LE(row, kRowsPerGroup) << group;
            const int p = numbers().readInteger(section, key, -2);
            EXPECT_TRUE(p >= 0 && p < kParameters && catalogue.hasParameter(p))
                << "group " << group << " row " << row << " names " << p;
        }
        // The printout reads rows 1..N, N being the count of rows.
        for (qsizetype row = 1; row <= keys.size(); ++row)
            EXPECT_NE(catalogue.parameterInRow(group, static_cast<int>(row)), -1)
                << group << " row " << row;
    }
}

TEST_F(Groups, EveryParameterStandsInExactlyOneRow) {
    std::map<int, int> where;
    for (int group : treeGroups) {
        for (int row = 1; row <= kRowsPerGroup; ++row) {
            const int p = catalogue.parameterInRow(group, row);
            if (p < 0) continue;
            const auto [it, fresh] = where.emplace(p, group * 100 + row);
            EXPECT_TRUE(fresh) << p << " in group " << group << " row " << row << " and at "
                               << it->second;
        }
    }
    for (int p = 0; p < kParameters; ++p) {
        if (catalogue.hasParameter(p)) {
            EXPECT_TRUE(where.count(p)) << p << " stands in no group";
        }
    }
}

TEST_F(Groups, EveryNodeButTheRootShowsParameters) {
    for (int group : treeGroups)
        EXPECT_NE(catalogue.parameterInRow(group, 1), -1) << "group " << group << " is empty";
    EXPECT_FALSE(numbers().hasSection(QStringLiteral("0")));
}

TEST_F(Groups, ClearingAGroupOfMenu9LeavesValidValues) {
    // The editor's Wissen button sets every parameter of a menu-9
    // group to 0 without asking.
    int cleared = 0;
    for (int group : treeGroups) {
        if (group / 100 != 9) continue;
        for (int row = 1; row <= kRowsPerGroup; ++row) {
            const int p = catalogue.parameterInRow(group, row);
            if (p < 0) continue;
            ++cleared;
            EXPECT_LE(catalogue.minimum(p), 0) << p;
            EXPECT_GE(catalogue.maximum(p), 0) << p;
        }
    }
    EXPECT_GT(cleared, 0) << "there is no menu 9";
}

// ---------------------------------------------------------------------------
// ErrorHelp0.rtf .. ErrorHelp2.rtf

std::set<int> explainedNumbers(const QByteArray& rtf) {
    // Each number opens its entry as a bold group: {\b\cf2 12}
    static const QRegularExpression entry(QStringLiteral("\\{\\\\b\\\\cf2 ([0-9]+)\\}"));
    std::set<int> numbers;
    auto it = entry.globalMatch(QString::fromLatin1(rtf));
    while (it.hasNext())
        numbers.insert(it.next().captured(1).toInt());
    return numbers;
}

TEST(ErrorHelp, IsPlainRtfOurReaderUnderstands) {
    // What our RTF reader supports: groups, \par, \b, \i, \ul, \fs, a colour
    // table, \'hh and \u; nothing else.
    const std::set<QString> allowed{"rtf", "ansi", "ansicpg", "colortbl", "red", "green", "blue",
                                    "cf",  "par",  "b",       "i",        "ul",  "fs",    "u"};
    static const QRegularExpression controlWord(QStringLiteral("^\\\\([a-z]+)(-?[0-9]+)? ?"));
    for (int lang = 0; lang < kLanguages; ++lang) {
        const QString name = helpFile(lang);
        const QByteArray bytes = readBytes(name);
        ASSERT_TRUE(bytes.startsWith("{\\rtf1")) << s(name);
        int depth = 0;
        bool closed = false;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const char c = bytes[i];
            ASSERT_GT(static_cast<unsigned char>(c), 0) << s(name);
            EXPECT_LT(static_cast<unsigned char>(c), 0x80)
                << s(name) << " byte " << i << " is not 7-bit";
            EXPECT_FALSE(closed && !QChar::isSpace(static_cast<unsigned char>(c)))
                << s(name) << " text after the end";
            if (c == '{') {
                ++depth;
            } else if (c == '}') {
                ASSERT_GT(depth, 0) << s(name) << " byte " << i;
                closed = --depth == 0;
            } else if (c == '\\') {
                const char next = i + 1 < bytes.size() ? bytes[i + 1] : '\0';
                if (next == '\\' || next == '{' || next == '}') {
                    ++i;
                } else if (next == '\'') {
                    const QByteArray hex = bytes.mid(i + 2, 2);
                    bool ok = false;
                    hex.toInt(&ok, 16);
                    EXPECT_TRUE(ok) << s(name) << " bad \\' escape at " << i;
                    i += 3;
                } else {
                    const auto m = controlWord.match(QString::fromLatin1(bytes.mid(i, 20)));
                    ASSERT_TRUE(m.hasMatch()) << s(name) << " byte " << i;
                    EXPECT_TRUE(allowed.count(m.captured(1)))
                        << s(name) << " uses \\" << s(m.captured(1));
                    i += m.capturedLength() - 1;
                }
            }
        }
        EXPECT_TRUE(closed) << s(name) << " does not close its outer group";
    }
}

TEST(ErrorHelp, ExplainsTheSameNumbersInEveryLanguage) {
    const std::set<int> dutch = explainedNumbers(readBytes(helpFile(0)));
    for (int n = 1; n <= 20; ++n)
        EXPECT_TRUE(dutch.count(n)) << "error " << n << " is not explained";
    for (int lang = 1; lang < kLanguages; ++lang)
        EXPECT_EQ(explainedNumbers(readBytes(helpFile(lang))), dutch) << s(helpFile(lang));
}

} // namespace
