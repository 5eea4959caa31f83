// The whole audio path of the effect, per stereo host frame, for kinds of input that
// have been known to make delays slow: subnormal input, and the decaying tails of
// feedback and filters after the music stops.
#include "dsp/SimdPath.h"
#include "effect/AKestrune.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

enum class Input { Noise, Subnormal, SilenceAfterNoise };

void ProcessPath(benchmark::State& state, Input input)
{
    constexpr int kBlock = 256;
    auto fx = std::make_unique<AKestrune>(nullptr);
    fx->setSampleRate(48000.0f);
    fx->setBlockSize(kBlock);
    auto set = [&](int index, double target) { fx->setParameter(index, fx->GetParam(index)->NormFrom(target)); };
    set(kDelayTime, 500);
    set(kFeedBack, 500);
    set(kDepth, 500);
    set(kRate, 10);
    set(kHpfFreq, 100);
    set(kLpfFreq, 8000);
    fx->setParameter(kHpfOn, 1.0f);
    fx->setParameter(kLpfOn, 1.0f);

    std::vector<float> left(kBlock), right(kBlock), noise(kBlock * 2);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> d(-0.25f, 0.25f);
    for (float& x : noise) x = d(random);
    float* io[2] = {left.data(), right.data()};
    auto fill = [&](Input kind) {
        for (int i = 0; i < kBlock; ++i) {
            if (kind == Input::Noise) {
                left[i] = noise[i];
                right[i] = noise[kBlock + i];
            } else if (kind == Input::Subnormal) {
                left[i] = (i & 1 ? 1.0e-39f : -3.0e-41f);
                right[i] = 2.0e-42f;
            } else {
                left[i] = right[i] = 0.0f;
            }
        }
    };
    if (input == Input::SilenceAfterNoise) {
        // Ten seconds of music first: the line and the filters are full of it.
        for (int b = 0; b < 48000 * 10 / kBlock; ++b) {
            fill(Input::Noise);
            fx->processReplacing(io, io, kBlock);
        }
    }
    for (auto _ : state) {
        fill(input);
        fx->processReplacing(io, io, kBlock);
        benchmark::DoNotOptimize(left.data());
    }
    // The engine loop's build: the widest the processor runs, or KESTRUNE_SIMD's.
    state.SetLabel(kdsp::SimdPathName(kdsp::DefaultSimdPath()));
    state.counters["time_per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                          benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK_CAPTURE(ProcessPath, noise, Input::Noise);
BENCHMARK_CAPTURE(ProcessPath, subnormal_input, Input::Subnormal);
BENCHMARK_CAPTURE(ProcessPath, silence_after_noise, Input::SilenceAfterNoise);
BENCHMARK_MAIN();
