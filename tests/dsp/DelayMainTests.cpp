#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "dsp/DelayMain.h"
#include "tests/dsp/DspTestUtil.h"

namespace {

// An engine set up the way the effect sets it up.
struct Engine {
    DelayMain dm;

    explicit Engine(float delayMs = 500.0f, long fs = 44100)
    {
        dm.SetStereo(1);
        dm.SetMaxDelayTime(8000.0f);
        dm.SetFs(fs);
        dm.SetBloackSize(256);
        dm.SetFeedBack(0.0f);
        dm.SetDelayTime(delayMs);
        dm.SetLFODepth(0.0f);
        dm.SetLFORate(1.0f);
    }

    // Left output for the input on both channels (right output checked equal).
    std::vector<double> Run(std::vector<double> in, int block = 256)
    {
        std::vector<double> inR = in, outL(in.size()), outR(in.size());
        for (size_t k = 0; k < in.size(); k += static_cast<size_t>(block)) {
            const int n = std::min<int>(block, static_cast<int>(in.size() - k));
            double* i[2] = {&in[k], &inR[k]};
            double* o[2] = {&outL[k], &outR[k]};
            dm.Process(i, o, n);
        }
        for (size_t k = 0; k < in.size(); ++k) EXPECT_EQ(Bits(outL[k]), Bits(outR[k])) << k;
        return outL;
    }

    void Frames(int n) { Run(std::vector<double>(static_cast<size_t>(n), 0.0), 1); }

    double Ms(double pos) const { return (pos + 1.0) * 8004.0; }

    static uint64_t Bits(double v) { return dsptest::Bits(v); }
};

double Energy(const std::vector<double>& v, size_t from, size_t to)
{
    double e = 0.0;
    for (size_t k = from; k < to && k < v.size(); ++k) e += v[k] * v[k];
    return e;
}

size_t Peak(const std::vector<double>& v, size_t from, size_t to)
{
    return static_cast<size_t>(std::max_element(v.begin() + static_cast<long>(from), v.begin() + static_cast<long>(to),
                                                [](double a, double b) { return std::fabs(a) < std::fabs(b); }) -
                               v.begin());
}

std::vector<double> Impulse(size_t n)
{
    std::vector<double> v(n, 0.0);
    v[0] = 1.0;
    return v;
}

} // namespace

TEST(DelayMain, ConstructedForTwoSecondsAtFortyFourKilohertz)
{
    DelayMain dm;
    EXPECT_EQ(dm.GetLine().GetLength(), 707008);
    EXPECT_FALSE(dm.GetLine().HasRightBuffer());
    EXPECT_EQ(dm.GetCurrentPosition(), (10.0 - 2004.0) / 2004.0);
    EXPECT_EQ(dm.GetTargetPosition(), dm.GetCurrentPosition());
    EXPECT_EQ(dm.GetBlockSize(), 256);
    EXPECT_FALSE(dm.IsStarted());
}

TEST(DelayMain, LineSizeFollowsTheSampleRate)
{
    DelayMain dm;
    dm.SetStereo(1);
    dm.SetMaxDelayTime(8000.0f);
    const long table[][2] = {{44100, 2823808}, {48000, 3073536}, {96000, 6147072}, {192000, 12294144}};
    for (const auto& [fs, n] : table) {
        dm.SetFs(fs);
        EXPECT_EQ(dm.GetLine().GetLength(), n) << fs;
        EXPECT_EQ(dm.GetLine().GetModulationSize(), n / 2) << fs;
        EXPECT_TRUE(dm.GetLine().HasRightBuffer());
    }
    dm.SetFs(44100);
    EXPECT_EQ(dm.GetFs(), 44100);
}

