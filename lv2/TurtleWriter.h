#pragma once
// The bundle's description, written at build time from the tables the effect itself uses:
// the parameter table for the ports and the factory table for the presets.
#include <string>

// manifest.ttl: the plug-in, its panel and its presets (with their names, so hosts list them
// without reading further).
std::string ManifestTurtle(const std::string& binaryName, const std::string& uiBinaryName);
// Kestrune.ttl: the plug-in, its ports, units and scale points, and what its panel needs.
std::string PluginTurtle();
// presets.ttl: the 32 factory programs as port values.
std::string PresetsTurtle();

// The preset of factory program index (0 to 31).
std::string PresetUri(int index);
