#pragma once
// A left and a right CBiquadFilter as one two-lane SSE2 filter, history in registers
// while a loop runs; Store() hands it back. Each lane performs the one-channel form's
// operations in its order, so the bits are the same.
#include <emmintrin.h>

#include <limits>

#include "dsp/CBiquadFilter.h"

namespace kdsp {
// Filter tails below this become 0 before they turn subnormal.
constexpr double kFlushBelow = 0x1p-40;
} // namespace kdsp

class StereoFilterPair {
public:
    StereoFilterPair(CBiquadFilter& l, CBiquadFilter& r)
        : m_left(l), m_right(r), m_b0(Lanes(l.m_b0, r.m_b0)), m_b1(Lanes(l.m_b1, r.m_b1)),
          m_b2(Lanes(l.m_b2, r.m_b2)), m_a1(Lanes(l.m_a1, r.m_a1)), m_a2(Lanes(l.m_a2, r.m_a2)),
          m_x1(Lanes(l.m_x1, r.m_x1)), m_x2(Lanes(l.m_x2, r.m_x2)), m_y1(Lanes(l.m_y1, r.m_y1)),
          m_y2(Lanes(l.m_y2, r.m_y2))
    {
    }

    static __m128d Lanes(double left, double right) { return _mm_set_pd(right, left); }
    static void Put(__m128d v, double& l, double& r)
    {
        _mm_store_sd(&l, v);
        _mm_storeh_pd(&r, v);
    }

    __m128d Step(__m128d x)
    {
        // Same order of operations as the one-channel form: ((((b0 x + b1 x1) + b2 x2) - a1 y1) - a2 y2).
        __m128d acc = _mm_add_pd(_mm_mul_pd(m_b0, x), _mm_mul_pd(m_b1, m_x1));
        acc = _mm_add_pd(acc, _mm_mul_pd(m_b2, m_x2));
        acc = _mm_sub_pd(acc, _mm_mul_pd(m_a1, m_y1));
        acc = _mm_sub_pd(acc, _mm_mul_pd(m_a2, m_y2));
        const __m128d y = Flush(acc);
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

    void Store()
    {
        Put(m_x1, m_left.m_x1, m_right.m_x1);
        Put(m_x2, m_left.m_x2, m_right.m_x2);
        Put(m_y1, m_left.m_y1, m_right.m_y1);
        Put(m_y2, m_left.m_y2, m_right.m_y2);
    }

private:
    friend class StaggeredFilterPair;

    // The one-channel Flush() on both lanes: non-finite values and tails below 2^-40
    // become +0, while a zero keeps its sign. A magnitude from 2^-40 up to (not
    // including) infinity is kept, and so is a zero; NaN meets no comparison.
    static __m128d Flush(__m128d y)
    {
        const __m128d magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), y);
        const __m128d audible = _mm_and_pd(_mm_cmpge_pd(magnitude, _mm_set1_pd(kdsp::kFlushBelow)),
                                           _mm_cmplt_pd(magnitude, _mm_set1_pd(std::numeric_limits<double>::infinity())));
        return _mm_and_pd(y, _mm_or_pd(audible, _mm_cmpeq_pd(y, _mm_setzero_pd())));
    }

    CBiquadFilter& m_left;
    CBiquadFilter& m_right;
    const __m128d m_b0, m_b1, m_b2, m_a1, m_a2;
    __m128d m_x1, m_x2, m_y1, m_y2;
};
