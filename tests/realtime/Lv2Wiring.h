#pragma once
// An LV2 instance's ports wired as a host wires them: the audio buffers given, the 15
// parameters at their defaults, the meters and latency, and the notify port, whose capacity
// Run sets before each block as hosts do. Messages counts the events it carried.
#include "effect/ParameterUnits.h"
#include "lv2/Lv2Effect.h"

#include <lv2/atom/util.h>

#include <vector>

struct Lv2Wiring {
    Lv2Wiring(KestruneLv2& fx, float* inLeft, float* inRight, float* outLeft, float* outRight) : fx(fx)
    {
        for (int i = 0; i < kNumParams; ++i) ports[i] = static_cast<float>(UnitsDefault(i));
        fx.Connect(kPortInLeft, inLeft);
        fx.Connect(kPortInRight, inRight);
        fx.Connect(kPortOutLeft, outLeft);
        fx.Connect(kPortOutRight, outRight);
        fx.Connect(kPortNotify, notify.data());
        for (uint32_t i = 0; i < kNumParams; ++i) fx.Connect(kPortFirstParameter + i, &ports[i]);
        for (uint32_t i = 0; i < 5; ++i) fx.Connect(kPortFirstPeak + i, &meters[i]);
    }
    void Run(uint32_t frames)
    {
        auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(notify.data());
        sequence->atom.size = static_cast<uint32_t>(notify.size() * sizeof notify[0] - sizeof(LV2_Atom));
        fx.Run(frames);
        LV2_ATOM_SEQUENCE_FOREACH (sequence, event) ++messages;
    }

    KestruneLv2& fx;
    float ports[kNumParams];
    float meters[5] = {}; // the peaks and the latency
    std::vector<uint64_t> notify = std::vector<uint64_t>(1024);
    int messages = 0;
};
