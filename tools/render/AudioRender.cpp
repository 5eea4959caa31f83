#include "tools/render/AudioRender.h"

#include "tools/render/ChannelBuffers.h"
#include "tools/render/OutputFile.h"
#include "tools/render/PluginSession.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <strings.h>
#include <unistd.h>

namespace {

using SndFile = std::unique_ptr<SNDFILE, int (*)(SNDFILE*)>;

int OutputFormat(const std::string& path)
{
    const std::string::size_type dot = path.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    if (::strcasecmp(ext.c_str(), "flac") == 0) return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    if (::strcasecmp(ext.c_str(), "wav") == 0) return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    return 0;
}

std::string Decibels(float peak)
{
    char text[32];
    if (peak <= 0.0f)
        std::snprintf(text, sizeof text, "-inf dBFS");
    else
        std::snprintf(text, sizeof text, "%.1f dBFS", 20.0 * std::log10(peak));
    return text;
}

class Progress {
public:
    Progress(long long total, bool enabled) : m_total(total), m_enabled(enabled && ::isatty(2)) {}
    bool Active() const { return m_enabled && m_last >= 0 && m_last < 100; }
    void Update(long long done)
    {
        if (!m_enabled || m_total <= 0) return;
        const int percent = static_cast<int>(100 * done / m_total);
        if (percent == m_last) return;
        m_last = percent;
        const int filled = percent / 2;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "##################################################",
                     50 - filled, "", percent);
        if (percent == 100) std::fprintf(stderr, "\n");
    }

private:
    long long m_total;
    bool m_enabled;
    int m_last = -1;
};

} // namespace

int RenderFile(const RenderOptions& options)
{
    // Writing goes through a temporary file, but the rename at the end would still replace
    // the input: refuse before anything is written.
    if (IsSameFile(options.input, options.output)) {
        std::fprintf(stderr, "kestrune-render: '%s' and '%s' are the same file; choose another output\n",
                     options.input.c_str(), options.output.c_str());
        return 2;
    }
    SF_INFO inInfo {};
    SndFile in(sf_open(options.input.c_str(), SFM_READ, &inInfo), sf_close);
    if (!in) {
        std::fprintf(stderr, "kestrune-render: cannot read '%s': %s\n", options.input.c_str(), sf_strerror(nullptr));
        return 1;
    }
    // A down-mix of more channels needs choices (centre and LFE levels, surround order) that
    // only the user can make; dropping channels silently loses music.
    if (inInfo.channels > 2) {
        std::fprintf(stderr, "kestrune-render: '%s' has %d channels; the input must be mono or stereo (mix it down first)\n",
                     options.input.c_str(), inInfo.channels);
        return 2;
    }
    const int format = OutputFormat(options.output);
    if (!format) {
        std::fprintf(stderr, "kestrune-render: the output must be a .wav or .flac file\n");
        return 2;
    }
    PluginSession session(options.plugins.front(), inInfo.samplerate, options.blockSize, options.tempo);
    if (!session.Error().empty()) {
        std::fprintf(stderr, "kestrune-render: %s\n", session.Error().c_str());
        return 1;
    }
    SF_INFO outInfo {};
    outInfo.samplerate = inInfo.samplerate;
    outInfo.channels = 2;
    outInfo.format = format;
    OutputFile out;
    if (!out.Open(options.output, outInfo)) {
        std::fprintf(stderr, "kestrune-render: %s\n", out.Error().c_str());
        return 1;
    }

    const int block = options.blockSize;
    const long long tailFrames = std::llround(options.tailSeconds * inInfo.samplerate);
    const long long total = inInfo.frames + tailFrames;
    std::vector<float> interleavedIn(static_cast<size_t>(block) * inInfo.channels);
    std::vector<float> interleavedOut(static_cast<size_t>(block) * 2);
    ChannelBuffers inputs(block), outputs(block);
    float inPeak[2] = {}, outPeak[2] = {};
    Progress progress(total, options.progress && total > 30LL * inInfo.samplerate);

    for (long long done = 0; done < total;) {
        const int frames = static_cast<int>(std::min<long long>(block, total - done));
        const sf_count_t got = sf_readf_float(in.get(), interleavedIn.data(), frames);
        for (int i = 0; i < frames; ++i) {
            for (int c = 0; c < 2; ++c) {
                const int source = std::min(c, inInfo.channels - 1); // mono feeds both sides
                const float x = i < got ? interleavedIn[static_cast<size_t>(i) * inInfo.channels + source] : 0.0f;
                inputs.Channel(c)[i] = x;
                inPeak[c] = std::max(inPeak[c], std::fabs(x));
            }
        }
        session.Process(inputs.Pointers(), outputs.Pointers(), frames);
        for (int i = 0; i < frames; ++i) {
            for (int c = 0; c < 2; ++c) {
                const float y = outputs.Channel(c)[i];
                interleavedOut[static_cast<size_t>(i) * 2 + c] = y;
                outPeak[c] = std::max(outPeak[c], std::fabs(y));
            }
        }
        if (!out.Write(interleavedOut.data(), frames)) {
            if (progress.Active()) std::fprintf(stderr, "\n");
            std::fprintf(stderr, "kestrune-render: %s\n", out.Error().c_str());
            return 1;
        }
        done += frames;
        progress.Update(done);
    }
    if (!out.Commit()) {
        std::fprintf(stderr, "kestrune-render: %s\n", out.Error().c_str());
        return 1;
    }
    std::printf("%s: %s -> %s (%.2f s at %d Hz, block %d)\n", session.Name().c_str(), options.input.c_str(),
                options.output.c_str(), static_cast<double>(total) / inInfo.samplerate, inInfo.samplerate, block);
    std::printf("  input peak   L %s   R %s\n", Decibels(inPeak[0]).c_str(), Decibels(inPeak[1]).c_str());
    std::printf("  output peak  L %s   R %s\n", Decibels(outPeak[0]).c_str(), Decibels(outPeak[1]).c_str());
    return 0;
}
