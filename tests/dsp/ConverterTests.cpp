#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <deque>
#include <limits>
#include <string>
#include <vector>

#include "dsp/SamplingRateConverter.h"
#include "tests/dsp/DspTestUtil.h"

namespace {

// A signal up and down through the converter in blocks of 64, with `gap` samples
// of the raised rate between the directions; both channels carry it.
std::vector<double> RoundTrip(long factor, long mode, std::vector<double> in, size_t gap = 0)
{
    SamplingRateConverter src;
    src.setSRCFactor(factor, mode);
    const long block = 64;
    std::deque<double> pipe(gap, 0.0);
    std::vector<double> inR = in, out(in.size()), outR(in.size()), up(static_cast<size_t>(block * factor)), upR(up.size());
    for (size_t k = 0; k < in.size(); k += block) {
        src.usrc(&in[k], &inR[k], up.data(), upR.data(), block);
        for (size_t i = 0; i < up.size(); ++i) {
            pipe.push_back(up[i]);
            up[i] = upR[i] = pipe.front();
            pipe.pop_front();
        }
        src.dsrc(up.data(), upR.data(), &out[k], &outR[k], block);
    }
    EXPECT_EQ(out, outR);
    return out;
}

} // namespace

TEST(SamplingRateConverter, SecondOrderModeAtDcAndThroughTheSections)
{
    // The zero-insertion images leave the settled DC level slightly off unity,
    // differently for each offset between the directions.
    const double settled[] = {0.99475, 1.03639, 1.00525, 0.96361};
    for (size_t gap = 0; gap < 4; ++gap)
        EXPECT_NEAR(RoundTrip(4, 101, std::vector<double>(640, 1.0), gap).back(), settled[gap], 5e-6) << gap;

    // One up and one down section in a row at the raised rate (176400 Hz).
    SamplingRateConverter src;
    src.setSRCFactor(4, 101);
    for (const auto& [hz, db] : {std::pair{1000.0, -0.05}, {10000.0, -4.4}, {20000.0, -12.8}}) {
        src.init();
        std::vector<double> v = dsptest::Sine(hz, 176400.0, 32768);
        for (double& x : v) x = src.biquad(SamplingRateConverter::kDownLeft).process(src.biquad(SamplingRateConverter::kUpLeft).process(x));
        EXPECT_NEAR(dsptest::Db(dsptest::AmplitudeAt(v, 4096, hz, 176400.0)), db, 0.05) << hz;
    }
}

TEST(SamplingRateConverter, RoundTripGainIncludesTheFoldedImages)
{
    // After decimation the images at k fs + f fold onto f: the gain of a round trip
    // is |sum over k of G(f + k fs)|, G being the two sections in a row.
    BiquadFilter second;
    second.setLPF_RB(1.0, 0.5773502691896257, 8.0, 1);
    IIR_1 first;
    first.setLPF_BW(1.0, 8.0);
    auto folded = [](auto section, double f) {
        std::complex<double> sum = 0.0;
        for (int k = 0; k < 4; ++k) sum += std::pow(section(f + k * 44100.0), 2);
        return dsptest::Db(std::abs(sum));
    };
    auto h101 = [&](double f) { return dsptest::Transfer(second.b0, second.b1, second.b2, second.a1, second.a2, f, 176400.0); };
    auto h100 = [&](double f) { return dsptest::Transfer(first.b0, first.b1, 0.0, -first.a, 0.0, f, 176400.0); };
    for (double f : {1000.0, 10000.0, 20000.0}) {
        const std::vector<double> in = dsptest::Sine(f, 44100.0, 8192);
        EXPECT_NEAR(dsptest::Db(dsptest::AmplitudeAt(RoundTrip(4, 101, in), 1024, f, 44100.0)), folded(h101, f), 0.01) << f;
        EXPECT_NEAR(dsptest::Db(dsptest::AmplitudeAt(RoundTrip(4, 100, in), 1024, f, 44100.0)), folded(h100, f), 0.01) << f;
    }
}

