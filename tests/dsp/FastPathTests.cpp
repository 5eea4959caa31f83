// The two-lane paths against the plain per-channel forms: identical bits over long
// random runs, special cases and non-finite samples included.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "dsp/DelayMain.h"
#include "dsp/StereoBiquad.h"
#include "dsp/StereoLine.h"
#include "tests/dsp/DspTestUtil.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Mostly audio, now and then a value the guards must catch.
double Sample(dsptest::Random& rnd)
{
    switch (rnd.Int(0, 2000)) {
    case 0: return kNaN;
    case 1: return -kInf;
    case 2: return 1e300;
    default: return rnd.Uniform(-1.0, 1.0);
    }
}

double Position(dsptest::Random& rnd)
{
    switch (rnd.Int(0, 20)) {
    case 0: return -1.0; // zero delay
    case 1: return 1.0;  // full length
    case 2: return rnd.Uniform(-1.5, 1.5);
    case 3: return kNaN;
    default: return rnd.Uniform(-1.0, 1.0);
    }
}

void ExpectSame(__m128d v, double left, double right, long k)
{
    double lanes[2];
    _mm_storeu_pd(lanes, v);
    ASSERT_EQ(dsptest::Bits(lanes[0]), dsptest::Bits(left)) << k;
    ASSERT_EQ(dsptest::Bits(lanes[1]), dsptest::Bits(right)) << k;
}

} // namespace

TEST(FastPath, StereoLineMatchesProcessST)
{
    for (long span : {0L, 1L, 5L, 333L}) {
        CKestrune fast, plain;
        for (CKestrune* l : {&fast, &plain}) {
            l->SetStereo(1);
            ASSERT_TRUE(l->SetSize(333, span));
            l->SetFeedback(span == 5 ? 1.0 : 0.8);
        }
        ASSERT_TRUE(StereoLine::Applies(fast));
        dsptest::Random rnd(static_cast<uint64_t>(span) + 7);
        StereoLine lanes(fast);
        for (long k = 0; k < 40000; ++k) {
            double pair[2] = {Sample(rnd), Sample(rnd)};
            const double pos = Position(rnd);
            const __m128d y = lanes.Process(_mm_set_pd(pair[1], pair[0]), pos);
            plain.ProcessST(pair, pair, pos);
            ExpectSame(y, pair[0], pair[1], k);
        }
        lanes.Store();
        // Handed back, the line continues exactly like the plain one.
        EXPECT_EQ(fast.GetReadBase(), plain.GetReadBase());
        EXPECT_EQ(fast.GetWriteIndex(), plain.GetWriteIndex());
        for (long k = 0; k < 1000; ++k) {
            double a[2] = {0.5, -0.25}, b[2] = {0.5, -0.25};
            fast.ProcessST(a, a, 0.3);
            plain.ProcessST(b, b, 0.3);
            ASSERT_EQ(dsptest::Bits(a[0]), dsptest::Bits(b[0]));
            ASSERT_EQ(dsptest::Bits(a[1]), dsptest::Bits(b[1]));
        }
    }
    CKestrune mono;
    mono.SetSize(10, 10);
    EXPECT_FALSE(StereoLine::Applies(mono));
}

TEST(FastPath, StereoBiquadMatchesTwoSections)
{
    BiquadFilter l, r, pl, pr;
    l.setLPF_RB(1.0, 0.5773502691896257, 8.0, 1);
    r.setHPF_RB(3000.0, 0.7, 48000.0, 1); // lanes keep their own coefficients
    pl = l;
    pr = r;
    dsptest::Random rnd(3);
    StereoBiquad lanes(l, r);
    for (long k = 0; k < 100000; ++k) {
        const double a = Sample(rnd), b = Sample(rnd);
        ExpectSame(lanes.process(_mm_set_pd(b, a)), pl.process(a), pr.process(b), k);
    }
    lanes.Store();
    EXPECT_EQ(dsptest::Bits(l.process(0.125)), dsptest::Bits(pl.process(0.125)));
    EXPECT_EQ(dsptest::Bits(r.process(0.125)), dsptest::Bits(pr.process(0.125)));
}

namespace {

void Configure(DelayMain& dm)
{
    dm.SetStereo(1);
    dm.SetMaxDelayTime(8000.0f);
    dm.SetFs(44100);
    dm.SetBloackSize(256);
}

} // namespace

// Two engines get the same settings and input at random; one runs the two-lane
// loop, the other the plain form. Delay times include 0 ms and the far end of
// the line, so glides, modulation, clamping and both special taps all occur.
TEST(FastPath, EngineMatchesThePlainFormOverLongRandomRuns)
{
    for (uint64_t seed = 1; seed <= 3; ++seed) {
        DelayMain fast, plain;
        Configure(fast);
        Configure(plain);
        dsptest::Random rnd(seed);
        std::vector<double> inL(600), inR(600), fl(600), fr(600), pl(600), pr(600);
        long frames = 0, glidingBlocks = 0;
        while (frames < 150000) {
            auto both = [&](auto apply) {
                apply(fast);
                apply(plain);
            };
            const int pick = rnd.Int(0, 5);
            const float t = pick == 0 ? 0.0f : pick == 1 ? 16008.0f : static_cast<float>(rnd.Uniform(0.0, 8000.0));
            const float unit = static_cast<float>(rnd.Uniform(0.0, 1.0));
            const float rate = static_cast<float>(rnd.Uniform(0.01, 20.0));
            switch (rnd.Int(0, 12)) {
            case 0: both([&](DelayMain& d) { d.SetDelayTime(t); }); break;
            case 1: both([&](DelayMain& d) { d.SetLFODepth(unit); }); break;
            case 2: both([&](DelayMain& d) { d.SetLFORate(rate); }); break;
            case 3: both([&](DelayMain& d) { d.SetFeedBack(unit); }); break;
            case 4:
                if (rnd.Int(0, 20) == 0) both([](DelayMain& d) { d.Reset(); });
                break;
            default: break;
            }
            const int n = rnd.Int(0, 600);
            for (int k = 0; k < n; ++k) {
                inL[static_cast<size_t>(k)] = Sample(rnd);
                inR[static_cast<size_t>(k)] = Sample(rnd);
            }
            std::vector<double> inL2 = inL, inR2 = inR;
            double* fi[2] = {inL.data(), inR.data()};
            double* fo[2] = {fl.data(), fr.data()};
            double* pi[2] = {inL2.data(), inR2.data()};
            double* po[2] = {pl.data(), pr.data()};
            glidingBlocks += fast.IsGliding() ? 1 : 0;
            fast.Process(fi, fo, n);
            plain.ProcessPlain(pi, po, n);
            for (int k = 0; k < n; ++k) {
                ASSERT_EQ(dsptest::Bits(fl[static_cast<size_t>(k)]), dsptest::Bits(pl[static_cast<size_t>(k)])) << "seed " << seed << " frame " << frames + k;
                ASSERT_EQ(dsptest::Bits(fr[static_cast<size_t>(k)]), dsptest::Bits(pr[static_cast<size_t>(k)])) << "seed " << seed << " frame " << frames + k;
            }
            ASSERT_EQ(dsptest::Bits(fast.GetCurrentPosition()), dsptest::Bits(plain.GetCurrentPosition()));
            ASSERT_EQ(fast.IsGliding(), plain.IsGliding());
            frames += n;
        }
        EXPECT_GT(glidingBlocks, 10) << "the run should have spent time gliding";
    }
}
