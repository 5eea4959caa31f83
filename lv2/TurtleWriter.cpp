#include "lv2/TurtleWriter.h"

#include "effect/ParameterUnits.h"
#include "lv2/Lv2Messages.h"
#include "lv2/Lv2Ports.h"
#include "tools/factory-bank/FactoryPrograms.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string_view>

namespace {

const char* const kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                              "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                              "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                              "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                              "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                              "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
                              "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                              "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                              "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                              "@prefix rsz: <http://lv2plug.in/ns/ext/resize-port#> .\n"
                              "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                              "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
                              "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                              "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                              "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
                              "@prefix work: <http://lv2plug.in/ns/ext/worker#> .\n\n";

// Appends piece by piece: GCC 12 reports chains of operator+ on strings as overlapping copies.
std::string Cat(std::initializer_list<std::string_view> pieces)
{
    std::string out;
    for (std::string_view piece : pieces) out.append(piece);
    return out;
}

std::string Quoted(const char* text)
{
    std::string out = "\"";
    for (const char* c = text; *c; ++c) {
        if (*c == '"' || *c == '\\') out += '\\';
        out += *c;
    }
    return out + "\"";
}

std::string Uri(const char* uri)
{
    return Cat({"<", uri, ">"});
}

// A decimal with the parameter's own number of decimals (at least one, as Turtle wants).
std::string Decimal(int index, double value)
{
    const ParamRow& row = AutomateParamMinMax_Tbl[index];
    const int decimals = row.isList ? 1 : std::max(1, static_cast<int>(row.decimals));
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const char* const* ListNames(int list, int& count)
{
    switch (list) {
    case 0: count = 2; return szParamString;
    case 1: count = 3; return szParamStringTimeMode;
    case 2: count = 10; return szParamStringNote;
    default: count = 0; return nullptr;
    }
}

std::string AudioPort(uint32_t index, const char* kind, const char* symbol, const char* name)
{
    return Cat({"  [\n    a lv2:AudioPort, ", kind, " ;\n    lv2:index ", std::to_string(index), " ;\n    lv2:symbol ",
                Quoted(symbol), " ;\n    lv2:name ", Quoted(name), " ;\n  ]"});
}

std::string ScalePoints(int i)
{
    const ParamRow& row = AutomateParamMinMax_Tbl[i];
    int count = 0;
    const char* const* names = row.isList ? ListNames(row.list, count) : nullptr;
    std::string out;
    for (int k = 0; k < count; ++k)
        out += Cat({k == 0 ? "    lv2:scalePoint " : ",\n      ", "[ rdfs:label ", Quoted(names[k]), " ; rdf:value ",
                    Decimal(i, k), " ]", k + 1 == count ? " ;\n" : ""});
    return out;
}

std::string ParameterPort(int i)
{
    const Lv2ParameterPort& port = kLv2ParameterPorts[i];
    std::string out = Cat({"  [\n    a lv2:InputPort, lv2:ControlPort ;\n    lv2:index ",
                           std::to_string(kPortFirstParameter + i), " ;\n    lv2:symbol ", Quoted(port.symbol),
                           " ;\n    lv2:name ", Quoted(port.name), " ;\n    lv2:default ", Decimal(i, UnitsDefault(i)),
                           " ;\n    lv2:minimum ", Decimal(i, UnitsMinimum(i)), " ;\n    lv2:maximum ",
                           Decimal(i, UnitsMaximum(i)), " ;\n"});
    if (port.unit) out += Cat({"    units:unit units:", port.unit, " ;\n"});
    if (port.kind == PortKind::toggle) out += "    lv2:portProperty lv2:toggled, lv2:integer ;\n";
    if (port.kind == PortKind::list) out += "    lv2:portProperty lv2:integer, lv2:enumeration ;\n";
    out += ScalePoints(i);
    out += "  ]";
    return out;
}

std::string OutputPort(uint32_t index, const char* symbol, const char* name, bool latency)
{
    std::string out = Cat({"  [\n    a lv2:OutputPort, lv2:ControlPort ;\n    lv2:index ", std::to_string(index),
                           " ;\n    lv2:symbol ", Quoted(symbol), " ;\n    lv2:name ", Quoted(name), " ;\n"});
    if (latency)
        out += "    lv2:designation lv2:latency ;\n    lv2:portProperty lv2:reportsLatency, lv2:integer ;\n"
               "    lv2:minimum 0 ;\n    lv2:maximum 0 ;\n";
    else
        out += "    lv2:minimum 0.0 ;\n    lv2:maximum 1.0 ;\n    units:unit units:coef ;\n";
    out += "  ]";
    return out;
}

std::string PresetHead(int p)
{
    return Cat({"<", PresetUri(p), ">\n  a pset:Preset ;\n  lv2:appliesTo ", Uri(kLv2PluginUri), " ;\n  rdfs:label ",
                Quoted(kFactorySettings[p].name), " ;\n"});
}

} // namespace

std::string PresetUri(int index)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s:preset:%02d", kLv2PluginUri, index + 1);
    return text;
}