TEST(SamplingRateConverter, DirectionsFactorsAndModes)
{
    SamplingRateConverter src;
    src.setSRCFactor(4, 101);
    // dsrc filters its input in place and keeps the first sample of each group.
    std::vector<double> inL = dsptest::Sine(5.0, 96.0, 16), inR(16, 0.25), outL(4), outR(4);
    const std::vector<double> original = inL;
    BiquadFilter ref = src.biquad(SamplingRateConverter::kDownLeft);
    EXPECT_EQ(src.dsrc(inL.data(), inR.data(), outL.data(), outR.data(), 4), 4);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(inL[i], ref.process(original[i]));
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(outL[k], inL[k * 4]);
    // After init a block of zeros gives zeros.
    std::vector<double> zeros(4, 0.0), up(16), upR(16);
    src.init();
    src.usrc(zeros.data(), zeros.data(), up.data(), upR.data(), 4);
    EXPECT_EQ(up, std::vector<double>(16, 0.0));
    EXPECT_EQ(src.getLatency(), 0);

    for (long bad : {0L, -2L, 257L}) src.setSRCFactor(bad, 3); // refused: nothing changes
    EXPECT_EQ(src.getFactor(), 4);
    EXPECT_EQ(src.getMode(), 101);

    src.setSRCFactor(1, 101); // copies both ways
    std::vector<double> a = {1.0, -2.0}, b = {4.0, 5.0}, oa(2), ob(2);
    src.usrc(a.data(), b.data(), oa.data(), ob.data(), 2);
    src.dsrc(oa.data(), ob.data(), oa.data(), ob.data(), 2);
    EXPECT_EQ(oa, a);
    EXPECT_EQ(ob, b);

    src.setSRCFactor(3, 3); // repeat up, first of each group down
    double rep[6], repR[6], down[2], downR[2];
    src.usrc(a.data(), b.data(), rep, repR, 2);
    EXPECT_EQ(std::vector<double>(rep, rep + 6), (std::vector<double>{1.0, 1.0, 1.0, -2.0, -2.0, -2.0}));
    rep[1] = 99.0;
    src.dsrc(rep, repR, down, downR, 2);
    EXPECT_EQ(down[1], -2.0);
    EXPECT_EQ(down[0], 1.0);
}

TEST(SamplingRateConverter, LibraryModesLatencyAndInput)
{
    for (long mode : {0L, 1L, 2L, 4L}) {
        SamplingRateConverter src;
        src.setSRCFactor(4, mode);
        ASSERT_TRUE(src.hasLibraryStates()) << mode;
        const long latency = src.getLatency();
        RecordProperty("latency_mode_" + std::to_string(mode), static_cast<int>(latency));
        // A low tone comes back whole, exactly `latency` host frames late.
        const std::vector<double> in = dsptest::Sine(200.0, 44100.0, 4096, 0.5);
        const std::vector<double> out = RoundTrip(4, mode, in);
        double worst = 0.0;
        for (size_t k = 1024; k < in.size(); ++k) worst = std::max(worst, std::fabs(out[k] - in[k - static_cast<size_t>(latency)]));
        EXPECT_LT(worst, mode == 4 ? 0.02 : 2e-3) << "mode " << mode << " latency " << latency;
    }
    SamplingRateConverter src;
    src.setSRCFactor(2, 2);
    std::vector<double> l(32, std::numeric_limits<double>::quiet_NaN()), r(32, std::numeric_limits<double>::infinity()), ul(64), ur(64);
    src.usrc(l.data(), r.data(), ul.data(), ur.data(), 32);
    EXPECT_EQ(l, std::vector<double>(32, 0.0)); // replaced in the caller's arrays
    EXPECT_EQ(r, std::vector<double>(32, 0.0));
    EXPECT_EQ(ul, std::vector<double>(64, 0.0));
    src.setSRCFactor(2, 77); // a type the library lacks: no states, silence
    EXPECT_FALSE(src.hasLibraryStates());
    ul.assign(64, 1.0);
    EXPECT_EQ(src.usrc(l.data(), r.data(), ul.data(), ur.data(), 32), 0);
    EXPECT_EQ(ul, std::vector<double>(64, 0.0));
}
