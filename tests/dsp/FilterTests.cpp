#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/BiquadFilter.h"
#include "dsp/CBiquadFilter.h"
#include "dsp/IIR_1.h"
#include "tests/dsp/DspTestUtil.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double Gain(const CBiquadFilter& f, double hz)
{
    return std::abs(dsptest::Transfer(f.GetB0(), f.GetB1(), f.GetB2(), f.GetA1(), f.GetA2(), hz, f.GetFs()));
}

double Gain(const BiquadFilter& f, double hz, double fs) { return std::abs(dsptest::Transfer(f.b0, f.b1, f.b2, f.a1, f.a2, hz, fs)); }

CBiquadFilter Made(double fs, double freq, int type, double gainDb = 0.0, double q = 1.0)
{
    CBiquadFilter f;
    f.CalcCoefficients(fs, freq, gainDb, q, type);
    return f;
}

std::vector<double> Filtered(CBiquadFilter& f, std::vector<double> in)
{
    std::vector<double> out(in.size());
    f.OperateFilter(in.data(), out.data(), static_cast<int>(in.size()));
    return out;
}

// Frequency where the response crosses -3 dB between lo and hi (bisection).
double MinusThreeDb(const CBiquadFilter& f, double lo, double hi)
{
    const bool fallsAtLo = Gain(f, lo) > std::sqrt(0.5);
    for (int it = 0; it < 100; ++it) ((Gain(f, (lo + hi) / 2) > std::sqrt(0.5)) == fallsAtLo ? lo : hi) = (lo + hi) / 2;
    return lo;
}

} // namespace

TEST(CBiquadFilter, ButterworthCoefficientsCornersAndClamp)
{
    const CBiquadFilter lp = Made(44100.0, 1000.0, 3), hp = Made(44100.0, 1000.0, 4);
    const double expected[][6] = {{4.42328195, -1.79943340, 0.81779024, 0.00458921, 0.00917842, 0.00458921},
                                  {4.42328195, -1.79943340, 0.81779024, 0.90430591, -1.80861182, 0.90430591}};
    for (int t = 0; t < 2; ++t) {
        const CBiquadFilter& f = t == 0 ? lp : hp;
        const double got[6] = {f.GetA0(), f.GetA1(), f.GetA2(), f.GetB0(), f.GetB1(), f.GetB2()};
        for (int c = 0; c < 6; ++c) EXPECT_NEAR(got[c], expected[t][c], 1e-8) << t << c;
    }
    EXPECT_NEAR(Gain(lp, 0.0), 1.0, 1e-12);
    EXPECT_NEAR(Gain(hp, 22050.0), 1.0, 1e-12);
    EXPECT_NEAR(Gain(hp, 0.0), 0.0, 1e-12);
    // No prewarping: the -3 dB point lies below the corner.
    EXPECT_NEAR(MinusThreeDb(Made(44100.0, 20000.0, 3), 1.0, 22000.0), 13459.0, 1.0);
    EXPECT_NEAR(MinusThreeDb(lp, 1.0, 22000.0), 998.3, 0.05);
    EXPECT_NEAR(MinusThreeDb(Made(44100.0, 20.0, 4), 1.0, 1000.0), 20.0, 0.05);

    const CBiquadFilter clamped = Made(48000.0, 30000.0, 3);
    EXPECT_DOUBLE_EQ(clamped.GetFc(), 22800.0);
    EXPECT_EQ(clamped.GetB0(), Made(48000.0, 22800.0, 3).GetB0());
    CBiquadFilter kept = lp;
    kept.CalcCoefficients(44100.0, 5000.0, 0.0, 1.0, 7); // unknown type: no change
    EXPECT_EQ(kept.GetB0(), lp.GetB0());
}

TEST(CBiquadFilter, ShelvesAndPeakReachTheirGain)
{
    const double fs = 48000.0, g = std::pow(10.0, 6.0 / 20.0);
    EXPECT_NEAR(Gain(Made(fs, 2000.0, 0, 6.0), fs / 2) * Gain(Made(fs, 2000.0, 2, 6.0), 0.0), g * g, 1e-9);
    EXPECT_NEAR(Gain(Made(fs, 2000.0, 0, 6.0), 0.0) * Gain(Made(fs, 2000.0, 2, 6.0), fs / 2), 1.0, 1e-9);
    EXPECT_NEAR(Gain(Made(fs, 2000.0, 1, 6.0, 2.0), 2000.0 * 6.283185307 / (2.0 * std::numbers::pi)), g, 1e-6);
}

