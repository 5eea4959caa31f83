#pragma once
// Which build of the engine loop runs: the baseline x86-64 one, or one compiled for
// AVX2 or AVX-512 and chosen when the library loads, from what the processor offers.
// Every path gives the same bits; only the speed differs.
namespace kdsp {

enum class SimdPath { kBaseline = 0, kAvx2 = 1, kAvx512 = 2 };

const char* SimdPathName(SimdPath path);
// The processor (and the system, which must save the wider registers) can run it.
bool SimdPathSupported(SimdPath path);
// The widest supported path, or the one KESTRUNE_SIMD names (baseline, avx2, avx512);
// a named path this processor lacks falls back to the widest it has below it, and
// says so on stderr, once. Decided when the library loads.
SimdPath DefaultSimdPath();

} // namespace kdsp
