#pragma once
// Guards shared by the recursive filters and the delay line: a NaN or infinite
// value must never enter a history, or one bad sample would lock it up for good.
#include <emmintrin.h>
#if defined(__AVX512VL__)
#include <immintrin.h>
#endif

#include <cmath>
#include <cstdint>
#include <limits>

namespace kdsp {

inline double ZeroIfNotFinite(double v) { return std::isfinite(v) ? v : 0.0; }

#if defined(__AVX512VL__) && defined(__AVX512DQ__)
// Built into the AVX-512 engine loop only (EngineLoop.h): the class test reads the
// bits, whatever the MXCSR says of subnormals, and a NaN or infinite lane becomes +0,
// as below, in two short instructions instead of a chain of three.
inline __m128d ZeroIfNotFinite(__m128d v)
{
    constexpr int kNaNOrInfinite = 0x01 | 0x08 | 0x10 | 0x80; // quiet NaN, +inf, -inf, signalling NaN
    return _mm_maskz_mov_pd(static_cast<__mmask8>(~_mm_fpclass_pd_mask(v, kNaNOrInfinite)), v);
}
#else
// The same for both lanes of an SSE2 pair: v - v is NaN exactly when v is not finite.
inline __m128d ZeroIfNotFinite(__m128d v)
{
    const __m128d d = _mm_sub_pd(v, v);
    return _mm_and_pd(v, _mm_cmpord_pd(d, d));
}
#endif

// Float-to-integer conversion that never overflows: NaN gives 0, values beyond
// the range give its ends. In range it truncates toward zero like a plain cast.
inline int32_t SaturateToInt32(double v)
{
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Read positions live in -1..+1; anything else, NaN included, is pulled inside
// (NaN to -1, the zero-delay end) so tap indices stay inside the buffers.
inline double ClampPosition(double p)
{
    if (p > 1.0) return 1.0;
    if (p >= -1.0) return p;
    return -1.0;
}

// ClampPosition on both lanes: the operand order sends NaN to -1.
inline __m128d ClampPositions(__m128d p) { return _mm_max_pd(_mm_min_pd(_mm_set1_pd(1.0), p), _mm_set1_pd(-1.0)); }

} // namespace kdsp
