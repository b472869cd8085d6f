#include "ui/FileProblemText.h"

#include "model/LanguageTexts.h"

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
    if (problem.detailKey.isEmpty() || !language.LanguageLoaded()) return problem.detail;
    const TextId* id = textAmong(DetailTexts, problem.detailKey);
    if (!id) return problem.detail;
    const QString text = language.text(*id);
    return text.isEmpty() ? problem.detail : fillDetail(text, problem.detailArgs);
}

} // namespace kqm52
