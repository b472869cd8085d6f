#pragma once

// ErrorHelp: which help file explains the device's error numbers in the
// user's language, and reading it into a document.

#include "dialogs/RtfReader.h"
#include "inifile/RegularFile.h"

#include <QString>

class QTextDocument;

namespace kqm52 {

class LanguageTexts;

class ErrorHelp {
  public:
    // The width the help window lays its text out at; the help file's bounds
    // are measured against it.
    static constexpr int TextWidth = 545;

    // "ErrorHelp0.rtf" … "ErrorHelp2.rtf"; empty for a language without one.
    static QString fileName(int languageNo);

    struct Outcome {
        enum Kind { Loaded, NoFile, Failed } kind = NoFile;
        QString path;         // the file chosen (empty: none for this language)
        QString errorKind;    // Failed: the name of the kind of error
        FileReadError reason; // Failed: why the file could not be read, when it was not
        RtfFailure rtf;       // Failed as "EParserError": why the reader refused it
        bool cut = false;     // Loaded: the file was longer than the viewer shows
        // The text the user is shown when the file could not be read: the
        // kind, the language's words, the file and the system's reason.
        QString report(const LanguageTexts& language) const;
    };

    // Reads the language's help file from programDir (ending in a separator)
    // into document.  Without a file for the language the document is
    // emptied: help in another language than the one chosen would mislead.
    // A file cut to what the viewer can lay out quickly (RtfLimits) gets
    // cutNote as its first paragraph, so the reader knows there is more.
    static Outcome load(const QString& programDir, int languageNo, QTextDocument& document,
                        const QString& cutNote = {});
    // Puts note before the document's first paragraph, set off from the help.
    static void addNote(QTextDocument& document, const QString& note);
};

} // namespace kqm52
