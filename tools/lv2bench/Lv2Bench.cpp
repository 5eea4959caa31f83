// kestrune-lv2-bench: LV2 plug-ins side by side on the same generated noise, as
// `kestrune-render --bench` does for VST plug-ins, through the lilv test host.
//   kestrune-lv2-bench [--seconds S] [--block N] [--rate HZ]
//       --plugin BUNDLE URI [--set SYMBOL=VALUE ...] [--plugin ...]
// Prints per plug-in the processing thread's CPU time per frame, the real-time factor and the
// ratio to the first plug-in.
#include "tools/lv2host/Lv2Host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

struct Setting {
    std::string symbol;
    float value = 0.0f;
};

struct Subject {
    std::string bundle, uri;
    std::vector<Setting> settings;
};

struct Options {
    double seconds = 20.0, rate = 48000.0;
    int block = 256;
    std::vector<Subject> subjects;
};

int Usage(const char* why)
{
    std::fprintf(stderr,
                 "kestrune-lv2-bench: %s\n"
                 "usage: kestrune-lv2-bench [--seconds S] [--block N] [--rate HZ]\n"
                 "           --plugin BUNDLE URI [--set SYMBOL=VALUE ...] [--plugin ...]\n",
                 why);
    return 2;
}

bool ParseNumber(const char* text, double& out)
{
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && out == out;
}

// Empty when the arguments are good; otherwise why not.
std::string Parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        double number = 0.0;
        if (a == "--plugin") {
            if (i + 2 >= argc) return "--plugin needs a bundle folder and a URI";
            // lilv takes the bundle as a file URI: an absolute path.
            char* folder = realpath(argv[i + 1], nullptr);
            if (!folder) return std::string("no bundle folder ") + argv[i + 1];
            o.subjects.push_back({folder, argv[i + 2], {}});
            std::free(folder);
            i += 2;
        } else if (a == "--set") {
            if (!hasValue || o.subjects.empty()) return "--set needs SYMBOL=VALUE after a --plugin";
            const std::string s = argv[++i];
            const size_t eq = s.find('=');
            if (eq == std::string::npos || eq == 0 || !ParseNumber(s.c_str() + eq + 1, number))
                return "--set takes SYMBOL=NUMBER: " + s;
            o.subjects.back().settings.push_back({s.substr(0, eq), static_cast<float>(number)});
        } else if (a == "--seconds" || a == "--rate" || a == "--block") {
            if (!hasValue || !ParseNumber(argv[++i], number) || number <= 0.0) return a + " needs a positive number";
            if (a == "--seconds") o.seconds = number;
            else if (a == "--rate") o.rate = number;
            else if (number > 8192.0) return "--block takes 1 to 8192";
            else o.block = static_cast<int>(number);
        } else {
            return "unknown argument " + a;
        }
    }
    if (o.subjects.empty()) return "name at least one --plugin";
    return "";
}

double ThreadSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// CPU seconds for the whole run, or a negative value with the reason printed.
double Measure(const Subject& s, const Options& o, const std::vector<float>& left, const std::vector<float>& right,
               std::string& name)
{
    Lv2World world(s.bundle);
    const LilvPlugin* plugin = world.Plugin(s.uri.c_str());
    if (!plugin) {
        std::fprintf(stderr, "kestrune-lv2-bench: %s does not describe %s\n", s.bundle.c_str(), s.uri.c_str());
        return -1.0;
    }
    LilvNode* label = lilv_plugin_get_name(plugin);
    name = label ? lilv_node_as_string(label) : s.uri;
    lilv_node_free(label);
    Lv2Instance instance(world, plugin, o.rate, o.block);
    if (!instance.IsValid()) {
        std::fprintf(stderr, "kestrune-lv2-bench: %s cannot be instantiated here\n", s.uri.c_str());
        return -1.0;
    }
    for (const Setting& set : s.settings)
        if (!instance.SetControl(set.symbol, set.value)) {
            std::fprintf(stderr, "kestrune-lv2-bench: %s has no control %s\n", s.uri.c_str(), set.symbol.c_str());
            return -1.0;
        }
    std::vector<float> outLeft(static_cast<size_t>(o.block)), outRight(outLeft.size());
    const size_t total = left.size();
    const double start = ThreadSeconds();
    for (size_t at = 0; at < total; at += static_cast<size_t>(o.block)) {
        const int frames = static_cast<int>(std::min(total - at, static_cast<size_t>(o.block)));
        instance.Run(&left[at], &right[at], outLeft.data(), outRight.data(), frames);
    }
    return ThreadSeconds() - start;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    const std::string why = Parse(argc, argv, o);
    if (!why.empty()) return Usage(why.c_str());

    const size_t frames = static_cast<size_t>(o.seconds * o.rate);
    std::vector<float> left(frames), right(frames);
    std::minstd_rand noise(1);
    std::uniform_real_distribution<float> level(-0.5f, 0.5f);
    for (size_t i = 0; i < frames; ++i) {
        left[i] = level(noise);
        right[i] = level(noise);
    }

    std::printf("%-32s %9s %14s %8s   (%.0f Hz, block %d, %g s of noise)\n", "plug-in", "ns/frame", "x real time",
                "ratio", o.rate, o.block, o.seconds);
    double first = 0.0;
    int failures = 0;
    for (const Subject& s : o.subjects) {
        std::string name;
        const double seconds = Measure(s, o, left, right, name);
        if (seconds < 0.0) {
            ++failures;
            continue;
        }
        const double perFrame = seconds * 1e9 / static_cast<double>(frames);
        if (first == 0.0) first = perFrame;
        std::printf("%-32s %9.1f %14.1f %8.2f\n", name.c_str(), perFrame, o.seconds / seconds, perFrame / first);
    }
    return failures == 0 ? 0 : 1;
}
