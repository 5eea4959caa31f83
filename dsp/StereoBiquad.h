#pragma once
// Two BiquadFilter sections (left, right) run as one two-lane SSE2 section. Each
// lane keeps its own coefficients and history and performs BiquadFilter::process
// operation for operation, so the results are bit-identical. Store() writes the
// history back to the sections.
#include <emmintrin.h>

#include "dsp/BiquadFilter.h"
#include "dsp/SampleGuards.h"

class StereoBiquad {
public:
    StereoBiquad(BiquadFilter& left, BiquadFilter& right)
        : m_left(left), m_right(right), m_a1(_mm_set_pd(right.a1, left.a1)), m_a2(_mm_set_pd(right.a2, left.a2)),
          m_b0(_mm_set_pd(right.b0, left.b0)), m_b1(_mm_set_pd(right.b1, left.b1)), m_b2(_mm_set_pd(right.b2, left.b2)),
          m_x1(_mm_set_pd(right.x1, left.x1)), m_x2(_mm_set_pd(right.x2, left.x2)),
          m_y1(_mm_set_pd(right.y1, left.y1)), m_y2(_mm_set_pd(right.y2, left.y2))
    {
    }

    __m128d process(__m128d x)
    {
        const __m128d ff = _mm_add_pd(_mm_add_pd(_mm_mul_pd(m_b0, x), _mm_mul_pd(m_b1, m_x1)), _mm_mul_pd(m_b2, m_x2));
        const __m128d fb = _mm_add_pd(_mm_mul_pd(m_a2, m_y2), _mm_mul_pd(m_a1, m_y1));
        const __m128d y = kdsp::ZeroIfNotFinite(_mm_sub_pd(ff, fb));
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

    void Store()
    {
        StoreLanes(m_x1, m_left.x1, m_right.x1);
        StoreLanes(m_x2, m_left.x2, m_right.x2);
        StoreLanes(m_y1, m_left.y1, m_right.y1);
        StoreLanes(m_y2, m_left.y2, m_right.y2);
    }

private:
    static void StoreLanes(__m128d v, double& left, double& right)
    {
        _mm_store_sd(&left, v);
        _mm_storeh_pd(&right, v);
    }

    BiquadFilter& m_left;
    BiquadFilter& m_right;
    __m128d m_a1, m_a2, m_b0, m_b1, m_b2;
    __m128d m_x1, m_x2, m_y1, m_y2;
};
