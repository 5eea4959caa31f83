#pragma once
// The wet high-pass and low-pass as one four-lane AVX filter: lanes 0-1 the high-pass
// (left, right) on one frame, lanes 2-3 the low-pass on the frame before, whose input
// the high-pass gave an iteration earlier. One set of 256-bit operations does the work
// of two StereoFilterPair steps. Each lane performs the one-channel form's operations
// in its order, so the bits are the same. Only for code built with AVX (the engine's
// wider loops); the history goes back to the StereoFilterPairs by Store().
#ifdef __AVX__
#include <immintrin.h>

#include <limits>

#include "dsp/StereoFilterPair.h"

class StaggeredFilterPair {
public:
    StaggeredFilterPair(const StereoFilterPair& high, const StereoFilterPair& low)
        : m_b0(Join(high.m_b0, low.m_b0)), m_b1(Join(high.m_b1, low.m_b1)), m_b2(Join(high.m_b2, low.m_b2)),
          m_a1(Join(high.m_a1, low.m_a1)), m_a2(Join(high.m_a2, low.m_a2)), m_x1(Join(high.m_x1, low.m_x1)),
          m_x2(Join(high.m_x2, low.m_x2)), m_y1(Join(high.m_y1, low.m_y1)), m_y2(Join(high.m_y2, low.m_y2))
    {
    }

    // The high-pass's history from `high`, which has run a step on its own.
    void TakeHigh(const StereoFilterPair& high)
    {
        m_x1 = _mm256_insertf128_pd(m_x1, high.m_x1, 0);
        m_x2 = _mm256_insertf128_pd(m_x2, high.m_x2, 0);
        m_y1 = _mm256_insertf128_pd(m_y1, high.m_y1, 0);
        m_y2 = _mm256_insertf128_pd(m_y2, high.m_y2, 0);
    }

    // The high-pass on xHigh and the low-pass on xLow; their outputs in high and low.
    void Step(__m128d xHigh, __m128d xLow, __m128d& high, __m128d& low)
    {
        const __m256d x = Join(xHigh, xLow);
        __m256d acc = _mm256_add_pd(_mm256_mul_pd(m_b0, x), _mm256_mul_pd(m_b1, m_x1));
        acc = _mm256_add_pd(acc, _mm256_mul_pd(m_b2, m_x2));
        acc = _mm256_sub_pd(acc, _mm256_mul_pd(m_a1, m_y1));
        acc = _mm256_sub_pd(acc, _mm256_mul_pd(m_a2, m_y2));
        const __m256d y = Flush(acc);
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        high = _mm256_castpd256_pd128(y);
        low = _mm256_extractf128_pd(y, 1);
    }

    void Store(StereoFilterPair& high, StereoFilterPair& low) const
    {
        high.m_x1 = _mm256_castpd256_pd128(m_x1);
        high.m_x2 = _mm256_castpd256_pd128(m_x2);
        high.m_y1 = _mm256_castpd256_pd128(m_y1);
        high.m_y2 = _mm256_castpd256_pd128(m_y2);
        low.m_x1 = _mm256_extractf128_pd(m_x1, 1);
        low.m_x2 = _mm256_extractf128_pd(m_x2, 1);
        low.m_y1 = _mm256_extractf128_pd(m_y1, 1);
        low.m_y2 = _mm256_extractf128_pd(m_y2, 1);
    }

private:
    static __m256d Join(__m128d lower, __m128d upper) { return _mm256_insertf128_pd(_mm256_castpd128_pd256(lower), upper, 1); }

    // StereoFilterPair::Flush on four lanes.
    static __m256d Flush(__m256d y)
    {
        const __m256d magnitude = _mm256_andnot_pd(_mm256_set1_pd(-0.0), y);
        const __m256d audible = _mm256_and_pd(_mm256_cmp_pd(magnitude, _mm256_set1_pd(kdsp::kFlushBelow), _CMP_GE_OS),
                                              _mm256_cmp_pd(magnitude, _mm256_set1_pd(std::numeric_limits<double>::infinity()), _CMP_LT_OS));
        return _mm256_and_pd(y, _mm256_or_pd(audible, _mm256_cmp_pd(y, _mm256_setzero_pd(), _CMP_EQ_OQ)));
    }

    const __m256d m_b0, m_b1, m_b2, m_a1, m_a2;
    __m256d m_x1, m_x2, m_y1, m_y2;
};
#endif
