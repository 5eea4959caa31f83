// What leaves the bundle for the host: the safety limit on both entries, the
// double-precision entry's respect for its inputs, and HOST tempo mode when the host
// has no tempo to give.
#include "tests/effect/HostedEffect.h"

#include <limits>

namespace {

// The nudged real values of the two gains at Input Level 0 dB and Output Level +6 dB.
const double kInputGain = 1.00005f;
const double kOutputGainPlus6 = 2.00005f;
const double kLimit = 63.09573444801933; // +36 dBFS
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Dry only at +6 dB: the output is the input times both gains, unless it is no music.
void DryAtPlusSix(HostedEffect& fx)
{
    fx.Set(kBalance, 0);
    fx.Set(kOutputLevel, 60);
}

} // namespace

using OutputLimit = HostedEffectTest;

TEST_F(OutputLimit, FullScaleAtTheLoudestSettingsPassesUntouched)
{
    HostedEffect fx;
    DryAtPlusSix(fx);
    std::vector<float> in = Noise(4096, 1, 1.0f);
    in[100] = 1.0f;
    in[200] = -1.0f;
    std::vector<float> right;
    const std::vector<float> left = fx.Run(in, in, &right);
    for (size_t i = 0; i < in.size(); ++i) {
        const float expected = static_cast<float>(static_cast<double>(in[i]) * kInputGain * kOutputGainPlus6);
        ASSERT_EQ(left[i], expected) << i;
        ASSERT_EQ(right[i], expected) << i;
    }
}

TEST_F(OutputLimit, HugeValuesAreHeldAtPlus36DbAndNonFiniteOnesLeaveAsSilence)
{
    // Single precision: 3e38 at +6 dB is finite inside but would narrow to infinity.
    {
        HostedEffect fx;
        DryAtPlusSix(fx);
        const std::vector<float> in = {1e30f, -1e30f, 3e38f, -3e38f, 0.25f, std::nanf(""), INFINITY, -INFINITY, 63.0f};
        const std::vector<float> out = fx.Run(in, in);
        const float limit = static_cast<float>(kLimit);
        const std::vector<float> expected = {limit, -limit, limit, -limit,
                                             static_cast<float>(0.25 * kInputGain * kOutputGainPlus6), 0.0f, 0.0f, 0.0f,
                                             limit};
        EXPECT_EQ(out, expected);
    }
    // Double precision: 1.7e308 at +6 dB overflows to infinity, which must not leave.
    {
        HostedEffect fx;
        DryAtPlusSix(fx);
        std::vector<double> left = {1e300, -1.7e308, 1.7e308, kNaN, -kInf, 0.125}, right = left;
        std::vector<double> outL(left.size()), outR(left.size());
        double* in[2] = {left.data(), right.data()};
        double* out[2] = {outL.data(), outR.data()};
        fx.Host().ProcessDoubleReplacing(in, out, static_cast<int32_t>(left.size()));
        const std::vector<double> expected = {kLimit, 0.0, 0.0, 0.0, 0.0, 0.125 * kInputGain * kOutputGainPlus6};
        EXPECT_EQ(outL, expected);
        EXPECT_EQ(outR, expected);
    }
    // Through the wet path with full feedback: whatever the line makes of it stays bounded,
    // and ordinary sound afterwards comes out as ordinary sound.
    {
        HostedEffect fx;
        fx.Set(kDelayTime, 3);
        fx.Set(kFeedBack, 1000);
        fx.Set(kBalance, 500);
        fx.Set(kOutputLevel, 60);
        std::vector<float> in = Noise(8192, 2, 1e37f);
        const std::vector<float> out = fx.Run(in, in);
        for (float y : out) ASSERT_TRUE(std::isfinite(y) && std::fabs(y) <= static_cast<float>(kLimit)) << y;
    }
}

using DoubleEntry = HostedEffectTest;

