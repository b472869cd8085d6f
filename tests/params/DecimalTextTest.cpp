#include "model/values/DecimalText.h"
#include "model/texts/LanguageTexts.h"
#include "model/values/LimitCheck.h"
#include "model/values/ParamTables.h"
#include "model/values/ParameterCatalogue.h"
#include "model/values/ValueEntry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace kqm52;

namespace {

constexpr qint32 kMin32 = std::numeric_limits<qint32>::min();
constexpr qint32 kMax32 = std::numeric_limits<qint32>::max();

struct Shown {
    int decimals;
    qint32 value;
    const char* text;
};

struct Read {
    const char* text;
    qint32 result;
};

// Reads each text with the same decimals, sign rule and limits.
void expectReads(int decimals, bool negatives, qint32 min, qint32 max,
                 std::initializer_list<Read> cases) {
    for (const Read& c : cases)
        EXPECT_EQ(DecStrToInt(QString::fromUtf8(c.text), decimals, negatives, min, max), c.result)
            << "\"" << c.text << "\" with " << decimals << " decimals";
}

void expectMalformed(int decimals, bool negatives, std::initializer_list<const char*> texts) {
    for (const char* text : texts)
        expectReads(decimals, negatives, kMin32, kMax32, {{text, DecStrMalformed}});
}

} // namespace

TEST(IntToDecStr, ShowsValuesWithACommaAndTheirDecimals) {
    const Shown cases[] = {
        {2, 1234, "12,34"},
        {2, 5, "0,05"},
        {2, -5, "-0,05"},
        {0, -7, "-7"},
        {3, 0, "0,000"},
        {4, 12345, "1,2345"},
        {-1, 1234, "1234"}, // no decimals below 1
        {2, kMax32, "21474836,47"},
        {2, kMin32, "-21474836,48"},
        {0, kMin32, "-2147483648"},
        {10, kMin32, "-0,2147483648"},
        {12, 1, "0,000000000001"},
        // A damaged decimals count shows the raw value instead of exhausting memory.
        {MaxDecimals + 1, 1234, "1234"},
        {kMax32, -1234, "-1234"},
    };
    for (const Shown& c : cases)
        EXPECT_EQ(formatDecimal(c.decimals, c.value), QLatin1String(c.text))
            << c.decimals << " " << c.value;
    EXPECT_EQ(formatDecimal(MaxDecimals, 1), "0," + QString(MaxDecimals - 1, '0') + "1");
}

TEST(IntToDecStr, NineDecimalsMeansAsManyAsParameter203Holds) {
    // Here "decimals" is what parameter 203 holds; nine is not a second look-up.
    const Shown cases[] = {{1, 25, "2,5"},
                           {0, 25, "25"},
                           {3, -7, "-0,007"},
                           {9, 5, "0,000000005"},
                           {MaxDecimals + 1, -1234, "-1234"}};
    ParamTables tables;
    for (const Shown& c : cases) {
        tables.setParameter(203, c.decimals);
        EXPECT_EQ(tables.IntToDecStr(9, c.value), QLatin1String(c.text)) << c.decimals;
    }
}

TEST(DecStrToInt, TwoDecimalsWithNegatives) {
    expectReads(2, true, -99999, 99999,
                {
                    {"12", 1200},
                    {"12,5", 1250},
                    {"12,", 1200},
                    {",5", 50},
                    {"-,5", -50},
                    {"-12,34", -1234},
                    {"-0", 0},
                    {"007,10", 710},
                    {"999,99", 99999},
                    {"-999,99", -99999},
                    {"1000", DecStrOutOfRange},
                    {"-1000", DecStrOutOfRange},
                    {"1000,00", DecStrOutOfRange},
                });
    // The last is a digit, but not one the device knows.
    expectMalformed(2, true,
                    {"12,345", "1-2", "1,2,3", "12.5", "--5", "5-", " 12", "12 ", "+12", "1e3", "",
                     ",", "-", "-,", ",,", "\xd9\xa3"});
}

TEST(DecStrToInt, NineCharactersAtMostOnceTheCommaIsGone) {
    expectReads(0, true, kMin32, kMax32, {{"123456789", 123456789}, {"-12345678", -12345678}});
    expectMalformed(0, true,
                    {"1234567890", "-123456789", "0000000001", "5,0", "5,", "2147483647",
                     "-2147483648", "99999999999999999999"});
    // The minus sign counts towards the nine characters.
    expectReads(2, true, kMin32, kMax32,
                {{"1234567,89", 123456789}, {"-123456,78", -12345678}, {"1234567", 123456700}});
    expectMalformed(2, true, {"-1234567", "12345678"});
    // Many decimals never build a huge text.
    expectReads(9, true, kMin32, kMax32, {{",123456789", 123456789}, {",5", 500000000}});
    expectMalformed(9, true, {"0,5", "-0,5", "1", ",1234567891"});
    for (int d : {10, 1000000, kMax32})
        expectMalformed(d, true, {"1", ",5"});
}

