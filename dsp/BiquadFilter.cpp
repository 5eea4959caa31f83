#include "dsp/BiquadFilter.h"

#include <algorithm>
#include <cmath>

#include "dsp/Cookbook.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfLn2 = 0.34657359027997264;

double Omega(double f, double fs) { return f * kTwoPi / fs; }

// Corner limits of the EQ setters: at least 1 Hz, at most half the sample rate.
double LimitCorner(double f, double fs) { return std::min(std::max(f, 1.0), fs / 2.0); }

double ShelfGain(double gainDb) { return std::pow(10.0, gainDb * 0.025); }

} // namespace

void BiquadFilter::setCoefficients(double nb0, double nb1, double nb2, double na1, double na2)
{
    b0 = nb0;
    b1 = nb1;
    b2 = nb2;
    a1 = na1;
    a2 = na2;
}

void BiquadFilter::setNormalised(double nb0, double nb1, double nb2, double a0, double na1, double na2)
{
    setCoefficients(nb0 / a0, nb1 / a0, nb2 / a0, na1 / a0, na2 / a0);
}

std::pair<double, double> BiquadFilter::calcAlpha(double f, double q, double fs, unsigned int kind)
{
    const double w0 = Omega(f, fs);
    const double s = std::sin(w0);
    double alpha = 0.0;
    if (kind == 0) alpha = s * std::sinh(kHalfLn2 * q * w0 / s);
    else if (kind == 1) alpha = 2.0 * q * s;
    return {alpha, s};
}

void BiquadFilter::setLPF_RB(double f, double q, double fs, unsigned int kind)
{
    const double alpha = calcAlpha(f, q, fs, kind).first;
    const double c = std::cos(Omega(f, fs));
    setNormalised((1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void BiquadFilter::setHPF_RB(double f, double q, double fs, unsigned int kind)
{
    const double alpha = calcAlpha(f, q, fs, kind).first;
    const double c = std::cos(Omega(f, fs));
    setNormalised((1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void BiquadFilter::setBPF_RB(double f, double q, double fs, unsigned int kind)
{
    const double alpha = calcAlpha(f, q, fs, kind).first;
    const double c = std::cos(Omega(f, fs));
    setNormalised(alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void BiquadFilter::setBPFP_RB(double f, double q, double fs, unsigned int kind)
{
    const auto [alpha, s] = calcAlpha(f, q, fs, kind);
    const double c = std::cos(Omega(f, fs));
    setNormalised(s / 2.0, 0.0, -s / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void BiquadFilter::setBSF_RB(double f, double q, double fs, unsigned int kind)
{
    const double alpha = calcAlpha(f, q, fs, kind).first;
    const double c = std::cos(Omega(f, fs));
    setNormalised(1.0, -2.0 * c, 1.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void BiquadFilter::setAPF_RB(double f, double q, double fs, unsigned int kind)
{
    const double alpha = calcAlpha(f, q, fs, kind).first;
    const double c = std::cos(Omega(f, fs));
    setNormalised(1.0 - alpha, -2.0 * c, 1.0 + alpha, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void BiquadFilter::setPeakEQ(double f, double gainDb, double width, double fs)
{
    const double w0 = Omega(LimitCorner(f, fs), fs);
    const double s = std::sin(w0);
    const double A = ShelfGain(gainDb);
    const double k = width < 0.0001 ? 3.4657359027997264e-05 : std::min(width, 4.0) * kHalfLn2;
    const double alpha = s * std::sinh(w0 / s * k);
    const kdsp::RawBiquad r = kdsp::CookbookPeaking(A, std::cos(w0), alpha);
    setNormalised(r.b0, r.b1, r.b2, r.a0, r.a1, r.a2);
}

namespace {

// 2*sqrt(A)*alpha of the cookbook shelves, from the shelf slope (at most 1).
double ShelfTerm(double A, double w0, double slope)
{
    const double S = slope < 0.0001 ? 0.0001 : std::min(slope, 1.0);
    return std::sin(w0) * std::sqrt((A * A + 1.0) / S - (A - 1.0) * (A - 1.0));
}

} // namespace

void BiquadFilter::setLSF(double f, double gainDb, double slope, double fs)
{
    const double w0 = Omega(LimitCorner(f, fs), fs);
    const double A = ShelfGain(gainDb);
    const kdsp::RawBiquad r = kdsp::CookbookLowShelf(A, std::cos(w0), ShelfTerm(A, w0, slope));
    setNormalised(r.b0, r.b1, r.b2, r.a0, r.a1, r.a2);
}

void BiquadFilter::setHSF(double f, double gainDb, double slope, double fs)
{
    const double w0 = Omega(LimitCorner(f, fs), fs);
    const double A = ShelfGain(gainDb);
    const kdsp::RawBiquad r = kdsp::CookbookHighShelf(A, std::cos(w0), ShelfTerm(A, w0, slope));
    setNormalised(r.b0, r.b1, r.b2, r.a0, r.a1, r.a2);
}
