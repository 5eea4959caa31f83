#include "tools/render/RenderOptions.h"

#include <cstdlib>

namespace {

bool ParseNumber(const std::string& text, double low, double high, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && !text.empty() && value >= low && value <= high;
}

} // namespace

const char* RenderUsage()
{
    return "usage:\n"
           "  kestrune-render [PLUGIN OPTIONS] [--tempo BPM] [--block N] [--tail SECONDS] INPUT OUTPUT\n"
           "  kestrune-render --info [PLUGIN OPTIONS]\n"
           "  kestrune-render --bench [--seconds S] [--rate HZ] [--block N] [PLUGIN OPTIONS]...\n"
           "  kestrune-render --demo OUTPUT.wav [--seconds S] [--rate HZ]\n"
           "  kestrune-render --panel OUTPUT.png [--scale 1|1.5|2] [PLUGIN OPTIONS]\n"
           "  kestrune-render --help\n"
           "  kestrune-render --version\n"
           "INPUT is mono or stereo; OUTPUT is .wav or .flac and never the INPUT itself.\n"
           "plugin options (each --plugin starts a new plug-in for --bench):\n"
           "  --plugin PATH        bundle folder or .so (default: the built Kestrune)\n"
           "  --program N          select program N first\n"
           "  --state FILE         restore a state a host saved (the plug-in's chunk, raw bytes)\n"
           "  --set NAME=VALUE     set a parameter by its name, in its displayed units\n"
           "                       (--set DelayTime=375 --set TimeMode=BPM --set \"Note=1/8 T\")\n"
           "  --quiet              no progress bar\n";
}

bool ParseRenderOptions(int argc, char** argv, const std::string& defaultPlugin, RenderOptions& o, std::string& error)
{
    std::vector<std::string> positional;
    auto current = [&]() -> PluginSetup& {
        if (o.plugins.empty()) o.plugins.push_back({defaultPlugin, -1, {}, {}});
        return o.plugins.back();
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const std::string value = hasValue ? argv[i + 1] : "";
        double number = 0.0;
        auto needValue = [&]() {
            if (!hasValue) error = arg + " needs a value";
            return hasValue;
        };
        if (arg == "--help" || arg == "-h") {
            o.mode = RenderOptions::Mode::Help;
            return true; // nothing else on the line matters
        } else if (arg == "--info") {
            o.mode = RenderOptions::Mode::Info;
        } else if (arg == "--bench") {
            o.mode = RenderOptions::Mode::Bench;
        } else if (arg == "--quiet") {
            o.progress = false;
        } else if (arg == "--demo" || arg == "--panel") {
            if (!needValue()) return false;
            o.mode = arg == "--demo" ? RenderOptions::Mode::Demo : RenderOptions::Mode::Panel;
            o.output = value;
            ++i;
        } else if (arg == "--scale") {
            if (!needValue()) return false;
            if (!ParseNumber(value, 1, 2, number) || (number != 1.0 && number != 1.5 && number != 2.0)) {
                error = "--scale takes 1, 1.5 or 2 (the panel at 100, 150 or 200 %), not '" + value + "'";
                return false;
            }
            o.panelScale = number;
            ++i;
        } else if (arg == "--plugin") {
            if (!needValue()) return false;
            o.plugins.push_back({value, -1, {}, {}});
            ++i;
        } else if (arg == "--program") {
            if (!needValue()) return false;
            if (!ParseNumber(value, 0, 31, number) || number != static_cast<int>(number)) {
                error = "--program takes a program number from 0 to 31, not '" + value + "'";
                return false;
            }
            current().program = static_cast<int>(number);
            ++i;
        } else if (arg == "--state") {
            if (!needValue()) return false;
            current().state = value;
            ++i;
        } else if (arg == "--set") {
            if (!needValue()) return false;
            const std::string::size_type eq = value.find('=');
            if (eq == std::string::npos || eq == 0) {
                error = "--set takes NAME=VALUE, not '" + value + "'";
                return false;
            }
            current().settings.emplace_back(value.substr(0, eq), value.substr(eq + 1));
            ++i;
        } else if (arg == "--tempo" || arg == "--block" || arg == "--tail" || arg == "--seconds" || arg == "--rate") {
            if (!needValue()) return false;
            struct Limit { double low, high; };
            const Limit limit = arg == "--tempo" ? Limit {1, 999} : arg == "--block" ? Limit {1, 65536}
                : arg == "--tail" ? Limit {0, 600} : arg == "--seconds" ? Limit {0.01, 3600} : Limit {8000, 384000};
            if (!ParseNumber(value, limit.low, limit.high, number)) {
                error = arg + " takes a number from " + std::to_string(static_cast<int>(limit.low)) + " to "
                    + std::to_string(static_cast<int>(limit.high)) + ", not '" + value + "'";
                return false;
            }
            if (arg == "--tempo") o.tempo = number;
            else if (arg == "--block") o.blockSize = static_cast<int>(number);
            else if (arg == "--tail") o.tailSeconds = number;
            else if (arg == "--seconds") o.seconds = number;
            else o.sampleRate = number;
            ++i;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            error = "unknown option " + arg;
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    current();
    if (o.mode != RenderOptions::Mode::Panel && o.panelScale != 1.0) {
        error = "--scale goes with --panel";
        return false;
    }
    if (o.mode == RenderOptions::Mode::Render) {
        if (positional.size() != 2) {
            error = "give an INPUT and an OUTPUT file";
            return false;
        }
        o.input = positional[0];
        o.output = positional[1];
    } else if (!positional.empty()) {
        error = "unexpected argument " + positional[0];
        return false;
    }
    return true;
}
