// Switching the wet high-pass or low-pass in or out while a tone sounds: no click, no
// overshoot, and once the switch has faded the sound is exactly the steady one.
#include "tests/effect/HostedEffect.h"

namespace {

struct SwitchCase {
    const char* name;
    int switchIndex;
    int frequencyIndex;
    int frequency;
};

constexpr double kSampleRate = 44100.0;
// Block-aligned switch points: on until offAt, off until onAt, on again to the end.
constexpr size_t kOffAt = 172 * HostedEffect::kBlock; // about 1.0 s
constexpr size_t kOnAt = 258 * HostedEffect::kBlock;  // about 1.5 s
constexpr size_t kLength = 345 * HostedEffect::kBlock;

enum class Switching { AlwaysOn, AlwaysOff, OnOffOn };

// A 200 Hz tone, wet only, through a 10 ms delay and the filter under test.
std::vector<float> Render(const SwitchCase& c, Switching switching)
{
    HostedEffect fx(kSampleRate);
    EXPECT_TRUE(fx.IsValid());
    fx.Set(kDelayTime, 10);
    fx.Set(kBalance, 1000);
    fx.Set(c.frequencyIndex, c.frequency);
    fx.Set(c.switchIndex, switching == Switching::AlwaysOff ? 0 : 1);
    fx.Host().Dispatch(effStartProcess);
    const std::vector<float> tone = Tone(200.0, kSampleRate, kLength);
    return fx.Run(tone, tone, nullptr, [&](size_t frame) {
        if (switching != Switching::OnOffOn) return;
        if (frame == kOffAt) fx.Set(c.switchIndex, 0);
        if (frame == kOnAt) fx.Set(c.switchIndex, 1);
    });
}

} // namespace

class FilterSwitch : public HostedEffectTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(FilterSwitch, FadesWithoutClickOrOvershootIntoTheSteadySound)
{
    const SwitchCase& c = GetParam();
    const std::vector<float> on = Render(c, Switching::AlwaysOn);
    const std::vector<float> off = Render(c, Switching::AlwaysOff);
    const std::vector<float> switched = Render(c, Switching::OnOffOn);

    const size_t tenth = static_cast<size_t>(0.1 * kSampleRate), window = static_cast<size_t>(0.05 * kSampleRate);
    const float baseline = std::max(LargestSecondDifference(on, kOffAt - tenth, kOffAt),
                                    LargestSecondDifference(off, kOnAt - tenth, kOnAt));
    const float steadyPeak = std::max(Peak(on, kOffAt - tenth, kOffAt), Peak(off, kOnAt - tenth, kOnAt));
    ASSERT_GT(baseline, 0.0f);
    for (size_t at : {kOffAt, kOnAt}) {
        const char* edge = at == kOffAt ? "switching off" : "switching on";
        EXPECT_LT(LargestSecondDifference(switched, at, at + window), 2.0f * baseline) << c.name << ", " << edge;
        EXPECT_LT(Peak(switched, at, at + window), 1.01f * steadyPeak) << c.name << ", " << edge;
    }

    // After the fade (5 ms) the sound is the plain filtered or unfiltered one, bit for bit:
    // the filter kept its history running while it was off.
    const size_t faded = static_cast<size_t>(0.006 * kSampleRate);
    for (size_t i = kOffAt + faded; i < kOnAt; ++i) ASSERT_EQ(switched[i], off[i]) << c.name << " frame " << i;
    for (size_t i = kOnAt + faded; i < kLength; ++i) ASSERT_EQ(switched[i], on[i]) << c.name << " frame " << i;
    // And the filter does change the sound, so the fades above had something to hide.
    EXPECT_NE(std::vector<float>(on.begin() + kOffAt, on.end()), std::vector<float>(off.begin() + kOffAt, off.end()));
}

INSTANTIATE_TEST_SUITE_P(WetFilters, FilterSwitch,
                         ::testing::Values(SwitchCase {"high-pass 20 Hz", kHpfOn, kHpfFreq, 20},
                                           SwitchCase {"low-pass 400 Hz", kLpfOn, kLpfFreq, 400}),
                         [](const ::testing::TestParamInfo<SwitchCase>& info) {
                             return std::string(info.param.switchIndex == kHpfOn ? "HighPass" : "LowPass");
                         });
