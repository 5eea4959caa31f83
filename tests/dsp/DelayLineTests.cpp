#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/CKestrune.h"
#include "dsp/DelayMain.h"

// The failed-allocation tests ask for more memory than exists; under
// AddressSanitizer that must come back as a null pointer, as it does in a plain build.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace {

// Feeds `in` through a stereo line at a fixed position; returns the left output.
std::vector<double> Feed(CKestrune& line, const std::vector<double>& in, double pos, std::vector<double>* right = nullptr)
{
    std::vector<double> out(in.size());
    for (size_t k = 0; k < in.size(); ++k) {
        double pair[2] = {in[k], -in[k]};
        line.ProcessST(pair, pair, pos);
        out[k] = pair[0];
        if (right) right->push_back(pair[1]);
    }
    return out;
}

std::vector<double> Impulse(size_t n)
{
    std::vector<double> v(n, 0.0);
    v[0] = 1.0;
    return v;
}

CKestrune& Stereo(CKestrune& line, long size, long span)
{
    line.SetStereo(1);
    EXPECT_TRUE(line.SetSize(size, span));
    return line;
}

} // namespace

TEST(CKestrune, SizingClampsTheSpan)
{
    CKestrune line;
    EXPECT_EQ(line.GetLength(), 0);
    EXPECT_TRUE(line.SetSize(10, 20));
    EXPECT_EQ(line.GetModulationSize(), 10);
    EXPECT_EQ(line.GetLength(), 20);
    EXPECT_EQ(line.GetDelaySize(), 10);
    EXPECT_EQ(line.GetReadBase(), 20);
    EXPECT_FALSE(line.HasRightBuffer()); // mono until stereo is set before sizing
    EXPECT_TRUE(line.SetSize(10, -3));
    EXPECT_EQ(line.GetModulationSize(), 0);
    EXPECT_EQ(line.GetLength(), 10);
    line.SetStereo(1);
    EXPECT_TRUE(line.SetSize(7));
    EXPECT_TRUE(line.HasRightBuffer());
    EXPECT_EQ(line.GetLength(), 7);
}

TEST(CKestrune, WholeSampleDelayIsFPlusOne)
{
    CKestrune line;
    Stereo(line, 64, 64);
    line.SetFeedback(0.0);
    // x = (pos + 1) * m = 32 exactly: the newer tap is 33 samples back, a = 1.
    std::vector<double> right;
    const std::vector<double> out = Feed(line, Impulse(80), -0.5, &right);
    for (size_t k = 0; k < out.size(); ++k) {
        EXPECT_EQ(out[k], k == 33 ? 1.0 : 0.0) << k;
        EXPECT_EQ(right[k], -out[k]) << k;
    }
}

TEST(CKestrune, FiveHundredMillisecondsAtFortyFourKilohertz)
{
    DelayMain engine;
    engine.SetMaxDelayTime(8000.0f);
    const double pos = engine.Position(500.0f);
    EXPECT_NEAR(pos, -0.93753123, 1e-8);

    CKestrune line;
    Stereo(line, 1411904, 1411904);
    EXPECT_EQ(line.GetLength(), 2823808);
    const std::vector<double> out = Feed(line, Impulse(88210), pos);
    const double a = 0.09995;
    for (size_t k = 0; k < 88200; ++k) ASSERT_EQ(out[k], 0.0) << k;
    // Allpass between the taps 88200 and 88201 back: a, then 1 - a^2, then -a (1 - a^2).
    EXPECT_NEAR(out[88200], a, 2e-6);
    EXPECT_NEAR(out[88201], 1.0 - a * a, 2e-6);
    EXPECT_NEAR(out[88202], -a * (1.0 - a * a), 2e-6);
}

TEST(CKestrune, ZeroDelayPassesAndStoresWithFeedback)
{
    CKestrune line;
    Stereo(line, 64, 64);
    line.SetFeedback(0.5);
    // Ends on 0 so the interpolator's memory (its last output) is 0 again.
    const std::vector<double> in = {0.25, -1.0, 0.5, 0.0};
    EXPECT_EQ(Feed(line, in, -1.0), in);
    // Read the first stored sample back 97 samples later: it was written as in * (1 + g).
    const std::vector<double> out = Feed(line, std::vector<double>(100, 0.0), 96.0 / 64.0 - 1.0);
    EXPECT_EQ(out[92], 0.0);
    EXPECT_EQ(out[93], 0.25 * 1.5);
}

