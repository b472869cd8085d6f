#include "model/texts/LanguageTexts.h"

#include "inifile/RegularFile.h"

namespace kqm52 {

QString LanguageTexts::fileName(int languageNo) {
    switch (languageNo) {
    case 1:
        return QStringLiteral("Taal1.ini");
    case 2:
        return QStringLiteral("Taal2.ini");
    default:
        return QStringLiteral("Taal0.ini");
    }
}

bool LanguageTexts::TekstFile_Lezen(const QString& programDir, int languageNo,
                                    ReadProblem* problem) {
    if (problem) *problem = ReadProblem{};
    const QString path = programDir + fileName(languageNo);
    if (!isRegularFile(path)) return false;
    // Read into a fresh store first: a file that vanishes, cannot be read or
    // is refused must not leave us with half a language.
    IniFile fresh;
    if (!fresh.load(path, problem)) return false;
    ini_ = std::move(fresh);
    loaded_ = true;
    loadedPath_ = path;
    return true;
}

void LanguageTexts::loadFromText(const QString& text) {
    IniFile fresh;
    fresh.loadFromText(text);
    ini_ = std::move(fresh);
    loaded_ = true;
    loadedPath_.clear();
}

QString LanguageTexts::problemText(const ReadProblem& problem) const {
    constexpr qint64 MB = 1024 * 1024;
    return text(TextId{"Main", "MsgBestandTeGroot"})
        .arg(problem.path, QString::number((problem.limit + MB - 1) / MB));
}

QString LanguageTexts::text(TextId id) const {
    const QString def = QString::fromUtf8(id->def);
    if (loaded_) return ini_.readString(QLatin1String(id->section), QLatin1String(id->key), def);
    return id->kind == TextKind::KeepsDefault ? def : QString();
}

} // namespace kqm52
