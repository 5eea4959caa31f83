#include "dsp/CBiquadFilter.h"

#include <emmintrin.h>

#include "dsp/Cookbook.h"
#include "dsp/StereoFilterPair.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi9 = 6.283185307;   // 2*pi to nine decimals, as the filters were tuned with
constexpr double kTwoSqrt2 = 2.82842712;  // 2*sqrt(2) to eight decimals

// NaN and infinity become 0; so do tails below 2^-40, before they turn subnormal.
template <typename T> T Flush(T y)
{
    if (!std::isfinite(y)) return T(0);
    if (y != T(0) && std::fabs(y) < T(kdsp::kFlushBelow)) return T(0);
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

void CBiquadFilter::OperateStereo(CBiquadFilter& left, CBiquadFilter& right, const double* inL, const double* inR,
                                  double* outL, double* outR, int n)
{
    if (n <= 0) return;
    StereoFilterPair pair(left, right);
    for (int k = 0; k < n; ++k)
        StereoFilterPair::Put(pair.Step(StereoFilterPair::Lanes(inL[k], inR[k])), outL[k], outR[k]);
    pair.Store();
}

template <bool chained>
void CBiquadFilter::Cascade(CBiquadFilter& firstL, CBiquadFilter& firstR, CBiquadFilter& secondL,
                            CBiquadFilter& secondR, const double* inL, const double* inR, double* firstOutL,
                            double* firstOutR, double* secondOutL, double* secondOutR, int n)
{
    StereoFilterPair first(firstL, firstR), second(secondL, secondR);
    for (int k = 0; k < n; ++k) {
        const __m128d x = StereoFilterPair::Lanes(inL[k], inR[k]);
        const __m128d y = first.Step(x);
        StereoFilterPair::Put(y, firstOutL[k], firstOutR[k]);
        StereoFilterPair::Put(second.Step(chained ? y : x), secondOutL[k], secondOutR[k]);
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
