#include "lv2/Lv2Ports.h"

// Symbols are what hosts store in sessions: they never change. The names are the panel's;
// the VST edition keeps its old spellings only because hosts' saved automation knows them.
const Lv2ParameterPort kLv2ParameterPorts[kNumParams] = {
    {"on_off", "ON/OFF", nullptr, PortKind::toggle},
    {"output_level", "Output Level", "db", PortKind::number},
    {"input_level", "Input Level", "db", PortKind::number},
    {"delay_time", "DelayTime", "ms", PortKind::number},
    {"feedback", "FeedBack", "pc", PortKind::number},
    {"balance", "Balance", "pc", PortKind::number},
    {"depth", "Depth", "pc", PortKind::number},
    {"rate", "Rate", "hz", PortKind::number},
    {"hpf_on", "HPF ON", nullptr, PortKind::toggle},
    {"lpf_on", "LPF ON", nullptr, PortKind::toggle},
    {"hpf_freq", "HPF FREQ", "hz", PortKind::number},
    {"lpf_freq", "LPF FREQ", "hz", PortKind::number},
    {"time_mode", "TimeMode", nullptr, PortKind::list},
    {"note", "Note", nullptr, PortKind::list},
    {"bpm", "BPM", "bpm", PortKind::number},
};
