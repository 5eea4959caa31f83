#pragma once
// The 32 factory programs, written in the units a musician reads on the panel.
#include "effect/AKestruneProgram.h"

struct FactorySetting {
    const char* name;
    float delayMs = 300.0f; // MS mode only: the tempo modes store the time of their Note
    float feedbackPct = 30.0f;
    float balancePct = 30.0f;
    float depthPct = 0.0f;
    float rateHz = 0.1f;
    bool hpf = false;
    float hpfHz = 20.0f;
    bool lpf = false;
    float lpfHz = 20000.0f;
    TimeMode mode = kTimeModeMs;
    int note = 6; // "1/4"
    float bpm = 120.0f;
    float outputDb = 0.0f;
    float inputDb = 0.0f;
};

extern const FactorySetting kFactorySettings[kNumPrograms];

// The program record for a setting: each value is the normalised form of the nearest step.
AKestruneProgram MakeProgram(const FactorySetting& setting);
