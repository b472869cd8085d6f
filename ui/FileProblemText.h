#pragma once

// The detail of a refused file (which line, how many bytes) in the user's
// language, for the line after the window's own refusal text.

#include "model/TableFile.h"

#include <QString>

namespace kqm52 {

class LanguageTexts;

// The language file's wording of the detail (section "Main"), filled in with
// the file's own values; the built-in English while no language file is
// loaded or it lacks the key, and the operating system's reason as it is.
QString fileProblemDetail(const LanguageTexts& language, const FileProblem& problem);

} // namespace kqm52
