#include "params/ParameterCatalogue.h"
#include "params/DecimalText.h"
#include "params/GroupTree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kqm52;

namespace {

const QString kDataDir = QStringLiteral(KQM52_TEST_DATA_DIR);

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

TEST_F(Catalogue, NamesByLanguage) {
    EXPECT_EQ(catalogue.name(7, 0), "Drehrichtung");
    EXPECT_EQ(catalogue.name(7, 1), "Draairichting");
    EXPECT_EQ(catalogue.name(7, 2), "Direction"); // key spelt NAAM2
    EXPECT_EQ(catalogue.name(7, 3), "");
    EXPECT_EQ(catalogue.name(7, 5), "");
    EXPECT_EQ(catalogue.name(7, -1), "");
    EXPECT_EQ(catalogue.name(8, 0), ""); // no section
}

TEST_F(Catalogue, DecimalsLimitsAndDefaults) {
    EXPECT_EQ(catalogue.decimals(30), 2);
    EXPECT_EQ(catalogue.minimum(30), -5);
    EXPECT_EQ(catalogue.maximum(30), 150000);
    EXPECT_EQ(catalogue.defaultValue(30), 0); // "abc"
    EXPECT_EQ(catalogue.decimals(31), 0);     // "zwei"
    EXPECT_EQ(catalogue.minimum(31), 0);      // empty
    EXPECT_EQ(catalogue.maximum(31), 0);      // "0x10"
    EXPECT_EQ(catalogue.defaultValue(31), 250);
    EXPECT_EQ(catalogue.decimals(20), 9);
    EXPECT_FALSE(catalogue.hasParameter(8));
    EXPECT_EQ(catalogue.decimals(8), 0);
    EXPECT_EQ(catalogue.maximum(8), 0);
    EXPECT_TRUE(catalogue.isOptionList(7));
    EXPECT_FALSE(catalogue.isOptionList(20));

    const ParamTables::Parameters defaults = catalogue.defaults();
    EXPECT_EQ(defaults[7], 1);
    EXPECT_EQ(defaults[20], 12345);
    EXPECT_EQ(defaults[203], 3);
    EXPECT_EQ(defaults[8], 0);
}

TEST_F(Catalogue, ValuesShowWithTheirDecimals) {
    EXPECT_EQ(catalogue.valueText(30, 1250, tables), "12,50");
    EXPECT_EQ(catalogue.valueText(8, -1250, tables), "-1250");
    tables.setParameter(203, 2);
    EXPECT_EQ(catalogue.valueText(20, 12345, tables), "123,45");
    tables.setParameter(203, 0);
    EXPECT_EQ(catalogue.valueText(20, 12345, tables), "12345");
}

TEST_F(Catalogue, OptionListsAndTheirTexts) {
    EXPECT_EQ(catalogue.optionList(7, 0), QStringList({"Uit", "Aan"}));
    EXPECT_EQ(catalogue.optionList(7, 1), QStringList({"Niet actief", "Links", "Rechts \"snel\""}));
    EXPECT_EQ(catalogue.optionList(7, 2), QStringList({"Uit", "Niet", "actief"}));
    EXPECT_EQ(catalogue.optionText(7, 0, 1), "Aan");
    EXPECT_EQ(catalogue.optionText(7, 0, 0), "Uit");
    EXPECT_EQ(catalogue.optionText(7, 0, 2), "########");
    EXPECT_EQ(catalogue.optionText(7, 0, -1), "########");
    EXPECT_EQ(catalogue.optionText(7, 0, std::numeric_limits<qint32>::min()), "########");
    EXPECT_EQ(catalogue.optionText(7, 3, 0), "########"); // no list in that language
    EXPECT_EQ(catalogue.optionText(8, 0, 0), "########"); // no section
    EXPECT_TRUE(catalogue.optionList(7, 5).isEmpty());
    EXPECT_TRUE(catalogue.optionList(7, -1).isEmpty());
}

TEST_F(Catalogue, OptionReferenceIsFollowedOnce) {
    // 014 opties1=#012, and 012 opties1 is itself #013: that text is the label.
    EXPECT_EQ(catalogue.optionList(14, 1), QStringList({"#013"}));
    EXPECT_EQ(catalogue.optionList(14, 0), QStringList({"Keine", "Start", "Stop", "Reset"}));
    EXPECT_EQ(catalogue.optionText(14, 0, 3), "Reset");
    // 012 opties2 "  #007" (blanks skipped) refers to parameter 7.
    EXPECT_EQ(catalogue.optionList(12, 2), QStringList({"Uit", "Niet", "actief"}));
    // A section referring to itself: one step, no hang.
    EXPECT_EQ(catalogue.optionList(12, 3), QStringList({"#012"}));
    // 012 and 013 refer to each other in language 0: one step each.
    EXPECT_EQ(catalogue.optionList(13, 0), QStringList({"Keine", "Start", "Stop", "Reset"}));
    // A reference to a missing section gives no labels.
    EXPECT_TRUE(catalogue.optionList(14, 2).isEmpty());
    EXPECT_EQ(catalogue.optionText(14, 2, 0), "########");
    // A quoted "#012" is still a reference: written back it begins with "#".
    EXPECT_EQ(catalogue.optionList(14, 4), catalogue.optionList(12, 4));
}

TEST_F(Catalogue, OptionReferenceMayNameAnySectionByText) {
    IniFile store;
    store.loadFromText("[001]\nopties0=#Gemeinsam\n[gemeinsam]\nopties0=A,B\n"
                       "[002]\nopties0=\"# 001\"\n[ 001]\nopties0=X\n");
    catalogue.setDefinitions(store);
    EXPECT_EQ(catalogue.optionList(1, 0), QStringList({"A", "B"}));
    // "# 001" written back is quoted, so it is a label, not a reference.
    EXPECT_EQ(catalogue.optionList(2, 0), QStringList({"# 001"}));
}

TEST_F(Catalogue, RowsOfAGroup) {
    EXPECT_EQ(catalogue.parameterInRow(100, 1), 7);
    EXPECT_EQ(catalogue.parameterInRow(100, 2), 12);
    EXPECT_EQ(catalogue.parameterInRow(100, 3), -1); // -1
    EXPECT_EQ(catalogue.parameterInRow(100, 4), -1); // absent
    EXPECT_EQ(catalogue.parameterInRow(100, 5), 203);
    EXPECT_EQ(catalogue.parameterInRow(100, 18), 399);
    EXPECT_EQ(catalogue.parameterInRow(100, 19), -1); // the grid has 18 rows
    EXPECT_EQ(catalogue.parameterInRow(100, 0), -1);
    EXPECT_EQ(catalogue.parameterInRow(1204, 1), 30); // key spelt PARID1
    EXPECT_EQ(catalogue.parameterInRow(999, 1), -1);  // no such group
    // Numbers that are not parameters leave the row empty.
    EXPECT_EQ(catalogue.parameterInRow(101, 1), 20);
    EXPECT_EQ(catalogue.parameterInRow(101, 2), -1); // 400
    EXPECT_EQ(catalogue.parameterInRow(101, 3), -1); // -7
    EXPECT_EQ(catalogue.parameterInRow(101, 4), -1); // not a number
}

TEST_F(Catalogue, SelectionRecordAsTheEditorShowsIt) {
    tables.setParameter(30, -250);
    const SelectedParameter s = catalogue.selection(30, 0, tables);
    EXPECT_EQ(s.numberText, "030");
    EXPECT_EQ(s.name, "Sollgeschwindigkeit");
    EXPECT_EQ(s.valueText, "-2,50");
    EXPECT_EQ(s.minimum, -5);
    EXPECT_EQ(s.minimumText, "-0,05");
    EXPECT_EQ(s.maximum, 150000);
    EXPECT_EQ(s.maximumText, "1500,00");
    EXPECT_EQ(s.defaultText, "0,00");

    const SelectedParameter none = catalogue.selection(8, 0, tables);
    EXPECT_EQ(none.numberText, "008");
    EXPECT_EQ(none.name, "");
    EXPECT_EQ(none.valueText, "0");
    EXPECT_EQ(none.maximumText, "0");
}

TEST(CatalogueFiles, MissingFilesLeaveTheFlagsFalseAndLookupsEmpty) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ParameterCatalogue catalogue;
    catalogue.ParameterDef_lezen(dir.path());
    catalogue.ParamNo_lezen(dir.path());
    EXPECT_FALSE(catalogue.parameterDefinitionsPresent());
    EXPECT_FALSE(catalogue.parameterNumbersPresent());
    EXPECT_EQ(catalogue.name(7, 0), "");
    EXPECT_EQ(catalogue.optionText(7, 0, 0), "########");
    EXPECT_EQ(catalogue.parameterInRow(100, 1), -1);
}

