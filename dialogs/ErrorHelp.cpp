#include "dialogs/ErrorHelp.h"

#include "dialogs/RtfReader.h"
#include "inifile/RegularFile.h"
#include "model/files/FileProblemText.h"
#include "model/texts/LanguageTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QTextCursor>
#include <QTextDocument>

namespace kqm52 {

QString ErrorHelp::fileName(int languageNo) {
    if (languageNo < 0 || languageNo > 2) return {};
    return QStringLiteral("ErrorHelp%1.rtf").arg(languageNo);
}

QString ErrorHelp::Outcome::report(const LanguageTexts& language) const {
    QString words;
    if (errorKind == QLatin1String("EFOpenError")) {
        words = language.text(TextId{"HelpErrorNummers", "MsgNotOpened"});
    } else if (errorKind == QLatin1String("EReadError")) {
        words = language.text(TextId{"HelpErrorNummers", "MsgNotRead"});
    } else {
        switch (rtf.kind) {
        case RtfFailure::TooLarge:
            words = language.text(TextId{"HelpErrorNummers", "MsgTooLarge"}).arg(rtf.bound);
            break;
        case RtfFailure::TooDeep:
            words = language.text(TextId{"HelpErrorNummers", "MsgTooDeep"}).arg(rtf.bound);
            break;
        case RtfFailure::None:
        case RtfFailure::NotRtf:
            words = language.text(TextId{"HelpErrorNummers", "MsgNotRtf"});
            break;
        }
    }
    // Message lines are joined by LF CR.
    const QString lineBreak = QStringLiteral("\n\r");
    QString text = errorKind + QStringLiteral(" error raised, with message : ") + words +
                   lineBreak + QDir::toNativeSeparators(path);
    if (reason) text += lineBreak + fileReadErrorText(language, reason);
    return text;
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
    auto fail = [&](const char* kind, const FileReadError& reason) {
        document.clear();
        outcome.kind = Outcome::Failed;
        outcome.errorKind = QLatin1String(kind);
        outcome.reason = reason;
        return outcome;
    };
    // A pipe or a device in the file's place is not opened: it could hold
    // the window for good.
    if (const auto why = notARegularFile(outcome.path); why != FileReadError::Kind::None)
        return fail("EFOpenError", FileReadError{why, {}});
    // Read no more than the reader would accept: a huge file is refused, not loaded.
    const RtfLimits limits;
    FileReadError reason;
    const std::optional<QByteArray> bytes =
        readRegularFile(outcome.path, limits.maxInputBytes, &reason);
    if (!bytes) return fail("EReadError", reason);
    if (!RtfReader::read(*bytes, document, nullptr, limits, &outcome.cut, &outcome.rtf))
        return fail("EParserError", {});
    if (outcome.cut && !cutNote.isEmpty()) addNote(document, cutNote);
    outcome.kind = Outcome::Loaded;
    return outcome;
}

} // namespace kqm52
