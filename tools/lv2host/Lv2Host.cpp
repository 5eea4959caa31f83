#include "tools/lv2host/Lv2Host.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/presets/presets.h>
#include <lv2/time/time.h>

#include <lv2/atom/util.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// A node that frees itself.
struct Node {
    LilvNode* node;
    explicit Node(LilvNode* n) : node(n) {}
    ~Node() { lilv_node_free(node); }
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
};

std::string FileUri(std::string folder)
{
    if (folder.empty() || folder.back() != '/') folder += '/';
    return "file://" + folder;
}

} // namespace

struct Lv2Instance::InputForge {
    LV2_Atom_Forge forge;
};

Lv2World::Lv2World(const std::string& bundleFolder) : m_world(lilv_world_new())
{
    Node bundle(lilv_new_uri(m_world, FileUri(bundleFolder).c_str()));
    lilv_world_load_specifications(m_world);
    lilv_world_load_plugin_classes(m_world);
    lilv_world_load_bundle(m_world, bundle.node);
}

Lv2World::~Lv2World()
{
    lilv_world_free(m_world);
}

const LilvPlugin* Lv2World::Plugin(const char* uri) const
{
    Node node(lilv_new_uri(m_world, uri));
    return lilv_plugins_get_by_uri(lilv_world_get_all_plugins(m_world), node.node);
}

std::vector<std::pair<std::string, std::string>> Lv2World::Presets(const LilvPlugin* plugin)
{
    std::vector<std::pair<std::string, std::string>> presets;
    Node presetClass(lilv_new_uri(m_world, LV2_PRESETS__Preset));
    Node label(lilv_new_uri(m_world, LILV_NS_RDFS "label"));
    LilvNodes* related = lilv_plugin_get_related(plugin, presetClass.node);
    LILV_FOREACH (nodes, i, related) {
        const LilvNode* preset = lilv_nodes_get(related, i);
        lilv_world_load_resource(m_world, preset);
        LilvNode* name = lilv_world_get(m_world, preset, label.node, nullptr);
        presets.emplace_back(lilv_node_as_uri(preset), name ? lilv_node_as_string(name) : "");
        lilv_node_free(name);
    }
    lilv_nodes_free(related);
    std::sort(presets.begin(), presets.end());
    return presets;
}

Lv2Instance::Lv2Instance(Lv2World& world, const LilvPlugin* plugin, double sampleRate, int maxBlock, bool withWorker)
    : m_world(world), m_plugin(plugin), m_maxBlock(maxBlock), m_maxBlockValue(maxBlock)
{
    if (!plugin) return;
    UridMap& urids = world.Urids();
    m_options = {
        {LV2_OPTIONS_INSTANCE, 0, urids.Map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t), urids.Map(LV2_ATOM__Int),
         &m_maxBlockValue},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
    };
    m_mapFeature = {LV2_URID__map, urids.MapFeatureData()};
    m_unmapFeature = {LV2_URID__unmap, urids.UnmapFeatureData()};
    m_optionsFeature = {LV2_OPTIONS__options, m_options.data()};
    m_features[0] = &m_mapFeature;
    m_features[1] = &m_unmapFeature;
    m_features[2] = &m_optionsFeature;
    m_schedule = {this, &Lv2Instance::ScheduleWork};
    m_workerFeature = {LV2_WORKER__schedule, &m_schedule};
    m_features[3] = withWorker ? &m_workerFeature : nullptr;
    m_features[4] = nullptr;

    LilvWorld* w = world.World();
    Node input(lilv_new_uri(w, LV2_CORE__InputPort)), control(lilv_new_uri(w, LV2_CORE__ControlPort));
    Node audio(lilv_new_uri(w, LV2_CORE__AudioPort)), atom(lilv_new_uri(w, LV2_ATOM__AtomPort));
    const uint32_t count = lilv_plugin_get_num_ports(plugin);
    std::vector<float> defaults(count);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    m_ports.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        Port& p = m_ports[i];
        p.symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
        p.input = lilv_port_is_a(plugin, port, input.node);
        p.control = lilv_port_is_a(plugin, port, control.node);
        p.audio = lilv_port_is_a(plugin, port, audio.node);
        p.atom = lilv_port_is_a(plugin, port, atom.node);
        p.value = defaults[i] == defaults[i] ? defaults[i] : 0.0f;
    }
    m_sequence.resize(512);
    m_output.resize(1024);
    // Once: initialising a forge maps its URIs, which would dominate a benchmark's blocks.
    m_forge = std::make_unique<InputForge>();
    lv2_atom_forge_init(&m_forge->forge, urids.MapFeatureData());

    m_instance = lilv_plugin_instantiate(plugin, sampleRate, m_features);
    if (!m_instance) return;
    for (uint32_t i = 0; i < count; ++i) {
        if (m_ports[i].control) lilv_instance_connect_port(m_instance, i, &m_ports[i].value);
        else if (m_ports[i].atom)
            lilv_instance_connect_port(m_instance, i, m_ports[i].input ? m_sequence.data() : m_output.data());
    }
}

