#include "tools/factory-bank/FactoryPrograms.h"

#include "effect/ParamData.h"
#include "effect/TempoSync.h"

#include <cmath>
#include <cstdio>

namespace {
enum Note { n64, n32, n16, n8T, n8, n4T, n4, n2T, n2, nBar };
}

// clang-format off
const FactorySetting kFactorySettings[kNumPrograms] = {
    {.name = "Init"},
    {.name = "Slapback", .delayMs = 95, .feedbackPct = 0, .balancePct = 35, .lpf = true, .lpfHz = 6000},
    {.name = "Rockabilly Slap", .delayMs = 125, .feedbackPct = 12, .balancePct = 40, .hpf = true, .hpfHz = 180, .lpf = true, .lpfHz = 4500},
    {.name = "Doubler", .delayMs = 24, .feedbackPct = 0, .balancePct = 45, .depthPct = 4, .rateHz = 0.6f},
    {.name = "Tape Echo", .delayMs = 350, .feedbackPct = 45, .balancePct = 35, .depthPct = 1.5f, .rateHz = 0.7f, .hpf = true, .hpfHz = 120, .lpf = true, .lpfHz = 3500},
    {.name = "Worn Tape", .delayMs = 420, .feedbackPct = 55, .balancePct = 35, .depthPct = 3, .rateHz = 1.2f, .hpf = true, .hpfHz = 200, .lpf = true, .lpfHz = 2500},
    {.name = "Space Echo", .delayMs = 280, .feedbackPct = 62, .balancePct = 35, .depthPct = 2, .rateHz = 0.5f, .hpf = true, .hpfHz = 150, .lpf = true, .lpfHz = 4000},
    {.name = "Quarter Note", .feedbackPct = 35, .balancePct = 30, .mode = kTimeModeBpm, .note = n4},
    {.name = "Eighth Note", .feedbackPct = 40, .balancePct = 28, .mode = kTimeModeBpm, .note = n8},
    {.name = "Eighth Triplet", .feedbackPct = 40, .balancePct = 30, .mode = kTimeModeBpm, .note = n8T},
    {.name = "Quarter Triplet", .feedbackPct = 35, .balancePct = 30, .mode = kTimeModeBpm, .note = n4T},
    {.name = "Dotted 8th @120", .delayMs = 375, .feedbackPct = 40, .balancePct = 30, .lpf = true, .lpfHz = 7000},
    {.name = "Dotted 4th @100", .delayMs = 900, .feedbackPct = 35, .balancePct = 28, .lpf = true, .lpfHz = 6000},
    {.name = "Host Quarter", .feedbackPct = 35, .balancePct = 30, .mode = kTimeModeHost, .note = n4},
    {.name = "Host Eighth", .feedbackPct = 40, .balancePct = 28, .mode = kTimeModeHost, .note = n8},
    {.name = "Host Half", .feedbackPct = 45, .balancePct = 30, .mode = kTimeModeHost, .note = n2},
    {.name = "Chorus", .delayMs = 12, .feedbackPct = 0, .balancePct = 50, .depthPct = 25, .rateHz = 0.9f},
    {.name = "Wide Chorus", .delayMs = 20, .feedbackPct = 10, .balancePct = 50, .depthPct = 35, .rateHz = 0.4f},
    {.name = "Vibrato", .delayMs = 5, .feedbackPct = 0, .balancePct = 100, .depthPct = 60, .rateHz = 5.5f},
    {.name = "Flanger", .delayMs = 3, .feedbackPct = 70, .balancePct = 50, .depthPct = 80, .rateHz = 0.2f},
    {.name = "Jet Flanger", .delayMs = 2, .feedbackPct = 85, .balancePct = 50, .depthPct = 90, .rateHz = 0.1f},
    {.name = "Dub Echo", .delayMs = 500, .feedbackPct = 70, .balancePct = 40, .hpf = true, .hpfHz = 300, .lpf = true, .lpfHz = 2000},
    {.name = "Dub Siren", .delayMs = 375, .feedbackPct = 80, .balancePct = 40, .depthPct = 2, .rateHz = 0.3f, .hpf = true, .hpfHz = 500, .lpf = true, .lpfHz = 1500},
    {.name = "Filtered Eighths", .feedbackPct = 60, .balancePct = 35, .hpf = true, .hpfHz = 600, .lpf = true, .lpfHz = 2500, .mode = kTimeModeBpm, .note = n8},
    {.name = "Telephone Echo", .delayMs = 250, .feedbackPct = 45, .balancePct = 35, .hpf = true, .hpfHz = 800, .lpf = true, .lpfHz = 2500},
    {.name = "Lo-Fi Radio", .delayMs = 150, .feedbackPct = 50, .balancePct = 40, .depthPct = 4, .rateHz = 3, .hpf = true, .hpfHz = 1000, .lpf = true, .lpfHz = 2000},
    {.name = "Ambient Wash", .delayMs = 1200, .feedbackPct = 80, .balancePct = 45, .depthPct = 3, .rateHz = 0.2f, .lpf = true, .lpfHz = 5000},
    {.name = "Endless Canyon", .delayMs = 2000, .feedbackPct = 90, .balancePct = 40, .hpf = true, .hpfHz = 100, .lpf = true, .lpfHz = 3500},
    {.name = "Drift Cloud", .delayMs = 800, .feedbackPct = 75, .balancePct = 45, .depthPct = 6, .rateHz = 0.15f, .lpf = true, .lpfHz = 6000},
    {.name = "Long Tail 4s", .delayMs = 4000, .feedbackPct = 60, .balancePct = 35, .lpf = true, .lpfHz = 8000},
    {.name = "Vocal Echo", .delayMs = 220, .feedbackPct = 25, .balancePct = 20, .hpf = true, .hpfHz = 250, .lpf = true, .lpfHz = 7000},
    {.name = "Metallic Comb", .delayMs = 8, .feedbackPct = 92, .balancePct = 50, .outputDb = -6},
};
// clang-format on

