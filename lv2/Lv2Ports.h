#pragma once
// The LV2 edition's ports: their order, and how each parameter port is described to hosts.
#include "effect/ParameterTable.h"

#include <cstdint>

constexpr const char* kLv2PluginUri = "urn:orbeline:kestrune";
constexpr const char* kLv2UiUri = "urn:orbeline:kestrune#ui";
// The state property that holds the 32 working programs and the current one.
constexpr const char* kLv2ProgramsKey = "urn:orbeline:kestrune#programs";

enum Lv2Port : uint32_t {
    kPortInLeft = 0,
    kPortInRight,
    kPortOutLeft,
    kPortOutRight,
    kPortControl, // atom input: the host's transport and the panel's program operations
    kPortFirstParameter, // the 15 parameters, in the effect's order
    kPortFirstPeak = kPortFirstParameter + kNumParams, // input L, R, output L, R
    kPortLatency = kPortFirstPeak + 4,
    kPortNotify, // atom output: what the panel shows that the ports cannot
    kPortCount,
};

constexpr const char* kPeakSymbols[4] = {"peak_in_left", "peak_in_right", "peak_out_left", "peak_out_right"};
constexpr const char* kPeakNames[4] = {"Input Peak L", "Input Peak R", "Output Peak L", "Output Peak R"};

enum class PortKind { number, toggle, list };

struct Lv2ParameterPort {
    const char* symbol;
    const char* name;
    const char* unit; // lv2 units extension local name ("db", "ms", ...), or nullptr
    PortKind kind;
};

// Indexed by KestruneParam.
extern const Lv2ParameterPort kLv2ParameterPorts[kNumParams];
