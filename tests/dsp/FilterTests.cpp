#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/BiquadFilter.h"
#include "dsp/CBiquadFilter.h"
#include "dsp/IIR_1.h"
#include "tests/dsp/DspTestUtil.h"

using dsptest::Magnitude;

namespace {

double Response(const CBiquadFilter& f, double freq)
{
    return Magnitude(f.GetB0(), f.GetB1(), f.GetB2(), f.GetA1(), f.GetA2(), freq, f.GetFs());
}

double Response(const BiquadFilter& f, double freq, double fs)
{
    return Magnitude(f.b0, f.b1, f.b2, f.a1, f.a2, freq, fs);
}

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

} // namespace

TEST(CBiquadFilter, ButterworthCoefficientsAt1kHz)
{
    const CBiquadFilter lp = Made(44100.0, 1000.0, 3);
    const CBiquadFilter hp = Made(44100.0, 1000.0, 4);
    for (const CBiquadFilter* f : {&lp, &hp}) {
        EXPECT_NEAR(f->GetA0(), 4.42328195, 1e-8);
        EXPECT_NEAR(f->GetA1(), -1.79943340, 1e-8);
        EXPECT_NEAR(f->GetA2(), 0.81779024, 1e-8);
    }
    EXPECT_NEAR(lp.GetB0(), 0.00458921, 1e-8);
    EXPECT_NEAR(lp.GetB1(), 0.00917842, 1e-8);
    EXPECT_NEAR(lp.GetB2(), 0.00458921, 1e-8);
    EXPECT_NEAR(hp.GetB0(), 0.90430591, 1e-8);
    EXPECT_NEAR(hp.GetB1(), -1.80861182, 1e-8);
    EXPECT_NEAR(hp.GetB2(), 0.90430591, 1e-8);
    // Unity gain where each passes: DC for the low-pass, fs/2 for the high-pass.
    EXPECT_NEAR(lp.GetB0() + lp.GetB1() + lp.GetB2(), 1.0 + lp.GetA1() + lp.GetA2(), 1e-15);
    EXPECT_NEAR(Response(hp, 22050.0), 1.0, 1e-12);
    EXPECT_NEAR(Response(hp, 0.0), 0.0, 1e-12);
}

TEST(CBiquadFilter, MinusThreeDbPointsWithoutPrewarping)
{
    const CBiquadFilter lp20k = Made(44100.0, 20000.0, 3);
    const CBiquadFilter lp1k = Made(44100.0, 1000.0, 3);
    const CBiquadFilter hp20 = Made(44100.0, 20.0, 4);
    EXPECT_NEAR(dsptest::MinusThreeDbPoint([&](double f) { return Response(lp20k, f); }, 1.0, 22000.0), 13459.0, 1.0);
    EXPECT_NEAR(dsptest::MinusThreeDbPoint([&](double f) { return Response(lp1k, f); }, 1.0, 22000.0), 998.3, 0.05);
    EXPECT_NEAR(dsptest::MinusThreeDbPoint([&](double f) { return Response(hp20, f); }, 1.0, 1000.0), 20.0, 0.05);
}

TEST(CBiquadFilter, FilteredSineFollowsTheResponse)
{
    CBiquadFilter lp = Made(44100.0, 1000.0, 3);
    const std::vector<double> out = Filtered(lp, dsptest::Sine(998.3, 44100.0, 44100));
    EXPECT_NEAR(dsptest::AmplitudeAt(out, 4410, 998.3, 44100.0), 1.0 / std::sqrt(2.0), 2e-3);
}

TEST(CBiquadFilter, CornerIsClampedBelowNyquist)
{
    const CBiquadFilter f = Made(48000.0, 30000.0, 3);
    EXPECT_DOUBLE_EQ(f.GetFc(), 22800.0);
    EXPECT_DOUBLE_EQ(f.GetFs(), 48000.0);
    const CBiquadFilter same = Made(48000.0, 22800.0, 3);
    EXPECT_EQ(f.GetB0(), same.GetB0());
    EXPECT_EQ(f.GetA1(), same.GetA1());
}

