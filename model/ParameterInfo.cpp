#include "model/ParameterInfo.h"

#include "model/DecimalText.h"

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
