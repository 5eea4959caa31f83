// The factory bank that ships in the bundle, as a host and a musician meet it.
#include "tools/factory-bank/FactoryPrograms.h"
#include "tools/host/VstHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

const VstLibrary& Library()
{
    static VstLibrary library(KESTRUNE_BUNDLE_DIR);
    return library;
}

std::string OneDecimal(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

} // namespace

TEST(FactoryBank, OpenLoadsTheBundledProgramsWithTheirIntendedSettings)
{
    ASSERT_TRUE(Library().IsLoaded()) << Library().Error();
    VstInstance fx(Library());
    ASSERT_TRUE(fx.IsValid());
    fx.Dispatch(effOpen);
    std::set<std::string> names;
    for (int p = 0; p < kNumPrograms; ++p) {
        const FactorySetting& s = kFactorySettings[p];
        fx.Dispatch(effSetProgram, 0, p);
        EXPECT_EQ(fx.ProgramName(), s.name);
        names.insert(fx.ProgramName());
        EXPECT_EQ(fx.ParameterDisplay(kOnOff), "ON") << s.name;
        EXPECT_EQ(fx.ParameterDisplay(kFeedBack), OneDecimal(s.feedbackPct)) << s.name;
        EXPECT_EQ(fx.ParameterDisplay(kBalance), OneDecimal(s.balancePct)) << s.name;
        EXPECT_EQ(fx.ParameterDisplay(kDepth), OneDecimal(s.depthPct)) << s.name;
        EXPECT_EQ(fx.ParameterDisplay(kRate), OneDecimal(s.rateHz)) << s.name;
        EXPECT_EQ(fx.ParameterDisplay(kHpfOn), s.hpf ? "ON" : "OFF") << s.name;
        EXPECT_EQ(fx.ParameterDisplay(kLpfOn), s.lpf ? "ON" : "OFF") << s.name;
        EXPECT_EQ(fx.ParameterDisplay(kHpfFreq), std::to_string(static_cast<int>(s.hpfHz))) << s.name;
        EXPECT_EQ(fx.ParameterDisplay(kLpfFreq), std::to_string(static_cast<int>(s.lpfHz))) << s.name;
        EXPECT_EQ(fx.ParameterDisplay(kOutputLevel), OneDecimal(s.outputDb)) << s.name;
        if (s.mode == kTimeModeMs) {
            EXPECT_EQ(fx.ParameterDisplay(kDelayTime), std::to_string(static_cast<int>(s.delayMs))) << s.name;
        }
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(kNumPrograms)) << "every program has its own name";
    EXPECT_EQ(names.count("Empty"), 0u);
}

// Every program, fed a click, must give a finite, audible and bounded answer: no preset
// may run away or be silent.
TEST(FactoryBank, EveryProgramAnswersAClickWithoutRunningAway)
{
    ASSERT_TRUE(Library().IsLoaded()) << Library().Error();
    VstInstance fx(Library());
    ASSERT_TRUE(fx.IsValid());
    fx.SetTempo(120.0, true);
    fx.Dispatch(effOpen);
    fx.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    fx.Dispatch(effSetBlockSize, 0, 480);
    std::vector<float> left(480), right(480);
    float* io[2] = {left.data(), right.data()};
    for (int p = 0; p < kNumPrograms; ++p) {
        fx.Dispatch(effSetProgram, 0, p);
        fx.Dispatch(effMainsChanged, 0, 0);
        fx.Dispatch(effMainsChanged, 0, 1);
        float peak = 0.0f, late = 0.0f;
        for (int block = 0; block < 300; ++block) { // 3 s
            std::fill(left.begin(), left.end(), 0.0f);
            std::fill(right.begin(), right.end(), 0.0f);
            if (block == 0) left[0] = right[0] = 0.5f;
            fx.ProcessReplacing(io, io, 480);
            for (float x : left) {
                ASSERT_TRUE(std::isfinite(x)) << kFactorySettings[p].name;
                peak = std::max(peak, std::fabs(x));
                if (block >= 200) late = std::max(late, std::fabs(x));
            }
        }
        EXPECT_GT(peak, 0.01f) << kFactorySettings[p].name << " is silent";
        EXPECT_LT(peak, 2.0f) << kFactorySettings[p].name << " runs away";
        EXPECT_LT(late, peak) << kFactorySettings[p].name << " grows instead of decaying";
    }
}
