#include "params/model/ParameterCatalogue.h"

#include "params/model/DecimalText.h"
#include "inifile/ListText.h"

#include <QDir>
#include <QFileInfo>

namespace kqm52 {

namespace {

const QString kNoOption = QStringLiteral("########");

bool isLanguage(int languageNo) {
    return languageNo >= 0 && languageNo < ParameterCatalogue::LanguageCount;
}

// The catalogue comes from Windows, where "parameters.txt" is the same file;
// take the exact name first and any spelling of it when that is missing.
QString findBeside(const QString& programDir, const QString& name) {
    const QDir dir(programDir);
    const QString exact = dir.filePath(name);
    if (QFileInfo(exact).isFile()) return exact;
    const QStringList found = dir.entryList({name}, QDir::Files);
    return found.isEmpty() ? QString() : dir.filePath(found.front());
}

bool loadStore(const QString& programDir, const QString& name, IniFile& store) {
    store.clear();
    const QString path = findBeside(programDir, name);
    return !path.isEmpty() && store.load(path);
}

} // namespace

void ParameterCatalogue::ParameterDef_lezen(const QString& programDir) {
    definitionsPresent_ = loadStore(programDir, definitionFileName(), definitions_);
}

void ParameterCatalogue::ParamNo_lezen(const QString& programDir) {
    numbersPresent_ = loadStore(programDir, numberFileName(), numbers_);
}

void ParameterCatalogue::release() {
    definitions_.clear();
    numbers_.clear();
    definitionsPresent_ = false;
    numbersPresent_ = false;
}

void ParameterCatalogue::setDefinitions(const IniFile& store) {
    definitions_ = store;
    definitionsPresent_ = true;
}

void ParameterCatalogue::setNumbers(const IniFile& store) {
    numbers_ = store;
    numbersPresent_ = true;
}

QString ParameterCatalogue::sectionName(int p) {
    return QString::asprintf("%3.3d", p);
}

bool ParameterCatalogue::hasParameter(int p) const {
    return definitions_.hasSection(sectionName(p));
}

QString ParameterCatalogue::name(int p, int languageNo) const {
    if (!isLanguage(languageNo)) return {};
    return definitions_.readString(sectionName(p), QStringLiteral("naam%1").arg(languageNo));
}

bool ParameterCatalogue::isOptionList(int p) const {
    return definitions_.readInteger(sectionName(p), QStringLiteral("type"), 0) == OptionListType;
}

int ParameterCatalogue::decimals(int p) const {
    return definitions_.readInteger(sectionName(p), QStringLiteral("dec"), 0);
}

qint32 ParameterCatalogue::minimum(int p) const {
    return definitions_.readInteger(sectionName(p), QStringLiteral("min"), 0);
}

qint32 ParameterCatalogue::maximum(int p) const {
    return definitions_.readInteger(sectionName(p), QStringLiteral("max"), 0);
}

qint32 ParameterCatalogue::defaultValue(int p) const {
    return definitions_.readInteger(sectionName(p), QStringLiteral("default"), 0);
}

ParamTables::Parameters ParameterCatalogue::defaults() const {
    ParamTables::Parameters values{};
    for (int p = 0; p < ParamTables::ParameterCount; ++p)
        values[p] = defaultValue(p);
    return values;
}

QStringList ParameterCatalogue::optionList(int p, int languageNo) const {
    return optionList(sectionName(p), languageNo);
}

QStringList ParameterCatalogue::optionList(const QString& section, int languageNo) const {
    if (!isLanguage(languageNo)) return {};
    const QString key = QStringLiteral("opties%1").arg(languageNo);
    const QStringList list = ListText::read(definitions_.readString(section, key));
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
    return tables.IntToDecStr(decimals(p), value);
}

int ParameterCatalogue::parameterInRow(int groupId, int row) const {
    if (row < 1 || row > RowsPerGroup) return -1;
    const int p =
        numbers_.readInteger(QString::number(groupId), QStringLiteral("ParId%1").arg(row), -1);
    return ParamTables::isParameter(p) ? p : -1;
}

SelectedParameter ParameterCatalogue::selection(int p, int languageNo,
                                                const ParamTables& tables) const {
    SelectedParameter s;
    s.numberText = sectionName(p);
    s.name = name(p, languageNo);
    s.valueText = valueText(p, tables.parameter(p), tables);
    s.minimum = minimum(p);
    s.minimumText = valueText(p, s.minimum, tables);
    s.maximum = maximum(p);
    s.maximumText = valueText(p, s.maximum, tables);
    s.defaultText = valueText(p, defaultValue(p), tables);
    return s;
}

} // namespace kqm52
