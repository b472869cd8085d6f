#pragma once

// IniFile: the settings files of this program (application.ini, the language
// files, the parameter catalogue) as a key/value store by section.
//
// Read whole into memory, at most MaxDataFileBytes (inifile/ReadFile.h).
// Sections and keys compare case-insensitively; a value is the text after
// the first "=" of its line (nothing trimmed but the line end; the key is
// trimmed).  Lines before the first section, blank lines, comment lines (";")
// and lines without "=" are kept as read so that writing back does not lose
// them; a key line that was not changed is written back byte for byte.  With
// a section or key present twice, the first one counts.
//
// Encoding: a file is read as UTF-8 (a BOM is honoured, UTF-16 with a BOM
// too); a file that is not valid UTF-8 comes from an older tool and is read
// as Latin-1.  save() writes in the encoding and with the line ends the file
// was read with (UTF-8 and LF for a new store), falling back to UTF-8 when a
// Latin-1 file gets a value Latin-1 cannot hold.
//
// Writing goes through saveFile() (inifile/SaveFile.h): the old file stays
// whole unless the new one was written completely.
//
// Look-ups go through an index of the sections and keys, built once when a
// file is read, so reading the catalogue's few thousand keys costs a few
// thousand hash look-ups, not a walk over all sections for each.

#include "inifile/ReadFile.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace kqm52 {

namespace detail {
// A section or key name as IniFile's index holds it: equal to another and
// hashed without regard to case, with no folded copy made.
struct IniName {
    QString text;
    friend bool operator==(const IniName& a, const IniName& b) {
        return QString::compare(a.text, b.text, Qt::CaseInsensitive) == 0;
    }
};
size_t qHash(const IniName& name, size_t seed) noexcept;
// A key of a section, as the index holds it: both names without regard to case.
struct IniKey {
    IniName section;
    IniName key;
    friend bool operator==(const IniKey& a, const IniKey& b) {
        return a.key == b.key && a.section == b.section;
    }
};
size_t qHash(const IniKey& key, size_t seed) noexcept;
} // namespace detail

class IniFile {
  public:
    IniFile() = default;

    // Reads a file.  Returns false if it does not exist, cannot be read or is
    // larger than MaxDataFileBytes, and leaves the store empty then; problem
    // (when given) says which and why.
    bool load(const QString& path, ReadProblem* problem = nullptr);
    // Parses text as the contents of a file (tests, embedded data).
    void loadFromText(const QString& text);
    // Writes the store; on failure returns false and puts the reason in error.
    bool save(const QString& path, QString* error = nullptr) const;
    QString toText() const;
    // Bytes of a text file as this class reads them (UTF-8, UTF-16 with a
    // BOM, Latin-1 when not valid UTF-8); for the other text files that lie
    // beside the program.
    static QString decode(const QByteArray& bytes);

    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;
    QStringList sections() const;                   // each name once, in file order
    QStringList keys(const QString& section) const; // in file order, each once

    // The value, or def when the section or key is missing.  A key that is
    // present with an empty value gives an empty text, not def.
    QString readString(const QString& section, const QString& key, const QString& def = {}) const;
    // The value as a decimal integer (leading/trailing blanks and a sign
    // allowed); def when missing, not a number or outside 32 bits.
    int readInteger(const QString& section, const QString& key, int def) const;
    // A number: true unless it is 0; def when missing or not a number.
    bool readBool(const QString& section, const QString& key, bool def) const;

    // Sets a value, appending the section or key when missing.  A line break
    // in the value would split the line and corrupt the file, so CR and LF
    // are written as blanks.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    // Puts the named sections first, in this order, after the lines before
    // the first section; the others follow as they were.
    void orderSections(const QStringList& names);
    // Puts the named keys first in their section, in this order; the
    // section's other lines (keys, comments, blank lines) follow as they were.
    void orderKeys(const QString& section, const QStringList& keys);
    void deleteKey(const QString& section, const QString& key);
    void clear();

  private:
    enum class Encoding { Utf8, Utf8Bom, Latin1, Utf16Le, Utf16Be };

    struct Line {
        QString key; // empty for a line that is not key=value
        QString value;
        QString raw; // the line as read; rebuilt when the value is written
    };
    struct Section {
        QString name;
        QString header; // the section line as read
        std::vector<Line> lines;
    };
    using Name = detail::IniName;
    // Where the first key of a name stands.
    struct LineRef {
        int section = -1; // index into sections_
        int line = -1;    // index into its lines
    };
    // All sections of one name (compared without case), in file order.
    struct NameEntry {
        std::vector<int> sections;
    };

    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;
    const NameEntry* entry(const QString& section) const;
    const Line* findLine(const QString& section, const QString& key) const;
    Line* findLine(const QString& section, const QString& key);
    void parse(const QString& text);
    // Adds section s, as it now stands, to the index.
    void indexSection(int s);
    void rebuildIndex();
    static QString decode(const QByteArray& bytes, Encoding* encoding);

    std::vector<Line> preamble_;
    std::vector<Section> sections_;
    // One table for all keys, not one per section: a catalogue has 400
    // sections of a dozen keys, and each table has its fixed cost.
    QHash<Name, NameEntry> index_;            // by section name
    QHash<detail::IniKey, LineRef> keyIndex_; // the first line of each key
    Encoding encoding_ = Encoding::Utf8;
    bool crlf_ = false;
};

} // namespace kqm52
