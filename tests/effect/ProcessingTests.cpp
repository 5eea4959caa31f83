// The audio path of the effect: bypass, gains, engine and filter order, balance, peaks,
// tempo sync, and robustness against odd blocks and bad samples.
#include "tests/effect/EffectFixture.h"
#include "tests/support/Signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

std::string Display(AKestrune& fx, int index)
{
    char text[32] = {};
    fx.getParameterDisplay(index, text);
    return text;
}

} // namespace

TEST(AudioPath, OffIsABitExactBypassThatStillCountsBlocks)
{
    EffectRunner r;
    r.fx->setBlockSize(128);
    r.Set(kDelayTime, 10);
    r.Set(kFeedBack, 500);
    r.fx->setParameter(kOnOff, 0.2f);
    const std::vector<float> inL = Noise(128, 1), inR = Noise(128, 2);
    std::vector<float> outL(128, 9.0f), outR(128, 9.0f);
    float* in[2] = {const_cast<float*>(inL.data()), const_cast<float*>(inR.data())};
    float* out[2] = {outL.data(), outR.data()};
    const uint16_t before = r.fx->GetProcessBlockCount();
    r.fx->processReplacing(in, out, 128);
    EXPECT_EQ(outL, inL);
    EXPECT_EQ(outR, inR);
    EXPECT_EQ(static_cast<uint16_t>(r.fx->GetProcessBlockCount() - before), 1);
    float peaks[4] = {1, 1, 1, 1};
    r.fx->GetVU(&peaks[0], &peaks[1], &peaks[2], &peaks[3]);
    for (float p : peaks) EXPECT_EQ(p, 0.0f);
    EXPECT_FALSE(r.fx->GetClip());
}

TEST(AudioPath, DryOnlyIsInputTimesBothNudgedGains)
{
    EffectRunner r;
    r.fx->setBlockSize(256);
    r.fx->setParameter(kBalance, 0.0f);
    std::vector<float> left = Noise(256, 3), right = Noise(256, 4);
    const std::vector<float> inL = left, inR = right;
    left[0] = 1.0f;
    right[0] = -1.0f;
    r.Run(left, right, 256);
    const double g = 1.00005f;
    for (size_t i = 1; i < left.size(); ++i) {
        ASSERT_EQ(left[i], static_cast<float>(static_cast<double>(inL[i]) * g * g)) << i;
        ASSERT_EQ(right[i], static_cast<float>(static_cast<double>(inR[i]) * g * g)) << i;
    }
    float inPeakL = 0, inPeakR = 0, outPeakL = 0, outPeakR = 0;
    r.fx->GetVU(&inPeakL, &inPeakR, &outPeakL, &outPeakR);
    EXPECT_EQ(inPeakL, 1.00005f) << "full scale at 0 dB reads the nudged gain";
    EXPECT_EQ(inPeakR, 1.00005f);
    EXPECT_EQ(outPeakL, static_cast<float>(g * g));
}

