#include "ui/FileProblemText.h"

#include "model/LanguageTexts.h"

namespace kqm52 {

QString fileProblemDetail(const LanguageTexts& language, const FileProblem& problem) {
    if (problem.detailKey.isEmpty() || !language.LanguageLoaded()) return problem.detail;
    const QString text = language.text(QStringLiteral("Main"), problem.detailKey);
    return text.isEmpty() ? problem.detail : fillDetail(text, problem.detailArgs);
}

} // namespace kqm52
