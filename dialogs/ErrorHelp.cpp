#include "dialogs/ErrorHelp.h"

#include "dialogs/RtfReader.h"
#include "inifile/RegularFile.h"

#include <QFileInfo>
#include <QFont>
#include <QTextCursor>
#include <QTextDocument>

namespace kqm52 {

QString ErrorHelp::fileName(int languageNo) {
    if (languageNo < 0 || languageNo > 2) return {};
    return QStringLiteral("ErrorHelp%1.rtf").arg(languageNo);
}

QString ErrorHelp::Outcome::report() const {
    return errorKind + QStringLiteral(" error raised, with message : ") + message;
}

void ErrorHelp::addNote(QTextDocument& document, const QString& note) {
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::Start);
    // The help's first paragraph keeps its look; the note gets a plain one.
    cursor.insertBlock(cursor.blockFormat(), cursor.charFormat());
    cursor.movePosition(QTextCursor::Start);
    cursor.setBlockFormat(QTextBlockFormat());
    QTextCharFormat look;
    look.setFontItalic(true);
    look.setFontWeight(QFont::Bold);
    look.setForeground(QColor(160, 0, 0));
    cursor.insertText(note, look);
    document.setUndoRedoEnabled(undo);
}

ErrorHelp::Outcome ErrorHelp::load(const QString& programDir, int languageNo,
                                   QTextDocument& document, const QString& cutNote) {
    Outcome outcome;
    const QString name = fileName(languageNo);
    if (!name.isEmpty()) outcome.path = programDir + name;
    if (outcome.path.isEmpty() || !QFileInfo::exists(outcome.path)) {
        document.clear();
        return outcome;
    }
    auto fail = [&](const char* kind, const QString& message) {
        document.clear();
        outcome.kind = Outcome::Failed;
        outcome.errorKind = QLatin1String(kind);
        outcome.message = message;
        return outcome;
    };
    // A pipe or a device in the file's place is not opened: it could hold
    // the window for good.
    if (const QString why = notARegularFile(outcome.path); !why.isEmpty())
        return fail("EFOpenError",
                    QStringLiteral("Cannot open file \"%1\": %2.").arg(outcome.path, why));
    // Read no more than the reader would accept: a huge file is refused, not loaded.
    const RtfLimits limits;
    QString reason;
    const std::optional<QByteArray> bytes =
        readRegularFile(outcome.path, limits.maxInputBytes, &reason);
    if (!bytes)
        return fail("EReadError",
                    QStringLiteral("Cannot read file \"%1\". %2").arg(outcome.path, reason));
    QString error;
    if (!RtfReader::read(*bytes, document, &error, limits, &outcome.cut))
        return fail("EParserError", QStringLiteral("\"%1\": %2").arg(outcome.path, error));
    if (outcome.cut && !cutNote.isEmpty()) addNote(document, cutNote);
    outcome.kind = Outcome::Loaded;
    return outcome;
}

} // namespace kqm52
