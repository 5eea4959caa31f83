// The LV2 edition loaded from its built bundle through our lilv host, against the VST
// edition loaded from its bundle through our VST host.
#include "tests/lv2/Editions.h"
#include "tests/support/Signals.h"
#include "tools/factory-bank/FactoryPrograms.h"

#include <lv2/atom/atom.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

Stereo Burst(size_t frames, size_t burst)
{
    return {NoiseBurst(frames, burst, 11), NoiseBurst(frames, burst, 12)};
}

Stereo Impulse(size_t frames)
{
    Stereo s {std::vector<float>(frames), std::vector<float>(frames)};
    s.left[0] = s.right[0] = 0.5f;
    return s;
}

// Settings that keep every part of the audio path busy.
Settings Busy()
{
    Settings s = DefaultSettings();
    s[kDelayTime] = 375;
    s[kFeedBack] = 45;
    s[kBalance] = 40;
    s[kDepth] = 30;
    s[kRate] = 0.7f;
    s[kHpfOn] = 1;
    s[kHpfFreq] = 150;
    s[kLpfOn] = 1;
    s[kLpfFreq] = 4000;
    s[kOutputLevel] = -3;
    s[kInputLevel] = -1.5f;
    return s;
}

// Wet only, one echo: the echo's frame shows the delay in force.
Settings OneEcho(TimeMode mode)
{
    Settings s = DefaultSettings();
    s[kBalance] = 100;
    s[kTimeMode] = static_cast<float>(mode);
    s[kNote] = 6; // 1/4
    return s;
}

size_t LoudestFrame(const std::vector<float>& v)
{
    size_t at = 0;
    for (size_t k = 1; k < v.size(); ++k)
        if (std::fabs(v[k]) > std::fabs(v[at])) at = k;
    return at;
}

std::vector<char> ProgramsKeptBy(Lv2Instance& fx)
{
    std::string type;
    const std::vector<unsigned char> bytes = fx.SavedProperty(kLv2ProgramsKey, &type);
    EXPECT_EQ(type, LV2_ATOM__Chunk);
    return {bytes.begin(), bytes.end()};
}

std::vector<char> VstChunk(VstInstance& fx)
{
    void* data = nullptr;
    const intptr_t size = fx.Dispatch(effGetChunk, 0, 0, &data);
    const char* bytes = static_cast<const char*>(data);
    return size > 0 && bytes ? std::vector<char>(bytes, bytes + size) : std::vector<char>();
}

const AKestruneProgram* Programs(const std::vector<char>& chunk)
{
    return reinterpret_cast<const AKestruneProgram*>(chunk.data());
}

class Lv2EditionTest : public BundleTest {
protected:
    void SetUp() override
    {
        BundleTest::SetUp();
        ASSERT_NE(Lv2Plugin(), nullptr) << "no " << kLv2PluginUri << " in " << KESTRUNE_LV2_BUNDLE_DIR;
    }
};

} // namespace

TEST_F(Lv2EditionTest, SoundsAsTheVstEditionBitForBit)
{
    const Stereo in = Burst(96000, 4800);
    for (int block : {256, 1000, 4096}) {
        VstEdition vst(Busy(), block);
        Lv2Edition lv2(Busy(), block);
        const Stereo expected = vst.Process(in);
        EXPECT_GT(Peak(expected.left, 48000, 96000), 0.001f) << "the echoes must be there to compare";
        EXPECT_TRUE(lv2.Process(in) == expected) << "block " << block;
    }
}

TEST_F(Lv2EditionTest, ChangesMidStreamReachTheEffectAsParameterChangesDo)
{
    const Stereo in = Burst(48000, 48000);
    VstEdition vst(Busy(), 512);
    Lv2Edition lv2(Busy(), 512);
    Settings later = Busy();
    later[kDelayTime] = 120; // glides
    later[kHpfOn] = 0;       // crossfades
    later[kTimeMode] = kTimeModeBpm;
    later[kNote] = 3.6f; // a host's value between entries: the nearest, 1/8
    Stereo first {{in.left.begin(), in.left.begin() + 24064}, {in.right.begin(), in.right.begin() + 24064}};
    Stereo second {{in.left.begin() + 24064, in.left.end()}, {in.right.begin() + 24064, in.right.end()}};
    EXPECT_TRUE(lv2.Process(first) == vst.Process(first));
    vst.Apply(later);
    lv2.Set(later);
    EXPECT_TRUE(lv2.Process(second) == vst.Process(second));
}

