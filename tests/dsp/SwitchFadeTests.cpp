// The crossfade behind the filter switches: smooth both ways, turning round where it
// stands, and exactly one of its inputs at rest.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/SwitchFade.h"

namespace {

// Blends off = 0 and on = 1 over n frames: the gain applied to "on" at each frame.
std::vector<double> Gains(CSwitchFade& fade, int n)
{
    const std::vector<double> off(static_cast<size_t>(n), 0.0);
    std::vector<double> onL(static_cast<size_t>(n), 1.0), onR = onL;
    fade.Blend(off.data(), off.data(), onL.data(), onR.data(), n);
    EXPECT_EQ(onL, onR);
    return onL;
}

} // namespace

TEST(SwitchFade, MovesSmoothlyTurnsRoundAndRestsExactly)
{
    CSwitchFade fade;
    fade.SetLength(8);
    EXPECT_TRUE(fade.IsAtRest());
    fade.SetTarget(true);
    EXPECT_FALSE(fade.IsAtRest());
    const std::vector<double> up = Gains(fade, 12);
    for (int i = 1; i < 8; ++i) EXPECT_GT(up[i], up[i - 1]) << i;
    EXPECT_GT(up[0], 0.0);
    EXPECT_LT(up[0], 0.05) << "starts gently";
    for (int i = 7; i < 12; ++i) EXPECT_EQ(up[i], 1.0) << "at rest on: the on pair itself";
    EXPECT_TRUE(fade.IsAtRest());

    // Off again, turned round after three frames: it goes back up from where it stood.
    fade.SetTarget(false);
    const std::vector<double> down = Gains(fade, 3);
    EXPECT_LT(down[2], down[0]);
    fade.SetTarget(true);
    const std::vector<double> back = Gains(fade, 3);
    EXPECT_LE(std::fabs(back[0] - down[2]), std::fabs(down[2] - down[1]) + 1e-12) << "no jump on turning round";
    EXPECT_EQ(back[2], 1.0);

    fade.SetTarget(false);
    const std::vector<double> gone = Gains(fade, 10);
    for (int i = 8; i < 10; ++i) EXPECT_EQ(gone[i], 0.0) << "at rest off: the off pair itself";

    // Settling and a new length both jump to the target.
    fade.SetTarget(true);
    fade.SetLength(100);
    EXPECT_TRUE(fade.IsAtRest());
    fade.SetTarget(false);
    fade.Settle(false);
    EXPECT_EQ(Gains(fade, 2), std::vector<double>(2, 0.0));
}