namespace {

ParamData Descriptor(KestruneParam index)
{
    return DescriptorFromRow(AutomateParamMinMax_Tbl[index]);
}

float Normalised(KestruneParam index, float real)
{
    const ParamData d = Descriptor(index);
    return d.NormFrom(std::lround(real * std::pow(10.0f, static_cast<float>(d.decimals))));
}

// In the tempo modes the program stores the delay its BPM and Note give, in the form that
// choosing the program stores it (unrounded, by the descriptor rule): choosing a program
// leaves it as it is, and HOST mode without a host tempo plays that same delay.
float TempoDelay(const AKestruneProgram& p)
{
    ParamData bpm = Descriptor(kBpm);
    ParamData note = Descriptor(kNote);
    bpm.Store(p.values[kBpm]);
    note.Store(p.values[kNote]);
    const float ms = NoteDelayMs(bpm.GetInt() / 10, note.GetInt());
    return ms > 0.0f ? Descriptor(kDelayTime).NormFrom(ms) : p.values[kDelayTime];
}

} // namespace

AKestruneProgram MakeProgram(const FactorySetting& s)
{
    AKestruneProgram p;
    p.values[kOnOff] = 1.0f;
    p.values[kOutputLevel] = Normalised(kOutputLevel, s.outputDb);
    p.values[kInputLevel] = Normalised(kInputLevel, s.inputDb);
    p.values[kDelayTime] = Normalised(kDelayTime, s.delayMs);
    p.values[kFeedBack] = Normalised(kFeedBack, s.feedbackPct);
    p.values[kBalance] = Normalised(kBalance, s.balancePct);
    p.values[kDepth] = Normalised(kDepth, s.depthPct);
    p.values[kRate] = Normalised(kRate, s.rateHz);
    p.values[kHpfOn] = s.hpf ? 1.0f : 0.0f;
    p.values[kLpfOn] = s.lpf ? 1.0f : 0.0f;
    p.values[kHpfFreq] = Normalised(kHpfFreq, s.hpfHz);
    p.values[kLpfFreq] = Normalised(kLpfFreq, s.lpfHz);
    p.values[kTimeMode] = Normalised(kTimeMode, static_cast<float>(s.mode));
    p.values[kNote] = Normalised(kNote, static_cast<float>(s.note));
    p.values[kBpm] = Normalised(kBpm, s.bpm);
    if (s.mode != kTimeModeMs) p.values[kDelayTime] = TempoDelay(p);
    std::snprintf(p.name, sizeof p.name, "%s", s.name);
    return p;
}