TEST(CBiquadFilter, GuardsAndHistory)
{
    CBiquadFilter f = Made(44100.0, 5000.0, 3);
    std::vector<double> in(10, 0.5);
    in[4] = kNaN;
    const std::vector<double> out = Filtered(f, in);
    // The NaN stays in the input history for two more samples, then all is normal.
    for (size_t k = 0; k < out.size(); ++k) EXPECT_EQ(out[k] == 0.0, k >= 4 && k <= 6) << k;
    CBiquadFilter hp = Made(44100.0, 20.0, 4);
    EXPECT_EQ(Filtered(hp, {1e-13})[0], 0.0);
    hp.Reset();
    EXPECT_NE(Filtered(hp, {2e-12})[0], 0.0); // above 2^-40 the value stays
    std::vector<float> fin{1e-13f, 0.25f, std::numeric_limits<float>::infinity()}, fout(3);
    hp.OperateFilter(fin.data(), fout.data(), 3);
    EXPECT_EQ(fout[0], 0.0f);
    EXPECT_NE(fout[1], 0.0f);
    EXPECT_EQ(fout[2], 0.0f);

    // Any split into blocks (1 shifts the history, 2 replaces it) gives the same output.
    const std::vector<double> signal = dsptest::Sine(3000.0, 44100.0, 301);
    CBiquadFilter whole = Made(44100.0, 1000.0, 4);
    const std::vector<double> expected = Filtered(whole, signal);
    for (int block : {1, 2, 3, 64}) {
        CBiquadFilter b = Made(44100.0, 1000.0, 4);
        std::vector<double> buf = signal; // in place, too
        for (size_t k = 0; k < buf.size(); k += static_cast<size_t>(block))
            b.OperateFilter(&buf[k], &buf[k], std::min<int>(block, static_cast<int>(buf.size() - k)));
        EXPECT_EQ(buf, expected) << block;
    }
    // A new corner keeps the history: the next output uses the old samples.
    CBiquadFilter c = Made(44100.0, 1000.0, 3);
    const std::vector<double> first = Filtered(c, {1.0, 0.0});
    c.CalcCoefficients(44100.0, 4000.0, 0.0, 1.0, 3);
    EXPECT_DOUBLE_EQ(Filtered(c, {0.0})[0], c.GetB2() - c.GetA1() * first[1] - c.GetA2() * first[0]);
}

TEST(BiquadFilter, ConverterSectionAndCookbookResponses)
{
    BiquadFilter f;
    f.setLPF_RB(1.0, 0.5773502691896257, 8.0, 1);
    const double got[5] = {f.b0, f.b1, f.b2, f.a1, f.a2};
    const double expected[5] = {0.0806203606, 0.1612407212, 0.0806203606, -0.7785390720, 0.1010205144};
    for (int c = 0; c < 5; ++c) EXPECT_NEAR(got[c], expected[c], 1e-10) << c;
    EXPECT_NEAR(dsptest::Db(Gain(f, 1.0, 8.0)), -7.3, 0.05); // the host's Nyquist frequency
    EXPECT_EQ(f.process(kNaN), 0.0);

    const double fs = 48000.0, f0 = 3000.0, g = std::pow(10.0, 9.0 / 20.0);
    auto at = [&](double hz) { return Gain(f, hz, fs); };
    f.setHPF_RB(f0, 0.7, fs, 1);
    EXPECT_NEAR(at(0.0) + std::fabs(at(fs / 2) - 1.0), 0.0, 1e-12);
    f.setBPF_RB(f0, 1.0, fs, 0);
    EXPECT_NEAR(at(f0), 1.0, 1e-12);
    f.setBSF_RB(f0, 1.0, fs, 0);
    EXPECT_NEAR(at(f0), 0.0, 1e-12);
    f.setAPF_RB(f0, 1.0, fs, 0);
    EXPECT_NEAR(at(100.0) * at(20000.0), 1.0, 1e-12);
    f.setPeakEQ(f0, 9.0, 1.0, fs);
    EXPECT_NEAR(at(f0), g, 1e-12);
    f.setLSF(f0, 9.0, 1.0, fs);
    EXPECT_NEAR(at(0.0), g, 1e-12);
    f.setHSF(f0, 9.0, 5.0, fs); // slope limited to 1
    EXPECT_NEAR(at(fs / 2), g, 1e-12);
}

TEST(IIR_1, FirstOrderBilinearSections)
{
    IIR_1 lp, hp;
    lp.setLPF_BW(1.0, 8.0);
    hp.setHPF_BW(1.0, 8.0);
    auto gain = [](const IIR_1& s, double hz) { return std::abs(dsptest::Transfer(s.b0, s.b1, 0.0, -s.a, 0.0, hz, 8.0)); };
    EXPECT_NEAR(gain(lp, 0.0), 1.0, 1e-12);
    EXPECT_NEAR(gain(lp, 1.0), std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(gain(hp, 0.0), 0.0, 1e-12);
    EXPECT_NEAR(gain(hp, 1.0), std::sqrt(0.5), 1e-12);
    double y = 0.0;
    for (int k = 0; k < 200; ++k) y = lp.process(1.0); // the step settles at the DC gain
    EXPECT_NEAR(y, 1.0, 1e-12);
    EXPECT_EQ(lp.process(kNaN), 0.0);
    EXPECT_TRUE(std::isfinite(lp.process(1.0)));
}