TEST(DecStrToInt, SignRuleAndLimits) {
    expectMalformed(0, false, {"-5", "-0"});
    expectMalformed(2, false, {"-,5"});
    expectReads(0, false, -10, 10, {{"5", 5}, {"11", DecStrOutOfRange}});
    // Limits are inclusive and in raw units.
    expectReads(
        1, true, -5, 150,
        {{"15", 150}, {"15,1", DecStrOutOfRange}, {"-0,5", -5}, {"-0,6", DecStrOutOfRange}});
    // Limits that exclude everything accept nothing.
    expectReads(0, true, 10, 0, {{"5", DecStrOutOfRange}});
}

TEST(DecStrToInt, WhatIsShownReadsBackToTheSameValue) {
    for (int d = 0; d <= 4; ++d)
        for (qint32 v : {0, 1, -1, 9, -10, 1234, -56789, 99999999, -99999999})
            EXPECT_EQ(DecStrToInt(formatDecimal(d, v), d, true, kMin32, kMax32), v)
                << formatDecimal(d, v).toStdString();
}

// A damaged number never reaches past a table.
TEST(ParamTables, OutsideNumbersWriteNothingAndEachTableKeepsItsMarkers) {
    ParamTables t;
    for (int outside : {400, -1}) {
        t.setParameter(outside, 5);
        EXPECT_EQ(t.parameter(outside), 0) << outside;
    }
    for (int outside : {0, 49}) {
        t.setSetpoint(outside, 5);
        EXPECT_EQ(t.setpoint(outside), 0) << outside;
    }
    EXPECT_EQ(t.parameters(), ParamTables::Parameters{});
    EXPECT_EQ(t.setpoints(), ParamTables::Setpoints{});
    t.setSetpoint(1, 7); // setpoint 1 is the first of the table
    EXPECT_EQ(t.setpoints()[0], 7);

    // Replacing the setpoints leaves the parameters' markers alone.
    t.replaceParameters({}, ParameterSource::File);
    t.replaceSetpoints({}, SetpointSource::Received);
    EXPECT_EQ(t.parameterSource, ParameterSource::File);
}

// What people type into a value, read the one way the service window, the
// setpoint editor and kqm52ctl read it.
TEST(ValueEntry, TheFormsPeopleTypeComeToARawValueOrWhatIsWrong) {
    ParameterCatalogue catalogue;
    const QString dataDir = QStringLiteral(KQM52_SOURCE_DATA_DIR "/");
    catalogue.ParameterDef_lezen(dataDir);
    catalogue.ParamNo_lezen(dataDir);
    ParamTables tables;
    tables.setParameter(ParamTables::PositionDecimalsParameter, 2);
    using P = ValueEntry::Problem;
    struct Case {
        int parameter; // 0: a setpoint
        const char* typed;
        P problem;
        qint32 raw;
    };
    const Case cases[] = {
        {8, "12,5", P::None, 1250},
        {8, " 12,50 ", P::None, 1250},
        {8, "-0,5", P::None, -50},
        {8, "12", P::None, 1200},
        {8, "12.5", P::NotANumber, 0}, // a point is not taken for a comma
        {8, "12,345", P::NotANumber, 0},
        {8, "", P::NotANumber, 0},
        {8, "1e3", P::NotANumber, 0},
        {8, "--5", P::NotANumber, 0},
        {8, "1000000,00", P::OutsideLimits, 0},
        {8, "12345678,9", P::TooManyDigits, 0},
        {203, "-1", P::OutsideLimits, 0}, // a minus where none is allowed
        {79, "1", P::None, 1},
        {79, "via input", P::None, 1},
        {79, "ALWAYS", P::None, 0},
        {79, "2", P::NotAnOption, 0},
        {79, "maybe", P::NotAnOption, 0},
        {0, "999999,99", P::None, 99999999},
        {0, "-99999,99", P::None, -9999999},
        {0, "1000000", P::OutsideLimits, 0},
        {0, "-100000", P::OutsideLimits, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.parameter) + " \"" + c.typed + "\"");
        const QString typed = QString::fromUtf8(c.typed);
        const ValueEntry e = c.parameter == 0 ? enterNumber(typed, setpointRange(2))
                                              : catalogue.info(c.parameter).enter(typed, tables, 1);
        EXPECT_EQ(e.problem, c.problem);
        if (c.problem == P::None) EXPECT_EQ(e.raw, c.raw);
    }
    // A file's value is judged against the same limits as a typed one.
    const ParameterInfo& cam = catalogue.info(8);
    ParamTables::Parameters values{};
    const auto judged = [&] {
        const auto found = LimitCheck::parameters(catalogue, 1, values);
        return std::count_if(found.begin(), found.end(),
                             [](const LimitFinding& f) { return f.item == "P008"; });
    };
    values[8] = cam.maximum();
    EXPECT_EQ(judged(), 0);
    values[8] = cam.maximum() + 1;
    EXPECT_EQ(judged(), 1);
    EXPECT_FALSE(cam.enter(cam.valueText(cam.maximum() + 1, tables), tables, 1).ok());

    LanguageTexts english;
    english.TekstFile_Lezen(dataDir, 1);
    EXPECT_EQ(entryProblemText(english, catalogue.info(79).enter("2", tables, 1), "P079", "2"),
              "P079: \"2\" is not one of its options: 0 Always, 1 Via input");
}