// The wet path is the engine's output, high-passed and then low-passed, bit for bit, at
// full scale with strong feedback and the loudest output (the output's safety limit never
// acts on such sound).
TEST(AudioPath, WetOnlyIsTheEngineThenHighPassThenLowPass)
{
    for (int filters = 0; filters < 4; ++filters) {
        const bool hpf = filters & 1, lpf = filters & 2;
        EffectRunner r;
        r.fx->setBlockSize(200);
        r.Set(kDelayTime, 7);
        r.Set(kFeedBack, 900);
        r.Set(kOutputLevel, 60);
        r.Set(kHpfFreq, 900);
        r.Set(kLpfFreq, 3000);
        r.fx->setParameter(kHpfOn, hpf ? 1.0f : 0.0f);
        r.fx->setParameter(kLpfOn, lpf ? 1.0f : 0.0f);
        r.fx->setParameter(kBalance, 1.0f);
        r.fx->startProcess();

        DelayMain engine;
        engine.SetStereo(1);
        engine.SetMaxDelayTime(8000);
        engine.SetFs(44100);
        engine.SetBloackSize(200);
        engine.SetDelayTime(7.0f);
        engine.SetFeedBack(r.fx->getParameter(kFeedBack));
        engine.SetLFODepth(0.0f);
        engine.SetLFORate(0.10005f);
        engine.Reset();
        CBiquadFilter hp[2], lp[2];
        for (auto& f : hp) f.CalcCoefficients(44100.0, 900.0, 0.0, 1.0, 4);
        for (auto& f : lp) f.CalcCoefficients(44100.0, 3000.0, 0.0, 1.0, 3);

        std::vector<float> left = Noise(1000, 5, 1.0f), right = Noise(1000, 6, 1.0f);
        const std::vector<float> inL = left, inR = right;
        r.Run(left, right, 200);

        std::vector<double> dl(inL.begin(), inL.end()), dr(inR.begin(), inR.end());
        const double gi = 1.00005f, go = 2.00005f;
        for (double& x : dl) x *= gi;
        for (double& x : dr) x *= gi;
        std::vector<double> wl(200), wr(200), tl(200), tr(200);
        for (size_t at = 0; at < dl.size(); at += 200) {
            double* in[2] = {dl.data() + at, dr.data() + at};
            double* wet[2] = {wl.data(), wr.data()};
            engine.Process(in, wet, 200);
            if (hpf) {
                hp[0].OperateFilter(wl.data(), tl.data(), 200);
                hp[1].OperateFilter(wr.data(), tr.data(), 200);
                std::swap(wl, tl);
                std::swap(wr, tr);
            }
            if (lpf) {
                lp[0].OperateFilter(wl.data(), tl.data(), 200);
                lp[1].OperateFilter(wr.data(), tr.data(), 200);
                std::swap(wl, tl);
                std::swap(wr, tr);
            }
            for (size_t i = 0; i < 200; ++i) {
                ASSERT_EQ(left[at + i], static_cast<float>((wl[i] * 1.0 + dl[at + i] * 0.0) * go))
                    << "filters " << filters << " frame " << at + i;
                ASSERT_EQ(right[at + i], static_cast<float>((wr[i] * 1.0 + dr[at + i] * 0.0) * go));
            }
        }
    }
}

TEST(AudioPath, BlockPartitionDoesNotChangeTheSound)
{
    // One long call (longer than the block size, and before any block size is set)
    // must sound exactly like many short ones.
    auto render = [](int blockSize, int callSize, bool announce) {
        EffectRunner r;
        if (announce) r.fx->setBlockSize(blockSize);
        r.AllAtWork(3, 600, 500, 20);
        std::vector<float> left = Noise(5000, 7), right = Noise(5000, 8);
        r.Run(left, right, callSize);
        left.insert(left.end(), right.begin(), right.end());
        return left;
    };
    const std::vector<float> reference = render(64, 64, true);
    EXPECT_EQ(render(64, 1000, true), reference) << "blocks longer than the block size";
    EXPECT_EQ(render(256, 5000, false), reference) << "no block size announced";
    EXPECT_EQ(render(1, 1, true), reference) << "one frame at a time";
}

TEST(AudioPath, TempoSyncInBpmMode)
{
    EffectRunner r;
    r.fx->SetEditorViewOpen(false);
    r.Set(kTimeMode, kTimeModeBpm);
    r.Set(kBpm, 1200);
    r.Set(kNote, 6);
    EXPECT_EQ(Display(*r.fx, kDelayTime), "500");
    r.Set(kNote, 3);
    EXPECT_EQ(Display(*r.fx, kDelayTime), "167") << "166.67 ms applies as 167";
    EXPECT_NEAR(r.fx->getParameter(kDelayTime) * 8000.0, 166.667, 0.01) << "stored unrounded";
    EXPECT_EQ(r.fx->GetProgramRecord(0).values[kDelayTime], r.fx->getParameter(kDelayTime));
    r.Set(kNote, 9);
    EXPECT_EQ(Display(*r.fx, kDelayTime), "2000");
    r.Set(kBpm, 300);
    EXPECT_EQ(Display(*r.fx, kDelayTime), "2000") << "8000 ms is rejected: the previous time stays";
    r.Set(kNote, 8);
    EXPECT_EQ(Display(*r.fx, kDelayTime), "4000");
    r.Set(kNote, 6);
    r.Set(kBpm, 1209);
    EXPECT_EQ(Display(*r.fx, kDelayTime), "500") << "120.9 BPM counts as 120";
}

