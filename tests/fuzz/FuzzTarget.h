#pragma once
// One effect per fuzzing process: building one sizes an eight-second delay line.
#include "effect/AKestrune.h"

#include <cmath>
#include <cstdlib>

inline AKestrune& FuzzEffect()
{
    static AKestrune* effect = [] {
        auto* fx = new AKestrune(nullptr);
        fx->setBlockSize(64);
        return fx;
    }();
    return *effect;
}

// Whatever was loaded must play: run a block and insist on finite output.
inline void PlayOneBlock(AKestrune& fx)
{
    float left[64], right[64];
    for (int i = 0; i < 64; ++i) left[i] = right[i] = (i % 8) * 0.1f - 0.35f;
    float* io[2] = {left, right};
    fx.processReplacing(io, io, 64);
    for (int i = 0; i < 64; ++i)
        if (!std::isfinite(left[i]) || !std::isfinite(right[i])) std::abort();
    for (int p = 0; p < kNumParams; ++p) {
        const float v = fx.getParameter(p);
        if (!(v >= 0.0f && v <= 1.0f)) std::abort();
        char text[64];
        fx.getParameterDisplay(p, text);
    }
    char name[64];
    for (int p = 0; p < kNumPrograms; ++p) fx.getProgramNameIndexed(0, p, name);
}
