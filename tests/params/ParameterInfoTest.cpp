#include "params/model/DecimalText.h"
#include "params/model/ParameterCatalogue.h"

#include <gtest/gtest.h>

using namespace kqm52;

namespace {

class Info : public ::testing::Test {
  protected:
    void SetUp() override {
        catalogue.ParameterDef_lezen(QStringLiteral(KQM52_TEST_DATA_DIR));
        ASSERT_TRUE(catalogue.parameterDefinitionsPresent());
    }
    ParameterCatalogue catalogue;
    ParamTables tables;
};

} // namespace

// Names and options are covered through the catalogue's look-ups, which ask
// the info; here what only the info says.
TEST_F(Info, TypeAndUndescribedParameters) {
    EXPECT_EQ(catalogue.info(7).type(), ParameterType::Options);
    EXPECT_EQ(catalogue.info(30).type(), ParameterType::Number);
    EXPECT_EQ(catalogue.info(7).numberText(), "007");
    // No section, or not a parameter at all: nothing to show, limits 0.
    for (int p : {8, 400, -1}) {
        const ParameterInfo& none = catalogue.info(p);
        EXPECT_FALSE(none.described()) << p;
        EXPECT_EQ(none.maximum(), 0) << p;
        EXPECT_EQ(none.valueText(-1250, tables), "-1250") << p;
    }
}

// Decimals 9 follow parameter 203 as it is now, not as it was at loading.
TEST_F(Info, DecimalsNineFollowParameter203) {
    const ParameterInfo& p20 = catalogue.info(20);
    EXPECT_EQ(p20.decimalsSetting(), 9);
    tables.setParameter(20, 12345);
    for (const auto& [d203, text] : {std::pair{0, "12345"}, {2, "123,45"}, {4, "1,2345"}}) {
        tables.setParameter(203, d203);
        EXPECT_EQ(p20.decimals(tables), d203);
        EXPECT_EQ(p20.currentText(tables), text);
    }
    tables.setParameter(203, 2);
    EXPECT_EQ(p20.enter("1,5", tables).value, 150);
}

TEST_F(Info, TypedValuesAreCheckedAgainstDecimalsAndLimits) {
    using O = ValueEntry::Outcome;
    // 030: two decimals, -0,05 … 1500,00.  203: no decimals, 0 … 4.
    const struct {
        int p;
        const char* text;
        O outcome;
        qint32 value;
        const char* inMessage;
    } rows[] = {
        {30, "1500", O::Accepted, 150000, ""},
        {30, "-0,05", O::Accepted, -5, ""},
        {30, "1500,01", O::OutOfRange, 0, "-0,05 … 1500,00"},
        {30, "12.5", O::Malformed, 0, "at most 2 decimals"},
        {30, "1,234", O::Malformed, 0, "at most 2 decimals"},
        {203, "4", O::Accepted, 4, ""},
        {203, "5", O::OutOfRange, 0, "0 … 4"},
        {203, "-1", O::Malformed, 0, "not negative"}, // the minimum is not negative
        {203, "1,0", O::Malformed, 0, "whole number"},
    };
    for (const auto& r : rows) {
        const ValueEntry e = catalogue.info(r.p).enter(QString::fromUtf8(r.text), tables);
        EXPECT_EQ(e.outcome, r.outcome) << r.p << " " << r.text;
        EXPECT_EQ(e.accepted(), r.outcome == O::Accepted) << r.text;
        if (e.accepted()) {
            EXPECT_EQ(e.value, r.value) << r.text;
            EXPECT_EQ(e.decStrResult(), r.value) << r.text;
            EXPECT_TRUE(e.message.isEmpty()) << r.text;
        } else {
            EXPECT_TRUE(e.message.contains(QString::fromUtf8(r.inMessage)))
                << r.text << ": " << e.message.toStdString();
            EXPECT_EQ(e.decStrResult(),
                      r.outcome == O::Malformed ? DecStrMalformed : DecStrOutOfRange);
        }
    }
}

// The editor and the service window see a new Parameters.txt at once.
TEST_F(Info, RebuiltWhenTheDefinitionsChange) {
    IniFile store;
    store.loadFromText("[007]\nnaam0=Neu\ndec=1\nmin=-10\nmax=10\n");
    catalogue.setDefinitions(store);
    const ParameterInfo& p7 = catalogue.info(7);
    EXPECT_EQ(p7.name(0), "Neu");
    EXPECT_FALSE(p7.isOptionList());
    const SelectedParameter s = p7.selection(0, tables);
    EXPECT_EQ(s.minimumText, "-1,0");
    EXPECT_EQ(s.maximumText, "1,0");
    EXPECT_FALSE(catalogue.info(30).described());
    catalogue.release();
    EXPECT_EQ(catalogue.info(7).name(0), "");
    EXPECT_EQ(catalogue.info(7).selection(0, tables).numberText, "007");
}