namespace {

// The panel: what it needs of the host, and the output ports whose values it is sent.
std::string UiTurtle()
{
    std::string out = Cat({"\n", Uri(kLv2UiUri), "\n  a ui:X11UI ;\n"
                           "  lv2:requiredFeature ui:idleInterface, ui:parent, urid:map ;\n"
                           "  lv2:optionalFeature ui:resize, ui:touch ;\n"
                           "  lv2:extensionData ui:idleInterface ;\n"
                           "  ui:portNotification [\n    ui:plugin ", Uri(kLv2PluginUri), " ;\n"
                           "    lv2:symbol \"notify\" ;\n    ui:protocol atom:eventTransfer ;\n"
                           "    ui:notifyType atom:Object\n  ]"});
    for (const char* symbol : kPeakSymbols)
        out += Cat({", [\n    ui:plugin ", Uri(kLv2PluginUri), " ;\n    lv2:symbol ", Quoted(symbol),
                    " ;\n    ui:protocol ui:floatProtocol\n  ]"});
    return out + " .\n";
}

} // namespace

std::string ManifestTurtle(const std::string& binaryName, const std::string& uiBinaryName)
{
    std::string out = kPrefixes;
    out += Cat({Uri(kLv2PluginUri), "\n  a lv2:Plugin ;\n  lv2:binary <", binaryName, "> ;\n  rdfs:seeAlso <Kestrune.ttl> .\n"});
    out += Cat({"\n", Uri(kLv2UiUri), "\n  a ui:X11UI ;\n  ui:binary <", uiBinaryName, "> ;\n  rdfs:seeAlso <Kestrune.ttl> .\n"});
    for (int p = 0; p < kNumPrograms; ++p) out += Cat({"\n", PresetHead(p), "  rdfs:seeAlso <presets.ttl> .\n"});
    return out;
}

std::string PluginTurtle()
{
    std::string out = kPrefixes;
    out += Uri(kLv2PluginUri);
    out += Cat({"\n  a lv2:Plugin, lv2:DelayPlugin ;\n  ui:ui ", Uri(kLv2UiUri), " ;\n"});
    out += "  doap:name \"Kestrune\" ;\n"
           "  doap:maintainer [ foaf:name \"ORBELINE Co.,Ltd.\" ] ;\n"
           "  lv2:minorVersion 0 ;\n  lv2:microVersion 0 ;\n"
           "  lv2:optionalFeature lv2:hardRTCapable, urid:map, opts:options, work:schedule ;\n"
           "  opts:supportedOption bufsz:maxBlockLength ;\n"
           "  lv2:extensionData state:interface, work:interface ;\n"
           "  lv2:port\n";
    out += AudioPort(kPortInLeft, "lv2:InputPort", "in_left", "In L") + ",\n";
    out += AudioPort(kPortInRight, "lv2:InputPort", "in_right", "In R") + ",\n";
    out += AudioPort(kPortOutLeft, "lv2:OutputPort", "out_left", "Out L") + ",\n";
    out += AudioPort(kPortOutRight, "lv2:OutputPort", "out_right", "Out R") + ",\n";
    // Optional: a host without transport (lv2apply) leaves it unconnected.
    out += Cat({"  [\n    a atom:AtomPort, lv2:InputPort ;\n    atom:bufferType atom:Sequence ;\n"
                "    atom:supports time:Position, atom:Object ;\n    lv2:designation lv2:control ;\n"
                "    lv2:portProperty lv2:connectionOptional ;\n    lv2:index ",
                std::to_string(kPortControl), " ;\n    lv2:symbol \"control\" ;\n    lv2:name \"Control\" ;\n  ],\n"});
    for (int i = 0; i < kNumParams; ++i) out += ParameterPort(i) + ",\n";
    for (uint32_t i = 0; i < 4; ++i) out += OutputPort(kPortFirstPeak + i, kPeakSymbols[i], kPeakNames[i], false) + ",\n";
    out += OutputPort(kPortLatency, "latency", "Latency", true) + ",\n";
    // The panel's messages back: program names, the changed mark, the values as computed.
    out += Cat({"  [\n    a atom:AtomPort, lv2:OutputPort ;\n    atom:bufferType atom:Sequence ;\n"
                "    lv2:designation lv2:control ;\n    lv2:portProperty lv2:connectionOptional ;\n"
                "    rsz:minimumSize ", std::to_string(kLv2NotifyBytes), " ;\n    lv2:index ",
                std::to_string(kPortNotify), " ;\n    lv2:symbol \"notify\" ;\n    lv2:name \"Panel\" ;\n  ] .\n"});
    return out + UiTurtle();
}

std::string PresetsTurtle()
{
    std::string out = kPrefixes;
    for (int p = 0; p < kNumPrograms; ++p) {
        const AKestruneProgram program = MakeProgram(kFactorySettings[p]);
        out += PresetHead(p);
        out += "  lv2:port";
        for (int i = 0; i < kNumParams; ++i)
            out += Cat({i ? "," : "", "\n    [ lv2:symbol ", Quoted(kLv2ParameterPorts[i].symbol), " ; pset:value ",
                        Decimal(i, UnitsFromNormalised(i, program.values[i])), " ]"});
        out += " .\n\n";
    }
    return out;
}
