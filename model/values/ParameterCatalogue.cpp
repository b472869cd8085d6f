#include "model/values/ParameterCatalogue.h"

#include "inifile/ListText.h"
#include "inifile/RegularFile.h"
#include "model/values/DecimalText.h"

#include <QDir>

#include <array>

namespace kqm52 {

namespace {

const QString kNoOption = QStringLiteral("########");

bool isLanguage(int languageNo) {
    return languageNo >= 0 && languageNo < ParameterCatalogue::LanguageCount;
}

// "naam0" .. "naam4", "opties0" .. "opties4": made once, asked for 4000 times
// while the catalogue loads.
const std::array<QString, ParameterCatalogue::LanguageCount> NameKeys = {
    QStringLiteral("naam0"), QStringLiteral("naam1"), QStringLiteral("naam2"),
    QStringLiteral("naam3"), QStringLiteral("naam4")};
const std::array<QString, ParameterCatalogue::LanguageCount> OptionKeys = {
    QStringLiteral("opties0"), QStringLiteral("opties1"), QStringLiteral("opties2"),
    QStringLiteral("opties3"), QStringLiteral("opties4")};

// The catalogue comes from Windows, where "parameters.txt" is the same file;
// take the exact name first and any spelling of it when that is missing.
QString findBeside(const QString& programDir, const QString& name) {
    const QDir dir(programDir);
    const QString exact = dir.filePath(name);
    if (isRegularFile(exact)) return exact;
    const QStringList found = dir.entryList({name}, QDir::Files);
    return found.isEmpty() ? QString() : dir.filePath(found.front());
}

// Reads the file into store and sets present.  A refused file changes
// neither: what was read before stays in use.
void loadStore(const QString& programDir, const QString& name, IniFile& store, bool& present,
               ReadProblem* problem) {
    const QString path = findBeside(programDir, name);
    IniFile fresh;
    ReadProblem why;
    const bool loaded = !path.isEmpty() && fresh.load(path, &why);
    if (problem) *problem = why;
    if (why.kind == ReadProblem::Kind::TooLarge) return;
    store = std::move(fresh);
    present = loaded;
}

} // namespace

void ParameterCatalogue::ParameterDef_lezen(const QString& programDir, ReadProblem* problem) {
    loadStore(programDir, definitionFileName(), definitions_, definitionsPresent_, problem);
    buildInfos();
}

void ParameterCatalogue::buildInfos() {
    // Each parameter's entry is made the first time it is asked for: at
    // start the main window needs eight of the 400.
    infos_.assign(std::size_t(ParamTables::ParameterCount), ParameterInfo());
    built_.assign(std::size_t(ParamTables::ParameterCount), false);
}

ParameterInfo ParameterCatalogue::makeInfo(int p) const {
    ParameterInfo info(p);
    const QString section = sectionName(p);
    info.described_ = definitions_.hasSection(section);
    if (info.described_) {
        for (int lang = 0; lang < LanguageCount; ++lang) {
            info.names_[std::size_t(lang)] =
                definitions_.readString(section, NameKeys[std::size_t(lang)]);
            info.options_[std::size_t(lang)] = optionList(section, lang);
        }
        if (definitions_.readInteger(section, QStringLiteral("type"), 0) == OptionListType)
            info.type_ = ParameterType::Options;
        info.decimalsSetting_ = definitions_.readInteger(section, QStringLiteral("dec"), 0);
        info.minimum_ = definitions_.readInteger(section, QStringLiteral("min"), 0);
        info.maximum_ = definitions_.readInteger(section, QStringLiteral("max"), 0);
        info.default_ = definitions_.readInteger(section, QStringLiteral("default"), 0);
    }
    return info;
}

const ParameterInfo& ParameterCatalogue::info(int p) const {
    static const ParameterInfo none;
    if (!ParamTables::isParameter(p)) return none;
    const std::size_t i = std::size_t(p);
    if (!built_[i]) {
        infos_[i] = makeInfo(p);
        built_[i] = true;
    }
    return infos_[i];
}

void ParameterCatalogue::ParamNo_lezen(const QString& programDir, ReadProblem* problem) {
    loadStore(programDir, numberFileName(), numbers_, numbersPresent_, problem);
}

void ParameterCatalogue::release() {
    definitions_.clear();
    numbers_.clear();
    buildInfos();
    definitionsPresent_ = false;
    numbersPresent_ = false;
}

void ParameterCatalogue::setDefinitions(const IniFile& store) {
    definitions_ = store;
    definitionsPresent_ = true;
    buildInfos();
}

void ParameterCatalogue::setNumbers(const IniFile& store) {
    numbers_ = store;
    numbersPresent_ = true;
}

QString ParameterCatalogue::sectionName(int p) {
    return QString::asprintf("%3.3d", p);
}

bool ParameterCatalogue::hasParameter(int p) const {
    return info(p).described();
}

QString ParameterCatalogue::name(int p, int languageNo) const {
    return info(p).name(languageNo);
}

bool ParameterCatalogue::isOptionList(int p) const {
    return info(p).isOptionList();
}

int ParameterCatalogue::decimals(int p) const {
    return info(p).decimalsSetting();
}

qint32 ParameterCatalogue::minimum(int p) const {
    return info(p).minimum();
}

qint32 ParameterCatalogue::maximum(int p) const {
    return info(p).maximum();
}

qint32 ParameterCatalogue::defaultValue(int p) const {
    return info(p).defaultValue();
}

ParamTables::Parameters ParameterCatalogue::defaults() const {
    ParamTables::Parameters values{};
    for (int p = 0; p < ParamTables::ParameterCount; ++p)
        values[p] = defaultValue(p);
    return values;
}

QStringList ParameterCatalogue::optionList(int p, int languageNo) const {
    return info(p).options(languageNo);
}

QStringList ParameterCatalogue::optionList(const QString& section, int languageNo) const {
    if (!isLanguage(languageNo)) return {};
    const QString& key = OptionKeys[std::size_t(languageNo)];
    const QStringList list = ListText::read(definitions_.readString(section, key));
    // Written back, the list begins with "#" only when its first item does.
    if (list.isEmpty() || !list.front().startsWith(QLatin1Char('#'))) return list;
    const QString written = ListText::write(list);
    if (!written.startsWith(QLatin1Char('#'))) return list;
    // Followed once only: a "#" in the referenced list is simply its label.
    return ListText::read(definitions_.readString(written.mid(1), key));
}

QString ParameterCatalogue::optionText(const QStringList& options, qint32 value) {
    if (value < 0 || value >= options.size()) return kNoOption;
    return options.at(value);
}

QString ParameterCatalogue::optionText(int p, int languageNo, qint32 value) const {
    return optionText(optionList(p, languageNo), value);
}

QString ParameterCatalogue::valueText(int p, qint32 value, const ParamTables& tables) const {
    return info(p).valueText(value, tables);
}

int ParameterCatalogue::parameterInRow(int groupId, int row) const {
    if (row < 1 || row > RowsPerGroup) return -1;
    const int p =
        numbers_.readInteger(QString::number(groupId), QStringLiteral("ParId%1").arg(row), -1);
    return ParamTables::isParameter(p) ? p : -1;
}

SelectedParameter ParameterCatalogue::selection(int p, int languageNo,
                                                const ParamTables& tables) const {
    return info(p).selection(languageNo, tables);
}

} // namespace kqm52
