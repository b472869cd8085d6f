#include "inifile/IniFile.h"

#include "inifile/RegularFile.h"
#include "inifile/SaveFile.h"

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

bool IniFile::load(const QString& path) {
    clear();
    const std::optional<QByteArray> read = readRegularFile(path);
    if (!read) return false;
    const QByteArray& bytes = *read;

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
    QStringList lines = text.split(QLatin1Char('\n'));
    // A final line end does not open one more (empty) line.
    if (!lines.isEmpty() && lines.constLast().isEmpty()) lines.removeLast();

    Section* current = nullptr;
    for (QString line : std::as_const(lines)) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const QString trimmed = line.trimmed();
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (trimmed.startsWith(QLatin1Char('[')) && close > 0) {
            sections_.push_back(Section{trimmed.mid(1, close - 1).trimmed(), line, {}});
            current = &sections_.back();
            continue;
        }
        Line entry;
        entry.raw = line;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!trimmed.startsWith(QLatin1Char(';')) && eq > 0) {
            const QString key = line.left(eq).trimmed();
            if (!key.isEmpty()) {
                entry.key = key;
                entry.value = line.mid(eq + 1);
            }
        }
        if (current)
            current->lines.push_back(std::move(entry));
        else
            preamble_.push_back(std::move(entry));
    }
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

IniFile::Section* IniFile::findSection(const QString& name) {
    for (Section& section : sections_)
        if (sameName(section.name, name)) return &section;
    return nullptr;
}

const IniFile::Section* IniFile::findSection(const QString& name) const {
    for (const Section& section : sections_)
        if (sameName(section.name, name)) return &section;
    return nullptr;
}

const IniFile::Line* IniFile::findLine(const QString& section, const QString& key) const {
    // A section written twice is read as one; the first key of a name counts.
    for (const Section& s : sections_) {
        if (!sameName(s.name, section)) continue;
        for (const Line& line : s.lines)
            if (!line.key.isEmpty() && sameName(line.key, key)) return &line;
    }
    return nullptr;
}

bool IniFile::hasSection(const QString& section) const {
    return findSection(section) != nullptr;
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    return findLine(section, key) != nullptr;
}

QStringList IniFile::sections() const {
    QStringList names;
    for (const Section& section : sections_) {
        const bool seen = std::any_of(names.cbegin(), names.cend(),
                                      [&](const QString& n) { return sameName(n, section.name); });
        if (!seen) names.append(section.name);
    }
    return names;
}

QStringList IniFile::keys(const QString& section) const {
    QStringList names;
    for (const Section& s : sections_) {
        if (!sameName(s.name, section)) continue;
        for (const Line& line : s.lines) {
            if (line.key.isEmpty()) continue;
            const bool seen = std::any_of(names.cbegin(), names.cend(),
                                          [&](const QString& n) { return sameName(n, line.key); });
            if (!seen) names.append(line.key);
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
    if (Line* line = const_cast<Line*>(findLine(section, key))) {
        line->value = text;
        line->raw = line->key + QLatin1Char('=') + text;
        return;
    }
    Section* target = findSection(section);
    if (!target) {
        sections_.push_back(Section{section, QLatin1Char('[') + section + QLatin1Char(']'), {}});
        target = &sections_.back();
    }
    // New keys go after the last filled line, so the blank lines that
    // separate one section from the next stay where they are.
    auto at = target->lines.end();
    while (at != target->lines.begin() && std::prev(at)->key.isEmpty() &&
           std::prev(at)->raw.trimmed().isEmpty())
        --at;
    target->lines.insert(at, Line{key, text, key + QLatin1Char('=') + text});
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
}

void IniFile::orderKeys(const QString& section, const QStringList& keys) {
    for (Section& s : sections_) {
        if (!sameName(s.name, section)) continue;
        // A line without a key ranks last, with the keys nobody listed.
        std::stable_sort(s.lines.begin(), s.lines.end(), [&](const Line& a, const Line& b) {
            return rankOf(keys, a.key) < rankOf(keys, b.key);
        });
    }
}

void IniFile::deleteKey(const QString& section, const QString& key) {
    for (Section& s : sections_) {
        if (!sameName(s.name, section)) continue;
        std::erase_if(s.lines, [&](const Line& line) {
            return !line.key.isEmpty() && sameName(line.key, key);
        });
    }
}

void IniFile::clear() {
    preamble_.clear();
    sections_.clear();
    encoding_ = Encoding::Utf8;
    crlf_ = false;
}

} // namespace kqm52
