#pragma once
// An LFO's step with its phasor (c, s) in the two lanes of one SSE2 register: one
// rotation and one finite-value guard for both components. c' = c cos + s (-sin)
// is c cos - s sin exactly (negating a product is exact), and s' keeps LFO's order,
// so every value is LFO::Process()'s, bit for bit. Store() hands the state back.
#include <immintrin.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "dsp/LFO.h"
#include "dsp/SampleGuards.h"

class PairedLFO {
public:
    explicit PairedLFO(LFO& osc)
        : m_osc(osc), m_cs(_mm_set_pd(osc.m_s, osc.m_c)), m_cos(_mm_set1_pd(osc.m_cos)),
          m_sin(_mm_set_pd(osc.m_sin, -osc.m_sin)), m_k(osc.m_k), m_r(osc.m_r),
          m_lastUnguarded(GuardIdle(osc) ? osc.m_r - 3 : std::numeric_limits<int64_t>::min())
    {
    }

    double Process()
    {
        const double v = _mm_cvtsd_f64(_mm_unpackhi_pd(m_cs, m_cs));
        m_cs = kdsp::ZeroIfNotFinite(Rotate(m_cs));
        const int64_t k0 = m_k;
        m_k = k0 + 1;
        if (k0 > m_r) Renormalise();
        return v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v);
    }

    // Four Process() values, in two pairs. Where the guard cannot act, the four
    // rotations run without it, and the clamps of their values run in pairs; the
    // bits are the same.
    void ProcessFrame(__m128d& v01, __m128d& v23)
    {
        __m128d s[4];
        double v[4];
        if (!Phasors(s, v)) {
            v01 = _mm_loadu_pd(v);
            v23 = _mm_loadu_pd(v + 2);
            return;
        }
        // v > 1 ? 1 : (v < -1 ? -1 : v); the operand order keeps a NaN as it is.
        const __m128d one = _mm_set1_pd(1.0), minusOne = _mm_set1_pd(-1.0);
        v01 = _mm_min_pd(one, _mm_max_pd(minusOne, _mm_unpackhi_pd(s[0], s[1])));
        v23 = _mm_min_pd(one, _mm_max_pd(minusOne, _mm_unpackhi_pd(s[2], s[3])));
    }

#ifdef __AVX__
    // The same four values in one 256-bit register, clamped in one go.
    __m256d ProcessFrameWide()
    {
        __m128d s[4];
        double v[4];
        if (!Phasors(s, v)) return _mm256_loadu_pd(v);
        auto join = [](__m128d low, __m128d high) { return _mm256_insertf128_pd(_mm256_castpd128_pd256(low), high, 1); };
        const __m256d sines = _mm256_unpackhi_pd(join(s[0], s[2]), join(s[1], s[3]));
        return _mm256_min_pd(_mm256_set1_pd(1.0), _mm256_max_pd(_mm256_set1_pd(-1.0), sines));
    }
#endif

    void Store()
    {
        _mm_store_sd(&m_osc.m_c, m_cs);
        _mm_storeh_pd(&m_osc.m_s, m_cs);
        m_osc.m_k = m_k;
    }

    // The next ProcessFrame() runs without the guard and without a renormalisation (a
    // renormalisation falls inside otherwise): it changes nothing but the phasor and
    // the step count, which Save() and Restore() take back.
    bool Unguarded() const { return m_k <= m_lastUnguarded; }
    struct State {
        __m128d cs;
        int64_t k;
    };
    State Save() const { return {m_cs, m_k}; }
    void Restore(const State& state)
    {
        m_cs = state.cs;
        m_k = state.k;
    }

private:
    // A frame's four phasors, rotated without the guard (true); or, where the guard may
    // act, its four Process() values in v (false).
    bool Phasors(__m128d (&s)[4], double (&v)[4])
    {
        if (!Unguarded()) {
            for (double& x : v) x = Process();
            return false;
        }
        s[0] = m_cs;
        for (int k = 1; k < 4; ++k) s[k] = Rotate(s[k - 1]);
        m_cs = Rotate(s[3]);
        m_k += 4;
        return true;
    }

    __m128d Rotate(__m128d cs) const
    {
        return _mm_add_pd(_mm_mul_pd(cs, m_cos), _mm_mul_pd(_mm_shuffle_pd(cs, cs, 1), m_sin));
    }

    // The guard never acts while the rotation is one (cos^2 + sin^2 within 2^-30 of 1,
    // both finite) and the phasor is finite and far from overflow: each step then grows
    // its length by at most 2^-30 + 6 ulp, which no block of up to 2^24 steps can turn
    // into an overflow, and a renormalisation brings it back to 1 (or 0).
    static bool GuardIdle(const LFO& osc)
    {
        const double rotation = osc.m_cos * osc.m_cos + osc.m_sin * osc.m_sin;
        const double limit = 0x1p500;
        return std::fabs(rotation - 1.0) <= 0x1p-30 && std::fabs(osc.m_c) < limit && std::fabs(osc.m_s) < limit;
    }

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
    const int64_t m_lastUnguarded; // the last step count a frame may start at unguarded
};
