#include "dsp/CBiquadFilter.h"

#include <emmintrin.h>

#include "dsp/Cookbook.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi9 = 6.283185307;   // 2*pi to nine decimals, as the filters were tuned with
constexpr double kTwoSqrt2 = 2.82842712;  // 2*sqrt(2) to eight decimals
const double kFlushBelow = std::ldexp(1.0, -40);

// NaN and infinity become 0; so do tails below 2^-40, before they turn subnormal.
template <typename T> T Flush(T y)
{
    if (!std::isfinite(y)) return T(0);
    if (y != T(0) && std::fabs(y) < T(kFlushBelow)) return T(0);
    return y;
}

} // namespace

CBiquadFilter::CBiquadFilter() = default;

void CBiquadFilter::CalcCoefficients(double fs, double freq, double gainDb, double q, int type)
{
    if (type < 0 || type > 4) return;
    const double fc = std::min(freq, 0.5 * fs * 0.95);
    m_fc = fc;
    m_fs = fs;

    const double A = std::pow(10.0, gainDb / 40.0);
    const double w0 = fc / fs * kTwoPi9;
    const double s = std::sin(w0);
    const double c = std::cos(w0);
    const double S = std::sqrt(A / q) * s;
    const double alpha = s / (2.0 * q);
    const double K = fc * kTwoPi9 / fs;
    const double KK = K * K;

    kdsp::RawBiquad r{};
    switch (type) {
    case 0: r = kdsp::CookbookHighShelf(A, c, S); break;
    case 1: r = kdsp::CookbookPeaking(A, c, alpha); break;
    case 2: r = kdsp::CookbookLowShelf(A, c, S); break;
    default: { // 3, 4: Butterworth low- and high-pass, bilinear without prewarping
        const double a0 = KK + kTwoSqrt2 * K + 4.0;
        const double a1 = 2.0 * KK - 8.0;
        const double a2 = KK - kTwoSqrt2 * K + 4.0;
        if (type == 3) r = {KK, 2.0 * KK, KK, a0, a1, a2};
        else r = {4.0, -8.0, 4.0, a0, a1, a2};
        break;
    }
    }
    m_a0 = r.a0;
    m_a1 = r.a1 / r.a0;
    m_a2 = r.a2 / r.a0;
    m_b0 = r.b0 / r.a0;
    m_b1 = r.b1 / r.a0;
    m_b2 = r.b2 / r.a0;
}

// The history lives in locals while the block runs, so each input is read before
// the output of the same index is written.
template <typename Sample> void CBiquadFilter::Operate(const Sample* in, Sample* out, int n)
{
    if (n <= 0) return;
    double x1 = m_x1, x2 = m_x2, y1 = m_y1, y2 = m_y2;
    for (int k = 0; k < n; ++k) {
        const double x = in[k];
        const double acc = m_b0 * x + m_b1 * x1 + m_b2 * x2 - m_a1 * y1 - m_a2 * y2;
        const Sample y = Flush(static_cast<Sample>(acc));
        out[k] = y;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
    }
    m_x1 = x1;
    m_x2 = x2;
    m_y1 = y1;
    m_y2 = y2;
}

void CBiquadFilter::OperateFilter(double* in, double* out, int n) { Operate(in, out, n); }

void CBiquadFilter::OperateFilter(float* in, float* out, int n) { Operate(in, out, n); }

namespace {

inline __m128d Lanes(double left, double right) { return _mm_set_pd(right, left); }

// Flush() on both lanes: non-finite values and tails below 2^-40 become +0, while a zero
// keeps its sign, exactly as the one-channel form.
inline __m128d FlushLanes(__m128d y)
{
    const __m128d magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), y);
    const __m128d d = _mm_sub_pd(y, y);
    const __m128d finite = _mm_cmpord_pd(d, d);
    const __m128d keep = _mm_or_pd(_mm_cmpge_pd(magnitude, _mm_set1_pd(kFlushBelow)),
                                   _mm_cmpeq_pd(y, _mm_setzero_pd()));
    return _mm_and_pd(y, _mm_and_pd(finite, keep));
}

} // namespace

