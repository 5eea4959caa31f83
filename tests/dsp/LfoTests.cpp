#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "dsp/LFO.h"

TEST(LFO, SineFromPhaseZeroAfterMute)
{
    LFO lfo;
    lfo.SetFreq(0.25);
    lfo.Process();
    lfo.mute();
    for (double e : {0.0, 1.0, 0.0, -1.0, 0.0}) EXPECT_NEAR(lfo.Process(), e, 1e-15);

    // Two million steps (about 200 renormalisations) later: still the right sine.
    LFO slow;
    slow.SetFreq(1.0, 176400.0);
    double worst = 0.0;
    for (int k = 0; k < 2000000; ++k) worst = std::max(worst, std::fabs(slow.Process() - std::sin(2.0 * std::numbers::pi * k / 176400.0)));
    EXPECT_LT(worst, 1e-7);

    // A new frequency keeps the phase.
    LFO q;
    q.SetFreq(0.01);
    for (int k = 0; k < 25; ++k) q.Process();
    q.SetFreq(0.02);
    EXPECT_NEAR(q.Process(), 1.0, 1e-12);
    EXPECT_NEAR(q.Process(), std::cos(2.0 * std::numbers::pi * 0.02), 1e-12);

    LFO broken;
    broken.SetFreq(std::numeric_limits<double>::infinity());
    broken.SetRCount(3);
    for (int k = 0; k < 20; ++k) ASSERT_TRUE(std::fabs(broken.Process()) <= 1.0);
}

TEST(LFO, MoveFamilyStopsAtTheTargetOrAfterOnePeriod)
{
    LFO lfo;
    lfo.SetFreq(0.01);
    lfo.mute();
    EXPECT_TRUE(lfo.Move(0.5)); // the first step at or past the target, not later
    EXPECT_TRUE(lfo.GetLastValue() >= 0.5 && lfo.GetLastValue() < 0.57);
    EXPECT_TRUE(lfo.Move(-0.5));
    EXPECT_TRUE(lfo.GetLastValue() <= -0.5 && lfo.GetLastValue() > -0.57);
    lfo.mute();
    EXPECT_TRUE(lfo.MoveNextPoint(0.5)); // v <= 0.5 holds at once
    EXPECT_EQ(lfo.GetLastValue(), 0.0);
    EXPECT_FALSE(lfo.Move(1.5)); // out of range: nothing happens
    EXPECT_EQ(lfo.GetLastValue(), 0.0);

    LFO odd, still;
    odd.SetFreq(0.013);
    EXPECT_FALSE(odd.Move(1.0)); // a peak it never hits exactly
    still.SetFreq(0.0);
    EXPECT_FALSE(still.Move(0.5));
    EXPECT_TRUE(still.Move(0.0));

    LFO cur;
    cur.SetFreq(0.25);
    EXPECT_NEAR(cur.GetCurVal(), 0.0, 1e-15); // no last value: the fresh sample
    EXPECT_EQ(cur.GetLastValue(), -10.0);
    cur.Move(0.0); // stores sin(pi/2)
    for (double e : {1.0, 0.0, -1.0}) EXPECT_NEAR(cur.GetCurVal(), e, 1e-15);
}
