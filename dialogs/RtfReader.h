#pragma once

// RtfReader: turns a rich-text (RTF) document into a QTextDocument.
//
// Qt reads no RTF, so the error help files are shown through this.  It knows
// what those files and simple word-processor output use: groups, paragraphs
// and line breaks, tabs, bold, italic, underline, font sizes, the font and
// colour tables, \'hh escapes in Windows-1252, \uN with its fallback, and
// alignment.  Everything else is skipped: unknown control words, ignorable
// destinations ({\*...}), style sheets, document info, pictures, binary data.
//
// The input is untrusted (a help file anyone can replace), so the reader
// works without recursion, bounds the nesting depth, the tables and the size
// it accepts, and always advances: junk gives a best-effort document or a
// clear error, never a crash or a hang.  A document whose groups are never
// closed is kept as far as it was read.
//
// The document it makes is bounded too, because laying it out is where the
// time goes: Qt lays a paragraph out in one piece, in time that grows with
// the square of its length where it finds no place to break a line (100 KB
// without a blank take a second, a megabyte two minutes), every change of
// format and every paragraph has its price, and a document taller than about
// eight million pixels never finishes.  A paragraph longer than the bound loses its tail;
// past the bounds of the whole document reading stops.  Either way the
// reader says the document was cut.

#include <QByteArrayView>
#include <QString>

class QTextDocument;

namespace kqm52 {

// What the reader accepts at most, and what of it goes into the document.
// The shipped help files hold about 4,500 characters in 75 paragraphs of at
// most 250 characters, with 70 changes of format; the bounds keep the worst
// document they let through on screen within a few tenths of a second.
struct RtfLimits {
    qsizetype maxInputBytes = 1024 * 1024; // the shipped files are a few KB
    int maxDepth = 100;                    // nested groups
    int maxTableEntries = 1000;            // fonts, colours
    int maxParagraphLength = 2000;         // characters; the rest of the paragraph is cut
    int maxCharacters = 16 * 1024;         // in the document, paragraph ends included
    int maxParagraphs = 2048;
    int maxFormatRuns = 2048; // stretches of text in one format
};

// Why a document was not read, for a window to word in the user's language.
struct RtfFailure {
    enum Kind { None, TooLarge, NotRtf, TooDeep } kind = None;
    qint64 bound = 0; // TooLarge: the most bytes read; TooDeep: the deepest nesting
};

class RtfReader {
  public:
    using Limits = RtfLimits;

    // Replaces the content of document with rtf.  Returns true when it was
    // read; on false, error says why in English (for logs and tools),
    // failure says why as a kind, and the document is left empty.  cut, when
    // given, tells whether the document holds less than the file because of
    // the bounds.
    static bool read(QByteArrayView rtf, QTextDocument& document, QString* error = nullptr,
                     const Limits& limits = Limits(), bool* cut = nullptr,
                     RtfFailure* failure = nullptr);
};

} // namespace kqm52
