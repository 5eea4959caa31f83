// The two-lane loop against the plain per-channel form: identical bits over long
// random runs, special taps and non-finite samples included.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include <xmmintrin.h>

#include "dsp/CBiquadFilter.h"
#include "dsp/DelayMain.h"
#include "dsp/PairedLFO.h"
#include "dsp/StereoBiquad.h"
#include "dsp/StereoLine.h"
#include "tests/dsp/DspTestUtil.h"

namespace {

// Mostly audio, now and then a value the guards must catch.
double Sample(dsptest::Random& rnd)
{
    const int pick = rnd.Int(0, 2000);
    if (pick == 3) return 4e307; // big enough to overflow the line now and then
    if (pick == 4) return -3e-310; // subnormal: kept, or read as zero where the MXCSR says so
    if (pick <= 2) return pick == 0 ? std::numeric_limits<double>::quiet_NaN() : -std::numeric_limits<double>::infinity();
    return rnd.Uniform(-1.0, 1.0);
}

void FillInput(dsptest::Random& rnd, std::vector<double>& left, std::vector<double>& right, int n)
{
    for (size_t k = 0; k < static_cast<size_t>(n); ++k) {
        left[k] = Sample(rnd);
        right[k] = Sample(rnd);
    }
}

// The MXCSR's subnormal modes for the length of a scope: flush-to-zero, read
// subnormals as zero, either or both.
class ScopedCsr {
public:
    explicit ScopedCsr(unsigned bits) : m_saved(_mm_getcsr()) { _mm_setcsr((m_saved & ~0x8040u) | bits); }
    ~ScopedCsr() { _mm_setcsr(m_saved); }
    ScopedCsr(const ScopedCsr&) = delete;
    ScopedCsr& operator=(const ScopedCsr&) = delete;

private:
    unsigned m_saved;
};
constexpr unsigned kFlushToZero = 0x8000, kSubnormalsAreZero = 0x40;

// Each build of the engine loop this processor can run, in each subnormal mode.
class EnginePath : public ::testing::TestWithParam<std::tuple<kdsp::SimdPath, unsigned>> {};

} // namespace

// Fed directly, the line also meets the non-finite samples the converter keeps from
// it. Positions hold still for stretches (allpass reads) and move in between (linear
// reads), the ends of the line included; resets leave partly written lines behind.
TEST(FastPath, StereoLineMatchesProcessST)
{
    CKestrune fast, plain;
    for (CKestrune* line : {&fast, &plain}) {
        line->SetStereo(1);
        ASSERT_TRUE(line->SetSize(333, 333));
        line->SetFeedback(0.9);
    }
    dsptest::Random rnd(5);
    double pos = 0.0;
    long k = 0, held = 0, asOne = 0, redone = 0;
    auto nextPosition = [&] {
        if (rnd.Int(0, 3) != 0) {
            const int pick = rnd.Int(0, 20);
            // Taps a few samples behind read what the frame itself has just written.
            pos = pick == 0   ? std::numeric_limits<double>::quiet_NaN()
                  : pick == 1 ? 1.0
                  : pick == 2 ? -1.0
                  : pick <= 5 ? -1.0 + rnd.Uniform(0.0, 6.0) / 333.0
                              : rnd.Uniform(-1.2, 1.2);
        } else {
            ++held;
        }
        return pos;
    };
    for (int block = 0; block < 400; ++block) {
        StereoLine pair(fast);
        const int n = rnd.Int(1, 500);
        for (int s = 0; s < n;) {
            // A frame of four at a time (ProcessFrame) or one (Process).
            const int count = s + 4 <= n && rnd.Int(0, 1) == 0 ? 4 : 1;
            double io[4][2], pos4[4], lanes[4][2];
            __m128d x[4];
            for (int j = 0; j < count; ++j) {
                io[j][0] = Sample(rnd);
                io[j][1] = Sample(rnd);
                pos4[j] = nextPosition();
                x[j] = _mm_set_pd(io[j][1], io[j][0]);
            }
            if (count == 4) {
                const bool one = pair.ProcessFrame<kdsp::SimdPath::kBaseline>(x, _mm_loadu_pd(pos4), _mm_loadu_pd(pos4 + 2));
                ++(one ? asOne : redone);
            } else {
                x[0] = pair.Process(x[0], pos4[0]);
            }
            for (int j = 0; j < count; ++j, ++s, ++k) {
                _mm_storeu_pd(lanes[j], x[j]);
                plain.ProcessST(io[j], io[j], pos4[j]);
                ASSERT_EQ(dsptest::Bits(lanes[j][0]), dsptest::Bits(io[j][0])) << k;
                ASSERT_EQ(dsptest::Bits(lanes[j][1]), dsptest::Bits(io[j][1])) << k;
            }
        }
        pair.Store();
        EXPECT_EQ(fast.GetWriteIndex(), plain.GetWriteIndex());
        if (block % 9 == 4) {
            fast.Reset();
            plain.Reset();
        }
    }
    EXPECT_GT(held, 10000);
    // Both ways through a frame: as one, and sample by sample (special taps, guards).
    EXPECT_GT(asOne, 3000);
    EXPECT_GT(redone, 3000);
}