// A left and a right filter as two lanes; history in registers while a loop runs.
struct CBiquadFilter::Pair {
    CBiquadFilter& left;
    CBiquadFilter& right;
    const __m128d b0, b1, b2, a1, a2;
    __m128d x1, x2, y1, y2;

    Pair(CBiquadFilter& l, CBiquadFilter& r)
        : left(l), right(r), b0(Lanes(l.m_b0, r.m_b0)), b1(Lanes(l.m_b1, r.m_b1)), b2(Lanes(l.m_b2, r.m_b2)),
          a1(Lanes(l.m_a1, r.m_a1)), a2(Lanes(l.m_a2, r.m_a2)), x1(Lanes(l.m_x1, r.m_x1)),
          x2(Lanes(l.m_x2, r.m_x2)), y1(Lanes(l.m_y1, r.m_y1)), y2(Lanes(l.m_y2, r.m_y2))
    {
    }

    __m128d Step(__m128d x)
    {
        // Same order of operations as the one-channel form: ((((b0 x + b1 x1) + b2 x2) - a1 y1) - a2 y2).
        __m128d acc = _mm_add_pd(_mm_mul_pd(b0, x), _mm_mul_pd(b1, x1));
        acc = _mm_add_pd(acc, _mm_mul_pd(b2, x2));
        acc = _mm_sub_pd(acc, _mm_mul_pd(a1, y1));
        acc = _mm_sub_pd(acc, _mm_mul_pd(a2, y2));
        const __m128d y = FlushLanes(acc);
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

    static void Put(__m128d v, double& l, double& r)
    {
        _mm_store_sd(&l, v);
        _mm_storeh_pd(&r, v);
    }

    void Store()
    {
        Put(x1, left.m_x1, right.m_x1);
        Put(x2, left.m_x2, right.m_x2);
        Put(y1, left.m_y1, right.m_y1);
        Put(y2, left.m_y2, right.m_y2);
    }
};

void CBiquadFilter::OperateStereo(CBiquadFilter& left, CBiquadFilter& right, const double* inL, const double* inR,
                                  double* outL, double* outR, int n)
{
    if (n <= 0) return;
    Pair pair(left, right);
    for (int k = 0; k < n; ++k) Pair::Put(pair.Step(Lanes(inL[k], inR[k])), outL[k], outR[k]);
    pair.Store();
}

template <bool chained>
void CBiquadFilter::Cascade(CBiquadFilter& firstL, CBiquadFilter& firstR, CBiquadFilter& secondL,
                            CBiquadFilter& secondR, const double* inL, const double* inR, double* firstOutL,
                            double* firstOutR, double* secondOutL, double* secondOutR, int n)
{
    Pair first(firstL, firstR), second(secondL, secondR);
    for (int k = 0; k < n; ++k) {
        const __m128d x = Lanes(inL[k], inR[k]);
        const __m128d y = first.Step(x);
        Pair::Put(y, firstOutL[k], firstOutR[k]);
        Pair::Put(second.Step(chained ? y : x), secondOutL[k], secondOutR[k]);
    }
    first.Store();
    second.Store();
}

void CBiquadFilter::OperateCascade(CBiquadFilter& firstL, CBiquadFilter& firstR, CBiquadFilter& secondL,
                                   CBiquadFilter& secondR, bool chained, const double* inL, const double* inR,
                                   double* firstOutL, double* firstOutR, double* secondOutL, double* secondOutR, int n)
{
    if (n <= 0) return;
    if (chained)
        Cascade<true>(firstL, firstR, secondL, secondR, inL, inR, firstOutL, firstOutR, secondOutL, secondOutR, n);
    else
        Cascade<false>(firstL, firstR, secondL, secondR, inL, inR, firstOutL, firstOutR, secondOutL, secondOutR, n);
}

void CBiquadFilter::Reset()
{
    m_x1 = m_x2 = 0.0;
    m_y1 = m_y2 = 0.0;
}