TEST(DelayMain, ZeroDelayIsTheConvertedInput)
{
    Engine e(0.0f);
    const std::vector<double> in = dsptest::Sine(1234.5, 44100.0, 1000, 0.7);
    const std::vector<double> out = e.Run(in);

    SamplingRateConverter src;
    src.setSRCFactor(4, 101);
    std::vector<double> a = in, b = in, upL(4000), upR(4000), ref(1000), refR(1000);
    for (size_t k = 0; k < 1000; k += 250) {
        src.usrc(&a[k], &b[k], upL.data(), upR.data(), 250);
        src.dsrc(upL.data(), upR.data(), &ref[k], &refR[k], 250);
    }
    for (size_t k = 0; k < 1000; ++k) ASSERT_EQ(Engine::Bits(out[k]), Engine::Bits(ref[k])) << k;
}

TEST(DelayMain, EchoArrivesAfterTheDelay)
{
    Engine e(500.0f);
    const std::vector<double> out = e.Run(Impulse(44200));
    EXPECT_LT(Energy(out, 0, 22000), 1e-20);
    const size_t first = Peak(out, 22000, 22100);
    EXPECT_GE(first, 22050u);
    EXPECT_LE(first, 22052u);
    EXPECT_LT(Energy(out, 22200, 44200), 1e-20); // feedback 0: one echo only
}

TEST(DelayMain, FeedbackScalesEachRepeat)
{
    // The line itself repeats exactly (see the CKestrune tests); through the converter
    // each pass shifts the phase of the folded images, which moves the level by up to ~12 %.
    std::vector<double> burst = dsptest::Sine(300.0, 44100.0, 70800, 0.5);
    for (size_t k = 0; k < burst.size(); ++k)
        burst[k] *= k < 4410 ? std::pow(std::sin(std::numbers::pi * static_cast<double>(k) / 4410.0), 2.0) : 0.0;
    for (float g : {0.5f, 1.0f}) {
        Engine e(500.0f);
        e.dm.SetFeedBack(g);
        const std::vector<double> out = e.Run(burst);
        const double echo1 = Energy(out, 22000, 26500), echo2 = Energy(out, 44050, 48550), echo3 = Energy(out, 66100, 70800);
        EXPECT_NEAR(echo2 / echo1, g * g, 0.1 * g * g) << g;
        EXPECT_NEAR(echo3 / echo1, std::pow(g, 4.0), 0.15 * std::pow(g, 4.0)) << g;
    }
}

TEST(DelayMain, GlideTakesTwiceTheChangeUpAndOnceDown)
{
    struct Case {
        float from, to;
        int frames; // host frames of 44100 Hz until the position sits on the target
    };
    for (const Case c : {Case{100.0f, 200.0f, 8821}, Case{200.0f, 100.0f, 4411}, Case{100.0f, 100.5f, 1}}) {
        Engine e(c.from);
        e.Frames(1);
        e.dm.SetDelayTime(c.to);
        EXPECT_TRUE(e.dm.IsGliding());
        int frames = 0;
        while (e.dm.IsGliding() && frames < 20000) {
            e.Frames(1);
            ++frames;
        }
        EXPECT_EQ(frames, c.frames) << c.from << " -> " << c.to;
        EXPECT_EQ(e.dm.GetCurrentPosition(), e.dm.Position(c.to));
    }
}

TEST(DelayMain, GlideIsAQuarterSineEaseOut)
{
    Engine e(100.0f);
    e.Frames(1);
    e.dm.SetDelayTime(200.0f);
    e.Frames(4410); // half of the 200 ms glide: 17640 raised samples
    const double start = e.dm.Position(100.0f), span = e.dm.Position(200.0f) - start;
    const double expected = start + span * std::sin(2.0 * std::numbers::pi * 17639.0 * 1.25 / 176400.0);
    EXPECT_NEAR(e.dm.GetCurrentPosition(), expected, 1e-12);
    EXPECT_NEAR(e.Ms(e.dm.GetCurrentPosition()), 100.0 + 100.0 * std::sqrt(0.5), 0.01);
}