// The up section's frame of one sample and three inserted zeros against four calls of
// process(): coefficients of either sign (so b x 0 is -0 at times), non-finite input.
TEST(FastPath, RaisedFrameMatchesFourSamples)
{
    dsptest::Random rnd(13);
    for (int round = 0; round < 50; ++round) {
        BiquadFilter fast[2], plain[2];
        for (int lane = 0; lane < 2; ++lane) {
            const double c[5] = {rnd.Uniform(-1.0, 1.0), rnd.Uniform(-1.0, 1.0), rnd.Uniform(-1.0, 1.0),
                                 rnd.Uniform(-0.9, 0.9), rnd.Uniform(-0.5, 0.5)};
            fast[lane].setCoefficients(c[0], c[1], c[2], c[3], c[4]);
            plain[lane].setCoefficients(c[0], c[1], c[2], c[3], c[4]);
        }
        StereoBiquad pair(fast[0], fast[1]), reference(plain[0], plain[1]);
        ASSERT_TRUE(pair.ZeroHistory());
        const StereoBiquad::ZeroProducts zeros = pair.ZeroProductsOf();
        for (int k = 0; k < 400; ++k) {
            const __m128d x = _mm_set_pd(Sample(rnd), Sample(rnd));
            __m128d raised[4];
            pair.RaiseFrame(x, zeros, raised);
            for (int j = 0; j < 4; ++j) {
                double got[2], want[2];
                _mm_storeu_pd(got, raised[j]);
                _mm_storeu_pd(want, reference.process(j == 0 ? x : _mm_setzero_pd()));
                ASSERT_EQ(dsptest::Bits(got[0]), dsptest::Bits(want[0])) << round << " " << k << " " << j;
                ASSERT_EQ(dsptest::Bits(got[1]), dsptest::Bits(want[1])) << round << " " << k << " " << j;
            }
        }
        EXPECT_TRUE(pair.ZeroHistory());
    }
}

// The two-lane oscillator step, one and four at a time, against LFO::Process():
// frequencies of all sizes, a short renormalisation interval so it comes round often
// (inside frames too), mutes, and a frequency whose cosine is NaN (the guard's case),
// each in stretches of random length.
TEST(FastPath, PairedOscillatorMatchesLFO)
{
    dsptest::Random rnd(17);
    LFO fast, plain;
    for (LFO* osc : {&fast, &plain}) osc->SetRCount(37);
    for (int stretch = 0; stretch < 300; ++stretch) {
        const int pick = rnd.Int(0, 9);
        const double phi = pick == 0 ? std::numeric_limits<double>::infinity() : pick == 1 ? 0.25 : rnd.Uniform(-0.6, 0.6);
        for (LFO* osc : {&fast, &plain}) {
            osc->SetFreq(phi);
            if (pick == 2) osc->mute();
        }
        PairedLFO pair(fast);
        const int n = rnd.Int(1, 200);
        for (int k = 0; k < n; ++k) {
            if (rnd.Int(0, 1) == 0) {
                ASSERT_EQ(dsptest::Bits(pair.Process()), dsptest::Bits(plain.Process())) << stretch << " " << k;
                continue;
            }
            // Four at once: without the guard where it cannot act, with it otherwise.
            double four[4];
            __m128d v01, v23;
            pair.ProcessFrame(v01, v23);
            _mm_storeu_pd(four, v01);
            _mm_storeu_pd(four + 2, v23);
            for (double v : four) ASSERT_EQ(dsptest::Bits(v), dsptest::Bits(plain.Process())) << stretch << " " << k;
        }
        pair.Store();
    }
    // Stored state continues exactly: the plain oscillator's next values follow.
    for (int k = 0; k < 100; ++k) ASSERT_EQ(dsptest::Bits(fast.Process()), dsptest::Bits(plain.Process())) << k;
}

