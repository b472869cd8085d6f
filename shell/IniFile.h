#pragma once

// IniFile: the settings files of this program (application.ini, the language
// files, the parameter catalogue) as a key/value store by section.
//
// Read whole into memory.  Sections and keys compare case-insensitively; a
// value is the text after the first "=" of its line (nothing trimmed but the
// line end).  Lines before the first section, blank lines and lines without
// "=" are kept as read so that writing back does not lose them.  Writing goes
// through QSaveFile: the old file stays whole unless the new one was written
// completely.

#include <QString>
#include <QStringList>

#include <vector>

namespace kqm52 {

class IniFile {
public:
    IniFile() = default;

    // Reads a file.  Returns false if it does not exist or cannot be read,
    // and leaves the store empty then.
    bool load(const QString& path);
    // Parses text as the contents of a file (tests, embedded data).
    void loadFromText(const QString& text);
    // Writes the store; on failure returns false and puts the reason in error.
    bool save(const QString& path, QString* error = nullptr) const;
    QString toText() const;

    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList keys(const QString& section) const; // in file order

    // The value, or def when the section or key is missing.
    QString readString(const QString& section, const QString& key, const QString& def = {}) const;
    // The value as a decimal integer (leading/trailing blanks allowed); def
    // when missing or not a number.
    int readInteger(const QString& section, const QString& key, int def) const;
    // "1" is true, "0" is false, anything else def.
    bool readBool(const QString& section, const QString& key, bool def) const;

    // Sets a value, appending the section or key when missing.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    void eraseSection(const QString& section);
    void deleteKey(const QString& section, const QString& key);
    void clear();

private:
    struct Line {
        QString key; // empty for a line that is not key=value
        QString value;
        QString raw; // the text of a non key=value line
    };
    struct Section {
        QString name;
        std::vector<Line> lines;
    };
    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;
    std::vector<Line> preamble_;
    std::vector<Section> sections_;
};

} // namespace kqm52
