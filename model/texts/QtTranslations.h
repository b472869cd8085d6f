#pragma once

// Qt's own texts (the buttons of a message box, the file and print dialogs)
// in the language the program speaks.  They come from Qt's translation
// catalogues, which Debian ships in qt6-translations-l10n; where they are
// missing Qt speaks English, which is what the program then falls back to,
// without a word: the program's own texts are unaffected.

#include <QString>

#include <memory>

class QTranslator;

namespace kqm52 {

class QtTranslations {
  public:
    // directory: where the catalogues lie; by default where Qt keeps them.
    explicit QtTranslations(QString directory = defaultDirectory());
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    static QString defaultDirectory();
    // The catalogue for a language number as the language files count them:
    // "qtbase_de" for 2, none for English (1), "qtbase_nl" for 0 and for any
    // other number, which reads the Dutch file too.
    static QString catalogueName(int languageNo);

    // Puts Qt's texts of languageNo in place of the ones used before.  False
    // when that language needs a catalogue that is not there: Qt then
    // speaks English.
    bool use(int languageNo);
    // The catalogue in use, empty for Qt's English.
    QString inUse() const { return inUse_; }

  private:
    QString directory_;
    std::unique_ptr<QTranslator> translator_;
    QString inUse_;
};

} // namespace kqm52
