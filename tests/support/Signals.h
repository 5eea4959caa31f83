#pragma once
// Test signals and the measures taken of them.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

// Uniform noise within +-level, the same for the same seed.
inline std::vector<float> Noise(size_t n, unsigned seed, float level = 0.5f)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> d(-level, level);
    std::vector<float> v(n);
    for (float& x : v) x = d(random);
    return v;
}

// Noise for the first burst frames, silence after them up to total.
inline std::vector<float> NoiseBurst(size_t total, size_t burst, unsigned seed, float level = 0.5f)
{
    std::vector<float> v = Noise(burst, seed, level);
    v.resize(total, 0.0f);
    return v;
}

inline std::vector<float> Tone(double hz, double rate, size_t frames, double level = 0.5)
{
    std::vector<float> v(frames);
    for (size_t k = 0; k < frames; ++k)
        v[k] = static_cast<float>(level * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(k) / rate));
    return v;
}

// The largest magnitude in [from, to), to clipped to the end.
inline float Peak(const std::vector<float>& v, size_t from, size_t to)
{
    float peak = 0.0f;
    for (size_t k = from; k < std::min(to, v.size()); ++k) peak = std::max(peak, std::fabs(v[k]));
    return peak;
}

// The largest second difference in [from, to): what a click shows as.
inline float LargestSecondDifference(const std::vector<float>& v, size_t from, size_t to)
{
    float largest = 0.0f;
    for (size_t k = std::max<size_t>(from, 2); k < std::min(to, v.size()); ++k)
        largest = std::max(largest, std::fabs(v[k] - 2.0f * v[k - 1] + v[k - 2]));
    return largest;
}