// Two engines get the same settings and input at random; one runs the two-lane
// loop, the other the plain form. Delay times include 0 ms, the far end of the
// line and beyond, so glides, modulation, depth ramps, still positions, clamping,
// both special taps and resets of partly written lines occur.
TEST_P(EnginePath, MatchesThePlainFormOverLongRandomRuns)
{
    const auto [path, csr] = GetParam();
    if (!kdsp::SimdPathSupported(path)) GTEST_SKIP() << "this processor lacks " << kdsp::SimdPathName(path);
    const ScopedCsr mode(csr);
    for (uint64_t seed = 1; seed <= 3; ++seed) {
        DelayMain fast, plain;
        for (DelayMain* dm : {&fast, &plain}) {
            dm->SetStereo(1);
            dm->SetMaxDelayTime(20.0f); // a line of 48 ms, so every part of it gets used
            dm->SetFs(44100);
        }
        ASSERT_TRUE(fast.SetSimdPath(path));
        fast.SetBlockSections(false); // the form that keeps the plain form's operations
        auto both = [&](auto apply) {
            apply(fast);
            apply(plain);
        };
        dsptest::Random rnd(seed);
        std::vector<double> inL(600), inR(600), fl(600), fr(600), pl(600), pr(600);
        long frames = 0, glidingBlocks = 0, stillBlocks = 0;
        while (frames < 150000) {
            const int pick = rnd.Int(0, 9);
            const float t = pick == 0 ? 0.0f : pick == 1 ? 48.0f : static_cast<float>(rnd.Uniform(0.0, 50.0));
            const float unit = static_cast<float>(rnd.Uniform(0.0, 1.0)), rate = static_cast<float>(rnd.Uniform(0.01, 20.0));
            switch (rnd.Int(0, 12)) {
            case 0: // a reset after 0 ms or the far end puts the position there at once
                both([&](DelayMain& d) {
                    d.SetDelayTime(t);
                    if (pick <= 3) d.Reset();
                });
                break;
            case 1: both([&](DelayMain& d) { d.SetLFODepth(pick < 4 ? 0.0f : unit); }); break; // 0: positions hold still
            case 2: both([&](DelayMain& d) { d.SetLFORate(rate); }); break;
            case 3: both([&](DelayMain& d) { d.SetFeedBack(unit); }); break;
            default: break;
            }
            const int n = rnd.Int(0, 600); // beyond the 256 frames of the work buffers at times
            FillInput(rnd, inL, inR, n);
            std::vector<double> inL2 = inL, inR2 = inR;
            double *fi[2] = {inL.data(), inR.data()}, *fo[2] = {fl.data(), fr.data()};
            double *pi[2] = {inL2.data(), inR2.data()}, *po[2] = {pl.data(), pr.data()};
            glidingBlocks += fast.IsGliding() ? 1 : 0;
            stillBlocks += fast.IsGliding() ? 0 : 1;
            fast.Process(fi, fo, n);
            plain.ProcessPlain(pi, po, n);
            for (size_t k = 0; k < static_cast<size_t>(n); ++k) {
                ASSERT_EQ(dsptest::Bits(fl[k]), dsptest::Bits(pl[k])) << "seed " << seed << " frame " << frames + static_cast<long>(k);
                ASSERT_EQ(dsptest::Bits(fr[k]), dsptest::Bits(pr[k])) << "seed " << seed << " frame " << frames + static_cast<long>(k);
            }
            ASSERT_EQ(dsptest::Bits(fast.GetCurrentPosition()), dsptest::Bits(plain.GetCurrentPosition()));
            frames += n;
        }
        EXPECT_GT(glidingBlocks, 10) << "the run should spend time gliding";
        EXPECT_GT(stillBlocks, 10) << "and time not gliding";
    }
}

