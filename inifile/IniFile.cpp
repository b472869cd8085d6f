#include "inifile/IniFile.h"

#include "inifile/RegularFile.h"
#include "inifile/SaveFile.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>

namespace kqm52 {

namespace {

bool sameName(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

std::optional<int> toInteger(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

// A value with a line break would be read back as two lines, the second
// one possibly a key or section of its own.
QString oneLine(QString value) {
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

bool fitsLatin1(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 0xFF) return false;
    return true;
}

} // namespace

// Equal names (QString::compare, Qt::CaseInsensitive) fold each code point
// to the same one, so hashing the folded code points keeps them together.
size_t detail::qHash(const IniName& name, size_t seed) noexcept {
    size_t h = seed ^ 0xcbf29ce484222325u;
    const QChar* p = name.text.constData();
    const qsizetype n = name.text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = p[i].unicode();
        if (c < 0x80) {
            if (c >= U'A' && c <= U'Z') c += U'a' - U'A';
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && p[i + 1].isLowSurrogate()) {
            c = QChar::toCaseFolded(QChar::surrogateToUcs4(char16_t(c), p[i + 1].unicode()));
            ++i;
        } else {
            c = QChar::toCaseFolded(c);
        }
        h = (h ^ c) * 0x100000001b3u;
    }
    return h;
}

size_t detail::qHash(const IniKey& key, size_t seed) noexcept {
    return qHash(key.key, qHash(key.section, seed));
}

bool IniFile::load(const QString& path, ReadProblem* problem) {
    clear();
    if (problem) *problem = ReadProblem{};
    if (!QFileInfo(path).isFile()) return false;
    QByteArray bytes;
    if (!readFile(path, bytes, problem)) return false;

    Encoding encoding = Encoding::Utf8;
    const QString text = decode(bytes, &encoding);
    parse(text);
    encoding_ = encoding;
    return true;
}

QString IniFile::decode(const QByteArray& bytes) {
    Encoding ignored = Encoding::Utf8;
    return decode(bytes, &ignored);
}

QString IniFile::decode(const QByteArray& bytes, Encoding* encoding) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        *encoding = Encoding::Utf8Bom;
        return QString::fromUtf8(bytes.mid(3));
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool le = bytes.startsWith("\xFF\xFE");
        *encoding = le ? Encoding::Utf16Le : Encoding::Utf16Be;
        QStringDecoder decoder(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return decoder.decode(bytes.mid(2));
    }
    QStringDecoder decoder(QStringConverter::Utf8);
    const QString text = decoder.decode(bytes);
    if (!decoder.hasError()) {
        *encoding = Encoding::Utf8;
        return text;
    }
    // Files written by older tools in the field are Latin-1.
    *encoding = Encoding::Latin1;
    return QString::fromLatin1(bytes);
}

void IniFile::loadFromText(const QString& text) {
    clear();
    parse(text);
}

void IniFile::parse(const QString& text) {
    crlf_ = text.contains(QLatin1String("\r\n"));
    // Views into the text, copied only for what is kept: a catalogue has
    // thousands of lines.
    const QStringView all(text);
    const qsizetype n = all.size();
    Section* current = nullptr;
    // A final line end does not open one more (empty) line.
    for (qsizetype start = 0; start < n;) {
        qsizetype end = all.indexOf(u'\n', start);
        if (end < 0) end = n;
        QStringView line = all.mid(start, end - start);
        start = end + 1;
        if (line.endsWith(u'\r')) line.chop(1);
        const QStringView trimmed = line.trimmed();
        const qsizetype close = trimmed.indexOf(u']');
        if (trimmed.startsWith(u'[') && close > 0) {
            sections_.push_back(
                Section{trimmed.mid(1, close - 1).trimmed().toString(), line.toString(), {}});
            current = &sections_.back();
            continue;
        }
        Line entry;
        entry.raw = line.toString();
        const qsizetype eq = line.indexOf(u'=');
        if (!trimmed.startsWith(u';') && eq > 0) {
            const QStringView key = line.left(eq).trimmed();
            if (!key.isEmpty()) {
                entry.key = key.toString();
                entry.value = line.mid(eq + 1).toString();
            }
        }
        if (current)
            current->lines.push_back(std::move(entry));
        else
            preamble_.push_back(std::move(entry));
    }
    rebuildIndex();
}

void IniFile::indexSection(int s) {
    const Section& section = sections_[std::size_t(s)];
    index_[Name{section.name}].sections.push_back(s);
    for (int i = 0; i < int(section.lines.size()); ++i) {
        const QString& key = section.lines[std::size_t(i)].key;
        // The first key of a name counts, in this section or an earlier one.
        if (key.isEmpty()) continue;
        const detail::IniKey name{{section.name}, {key}};
        if (!keyIndex_.contains(name)) keyIndex_.insert(name, LineRef{s, i});
    }
}

void IniFile::rebuildIndex() {
    index_.clear();
    keyIndex_.clear();
    qsizetype lines = 0;
    for (const Section& section : sections_)
        lines += qsizetype(section.lines.size());
    keyIndex_.reserve(lines);
    for (int s = 0; s < int(sections_.size()); ++s)
        indexSection(s);
}

bool IniFile::save(const QString& path, QString* error) const {
    const QString text = toText();
    QByteArray bytes;
    switch (encoding_) {
    case Encoding::Utf8:
        bytes = text.toUtf8();
        break;
    case Encoding::Utf8Bom:
        bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        break;
    case Encoding::Latin1:
        // A value Latin-1 cannot hold must not turn into "?" on disk.
        bytes = fitsLatin1(text) ? text.toLatin1() : text.toUtf8();
        break;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        QStringEncoder encoder(encoding_ == Encoding::Utf16Le ? QStringConverter::Utf16LE
                                                              : QStringConverter::Utf16BE,
                               QStringConverter::Flag::WriteBom);
        bytes = encoder.encode(text);
        break;
    }
    }