Lv2Instance::~Lv2Instance()
{
    if (!m_instance) return;
    if (m_activated) lilv_instance_deactivate(m_instance);
    lilv_instance_free(m_instance);
}

bool Lv2Instance::SetControl(const std::string& symbol, float value)
{
    for (Port& p : m_ports)
        if (p.control && p.symbol == symbol) {
            p.value = value;
            return true;
        }
    return false;
}

float Lv2Instance::Control(const std::string& symbol) const
{
    for (const Port& p : m_ports)
        if (p.control && p.symbol == symbol) return p.value;
    return 0.0f;
}

void Lv2Instance::SendTempo(double beatsPerMinute)
{
    m_pendingTempo = beatsPerMinute;
}

void Lv2Instance::BuildControlSequence()
{
    UridMap& urids = m_world.Urids();
    LV2_Atom_Forge& forge = m_forge->forge;
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(m_sequence.data()),
                              m_sequence.size() * sizeof(uint64_t));
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    if (m_pendingTempo > 0.0) {
        LV2_Atom_Forge_Frame position;
        lv2_atom_forge_frame_time(&forge, 0);
        lv2_atom_forge_object(&forge, &position, 0, urids.Map(LV2_TIME__Position));
        lv2_atom_forge_key(&forge, urids.Map(LV2_TIME__beatsPerMinute));
        lv2_atom_forge_float(&forge, static_cast<float>(m_pendingTempo));
        lv2_atom_forge_pop(&forge, &position);
        m_pendingTempo = 0.0;
    }
    for (const std::vector<uint8_t>& atom : m_pendingAtoms) {
        lv2_atom_forge_frame_time(&forge, 0);
        lv2_atom_forge_write(&forge, atom.data(), static_cast<uint32_t>(atom.size()));
    }
    m_pendingAtoms.clear();
    lv2_atom_forge_pop(&forge, &sequence);
}

void Lv2Instance::SendAtom(const LV2_Atom* atom)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(atom);
    m_pendingAtoms.emplace_back(bytes, bytes + sizeof(LV2_Atom) + atom->size);
}

std::vector<std::vector<uint8_t>> Lv2Instance::TakeSent()
{
    return std::exchange(m_sent, {});
}

void Lv2Instance::CollectSent()
{
    const auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*>(m_output.data());
    // A plug-in that wrote nothing leaves the capacity the host set; no sequence to read.
    if (sequence->atom.type != m_world.Urids().Map(LV2_ATOM__Sequence)
        || sequence->atom.size > m_output.size() * sizeof(uint64_t) - sizeof(LV2_Atom))
        return;
    LV2_ATOM_SEQUENCE_FOREACH (sequence, event) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(&event->body);
        m_sent.emplace_back(bytes, bytes + sizeof(LV2_Atom) + event->body.size);
    }
}

LV2_Worker_Status Lv2Instance::ScheduleWork(LV2_Worker_Schedule_Handle self, uint32_t size, const void* data)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    static_cast<Lv2Instance*>(self)->m_jobs.emplace_back(bytes, bytes + size);
    return LV2_WORKER_SUCCESS;
}

LV2_Worker_Status Lv2Instance::Respond(LV2_Worker_Respond_Handle self, uint32_t size, const void* data)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    static_cast<Lv2Instance*>(self)->m_responses.emplace_back(bytes, bytes + size);
    return LV2_WORKER_SUCCESS;
}

void Lv2Instance::RunWorker()
{
    const auto* worker = static_cast<const LV2_Worker_Interface*>(
        lilv_instance_get_extension_data(m_instance, LV2_WORKER__interface));
    if (!worker) return;
    LV2_Handle handle = lilv_instance_get_handle(m_instance);
    for (const std::vector<uint8_t>& job : std::exchange(m_jobs, {}))
        worker->work(handle, &Lv2Instance::Respond, this, static_cast<uint32_t>(job.size()), job.data());
    for (const std::vector<uint8_t>& response : std::exchange(m_responses, {}))
        worker->work_response(handle, static_cast<uint32_t>(response.size()), response.data());
    if (worker->end_run) worker->end_run(handle);
}

void Lv2Instance::Run(const float* inLeft, const float* inRight, float* outLeft, float* outRight, int frames)
{
    if (!m_instance || frames > m_maxBlock) return;
    if (!m_activated) {
        lilv_instance_activate(m_instance);
        m_activated = true;
    }
    BuildControlSequence();
    const float* in[2] = {inLeft, inRight};
    float* out[2] = {outLeft, outRight};
    int audioIn = 0, audioOut = 0;
    for (uint32_t i = 0; i < m_ports.size(); ++i) {
        if (!m_ports[i].audio) continue;
        void* buffer = m_ports[i].input ? const_cast<float*>(in[std::min(audioIn++, 1)]) : out[std::min(audioOut++, 1)];
        lilv_instance_connect_port(m_instance, i, buffer);
    }
    auto* output = reinterpret_cast<LV2_Atom_Sequence*>(m_output.data());
    output->atom.type = m_world.Urids().Map(LV2_ATOM__Chunk);
    output->atom.size = static_cast<uint32_t>(m_output.size() * sizeof(uint64_t) - sizeof(LV2_Atom));
    lilv_instance_run(m_instance, static_cast<uint32_t>(frames));
    CollectSent();
    RunWorker();
}

