#include "params/ParamTables.h"

#include <gtest/gtest.h>

using namespace kqm52;

TEST(ParamTables, StartEmptyAndUnloaded) {
    const ParamTables t;
    EXPECT_EQ(t.parameterSource, ParameterSource::Nothing);
    EXPECT_EQ(t.setpointSource, SetpointSource::Nothing);
    EXPECT_FALSE(t.parametersModified);
    EXPECT_FALSE(t.setpointsModified);
    for (int p = 0; p < ParamTables::ParameterCount; ++p)
        ASSERT_EQ(t.parameter(p), 0);
    for (int n = 1; n <= ParamTables::SetpointCount; ++n)
        ASSERT_EQ(t.setpoint(n), 0);
}

TEST(ParamTables, ReplacingAWholeTableRecordsItsSourceAndClearsModified) {
    ParamTables t;
    t.parametersModified = true;
    ParamTables::Parameters values{};
    values[0] = 11;
    values[399] = -399;
    t.replaceParameters(values, ParameterSource::File);
    EXPECT_EQ(t.parameterSource, ParameterSource::File);
    EXPECT_FALSE(t.parametersModified);
    EXPECT_EQ(t.parameter(0), 11);
    EXPECT_EQ(t.parameter(399), -399);

    t.setpointsModified = true;
    ParamTables::Setpoints sp{};
    sp[0] = 1;
    sp[47] = 48;
    t.replaceSetpoints(sp, SetpointSource::Received);
    EXPECT_EQ(t.setpointSource, SetpointSource::Received);
    EXPECT_FALSE(t.setpointsModified);
    EXPECT_EQ(t.setpoint(1), 1);
    EXPECT_EQ(t.setpoint(48), 48);
    // Replacing the setpoints leaves the parameters' markers alone.
    EXPECT_EQ(t.parameterSource, ParameterSource::File);

    t.reset();
    EXPECT_EQ(t.parameterSource, ParameterSource::Nothing);
    EXPECT_EQ(t.parameter(0), 0);
    EXPECT_EQ(t.setpoint(48), 0);
}

TEST(ParamTables, NumbersOutsideTheTablesReadZeroAndWriteNothing) {
    ParamTables t;
    t.setParameter(400, 5);
    t.setParameter(-1, 5);
    t.setSetpoint(0, 5);
    t.setSetpoint(49, 5);
    EXPECT_EQ(t.parameter(400), 0);
    EXPECT_EQ(t.parameter(-1), 0);
    EXPECT_EQ(t.setpoint(0), 0);
    EXPECT_EQ(t.setpoint(49), 0);
    for (qint32 v : t.parameters())
        ASSERT_EQ(v, 0);
    for (qint32 v : t.setpoints())
        ASSERT_EQ(v, 0);
    t.setSetpoint(1, 7);
    EXPECT_EQ(t.setpoints()[0], 7);
}