TEST(CatalogueFiles, ReloadSeesTheFileAsItIsNow) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Parameters.txt");
    ASSERT_TRUE(QFile::copy(kDataDir + "/Parameters.txt", path));
    ParameterCatalogue catalogue;
    catalogue.ParameterDef_lezen(dir.path() + "/");
    ASSERT_TRUE(catalogue.parameterDefinitionsPresent());
    EXPECT_EQ(catalogue.name(7, 0), "Drehrichtung");

    // In memory: a changed file is not seen until it is read again.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[007]\nnaam0=Neu\n");
    }
    EXPECT_EQ(catalogue.name(7, 0), "Drehrichtung");
    catalogue.ParameterDef_lezen(dir.path());
    EXPECT_EQ(catalogue.name(7, 0), "Neu");

    // Gone at the next reading: nothing of the old file lingers.
    ASSERT_TRUE(QFile::remove(path));
    catalogue.ParameterDef_lezen(dir.path());
    EXPECT_FALSE(catalogue.parameterDefinitionsPresent());
    EXPECT_EQ(catalogue.name(7, 0), "");
}

TEST(CatalogueFiles, FileNamesCopiedFromWindowsInAnyCase) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QFile::copy(kDataDir + "/Parameters.txt", dir.filePath("PARAMETERS.TXT")));
    ASSERT_TRUE(QFile::copy(kDataDir + "/ParNo.txt", dir.filePath("parno.txt")));
    ParameterCatalogue catalogue;
    catalogue.ParameterDef_lezen(dir.path());
    catalogue.ParamNo_lezen(dir.path());
    EXPECT_TRUE(catalogue.parameterDefinitionsPresent());
    EXPECT_TRUE(catalogue.parameterNumbersPresent());
    EXPECT_EQ(catalogue.parameterInRow(100, 1), 7);

    catalogue.release();
    EXPECT_FALSE(catalogue.parameterDefinitionsPresent());
    EXPECT_FALSE(catalogue.parameterNumbersPresent());
    EXPECT_EQ(catalogue.name(7, 0), "");
}

