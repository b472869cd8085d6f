#pragma once

// ErrorHelp: which help file explains the device's error numbers in the
// user's language, and reading it into a document.

#include <QString>

class QTextDocument;

namespace kqm52 {

class ErrorHelp {
  public:
    // "ErrorHelp0.rtf" … "ErrorHelp2.rtf"; empty for a language without one.
    static QString fileName(int languageNo);

    struct Outcome {
        enum Kind { Loaded, NoFile, Failed } kind = NoFile;
        QString path;      // the file chosen (empty: none for this language)
        QString errorKind; // Failed: the name of the kind of error
        QString message;   // Failed: what went wrong
        // The text the user is shown when the file could not be read.
        QString report() const;
    };

    // Reads the language's help file from programDir (ending in a separator)
    // into document.  Without a file for the language the document is
    // emptied: help in another language than the one chosen would mislead.
    static Outcome load(const QString& programDir, int languageNo, QTextDocument& document);
};

} // namespace kqm52
