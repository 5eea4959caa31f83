#include "tools/render/DemoClip.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

// Karplus-Strong string: a burst of noise circulating through an averaging loop.
void AddPluck(std::vector<float>& mono, double rate, double start, double hz, float level, std::mt19937& random)
{
    const int period = std::max(2, static_cast<int>(std::lround(rate / hz)));
    std::vector<float> loop(static_cast<size_t>(period));
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (float& s : loop) s = noise(random);
    const size_t first = static_cast<size_t>(start * rate);
    const size_t length = static_cast<size_t>(1.5 * rate);
    for (size_t i = 0; i < length && first + i < mono.size(); ++i) {
        const size_t k = i % loop.size();
        const float out = loop[k];
        loop[k] = 0.996f * 0.5f * (loop[k] + loop[(k + 1) % loop.size()]);
        mono[first + i] += level * out;
    }
}

void AddClick(std::vector<float>& mono, double rate, double start, float level)
{
    const size_t first = static_cast<size_t>(start * rate);
    for (size_t i = 0; i < 64 && first + i < mono.size(); ++i)
        mono[first + i] += level * static_cast<float>(std::exp(-static_cast<double>(i) / 6.0));
}

} // namespace

int WriteDemoClip(const RenderOptions& options)
{
    const double rate = options.sampleRate;
    const double seconds = options.seconds;
    std::vector<float> mono(static_cast<size_t>(seconds * rate), 0.0f);
    std::mt19937 random(2026);
    // A little figure at 120 BPM: A minor pentatonic plucks, a click on every bar.
    const double notes[] = {220.0, 261.63, 293.66, 329.63, 392.0, 440.0, 392.0, 329.63};
    const double beat = 0.5;
    for (int i = 0; i * beat < seconds * 0.6; ++i) {
        if (i % 4 == 0) AddClick(mono, rate, i * beat, 0.6f);
        if (i % 8 != 7) AddPluck(mono, rate, i * beat + 0.01, notes[i % 8], 0.35f, random);
    }
    SF_INFO info {};
    info.samplerate = static_cast<int>(rate);
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(options.output.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "kestrune-render: cannot write '%s': %s\n", options.output.c_str(), sf_strerror(nullptr));
        return 1;
    }
    std::vector<float> stereo(mono.size() * 2);
    for (size_t i = 0; i < mono.size(); ++i) {
        const float x = std::tanh(mono[i]);
        stereo[2 * i] = x;          // a slightly wider image: the right side lags by a hair
        stereo[2 * i + 1] = i >= 24 ? std::tanh(mono[i - 24]) : 0.0f;
    }
    const bool ok = sf_writef_float(file, stereo.data(), static_cast<sf_count_t>(mono.size()))
        == static_cast<sf_count_t>(mono.size());
    sf_close(file);
    if (!ok) {
        std::fprintf(stderr, "kestrune-render: writing '%s' failed\n", options.output.c_str());
        return 1;
    }
    std::printf("dry clip: %s (%.1f s at %.0f Hz)\n", options.output.c_str(), seconds, rate);
    return 0;
}
