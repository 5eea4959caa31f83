// The converter's sections a frame at a time against the plain form: within rounding
// over long runs of the whole engine (every build with the baseline build's bits), and
// the same guards where a value is not finite.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "dsp/CBiquadFilter.h"
#include "dsp/DelayMain.h"
#include "dsp/StereoFrameSections.h"
#include "tests/dsp/DspTestUtil.h"

namespace {

constexpr double kTolerance = 1e-12; // times max(1, peak of the plain form's output)

struct Setting {
    const char* name;
    long fs;
    float depth, feedback;
    bool glide, filters;
};

// Ten seconds of two detuned tones and noise, at about full scale.
double Audio(dsptest::Random& rnd, long k, long fs, int channel)
{
    const double t = static_cast<double>(k) / static_cast<double>(fs);
    return 0.45 * std::sin(6.283185307179586 * (220.0 + 3.0 * channel) * t) + 0.3 * std::sin(6.283185307179586 * 3150.0 * t)
        + rnd.Uniform(-0.25, 0.25);
}

class BlockEngine : public ::testing::TestWithParam<kdsp::SimdPath> {};

} // namespace

TEST_P(BlockEngine, StaysWithinRoundingOfThePlainForm)
{
    const kdsp::SimdPath path = GetParam();
    if (!kdsp::SimdPathSupported(path)) GTEST_SKIP() << "this processor lacks " << kdsp::SimdPathName(path);
    const Setting settings[] = {
        {"static", 48000, 0.0f, 0.5f, false, false},    {"modulated", 44100, 0.6f, 0.5f, false, true},
        {"gliding", 48000, 0.2f, 0.4f, true, false},    {"feedback high", 96000, 0.3f, 0.98f, false, true},
        {"filters on 96k", 96000, 0.0f, 0.7f, true, true}, {"modulated 96k", 96000, 0.9f, 0.9f, false, false}, {"feedback full", 48000, 0.5f, 1.0f, false, false},
    };
    for (const Setting& s : settings) {
        // baseline: the baseline build's block form, whose bits every wider build keeps.
        DelayMain block, plain, baseline;
        for (DelayMain* dm : {&block, &plain, &baseline}) {
            dm->SetStereo(1);
            dm->SetMaxDelayTime(1200.0f);
            dm->SetFs(s.fs);
            dm->SetBloackSize(256);
            dm->SetFeedBack(s.feedback);
            dm->SetDelayTime(250.0f);
            dm->SetLFODepth(s.depth);
            dm->SetLFORate(2.5f);
        }
        ASSERT_TRUE(block.SetSimdPath(path));
        ASSERT_TRUE(baseline.SetSimdPath(kdsp::SimdPath::kBaseline));
        block.SetBlockSections(true);
        baseline.SetBlockSections(true);
        CBiquadFilter filters[3][4]; // [block, plain, baseline][high L, high R, low L, low R]
        for (auto& set : filters) {
            for (int c : {0, 1}) set[c].CalcCoefficients(static_cast<double>(s.fs), 150.0, 0.0, 1.0, 4);
            for (int c : {2, 3}) set[c].CalcCoefficients(static_cast<double>(s.fs), 6000.0, 0.0, 1.0, 3);
        }
        const DelayMain::WetFilters wet {&filters[0][0], &filters[0][1], &filters[0][2], &filters[0][3], true,
                                         DelayMain::WetFilters::kLow};
        const DelayMain::WetFilters baseWet {&filters[2][0], &filters[2][1], &filters[2][2], &filters[2][3], true,
                                             DelayMain::WetFilters::kLow};
        dsptest::Random rnd(static_cast<uint64_t>(s.fs) + static_cast<uint64_t>(s.depth * 10.0f));
        std::vector<double> inL(256), inR(256), bl(256), br(256), pl(256), pr(256), hl(256), hr(256), ll(256), lr(256);
        std::vector<double> basel(256), baser(256);
        double peak = 0.0, worst = 0.0;
        long differing = 0, unlikeBaseline = 0;
        bool longer = true;
        for (long done = 0; done < 10 * s.fs;) {
            if (s.glide && !plain.IsGliding()) {
                for (DelayMain* dm : {&block, &plain, &baseline}) dm->SetDelayTime(longer ? 900.0f : 120.0f);
                longer = !longer;
            }
            const int n = std::min<int>(rnd.Int(1, 256), static_cast<int>(10 * s.fs - done));
            for (int k = 0; k < n; ++k) {
                inL[static_cast<size_t>(k)] = Audio(rnd, done + k, s.fs, 0);
                inR[static_cast<size_t>(k)] = Audio(rnd, done + k, s.fs, 1);
            }
            std::vector<double> inL2 = inL, inR2 = inR, inL3 = inL, inR3 = inR;
            double *ai[2] = {inL3.data(), inR3.data()}, *ao[2] = {basel.data(), baser.data()};
            double *bi[2] = {inL.data(), inR.data()}, *bo[2] = {bl.data(), br.data()};
            double *pi[2] = {inL2.data(), inR2.data()}, *po[2] = {pl.data(), pr.data()};
            if (s.filters) block.Process(bi, bo, n, wet);
            else block.Process(bi, bo, n);
            if (s.filters) baseline.Process(ai, ao, n, baseWet);
            else baseline.Process(ai, ao, n);
            plain.ProcessPlain(pi, po, n);
            const double* wantL = pl.data();
            const double* wantR = pr.data();
            if (s.filters) {
                CBiquadFilter* p = filters[1];
                CBiquadFilter::OperateCascade(p[0], p[1], p[2], p[3], true, pl.data(), pr.data(), hl.data(), hr.data(),
                                              ll.data(), lr.data(), n);
                wantL = ll.data();
                wantR = lr.data();
            }
            for (size_t k = 0; k < static_cast<size_t>(n); ++k) {
                peak = std::max({peak, std::fabs(wantL[k]), std::fabs(wantR[k])});
                worst = std::max({worst, std::fabs(bl[k] - wantL[k]), std::fabs(br[k] - wantR[k])});
                differing += (bl[k] != wantL[k]) + (br[k] != wantR[k]);
                unlikeBaseline += (dsptest::Bits(bl[k]) != dsptest::Bits(basel[k])) + (dsptest::Bits(br[k]) != dsptest::Bits(baser[k]));
            }
            done += n;
        }
        EXPECT_LE(worst, kTolerance * std::max(1.0, peak)) << s.name;
        EXPECT_GT(peak, 0.3) << s.name << ": the run should carry signal";
        // The frame-at-a-time sums round differently: equal bits everywhere would mean
        // the block form never ran.
        EXPECT_GT(differing, 0) << s.name;
        EXPECT_EQ(unlikeBaseline, 0) << s.name << ": the wider builds give the baseline build's bits";
    }
}

