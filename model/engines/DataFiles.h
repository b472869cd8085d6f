#pragma once

// Reading the language and catalogue files from the folders the program was
// given (model/ProgramFolders.h): the user's own copy first where there is
// one.  A copy of the user's own that cannot be read is reported and the
// installed one is read instead.

#include "inifile/ReadFile.h"

#include <QString>

#include <functional>

namespace kqm52 {

class LanguageTexts;
class ParameterCatalogue;
class ProgramFolders;
class ProgramState;

// Told of a file of the user's own that could not be read, before the
// installed one is read in its place.
using OwnFileFailed = std::function<void(const ReadProblem&)>;

// The language file for languageNo.  False, with the texts unchanged, when no
// folder gave a readable one; problem (when given) then says why the last
// file tried was not read.
bool readLanguageFile(LanguageTexts& language, const ProgramFolders& folders, int languageNo,
                      const OwnFileFailed& ownFileFailed, ReadProblem* problem = nullptr);
// Parameters.txt and ParNo.txt, in the same way; the result is the file's
// present flag.
bool readParameterDefinitions(ParameterCatalogue& catalogue, const ProgramFolders& folders,
                              const OwnFileFailed& ownFileFailed, ReadProblem* problem = nullptr);
bool readParameterNumbers(ParameterCatalogue& catalogue, const ProgramFolders& folders,
                          const OwnFileFailed& ownFileFailed, ReadProblem* problem = nullptr);

// The same for the program's shared state: the user hears of a failed file
// of their own through ProgramState::ownFileFailed, and of a file refused for
// its size through ProgramState::refused unless problem is given.
bool readLanguageFile(ProgramState& state, int languageNo, ReadProblem* problem = nullptr);
// Parameters.txt alone (the names follow a change of language).
void readParameterDefinitions(ProgramState& state);
// Parameters.txt, then ParNo.txt.
void readCatalogueFiles(ProgramState& state);

// What the user is told of a file of their own that failed: the file, why,
// and the installed file read in its place.
QString ownFileFailedText(const LanguageTexts& language, const ProgramFolders& folders,
                          const ReadProblem& problem);

} // namespace kqm52
