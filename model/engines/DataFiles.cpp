#include "model/engines/DataFiles.h"

#include "model/engines/ProgramState.h"
#include "model/files/FileProblemText.h"

#include <QDir>
#include <QFileInfo>

namespace kqm52 {

namespace {

// Tries each folder holding name in turn; read(folder, problem) says whether
// the file there was taken.  A failure in the user's own folder gives way to
// the next folder; any other failure is the last word.
template <typename Read>
bool readFirstGood(const ProgramFolders& folders, const QString& name, Qt::CaseSensitivity cs,
                   const OwnFileFailed& ownFileFailed, ReadProblem* last, Read read) {
    QStringList candidates = folders.foldersHolding(name, cs);
    // No folder holds it: the reader still runs, so it forgets or keeps what
    // it had exactly as it does for a missing file.
    if (candidates.isEmpty()) candidates << folders.dataDir();
    ReadProblem problem;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        problem = ReadProblem{};
        if (read(candidates[i], &problem)) {
            if (last) *last = ReadProblem{};
            return true;
        }
        const bool another = i + 1 < candidates.size();
        if (!another || !folders.isUserFolder(candidates[i])) break;
        if (problem.path.isEmpty()) problem.path = QDir::toNativeSeparators(candidates[i] + name);
        if (problem.kind == ReadProblem::Kind::None) problem.kind = ReadProblem::Kind::Unreadable;
        if (ownFileFailed) ownFileFailed(problem);
    }
    if (last) *last = problem;
    return false;
}

OwnFileFailed toldThrough(const ProgramState& state) {
    return [&state](const ReadProblem& problem) {
        if (state.ownFileFailed) state.ownFileFailed(problem);
    };
}

} // namespace

bool readLanguageFile(LanguageTexts& language, const ProgramFolders& folders, int languageNo,
                      const OwnFileFailed& ownFileFailed, ReadProblem* problem) {
    return readFirstGood(folders, LanguageTexts::fileName(languageNo), Qt::CaseSensitive,
                         ownFileFailed, problem, [&](const QString& folder, ReadProblem* p) {
                             return language.TekstFile_Lezen(folder, languageNo, p);
                         });
}

bool readParameterDefinitions(ParameterCatalogue& catalogue, const ProgramFolders& folders,
                              const OwnFileFailed& ownFileFailed, ReadProblem* problem) {
    return readFirstGood(folders, ParameterCatalogue::definitionFileName(), Qt::CaseInsensitive,
                         ownFileFailed, problem, [&](const QString& folder, ReadProblem* p) {
                             catalogue.ParameterDef_lezen(folder, p);
                             return catalogue.parameterDefinitionsPresent() && !*p;
                         });
}

bool readParameterNumbers(ParameterCatalogue& catalogue, const ProgramFolders& folders,
                          const OwnFileFailed& ownFileFailed, ReadProblem* problem) {
    return readFirstGood(folders, ParameterCatalogue::numberFileName(), Qt::CaseInsensitive,
                         ownFileFailed, problem, [&](const QString& folder, ReadProblem* p) {
                             catalogue.ParamNo_lezen(folder, p);
                             return catalogue.parameterNumbersPresent() && !*p;
                         });
}

bool readLanguageFile(ProgramState& state, int languageNo, ReadProblem* problem) {
    ReadProblem why;
    const bool read = readLanguageFile(state.language, state.settings.folders, languageNo,
                                       toldThrough(state), &why);
    if (problem)
        *problem = why;
    else
        state.refused(why);
    return read;
}

void readParameterDefinitions(ProgramState& state) {
    ReadProblem why;
    readParameterDefinitions(state.catalogue, state.settings.folders, toldThrough(state), &why);
    state.refused(why);
}

void readCatalogueFiles(ProgramState& state) {
    readParameterDefinitions(state);
    ReadProblem why;
    readParameterNumbers(state.catalogue, state.settings.folders, toldThrough(state), &why);
    state.refused(why);
}

QString ownFileFailedText(const LanguageTexts& language, const ProgramFolders& folders,
                          const ReadProblem& problem) {
    const QString why = readProblemReason(language, problem);
    const QString name = QFileInfo(problem.path).fileName();
    return language.text(TextId{"Mappen", "MsgEigenBestand"})
        .arg(problem.path, why, QDir::toNativeSeparators(folders.dataDir() + name));
}

} // namespace kqm52
