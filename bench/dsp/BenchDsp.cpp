// Cost of the signal-processing core per host frame at 48 kHz, blocks of 256.
// Run: build-folder/bench/bench_dsp  (the time_per_frame column is per stereo frame).
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "dsp/CBiquadFilter.h"
#include "dsp/DelayMain.h"
#include "dsp/SamplingRateConverter.h"

namespace {

constexpr int kBlock = 256;
constexpr long kRate = 48000;

std::vector<double> Noise(size_t n, unsigned seed)
{
    std::vector<double> v(n);
    unsigned s = seed;
    for (double& x : v) {
        s = s * 1664525u + 1013904223u;
        x = static_cast<double>(s >> 8) / 8388608.0 - 1.0;
    }
    return v;
}

void CountFrames(benchmark::State& state)
{
    state.counters["time_per_frame"] = benchmark::Counter(static_cast<double>(kBlock), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

enum class Motion { kStatic, kModulated, kGliding };

enum class Form { kPlain, kStep, kBlock };

// kPlain: the per-channel reference form, for comparison with the two-lane loop, which
// runs the build given by the argument (0 baseline, 1 AVX2, 2 AVX-512; skipped where the
// processor lacks it) with the converter's sections step by step (kStep) or a frame at
// a time (kBlock). filtered: the wet high-pass (100 Hz) into low-pass (8 kHz) run in
// the loop, as the effect runs them.
void EngineBlock(benchmark::State& state, Motion motion, Form form, bool filtered = false)
{
    const bool plain = form == Form::kPlain;
    DelayMain dm;
    const auto path = static_cast<kdsp::SimdPath>(state.range(0));
    if (!plain && !dm.SetSimdPath(path)) {
        state.SkipWithError((std::string("this processor lacks ") + kdsp::SimdPathName(path)).c_str());
        return;
    }
    dm.SetBlockSections(form == Form::kBlock);
    state.SetLabel(plain ? "plain"
                         : std::string(kdsp::SimdPathName(path)) + (form == Form::kBlock ? " block" : " step")
                               + (filtered ? " filtered" : ""));
    dm.SetStereo(1);
    dm.SetMaxDelayTime(8000.0f);
    dm.SetFs(kRate);
    dm.SetBloackSize(kBlock);
    dm.SetFeedBack(0.5f);
    dm.SetDelayTime(500.0f);
    dm.SetLFODepth(motion == Motion::kModulated ? 0.5f : 0.0f);
    dm.SetLFORate(1.0f);
    std::vector<double> inL = Noise(kBlock, 1), inR = Noise(kBlock, 2), outL(kBlock), outR(kBlock);
    double* in[2] = {inL.data(), inR.data()};
    double* out[2] = {outL.data(), outR.data()};
    // Once through the whole line first: its pages are taken from the system as the
    // write index first reaches them, a cost of the first pass only.
    for (long done = 0; done <= dm.GetLine().GetLength() / DelayMain::kFactor; done += kBlock) dm.Process(in, out, kBlock);
    CBiquadFilter hpL, hpR, lpL, lpR;
    for (CBiquadFilter* f : {&hpL, &hpR}) f->CalcCoefficients(static_cast<double>(kRate), 100.0, 0.0, 1.0, 4);
    for (CBiquadFilter* f : {&lpL, &lpR}) f->CalcCoefficients(static_cast<double>(kRate), 8000.0, 0.0, 1.0, 3);
    const DelayMain::WetFilters filters {&hpL, &hpR, &lpL, &lpR, true, DelayMain::WetFilters::kLow};
    bool longer = true;
    for (auto _ : state) {
        if (motion == Motion::kGliding && !dm.IsGliding()) {
            dm.SetDelayTime(longer ? 1500.0f : 500.0f); // glides of 2 s and 1 s
            longer = !longer;
        }
        if (plain) dm.ProcessPlain(in, out, kBlock);
        else if (filtered) dm.Process(in, out, kBlock, filters);
        else dm.Process(in, out, kBlock);
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
        benchmark::ClobberMemory();
    }
    CountFrames(state);
}

void BM_DelayMainStatic(benchmark::State& state) { EngineBlock(state, Motion::kStatic, Form::kStep); }
void BM_DelayMainModulated(benchmark::State& state) { EngineBlock(state, Motion::kModulated, Form::kStep); }
void BM_DelayMainGliding(benchmark::State& state) { EngineBlock(state, Motion::kGliding, Form::kStep); }
void BM_DelayMainBlockStatic(benchmark::State& state) { EngineBlock(state, Motion::kStatic, Form::kBlock); }
void BM_DelayMainBlockModulated(benchmark::State& state) { EngineBlock(state, Motion::kModulated, Form::kBlock); }
void BM_DelayMainBlockGliding(benchmark::State& state) { EngineBlock(state, Motion::kGliding, Form::kBlock); }
void BM_DelayMainBlockFiltered(benchmark::State& state) { EngineBlock(state, Motion::kModulated, Form::kBlock, true); }
void BM_DelayMainPlainStatic(benchmark::State& state) { EngineBlock(state, Motion::kStatic, Form::kPlain); }
void BM_DelayMainPlainModulated(benchmark::State& state) { EngineBlock(state, Motion::kModulated, Form::kPlain); }
void BM_DelayMainPlainGliding(benchmark::State& state) { EngineBlock(state, Motion::kGliding, Form::kPlain); }

void BM_ConverterUpDown(benchmark::State& state)
{
    SamplingRateConverter src;
    src.init();
    src.setSRCFactor(4, 101);
    std::vector<double> inL = Noise(kBlock, 3), inR = Noise(kBlock, 4), upL(4 * kBlock), upR(4 * kBlock), outL(kBlock), outR(kBlock);
    for (auto _ : state) {
        src.usrc(inL.data(), inR.data(), upL.data(), upR.data(), kBlock);
        src.dsrc(upL.data(), upR.data(), outL.data(), outR.data(), kBlock);
        benchmark::DoNotOptimize(outL.data());
        benchmark::ClobberMemory();
    }
    CountFrames(state);
}

void BM_CBiquadFilterOneChannel(benchmark::State& state)
{
    CBiquadFilter f;
    f.CalcCoefficients(static_cast<double>(kRate), 8000.0, 0.0, 1.0, 3);
    std::vector<double> in = Noise(kBlock, 5), out(kBlock);
    for (auto _ : state) {
        f.OperateFilter(in.data(), out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    CountFrames(state);
}

// The wet path's high-pass into low-pass, both stereo, in one loop.
void BM_FilterCascade(benchmark::State& state)
{
    CBiquadFilter hpL, hpR, lpL, lpR;
    for (CBiquadFilter* f : {&hpL, &hpR}) f->CalcCoefficients(static_cast<double>(kRate), 100.0, 0.0, 1.0, 4);
    for (CBiquadFilter* f : {&lpL, &lpR}) f->CalcCoefficients(static_cast<double>(kRate), 8000.0, 0.0, 1.0, 3);
    std::vector<double> inL = Noise(kBlock, 6), inR = Noise(kBlock, 7), hiL(kBlock), hiR(kBlock), loL(kBlock), loR(kBlock);
    for (auto _ : state) {
        CBiquadFilter::OperateCascade(hpL, hpR, lpL, lpR, true, inL.data(), inR.data(), hiL.data(), hiR.data(),
                                      loL.data(), loR.data(), kBlock);
        benchmark::DoNotOptimize(loL.data());
        benchmark::ClobberMemory();
    }
    CountFrames(state);
}

} // namespace

BENCHMARK(BM_DelayMainStatic)->ArgName("path")->DenseRange(0, 2);
BENCHMARK(BM_DelayMainModulated)->ArgName("path")->DenseRange(0, 2);
BENCHMARK(BM_DelayMainGliding)->ArgName("path")->DenseRange(0, 2);
BENCHMARK(BM_DelayMainBlockStatic)->ArgName("path")->DenseRange(0, 2);
BENCHMARK(BM_DelayMainBlockModulated)->ArgName("path")->DenseRange(0, 2);
BENCHMARK(BM_DelayMainBlockGliding)->ArgName("path")->DenseRange(0, 2);
BENCHMARK(BM_DelayMainBlockFiltered)->ArgName("path")->DenseRange(0, 2);
BENCHMARK(BM_DelayMainPlainStatic)->Arg(0);
BENCHMARK(BM_DelayMainPlainModulated)->Arg(0);
BENCHMARK(BM_DelayMainPlainGliding)->Arg(0);
BENCHMARK(BM_ConverterUpDown);
BENCHMARK(BM_CBiquadFilterOneChannel);
BENCHMARK(BM_FilterCascade);

BENCHMARK_MAIN();