TEST(CBiquadFilter, ShelvesAndPeakReachTheirGain)
{
    const double fs = 48000.0;
    const double g = std::pow(10.0, 6.0 / 20.0);
    EXPECT_NEAR(Response(Made(fs, 2000.0, 0, 6.0), fs / 2.0), g, 1e-9); // high shelf at Nyquist
    EXPECT_NEAR(Response(Made(fs, 2000.0, 0, 6.0), 0.0), 1.0, 1e-9);
    EXPECT_NEAR(Response(Made(fs, 2000.0, 2, 6.0), 0.0), g, 1e-9); // low shelf at DC
    EXPECT_NEAR(Response(Made(fs, 2000.0, 2, 6.0), fs / 2.0), 1.0, 1e-9);
    EXPECT_NEAR(Response(Made(fs, 2000.0, 1, 6.0, 2.0), 2000.0 * 6.283185307 / (2.0 * std::numbers::pi)), g, 1e-6);
    EXPECT_NEAR(Response(Made(fs, 2000.0, 1, -6.0, 2.0), 0.0), 1.0, 1e-9);
}

TEST(CBiquadFilter, UnknownTypeLeavesTheFilterAlone)
{
    CBiquadFilter f = Made(44100.0, 1000.0, 3);
    f.CalcCoefficients(44100.0, 5000.0, 0.0, 1.0, 7);
    f.CalcCoefficients(44100.0, 5000.0, 0.0, 1.0, -1);
    EXPECT_NEAR(f.GetB0(), 0.00458921, 1e-8);
    EXPECT_DOUBLE_EQ(f.GetFc(), 1000.0);
}

TEST(CBiquadFilter, NonFiniteAndTinyOutputsBecomeZero)
{
    CBiquadFilter f = Made(44100.0, 5000.0, 3);
    std::vector<double> in(12, 0.5);
    in[4] = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> out = Filtered(f, in);
    EXPECT_NE(out[3], 0.0);
    // The NaN stays in the input history for two more samples.
    EXPECT_EQ(out[4], 0.0);
    EXPECT_EQ(out[5], 0.0);
    EXPECT_EQ(out[6], 0.0);
    for (size_t k = 7; k < out.size(); ++k) {
        EXPECT_TRUE(std::isfinite(out[k]));
        EXPECT_NE(out[k], 0.0);
    }

    CBiquadFilter hp = Made(44100.0, 20.0, 4);
    EXPECT_EQ(Filtered(hp, {1e-13})[0], 0.0);
    hp.Reset();
    EXPECT_NE(Filtered(hp, {2e-12})[0], 0.0); // above 2^-40 the value stays

    CBiquadFilter single = Made(44100.0, 20.0, 4);
    std::vector<float> fin{1e-13f, 0.25f, std::numeric_limits<float>::infinity()}, fout(3);
    single.OperateFilter(fin.data(), fout.data(), 3);
    EXPECT_EQ(fout[0], 0.0f);
    EXPECT_NE(fout[1], 0.0f);
    EXPECT_EQ(fout[2], 0.0f);
}

TEST(CBiquadFilter, HistoryCarriesAcrossBlocksOfAnySize)
{
    const std::vector<double> signal = dsptest::Sine(3000.0, 44100.0, 301);
    CBiquadFilter whole = Made(44100.0, 1000.0, 4);
    const std::vector<double> expected = Filtered(whole, signal);
    for (int block : {1, 2, 3, 64}) {
        CBiquadFilter f = Made(44100.0, 1000.0, 4);
        std::vector<double> out(signal.size());
        std::vector<double> in = signal;
        for (size_t k = 0; k < signal.size(); k += static_cast<size_t>(block)) {
            const int n = std::min<int>(block, static_cast<int>(signal.size() - k));
            f.OperateFilter(in.data() + k, out.data() + k, n);
        }
        for (size_t k = 0; k < signal.size(); ++k) ASSERT_EQ(out[k], expected[k]) << "block " << block << " at " << k;
    }
    CBiquadFilter f = Made(44100.0, 1000.0, 4);
    std::vector<double> none;
    f.OperateFilter(none.data(), none.data(), 0);
    EXPECT_EQ(Filtered(f, signal), expected); // an empty block changes nothing
}

