#include "tools/render/Bench.h"

#include "tools/render/ChannelBuffers.h"
#include "tools/render/PluginSession.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include <time.h>

namespace {

double ThreadSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

} // namespace

int RunBench(const RenderOptions& options)
{
    const long long frames = std::llround(options.seconds * options.sampleRate);
    const int block = options.blockSize;
    std::printf("%-28s %12s %14s %8s   (%.0f Hz, block %d, %.0f s of noise)\n", "plug-in", "ns/frame", "x real time",
                "ratio", options.sampleRate, block, options.seconds);
    int status = 0;
    double first = 0.0; // the first plug-in measured: the others' ratio is to it
    for (const PluginSetup& setup : options.plugins) {
        PluginSession session(setup, options.sampleRate, block, options.tempo > 0 ? options.tempo : 120.0);
        if (!session.Error().empty()) {
            std::fprintf(stderr, "kestrune-render: %s: %s\n", setup.path.c_str(), session.Error().c_str());
            status = 1;
            continue;
        }
        ChannelBuffers inputs(block), outputs(block);
        std::mt19937 random(12345);
        std::uniform_real_distribution<float> noise(-0.25f, 0.25f);
        // Fill once: the plug-in's cost is what is measured, not the generator's.
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < block; ++i) inputs.Channel(c)[i] = noise(random);
        // The processing thread's CPU time, not the wall clock: on a busy machine the time
        // other processes hold the core would count against whichever plug-in ran then.
        // (A plug-in that hands work to threads of its own would be under-counted.)
        const double start = ThreadSeconds();
        for (long long done = 0; done < frames; done += block) {
            const int n = static_cast<int>(std::min<long long>(block, frames - done));
            session.Process(inputs.Pointers(), outputs.Pointers(), n);
        }
        const double ns = (ThreadSeconds() - start) * 1e9 / static_cast<double>(frames);
        const double realTime = 1e9 / (ns * options.sampleRate);
        if (first <= 0.0) first = ns;
        std::printf("%-28s %12.1f %14.1f %8.2f\n", session.Name().c_str(), ns, realTime, ns / first);
    }
    return status;
}
