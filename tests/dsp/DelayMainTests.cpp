#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "dsp/DelayMain.h"
#include "tests/dsp/DspTestUtil.h"

namespace {

// An engine set up the way the effect sets it up, at 44100 Hz (C = 8004 ms).
struct Engine {
    DelayMain dm;

    explicit Engine(float delayMs, float feedback = 0.0f)
    {
        dm.SetStereo(1);
        dm.SetMaxDelayTime(8000.0f);
        dm.SetFs(44100);
        dm.SetBloackSize(256);
        dm.SetFeedBack(feedback);
        dm.SetDelayTime(delayMs);
        dm.SetLFODepth(0.0f);
        dm.SetLFORate(1.0f);
    }

    // The same input on both channels; returns the left output (the right must match).
    std::vector<double> Run(std::vector<double> in, int block = 256)
    {
        std::vector<double> inR = in, outL(in.size()), outR(in.size());
        for (size_t k = 0; k < in.size(); k += static_cast<size_t>(block)) {
            double* i[2] = {&in[k], &inR[k]};
            double* o[2] = {&outL[k], &outR[k]};
            dm.Process(i, o, std::min<int>(block, static_cast<int>(in.size() - k)));
        }
        EXPECT_EQ(outL, outR);
        return outL;
    }
    void Frames(int n) { Run(std::vector<double>(static_cast<size_t>(n), 0.0), 1); }
    double Ms() const { return (dm.GetCurrentPosition() + 1.0) * 8004.0; }
};

double Energy(const std::vector<double>& v, size_t from, size_t to)
{
    double e = 0.0;
    for (size_t k = from; k < to; ++k) e += v[k] * v[k];
    return e;
}

size_t Peak(const std::vector<double>& v, size_t from, size_t to)
{
    auto louder = [](double a, double b) { return std::fabs(a) < std::fabs(b); };
    return static_cast<size_t>(std::max_element(v.begin() + static_cast<long>(from), v.begin() + static_cast<long>(to), louder) - v.begin());
}

std::vector<double> Impulse(size_t n)
{
    std::vector<double> v(n, 0.0);
    v[0] = 1.0;
    return v;
}

} // namespace

TEST(DelayMain, LineSizeFollowsTheSampleRate)
{
    DelayMain dm; // two seconds at 44100 Hz, mono, until configured
    EXPECT_EQ(dm.GetLine().GetLength(), 707008);
    EXPECT_FALSE(dm.GetLine().HasRightBuffer());
    EXPECT_EQ(dm.GetCurrentPosition(), (10.0 - 2004.0) / 2004.0);
    dm.SetStereo(1);
    dm.SetMaxDelayTime(8000.0f);
    for (const auto& [fs, n] : {std::pair{44100L, 2823808L}, {48000L, 3073536L}, {96000L, 6147072L}, {192000L, 12294144L}}) {
        dm.SetFs(fs);
        EXPECT_EQ(dm.GetLine().GetLength(), n) << fs;
        EXPECT_EQ(dm.GetLine().GetModulationSize(), n / 2) << fs;
        EXPECT_TRUE(dm.GetLine().HasRightBuffer());
    }
}

TEST(DelayMain, ZeroDelayIsTheConvertedInputAndEchoesComeOnTime)
{
    const std::vector<double> in = dsptest::Sine(1234.5, 44100.0, 1000, 0.7);
    SamplingRateConverter src;
    src.setSRCFactor(4, 101);
    std::vector<double> a = in, b = in, up(4000), upR(4000), ref(1000), refR(1000);
    src.usrc(a.data(), b.data(), up.data(), upR.data(), 1000);
    src.dsrc(up.data(), upR.data(), ref.data(), refR.data(), 1000);
    // Exactly with the converter's sections step by step; within rounding a frame at a time.
    for (bool block : {false, true}) {
        Engine zero(0.0f);
        zero.dm.SetBlockSections(block);
        const std::vector<double> out = zero.Run(in);
        if (!block) {
            EXPECT_EQ(out, ref);
        }
        for (size_t k = 0; k < out.size(); ++k) ASSERT_NEAR(out[k], ref[k], 1e-12) << block << " " << k;
    }

    Engine e(500.0f);
    const std::vector<double> echo = e.Run(Impulse(44200));
    EXPECT_EQ(Energy(echo, 0, 22000), 0.0);
    EXPECT_NEAR(static_cast<double>(Peak(echo, 22000, 22100)), 22051.0, 1.0);
    EXPECT_LT(Energy(echo, 22200, 44200), 1e-20); // feedback 0: one echo only
}