    return saveFile(path, bytes, error);
}

QString IniFile::toText() const {
    const QString eol = crlf_ ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString out;
    for (const Line& line : preamble_)
        out += line.raw + eol;
    for (const Section& section : sections_) {
        out += section.header + eol;
        for (const Line& line : section.lines)
            out += line.raw + eol;
    }
    return out;
}

const IniFile::NameEntry* IniFile::entry(const QString& section) const {
    const auto it = index_.constFind(Name{section});
    return it == index_.constEnd() ? nullptr : &*it;
}

IniFile::Section* IniFile::findSection(const QString& name) {
    const NameEntry* e = entry(name);
    return e ? &sections_[std::size_t(e->sections.front())] : nullptr;
}

const IniFile::Section* IniFile::findSection(const QString& name) const {
    const NameEntry* e = entry(name);
    return e ? &sections_[std::size_t(e->sections.front())] : nullptr;
}

const IniFile::Line* IniFile::findLine(const QString& section, const QString& key) const {
    // A section written twice is read as one; the first key of a name counts.
    const auto it = keyIndex_.constFind(detail::IniKey{{section}, {key}});
    if (it == keyIndex_.constEnd()) return nullptr;
    return &sections_[std::size_t(it->section)].lines[std::size_t(it->line)];
}

IniFile::Line* IniFile::findLine(const QString& section, const QString& key) {
    return const_cast<Line*>(std::as_const(*this).findLine(section, key));
}

bool IniFile::hasSection(const QString& section) const {
    return findSection(section) != nullptr;
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    return findLine(section, key) != nullptr;
}

QStringList IniFile::sections() const {
    QStringList names;
    for (int s = 0; s < int(sections_.size()); ++s) {
        const QString& name = sections_[std::size_t(s)].name;
        if (entry(name)->sections.front() == s) names.append(name);
    }
    return names;
}

QStringList IniFile::keys(const QString& section) const {
    QStringList names;
    const NameEntry* e = entry(section);
    if (!e) return names;
    for (const int s : e->sections) {
        const std::vector<Line>& lines = sections_[std::size_t(s)].lines;
        for (int i = 0; i < int(lines.size()); ++i) {
            const QString& key = lines[std::size_t(i)].key;
            if (key.isEmpty()) continue;
            const LineRef first = keyIndex_.value(detail::IniKey{{section}, {key}});
            if (first.section == s && first.line == i) names.append(key);
        }
    }
    return names;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const Line* line = findLine(section, key);
    return line ? line->value : def;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
    const Line* line = findLine(section, key);
    if (!line) return def;
    return toInteger(line->value).value_or(def);
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    const Line* line = findLine(section, key);
    if (!line) return def;
    const std::optional<int> number = toInteger(line->value);
    return number ? *number != 0 : def;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QString text = oneLine(value);
    if (Line* line = findLine(section, key)) {
        line->value = text;
        line->raw = line->key + QLatin1Char('=') + text;
        return;
    }
    if (!findSection(section)) {
        sections_.push_back(Section{section, QLatin1Char('[') + section + QLatin1Char(']'), {}});
        indexSection(int(sections_.size()) - 1);
    }
    const int s = entry(section)->sections.front();
    std::vector<Line>& lines = sections_[std::size_t(s)].lines;
    // New keys go after the last filled line, so the blank lines that
    // separate one section from the next stay where they are.  Only such
    // lines, which hold no key, move down: the index stays right.
    auto at = lines.end();
    while (at != lines.begin() && std::prev(at)->key.isEmpty() &&
           std::prev(at)->raw.trimmed().isEmpty())
        --at;
    const int line = int(at - lines.begin());
    lines.insert(at, Line{key, text, key + QLatin1Char('=') + text});
    keyIndex_.insert(detail::IniKey{{section}, {key}}, LineRef{s, line});
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

namespace {

// The place of name in names, or names.size() for a name not listed.
qsizetype rankOf(const QStringList& names, const QString& name) {
    for (qsizetype i = 0; i < names.size(); ++i)
        if (sameName(names[i], name)) return i;
    return names.size();
}

} // namespace

void IniFile::orderSections(const QStringList& names) {
    std::stable_sort(sections_.begin(), sections_.end(), [&](const Section& a, const Section& b) {
        return rankOf(names, a.name) < rankOf(names, b.name);
    });
    rebuildIndex();
}

void IniFile::orderKeys(const QString& section, const QStringList& keys) {
    for (Section& s : sections_) {
        if (!sameName(s.name, section)) continue;
        // A line without a key ranks last, with the keys nobody listed.
        std::stable_sort(s.lines.begin(), s.lines.end(), [&](const Line& a, const Line& b) {
            return rankOf(keys, a.key) < rankOf(keys, b.key);
        });
    }
    rebuildIndex();
}

void IniFile::deleteKey(const QString& section, const QString& key) {
    for (Section& s : sections_) {
        if (!sameName(s.name, section)) continue;
        std::erase_if(s.lines, [&](const Line& line) {
            return !line.key.isEmpty() && sameName(line.key, key);
        });
    }
    rebuildIndex();
}

void IniFile::clear() {
    preamble_.clear();
    sections_.clear();
    index_.clear();
    keyIndex_.clear();
    encoding_ = Encoding::Utf8;
    crlf_ = false;
}

} // namespace kqm52
