#pragma once
// Measuring helpers for the signal-processing tests.
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

namespace dsptest {

// H(e^jw) of (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2) at f Hz.
inline std::complex<double> Transfer(double b0, double b1, double b2, double a1, double a2, double f, double fs)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * f / fs), z2 = z1 * z1;
    return (b0 + b1 * z1 + b2 * z2) / (1.0 + a1 * z1 + a2 * z2);
}

inline double Db(double gain) { return 20.0 * std::log10(gain); }

inline std::vector<double> Sine(double f, double fs, size_t n, double amplitude = 1.0)
{
    std::vector<double> v(n);
    for (size_t k = 0; k < n; ++k) v[k] = amplitude * std::sin(2.0 * std::numbers::pi * f * static_cast<double>(k) / fs);
    return v;
}

// Amplitude of the f Hz component of v[from..], projected over whole periods.
inline double AmplitudeAt(const std::vector<double>& v, size_t from, double f, double fs)
{
    const size_t n = static_cast<size_t>(std::floor(std::floor(static_cast<double>(v.size() - from) * f / fs) * fs / f));
    std::complex<double> acc = 0.0;
    for (size_t k = 0; k < n; ++k) acc += v[from + k] * std::polar(1.0, 2.0 * std::numbers::pi * f * static_cast<double>(k) / fs);
    return 2.0 * std::abs(acc) / static_cast<double>(n);
}

inline uint64_t Bits(double v)
{
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Small deterministic generator, so long random runs are reproducible.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1)); }

private:
    uint64_t m_state;
};

} // namespace dsptest