TEST(DelayMain, GlidesTakeTwiceTheChangeUpOnceDownAndEaseOut)
{
    for (const auto& [from, to, frames] : {std::tuple{100.0f, 200.0f, 8821}, {200.0f, 100.0f, 4411}, {100.0f, 100.5f, 1}}) {
        Engine e(from);
        e.dm.SetDelayTime(from + 50.0f); // before the first block: a jump, no glide
        e.dm.SetDelayTime(from);
        EXPECT_FALSE(e.dm.IsGliding());
        e.Frames(1);
        e.dm.SetDelayTime(to);
        int n = 0;
        for (; e.dm.IsGliding() && n < 20000; ++n) e.Frames(1);
        EXPECT_EQ(n, frames) << from << " -> " << to;
        EXPECT_EQ(e.dm.GetCurrentPosition(), e.dm.Position(to));
    }
    Engine e(100.0f);
    e.Frames(1);
    e.dm.SetDelayTime(200.0f);
    e.Frames(4410); // half the glide: 17640 samples of the quarter sine
    EXPECT_NEAR(e.Ms(), 100.0 + 100.0 * std::sin(2.0 * std::numbers::pi * 17639.0 * 1.25 / 176400.0), 1e-8);

    DelayMain fresh;
    double s = 0.0, *io[2] = {&s, &s};
    fresh.Process(io, io, 0); // an empty block only marks the start
    fresh.SetDelayTime(20.0f);
    EXPECT_TRUE(fresh.IsGliding());
}

TEST(DelayMain, ModulationSwingAndPhase)
{
    Engine e(500.0f);
    e.dm.SetLFORate(10.0f);
    e.Frames(100);
    EXPECT_EQ(e.dm.GetCurrentPosition(), e.dm.Position(500.0f)); // depth 0 stays put
    e.dm.SetLFODepth(1.0f);
    double lo = 1e9, hi = -1e9;
    for (int k = 0; k < 4410; ++k) { // one period at 10 Hz
        e.Frames(1);
        lo = std::min(lo, e.Ms());
        hi = std::max(hi, e.Ms());
    }
    EXPECT_NEAR(lo, 0.0, 0.01);
    EXPECT_NEAR(hi, 1000.0, 0.01);

    Engine p(500.0f);
    p.dm.SetLFODepth(0.5f);
    p.Frames(11025); // a quarter period at 1 Hz: the top of the swing
    EXPECT_NEAR(p.Ms(), 750.0, 0.01);
    p.dm.SetLFORate(2.0f); // keeps the phase
    p.Frames(1);
    EXPECT_NEAR(p.Ms(), 750.0, 0.01);
    p.dm.SetDelayTime(400.0f); // glides down 100 ms, then swings from phase 0
    p.Frames(4412);
    EXPECT_NEAR(p.Ms(), 400.0, 0.15); // the swing's amplitude is still on its way down

    p.Frames(5512);
    EXPECT_NEAR(p.Ms(), 600.0, 0.1);
}

