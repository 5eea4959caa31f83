#pragma once
// Command line of kestrune-render.
#include <string>
#include <vector>

struct PluginSetup {
    std::string path;
    int program = -1;
    std::string state; // a state chunk a host saved (its bank chunk), restored before the settings
    std::vector<std::pair<std::string, std::string>> settings; // name, displayed value
};

struct RenderOptions {
    enum class Mode { Render, Info, Bench, Demo, Panel, Help };
    Mode mode = Mode::Render;
    std::vector<PluginSetup> plugins; // Bench may name several; others use the first
    std::string input;
    std::string output;
    double tempo = 0.0;
    int blockSize = 512;
    double tailSeconds = 2.0;
    double seconds = 20.0;  // bench: generated noise length; demo: clip length
    double sampleRate = 48000.0;
    bool progress = true;
    double panelScale = 1.0; // --panel: 1, 1.5 or 2 pixels per panel unit
};

// Parses argv; on failure returns false with a message in error.
bool ParseRenderOptions(int argc, char** argv, const std::string& defaultPlugin, RenderOptions& options,
                        std::string& error);
const char* RenderUsage();
