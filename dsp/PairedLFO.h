#pragma once
// An LFO's step with its phasor (c, s) in the two lanes of one SSE2 register: one
// rotation and one finite-value guard for both components. c' = c cos + s (-sin)
// is c cos - s sin exactly (negating a product is exact), and s' keeps LFO's order,
// so every value is LFO::Process()'s, bit for bit. Store() hands the state back.
#include <emmintrin.h>

#include "dsp/LFO.h"
#include "dsp/SampleGuards.h"

class PairedLFO {
public:
    explicit PairedLFO(LFO& osc)
        : m_osc(osc), m_cs(_mm_set_pd(osc.m_s, osc.m_c)), m_cos(_mm_set1_pd(osc.m_cos)),
          m_sin(_mm_set_pd(osc.m_sin, -osc.m_sin)), m_k(osc.m_k), m_r(osc.m_r)
    {
    }

    double Process()
    {
        const double v = _mm_cvtsd_f64(_mm_unpackhi_pd(m_cs, m_cs));
        const __m128d sc = _mm_shuffle_pd(m_cs, m_cs, 1);
        m_cs = kdsp::ZeroIfNotFinite(_mm_add_pd(_mm_mul_pd(m_cs, m_cos), _mm_mul_pd(sc, m_sin)));
        const int64_t k0 = m_k;
        m_k = k0 + 1;
        if (k0 > m_r) Renormalise();
        return v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v);
    }

    void Store()
    {
        _mm_store_sd(&m_osc.m_c, m_cs);
        _mm_storeh_pd(&m_osc.m_s, m_cs);
        m_osc.m_k = m_k;
    }

private:
    // Rare (every R + 2 steps): the oscillator's own code does it.
    void Renormalise()
    {
        Store();
        m_osc.Renormalise();
        m_cs = _mm_set_pd(m_osc.m_s, m_osc.m_c);
        m_k = m_osc.m_k;
    }

    LFO& m_osc;
    __m128d m_cs;
    const __m128d m_cos, m_sin;
    int64_t m_k;
    const int64_t m_r;
};
