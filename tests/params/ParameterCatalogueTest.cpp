#include "model/values/ParameterCatalogue.h"
#include "model/values/ParameterDiff.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace kqm52;

namespace {

const QString kDataDir = QStringLiteral(KQM52_TEST_DATA_DIR);
const QString kNoOption = QStringLiteral("########");

class Catalogue : public ::testing::Test {
  protected:
    void SetUp() override {
        catalogue.ParameterDef_lezen(kDataDir);
        catalogue.ParamNo_lezen(kDataDir);
        ASSERT_TRUE(catalogue.parameterDefinitionsPresent());
        ASSERT_TRUE(catalogue.parameterNumbersPresent());
    }
    ParameterCatalogue catalogue;
    ParamTables tables;
};

} // namespace

TEST_F(Catalogue, NamesByLanguageAndBadlyWrittenNumbersCountAsZero) {
    const QStringList names{"Drehrichtung", "Draairichting", "Direction" /* key NAAM2 */, "", ""};
    for (int lang = -1; lang <= 3; ++lang)
        EXPECT_EQ(catalogue.name(7, lang), names.value(lang < 0 ? 4 : lang)) << lang;
    EXPECT_EQ(catalogue.name(8, 0), ""); // no section

    EXPECT_EQ(catalogue.minimum(30), -5);
    EXPECT_EQ(catalogue.defaultValue(30), 0); // "abc"
    EXPECT_EQ(catalogue.decimals(31), 0);     // "zwei"
    EXPECT_EQ(catalogue.minimum(31), 0);      // empty
    EXPECT_EQ(catalogue.maximum(31), 0);      // "0x10"
    EXPECT_EQ(catalogue.defaultValue(31), 250);
    EXPECT_FALSE(catalogue.hasParameter(8));
    EXPECT_EQ(catalogue.maximum(8), 0);
    EXPECT_TRUE(catalogue.isOptionList(7));
    EXPECT_FALSE(catalogue.isOptionList(20));
    const ParamTables::Parameters defaults = catalogue.defaults();
    EXPECT_EQ(defaults[7], 1);
    EXPECT_EQ(defaults[20], 12345);
    EXPECT_EQ(defaults[8], 0);
}

TEST_F(Catalogue, ValuesShowAsTheEditorShowsThem) {
    EXPECT_EQ(catalogue.valueText(8, -1250, tables), "-1250");
    // Decimals 9: as many as parameter 203 holds.
    tables.setParameter(203, 2);
    EXPECT_EQ(catalogue.valueText(20, 12345, tables), "123,45");
    tables.setParameter(203, 0);
    EXPECT_EQ(catalogue.valueText(20, 12345, tables), "12345");

    tables.setParameter(30, -250);
    const SelectedParameter s = catalogue.selection(30, 0, tables);
    EXPECT_EQ(s.numberText, "030");
    EXPECT_EQ(s.name, "Sollgeschwindigkeit");
    EXPECT_EQ(s.valueText, "-2,50");
    EXPECT_EQ(s.minimumText, "-0,05");
    EXPECT_EQ(s.maximumText, "1500,00");
    EXPECT_EQ(s.defaultText, "0,00");
    EXPECT_EQ(catalogue.selection(8, 0, tables).numberText, "008");
}

TEST_F(Catalogue, OptionListsAndTheirTexts) {
    EXPECT_EQ(catalogue.optionList(7, 0), QStringList({"Uit", "Aan"}));
    EXPECT_EQ(catalogue.optionList(7, 1), QStringList({"Niet actief", "Links", "Rechts \"snel\""}));
    EXPECT_EQ(catalogue.optionList(7, 2), QStringList({"Uit", "Niet", "actief"}));
    EXPECT_TRUE(catalogue.optionList(7, -1).isEmpty());
    EXPECT_EQ(catalogue.optionText(7, 0, 1), "Aan");
    for (qint32 outside : {2, -1, std::numeric_limits<qint32>::min()})
        EXPECT_EQ(catalogue.optionText(7, 0, outside), kNoOption) << outside;
    EXPECT_EQ(catalogue.optionText(7, 3, 0), kNoOption); // no list in that language
    EXPECT_EQ(catalogue.optionText(8, 0, 0), kNoOption); // no section
}