TEST(CBiquadFilter, NewCornerKeepsTheHistory)
{
    CBiquadFilter f = Made(44100.0, 1000.0, 3);
    const std::vector<double> first = Filtered(f, {1.0, 0.0});
    f.CalcCoefficients(44100.0, 4000.0, 0.0, 1.0, 3);
    const double next = Filtered(f, {0.0})[0];
    EXPECT_DOUBLE_EQ(next, f.GetB2() * 1.0 - f.GetA1() * first[1] - f.GetA2() * first[0]);
    f.Reset();
    EXPECT_EQ(Filtered(f, {0.0})[0], 0.0);
}

TEST(CBiquadFilter, SinglePrecisionFormTracksTheDoubleForm)
{
    CBiquadFilter d = Made(44100.0, 2500.0, 3);
    CBiquadFilter s = Made(44100.0, 2500.0, 3);
    const std::vector<double> in = dsptest::Sine(440.0, 44100.0, 2000, 0.8);
    std::vector<float> fin(in.begin(), in.end()), fout(in.size());
    s.OperateFilter(fin.data(), fout.data(), static_cast<int>(fin.size()));
    std::vector<double> din(fin.begin(), fin.end());
    const std::vector<double> dout = Filtered(d, din);
    for (size_t k = 0; k < in.size(); ++k) ASSERT_NEAR(fout[k], dout[k], 1e-6);
}

TEST(CBiquadFilter, ProcessesInPlace)
{
    CBiquadFilter a = Made(44100.0, 1000.0, 3), b = Made(44100.0, 1000.0, 3);
    std::vector<double> buf = dsptest::Sine(700.0, 44100.0, 100);
    const std::vector<double> expected = Filtered(a, buf);
    b.OperateFilter(buf.data(), buf.data(), 100);
    EXPECT_EQ(buf, expected);
}

TEST(BiquadFilter, ConverterLowPassForFactorFour)
{
    BiquadFilter f;
    f.setLPF_RB(1.0, 0.5773502691896257, 8.0, 1);
    EXPECT_NEAR(f.b0, 0.0806203606, 1e-10);
    EXPECT_NEAR(f.b1, 0.1612407212, 1e-10);
    EXPECT_NEAR(f.b2, 0.0806203606, 1e-10);
    EXPECT_NEAR(f.a1, -0.7785390720, 1e-10);
    EXPECT_NEAR(f.a2, 0.1010205144, 1e-10);
    // At the host's Nyquist frequency one section loses about 7.3 dB.
    EXPECT_NEAR(dsptest::Db(Response(f, 1.0, 8.0)), -7.3, 0.05);
    EXPECT_NEAR(BiquadFilter::calcAlpha(1.0, 0.5773502691896257, 8.0, 1).first, 0.8165, 1e-4);
}

TEST(BiquadFilter, AlphaKinds)
{
    const double w0 = 2.0 * std::numbers::pi * 1000.0 / 48000.0;
    const auto [bw, s] = BiquadFilter::calcAlpha(1000.0, 1.0, 48000.0, 0);
    EXPECT_NEAR(s, std::sin(w0), 1e-15);
    EXPECT_NEAR(bw, std::sin(w0) * std::sinh(std::log(2.0) / 2.0 * w0 / std::sin(w0)), 1e-15);
    EXPECT_EQ(BiquadFilter::calcAlpha(1000.0, 1.0, 48000.0, 2).first, 0.0);
}

