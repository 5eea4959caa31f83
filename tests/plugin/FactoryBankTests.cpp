// The factory bank that ships in the bundle, as a host and a musician meet it.
#include "effect/BankFile.h"
#include "effect/TempoSync.h"
#include "tests/support/BundleLibrary.h"
#include "tests/support/TempFolder.h"
#include "tools/factory-bank/FactoryPrograms.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

std::string OneDecimal(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The current program's values as the host stores them (its program chunk).
std::vector<float> CurrentValues(VstInstance& fx)
{
    void* data = nullptr;
    const intptr_t size = fx.Dispatch(effGetChunk, 1, 0, &data);
    if (size != static_cast<intptr_t>(sizeof(AKestruneProgram)) || !data) return {};
    std::vector<float> values(kNumParams);
    std::memcpy(values.data(), data, sizeof(float) * kNumParams);
    return values;
}

void PlayOneBlock(VstInstance& fx)
{
    std::vector<float> left(256, 0.0f), right(256, 0.0f);
    float* io[2] = {left.data(), right.data()};
    fx.ProcessReplacing(io, io, 256);
}

using FactoryBank = BundleTest;

} // namespace

TEST_F(FactoryBank, OpenLoadsTheBundledProgramsWithTheirIntendedSettings)
{
    VstInstance fx(BundleLibrary());
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
        // The tempo modes show the time of their note at the program's BPM.
        const float ms = s.mode == kTimeModeMs ? s.delayMs : NoteDelayMs(static_cast<int>(s.bpm), s.note);
        EXPECT_EQ(fx.ParameterDisplay(kDelayTime), std::to_string(std::lround(ms))) << s.name;
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(kNumPrograms)) << "every program has its own name";
    EXPECT_EQ(names.count("Empty"), 0u);
}

// Every program, fed a click, must give a finite, audible and bounded answer: no preset
// may run away or be silent.
TEST_F(FactoryBank, EveryProgramAnswersAClickWithoutRunningAway)
{
    VstInstance fx(BundleLibrary());
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

// A program just chosen is not "EDITED": its values after choosing are the stored ones,
// whichever mode the program before it was in, with and without a host tempo.
TEST_F(FactoryBank, ChoosingAnyProgramFromAnyTimeModeLeavesItUnedited)
{
    TempFolder preferences;
    ScopedEnv xdg("XDG_CONFIG_HOME", preferences.Path().c_str());
    AKestruneProgram stored[kNumPrograms];
    ASSERT_EQ(ReadBankFile(std::string(KESTRUNE_BUNDLE_DIR) + "/" + kDefaultBankName, FourCC('K', 'S', 'T', 'R'), stored),
              BankFileState::valid);
    int from[3] = {-1, -1, -1}; // the first program of each time mode
    for (int p = kNumPrograms - 1; p >= 0; --p) from[kFactorySettings[p].mode] = p;
    ASSERT_TRUE(from[kTimeModeMs] >= 0 && from[kTimeModeBpm] >= 0 && from[kTimeModeHost] >= 0);

    for (double hostTempo : {0.0, 96.0}) {
        VstInstance fx(BundleLibrary());
        ASSERT_TRUE(fx.IsValid());
        fx.SetTempo(hostTempo, true);
        fx.Dispatch(effOpen);
        fx.Dispatch(effSetBlockSize, 0, 256);
        fx.Dispatch(effMainsChanged, 0, 1);
        for (int mode : {kTimeModeMs, kTimeModeBpm, kTimeModeHost}) {
            for (int p = 0; p < kNumPrograms; ++p) {
                fx.Dispatch(effSetProgram, 0, from[mode]);
                PlayOneBlock(fx);
                fx.Dispatch(effSetProgram, 0, p);
                PlayOneBlock(fx);
                const std::vector<float> values = CurrentValues(fx);
                ASSERT_EQ(values.size(), static_cast<size_t>(kNumParams));
                for (int i = 0; i < kNumParams; ++i)
                    EXPECT_EQ(values[i], stored[p].values[i])
                        << kFactorySettings[p].name << " after " << kFactorySettings[from[mode]].name
                        << ", parameter " << fx.ParameterName(i) << ", host tempo " << hostTempo;
            }
        }
    }
}
