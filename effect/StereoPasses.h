#pragma once
// The effect's passes over the host's buffers, both channels in the two lanes of an
// SSE2 register: widening, input gain, guard and input peak on the way in; mix,
// output gain, safety limit, narrowing and output peak on the way out. Each lane
// performs the one-channel form's operations in its order, so every sample is the
// same bit for bit. A peak is a maximum, which no grouping changes: two running
// maxima per lane, taken together at the end, shorten the chain of comparisons that
// bounded these loops.
#include <emmintrin.h>

#include <cfloat>

#include "dsp/SampleGuards.h"

namespace stereo_pass {

// Output beyond +36 dBFS is no music: only a fault upstream gets there. It is held at that
// level on its way to the host, and what is not a number at all leaves as silence.
constexpr double kOutputLimit = 63.09573444801933; // 10^(36/20)

inline __m128d Load(const float* left, const float* right, int i)
{
    return _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(left + i), _mm_load_ss(right + i)));
}
inline __m128d Load(const double* left, const double* right, int i) { return _mm_loadh_pd(_mm_load_sd(left + i), right + i); }

inline void Store(__m128d v, float* left, float* right, int i)
{
    const __m128 f = _mm_cvtpd_ps(v);
    _mm_store_ss(left + i, f);
    _mm_store_ss(right + i, _mm_shuffle_ps(f, f, 1));
}
inline void Store(__m128d v, double* left, double* right, int i)
{
    _mm_store_sd(left + i, v);
    _mm_storeh_pd(right + i, v);
}

inline __m128d Magnitude(__m128d v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }

// Running maxima of magnitudes for a left/right pair of peaks, alternately in two
// registers (even and odd frames).
class Peaks {
public:
    explicit Peaks(const float* peaks) : m_even(_mm_cvtps_pd(_mm_set_ps(0.0f, 0.0f, peaks[1], peaks[0]))), m_odd(m_even) {}
    // std::max(peak, |v|): |v| only where it is larger.
    void Even(__m128d v) { m_even = _mm_max_pd(Magnitude(v), m_even); }
    void Odd(__m128d v) { m_odd = _mm_max_pd(Magnitude(v), m_odd); }
    void Store(float* peaks) const
    {
        const __m128 f = _mm_cvtpd_ps(_mm_max_pd(m_even, m_odd));
        _mm_store_ss(peaks, f);
        _mm_store_ss(peaks + 1, _mm_shuffle_ps(f, f, 1));
    }

private:
    __m128d m_even, m_odd;
};

// one(i) processes frame i and returns what the peaks take.
template <class Frame> void ForEachFrame(int n, float* peaks, Frame one)
{
    Peaks peak(peaks);
    int i = 0;
    for (; i + 1 < n; i += 2) {
        peak.Even(one(i));
        peak.Odd(one(i + 1));
    }
    if (i < n) peak.Even(one(i));
    peak.Store(peaks);
}

// gained = source x gain, non-finite products (which would live in the delay line for
// seconds) as silence; peaks[0..1] take the largest magnitudes.
template <typename Sample>
void GainInput(const Sample* const* source, double gain, double* const* gained, int n, float* peaks)
{
    const __m128d g = _mm_set1_pd(gain), largest = _mm_set1_pd(DBL_MAX);
    ForEachFrame(n, peaks, [&](int i) {
        const __m128d p = _mm_mul_pd(Load(source[0], source[1], i), g);
        const __m128d x = _mm_and_pd(p, _mm_cmple_pd(Magnitude(p), largest));
        Store(x, gained[0], gained[1], i);
        return x;
    });
}

// out = limit((wet x balance + dry x (1 - balance)) x gain) for the host; peaks[0..1]
// take the largest magnitudes before narrowing.
template <typename Sample>
void MixOutput(const double* const* wet, const double* const* dry, double balance, double gain, Sample* const* out,
               int n, float* peaks)
{
    const __m128d b = _mm_set1_pd(balance), d = _mm_set1_pd(1.0 - balance), g = _mm_set1_pd(gain);
    const __m128d high = _mm_set1_pd(kOutputLimit), low = _mm_set1_pd(-kOutputLimit);
    ForEachFrame(n, peaks, [&](int i) {
        const __m128d mix = _mm_add_pd(_mm_mul_pd(Load(wet[0], wet[1], i), b), _mm_mul_pd(Load(dry[0], dry[1], i), d));
        const __m128d y = _mm_max_pd(_mm_min_pd(kdsp::ZeroIfNotFinite(_mm_mul_pd(mix, g)), high), low);
        Store(y, out[0], out[1], i);
        return y;
    });
}

} // namespace stereo_pass
