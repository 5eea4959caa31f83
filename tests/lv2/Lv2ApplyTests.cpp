// Debian's lv2apply renders a file through the built LV2 bundle; kestrune-render renders
// the same file through the VST bundle with the same settings. The samples are equal.
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<float> Samples(const std::string& path, int& channels)
{
    SF_INFO info {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return {};
    std::vector<float> samples(static_cast<size_t>(info.frames * info.channels));
    const sf_count_t read = sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    samples.resize(static_cast<size_t>(read * info.channels));
    channels = info.channels;
    return samples;
}

int Shell(const std::string& command)
{
    return std::system((command + " > /dev/null").c_str());
}

struct Setting {
    const char* symbol; // the LV2 port
    const char* name;   // the VST parameter
    const char* value;
};

} // namespace

TEST(Lv2Apply, RendersAsKestruneRenderBitForBit)
{
    // lv2apply finds plug-ins on LV2_PATH: a folder holding only the built bundle.
    ScopedEnv path("LV2_PATH", KESTRUNE_LV2_TEST_PATH);
    TempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::string dry = folder.Path() + "dry.wav";
    ASSERT_EQ(Shell(std::string(KESTRUNE_RENDER) + " --demo " + dry + " --seconds 3"), 0);

    // lv2apply runs one frame at a time, so the VST edition does too (--block 1). Every
    // port that differs from the first factory program is set in both.
    const Setting sets[] = {
        {"delay_time", "DelayTime", "375"}, {"feedback", "FeedBack", "45"},    {"depth", "Depth", "12"},
        {"rate", "Rate", "0.7"},            {"balance", "Balance", "40"},     {"hpf_on", "HPF ON", "ON"},
        {"hpf_freq", "HPF FREQ", "150"},    {"lpf_on", "LPF ON", "ON"},       {"lpf_freq", "LPF FREQ", "4000"},
        {"output_level", "Output Leve", "-3"},
    };
    const std::string preload = KESTRUNE_TOOL_PRELOAD;
    std::string lv2 = (preload.empty() ? "" : "ASAN_OPTIONS=detect_leaks=0 LD_PRELOAD=\"" + preload + "\" ")
        + "lv2apply -i " + dry + " -o " + folder.Path() + "lv2.wav";
    std::string vst = std::string(KESTRUNE_RENDER) + " --quiet --block 1 --tail 0";
    for (const Setting& s : sets) {
        const std::string number = std::string(s.value) == "ON" ? "1" : s.value;
        lv2 += std::string(" -c ") + s.symbol + " " + number;
        vst += std::string(" --set \"") + s.name + "=" + s.value + "\"";
    }
    ASSERT_EQ(Shell(lv2 + " urn:orbeline:kestrune"), 0);
    ASSERT_EQ(Shell(vst + " " + dry + " " + folder.Path() + "vst.wav"), 0);

    int lv2Channels = 0, vstChannels = 0, dryChannels = 0;
    const std::vector<float> fromLv2 = Samples(folder.Path() + "lv2.wav", lv2Channels);
    const std::vector<float> fromVst = Samples(folder.Path() + "vst.wav", vstChannels);
    const std::vector<float> input = Samples(dry, dryChannels);
    EXPECT_EQ(lv2Channels, 2);
    EXPECT_EQ(vstChannels, 2);
    ASSERT_EQ(fromLv2.size(), input.size());
    ASSERT_EQ(fromLv2.size(), fromVst.size());
    EXPECT_TRUE(fromLv2 == fromVst);
    EXPECT_FALSE(fromLv2 == input) << "the effect must have acted";
}