TEST(DelayMain, RateChangeResetAndBlockSplitting)
{
    Engine e(50.0f);
    const std::vector<double> tone = dsptest::Sine(440.0, 44100.0, 2000);
    e.Run(tone);
    e.dm.SetFs(48000); // a new, silent line: only the filters' last ringing goes in
    EXPECT_EQ(e.dm.GetLine().GetLength(), 3073536);
    const std::vector<double> after = e.Run(std::vector<double>(2400, 0.0));
    EXPECT_LT(Energy(after, 100, 2400), 1e-200);
    e.Run(tone);
    e.dm.SetDelayTime(80.0f);
    e.dm.Reset();
    EXPECT_TRUE(e.dm.IsStarted());
    EXPECT_EQ(e.dm.GetCurrentPosition(), e.dm.Position(80.0f));
    EXPECT_EQ(e.Run(std::vector<double>(5000, 0.0)), std::vector<double>(5000, 0.0));

    // Blocks longer than the work buffers go in pieces; in place or split, the same bits.
    Engine a(3.0f, 0.6f), b(3.0f, 0.6f);
    a.dm.SetLFODepth(0.3f);
    b.dm.SetLFODepth(0.3f);
    const std::vector<double> whole = a.Run(tone, 1000);
    std::vector<double> l = tone, r = tone;
    for (size_t k = 0; k < tone.size(); k += 37) {
        double* io[2] = {&l[k], &r[k]};
        b.dm.Process(io, io, std::min<int>(37, static_cast<int>(tone.size() - k)));
    }
    EXPECT_EQ(l, whole);
}

TEST(DelayMain, BadSettingsAndSamplesAreHandled)
{
    Engine e(500.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    e.dm.SetDelayTime(nan);
    e.dm.SetFeedBack(inf);
    e.dm.SetLFODepth(nan);
    e.dm.SetLFORate(-inf);
    e.dm.SetMaxDelayTime(-5.0f);
    e.dm.SetFs(0);
    e.dm.SetBloackSize(0);
    EXPECT_EQ(e.dm.GetDelayTime(), 500.0f);
    EXPECT_EQ(e.dm.GetFeedBack(), 0.0f);
    EXPECT_EQ(e.dm.GetLFODepth(), 0.0f);
    EXPECT_EQ(e.dm.GetLFORate(), 1.0f);
    EXPECT_EQ(e.dm.GetMaxDelayTime(), 8000.0f);
    EXPECT_EQ(e.dm.GetFs(), 44100);
    EXPECT_EQ(e.dm.GetBlockSize(), 256);
    e.dm.SetMaxDelayTime(1e30f); // a line that could never be addressed: refused
    e.dm.SetFs(44100);
    EXPECT_EQ(e.dm.GetLine().GetLength(), 2823808);

    std::vector<double> in = dsptest::Sine(100.0, 44100.0, 600);
    in[7] = std::numeric_limits<double>::quiet_NaN();
    in[70] = std::numeric_limits<double>::infinity();
    e.dm.SetFeedBack(1.0f);
    e.dm.SetLFODepth(1e30f);
    for (float t : {3e38f, -3e38f, 8000.0f})
        for (double v : (e.dm.SetDelayTime(t), e.Run(in))) ASSERT_TRUE(std::isfinite(v)) << t;

    DelayMain mono; // never set to stereo: the right channel only passes the converter
    mono.SetDelayTime(20.0f);
    std::vector<double> l = Impulse(256), r = Impulse(256), ol(256), orr(256);
    double* i[2] = {l.data(), r.data()};
    double* o[2] = {ol.data(), orr.data()};
    mono.Process(i, o, 256);
    EXPECT_EQ(Energy(ol, 0, 256), 0.0);
    EXPECT_GT(Energy(orr, 0, 8), 0.1);
}

// Once sound runs, a new depth is reached in equal steps over 20 ms of the raised
// rate; before that it applies at once.
TEST(DelayMain, DepthChangesRampOverTwentyMilliseconds)
{
    Engine e(500.0f);
    e.dm.SetLFODepth(0.4f);
    const double first = e.dm.GetModulationAmplitude();
    EXPECT_NEAR(first, 0.4 * 500.0 / 8004.0, 1e-9);
    e.Frames(1);
    e.dm.SetLFODepth(0.2f);
    const double target = e.dm.GetModulationAmplitudeTarget();
    EXPECT_NEAR(target, 0.2 * 500.0 / 8004.0, 1e-9);
    EXPECT_EQ(e.dm.GetModulationAmplitude(), first);
    e.Frames(441); // half of the 3528 raised samples
    EXPECT_NEAR(e.dm.GetModulationAmplitude(), (first + target) / 2.0, 1e-12);
    e.Frames(440);
    EXPECT_GT(e.dm.GetModulationAmplitude(), target);
    e.Frames(1);
    EXPECT_EQ(e.dm.GetModulationAmplitude(), target);
}
