#include "effect/ParameterTable.h"

const ParamRow AutomateParamMinMax_Tbl[kNumParams] = {
    {kOnOff, 0, 1, 1, 0, 1, 0},
    {kOutputLevel, -593, 60, 0, 1, 0, -1},
    {kInputLevel, -593, 0, 0, 1, 0, -1},
    {kDelayTime, 0, 8000, 0, 0, 0, -1},
    {kFeedBack, 0, 1000, 0, 1, 0, -1},
    {kBalance, 0, 1000, 500, 1, 0, -1},
    {kDepth, 0, 1000, 0, 1, 0, -1},
    {kRate, 1, 100, 1, 1, 0, -1},
    {kHpfOn, 0, 1, 0, 0, 1, 0},
    {kLpfOn, 0, 1, 0, 0, 1, 0},
    {kHpfFreq, 20, 20000, 20, 0, 0, -1},
    {kLpfFreq, 20, 20000, 20000, 0, 0, -1},
    {kTimeMode, 0, 2, 0, 0, 1, 1},
    {kNote, 0, 9, 6, 0, 1, 2},
    {kBpm, 300, 5000, 1200, 1, 0, -1},
};

const ParamRow VolParamMinMax_Tbl[2] = {
    {kOutputGainId, 1, 2000, 1000, 3, 0, -1},
    {kInputGainId, 1, 1000, 1000, 3, 0, -1},
};

// The names are the ones hosts have always shown for this effect, spelling included.
const char* const strParameName[kNumParams] = {
    "ON/OFF", "Output Leve", "Iutput Leve", "DelayTime", "FeedBack", "Balance", "Depth", "Rate",
    "HPF ON", "LPF ON", "HPF FREQ", "LPF FREQ", "TimeMode", "Note", "BPM",
};

const char* const strLavel[kNumParams] = {
    "", "dB", "dB", "ms", "%", "%", "%", "Hz", "", "", "Hz", "Hz", "", "", "",
};

const char* const szParamString[2] = {"OFF", "ON"};
const char* const szParamStringTimeMode[3] = {"MS", "BPM", "HOST"};
const char* const szParamStringNote[10] = {
    "1/64", "1/32", "1/16", "1/8 T", "1/8", "1/4 T", "1/4", "1/2 T", "1/2", "1 Bar",
};

const int NoteStep[10] = {30, 60, 120, 160, 240, 320, 480, 640, 960, 1920};