TEST(DelayMain, BeforeTheFirstBlockTimesJump)
{
    Engine e(100.0f);
    e.dm.SetDelayTime(300.0f);
    e.dm.SetDelayTime(250.0f);
    EXPECT_FALSE(e.dm.IsGliding());
    EXPECT_EQ(e.dm.GetCurrentPosition(), e.dm.Position(250.0f));
    EXPECT_EQ(e.dm.GetModulationCentre(), e.dm.Position(250.0f));
    std::vector<double> out = e.Run(Impulse(11100));
    EXPECT_NEAR(static_cast<double>(Peak(out, 10000, 11100)), 11026.0, 1.0);

    DelayMain fresh;
    double zero = 0.0, *io[2] = {&zero, &zero};
    fresh.Process(io, io, 0); // an empty block only marks the start
    EXPECT_TRUE(fresh.IsStarted());
    fresh.SetDelayTime(20.0f);
    EXPECT_TRUE(fresh.IsGliding());
}

TEST(DelayMain, DepthOneSwingsFromZeroToTwiceTheDelay)
{
    Engine e(500.0f);
    e.dm.SetLFORate(10.0f);
    e.dm.SetLFODepth(1.0f);
    EXPECT_NEAR(e.dm.GetModulationAmplitude(), 500.0 / 8004.0, 1e-9);
    double lo = 1e9, hi = -1e9;
    for (int k = 0; k < 4410; ++k) { // one period at 10 Hz
        e.Frames(1);
        lo = std::min(lo, e.Ms(e.dm.GetCurrentPosition()));
        hi = std::max(hi, e.Ms(e.dm.GetCurrentPosition()));
    }
    EXPECT_NEAR(lo, 0.0, 0.01);
    EXPECT_NEAR(hi, 1000.0, 0.01);

    Engine still(500.0f);
    still.dm.SetLFORate(10.0f);
    still.Frames(100);
    EXPECT_EQ(still.dm.GetCurrentPosition(), still.dm.Position(500.0f));
}

TEST(DelayMain, RateChangeKeepsThePhaseDelayChangeRestartsIt)
{
    Engine e(500.0f);
    e.dm.SetLFODepth(0.5f);
    e.Frames(11025); // a quarter period at 1 Hz: at the top of the swing
    const double top = e.Ms(e.dm.GetCurrentPosition());
    EXPECT_NEAR(top, 750.0, 0.01);
    e.dm.SetLFORate(2.0f);
    e.Frames(1);
    EXPECT_NEAR(e.Ms(e.dm.GetCurrentPosition()), 750.0, 0.01);

    e.dm.SetDelayTime(400.0f); // glides down over 100 ms, then swings from phase 0
    e.Frames(4411);
    EXPECT_FALSE(e.dm.IsGliding());
    e.Frames(1);
    EXPECT_NEAR(e.Ms(e.dm.GetCurrentPosition()), 400.0, 0.1);
    e.Frames(5512); // a quarter period at 2 Hz
    EXPECT_NEAR(e.Ms(e.dm.GetCurrentPosition()), 600.0, 0.1);
}

TEST(DelayMain, SampleRateChangeAndResetSilenceTheLine)
{
    Engine e(50.0f);
    const std::vector<double> noise = dsptest::Sine(440.0, 44100.0, 2000);
    e.Run(noise);
    e.dm.SetFs(48000);
    EXPECT_EQ(e.dm.GetLine().GetLength(), 3073536);
    // Only the converter's filters ring out; nothing comes back from the old line.
    const std::vector<double> after = e.Run(std::vector<double>(5000, 0.0));
    // (The filters' last ringing, written into the new line, comes back after 50 ms.)
    for (size_t k = 100; k < 2400; ++k) ASSERT_LT(std::fabs(after[k]), 1e-100) << k;

    e.Run(noise);
    e.dm.SetDelayTime(80.0f); // a glide under way is overridden by the reset position
    e.dm.Reset();
    EXPECT_TRUE(e.dm.IsStarted());
    EXPECT_EQ(e.dm.GetCurrentPosition(), e.dm.Position(80.0f));
    for (double v : e.Run(std::vector<double>(5000, 0.0))) ASSERT_EQ(v, 0.0);
}

