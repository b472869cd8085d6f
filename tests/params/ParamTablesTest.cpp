#include "params/model/ParamTables.h"

#include <gtest/gtest.h>

using namespace kqm52;

TEST(ParamTables, ReplacingAWholeTableRecordsItsSourceAndClearsModified) {
    ParamTables t;
    EXPECT_EQ(t.parameterSource, ParameterSource::Nothing);
    EXPECT_EQ(t.setpointSource, SetpointSource::Nothing);
    t.parametersModified = t.setpointsModified = true;
    ParamTables::Parameters values{};
    values[399] = -399;
    t.replaceParameters(values, ParameterSource::File);
    EXPECT_EQ(t.parameterSource, ParameterSource::File);
    EXPECT_FALSE(t.parametersModified);
    EXPECT_EQ(t.parameter(399), -399);

    ParamTables::Setpoints setpoints{};
    setpoints[47] = 48;
    t.replaceSetpoints(setpoints, SetpointSource::Received);
    EXPECT_EQ(t.setpointSource, SetpointSource::Received);
    EXPECT_FALSE(t.setpointsModified);
    EXPECT_EQ(t.setpoint(48), 48);
    // Replacing the setpoints leaves the parameters' markers alone.
    EXPECT_EQ(t.parameterSource, ParameterSource::File);

    t.parametersModified = true;
    t.reset();
    EXPECT_EQ(t.parameterSource, ParameterSource::Nothing);
    EXPECT_EQ(t.setpointSource, SetpointSource::Nothing);
    EXPECT_FALSE(t.parametersModified);
    EXPECT_EQ(t.parameters(), ParamTables::Parameters{});
    EXPECT_EQ(t.setpoints(), ParamTables::Setpoints{});
}

TEST(ParamTables, NumbersOutsideTheTablesReadZeroAndWriteNothing) {
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
}
