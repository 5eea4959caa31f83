// The effect's input and output passes, the baseline build and the AVX2 one, against the
// one-sample loops they replace: the same samples and peaks bit for bit, for float and
// double hosts, lengths of every remainder, with values the guards and the limit must
// catch.
#include "effect/StereoPasses.h"
#include "dsp/SimdPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

template <typename T> auto Bits(T v)
{
    std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t> b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The one-channel forms.
double FiniteOrZero(double x) { return std::fabs(x) <= DBL_MAX ? x : 0.0; }
double SafeForHost(double y)
{
    const double v = std::isfinite(y) ? y : 0.0;
    const double below = v < stereo_pass::kOutputLimit ? v : stereo_pass::kOutputLimit;
    return below > -stereo_pass::kOutputLimit ? below : -stereo_pass::kOutputLimit;
}

template <typename Sample> Sample Pick(std::mt19937& rnd)
{
    const int kind = static_cast<int>(rnd() % 64);
    const double big = std::numeric_limits<Sample>::max();
    switch (kind) {
    case 0: return std::numeric_limits<Sample>::quiet_NaN();
    case 1: return -std::numeric_limits<Sample>::infinity();
    case 2: return static_cast<Sample>(big);
    case 3: return static_cast<Sample>(-0.0);
    case 4: return std::numeric_limits<Sample>::denorm_min() * 7;
    default: return static_cast<Sample>(std::uniform_real_distribution<double>(-2.0, 2.0)(rnd));
    }
}

template <typename Sample> void CompareBothPasses(bool wide)
{
    std::mt19937 rnd(5);
    for (int round = 0; round < 400; ++round) {
        const int n = static_cast<int>(rnd() % 300);
        std::vector<Sample> l(n + 1), r(n + 1);
        for (int i = 0; i < n; ++i) {
            l[i] = Pick<Sample>(rnd);
            r[i] = Pick<Sample>(rnd);
        }
        // Gains up to +36 dB, now and then one that overflows a double from a large sample.
        const double gain = round % 17 == 0 ? 1e300 : std::uniform_real_distribution<double>(0.0, 63.0)(rnd);
        const float start[2] = {static_cast<float>(rnd() % 3) * 0.25f, 0.0f};

        std::vector<double> gl(n + 1), gr(n + 1), el(n + 1), er(n + 1);
        const Sample* source[2] = {l.data(), r.data()};
        double* gained[2] = {gl.data(), gr.data()};
        float peaks[2] = {start[0], start[1]};
        if (wide) stereo_pass::GainInputWide(source, gain, gained, n, peaks);
        else stereo_pass::GainInput(source, gain, gained, n, peaks);
        for (int ch = 0; ch < 2; ++ch) {
            double peak = start[ch];
            for (int i = 0; i < n; ++i) {
                const double x = FiniteOrZero(static_cast<double>(source[ch][i]) * gain);
                ASSERT_EQ(Bits(gained[ch][i]), Bits(x)) << round << " " << ch << " " << i;
                peak = std::max(peak, std::fabs(x));
            }
            ASSERT_EQ(Bits(peaks[ch]), Bits(static_cast<float>(peak))) << round << " " << ch;
        }

        // The wet signal: the gained input, a value or two beyond the limit, NaN.
        for (int i = 0; i < n; ++i) {
            el[i] = i % 37 == 5 ? std::numeric_limits<double>::quiet_NaN() : gl[i] * (i % 11 == 0 ? 1e3 : -0.7);
            er[i] = gr[i] * 0.3;
        }
        const double balance = static_cast<double>(static_cast<float>(rnd() % 101) / 100.0f);
        const double outGain = std::uniform_real_distribution<double>(0.0, 4.0)(rnd);
        std::vector<Sample> ol(n + 1), orr(n + 1);
        const double* wet[2] = {el.data(), er.data()};
        const double* dry[2] = {gl.data(), gr.data()};
        Sample* out[2] = {ol.data(), orr.data()};
        float outPeaks[2] = {start[1], start[0]};
        if (wide) stereo_pass::MixOutputWide(wet, dry, balance, outGain, out, n, outPeaks);
        else stereo_pass::MixOutput(wet, dry, balance, outGain, out, n, outPeaks);
        for (int ch = 0; ch < 2; ++ch) {
            double peak = ch == 0 ? start[1] : start[0];
            for (int i = 0; i < n; ++i) {
                const double y = SafeForHost((wet[ch][i] * balance + dry[ch][i] * (1.0 - balance)) * outGain);
                ASSERT_EQ(Bits(out[ch][i]), Bits(static_cast<Sample>(y))) << round << " " << ch << " " << i;
                peak = std::max(peak, std::fabs(y));
            }
            ASSERT_EQ(Bits(outPeaks[ch]), Bits(static_cast<float>(peak))) << round << " " << ch;
        }
        ASSERT_EQ(ol[n], Sample(0)) << "nothing written past the block";
        ASSERT_EQ(gl[n], 0.0) << "nothing written past the block";
    }
}

} // namespace

// As the effect runs them (flush-to-zero, subnormals read as zero), and without.
TEST(StereoPasses, MatchTheOneChannelLoopsForFloatAndDoubleHosts)
{
    const unsigned saved = _mm_getcsr();
    for (unsigned modes : {0u, 0x8040u}) {
        _mm_setcsr(saved | modes);
        for (bool wide : {false, true}) {
            if (wide && !kdsp::SimdPathSupported(kdsp::SimdPath::kAvx2)) continue;
            CompareBothPasses<float>(wide);
            CompareBothPasses<double>(wide);
        }
    }
    _mm_setcsr(saved);
}