TEST(DelayMain, LongBlocksInPiecesAndInPlaceGiveTheSameBits)
{
    Engine a(3.0f), b(3.0f);
    a.dm.SetFeedBack(0.6f);
    b.dm.SetFeedBack(0.6f);
    a.dm.SetLFODepth(0.3f);
    b.dm.SetLFODepth(0.3f);
    const std::vector<double> in = dsptest::Sine(987.0, 44100.0, 3000);
    const std::vector<double> whole = a.Run(in, 1000); // longer than the 256 frames given
    std::vector<double> l = in, r = in;
    for (size_t k = 0; k < in.size(); k += 37) {
        const int n = std::min<int>(37, static_cast<int>(in.size() - k));
        double* io[2] = {&l[k], &r[k]};
        b.dm.Process(io, io, n);
    }
    for (size_t k = 0; k < in.size(); ++k) ASSERT_EQ(Engine::Bits(l[k]), Engine::Bits(whole[k])) << k;
}

TEST(DelayMain, BadSettingsAreRefused)
{
    Engine e(500.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    e.dm.SetDelayTime(nan);
    e.dm.SetFeedBack(inf);
    e.dm.SetLFODepth(nan);
    e.dm.SetLFORate(-inf);
    e.dm.SetMaxDelayTime(-5.0f);
    e.dm.SetFs(0);
    e.dm.SetFs(-44100);
    e.dm.SetBloackSize(0);
    EXPECT_EQ(e.dm.GetDelayTime(), 500.0f);
    EXPECT_EQ(e.dm.GetFeedBack(), 0.0f);
    EXPECT_EQ(e.dm.GetLFODepth(), 0.0f);
    EXPECT_EQ(e.dm.GetLFORate(), 1.0f);
    EXPECT_EQ(e.dm.GetMaxDelayTime(), 8000.0f);
    EXPECT_EQ(e.dm.GetFs(), 44100);
    EXPECT_EQ(e.dm.GetBlockSize(), 256);

    e.dm.SetMaxDelayTime(1e30f); // a line that could never be addressed
    e.dm.SetFs(44100);
    EXPECT_EQ(e.dm.GetLine().GetLength(), 2823808);
    e.dm.SetMaxDelayTime(8000.0f);

    // Absurd but finite settings and non-finite samples still give finite output.
    std::vector<double> in = dsptest::Sine(100.0, 44100.0, 600);
    in[7] = std::numeric_limits<double>::quiet_NaN();
    in[70] = std::numeric_limits<double>::infinity();
    e.dm.SetFeedBack(1.0f);
    e.dm.SetLFODepth(1e30f);
    e.Run(in);
    e.dm.SetDelayTime(3e38f);
    for (double v : e.Run(in)) ASSERT_TRUE(std::isfinite(v));
    e.dm.SetDelayTime(-3e38f);
    for (double v : e.Run(in)) ASSERT_TRUE(std::isfinite(v));
}

TEST(DelayMain, MonoEngineLeavesTheRightChannelUndelayed)
{
    DelayMain dm; // never set to stereo
    dm.SetFeedBack(0.0f);
    dm.SetLFODepth(0.0f);
    dm.SetDelayTime(20.0f);
    std::vector<double> l = Impulse(2000), r = Impulse(2000), ol(2000), orr(2000);
    double* in[2] = {l.data(), r.data()};
    double* out[2] = {ol.data(), orr.data()};
    dm.Process(in, out, 256);
    dm.Process(in, out, 0);
    EXPECT_LT(Energy(ol, 0, 256), 1e-20);   // left is delayed by 20 ms
    EXPECT_GT(Energy(orr, 0, 8), 0.1);      // right only passes the converter
}
