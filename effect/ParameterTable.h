#pragma once
// The effect's parameter set: indices, ranges, names, units and step names.
#include <cstdint>

enum KestruneParam : int {
    kOnOff = 0,
    kOutputLevel,
    kInputLevel,
    kDelayTime,
    kFeedBack,
    kBalance,
    kDepth,
    kRate,
    kHpfOn,
    kLpfOn,
    kHpfFreq,
    kLpfFreq,
    kTimeMode,
    kNote,
    kBpm,
    kNumParams,
};

constexpr int kOutputGainId = 1000;
constexpr int kInputGainId = 1001;
constexpr int kNumPrograms = 32;

// The host parameter index a descriptor id stands for (the gain ids map to the levels); -1 if none.
constexpr int HostIndexOf(int id)
{
    if (id == kOutputGainId) return kOutputLevel;
    if (id == kInputGainId) return kInputLevel;
    return id >= 0 && id < kNumParams ? id : -1;
}

enum TimeMode : int { kTimeModeMs = 0, kTimeModeBpm = 1, kTimeModeHost = 2 };

// One row: index (or gain id), min, max, default, decimals, is list, list.
struct ParamRow {
    int32_t id, min, max, def, decimals, isList, list;
};

extern const ParamRow AutomateParamMinMax_Tbl[kNumParams];
extern const ParamRow VolParamMinMax_Tbl[2];
extern const char* const strParameName[kNumParams];
extern const char* const strLavel[kNumParams];

extern const char* const szParamString[2];
extern const char* const szParamStringTimeMode[3];
extern const char* const szParamStringNote[10];

// Length of each note value in ticks of 480 per quarter note.
extern const int NoteStep[10];
