#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "dsp/LFO.h"

TEST(LFO, QuarterRateAfterMuteWalksTheUnitCircle)
{
    LFO lfo;
    lfo.SetFreq(0.25);
    lfo.Process();
    lfo.mute();
    const double expected[] = {0.0, 1.0, 0.0, -1.0, 0.0};
    for (double e : expected) EXPECT_NEAR(lfo.Process(), e, 1e-15);
}

TEST(LFO, FrequencyInHzAndLongRunAccuracy)
{
    LFO a, b;
    a.SetFreq(1.0, 176400.0);
    b.SetFreq(1.0 / 176400.0);
    EXPECT_EQ(a.GetFreq(), b.GetFreq());
    // Two million steps (past 199 renormalisations): still a unit sine of the right phase.
    double worst = 0.0;
    for (int k = 0; k < 2000000; ++k) {
        const double v = a.Process();
        worst = std::max(worst, std::fabs(v - std::sin(2.0 * std::numbers::pi * k / 176400.0)));
    }
    EXPECT_LT(worst, 1e-7);
}

TEST(LFO, FrequencyChangeKeepsThePhase)
{
    LFO lfo;
    lfo.SetFreq(0.01);
    for (int k = 0; k < 25; ++k) lfo.Process(); // a quarter period
    lfo.SetFreq(0.02);
    EXPECT_NEAR(lfo.Process(), 1.0, 1e-12);
    EXPECT_NEAR(lfo.Process(), std::cos(2.0 * std::numbers::pi * 0.02), 1e-12);
}

TEST(LFO, OutputIsClampedAndNeverNonFinite)
{
    LFO lfo;
    lfo.SetFreq(std::numeric_limits<double>::infinity());
    lfo.SetRCount(3);
    for (int k = 0; k < 20; ++k) {
        const double v = lfo.Process();
        ASSERT_TRUE(std::isfinite(v));
        ASSERT_LE(std::fabs(v), 1.0);
    }
}

TEST(LFO, MoveStopsAtTheTargetInEitherDirection)
{
    LFO lfo;
    lfo.SetFreq(0.01);
    lfo.mute();
    EXPECT_TRUE(lfo.Move(0.5));
    EXPECT_GE(lfo.GetLastValue(), 0.5);
    EXPECT_LT(lfo.GetLastValue(), 0.5 + 0.07); // the first step at or past it, not later
    EXPECT_TRUE(lfo.Move(-0.5));
    EXPECT_LE(lfo.GetLastValue(), -0.5);
    EXPECT_GT(lfo.GetLastValue(), -0.5 - 0.07);

    lfo.mute();
    EXPECT_TRUE(lfo.MoveNextPoint(0.5)); // v <= 0.5 holds at once
    EXPECT_EQ(lfo.GetLastValue(), 0.0);
    EXPECT_TRUE(lfo.MoveNextPoint(-0.25)); // now v >= -0.25 holds at once
    EXPECT_GT(lfo.GetLastValue(), 0.0);
}

TEST(LFO, MoveGivesUpAfterOnePeriod)
{
    LFO lfo;
    lfo.SetFreq(0.013);
    lfo.mute();
    EXPECT_FALSE(lfo.Move(1.0)); // a peak it never hits exactly
    LFO still;
    still.SetFreq(0.0);
    EXPECT_FALSE(still.Move(0.5));
    EXPECT_TRUE(still.Move(0.0));
    const double before = lfo.GetLastValue();
    EXPECT_FALSE(lfo.Move(1.5)); // out of range: nothing happens
    EXPECT_EQ(lfo.GetLastValue(), before);
}

TEST(LFO, CurrentValueTrailsByOneStep)
{
    LFO lfo;
    lfo.SetFreq(0.25);
    lfo.mute();
    EXPECT_NEAR(lfo.GetCurVal(), 0.0, 1e-15); // no last value: the fresh sample
    EXPECT_EQ(lfo.GetLastValue(), -10.0);
    lfo.Move(0.0);                            // stores sin(pi/2) = 1
    EXPECT_NEAR(lfo.GetCurVal(), 1.0, 1e-15); // returns it, stores sin(pi) = 0
    EXPECT_NEAR(lfo.GetCurVal(), 0.0, 1e-15);
    EXPECT_NEAR(lfo.GetCurVal(), -1.0, 1e-15);
}
