// The meters' arithmetic: the 6 dB-per-doubling law, the clamp, the counter and the fall.
#include "editor/CMeterLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(MeterLevels, PeaksReadOnTheSixDbPerDoublingScaleWithinTheClamp)
{
    EXPECT_EQ(CMeterLevels::PeakToDb(1.0f), 0.0f);
    EXPECT_EQ(CMeterLevels::PeakToDb(0.5f), -6.0f);
    EXPECT_EQ(CMeterLevels::PeakToDb(0.25f), -12.0f);
    EXPECT_EQ(CMeterLevels::PeakToDb(2.0f), 6.0f);
    EXPECT_EQ(CMeterLevels::PeakToDb(1000.0f), 6.0f);
    EXPECT_EQ(CMeterLevels::PeakToDb(0.0f), -38.0f);
    EXPECT_EQ(CMeterLevels::PeakToDb(1e-9f), -38.0f);
    EXPECT_EQ(CMeterLevels::PeakToDb(-0.5f), -38.0f);
    EXPECT_EQ(CMeterLevels::PeakToDb(std::numeric_limits<float>::quiet_NaN()), -38.0f);
    EXPECT_EQ(CMeterLevels::PeakToDb(std::numeric_limits<float>::infinity()), 6.0f);
    EXPECT_FLOAT_EQ(CMeterLevels::PeakToDb(std::sqrt(2.0f)), 3.0f);
}

TEST(MeterLevels, LitRowsFollowThreePointThreeRowsPerDb)
{
    EXPECT_EQ(CMeterLevels::LitTopRow(6.0f), 0);
    EXPECT_EQ(CMeterLevels::LitTopRow(0.0f), 19);
    EXPECT_EQ(CMeterLevels::LitTopRow(-6.0f), 38);
    EXPECT_EQ(CMeterLevels::LitTopRow(-38.0f), 144);
}

TEST(MeterLevels, BlockCounterChangesIncludingTheWrap)
{
    CMeterLevels meters;
    EXPECT_FALSE(meters.NewBlock(0xFFFF)); // the effect's counter before any block
    EXPECT_TRUE(meters.NewBlock(0));       // wrapped from 0xFFFF
    EXPECT_FALSE(meters.NewBlock(0));
    EXPECT_TRUE(meters.NewBlock(1));
    EXPECT_TRUE(meters.NewBlock(0xFFFF));
    EXPECT_EQ(meters.LastBlockCount(), 0xFFFF);
    meters.Reset();
    EXPECT_FALSE(meters.NewBlock(0xFFFF));
}

TEST(MeterLevels, RiseToThePeakAndFallByWallClockTime)
{
    CMeterLevels meters;
    const float loud[4] = {2.0f, 1.0f, 0.5f, 0.0f};
    EXPECT_TRUE(meters.Rise(loud));
    EXPECT_EQ(meters.Level(0), 6.0f);
    EXPECT_EQ(meters.Level(1), 0.0f);
    EXPECT_EQ(meters.Level(2), -6.0f);
    EXPECT_EQ(meters.Level(3), -38.0f);
    EXPECT_FALSE(meters.Rise(loud)); // the same peaks change nothing

    EXPECT_FALSE(meters.Fall(0.0));
    EXPECT_TRUE(meters.Fall(33.0)); // 1 dB per 33 ms
    EXPECT_FLOAT_EQ(meters.Level(0), 5.0f);
    EXPECT_FLOAT_EQ(meters.Level(2), -7.0f);
    EXPECT_EQ(meters.Level(3), -38.0f); // never below the floor
    EXPECT_TRUE(meters.Fall(330.0));
    EXPECT_FLOAT_EQ(meters.Level(0), -5.0f);

    // A long pause falls at most 44 dB: from the ceiling straight to the floor, then nothing.
    EXPECT_TRUE(meters.Rise(loud));
    EXPECT_TRUE(meters.Fall(60000.0));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(meters.Level(i), -38.0f) << i;
    EXPECT_FALSE(meters.Fall(1000.0));

    // Without blocks the same total time falls the same at any idle rate.
    CMeterLevels fast, slow;
    fast.Rise(loud);
    slow.Rise(loud);
    for (int i = 0; i < 60; ++i) fast.Fall(1000.0 / 60.0);
    for (int i = 0; i < 10; ++i) slow.Fall(100.0);
    EXPECT_NEAR(fast.Level(0), slow.Level(0), 1e-4f);
}