TEST(BiquadFilter, CookbookResponses)
{
    const double fs = 48000.0, f0 = 3000.0;
    BiquadFilter f;
    f.setHPF_RB(f0, 0.7, fs, 1);
    EXPECT_NEAR(Response(f, 0.0, fs), 0.0, 1e-12);
    EXPECT_NEAR(Response(f, fs / 2, fs), 1.0, 1e-12);
    f.setBPF_RB(f0, 1.0, fs, 0);
    EXPECT_NEAR(Response(f, f0, fs), 1.0, 1e-12);
    f.setBPFP_RB(f0, 1.0, fs, 0);
    EXPECT_NEAR(Response(f, f0, fs), std::sin(2 * std::numbers::pi * f0 / fs) / 2.0 / f.calcAlpha(f0, 1.0, fs, 0).first, 1e-12);
    f.setBSF_RB(f0, 1.0, fs, 0);
    EXPECT_NEAR(Response(f, f0, fs), 0.0, 1e-12);
    EXPECT_NEAR(Response(f, 0.0, fs), 1.0, 1e-12);
    f.setAPF_RB(f0, 1.0, fs, 0);
    for (double hz : {10.0, 3000.0, 20000.0}) EXPECT_NEAR(Response(f, hz, fs), 1.0, 1e-12);

    const double g = std::pow(10.0, 9.0 / 20.0);
    f.setPeakEQ(f0, 9.0, 1.0, fs);
    EXPECT_NEAR(Response(f, f0, fs), g, 1e-12);
    f.setLSF(f0, 9.0, 1.0, fs);
    EXPECT_NEAR(Response(f, 0.0, fs), g, 1e-12);
    EXPECT_NEAR(Response(f, fs / 2, fs), 1.0, 1e-12);
    f.setHSF(f0, 9.0, 5.0, fs); // slope limited to 1
    BiquadFilter ref;
    ref.setHSF(f0, 9.0, 1.0, fs);
    EXPECT_NEAR(Response(f, fs / 2, fs), g, 1e-12);
    EXPECT_EQ(f.b0, ref.b0);
    f.setPeakEQ(0.2, 6.0, 1.0, fs); // below 1 Hz counts as 1 Hz
    ref.setPeakEQ(1.0, 6.0, 1.0, fs);
    EXPECT_EQ(f.b1, ref.b1);
}

TEST(BiquadFilter, NonFiniteOutputsBecomeZero)
{
    BiquadFilter f;
    f.setLPF_RB(1.0, 0.5773502691896257, 8.0, 1);
    EXPECT_NE(f.process(1.0), 0.0);
    EXPECT_EQ(f.process(std::numeric_limits<double>::infinity()), 0.0);
    EXPECT_EQ(f.process(0.0), 0.0);
    EXPECT_EQ(f.process(0.0), 0.0);
    EXPECT_TRUE(std::isfinite(f.process(0.0)));
    f.init();
    EXPECT_EQ(f.process(0.0), 0.0);
}

TEST(IIR_1, FirstOrderBilinearSections)
{
    IIR_1 lp, hp;
    lp.setLPF_BW(1.0, 8.0);
    hp.setHPF_BW(1.0, 8.0);
    // Transfer (b0 + b1 z^-1) / (1 - a z^-1): written as a biquad with zero second-order terms.
    auto gain = [](const IIR_1& s, double f) { return Magnitude(s.b0, s.b1, 0.0, -s.a, 0.0, f, 8.0); };
    EXPECT_NEAR(gain(lp, 0.0), 1.0, 1e-12);
    EXPECT_NEAR(gain(lp, 1.0), 1.0 / std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(gain(hp, 0.0), 0.0, 1e-12);
    EXPECT_NEAR(gain(hp, 1.0), 1.0 / std::sqrt(2.0), 1e-12);

    // Its processing realises that transfer function: step response settles at the DC gain.
    double y = 0.0;
    for (int k = 0; k < 200; ++k) y = lp.process(1.0);
    EXPECT_NEAR(y, 1.0, 1e-12);
    EXPECT_EQ(lp.process(std::numeric_limits<double>::quiet_NaN()), 0.0);
    EXPECT_TRUE(std::isfinite(lp.process(1.0)));
    lp.init();
    EXPECT_EQ(lp.z, 0.0);
}
