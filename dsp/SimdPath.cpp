#include "dsp/SimdPath.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace kdsp {

namespace {

SimdPath Widest()
{
    if (SimdPathSupported(SimdPath::kAvx512)) return SimdPath::kAvx512;
    if (SimdPathSupported(SimdPath::kAvx2)) return SimdPath::kAvx2;
    return SimdPath::kBaseline;
}

SimdPath Choose()
{
    const char* asked = std::getenv("KESTRUNE_SIMD");
    if (!asked || !*asked) return Widest();
    for (SimdPath p : {SimdPath::kBaseline, SimdPath::kAvx2, SimdPath::kAvx512}) {
        if (std::strcmp(asked, SimdPathName(p)) != 0) continue;
        SimdPath chosen = p;
        while (!SimdPathSupported(chosen)) chosen = static_cast<SimdPath>(static_cast<int>(chosen) - 1);
        if (chosen != p)
            std::fprintf(stderr, "Kestrune: KESTRUNE_SIMD=%s: this processor lacks it; the %s path runs\n", asked,
                         SimdPathName(chosen));
        return chosen;
    }
    std::fprintf(stderr, "Kestrune: KESTRUNE_SIMD=%s is none of baseline, avx2, avx512; the %s path runs\n", asked,
                 SimdPathName(Widest()));
    return Widest();
}

// At load time, off any audio thread: no environment or processor query while sound runs.
const SimdPath g_default = Choose();

} // namespace

const char* SimdPathName(SimdPath path)
{
    switch (path) {
    case SimdPath::kAvx2: return "avx2";
    case SimdPath::kAvx512: return "avx512";
    default: return "baseline";
    }
}

bool SimdPathSupported(SimdPath path)
{
    __builtin_cpu_init();
    switch (path) {
    case SimdPath::kBaseline: return true;
    case SimdPath::kAvx2: return __builtin_cpu_supports("avx2");
    case SimdPath::kAvx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl")
            && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
    }
    return false;
}

SimdPath DefaultSimdPath() { return g_default; }

} // namespace kdsp
