#include "model/values/ParameterInfo.h"

#include "model/values/DecimalText.h"

#include <limits>

namespace kqm52 {

namespace {

bool isLanguage(int languageNo) {
    return languageNo >= 0 && languageNo < ParameterInfo::LanguageCount;
}

} // namespace

QString ParameterInfo::numberText() const {
    return QString::asprintf("%3.3d", number_);
}

QString ParameterInfo::name(int languageNo) const {
    return isLanguage(languageNo) ? names_[std::size_t(languageNo)] : QString();
}

QStringList ParameterInfo::options(int languageNo) const {
    return isLanguage(languageNo) ? options_[std::size_t(languageNo)] : QStringList();
}

QString ParameterInfo::optionText(int languageNo, qint32 value) const {
    const QStringList list = options(languageNo);
    if (value < 0 || value >= list.size()) return QStringLiteral("########");
    return list.at(value);
}

int ParameterInfo::decimals(const ParamTables& tables) const {
    if (decimalsSetting_ == ParamTables::DecimalsFromParameter203)
        return tables.parameter(ParamTables::PositionDecimalsParameter);
    return decimalsSetting_;
}

ValueRange ParameterInfo::range(const ParamTables& tables) const {
    if (!described_)
        return {decimals(tables), std::numeric_limits<qint32>::min() + 1, DecStrMalformed - 1};
    return {decimals(tables), minimum_, maximum_};
}

ValueEntry ParameterInfo::enter(const QString& typed, const ParamTables& tables,
                                int languageNo) const {
    if (isOptionList()) return enterOption(typed, options(languageNo), range(tables));
    return enterNumber(typed, range(tables));
}

QString ParameterInfo::valueText(qint32 value, const ParamTables& tables) const {
    return formatDecimal(decimals(tables), value);
}

QString ParameterInfo::currentText(const ParamTables& tables) const {
    return valueText(tables.parameter(number_), tables);
}

SelectedParameter ParameterInfo::selection(int languageNo, const ParamTables& tables) const {
    SelectedParameter s;
    s.numberText = numberText();
    s.name = name(languageNo);
    s.valueText = currentText(tables);
    s.minimum = minimum_;
    s.minimumText = valueText(minimum_, tables);
    s.maximum = maximum_;
    s.maximumText = valueText(maximum_, tables);
    s.defaultText = valueText(default_, tables);
    return s;
}

} // namespace kqm52
