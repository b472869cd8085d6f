#pragma once

// Everything the tool knows about one parameter, read from the catalogue once
// when it loads, so a window asks a typed object instead of looking strings
// up in Parameters.txt on every cell it draws.
//
// Values are raw device integers throughout.  The only thing that depends on
// the tables is the number of decimals of a parameter whose "dec" is 9: it
// shows as many decimals as parameter 203 holds at that moment, so every
// text function takes the tables.

#include "model/values/ParamTables.h"
#include "model/values/ValueEntry.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>

namespace kqm52 {

enum class ParameterType { Number, Options };

class ParameterInfo {
  public:
    static constexpr int LanguageCount = 5;

    ParameterInfo() = default;
    explicit ParameterInfo(int number) : number_(number) {}

    int number() const { return number_; }
    // "%3.3d", the way the editor, the files and the catalogue name it.
    QString numberText() const;
    // False when Parameters.txt has no section for it: no name, no options,
    // no decimals, limits and default 0.
    bool described() const { return described_; }

    // Empty for a language outside 0..4.
    QString name(int languageNo) const;
    ParameterType type() const { return type_; }
    bool isOptionList() const { return type_ == ParameterType::Options; }
    // Option labels with a "#" reference already followed.
    QStringList options(int languageNo) const;
    // Label for the value, or "########" when the list has none for it.
    QString optionText(int languageNo, qint32 value) const;

    // "dec" as the catalogue gives it; 9 stands for parameter 203.
    int decimalsSetting() const { return decimalsSetting_; }
    // The decimals the value shows with now.
    int decimals(const ParamTables& tables) const;

    qint32 minimum() const { return minimum_; }
    qint32 maximum() const { return maximum_; }
    qint32 defaultValue() const { return default_; }
    bool allows(qint32 value) const { return value >= minimum_ && value <= maximum_; }
    // The decimals and limits a value is read and judged with.  A parameter
    // the catalogue does not describe takes any value: its limits are
    // unknown, not 0.
    ValueRange range(const ParamTables& tables) const;
    // Typed text as the value of this parameter: an option by its text or
    // number, a number with the parameter's decimals, within its limits.
    ValueEntry enter(const QString& typed, const ParamTables& tables, int languageNo) const;

    // A raw value as the user reads it: 1234 with two decimals is "12,34".
    QString valueText(qint32 value, const ParamTables& tables) const;
    // The parameter's current value in the table, as text.
    QString currentText(const ParamTables& tables) const;

    // The record the editor hands the service window.
    SelectedParameter selection(int languageNo, const ParamTables& tables) const;

  private:
    friend class ParameterCatalogue;

    int number_ = -1;
    bool described_ = false;
    std::array<QString, LanguageCount> names_;
    ParameterType type_ = ParameterType::Number;
    std::array<QStringList, LanguageCount> options_;
    int decimalsSetting_ = 0;
    qint32 minimum_ = 0;
    qint32 maximum_ = 0;
    qint32 default_ = 0;
};

} // namespace kqm52