INSTANTIATE_TEST_SUITE_P(BlockSections, BlockEngine,
                         ::testing::Values(kdsp::SimdPath::kBaseline, kdsp::SimdPath::kAvx2, kdsp::SimdPath::kAvx512),
                         [](const auto& info) { return std::string(kdsp::SimdPathName(info.param)); });

namespace {

// A value for a frame: mostly audio-sized, at times one the guards must catch or one
// close enough to overflow that the block form must leave it to the step form.
double Value(dsptest::Random& rnd)
{
    switch (rnd.Int(0, 40)) {
    case 0: return std::numeric_limits<double>::quiet_NaN();
    case 1: return -std::numeric_limits<double>::infinity();
    case 2: return 1.6e308;
    case 3: return -3e305;
    default: return rnd.Uniform(-4.0, 4.0);
    }
}

bool Bad(double v) { return !(std::fabs(v) < 1e300); }

void Coefficients(BiquadFilter& f, double fs) { f.setLPF_RB(1.0, 0.5773502691896257, fs, 1); }

struct Outcome {
    std::vector<double> got, want;
    bool bad;    // a frame input is NaN, infinite or near overflow
    double size; // the largest input magnitude
};

double HistorySize(const BiquadFilter& f)
{
    return std::fabs(f.x1) + std::fabs(f.x2) + std::fabs(f.y1) + std::fabs(f.y2);
}

// Sections of both forms from the same history, runs of frames of random values through
// each. While the two still agree bit for bit, a frame with a bad value, in its inputs
// or in the history, must give exactly the step form's bits (its guards); a frame
// without one stays within rounding of it; every output is finite.
template <class Block, class Step, class Run> void CompareFrames(uint64_t seed, Run run)
{
    dsptest::Random rnd(seed);
    long exact = 0, rounded = 0;
    // One carry for all trials, as an engine keeps it: the coefficients alternate, so
    // stale weights would show.
    BlockCarry carry;
    for (int trial = 0; trial < 5000; ++trial) {
        BiquadFilter b[2], p[2];
        for (int lane : {0, 1}) {
            Coefficients(b[lane], trial % 2 ? 8.0 : 4.0);
            b[lane].y1 = trial % 5 == 0 ? Value(rnd) : rnd.Uniform(-4.0, 4.0);
            b[lane].y2 = rnd.Uniform(-4.0, 4.0);
            p[lane] = b[lane];
        }
        Block block(b[0], b[1], carry);
        Step step(p[0], p[1], carry);
        block.Begin();
        step.Begin();
        bool same = true;
        for (int frame = 0; frame < 6; ++frame) {
            const double history = std::max(HistorySize(p[0]), HistorySize(p[1]));
            const Outcome o = run(block, step, rnd);
            const bool bad = o.bad || Bad(history);
            for (double v : o.got) ASSERT_TRUE(std::isfinite(v)) << trial << " " << frame;
            if (bad && same) {
                ++exact;
                for (size_t i = 0; i < o.got.size(); ++i)
                    ASSERT_EQ(dsptest::Bits(o.got[i]), dsptest::Bits(o.want[i])) << trial << " " << frame << " " << i;
            } else if (!bad) {
                ++rounded;
                const double scale = std::max({1.0, history, o.size});
                for (size_t i = 0; i < o.got.size(); ++i) {
                    ASSERT_NEAR(o.got[i], o.want[i], kTolerance * scale) << trial << " " << frame << " " << i;
                    same = same && o.got[i] == o.want[i];
                }
            }
            // The histories too: the down section keeps outputs it does not hand out.
            block.Store();
            step.Store();
            for (int lane : {0, 1})
                same = same && dsptest::Bits(b[lane].y1) == dsptest::Bits(p[lane].y1)
                    && dsptest::Bits(b[lane].y2) == dsptest::Bits(p[lane].y2);
        }
    }
    EXPECT_GT(exact, 500);
    EXPECT_GT(rounded, 5000);
}

__m128d Pair(dsptest::Random& rnd, bool& bad, double& size)
{
    const double l = Value(rnd), r = Value(rnd);
    bad = bad || Bad(l) || Bad(r);
    size = std::max({size, std::fabs(l), std::fabs(r)});
    return _mm_set_pd(r, l);
}

std::vector<double> Lanes(const __m128d* v, int count)
{
    std::vector<double> out(2 * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) _mm_storeu_pd(&out[2 * static_cast<size_t>(i)], v[i]);
    return out;
}

} // namespace

TEST(BlockSections, UpFramesGuardAsTheStepForm)
{
    CompareFrames<StereoBlockUp, StereoStepUp>(21, [](StereoBlockUp& block, StereoStepUp& step, dsptest::Random& rnd) {
        Outcome o {{}, {}, false, 0.0};
        const __m128d x = Pair(rnd, o.bad, o.size);
        __m128d got[4], want[4];
        block.Raise(x, got);
        step.Raise(x, want);
        o.got = Lanes(got, 4);
        o.want = Lanes(want, 4);
        return o;
    });
}

TEST(BlockSections, DownFramesGuardAsTheStepForm)
{
    CompareFrames<StereoBlockDown, StereoStepDown>(22, [](StereoBlockDown& block, StereoStepDown& step, dsptest::Random& rnd) {
        Outcome o {{}, {}, false, 0.0};
        __m128d u[4];
        for (__m128d& v : u) v = Pair(rnd, o.bad, o.size);
        const __m128d got = block.Lower(u), want = step.Lower(u);
        o.got = Lanes(&got, 1);
        o.want = Lanes(&want, 1);
        return o;
    });
}
