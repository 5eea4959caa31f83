#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <deque>
#include <string>
#include <limits>
#include <vector>

#include "dsp/SamplingRateConverter.h"
#include "tests/dsp/DspTestUtil.h"

namespace {

// Runs a stereo signal up and down through the converter, block by block, with
// `gap` samples of the raised rate between the two directions.
struct RoundTrip {
    SamplingRateConverter src;
    long factor;
    std::deque<double> pipeL, pipeR;

    RoundTrip(long f, long mode, size_t gap) : factor(f), pipeL(gap, 0.0), pipeR(gap, 0.0)
    {
        src.init();
        src.setSRCFactor(f, mode);
    }

    std::vector<double> Run(std::vector<double> in, long block = 64)
    {
        std::vector<double> out(in.size()), inR = in, outR(in.size());
        std::vector<double> upL(static_cast<size_t>(block * factor)), upR(upL.size());
        for (size_t k = 0; k < in.size(); k += static_cast<size_t>(block)) {
            src.usrc(&in[k], &inR[k], upL.data(), upR.data(), block);
            for (size_t i = 0; i < upL.size(); ++i) {
                pipeL.push_back(upL[i]);
                pipeR.push_back(upR[i]);
                upL[i] = pipeL.front();
                upR[i] = pipeR.front();
                pipeL.pop_front();
                pipeR.pop_front();
            }
            src.dsrc(upL.data(), upR.data(), &out[k], &outR[k], block);
        }
        for (size_t k = 0; k < in.size(); ++k) EXPECT_EQ(out[k], outR[k]);
        return out;
    }
};

} // namespace

TEST(SamplingRateConverter, SecondOrderModeSettlesNearUnityAtDc)
{
    const double expected[] = {0.99475, 1.03639, 1.00525, 0.96361};
    for (size_t gap = 0; gap < 4; ++gap) {
        RoundTrip rt(4, 101, gap);
        const std::vector<double> out = rt.Run(std::vector<double>(640, 1.0));
        EXPECT_NEAR(out.back(), expected[gap], 5e-6) << "gap " << gap;
        EXPECT_NEAR(out[600], out.back(), 1e-12);
    }
}

TEST(SamplingRateConverter, SectionPairAttenuation)
{
    // One up and one down section in a row at the raised rate of 176400 Hz.
    SamplingRateConverter src;
    src.setSRCFactor(4, 101);
    const double expectedDb[][2] = {{1000.0, -0.05}, {10000.0, -4.4}, {20000.0, -12.8}};
    for (const auto& [f, db] : expectedDb) {
        src.init();
        std::vector<double> v = dsptest::Sine(f, 176400.0, 32768);
        for (double& x : v) x = src.biquad(SamplingRateConverter::kDownLeft).process(src.biquad(SamplingRateConverter::kUpLeft).process(x));
        EXPECT_NEAR(dsptest::Db(dsptest::AmplitudeAt(v, 4096, f, 176400.0)), db, 0.05) << f << " Hz";
    }
}

// After decimation the zero-insertion images at k * fs + f fold back onto f, so a
// round trip's gain is |sum over k of G(f + k fs)|, G being up and down section in a row.
template <typename Gain> double FoldedGain(Gain g, double f, double fs)
{
    std::complex<double> sum = 0.0;
    for (int k = 0; k < 4; ++k) sum += g(f + k * fs);
    return std::abs(sum);
}

TEST(SamplingRateConverter, RoundTripGainIncludesTheFoldedImages)
{
    const double fs = 44100.0;
    BiquadFilter second;
    second.setLPF_RB(1.0, 0.5773502691896257, 8.0, 1);
    IIR_1 first;
    first.setLPF_BW(1.0, 8.0);
    auto squared = [](std::complex<double> h) { return h * h; };
    auto g101 = [&](double f) { return squared(dsptest::Transfer(second.b0, second.b1, second.b2, second.a1, second.a2, f, 4 * fs)); };
    auto g100 = [&](double f) { return squared(dsptest::Transfer(first.b0, first.b1, 0.0, -first.a, 0.0, f, 4 * fs)); };
    for (double f : {0.0, 1000.0, 10000.0, 20000.0}) {
        RoundTrip r101(4, 101, 0), r100(4, 100, 0);
        const std::vector<double> in = f == 0.0 ? std::vector<double>(8192, 1.0) : dsptest::Sine(f, fs, 8192);
        const std::vector<double> o101 = r101.Run(in), o100 = r100.Run(in);
        const double m101 = f == 0.0 ? o101.back() : dsptest::AmplitudeAt(o101, 1024, f, fs);
        const double m100 = f == 0.0 ? o100.back() : dsptest::AmplitudeAt(o100, 1024, f, fs);
        EXPECT_NEAR(dsptest::Db(m101), dsptest::Db(FoldedGain(g101, f, fs)), 0.01) << f << " Hz";
        EXPECT_NEAR(dsptest::Db(m100), dsptest::Db(FoldedGain(g100, f, fs)), 0.01) << f << " Hz";
    }
}

TEST(SamplingRateConverter, UpConversionInsertsScaledSamples)
{
    SamplingRateConverter src;
    src.setSRCFactor(4, 101);
    double inL[2] = {1.0, 0.0}, inR[2] = {0.0, 0.0};
    double upL[8], upR[8];
    EXPECT_EQ(src.usrc(inL, inR, upL, upR, 2), 2);
    // The impulse response of one section, fed 4 (the factor) at time 0.
    BiquadFilter ref;
    ref.setLPF_RB(1.0, 0.5773502691896257, 8.0, 1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(upL[i], ref.process(i == 0 ? 4.0 : 0.0));
        EXPECT_EQ(upR[i], 0.0);
    }
    EXPECT_EQ(src.getLatency(), 0);
}