TEST_F(Lv2EditionTest, HostModeFollowsTheTransportTempoAsTheVstEditionDoes)
{
    // A quarter note at 90 BPM is 667 ms; 600 BPM is beyond the range and plays at 500 (120 ms).
    const struct {
        double tempo;
        size_t echoFrame;
    } cases[] = {{90.0, 32016}, {600.0, 5760}};
    const Stereo in = Impulse(40000);
    for (const auto& c : cases) {
        VstEdition vst(OneEcho(kTimeModeHost), 256, c.tempo);
        Lv2Edition lv2(OneEcho(kTimeModeHost), 256);
        lv2.Fx().SendTempo(c.tempo);
        const Stereo expected = vst.Process(in);
        const Stereo got = lv2.Process(in);
        EXPECT_TRUE(got == expected) << c.tempo << " BPM";
        EXPECT_NEAR(static_cast<double>(LoudestFrame(got.left)), static_cast<double>(c.echoFrame), 4.0) << c.tempo;
    }
    // Without a transport, HOST mode times the note from the BPM port (120: 500 ms).
    Lv2Edition alone(OneEcho(kTimeModeHost), 256);
    EXPECT_NEAR(static_cast<double>(LoudestFrame(alone.Process(in).left)), 24000.0, 4.0);
}

TEST_F(Lv2EditionTest, StateKeepsAllProgramsAndTheCurrentOne)
{
    // A VST project's state with edits to three programs (all in MS mode, where DelayTime is
    // the user's) and the last one chosen.
    VstEdition vst(DefaultSettings(), 256);
    for (int program : {3, 20, 11}) {
        vst.Fx().Dispatch(effSetProgram, 0, program);
        vst.Fx().SetParameter(kFeedBack, 0.1f * static_cast<float>(program % 9));
        vst.Fx().SetParameter(kDelayTime, NormalisedFromUnits(kDelayTime, 40.0 * program));
    }
    const std::vector<char> chunk = VstChunk(vst.Fx());
    ASSERT_EQ(chunk.size(), static_cast<size_t>(kBankChunkSize));

    Lv2Edition first(DefaultSettings(), 256);
    ASSERT_EQ(first.Fx().RestoreProperty(kLv2ProgramsKey, chunk.data(), chunk.size(), LV2_ATOM__Chunk),
              LV2_STATE_SUCCESS);
    EXPECT_EQ(ProgramsKeptBy(first.Fx()), chunk);

    // Through a host's saved text into a fresh instance: the programs, the current one and
    // the ports all come back, and the sound is the VST edition's with that chunk.
    Settings shown {};
    for (int i = 0; i < kNumParams; ++i) shown[i] = static_cast<float>(UnitsFromNormalised(i, Programs(chunk)[11].values[i]));
    first.Set(shown);
    const std::string saved = first.Fx().SaveState();
    ASSERT_FALSE(saved.empty());
    Lv2Edition second(DefaultSettings(), 256);
    ASSERT_TRUE(second.Fx().RestoreState(saved));
    EXPECT_EQ(second.Fx().Control("delay_time"), 440.0f);
    const Stereo in = Burst(24000, 2400);
    VstEdition restored(shown, 256, 0.0, chunk);
    EXPECT_TRUE(second.Process(in) == restored.Process(in));
    // The ports restored with the programs are not applied again: the programs stay exact.
    EXPECT_EQ(ProgramsKeptBy(second.Fx()), chunk);
    // Later changes are.
    second.Fx().SetControl("delay_time", 500.0f);
    second.Process(Burst(256, 256));
    EXPECT_EQ(UnitsFromNormalised(kDelayTime, Programs(ProgramsKeptBy(second.Fx()))[11].values[kDelayTime]), 500.0);
    EXPECT_EQ(Programs(chunk)[0].slot, 11);
}

TEST_F(Lv2EditionTest, RestoredProgramsWinOverStalePorts)
{
    // In BPM mode the effect times DelayTime from Note and BPM; the DelayTime port keeps what
    // the host last set. A project saved that way plays the note's time again when loaded.
    Settings s = OneEcho(kTimeModeMs);
    s[kDelayTime] = 350;
    Lv2Edition first(s, 256);
    first.Process(Burst(256, 256));
    s[kTimeMode] = kTimeModeBpm;
    s[kNote] = 4; // 1/8 at 120 BPM: 250 ms
    first.Set(s);
    first.Process(Burst(256, 256));
    const std::vector<char> programs = ProgramsKeptBy(first.Fx());
    EXPECT_EQ(UnitsFromNormalised(kDelayTime, Programs(programs)[0].values[kDelayTime]), 250.0);
    const std::string saved = first.Fx().SaveState();

    Lv2Edition second(DefaultSettings(), 256);
    ASSERT_TRUE(second.Fx().RestoreState(saved));
    EXPECT_EQ(second.Fx().Control("delay_time"), 350.0f) << "the host restores the port as it was";
    const Stereo in = Impulse(24000);
    Stereo out = second.Process(in);
    EXPECT_NEAR(static_cast<double>(LoudestFrame(out.left)), 12000.0, 4.0) << "250 ms, not 350";
    EXPECT_EQ(ProgramsKeptBy(second.Fx()), programs);
}

