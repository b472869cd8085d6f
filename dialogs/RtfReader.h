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

#include <QByteArrayView>
#include <QString>

class QTextDocument;

namespace kqm52 {

// What the reader accepts at most.
struct RtfLimits {
    qsizetype maxInputBytes = 1024 * 1024; // the shipped files are a few KB
    int maxDepth = 100;                    // nested groups
    int maxTableEntries = 1000;            // fonts, colours
};

class RtfReader {
  public:
    using Limits = RtfLimits;

    // Replaces the content of document with rtf.  Returns true when it was
    // read; on false, error says why in words for the user and the document
    // is left empty.
    static bool read(QByteArrayView rtf, QTextDocument& document, QString* error = nullptr,
                     const Limits& limits = Limits());
};

} // namespace kqm52