TEST(SamplingRateConverter, DownConversionFiltersItsInputInPlace)
{
    SamplingRateConverter src;
    src.setSRCFactor(4, 101);
    std::vector<double> inL = dsptest::Sine(5.0, 96.0, 16), inR(16, 0.25), outL(4), outR(4);
    const std::vector<double> original = inL;
    BiquadFilter ref;
    ref.setLPF_RB(1.0, 0.5773502691896257, 8.0, 1);
    EXPECT_EQ(src.dsrc(inL.data(), inR.data(), outL.data(), outR.data(), 4), 4);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(inL[i], ref.process(original[i]));
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(outL[k], inL[k * 4]);
}

TEST(SamplingRateConverter, FactorOneCopiesAndInitClears)
{
    SamplingRateConverter src;
    src.setSRCFactor(1, 101);
    std::vector<double> a = {1.0, -2.0, 3.0}, b = {4.0, 5.0, -6.0}, oa(3), ob(3);
    EXPECT_EQ(src.usrc(a.data(), b.data(), oa.data(), ob.data(), 3), 3);
    EXPECT_EQ(oa, a);
    EXPECT_EQ(ob, b);
    EXPECT_EQ(src.dsrc(b.data(), a.data(), oa.data(), ob.data(), 3), 3);
    EXPECT_EQ(oa, b);
    EXPECT_EQ(ob, a);

    src.setSRCFactor(4, 101);
    std::vector<double> loud(64, 1.0), up(256), upR(256), zeros(64, 0.0);
    src.usrc(loud.data(), loud.data(), up.data(), upR.data(), 64);
    src.init();
    src.usrc(zeros.data(), zeros.data(), up.data(), upR.data(), 64);
    for (double v : up) ASSERT_EQ(v, 0.0);
}

TEST(SamplingRateConverter, InvalidFactorLeavesItAsItWas)
{
    SamplingRateConverter src;
    src.setSRCFactor(4, 101);
    for (long bad : {0L, -2L, 257L}) {
        src.setSRCFactor(bad, 3);
        EXPECT_EQ(src.getFactor(), 4);
        EXPECT_EQ(src.getMode(), 101);
    }
    src.setSRCFactor(2);
    EXPECT_EQ(src.getFactor(), 2);
    EXPECT_EQ(src.getMode(), 101);
}

TEST(SamplingRateConverter, RepeatAndFirstOrderModes)
{
    SamplingRateConverter src;
    src.setSRCFactor(3, 3);
    double in[2] = {1.5, -2.0}, upL[6], upR[6], out[2], outR[2];
    src.usrc(in, in, upL, upR, 2);
    const double repeated[] = {1.5, 1.5, 1.5, -2.0, -2.0, -2.0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(upL[i], repeated[i]);
    upL[1] = 99.0;
    src.dsrc(upL, upR, out, outR, 2);
    EXPECT_EQ(out[0], 1.5);
    EXPECT_EQ(out[1], -2.0);
    EXPECT_EQ(src.getLatency(), 0);

    std::vector<double> fl(6), fr(6);
    src_uzoh(in, fl.data(), 2, 3);
    src_dzoh(fl.data(), fr.data(), 2, 3);
    EXPECT_EQ(fr[1], -2.0);

}

TEST(SamplingRateConverter, LibraryModesDelayBySampleRateConverterLatency)
{
    for (long mode : {0L, 1L, 2L, 4L}) {
        SamplingRateConverter src;
        src.setSRCFactor(4, mode);
        ASSERT_TRUE(src.hasLibraryStates()) << mode;
        const long latency = src.getLatency();
        EXPECT_GE(latency, 0) << mode;
        EXPECT_LT(latency, 400) << mode;
        // A low tone comes back whole and `latency` frames late.
        RoundTrip rt(4, mode, 0);
        const std::vector<double> in = dsptest::Sine(200.0, 44100.0, 4096, 0.5);
        const std::vector<double> out = rt.Run(in);
        double worst = 0.0;
        for (size_t k = 1024; k < in.size(); ++k)
            worst = std::max(worst, std::fabs(out[k] - in[k - static_cast<size_t>(latency)]));
        EXPECT_LT(worst, mode == 4 ? 0.02 : 2e-3) << "mode " << mode << " latency " << latency;
        RecordProperty("latency_mode_" + std::to_string(mode), static_cast<int>(latency));
    }
}

TEST(SamplingRateConverter, LibraryModesSanitiseInput)
{
    SamplingRateConverter src;
    src.setSRCFactor(2, 2);
    std::vector<double> l(32, std::numeric_limits<double>::quiet_NaN()), r(32, std::numeric_limits<double>::infinity());
    std::vector<double> ul(64), ur(64);
    src.usrc(l.data(), r.data(), ul.data(), ur.data(), 32);
    for (size_t k = 0; k < 32; ++k) {
        EXPECT_EQ(l[k], 0.0);
        EXPECT_EQ(r[k], 0.0);
    }
    for (size_t k = 0; k < 64; ++k) EXPECT_EQ(ul[k], 0.0);

    // A converter type the library does not know leaves no library states.
    src.setSRCFactor(2, 77);
    EXPECT_FALSE(src.hasLibraryStates());
    EXPECT_EQ(src.usrc(l.data(), r.data(), ul.data(), ur.data(), 32), 0);
    for (double v : ul) EXPECT_EQ(v, 0.0);
}
