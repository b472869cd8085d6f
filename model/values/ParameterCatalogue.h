#pragma once

// What the tool knows about the device's parameters, from the two catalogue
// files beside the program:
//
//  - Parameters.txt, one section per parameter ("000" .. "399"): names
//    naam0..naam4, type (1: choice from a list), option lists
//    opties0..opties4, dec, min, max, default;
//  - ParNo.txt, one section per editor group (menu x 100 + submenu): keys
//    ParId1..ParId18 give the parameter shown in each row.
//
// Both are read once into memory and never written; later changes to the
// files are not seen until they are read again.  A missing file is not an
// error here: its present flag stays false and every lookup gives the empty
// answer (no name, no options, no decimals, limits 0).

#include "inifile/IniFile.h"
#include "model/values/ParamTables.h"
#include "model/values/ParameterInfo.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kqm52 {

class ParameterCatalogue {
  public:
    static constexpr int RowsPerGroup = 18;
    static constexpr int OptionListType = 1;
    static constexpr int LanguageCount = 5; // naam0..naam4, opties0..opties4

    ParameterCatalogue() { buildInfos(); }

    static QString definitionFileName() { return QStringLiteral("Parameters.txt"); }
    static QString numberFileName() { return QStringLiteral("ParNo.txt"); }

    // Reads Parameters.txt / ParNo.txt from the program's folder.  Called at
    // start-up; the definitions again when the options are confirmed.  A
    // file that is refused (larger than any catalogue can be) leaves the
    // store read before in force; problem, when given, says so.
    void ParameterDef_lezen(const QString& programDir, ReadProblem* problem = nullptr);
    void ParamNo_lezen(const QString& programDir, ReadProblem* problem = nullptr);
    // Drops both stores (the program is closing).
    void release();

    bool parameterDefinitionsPresent() const { return definitionsPresent_; }
    bool parameterNumbersPresent() const { return numbersPresent_; }
    const IniFile& definitions() const { return definitions_; }
    const IniFile& numbers() const { return numbers_; }

    // For tests and for data that does not come from the program's folder.
    void setDefinitions(const IniFile& store);
    void setNumbers(const IniFile& store);

    // What is known of parameter p, built when the definitions were read.
    // A number outside 0..399 gives an undescribed entry (no name, limits 0).
    const ParameterInfo& info(int p) const;

    // "%3.3d": 7 gives "007".
    static QString sectionName(int p);

    bool hasParameter(int p) const;
    QString name(int p, int languageNo) const;
    bool isOptionList(int p) const;
    int decimals(int p) const; // 9: as many as parameter 203 holds
    qint32 minimum(int p) const;
    qint32 maximum(int p) const;
    qint32 defaultValue(int p) const;
    ParamTables::Parameters defaults() const;

    // The option labels of parameter p (or of a section by name) in a
    // language.  A list that, written back as list text, begins with "#"
    // names the section to take the list from instead; that is followed
    // once, so references cannot loop.
    QStringList optionList(int p, int languageNo) const;
    QStringList optionList(const QString& section, int languageNo) const;
    // Label k of the list for the value k; "########" for a value that has
    // no label (past the end of the list, or negative).
    QString optionText(int p, int languageNo, qint32 value) const;
    static QString optionText(const QStringList& options, qint32 value);

    // The value as the user sees it, with the parameter's decimals.
    QString valueText(int p, qint32 value, const ParamTables& tables) const;

    // The parameter in row 1..18 of a group, or -1 for an empty row.  A
    // number that is not a parameter (outside 0..399) leaves the row empty
    // too, so no window reaches past the value table.
    int parameterInRow(int groupId, int row) const;

    // The record the editor hands the service window for parameter p.
    SelectedParameter selection(int p, int languageNo, const ParamTables& tables) const;

  private:
    void buildInfos();
    ParameterInfo makeInfo(int p) const;

    IniFile definitions_;
    // Made on demand from definitions_ (the catalogue lives on the
    // user-interface thread); built_ says which are.
    mutable std::vector<ParameterInfo> infos_;
    mutable std::vector<bool> built_;
    IniFile numbers_;
    bool definitionsPresent_ = false;
    bool numbersPresent_ = false;
};

} // namespace kqm52
