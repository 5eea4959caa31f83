#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include <sys/resource.h>

#include "dsp/CKestrune.h"
#include "dsp/DelayMain.h"
#include "tests/dsp/DspTestUtil.h"

// The failed-allocation test asks for more memory than exists; under
// AddressSanitizer that must come back as a null pointer, as in a plain build.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}

namespace {

// Feeds `in` (and -in on the right) through a line at a fixed position; returns the left output.
std::vector<double> Feed(CKestrune& line, const std::vector<double>& in, double pos)
{
    std::vector<double> out(in.size());
    for (size_t k = 0; k < in.size(); ++k) {
        double pair[2] = {in[k], -in[k]};
        line.ProcessST(pair, pair, pos);
        EXPECT_EQ(pair[1], -pair[0]);
        out[k] = pair[0];
    }
    return out;
}

std::vector<double> Impulse(size_t n)
{
    std::vector<double> v(n, 0.0);
    v[0] = 1.0;
    return v;
}

// A stereo line of m = 64, N = 128: positions k / 64 - 1 give whole-sample reads (a = 1).
void Sized(CKestrune& line, double g, long size = 64)
{
    line.SetStereo(1);
    ASSERT_TRUE(line.SetSize(size, size));
    line.SetFeedback(g);
}

} // namespace

TEST(CKestrune, SizingAndSpecialPositions)
{
    CKestrune line;
    EXPECT_TRUE(line.SetSize(10, 20)); // span clamped to the size
    EXPECT_EQ(line.GetModulationSize(), 10);
    EXPECT_EQ(line.GetDelaySize(), 10);
    EXPECT_EQ(line.GetReadBase(), 20);
    EXPECT_FALSE(line.HasRightBuffer()); // stereo counts from the next sizing on

    Sized(line, 0.0);
    std::vector<double> out = Feed(line, Impulse(80), -0.5); // x = 32: the newer tap 33 back
    for (size_t k = 0; k < out.size(); ++k) EXPECT_EQ(out[k], k == 33 ? 1.0 : 0.0) << k;

    Sized(line, 1.0);
    out = Feed(line, Impulse(140), 1.0); // full length: the oldest sample twice, a = 0.5
    for (size_t k = 0; k < 128; ++k) ASSERT_EQ(out[k], 0.0) << k;
    EXPECT_EQ(out[128], 1.5);
    EXPECT_EQ(out[129], -0.75);

    Sized(line, 0.5); // zero delay passes the input and stores it times 1 + g
    const std::vector<double> in = {0.25, -1.0, 0.5, 0.0};
    EXPECT_EQ(Feed(line, in, -1.0), in);
    out = Feed(line, std::vector<double>(100, 0.0), 0.5);
    EXPECT_EQ(out[92], 0.0);
    EXPECT_EQ(out[93], 0.25 * 1.5);
}

TEST(CKestrune, FiveHundredMillisecondsAtFortyFourKilohertz)
{
    DelayMain engine;
    engine.SetMaxDelayTime(8000.0f);
    const double pos = engine.Position(500.0f);
    EXPECT_NEAR(pos, -0.93753123, 1e-8);
    CKestrune line;
    Sized(line, 0.0, 1411904);
    const std::vector<double> out = Feed(line, Impulse(88210), pos);
    for (size_t k = 0; k < 88200; ++k) ASSERT_EQ(out[k], 0.0) << k;
    // Allpass between the taps 88200 and 88201 back: a, then 1 - a^2, then -a (1 - a^2).
    const double a = 0.09995;
    EXPECT_NEAR(out[88200], a, 2e-6);
    EXPECT_NEAR(out[88201], 1.0 - a * a, 2e-6);
    EXPECT_NEAR(out[88202], -a * (1.0 - a * a), 2e-6);
}

