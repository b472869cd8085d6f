// Settings and language files come from the user's disk in any encoding and
// any state of repair.  Whatever is read must be readable back: saving what
// was loaded and loading that again gives the same values.  And the index
// the reader keeps must answer as a walk over the lines would.

#include "FuzzInput.h"
#include "inifile/IniFile.h"

#include <QStringList>

using namespace kqm52;

namespace {

bool same(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// The file as lines of (section, key, value), read the slow way.
struct Entry {
    QString section, key, value;
};

std::vector<Entry> walk(const QString& text) {
    std::vector<Entry> entries;
    QString section;
    bool inSection = false;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const QString trimmed = line.trimmed();
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (trimmed.startsWith(QLatin1Char('[')) && close > 0) {
            section = trimmed.mid(1, close - 1).trimmed();
            inSection = true;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inSection || trimmed.startsWith(QLatin1Char(';')) || eq <= 0) continue;
        const QString key = line.left(eq).trimmed();
        if (!key.isEmpty()) entries.push_back({section, key, line.mid(eq + 1)});
    }
    return entries;
}

// The first line of the key in any section of the name, or null.
QString lookUp(const std::vector<Entry>& entries, const QString& section, const QString& key) {
    for (const Entry& e : entries)
        if (same(e.section, section) && same(e.key, key)) return e.value;
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IniFile ini;
    ini.loadFromText(IniFile::decode(fuzz::bytes(data, size)));
    const QString text = ini.toText();

    IniFile again;
    again.loadFromText(text);
    if (again.sections() != ini.sections()) fuzz::fail();
    for (const QString& section : ini.sections()) {
        const QStringList keys = ini.keys(section);
        if (again.keys(section) != keys) fuzz::fail();
        for (const QString& key : keys) {
            if (again.readString(section, key) != ini.readString(section, key)) fuzz::fail();
            (void)ini.readInteger(section, key, -1);
            (void)ini.readBool(section, key, false);
        }
    }

    // The index against the walk, each name also asked in other cases.
    const std::vector<Entry> entries = walk(text);
    const QString none = QStringLiteral("\x01none");
    int asked = 0;
    for (const Entry& e : entries) {
        if (++asked > 64) break; // enough to cover the shapes, cheap per input
        for (const auto& [section, key] :
             {std::pair{e.section, e.key}, std::pair{e.section.toUpper(), e.key.toLower()},
              std::pair{e.section.toLower(), e.key.toUpper()}}) {
            const QString expected = lookUp(entries, section, key);
            const QString got = ini.readString(section, key, none);
            if (expected.isNull() ? got != none : got != expected) fuzz::fail();
        }
    }

    // An edit of a value the file already has must stay an edit of that value.
    if (!ini.sections().isEmpty()) {
        const QString section = ini.sections().first();
        ini.writeString(section, QStringLiteral("FuzzKey"), QStringLiteral("v=1;x"));
        if (ini.readString(section, QStringLiteral("fuzzkey")) != QStringLiteral("v=1;x"))
            fuzz::fail();
        IniFile edited;
        edited.loadFromText(ini.toText());
        if (edited.readString(section, QStringLiteral("FuzzKey")) != QStringLiteral("v=1;x"))
            fuzz::fail();
    }
    return 0;
}
