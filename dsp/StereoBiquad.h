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

    // The up converter's frame: x followed by three inserted zeros, the four outputs
    // into y. The products with the zeros, and with the zeros left in the history by
    // the previous frame, are b x 0 every time: taken once (ZeroProducts) instead of
    // per sample. The sums keep process()'s order, so the bits are the same. Needs
    // ZeroHistory(); leaves it so.
    struct ZeroProducts {
        __m128d z0, z1, z2, z01, z012;
    };
    ZeroProducts ZeroProductsOf() const
    {
        const __m128d zero = _mm_setzero_pd();
        const __m128d z0 = _mm_mul_pd(m_b0, zero), z1 = _mm_mul_pd(m_b1, zero), z2 = _mm_mul_pd(m_b2, zero);
        const __m128d z01 = _mm_add_pd(z0, z1);
        return {z0, z1, z2, z01, _mm_add_pd(z01, z2)};
    }
    // Both input history samples are +0, as the inserted zeros leave them.
    bool ZeroHistory() const
    {
        const __m128i bits = _mm_castpd_si128(_mm_or_pd(m_x1, m_x2));
        return _mm_movemask_epi8(_mm_cmpeq_epi32(bits, _mm_setzero_si128())) == 0xFFFF;
    }
    void RaiseFrame(__m128d x, const ZeroProducts& z, __m128d* y)
    {
        y[0] = Recurse(_mm_add_pd(_mm_add_pd(_mm_mul_pd(m_b0, x), z.z1), z.z2));
        y[1] = Recurse(_mm_add_pd(_mm_add_pd(z.z0, _mm_mul_pd(m_b1, x)), z.z2));
        y[2] = Recurse(_mm_add_pd(z.z01, _mm_mul_pd(m_b2, x)));
        y[3] = Recurse(z.z012);
    }

    void Store()
    {
        StoreLanes(m_x1, m_left.x1, m_right.x1);
        StoreLanes(m_x2, m_left.x2, m_right.x2);
        StoreLanes(m_y1, m_left.y1, m_right.y1);
        StoreLanes(m_y2, m_left.y2, m_right.y2);
    }

protected:
    // The feedback half of process() with the input history already at +0.
    __m128d Recurse(__m128d ff)
    {
        const __m128d fb = _mm_add_pd(_mm_mul_pd(m_a2, m_y2), _mm_mul_pd(m_a1, m_y1));
        const __m128d y = kdsp::ZeroIfNotFinite(_mm_sub_pd(ff, fb));
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

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