const void* Lv2Instance::PortValue(const char* symbol, void* self, uint32_t* size, uint32_t* type)
{
    auto* host = static_cast<Lv2Instance*>(self);
    for (Port& p : host->m_ports)
        if (p.control && p.input && p.symbol == symbol) {
            *size = sizeof(float);
            *type = host->m_world.Urids().Map(LV2_ATOM__Float);
            return &p.value;
        }
    *size = 0;
    *type = 0;
    return nullptr;
}

void Lv2Instance::SetPortValue(const char* symbol, void* self, const void* value, uint32_t size, uint32_t type)
{
    auto* host = static_cast<Lv2Instance*>(self);
    UridMap& urids = host->m_world.Urids();
    float v = 0.0f;
    if (type == urids.Map(LV2_ATOM__Float) && size == sizeof(float))
        std::memcpy(&v, value, sizeof v);
    else if (type == urids.Map(LV2_ATOM__Double) && size == sizeof(double))
        v = static_cast<float>(*static_cast<const double*>(value));
    else if (type == urids.Map(LV2_ATOM__Int) && size == sizeof(int32_t))
        v = static_cast<float>(*static_cast<const int32_t*>(value));
    else
        return;
    host->SetControl(symbol, v);
}

std::string Lv2Instance::SaveState()
{
    if (!m_instance) return {};
    UridMap& urids = m_world.Urids();
    LilvState* state = lilv_state_new_from_instance(m_plugin, m_instance, urids.MapFeatureData(), nullptr, nullptr,
                                                    nullptr, nullptr, &Lv2Instance::PortValue, this,
                                                    LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, m_features);
    if (!state) return {};
    char* text = lilv_state_to_string(m_world.World(), urids.MapFeatureData(), urids.UnmapFeatureData(), state,
                                      "urn:kestrune-test:state", nullptr);
    std::string result = text ? text : "";
    lilv_free(text);
    lilv_state_free(state);
    return result;
}

bool Lv2Instance::RestoreState(const std::string& text)
{
    if (!m_instance) return false;
    LilvState* state = lilv_state_new_from_string(m_world.World(), m_world.Urids().MapFeatureData(), text.c_str());
    if (!state) return false;
    lilv_state_restore(state, m_instance, &Lv2Instance::SetPortValue, this, 0, m_features);
    lilv_state_free(state);
    return true;
}

bool Lv2Instance::ApplyPreset(const std::string& uri)
{
    LilvWorld* w = m_world.World();
    Node preset(lilv_new_uri(w, uri.c_str()));
    lilv_world_load_resource(w, preset.node);
    LilvState* state = lilv_state_new_from_world(w, m_world.Urids().MapFeatureData(), preset.node);
    if (!state) return false;
    lilv_state_restore(state, m_instance, &Lv2Instance::SetPortValue, this, 0, m_features);
    lilv_state_free(state);
    return true;
}

namespace {

struct OneProperty {
    UridMap* urids;
    LV2_URID key;
    const void* data;
    size_t size;
    LV2_URID type;
    std::vector<unsigned char> saved;
    std::string savedType;
};

const void* RetrieveOne(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
{
    auto* p = static_cast<OneProperty*>(handle);
    if (key != p->key) return nullptr;
    *size = p->size;
    *type = p->type;
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return p->data;
}

LV2_State_Status StoreOne(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                          uint32_t)
{
    auto* p = static_cast<OneProperty*>(handle);
    if (key != p->key) return LV2_STATE_SUCCESS;
    const auto* bytes = static_cast<const unsigned char*>(value);
    p->saved.assign(bytes, bytes + size);
    const char* name = p->urids->Unmap(type);
    p->savedType = name ? name : "";
    return LV2_STATE_SUCCESS;
}

} // namespace

LV2_State_Status Lv2Instance::RestoreProperty(const char* key, const void* data, size_t size, const char* type)
{
    const auto* state = m_instance
        ? static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(m_instance, LV2_STATE__interface))
        : nullptr;
    if (!state) return LV2_STATE_ERR_UNKNOWN;
    UridMap& urids = m_world.Urids();
    OneProperty property {&urids, urids.Map(key), data, size, urids.Map(type), {}, {}};
    return state->restore(lilv_instance_get_handle(m_instance), RetrieveOne, &property, 0, m_features);
}

std::vector<unsigned char> Lv2Instance::SavedProperty(const char* key, std::string* type)
{
    const auto* state = m_instance
        ? static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(m_instance, LV2_STATE__interface))
        : nullptr;
    if (!state) return {};
    UridMap& urids = m_world.Urids();
    OneProperty property {&urids, urids.Map(key), nullptr, 0, 0, {}, {}};
    state->save(lilv_instance_get_handle(m_instance), StoreOne, &property, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                m_features);
    if (type) *type = property.savedType;
    return property.saved;
}
