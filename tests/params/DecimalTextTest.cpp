#include "params/DecimalText.h"
#include "params/ParamTables.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kqm52;

namespace {

constexpr qint32 kMin32 = std::numeric_limits<qint32>::min();
constexpr qint32 kMax32 = std::numeric_limits<qint32>::max();

struct ShowCase {
    int decimals;
    qint32 value;
    const char* shown;
};

} // namespace

TEST(IntToDecStr, ShowsValuesWithACommaAndTheirDecimals) {
    const ShowCase cases[] = {
        {2, 1234, "12,34"},
        {2, 5, "0,05"},
        {2, -5, "-0,05"},
        {0, -7, "-7"},
        {3, 0, "0,000"},
        {4, 12345, "1,2345"},
        {3, -7, "-0,007"},
        {1, 100, "10,0"},
        {1, -10, "-1,0"},
        {0, 0, "0"},
        {-1, 1234, "1234"}, // no decimals below 1
        {2, kMax32, "21474836,47"},
        {2, kMin32, "-21474836,48"},
        {0, kMin32, "-2147483648"},
        {10, kMin32, "-0,2147483648"},
        {12, 1, "0,000000000001"},
    };
    ParamTables tables;
    for (const ShowCase& c : cases) {
        EXPECT_EQ(formatDecimal(c.decimals, c.value), QLatin1String(c.shown))
            << c.decimals << " " << c.value;
        if (c.decimals != ParamTables::DecimalsFromParameter203) {
            EXPECT_EQ(tables.IntToDecStr(c.decimals, c.value), QLatin1String(c.shown));
        }
    }
}

TEST(IntToDecStr, NineDecimalsMeansAsManyAsParameter203Holds) {
    ParamTables tables;
    tables.setParameter(203, 1);
    EXPECT_EQ(tables.IntToDecStr(9, 25), "2,5");
    tables.setParameter(203, 0);
    EXPECT_EQ(tables.IntToDecStr(9, 25), "25");
    tables.setParameter(203, 3);
    EXPECT_EQ(tables.IntToDecStr(9, 1234), "1,234");
    EXPECT_EQ(tables.IntToDecStr(9, -7), "-0,007");
    // Parameter 203 holding 9 is nine decimals, not a second look-up.
    tables.setParameter(203, 9);
    EXPECT_EQ(tables.IntToDecStr(9, 5), "0,000000005");
    tables.setParameter(203, -2);
    EXPECT_EQ(tables.IntToDecStr(9, 25), "25");
}

TEST(IntToDecStr, ADamagedDecimalsCountShowsTheRawValueInsteadOfExhaustingMemory) {
    ParamTables tables;
    EXPECT_EQ(formatDecimal(MaxDecimals, 1), "0," + QString(MaxDecimals - 1, '0') + "1");
    for (qint32 d : {MaxDecimals + 1, 1000000, kMax32}) {
        tables.setParameter(203, d);
        EXPECT_EQ(tables.IntToDecStr(9, -1234), "-1234") << d;
        EXPECT_EQ(formatDecimal(d, 1234), "1234") << d;
    }
}

namespace {

struct ReadCase {
    const char* text;
    qint32 result;
};

void expectReads(int decimals, bool negatives, qint32 min, qint32 max,
                 std::initializer_list<ReadCase> cases) {
    for (const ReadCase& c : cases)
        EXPECT_EQ(DecStrToInt(QString::fromUtf8(c.text), decimals, negatives, min, max), c.result)
            << "\"" << c.text << "\" with " << decimals << " decimals";
}

} // namespace