TEST(CKestrune, FeedbackAndGuards)
{
    for (double g : {0.0, 0.5, 1.0}) {
        CKestrune line;
        Sized(line, g);
        const std::vector<double> out = Feed(line, Impulse(20 * 21 + 1), 20.0 / 64.0 - 1.0);
        for (int echo = 1; echo <= 20; ++echo) EXPECT_DOUBLE_EQ(out[static_cast<size_t>(echo * 21)], std::pow(g, echo - 1)) << g;
    }
    CKestrune line;
    Sized(line, 1.0);
    std::vector<double> in(400, 0.1);
    in[3] = std::numeric_limits<double>::quiet_NaN();
    in[9] = -std::numeric_limits<double>::infinity();
    for (double pos : {-0.73, 0.41, 1.0, -7.0, 3.0, std::numeric_limits<double>::quiet_NaN()})
        for (double v : Feed(line, in, pos)) ASSERT_TRUE(std::isfinite(v)) << pos;
}

TEST(CKestrune, MonoEmptyResetAndFailedAllocation)
{
    CKestrune stereo, mono;
    Sized(stereo, 0.7, 300);
    mono.SetSize(300, 300);
    mono.SetFeedback(0.7);
    for (int k = 0; k < 1000; ++k) {
        double pair[2] = {std::sin(k * 0.37), 0.5};
        const double pos = -0.6 + 0.3 * std::sin(k * 0.01);
        stereo.ProcessST(pair, pair, pos);
        ASSERT_EQ(mono.Process(std::sin(k * 0.37), pos), pair[0]) << k;
    }
    double pair[2] = {0.0, 0.75};
    mono.ProcessST(pair, pair, 0.0); // a mono line leaves the right channel alone
    EXPECT_EQ(pair[1], 0.75);
    EXPECT_TRUE(mono.SetSize(0)); // an empty line passes its input
    EXPECT_EQ(mono.Process(0.4, 0.3), 0.4);

    stereo.Reset();
    EXPECT_EQ(stereo.GetReadBase(), 600);
    EXPECT_EQ(stereo.GetWriteIndex(), 0);
    for (double v : Feed(stereo, std::vector<double>(700, 0.0), 0.3)) ASSERT_EQ(v, 0.0);

    CKestrune line;
    Sized(line, 0.0);
    Feed(line, Impulse(10), -0.5);
    EXPECT_FALSE(line.SetSize(1L << 47, 0));                      // beyond any address space
    EXPECT_FALSE(line.SetSize(std::numeric_limits<long>::max(), 1)); // would overflow
    EXPECT_EQ(line.GetLength(), 128);
    EXPECT_EQ(Feed(line, std::vector<double>(30, 0.0), -0.5)[23], 1.0); // the old impulse still arrives
    line.Free();
    EXPECT_EQ(line.GetLength(), 0);
    EXPECT_FALSE(line.HasRightBuffer());
}

// A reset no longer clears the buffers; what it leaves behind must never be heard.
// After a reset the line gives the bits of a freshly sized one, whether the
// position holds still or moves, at whole-line reads included.
TEST(CKestrune, ResetSoundsExactlyLikeAFreshLine)
{
    for (int part = 0; part < 3; ++part) {
        CKestrune used, fresh;
        Sized(used, 0.8, 200);
        std::vector<double> noise(1500), still(1500, 0.3);
        for (size_t k = 0; k < noise.size(); ++k) noise[k] = std::sin(static_cast<double>(k) * 0.731) * 0.9;
        Feed(used, noise, -0.2); // more than the line's length: every sample written
        const long filled = part == 0 ? 0 : part == 1 ? 37 : 900;
        if (filled > 0) Feed(used, std::vector<double>(static_cast<size_t>(filled), 0.5), 0.9);
        used.Reset();
        Sized(fresh, 0.8, 200);
        for (long k = 0; k < 1600; ++k) {
            double a[2] = {k < 1000 ? noise[static_cast<size_t>(k)] : 0.0, 0.25};
            double b[2] = {a[0], a[1]};
            const double pos = k < 300 ? still[static_cast<size_t>(k)] : k < 700 ? std::sin(k * 0.01) : k < 1100 ? 1.0 : -0.7;
            used.ProcessST(a, a, pos);
            fresh.ProcessST(b, b, pos);
            ASSERT_EQ(a[0], b[0]) << part << " " << k;
            ASSERT_EQ(a[1], b[1]) << part << " " << k;
        }
    }
}

