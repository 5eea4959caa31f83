// What a host waits for outside the audio path, through the built bundle as a host
// loads it: creating and opening an instance (and closing it again), a sample-rate
// change, and the resets a host sends at transport starts and mains off and on.
// Run: build-folder/bench/bench_open  (targets: open and rate change <= 10 ms,
// resets well under 0.1 ms).
#include "tests/support/TempFolder.h"
#include "tools/host/VstHost.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

const VstLibrary& Library()
{
    static VstLibrary library(KESTRUNE_BUNDLE_DIR);
    return library;
}

constexpr int kBlock = 256;

std::unique_ptr<VstInstance> Open(float rate)
{
    auto fx = std::make_unique<VstInstance>(Library());
    fx->Dispatch(effOpen);
    fx->Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    fx->Dispatch(effSetBlockSize, 0, kBlock);
    fx->Dispatch(effMainsChanged, 0, 1);
    return fx;
}

// Seconds of noise with feedback: the line's memory is in use, as after playing.
void Play(VstInstance& fx, double seconds, float rate)
{
    fx.SetParameter(3, 0.1f); // 800 ms
    fx.SetParameter(4, 0.5f);
    std::vector<float> l(kBlock), r(kBlock);
    unsigned s = 1;
    float* io[2] = {l.data(), r.data()};
    for (long done = 0; done < static_cast<long>(seconds * rate); done += kBlock) {
        for (int k = 0; k < kBlock; ++k) {
            s = s * 1664525u + 1013904223u;
            l[k] = r[k] = static_cast<float>(s >> 8) / 16777216.0f - 0.5f;
        }
        fx.ProcessReplacing(io, io, kBlock);
    }
}

// Construction through the entry point, open, rate, block size, mains on; then close.
void BM_OpenAndClose(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<VstInstance> fx = Open(48000.0f);
        benchmark::DoNotOptimize(fx->Effect());
        fx.reset();
    }
}

// 44.1 kHz to the rate given, on an instance that has played long enough (arg 1:
// 9 s, the whole line) to have its line's memory in use, or not at all (arg 0).
void BM_SampleRateChange(benchmark::State& state)
{
    const float rate = static_cast<float>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<VstInstance> fx = Open(44100.0f);
        if (state.range(1) != 0) Play(*fx, 9.0, 44100.0f);
        state.ResumeTiming();
        fx->Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        state.PauseTiming();
        fx.reset();
        state.ResumeTiming();
    }
}

// The three resets, on an instance at 96 kHz that has played into its line.
void BM_Reset(benchmark::State& state)
{
    std::unique_ptr<VstInstance> fx = Open(96000.0f);
    Play(*fx, 2.0, 96000.0f);
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0: fx->Dispatch(effStartProcess); break;
        case 1:
            fx->Dispatch(effMainsChanged, 0, 0);
            fx->Dispatch(effMainsChanged, 0, 1);
            break;
        default:
            fx->SetParameter(0, 0.0f);
            fx->SetParameter(0, 1.0f);
            break;
        }
    }
}

} // namespace

BENCHMARK(BM_OpenAndClose)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SampleRateChange)->ArgNames({"rate", "played"})->Args({48000, 0})->Args({192000, 0})->Args({48000, 1})->Args({192000, 1})
    ->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reset)->ArgName("startProcess_mains_onoff")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    // Opening reads the preferences folder: a temporary one, never the user's.
    TempFolder config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.Path().c_str());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