TEST(DecStrToInt, TwoDecimalsWithNegatives) {
    expectReads(2, true, -99999, 99999,
                {
                    {"12", 1200},
                    {"12,5", 1250},
                    {"12,", 1200},
                    {",5", 50},
                    {"-,5", -50},
                    {"-12,34", -1234},
                    {"0", 0},
                    {"-0", 0},
                    {"007,10", 710},
                    {"999,99", 99999},
                    {"-999,99", -99999},
                    {"12,345", DecStrMalformed},
                    {"1-2", DecStrMalformed},
                    {"1,2,3", DecStrMalformed},
                    {"12.5", DecStrMalformed},
                    {"--5", DecStrMalformed},
                    {"5-", DecStrMalformed},
                    {" 12", DecStrMalformed},
                    {"12 ", DecStrMalformed},
                    {"+12", DecStrMalformed},
                    {"1e3", DecStrMalformed},
                    {"\xd9\xa3", DecStrMalformed}, // a digit, but not one the device knows
                    {"", DecStrMalformed},
                    {",", DecStrMalformed},
                    {"-", DecStrMalformed},
                    {"-,", DecStrMalformed},
                    {",,", DecStrMalformed},
                    {"1000", DecStrOutOfRange},
                    {"-1000", DecStrOutOfRange},
                    {"1000,00", DecStrOutOfRange},
                });
}

TEST(DecStrToInt, NoDecimalsAndTheNineCharacterLimit) {
    expectReads(0, true, kMin32, kMax32,
                {
                    {"123456789", 123456789},
                    {"-12345678", -12345678},
                    {"1234567890", DecStrMalformed},
                    {"-123456789", DecStrMalformed},
                    {"0000000001", DecStrMalformed},
                    {"5,0", DecStrMalformed},
                    {"5,", DecStrMalformed},
                    {"2147483647", DecStrMalformed},
                    {"-2147483648", DecStrMalformed},
                    {"99999999999999999999", DecStrMalformed},
                });
    // The minus sign counts towards the nine characters once the comma is gone.
    expectReads(2, true, kMin32, kMax32,
                {
                    {"1234567,89", 123456789},
                    {"-123456,78", -12345678},
                    {"1234567", 123456700},
                    {"-1234567", DecStrMalformed},
                    {"12345678", DecStrMalformed},
                });
}

TEST(DecStrToInt, NegativesNotAllowed) {
    expectReads(0, false, -10, 10,
                {
                    {"-5", DecStrMalformed},
                    {"-0", DecStrMalformed},
                    {"5", 5},
                    {"11", DecStrOutOfRange},
                });
    expectReads(2, false, -1000, 1000, {{"-,5", DecStrMalformed}, {",5", 50}});
}

TEST(DecStrToInt, LimitsAreInclusiveAndRaw) {
    expectReads(1, true, -5, 150,
                {
                    {"15", 150},
                    {"15,1", DecStrOutOfRange},
                    {"-0,5", -5},
                    {"-0,6", DecStrOutOfRange},
                });
    // Limits that exclude everything accept nothing.
    expectReads(0, true, 10, 0, {{"5", DecStrOutOfRange}});
}

TEST(DecStrToInt, ManyDecimalsNeverBuildAHugeText) {
    expectReads(9, true, kMin32, kMax32,
                {
                    {",123456789", 123456789},
                    {",5", 500000000},
                    {"0,5", DecStrMalformed},  // the leading zero is the tenth character
                    {"-0,5", DecStrMalformed}, // ten characters with the minus
                    {"1", DecStrMalformed},
                    {",1234567891", DecStrMalformed},
                });
    for (int d : {10, 1000000, kMax32})
        expectReads(d, true, kMin32, kMax32, {{"1", DecStrMalformed}, {",5", DecStrMalformed}});
}

TEST(DecStrToInt, WhatIsShownReadsBackToTheSameValue) {
    for (int d = 0; d <= 4; ++d)
        for (qint32 v : {0, 1, -1, 9, -10, 1234, -56789, 99999999, -9999999})
            EXPECT_EQ(DecStrToInt(formatDecimal(d, v), d, true, kMin32, kMax32), v)
                << formatDecimal(d, v).toStdString();
}
