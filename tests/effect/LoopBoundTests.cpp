// The feedback loop, Depth automation, resets and a shortage of memory through the
// whole plug-in: the built bundle, loaded and driven as a host drives it. The levels
// asserted here lie far below the output's safety limit, so they hold by the delay
// engine alone.
#include "tests/effect/HostedEffect.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// One effect instance at a given rate in blocks of 512, wet signal only.
class Plugin : public HostedEffect {
public:
    explicit Plugin(double rate = 44100.0) : HostedEffect(rate, 512) { WetOnly(); }
};

using LoopBound = BundleTest;

} // namespace

// Random settings of every parameter, changed every block, with noise, full-scale DC
// and square waves within +-1 as input: every output sample is finite.
TEST_F(LoopBound, AnySettingsAndAutomationGiveFiniteOutput)
{
    Plugin p(48000);
    ASSERT_TRUE(p.IsValid());
    std::mt19937 random(12);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> in(p.Frames(20.0));
    for (size_t k = 0; k < in.size(); ++k) {
        const size_t part = k / p.Frames(2.5);
        in[k] = part % 3 == 0 ? unit(random) * 2.0f - 1.0f : part % 3 == 1 ? 1.0f : ((k / 37) % 2 ? 1.0f : -1.0f);
    }
    const std::vector<float> out = p.Render(in, [&](size_t) {
        for (int change = 0; change < 3; ++change) {
            const int index = std::uniform_int_distribution<int>(1, kNumParams - 1)(random);
            const float pick = unit(random);
            p.Host().SetParameter(index, pick < 0.2f ? 1.0f : pick < 0.3f ? 0.0f : unit(random));
        }
        if (unit(random) < 0.3f) p.Set(kFeedBack, 1000);
        if (unit(random) < 0.3f) p.Set(kDepth, 1000);
    });
    for (size_t k = 0; k < out.size(); ++k) ASSERT_TRUE(std::isfinite(out[k])) << k;
}

// FeedBack below 100 %: after the input stops the tail decays, at every depth and
// rate. With 10 Hz at full depth the tail once kept growing to +54 dBFS.
TEST_F(LoopBound, TailDecaysBelowFullFeedback)
{
    struct Case {
        double delayMs, depth, rate;
    };
    for (const Case c : {Case {80.0, 100.0, 3.0}, Case {80.0, 100.0, 10.0}, Case {300.0, 100.0, 3.0}, Case {500.0, 40.0, 0.1}}) {
        Plugin p(48000);
        p.SetValue(kDelayTime, c.delayMs);
        p.SetValue(kFeedBack, 90.0);
        p.SetValue(kDepth, c.depth);
        p.SetValue(kRate, c.rate);
        const std::vector<float> out = p.Render(NoiseBurst(p.Frames(12.0), p.Frames(0.5), 3));
        const float first = Peak(out, 0, p.Frames(1.0)), late = Peak(out, p.Frames(10.0), p.Frames(12.0));
        EXPECT_GT(first, 0.1f) << c.delayMs << " ms, " << c.depth << " %, " << c.rate << " Hz";
        EXPECT_LT(first, 4.0f) << c.delayMs << " ms, " << c.depth << " %, " << c.rate << " Hz"; // below +12 dBFS
        EXPECT_LT(late, first) << c.delayMs << " ms, " << c.depth << " %, " << c.rate << " Hz";
    }
}

// FeedBack 100 % with 10 Hz full-depth modulation: an impulse's tail does not grow.
TEST_F(LoopBound, ImpulseTailAtFullFeedbackDoesNotGrow)
{
    Plugin p;
    p.SetValue(kDelayTime, 80.0);
    p.SetValue(kFeedBack, 100.0);
    p.SetValue(kDepth, 100.0);
    p.SetValue(kRate, 10.0);
    std::vector<float> in(p.Frames(32.0), 0.0f);
    in[0] = 1.0f;
    const std::vector<float> out = p.Render(in);
    const float firstEcho = Peak(out, 0, p.Frames(0.25)), late = Peak(out, p.Frames(30.0), out.size());
    EXPECT_GT(firstEcho, 0.05f);
    EXPECT_LE(late, firstEcho * std::pow(10.0f, 1.0f / 20.0f));
}

