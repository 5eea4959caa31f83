// The effect's passes built for AVX2 (compile options in CMakeLists.txt): four samples
// of a channel per operation. Chosen where the processor has AVX2 (AKestrune), as the
// engine's loop is. Each lane performs StereoPasses.h's operations in its order, so
// every sample and peak is the same bit for bit. Self-contained: no inline helper
// shared with the baseline build is compiled here, so none built for AVX2 can stand in
// for the baseline's.
#include "effect/StereoPasses.h"

#include <immintrin.h>

#include <cfloat>

namespace {

__m256d Load4(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
__m256d Load4(const double* p) { return _mm256_loadu_pd(p); }
void Store4(__m256d v, float* p) { _mm_storeu_ps(p, _mm256_cvtpd_ps(v)); }
void Store4(__m256d v, double* p) { _mm256_storeu_pd(p, v); }

// count samples from p (1 to 4), the lanes beyond them +0.
template <typename Sample> __m256d LoadUpTo(const Sample* p, int count)
{
    if (count == 4) return Load4(p);
    Sample padded[4] = {};
    for (int k = 0; k < count; ++k) padded[k] = p[k];
    return Load4(padded);
}
template <typename Sample> void StoreUpTo(__m256d v, Sample* p, int count)
{
    if (count == 4) return Store4(v, p);
    Sample padded[4];
    Store4(v, padded);
    for (int k = 0; k < count; ++k) p[k] = padded[k];
}

__m256d Magnitude4(__m256d v) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v); }

// one(i, count) for the samples i to i + count - 1, four at a time; returns
// std::max(peak, |v|) over the values v it returns (empty lanes hold +0). one should
// capture by value, so nothing it reads can change under its stores.
template <class Step> float EachFour(int n, float peak, Step one)
{
    __m256d top = _mm256_set1_pd(peak);
    int i = 0;
    for (; i + 4 <= n; i += 4) top = _mm256_max_pd(Magnitude4(one(i, 4)), top);
    if (i < n) top = _mm256_max_pd(Magnitude4(one(i, n - i)), top);
    const __m128d half = _mm_max_pd(_mm256_castpd256_pd128(top), _mm256_extractf128_pd(top, 1));
    return static_cast<float>(_mm_cvtsd_f64(_mm_max_sd(half, _mm_unpackhi_pd(half, half))));
}

template <typename Sample>
void GainInputFour(const Sample* const* source, double gain, double* const* gained, int n, float* peaks)
{
    const __m256d g = _mm256_set1_pd(gain), largest = _mm256_set1_pd(DBL_MAX);
    for (int c = 0; c < 2; ++c) {
        const Sample* const from = source[c];
        double* const to = gained[c];
        peaks[c] = EachFour(n, peaks[c], [=](int i, int count) {
            const __m256d p = _mm256_mul_pd(LoadUpTo(from + i, count), g);
            const __m256d x = _mm256_and_pd(p, _mm256_cmp_pd(Magnitude4(p), largest, _CMP_LE_OS));
            StoreUpTo(x, to + i, count);
            return x;
        });
    }
}

template <typename Sample>
void MixOutputFour(const double* const* wet, const double* const* dry, double balance, double gain, Sample* const* out,
                   int n, float* peaks)
{
    const __m256d b = _mm256_set1_pd(balance), d = _mm256_set1_pd(1.0 - balance), g = _mm256_set1_pd(gain);
    const __m256d high = _mm256_set1_pd(stereo_pass::kOutputLimit), low = _mm256_set1_pd(-stereo_pass::kOutputLimit);
    for (int c = 0; c < 2; ++c) {
        const double* const w = wet[c];
        const double* const x = dry[c];
        Sample* const to = out[c];
        peaks[c] = EachFour(n, peaks[c], [=](int i, int count) {
            const __m256d mix = _mm256_add_pd(_mm256_mul_pd(LoadUpTo(w + i, count), b), _mm256_mul_pd(LoadUpTo(x + i, count), d));
            // kdsp::ZeroIfNotFinite: v - v is NaN exactly when v is not finite.
            const __m256d v = _mm256_mul_pd(mix, g);
            const __m256d diff = _mm256_sub_pd(v, v);
            const __m256d finite = _mm256_and_pd(v, _mm256_cmp_pd(diff, diff, _CMP_ORD_Q));
            const __m256d y = _mm256_max_pd(_mm256_min_pd(finite, high), low);
            StoreUpTo(y, to + i, count);
            return y;
        });
    }
}

} // namespace

namespace stereo_pass {

void GainInputWide(const float* const* source, double gain, double* const* gained, int n, float* peaks)
{
    GainInputFour(source, gain, gained, n, peaks);
}
void GainInputWide(const double* const* source, double gain, double* const* gained, int n, float* peaks)
{
    GainInputFour(source, gain, gained, n, peaks);
}
void MixOutputWide(const double* const* wet, const double* const* dry, double balance, double gain, float* const* out,
                   int n, float* peaks)
{
    MixOutputFour(wet, dry, balance, gain, out, n, peaks);
}
void MixOutputWide(const double* const* wet, const double* const* dry, double balance, double gain, double* const* out,
                   int n, float* peaks)
{
    MixOutputFour(wet, dry, balance, gain, out, n, peaks);
}

} // namespace stereo_pass