// Sizing for a somewhat shorter line keeps the buffers and silences them the same
// way; a line less than half as long, or a longer one, gets new buffers.
TEST(CKestrune, ShorterSizesReuseTheBuffers)
{
    CKestrune line;
    Sized(line, 1.0, 300);
    Feed(line, std::vector<double>(700, 1.0), -0.5);
    ASSERT_TRUE(line.SetSize(150, 150));
    EXPECT_EQ(line.GetCapacity(), 600);
    EXPECT_EQ(line.GetLength(), 300);
    for (double v : Feed(line, std::vector<double>(700, 0.0), 0.7)) ASSERT_EQ(v, 0.0);
    ASSERT_TRUE(line.SetSize(140, 140));
    EXPECT_EQ(line.GetCapacity(), 280);
    ASSERT_TRUE(line.SetSize(400, 400));
    EXPECT_EQ(line.GetCapacity(), 800);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

long MinorFaultsOfThisThread()
{
    rusage usage {};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

// A populated line of megabytes takes no page faults on its first pass (the cost that
// made a 60 s benchmark run look twice as slow as it is), and populating, again or
// after sound has been written, changes nothing that is heard.
TEST(CKestrune, PopulatedLineTakesNoFaultsAndKeepsItsContents)
{
    constexpr long kSize = 600000; // two buffers of 9.6 MB
    constexpr long kPass = 2 * kSize;
    CKestrune populated, lazy;
    for (CKestrune* line : {&populated, &lazy}) {
        line->SetStereo(1);
        ASSERT_TRUE(line->SetSize(kSize, kSize));
    }
    std::vector<double> heard(2 * kPass, 0.0);
    auto run = [&](CKestrune& line, long from, long to, bool record) {
        for (long k = from; k < to; ++k) {
            const double x = std::sin(static_cast<double>(k) * 0.013) * 0.8;
            double pair[2] = {x, -0.5 * x};
            line.ProcessST(pair, pair, k < kPass / 2 ? 0.3 : -0.6);
            if (record) {
                heard[static_cast<size_t>(2 * k)] = pair[0];
                heard[static_cast<size_t>(2 * k + 1)] = pair[1];
            } else {
                ASSERT_EQ(pair[0], heard[static_cast<size_t>(2 * k)]) << k;
                ASSERT_EQ(pair[1], heard[static_cast<size_t>(2 * k + 1)]) << k;
            }
        }
    };
    populated.Populate();
    const long before = MinorFaultsOfThisThread();
    run(populated, 0, kPass / 2, true); // the whole line written, half of it read back
    // A handful at most (the lazy line takes about 140 with large pages, 4700 without).
    // AddressSanitizer's shadow of the line takes faults of its own on first use.
    const long faults = MinorFaultsOfThisThread() - before;
    if (!kAddressSanitizer) {
        EXPECT_LE(faults, 16) << "page faults while a populated line was first written";
    }
    populated.Populate(); // again, with sound in the line: nothing to do, nothing lost
    run(populated, kPass / 2, kPass, true);
    run(lazy, 0, kPass, false);
}

// With g = 1 and no input, a moving read only forms averages of what the line
// holds: once a whole line length has been written by moving reads, no output can
// exceed the largest of them, however the position sweeps. The triangle here runs
// through zero delay and lands on the full length exactly.
TEST(CKestrune, MovingReadIsPassive)
{
    CKestrune line;
    Sized(line, 1.0, 500);
    dsptest::Random rnd(11);
    std::vector<double> burst(1000);
    for (double& v : burst) v = rnd.Uniform(-1.0, 1.0);
    Feed(line, burst, -0.3);
    double bound = 0.0;
    for (int k = 0; k < 400000; ++k) {
        double pair[2] = {0.0, 0.0};
        const int t = (k + 1500) % 6000; // from the middle of the line
        line.ProcessST(pair, pair, -1.0 + 2.0 * std::min(t, 6000 - t) / 3000.0);
        if (k < line.GetLength()) bound = std::max(bound, std::fabs(pair[0]));
        else ASSERT_LE(std::fabs(pair[0]), bound) << k;
    }
    EXPECT_GT(bound, 0.5);
}
