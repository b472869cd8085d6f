#include "model/files/FileProblemText.h"

#include "model/texts/LanguageTexts.h"

namespace kqm52 {

namespace {

// Every detail the file readers name; the reader's English stands in for one
// that is not here.
constexpr TextId DetailTexts[] = {
    {"Main", "MsgFileTooLong"},   {"Main", "MsgFileNoHeader"}, {"Main", "MsgFileNotDataLine"},
    {"Main", "MsgFileBadNumber"}, {"Main", "MsgFileBadValue"}, {"Main", "MsgFileNumberTwice"},
    {"Main", "MsgFileLineCount"}, {"Main", "MsgBackupSize"},   {"Main", "MsgBackupLonger"},
    {"Main", "MsgBackupNoMarks"},
};

} // namespace

QString fileProblemDetail(const LanguageTexts& language, const FileProblem& problem) {
    if (!language.LanguageLoaded()) return problem.detail;
    if (problem.unreadable)
        return QStringLiteral("%1: %2").arg(problem.path,
                                            fileReadErrorText(language, problem.unreadable));
    if (problem.detailKey.isEmpty()) return problem.detail;
    const TextId* id = textAmong(DetailTexts, problem.detailKey);
    if (!id) return problem.detail;
    const QString text = language.text(*id);
    return text.isEmpty() ? problem.detail : fillDetail(text, problem.detailArgs);
}

QString fileReadErrorText(const LanguageTexts& language, const FileReadError& error) {
    using Kind = FileReadError::Kind;
    switch (error.kind) {
    case Kind::None:
        break;
    case Kind::Missing:
        return language.text(TextId{"Main", "MsgNoSuchFile"});
    case Kind::Folder:
        return language.text(TextId{"Main", "MsgFolderNotFile"});
    case Kind::NotAFile:
        return language.text(TextId{"Main", "MsgNotAFile"});
    case Kind::System:
        return error.system;
    }
    return {};
}

QString readProblemReason(const LanguageTexts& language, const ReadProblem& problem) {
    constexpr qint64 MB = 1024 * 1024;
    if (problem.kind == ReadProblem::Kind::TooLarge)
        return language.text(TextId{"Mappen", "TeGroot"})
            .arg(QString::number((problem.limit + MB - 1) / MB));
    return fileReadErrorText(language, problem.reason);
}

} // namespace kqm52
