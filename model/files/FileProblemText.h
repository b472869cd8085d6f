#pragma once

// Why a file was refused or not read, in the user's language: the detail of
// a refused table file (which line, how many bytes) for the line after the
// window's own refusal text, and the reason a file could not be read at all
// (missing, a folder, a pipe or a device), wherever a window or kqm52ctl
// says it.

#include "inifile/ReadFile.h"
#include "inifile/RegularFile.h"
#include "model/files/TableFile.h"

#include <QString>

namespace kqm52 {

class LanguageTexts;

// The language file's wording of the detail (section "Main"), filled in with
// the file's own values; the built-in English while no language file is
// loaded or it lacks the key, and the operating system's reason as it is.
QString fileProblemDetail(const LanguageTexts& language, const FileProblem& problem);

// Why a file could not be read, without the file: "there is no such file"
// in the language's words (the built-in English without a language file),
// the operating system's reason as it is.
QString fileReadErrorText(const LanguageTexts& language, const FileReadError& error);

// The same for a settings, language or catalogue file that was not read:
// also "larger than 4 MB" for one refused for its size.
QString readProblemReason(const LanguageTexts& language, const ReadProblem& problem);

} // namespace kqm52