TEST_F(Catalogue, OptionReferenceIsFollowedOnce) {
    const QStringList functions{"Keine", "Start", "Stop", "Reset"};
    // 014 opties1=#012, and 012 opties1 is itself #013: that text is the label.
    EXPECT_EQ(catalogue.optionList(14, 1), QStringList({"#013"}));
    EXPECT_EQ(catalogue.optionList(14, 0), functions);
    EXPECT_EQ(catalogue.optionText(14, 0, 3), "Reset");
    // 012 opties2 "  #007" (blanks skipped) refers to parameter 7.
    EXPECT_EQ(catalogue.optionList(12, 2), QStringList({"Uit", "Niet", "actief"}));
    // A section referring to itself: one step, no hang.
    EXPECT_EQ(catalogue.optionList(12, 3), QStringList({"#012"}));
    // 012 and 013 refer to each other in language 0: one step each.
    EXPECT_EQ(catalogue.optionList(13, 0), functions);
    // A reference to a missing section gives no labels.
    EXPECT_EQ(catalogue.optionText(14, 2, 0), kNoOption);
    // A quoted "#012" is still a reference: written back it begins with "#".
    EXPECT_EQ(catalogue.optionList(14, 4), catalogue.optionList(12, 4));

    // Any section may be named, by text and in any case; "# 001" written
    // back is quoted, so it is a label, not a reference.
    IniFile store;
    store.loadFromText("[001]\nopties0=#Gemeinsam\n[gemeinsam]\nopties0=A,B\n"
                       "[002]\nopties0=\"# 001\"\n[ 001]\nopties0=X\n");
    catalogue.setDefinitions(store);
    EXPECT_EQ(catalogue.optionList(1, 0), QStringList({"A", "B"}));
    EXPECT_EQ(catalogue.optionList(2, 0), QStringList({"# 001"}));
}

TEST_F(Catalogue, RowsOfAGroup) {
    // Rows past the grid's 18, groups that are missing, and numbers that are
    // not parameters (-1, 400, -7, text) leave the row empty.
    const std::tuple<int, int, int> rows[] = {
        {100, 1, 7},    {100, 2, 12},  {100, 3, -1}, {100, 4, -1},  {100, 5, 203},
        {100, 18, 399}, {100, 19, -1}, {100, 0, -1}, {1204, 1, 30}, // key spelt PARID1
        {999, 1, -1},   {101, 1, 20},  {101, 2, -1}, {101, 3, -1},  {101, 4, -1},
    };
    for (const auto& [group, row, parameter] : rows)
        EXPECT_EQ(catalogue.parameterInRow(group, row), parameter) << group << " row " << row;
}

// Names, options and decimals are covered through the catalogue's look-ups,
// which ask the info; here what only the info says.
TEST_F(Catalogue, InfoOfUndescribedParameters) {
    EXPECT_EQ(catalogue.info(7).type(), ParameterType::Options);
    EXPECT_EQ(catalogue.info(30).type(), ParameterType::Number);
    // No section, or not a parameter at all: nothing to show, limits 0.
    for (int p : {8, 400, -1}) {
        const ParameterInfo& none = catalogue.info(p);
        EXPECT_FALSE(none.described()) << p;
        EXPECT_EQ(none.maximum(), 0) << p;
        EXPECT_EQ(none.valueText(-1250, tables), "-1250") << p;
    }
}

// The catalogue files in a scratch folder.
class CatalogueFiles : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void copy(const QString& from, const QString& to) {
        ASSERT_TRUE(QFile::copy(kDataDir + "/" + from, dir.filePath(to))) << to.toStdString();
    }
    QTemporaryDir dir;
    ParameterCatalogue catalogue;
};