TEST(CatalogueFiles, ShippedCatalogueIsReadable) {
    const QString dataDir = QStringLiteral(KQM52_SOURCE_DATA_DIR);
    if (!QFile::exists(dataDir + "/Parameters.txt") || !QFile::exists(dataDir + "/ParNo.txt"))
        GTEST_SKIP() << "no catalogue shipped yet";
    ParameterCatalogue catalogue;
    catalogue.ParameterDef_lezen(dataDir);
    catalogue.ParamNo_lezen(dataDir);
    ASSERT_TRUE(catalogue.parameterDefinitionsPresent());
    ASSERT_TRUE(catalogue.parameterNumbersPresent());
    ParamTables tables;
    tables.replaceParameters(catalogue.defaults(), ParameterSource::Defaults);
    int named = 0;
    for (int p = 0; p < ParamTables::ParameterCount; ++p) {
        if (!catalogue.hasParameter(p)) continue;
        named += catalogue.name(p, 0).isEmpty() ? 0 : 1;
        EXPECT_LE(catalogue.minimum(p), catalogue.maximum(p)) << p;
        const qint32 def = catalogue.defaultValue(p);
        EXPECT_TRUE(def >= catalogue.minimum(p) && def <= catalogue.maximum(p)) << p;
        if (catalogue.isOptionList(p)) {
            for (int language = 0; language <= 2; ++language) {
                EXPECT_NE(catalogue.optionText(p, language, def), "########") << p;
            }
        } else {
            // What is shown for the default can be typed back in.
            const int d =
                catalogue.decimals(p) == 9 ? tables.parameter(203) : catalogue.decimals(p);
            EXPECT_EQ(DecStrToInt(catalogue.valueText(p, def, tables), d, true,
                                  catalogue.minimum(p), catalogue.maximum(p)),
                      def)
                << p;
        }
    }
    EXPECT_GT(named, 0);

    // Every row of every group in the trees shows a described parameter.
    for (int language = 0; language <= 2; ++language) {
        GroupTree tree;
        ASSERT_TRUE(tree.load(dataDir + "/" + GroupTree::fileName(language)));
        ASSERT_FALSE(tree.nodes().empty());
        for (const GroupTree::Node& node : tree.nodes())
            for (int row = 1; row <= ParameterCatalogue::RowsPerGroup; ++row) {
                const int p = catalogue.parameterInRow(node.groupId(), row);
                if (p >= 0) {
                    EXPECT_TRUE(catalogue.hasParameter(p)) << node.groupId() << " row " << row;
                }
            }
    }
}
