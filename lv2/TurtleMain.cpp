// Writes the bundle's description into a folder: kestrune-lv2-turtle FOLDER BINARY_NAME UI_BINARY_NAME.
#include "lv2/TurtleWriter.h"
#include "port/AtomicFile.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: kestrune-lv2-turtle FOLDER BINARY_NAME UI_BINARY_NAME\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const std::pair<const char*, std::string> files[] = {
        {"manifest.ttl", ManifestTurtle(argv[2], argv[3])},
        {"Kestrune.ttl", PluginTurtle()},
        {"presets.ttl", PresetsTurtle()},
    };
    for (const auto& [name, text] : files) {
        if (!WriteFileAtomically(folder + name, text.data(), text.size())) {
            std::fprintf(stderr, "kestrune-lv2-turtle: cannot write %s%s\n", folder.c_str(), name);
            return 1;
        }
    }
    return 0;
}