TEST(AudioPath, HostTempoDrivesHostMode)
{
    struct Case { double tempoAt, timeInfo; const char* bpm; const char* delay; };
    const Case cases[] = {
        {600.0, 0.0, "500.0", "120"},  // clamped to 500 BPM
        {0.0, 90.0, "90.0", "667"},     // time info first
        {140.0, 0.0, "140.0", "429"},   // tempo query when the time info has none
        {0.0, 0.0, "120.0", "500"},     // no tempo at all: the user's BPM stays
    };
    for (const Case& c : cases) {
        EffectRunner r(true);
        r.fx->setBlockSize(64);
        r.Set(kTimeMode, kTimeModeBpm);
        r.Set(kNote, 6);
        r.Set(kTimeMode, kTimeModeHost);
        r.host.tempoAt = c.tempoAt;
        r.host.timeInfoTempo = c.timeInfo;
        std::vector<float> left(64), right(64);
        r.Run(left, right, 64);
        EXPECT_EQ(Display(*r.fx, kBpm), c.bpm) << c.tempoAt << " / " << c.timeInfo;
        EXPECT_EQ(Display(*r.fx, kDelayTime), c.delay) << c.tempoAt << " / " << c.timeInfo;
    }
}

TEST(AudioPath, SwitchingOffClearsTheLineOnlyWhenExactlyZero)
{
    for (float off : {0.3f, 0.0f}) {
        EffectRunner r;
        r.fx->setBlockSize(441);
        r.Set(kDelayTime, 100);
        r.fx->setParameter(kBalance, 1.0f);
        std::vector<float> left(441, 0.0f), right(441, 0.0f);
        left[0] = right[0] = 1.0f;
        r.Run(left, right, 441); // 10 ms: the click is in the line
        r.fx->setParameter(kOnOff, off);
        std::vector<float> silence(441, 0.0f), silenceR(441, 0.0f);
        r.Run(silence, silenceR, 441);
        r.fx->setParameter(kOnOff, 1.0f);
        std::vector<float> later(441 * 20, 0.0f), laterR(441 * 20, 0.0f);
        r.Run(later, laterR, 441);
        float echo = 0.0f;
        for (float x : later) echo = std::max(echo, std::fabs(x));
        if (off == 0.0f)
            EXPECT_LT(echo, 1e-6f) << "OFF at exactly 0 clears the line";
        else
            EXPECT_GT(echo, 0.1f) << "a value that only rounds to OFF keeps the echo";
    }
}

// That the line is silent after it runs through the bundle (LoopBound: a reset sounds like a
// new instance).
TEST(AudioPath, MainsOffThenOnLeavesItSwitchedOn)
{
    EffectRunner r;
    r.fx->dispatcher(effMainsChanged, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(r.fx->getParameter(kOnOff), 0.0f);
    r.fx->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
    EXPECT_EQ(r.fx->getParameter(kOnOff), 1.0f);
    EXPECT_EQ(r.fx->GetProgramRecord(0).values[kOnOff], 1.0f);
}

TEST(AudioPath, NonFiniteInputBurstsLeaveFiniteOutput)
{
    EffectRunner r;
    r.fx->setBlockSize(256);
    r.AllAtWork(20, 900, 300, 30);
    std::vector<float> left = Noise(4096, 9), right = Noise(4096, 10);
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(), 1e-42f, -1e-40f};
    for (size_t i = 1000; i < 1200; ++i) left[i] = right[i] = bad[i % 5];
    r.Run(left, right, 256);
    // The burst itself may not be meaningful sound, but from the block after it on all
    // output must be finite and the line must not keep circulating garbage.
    for (size_t i = 1280; i < left.size(); ++i) {
        ASSERT_TRUE(std::isfinite(left[i])) << i;
        ASSERT_TRUE(std::isfinite(right[i])) << i;
        ASSERT_LT(std::fabs(left[i]), 10.0f) << i;
    }
}

TEST(AudioPath, AnySampleRateAndBlockSizeProcesses)
{
    for (float rate : {8000.0f, 22050.0f, 44100.0f, 96000.0f, 192000.0f, 384000.0f}) {
        for (int block : {1, 17, 512, 8192}) {
            EffectRunner r;
            r.fx->setSampleRate(rate);
            r.fx->setBlockSize(block);
            r.AllAtWork(8000, 1000, 1000, 100);
            std::vector<float> left = Noise(static_cast<size_t>(block) * 3 + 5, 11), right = left;
            r.Run(left, right, block);
            for (float x : left) ASSERT_TRUE(std::isfinite(x)) << rate << " " << block;
        }
    }
    EffectRunner r;
    for (float odd : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(), 1e12f}) r.fx->setSampleRate(odd);
    r.fx->setBlockSize(0);
    r.fx->setBlockSize(-5);
    std::vector<float> left = Noise(300, 12), right = left;
    r.Run(left, right, 300);
    for (float x : left) ASSERT_TRUE(std::isfinite(x));
}