TEST_F(DoubleEntry, LeavesItsInputsAloneAndSoundsLikeTheSingleEntry)
{
    auto prepare = [](HostedEffect& fx) {
        fx.Set(kInputLevel, -30);
        fx.Set(kDelayTime, 7);
        fx.Set(kFeedBack, 600);
        fx.Set(kDepth, 500);
        fx.Set(kRate, 20);
        fx.Set(kBalance, 500);
        fx.Set(kHpfOn, 1);
        fx.Set(kLpfOn, 1);
        fx.Set(kHpfFreq, 200);
        fx.Set(kLpfFreq, 5000);
    };
    const size_t frames = 6000;
    const std::vector<float> noiseL = Noise(frames, 3, 0.8f), noiseR = Noise(frames, 4, 0.8f);

    HostedEffect single;
    prepare(single);
    std::vector<float> singleR;
    const std::vector<float> singleL = single.Run(noiseL, noiseR, &singleR);

    // Calls longer than the announced block size, out of place and in place.
    for (bool inPlace : {false, true}) {
        HostedEffect twin;
        prepare(twin);
        std::vector<double> left(noiseL.begin(), noiseL.end()), right(noiseR.begin(), noiseR.end());
        const std::vector<double> heldL = left, heldR = right;
        std::vector<double> outL(frames), outR(frames);
        for (size_t at = 0; at < frames; at += 1000) {
            double* in[2] = {left.data() + at, right.data() + at};
            double* out[2] = {outL.data() + at, outR.data() + at};
            twin.Host().ProcessDoubleReplacing(in, inPlace ? in : out, 1000);
        }
        if (inPlace) {
            outL = left;
            outR = right;
        } else {
            ASSERT_EQ(left, heldL) << "the host's input arrays are not written";
            ASSERT_EQ(right, heldR);
        }
        for (size_t i = 0; i < frames; ++i) {
            ASSERT_EQ(static_cast<float>(outL[i]), singleL[i]) << (inPlace ? "in place, " : "") << "frame " << i;
            ASSERT_EQ(static_cast<float>(outR[i]), singleR[i]) << (inPlace ? "in place, " : "") << "frame " << i;
        }
    }
}

using HostTempoMissing = HostedEffectTest;

TEST_F(HostTempoMissing, TheKeptBpmAndNoteTimeTheDelayFromMsMode)
{
    HostedEffect fx;
    fx.Set(kDelayTime, 300);
    fx.Set(kNote, 8); // 1/2
    fx.Set(kBalance, 1000);
    ASSERT_EQ(fx.Display(kTimeMode), "MS");
    ASSERT_EQ(fx.Display(kBpm), "120.0");
    fx.Set(kTimeMode, kTimeModeHost);
    EXPECT_EQ(fx.Display(kDelayTime), "1000") << "on switching to HOST";

    // The echo of a click comes after the displayed time, not the old 300 ms.
    std::vector<float> click(static_cast<size_t>(1.2 * fx.Rate()), 0.0f);
    click[0] = 1.0f;
    const std::vector<float> out = fx.Run(click, click);
    EXPECT_EQ(fx.Display(kBpm), "120.0");
    EXPECT_EQ(fx.Display(kDelayTime), "1000");
    size_t echo = 0;
    for (size_t i = 1; i < out.size(); ++i)
        if (std::fabs(out[i]) > std::fabs(out[echo])) echo = i;
    EXPECT_NEAR(static_cast<double>(echo) / fx.Rate(), 1.0, 0.002);

    fx.Set(kNote, 6); // 1/4
    EXPECT_EQ(fx.Display(kDelayTime), "500") << "a Note change in HOST mode recomputes";
    fx.Set(kBpm, 1000);
    EXPECT_EQ(fx.Display(kDelayTime), "600") << "so does a BPM change";

    // A time info whose tempo is not marked valid is no tempo either.
    const std::vector<float> silence(HostedEffect::kBlock, 0.0f);
    fx.Host().SetTempo(150.0, true);
    fx.Host().SetTempoMarkedValid(false);
    fx.Run(silence, silence);
    EXPECT_EQ(fx.Display(kBpm), "100.0");
    EXPECT_EQ(fx.Display(kDelayTime), "600");

    // A tempo that comes and goes: the last one is kept and keeps timing the note.
    fx.Host().SetTempoMarkedValid(true);
    fx.Run(silence, silence);
    EXPECT_EQ(fx.Display(kBpm), "150.0");
    EXPECT_EQ(fx.Display(kDelayTime), "400");
    fx.Host().SetTempo(0.0, false);
    fx.Set(kNote, 8);
    fx.Run(silence, silence);
    EXPECT_EQ(fx.Display(kBpm), "150.0");
    EXPECT_EQ(fx.Display(kDelayTime), "800");
}