// Depth automated in 1 % steps every 20 ms: the amplitude glides to each new value,
// so the second difference of a modulated tone stays near what modulation at the
// largest of those depths gives anyway, instead of spiking at every step.
TEST_F(LoopBound, DepthAutomationDoesNotClick)
{
    auto render = [](bool automate) {
        Plugin p;
        p.SetValue(kDelayTime, 20.0);
        p.SetValue(kRate, 2.0);
        p.SetValue(kDepth, automate ? 20.0 : 60.0);
        const size_t step = p.Frames(0.02);
        double depth = 20.0;
        const std::vector<float> out = p.Render(Tone(1000.0, 44100.0, p.Frames(1.2)), [&](size_t frame) {
            if (automate && frame >= p.Frames(0.1) && frame % step < static_cast<size_t>(p.Block()) && depth < 60.0) p.SetValue(kDepth, ++depth);
        });
        return LargestSecondDifference(out, p.Frames(0.1), out.size());
    };
    const float baseline = render(false), automated = render(true);
    EXPECT_GT(baseline, 0.01f);
    EXPECT_LT(automated, 1.5f * baseline) << "baseline " << baseline;
}

// A reset (mains off and on, start of processing, ON/OFF to OFF) leaves a line that
// sounds exactly like a new one, although it no longer clears the memory.
TEST_F(LoopBound, ResetSoundsLikeANewInstance)
{
    auto configure = [](Plugin& p) {
        p.SetValue(kDelayTime, 30.0);
        p.SetValue(kFeedBack, 70.0);
    };
    Plugin fresh;
    configure(fresh);
    std::vector<float> probe(fresh.Frames(0.5), 0.0f);
    probe[0] = 1.0f;
    probe[100] = -0.5f;
    const std::vector<float> expected = fresh.Render(probe);
    for (int way = 0; way < 3; ++way) {
        Plugin used;
        configure(used);
        used.Render(NoiseBurst(used.Frames(1.0), used.Frames(1.0), 4));
        if (way == 0) {
            used.Host().Dispatch(effMainsChanged, 0, 0);
            used.Host().Dispatch(effMainsChanged, 0, 1);
        } else if (way == 1) {
            used.Host().Dispatch(effStartProcess);
        } else {
            used.Set(kOnOff, 0);
            used.Set(kOnOff, 1);
        }
        EXPECT_EQ(used.Render(probe), expected) << "way " << way;
    }
}

// Under a tight address-space limit the line for 192 kHz does not fit: the maximum
// delay is lowered, DelayTime shows the delay in force and the echo comes then.
// Runs in a child process, whose limit cannot touch the test runner.
TEST_F(LoopBound, ShortOfMemoryTheDisplayTellsTheDelayHeard)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory rules out an address-space limit";
#else
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int failures = 0;
        auto check = [&](bool ok, const char* what) {
            if (!ok) {
                std::fprintf(stderr, "child: %s\n", what);
                ++failures;
            }
        };
        {
            // Room for a 2000 ms maximum at 44.1 kHz (23 MB), and at 192 kHz for 1000 ms.
            FILE* statm = std::fopen("/proc/self/statm", "r");
            long pages = 0;
            check(statm && std::fscanf(statm, "%ld", &pages) == 1, "statm");
            if (statm) std::fclose(statm);
            const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (40u << 20);
            const rlimit rl {limit, limit};
            check(setrlimit(RLIMIT_AS, &rl) == 0, "setrlimit");

            Plugin p;
            check(p.IsValid(), "instance");
            p.SetValue(kDelayTime, 1500.0);
            check(p.Display(kDelayTime) == "1500", "1500 ms fits at 44.1 kHz");
            p.Host().Dispatch(effSetSampleRate, 0, 0, nullptr, 192000.0f);
            const std::string shown = p.Display(kDelayTime);
            const double ms = std::atof(shown.c_str());
            std::fprintf(stderr, "child: at 192 kHz DelayTime shows %s ms\n", shown.c_str());
            check(ms > 0.0 && ms < 1500.0, "the delay shown is lowered");
            std::vector<float> in(static_cast<size_t>(192000 * (ms / 1000.0 + 0.2)), 0.0f);
            in[0] = 1.0f;
            const std::vector<float> out = p.Render(in);
            size_t echo = 0;
            while (echo < out.size() && std::fabs(out[echo]) < 0.1f) ++echo;
            const double heard = static_cast<double>(echo) / 192.0;
            std::fprintf(stderr, "child: the echo comes after %.2f ms\n", heard);
            check(std::fabs(heard - ms) < 1.0, "the echo comes at the delay shown");
            p.SetValue(kDelayTime, 7000.0);
            check(p.Display(kDelayTime) == shown, "longer delays are clamped to the line");
            p.Set(kTimeMode, 1); // BPM, at 120
            p.Set(kNote, 9);     // 1 Bar: 2000 ms
            check(p.Display(kDelayTime) == shown, "tempo-synchronised delays too");
        }
        std::fflush(stderr);
        _exit(failures == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}