TEST(CKestrune, FullLengthReadsTheOldestSampleTwice)
{
    CKestrune line;
    Stereo(line, 64, 64);
    const std::vector<double> out = Feed(line, Impulse(140), 1.0);
    for (size_t k = 0; k < 128; ++k) ASSERT_EQ(out[k], 0.0) << k;
    EXPECT_EQ(out[128], 1.5);
    EXPECT_EQ(out[129], -0.75);
}

TEST(CKestrune, FeedbackRepeatsTheEcho)
{
    for (double g : {0.0, 0.5, 1.0}) {
        CKestrune line;
        Stereo(line, 64, 64);
        line.SetFeedback(g);
        const std::vector<double> out = Feed(line, Impulse(20 * 21 + 1), 20.0 / 64.0 - 1.0);
        for (int echo = 1; echo <= 20; ++echo) EXPECT_DOUBLE_EQ(out[static_cast<size_t>(echo * 21)], std::pow(g, echo - 1)) << g;
    }
}

TEST(CKestrune, NonFiniteInputNeverComesOut)
{
    CKestrune line;
    Stereo(line, 64, 64);
    line.SetFeedback(1.0);
    std::vector<double> in(400, 0.1);
    in[3] = std::numeric_limits<double>::quiet_NaN();
    in[9] = -std::numeric_limits<double>::infinity();
    for (double pos : {-0.73, 0.41, 1.0}) {
        for (double v : Feed(line, in, pos)) ASSERT_TRUE(std::isfinite(v));
    }
    // Positions outside the range (NaN included) stay inside the buffers.
    for (double pos : {-7.0, 3.0, std::numeric_limits<double>::quiet_NaN()}) Feed(line, in, pos);
}

TEST(CKestrune, MonoFormMatchesTheLeftChannel)
{
    CKestrune stereo, mono;
    Stereo(stereo, 300, 300);
    mono.SetSize(300, 300);
    stereo.SetFeedback(0.7);
    mono.SetFeedback(0.7);
    for (int k = 0; k < 1000; ++k) {
        const double in = std::sin(k * 0.37);
        const double pos = -0.6 + 0.3 * std::sin(k * 0.01);
        double pair[2] = {in, 0.5};
        stereo.ProcessST(pair, pair, pos);
        ASSERT_EQ(mono.Process(in, pos), pair[0]) << k;
    }
    // A stereo call on a mono line leaves the right channel untouched.
    double pair[2] = {0.0, 0.75};
    mono.ProcessST(pair, pair, 0.0);
    EXPECT_EQ(pair[1], 0.75);
}

TEST(CKestrune, EmptyLinePassesThrough)
{
    CKestrune line;
    EXPECT_EQ(line.Process(0.3, 0.5), 0.3);
    double pair[2] = {1.0, 2.0}, out[2];
    line.ProcessST(pair, out);
    EXPECT_EQ(out[0], 1.0);
    EXPECT_EQ(out[1], 2.0);
    Stereo(line, 10, 10);
    EXPECT_TRUE(line.SetSize(0));
    EXPECT_EQ(line.GetLength(), 0);
    EXPECT_EQ(line.Process(0.4), 0.4);
}

TEST(CKestrune, ResetAndFreeSilenceTheLine)
{
    CKestrune line;
    Stereo(line, 40, 40);
    Feed(line, std::vector<double>(30, 1.0), 0.0);
    line.Reset();
    EXPECT_EQ(line.GetReadBase(), 80);
    EXPECT_EQ(line.GetWriteIndex(), 0);
    for (double v : Feed(line, std::vector<double>(200, 0.0), 0.3)) ASSERT_EQ(v, 0.0);
    line.Free();
    EXPECT_EQ(line.GetLength(), 0);
    EXPECT_FALSE(line.HasRightBuffer());
    EXPECT_EQ(line.Process(0.5), 0.5);
}

TEST(CKestrune, FailedAllocationKeepsTheOldLine)
{
    CKestrune line;
    Stereo(line, 64, 64);
    Feed(line, Impulse(10), -0.5);
    EXPECT_FALSE(line.SetSize(1L << 47, 0));              // more than any address space
    EXPECT_FALSE(line.SetSize(std::numeric_limits<long>::max(), 1)); // would overflow
    EXPECT_EQ(line.GetLength(), 128);
    // The impulse written before is still on its way: it comes 33 samples after it went in.
    const std::vector<double> out = Feed(line, std::vector<double>(30, 0.0), -0.5);
    EXPECT_EQ(out[23], 1.0);
}