// The wet filters run inside the engine's loop against the plain form followed by the
// filter cascade over the block: every output selection, chained or not, coefficients
// changing between blocks, on a stereo engine (the loop) and a mono one (plain pieces).
TEST_P(EnginePath, WetFiltersInTheLoopMatchTheCascadeAfterIt)
{
    const auto [path, csr] = GetParam();
    if (!kdsp::SimdPathSupported(path)) GTEST_SKIP() << "this processor lacks " << kdsp::SimdPathName(path);
    const ScopedCsr mode(csr);
    for (signed char stereo : {1, 0}) {
        DelayMain fused, plain;
        for (DelayMain* dm : {&fused, &plain}) {
            dm->SetStereo(stereo);
            dm->SetMaxDelayTime(30.0f);
            dm->SetFs(48000);
            dm->SetFeedBack(0.7f);
        }
        ASSERT_TRUE(fused.SetSimdPath(path));
        fused.SetBlockSections(false); // the form that keeps the plain form's operations
        CBiquadFilter filters[2][4]; // [fused, plain][high L, high R, low L, low R]
        dsptest::Random rnd(11 + static_cast<uint64_t>(stereo));
        std::vector<double> inL(700), inR(700), fl(700), fr(700), pl(700), pr(700), hl(700), hr(700), ll(700), lr(700);
        for (int block = 0; block < 300; ++block) {
            if (block % 7 == 0) {
                const double high = rnd.Uniform(20.0, 2000.0), low = rnd.Uniform(500.0, 20000.0);
                for (auto& set : filters) {
                    set[0].CalcCoefficients(48000.0, high, 0.0, 1.0, 4);
                    set[1].CalcCoefficients(48000.0, high * 1.01, 0.0, 1.0, 4);
                    set[2].CalcCoefficients(48000.0, low, 0.0, 1.0, 3);
                    set[3].CalcCoefficients(48000.0, low * 0.99, 0.0, 1.0, 3);
                }
            }
            const float t = static_cast<float>(rnd.Uniform(0.0, 30.0)), depth = static_cast<float>(rnd.Uniform(0.0, 1.0));
            for (DelayMain* dm : {&fused, &plain}) {
                if (block % 5 == 0) dm->SetDelayTime(t);
                if (block % 3 == 0) dm->SetLFODepth(depth);
            }
            const bool chained = rnd.Int(0, 1) == 1;
            const auto output = static_cast<DelayMain::WetFilters::Output>(rnd.Int(0, 2));
            const int n = rnd.Int(0, 700);
            FillInput(rnd, inL, inR, n);
            std::vector<double> inL2 = inL, inR2 = inR;
            double *fi[2] = {inL.data(), inR.data()}, *fo[2] = {fl.data(), fr.data()};
            double *pi[2] = {inL2.data(), inR2.data()}, *po[2] = {pl.data(), pr.data()};
            const DelayMain::WetFilters wet {&filters[0][0], &filters[0][1], &filters[0][2], &filters[0][3], chained, output};
            fused.Process(fi, fo, n, wet);
            plain.ProcessPlain(pi, po, n);
            CBiquadFilter* p = filters[1];
            CBiquadFilter::OperateCascade(p[0], p[1], p[2], p[3], chained, pl.data(), pr.data(), hl.data(), hr.data(),
                                          ll.data(), lr.data(), n);
            const std::vector<double>& wantL = output == DelayMain::WetFilters::kLow ? ll : output == DelayMain::WetFilters::kHigh ? hl : pl;
            const std::vector<double>& wantR = output == DelayMain::WetFilters::kLow ? lr : output == DelayMain::WetFilters::kHigh ? hr : pr;
            for (size_t k = 0; k < static_cast<size_t>(n); ++k) {
                ASSERT_EQ(dsptest::Bits(fl[k]), dsptest::Bits(wantL[k])) << int(stereo) << " block " << block << " frame " << k;
                ASSERT_EQ(dsptest::Bits(fr[k]), dsptest::Bits(wantR[k])) << int(stereo) << " block " << block << " frame " << k;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    FastPath, EnginePath,
    ::testing::Combine(::testing::Values(kdsp::SimdPath::kBaseline, kdsp::SimdPath::kAvx2, kdsp::SimdPath::kAvx512),
                       ::testing::Values(0u, kFlushToZero | kSubnormalsAreZero, kSubnormalsAreZero, kFlushToZero)),
    [](const auto& info) {
        const unsigned csr = std::get<1>(info.param);
        return std::string(kdsp::SimdPathName(std::get<0>(info.param))) + (csr & kFlushToZero ? "_ftz" : "")
            + (csr & kSubnormalsAreZero ? "_daz" : "") + (csr == 0 ? "_ieee" : "");
    });

// A path the processor lacks is refused and the engine keeps the one it has; the
// default is the environment's choice or the widest the processor offers.
TEST(FastPath, SimdPathChoice)
{
    DelayMain dm;
    const kdsp::SimdPath initial = dm.GetSimdPath();
    EXPECT_EQ(initial, kdsp::DefaultSimdPath());
    EXPECT_TRUE(kdsp::SimdPathSupported(initial));
    for (kdsp::SimdPath p : {kdsp::SimdPath::kAvx512, kdsp::SimdPath::kAvx2, kdsp::SimdPath::kBaseline}) {
        const kdsp::SimdPath before = dm.GetSimdPath();
        const bool taken = dm.SetSimdPath(p);
        EXPECT_EQ(taken, kdsp::SimdPathSupported(p)) << kdsp::SimdPathName(p);
        EXPECT_EQ(dm.GetSimdPath(), taken ? p : before) << kdsp::SimdPathName(p);
    }
    const char* asked = std::getenv("KESTRUNE_SIMD");
    kdsp::SimdPath widest = kdsp::SimdPath::kBaseline;
    if (kdsp::SimdPathSupported(kdsp::SimdPath::kAvx512)) widest = kdsp::SimdPath::kAvx512;
    else if (kdsp::SimdPathSupported(kdsp::SimdPath::kAvx2)) widest = kdsp::SimdPath::kAvx2;
    if (!asked || !*asked) {
        EXPECT_EQ(initial, widest);
    } else if (std::string(asked) == "baseline") {
        EXPECT_EQ(initial, kdsp::SimdPath::kBaseline);
    }
}

// The wet path's stereo filter pair against two one-channel filters: identical bits, with
// tails that must flush, signed zeros, non-finite input and coefficient changes mid-run.
// The filter cascade steps with the same pair; the engine runs above check its wiring.
long StaggeredPairMismatches(uint64_t seed); // StaggeredPairAvx2.cpp

TEST(FastPath, StaggeredFilterPairMatchesTwoPairs)
{
    if (!kdsp::SimdPathSupported(kdsp::SimdPath::kAvx2)) GTEST_SKIP() << "this processor lacks AVX2";
    EXPECT_EQ(StaggeredPairMismatches(5), 0);
}

TEST(FastPath, StereoBiquadPairMatchesTwoChannels)
{
    CBiquadFilter pairL, pairR, oneL, oneR;
    dsptest::Random rnd(9);
    std::vector<double> inL(257), inR(257), outL(257), outR(257), refL(257), refR(257);
    for (int block = 0; block < 400; ++block) {
        if (block % 50 == 0) {
            const int type = rnd.Int(3, 4);
            const double fL = rnd.Uniform(20.0, 20000.0), fR = block % 100 == 0 ? fL : rnd.Uniform(20.0, 20000.0);
            for (CBiquadFilter* f : {&pairL, &oneL}) f->CalcCoefficients(48000.0, fL, 0.0, 1.0, type);
            for (CBiquadFilter* f : {&pairR, &oneR}) f->CalcCoefficients(48000.0, fR, 0.0, 1.0, type);
        }
        const int n = rnd.Int(1, 257);
        for (int k = 0; k < n; ++k) {
            const int pick = rnd.Int(0, 400);
            // Silence after a burst lets the tails decay through the flush threshold.
            const bool quiet = block % 7 == 3;
            inL[k] = quiet ? (pick == 1 ? -0.0 : 0.0) : Sample(rnd);
            inR[k] = quiet ? 0.0 : (pick == 2 ? 1e-300 : Sample(rnd));
        }
        CBiquadFilter::OperateStereo(pairL, pairR, inL.data(), inR.data(), outL.data(), outR.data(), n);
        oneL.OperateFilter(inL.data(), refL.data(), n);
        oneR.OperateFilter(inR.data(), refR.data(), n);
        for (int k = 0; k < n; ++k) {
            ASSERT_EQ(dsptest::Bits(outL[k]), dsptest::Bits(refL[k])) << "block " << block << " frame " << k;
            ASSERT_EQ(dsptest::Bits(outR[k]), dsptest::Bits(refR[k])) << "block " << block << " frame " << k;
        }
    }
}
