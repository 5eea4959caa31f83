#pragma once
// The effect's passes over the host's buffers: widening, input gain, guard and input
// peak on the way in; mix, output gain, safety limit, narrowing and output peak on the
// way out. Each runs a channel at a time, two samples per SSE2 operation (a lone last
// sample in the low lane). Each lane performs the one-sample form's operations in its
// order, so every sample is the same bit for bit; a peak is a maximum, which no grouping
// changes.
#include <emmintrin.h>

#include <cfloat>
#include <type_traits>

#include "dsp/SampleGuards.h"

namespace stereo_pass {

// Output beyond +36 dBFS is no music: only a fault upstream gets there. It is held at that
// level on its way to the host, and what is not a number at all leaves as silence.
constexpr double kOutputLimit = 63.09573444801933; // 10^(36/20)

// Two samples from p (Two), or one in the low lane and +0 in the high one.
using Two = std::true_type;
using One = std::false_type;
inline __m128d Load(const float* p, Two) { return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)))); }
inline __m128d Load(const float* p, One) { return _mm_cvtps_pd(_mm_load_ss(p)); }
inline __m128d Load(const double* p, Two) { return _mm_loadu_pd(p); }
inline __m128d Load(const double* p, One) { return _mm_load_sd(p); }

inline void Store(__m128d v, float* p, Two) { _mm_storel_pi(reinterpret_cast<__m64*>(p), _mm_cvtpd_ps(v)); }
inline void Store(__m128d v, float* p, One) { _mm_store_ss(p, _mm_cvtpd_ps(v)); }
inline void Store(__m128d v, double* p, Two) { _mm_storeu_pd(p, v); }
inline void Store(__m128d v, double* p, One) { _mm_store_sd(p, v); }

inline __m128d Magnitude(__m128d v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }

// one(i, Two()) for samples i and i + 1, one(i, One()) for a lone last sample; returns
// std::max(peak, |v|) over the values v they return (a lone sample's empty high lane
// holds +0, which changes no peak). one should capture by value: then nothing it
// reads can change under the stores it makes, and it stays in registers.
template <class Step> float EachPair(int n, float peak, Step one)
{
    __m128d top = _mm_set1_pd(peak);
    int i = 0;
    for (; i + 1 < n; i += 2) top = _mm_max_pd(Magnitude(one(i, Two())), top);
    if (i < n) top = _mm_max_pd(Magnitude(one(i, One())), top);
    return static_cast<float>(_mm_cvtsd_f64(_mm_max_sd(top, _mm_unpackhi_pd(top, top))));
}

// gained = source x gain, non-finite products (which would live in the delay line for
// seconds) as silence; peaks[0..1] take the largest magnitudes.
template <typename Sample>
void GainInput(const Sample* const* source, double gain, double* const* gained, int n, float* peaks)
{
    const __m128d g = _mm_set1_pd(gain), largest = _mm_set1_pd(DBL_MAX);
    for (int c = 0; c < 2; ++c) {
        const Sample* const from = source[c];
        double* const to = gained[c];
        peaks[c] = EachPair(n, peaks[c], [=](int i, auto count) {
            const __m128d p = _mm_mul_pd(Load(from + i, count), g);
            const __m128d x = _mm_and_pd(p, _mm_cmple_pd(Magnitude(p), largest));
            Store(x, to + i, count);
            return x;
        });
    }
}

// out = limit((wet x balance + dry x (1 - balance)) x gain) for the host; peaks[0..1]
// take the largest magnitudes before narrowing.
template <typename Sample>
void MixOutput(const double* const* wet, const double* const* dry, double balance, double gain, Sample* const* out,
               int n, float* peaks)
{
    const __m128d b = _mm_set1_pd(balance), d = _mm_set1_pd(1.0 - balance), g = _mm_set1_pd(gain);
    const __m128d high = _mm_set1_pd(kOutputLimit), low = _mm_set1_pd(-kOutputLimit);
    for (int c = 0; c < 2; ++c) {
        const double* const w = wet[c];
        const double* const x = dry[c];
        Sample* const to = out[c];
        peaks[c] = EachPair(n, peaks[c], [=](int i, auto count) {
            const __m128d mix = _mm_add_pd(_mm_mul_pd(Load(w + i, count), b), _mm_mul_pd(Load(x + i, count), d));
            const __m128d y = _mm_max_pd(_mm_min_pd(kdsp::ZeroIfNotFinite(_mm_mul_pd(mix, g)), high), low);
            Store(y, to + i, count);
            return y;
        });
    }
}

// The same passes built for AVX2 (StereoPassesAvx2.cpp), four samples per operation;
// only for a processor that has it.
void GainInputWide(const float* const* source, double gain, double* const* gained, int n, float* peaks);
void GainInputWide(const double* const* source, double gain, double* const* gained, int n, float* peaks);
void MixOutputWide(const double* const* wet, const double* const* dry, double balance, double gain, float* const* out,
                   int n, float* peaks);
void MixOutputWide(const double* const* wet, const double* const* dry, double balance, double gain, double* const* out,
                   int n, float* peaks);

} // namespace stereo_pass
