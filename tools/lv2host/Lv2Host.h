#pragma once
// A small LV2 host on lilv for tests: loads one bundle, runs an instance block by block
// with the host's transport and other atoms on its atom input, collects what its atom output
// sends, runs its worker's jobs after each block (in the calling thread), saves and restores
// state, applies presets.
#include "tools/lv2host/UridMap.h"

#include <lilv/lilv.h>
#include <lv2/options/options.h>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/worker/worker.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class Lv2World {
public:
    // bundleFolder: the folder holding manifest.ttl. Only that bundle is loaded.
    explicit Lv2World(const std::string& bundleFolder);
    ~Lv2World();
    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    LilvWorld* World() const { return m_world; }
    // nullptr when the bundle does not describe uri.
    const LilvPlugin* Plugin(const char* uri) const;
    UridMap& Urids() { return m_urids; }
    // The presets of a plug-in: URI and label, in URI order.
    std::vector<std::pair<std::string, std::string>> Presets(const LilvPlugin* plugin);

private:
    LilvWorld* m_world = nullptr;
    UridMap m_urids;
};

class Lv2Instance {
public:
    // maxBlock is announced as buf-size:maxBlockLength; Run takes at most that many frames.
    // withWorker offers work:schedule.
    Lv2Instance(Lv2World& world, const LilvPlugin* plugin, double sampleRate, int maxBlock, bool withWorker = true);
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool IsValid() const { return m_instance != nullptr; }

    // Control ports by symbol; false for an unknown symbol.
    bool SetControl(const std::string& symbol, float value);
    float Control(const std::string& symbol) const;

    // The next block carries a time:Position with this tempo.
    void SendTempo(double beatsPerMinute);
    // The next block carries this atom (an object, say) as well.
    void SendAtom(const LV2_Atom* atom);
    // Every atom the plug-in's atom output sent since the last call, in order.
    std::vector<std::vector<uint8_t>> TakeSent();
    // One block of stereo audio; the buffers may be the same (in place).
    void Run(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames);

    // The plug-in's state as a host keeps it (Turtle text), and back.
    std::string SaveState();
    bool RestoreState(const std::string& text);
    // The state interface called directly with one property of the given type.
    LV2_State_Status RestoreProperty(const char* key, const void* data, size_t size, const char* type);
    // The value of one property the plug-in stores; empty when it stores none.
    std::vector<unsigned char> SavedProperty(const char* key, std::string* type = nullptr);

    // Sets the ports from a preset; false when the preset cannot be loaded.
    bool ApplyPreset(const std::string& uri);

private:
    struct Port {
        std::string symbol;
        bool control = false, atom = false, audio = false, input = false;
        float value = 0.0f;
    };
    void BuildControlSequence();
    static const void* PortValue(const char* symbol, void* self, uint32_t* size, uint32_t* type);
    static void SetPortValue(const char* symbol, void* self, const void* value, uint32_t size, uint32_t type);
    static LV2_Worker_Status ScheduleWork(LV2_Worker_Schedule_Handle self, uint32_t size, const void* data);
    static LV2_Worker_Status Respond(LV2_Worker_Respond_Handle self, uint32_t size, const void* data);
    void CollectSent();
    void RunWorker();

    Lv2World& m_world;
    const LilvPlugin* m_plugin;
    LilvInstance* m_instance = nullptr;
    std::vector<Port> m_ports;
    int m_maxBlock;
    std::vector<LV2_Options_Option> m_options;
    int32_t m_maxBlockValue;
    LV2_Feature m_mapFeature, m_unmapFeature, m_optionsFeature, m_workerFeature;
    LV2_Worker_Schedule m_schedule;
    const LV2_Feature* m_features[5];
    // The atom input's forge, initialised once (kept out of this header: X11's Bool macro
    // breaks the forge's declaration where both are included).
    struct InputForge;
    std::unique_ptr<InputForge> m_forge;
    std::vector<uint64_t> m_sequence; // the atom input, 64-bit aligned
    std::vector<uint64_t> m_output; // the atom output
    std::vector<std::vector<uint8_t>> m_pendingAtoms, m_sent, m_jobs, m_responses;
    double m_pendingTempo = 0.0;
    bool m_activated = false;
};