TEST_F(Lv2EditionTest, RefusesStateThatIsNotOneWholeSetOfPrograms)
{
    Lv2Edition lv2(DefaultSettings(), 256);
    lv2.Process(Burst(256, 256));
    const std::vector<char> before = ProgramsKeptBy(lv2.Fx());
    ASSERT_EQ(before.size(), static_cast<size_t>(kBankChunkSize));
    std::vector<char> junk(kBankChunkSize + 1, '\x7f');
    EXPECT_EQ(lv2.Fx().RestoreProperty(kLv2ProgramsKey, junk.data(), kBankChunkSize - 1, LV2_ATOM__Chunk),
              LV2_STATE_ERR_BAD_TYPE);
    EXPECT_EQ(lv2.Fx().RestoreProperty(kLv2ProgramsKey, junk.data(), kBankChunkSize + 1, LV2_ATOM__Chunk),
              LV2_STATE_ERR_BAD_TYPE);
    EXPECT_EQ(lv2.Fx().RestoreProperty(kLv2ProgramsKey, junk.data(), kBankChunkSize, LV2_ATOM__String),
              LV2_STATE_ERR_BAD_TYPE);
    EXPECT_EQ(lv2.Fx().RestoreProperty("urn:someone-else#programs", junk.data(), kBankChunkSize, LV2_ATOM__Chunk),
              LV2_STATE_ERR_NO_PROPERTY);
    EXPECT_EQ(ProgramsKeptBy(lv2.Fx()), before);
    // Whole but garbage: taken, and made safe (values forced into range, names ended).
    ASSERT_EQ(lv2.Fx().RestoreProperty(kLv2ProgramsKey, junk.data(), kBankChunkSize, LV2_ATOM__Chunk),
              LV2_STATE_SUCCESS);
    const std::vector<char> after = ProgramsKeptBy(lv2.Fx());
    for (int p = 0; p < kNumPrograms; ++p) {
        EXPECT_NE(std::memchr(Programs(after)[p].name, 0, sizeof Programs(after)[p].name), nullptr);
        for (float v : Programs(after)[p].values) EXPECT_TRUE(v >= 0.0f && v <= 1.0f);
    }
}

TEST_F(Lv2EditionTest, PresetsAreTheFactoryProgramsAndReachTheEffect)
{
    const auto presets = BuiltLv2Bundle().Presets(Lv2Plugin());
    ASSERT_EQ(presets.size(), static_cast<size_t>(kNumPrograms));
    for (int p = 0; p < kNumPrograms; ++p) {
        SCOPED_TRACE(kFactorySettings[p].name);
        EXPECT_EQ(presets[p].second, kFactorySettings[p].name);
        Lv2Edition lv2(DefaultSettings(), 256);
        ASSERT_TRUE(lv2.Fx().ApplyPreset(presets[p].first));
        const AKestruneProgram factory = MakeProgram(kFactorySettings[p]);
        for (int i = 0; i < kNumParams; ++i)
            EXPECT_EQ(lv2.Fx().Control(kLv2ParameterPorts[i].symbol),
                      static_cast<float>(UnitsFromNormalised(i, factory.values[i])))
                << kLv2ParameterPorts[i].symbol;
        lv2.Process(Burst(256, 256));
        const std::vector<char> kept = ProgramsKeptBy(lv2.Fx());
        const AKestruneProgram& current = Programs(kept)[Programs(kept)[0].slot];
        for (int i = 0; i < kNumParams; ++i)
            EXPECT_EQ(UnitsFromNormalised(i, current.values[i]), UnitsFromNormalised(i, factory.values[i]))
                << kLv2ParameterPorts[i].symbol;
    }
}

TEST_F(Lv2EditionTest, ReportsPeaksAndNoLatency)
{
    Settings s = DefaultSettings();
    s[kOutputLevel] = -6;
    Lv2Edition lv2(s, 512);
    Stereo in {std::vector<float>(512, 0.5f), std::vector<float>(512, -0.25f)};
    lv2.Process(in);
    // Input Level 0 dB is a gain of 1.00005, as in the VST edition.
    EXPECT_NEAR(lv2.Fx().Control("peak_in_left"), 0.5f, 1e-4f);
    EXPECT_NEAR(lv2.Fx().Control("peak_in_right"), 0.25f, 1e-4f);
    // Balance 50 % at -6 dB: at most half of the input's level.
    EXPECT_GT(lv2.Fx().Control("peak_out_left"), 0.1f);
    EXPECT_LE(lv2.Fx().Control("peak_out_left"), 0.2501f);
    EXPECT_EQ(lv2.Fx().Control("latency"), 0.0f);
    lv2.Process({std::vector<float>(512), std::vector<float>(512)});
    EXPECT_EQ(lv2.Fx().Control("peak_in_left"), 0.0f) << "each block reports its own peaks";
}
