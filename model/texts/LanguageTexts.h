#pragma once

// The user-interface texts of the chosen language.
//
// One of Taal0.ini … Taal2.ini beside the program, read once into memory;
// every window looks its texts up here by section and key.  Once a language
// file has been loaded the program never falls back to having none: choosing
// a language whose file is missing keeps the texts already loaded.

#include "inifile/IniFile.h"
#include "model/texts/TextKeys.h"

#include <QString>

namespace kqm52 {

class LanguageTexts {
  public:
    // "Taal0.ini", "Taal1.ini", "Taal2.ini"; any other number the first one.
    static QString fileName(int languageNo);

    // Loads the file for languageNo from programDir (ending in a separator).
    // Returns false, changing nothing, when that file does not exist or is
    // refused (too large, unreadable); problem, when given, says which.
    bool TekstFile_Lezen(const QString& programDir, int languageNo, ReadProblem* problem = nullptr);

    // Loads a language from text (tests, embedded data) as if from a file.
    void loadFromText(const QString& text);

    bool LanguageLoaded() const { return loaded_; }
    // The file the current texts came from (empty until one is loaded).
    QString loadedPath() const { return loadedPath_; }

    // A text of the table (model/TextKeys.h), the one way a window gets one:
    // the file's text once a language is loaded, the built-in one standing
    // in for a missing key (an empty value is a text too: it yields "").
    // Before a file is loaded, empty, or the built-in text for the texts that
    // must never go blank.
    QString text(TextId id) const;

    const IniFile& LanguageIni() const { return ini_; }

    // What the user is told about a data file refused for its size, in this
    // language: the file's name and the bound.
    QString problemText(const ReadProblem& problem) const;

  private:
    IniFile ini_;
    bool loaded_ = false;
    QString loadedPath_;
};

} // namespace kqm52
