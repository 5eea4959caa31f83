// Port values in the panel's units and the effect's normalised values.
#include "effect/ParamData.h"
#include "effect/ParameterUnits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(ParameterUnits, EveryStepOfEveryParameterComesBackAsItselfWithItsOwnInteger)
{
    for (int i = 0; i < kNumParams; ++i) {
        const ParamRow& row = AutomateParamMinMax_Tbl[i];
        const double scale = row.isList ? 1.0 : std::pow(10.0, row.decimals);
        ParamData d;
        d.min = row.min;
        d.max = row.max;
        d.decimals = row.decimals;
        for (int32_t n = row.min; n <= row.max; ++n) {
            const double units = row.isList ? n - row.min : n / scale;
            const float normalised = NormalisedFromUnits(i, units);
            ASSERT_EQ(UnitsFromNormalised(i, normalised), units) << "parameter " << i << " step " << n;
            d.Store(normalised);
            ASSERT_EQ(d.GetInt(), n) << "parameter " << i;
        }
    }
}

TEST(ParameterUnits, ValuesOutsideTheRangeTakeItsNearerEnd)
{
    EXPECT_EQ(UnitsFromNormalised(kDelayTime, NormalisedFromUnits(kDelayTime, 9000.0)), 8000.0);
    EXPECT_EQ(UnitsFromNormalised(kDelayTime, NormalisedFromUnits(kDelayTime, -5.0)), 0.0);
    EXPECT_EQ(UnitsFromNormalised(kBpm, NormalisedFromUnits(kBpm, std::numeric_limits<double>::quiet_NaN())), 30.0);
    EXPECT_EQ(UnitsFromNormalised(kBpm, NormalisedFromUnits(kBpm, std::numeric_limits<double>::infinity())), 500.0);
    EXPECT_EQ(UnitsFromNormalised(kTimeMode, NormalisedFromUnits(kTimeMode, 7.0)), 2.0);
    EXPECT_EQ(UnitsFromNormalised(kNote, NormalisedFromUnits(kNote, 3.4)), 3.0) << "a list takes the nearest entry";
    EXPECT_EQ(UnitsFromNormalised(-1, 0.5f), 0.0);
    EXPECT_EQ(NormalisedFromUnits(kNumParams, 1.0), 0.0f);
}

TEST(ParameterUnits, AListEntryIsTheMiddleOfTheValuesThatShowIt)
{
    // As kestrune-render --set "HPF ON=ON" sets it: well inside the entry, not at its edge.
    EXPECT_FLOAT_EQ(NormalisedFromUnits(kHpfOn, 1.0), 0.75f);
    EXPECT_FLOAT_EQ(NormalisedFromUnits(kHpfOn, 0.0), 0.24975f);
    EXPECT_FLOAT_EQ(NormalisedFromUnits(kTimeMode, 1.0), 0.49975f);
}