TEST_F(CatalogueFiles, ReloadSeesTheFileAsItIsNow) {
    copy("Parameters.txt", "Parameters.txt");
    catalogue.ParameterDef_lezen(dir.path() + "/");
    EXPECT_EQ(catalogue.name(7, 0), "Drehrichtung");
    // In memory: a changed file is not seen until it is read again.
    QFile f(dir.filePath("Parameters.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("[007]\nnaam0=Neu\n") > 0);
    f.close();
    EXPECT_EQ(catalogue.name(7, 0), "Drehrichtung");
    catalogue.ParameterDef_lezen(dir.path());
    EXPECT_EQ(catalogue.name(7, 0), "Neu");
    // Gone at the next reading: nothing of the old file lingers.
    ASSERT_TRUE(f.remove());
    catalogue.ParameterDef_lezen(dir.path());
    EXPECT_FALSE(catalogue.parameterDefinitionsPresent());
    EXPECT_EQ(catalogue.name(7, 0), "");
}

// A catalogue file grown far past any real one (a copy gone wrong) is not
// read; the catalogue read before stays in use and the problem names it.
TEST_F(CatalogueFiles, AFileFarTooLargeLeavesTheOneReadBefore) {
    copy("Parameters.txt", "Parameters.txt");
    copy("ParNo.txt", "ParNo.txt");
    catalogue.ParameterDef_lezen(dir.path());
    catalogue.ParamNo_lezen(dir.path());
    for (const char* name : {"Parameters.txt", "ParNo.txt"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) &&
                    f.write("[007]\nnaam0=Neu\n[100]\nParId1=9\n") > 0);
        ASSERT_TRUE(f.resize(MaxDataFileBytes + 1));
    }
    ReadProblem definitions, numbers;
    catalogue.ParameterDef_lezen(dir.path(), &definitions);
    catalogue.ParamNo_lezen(dir.path(), &numbers);
    EXPECT_TRUE(catalogue.parameterDefinitionsPresent() && catalogue.parameterNumbersPresent());
    EXPECT_EQ(catalogue.name(7, 0), "Drehrichtung");
    EXPECT_EQ(catalogue.parameterInRow(100, 1), 7);
    EXPECT_EQ(definitions.kind, ReadProblem::Kind::TooLarge);
    EXPECT_EQ(definitions.path, QDir::toNativeSeparators(dir.filePath("Parameters.txt")));
    EXPECT_EQ(numbers.kind, ReadProblem::Kind::TooLarge);
    EXPECT_EQ(numbers.path, QDir::toNativeSeparators(dir.filePath("ParNo.txt")));

    // Read fresh, such a file leaves the catalogue as without one.
    ParameterCatalogue fresh;
    fresh.ParameterDef_lezen(dir.path());
    EXPECT_FALSE(fresh.parameterDefinitionsPresent());
    EXPECT_EQ(fresh.name(7, 0), "");
}

TEST_F(CatalogueFiles, FilesMissingOrCopiedFromWindowsInAnyCase) {
    const auto readBoth = [&] {
        catalogue.ParameterDef_lezen(dir.path());
        catalogue.ParamNo_lezen(dir.path());
    };
    readBoth();
    EXPECT_FALSE(catalogue.parameterDefinitionsPresent() || catalogue.parameterNumbersPresent());
    EXPECT_EQ(catalogue.optionText(7, 0, 0), kNoOption);
    copy("Parameters.txt", "PARAMETERS.TXT");
    copy("ParNo.txt", "parno.txt");
    readBoth();
    EXPECT_TRUE(catalogue.parameterDefinitionsPresent() && catalogue.parameterNumbersPresent());
    EXPECT_EQ(catalogue.parameterInRow(100, 1), 7);
    catalogue.release();
    EXPECT_FALSE(catalogue.parameterDefinitionsPresent() || catalogue.parameterNumbersPresent());
    EXPECT_EQ(catalogue.name(7, 0), "");
    EXPECT_EQ(catalogue.parameterInRow(100, 1), -1);
}

// The diff of two tables, as a compare lists it: only the parameters whose
// raw values differ, each side shown with its own parameter 203.
TEST_F(Catalogue, DiffListsWhatDiffersWithEachSidesDecimals) {
    ParamTables::Parameters left{};
    left[203] = 2;
    left[20] = 12345;
    left[7] = 1;
    ParamTables::Parameters right = left;
    EXPECT_TRUE(ParameterDiff::compare(catalogue, 0, left, right).empty());

    right[203] = 3;
    right[7] = 5;
    right[20] = 12346;
    const auto differences = ParameterDiff::compare(catalogue, 0, left, right);
    ASSERT_EQ(differences.size(), 3u);
    EXPECT_EQ(ParameterDiff::numbers(differences), (std::vector<int>{7, 20, 203}));

    const ParameterDifference& option = differences[0];
    EXPECT_EQ(option.numberText, "007");
    EXPECT_EQ(option.leftText, "1");
    EXPECT_EQ(option.rightText, "5");
    EXPECT_EQ(option.leftOption, "Aan");
    EXPECT_EQ(option.rightOption, kNoOption);

    // A position reads with the decimals of its own side's parameter 203.
    const ParameterDifference& position = differences[1];
    EXPECT_EQ(position.name, catalogue.name(20, 0));
    EXPECT_EQ(position.leftText, "123,45");
    EXPECT_EQ(position.rightText, "12,346");
    EXPECT_TRUE(position.leftOption.isEmpty() && position.rightOption.isEmpty());
}
