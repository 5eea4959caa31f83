// kestrune-render: a command-line VST 2.4 host for Kestrune and its peers.
#include "tools/render/AudioRender.h"
#include "tools/render/Bench.h"
#include "tools/render/DemoClip.h"
#include "tools/render/PanelPicture.h"
#include "tools/render/PluginInfo.h"
#include "tools/render/PluginSession.h"
#include "tools/render/RenderOptions.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sys/stat.h>

#ifndef KESTRUNE_DEFAULT_PLUGIN
#define KESTRUNE_DEFAULT_PLUGIN ""
#endif
#ifndef KESTRUNE_VERSION
#define KESTRUNE_VERSION "unknown"
#endif

// The just-built bundle when it is there, else the user's installed one, else the
// system-wide one from the Debian package.
static std::string DefaultPlugin()
{
    struct stat st {};
    if (::stat(KESTRUNE_DEFAULT_PLUGIN, &st) == 0) return KESTRUNE_DEFAULT_PLUGIN;
    const char* vstPath = std::getenv("VST_PATH");
    if (vstPath && *vstPath) {
        std::string first = vstPath;
        first = first.substr(0, first.find(':'));
        return first + "/Kestrune";
    }
    const char* home = std::getenv("HOME");
    const std::string user = std::string(home ? home : "") + "/.vst/Kestrune";
    if (::stat(user.c_str(), &st) != 0 && ::stat("/usr/lib/vst/Kestrune", &st) == 0) return "/usr/lib/vst/Kestrune";
    return user;
}

int main(int argc, char** argv)
{
    // Past a file size limit, a write should fail (and the render clean up) rather than the
    // signal ending the program with a torn file.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kestrune-render %s\n", KESTRUNE_VERSION);
        return 0;
    }
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(argc, argv, DefaultPlugin(), options, error)) {
        std::fprintf(stderr, "kestrune-render: %s\n%s", error.c_str(), RenderUsage());
        return 2;
    }
    switch (options.mode) {
    case RenderOptions::Mode::Help: std::fputs(RenderUsage(), stdout); return 0;
    case RenderOptions::Mode::Render: return RenderFile(options);
    case RenderOptions::Mode::Bench: return RunBench(options);
    case RenderOptions::Mode::Demo: return WriteDemoClip(options);
    case RenderOptions::Mode::Panel: return WritePanelPicture(options);
    case RenderOptions::Mode::Info: break;
    }
    PluginSession session(options.plugins.front(), options.sampleRate, options.blockSize, options.tempo);
    if (!session.Error().empty()) {
        std::fprintf(stderr, "kestrune-render: %s\n", session.Error().c_str());
        return 1;
    }
    PrintPluginInfo(session.Instance(), std::cout);
    return 0;
}
