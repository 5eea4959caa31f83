#include "lv2/Lv2Effect.h"

#include "effect/BankFile.h"
#include "effect/ParameterUnits.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Two port values are the same when their bits are (NaN included, so a NaN port is not
// applied again every block).
bool SameValue(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

KestruneLv2::KestruneLv2(double sampleRate, const LV2_Feature* const* features)
{
    ReadFeatures(features);
    for (int i = 0; i < kNumParams; ++i)
        for (int entry = 0; AutomateParamMinMax_Tbl[i].isList && entry <= UnitsMaximum(i) && entry < kMaxEntries; ++entry)
            m_entryValues[i][entry] = NormalisedFromUnits(i, entry);
    m_effect = std::make_unique<AKestrune>(&KestruneLv2::HostCallback);
    m_effect->getAeffect()->user = this;
    m_effect->open();
    m_effect->setSampleRate(static_cast<float>(sampleRate));
    m_effect->setBlockSize(m_blockSize);
    RememberEffectValues();
}

void KestruneLv2::ReadFeatures(const LV2_Feature* const* features)
{
    LV2_URID_Map* map = nullptr;
    const LV2_Options_Option* options = nullptr;
    for (int i = 0; features && features[i]; ++i) {
        if (std::strcmp(features[i]->URI, LV2_URID__map) == 0)
            map = static_cast<LV2_URID_Map*>(features[i]->data);
        else if (std::strcmp(features[i]->URI, LV2_WORKER__schedule) == 0)
            m_worker = static_cast<const LV2_Worker_Schedule*>(features[i]->data);
        else if (std::strcmp(features[i]->URI, LV2_OPTIONS__options) == 0)
            options = static_cast<const LV2_Options_Option*>(features[i]->data);
    }
    if (map) {
        auto id = [map](const char* uri) { return map->map(map->handle, uri); };
        m_uris.atomBlank = id(LV2_ATOM__Blank);
        m_uris.atomObject = id(LV2_ATOM__Object);
        m_uris.atomFloat = id(LV2_ATOM__Float);
        m_uris.atomDouble = id(LV2_ATOM__Double);
        m_uris.atomInt = id(LV2_ATOM__Int);
        m_uris.atomLong = id(LV2_ATOM__Long);
        m_uris.atomChunk = id(LV2_ATOM__Chunk);
        m_uris.timePosition = id(LV2_TIME__Position);
        m_uris.timeBeatsPerMinute = id(LV2_TIME__beatsPerMinute);
        m_uris.programs = id(kLv2ProgramsKey);
        m_messages.Map(map);
        m_map = map;
        lv2_atom_forge_init(&m_forge, map);
        m_mapped = true;
    }
    if (!map || !options) return;
    // The effect's buffers take the host's longest block whole, as a VST host's block size does.
    const LV2_URID maxBlock = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    for (const LV2_Options_Option* o = options; o->key; ++o)
        if (o->key == maxBlock && o->type == intType && o->size == sizeof(int32_t) && o->value) {
            const int32_t frames = *static_cast<const int32_t*>(o->value);
            if (frames > 0) m_blockSize = frames;
        }
}

VstIntPtr KestruneLv2::HostCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    const auto* self = effect ? static_cast<const KestruneLv2*>(effect->user) : nullptr;
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime && self && self->m_hasTempo)
        return reinterpret_cast<VstIntPtr>(&self->m_time);
    return 0;
}

void KestruneLv2::Connect(uint32_t port, void* data)
{
    if (port >= kPortFirstParameter && port < kPortFirstPeak) {
        m_parameters[port - kPortFirstParameter] = static_cast<const float*>(data);
    } else if (port >= kPortFirstPeak && port < kPortLatency) {
        m_peaks[port - kPortFirstPeak] = static_cast<float*>(data);
    } else {
        switch (port) {
        case kPortInLeft: m_in[0] = static_cast<const float*>(data); break;
        case kPortInRight: m_in[1] = static_cast<const float*>(data); break;
        case kPortOutLeft: m_out[0] = static_cast<float*>(data); break;
        case kPortOutRight: m_out[1] = static_cast<float*>(data); break;
        case kPortControl: m_control = data; break;
        case kPortLatency: m_latency = static_cast<float*>(data); break;
        case kPortNotify: m_notify = static_cast<LV2_Atom_Sequence*>(data); break;
        default: break;
        }
    }
}

void KestruneLv2::Activate()
{
    // Mains on switches the effect ON: an ON/OFF port at OFF is applied again. The other
    // parameters keep what they had, and what a restore took (hosts reactivate after one).
    m_effect->resume();
    RememberEffectValue(kOnOff);
    // The line is cleared, and the filter switches settle, once the first block's port
    // values are in: as a VST host's parameters are in before it starts processing.
    m_startPending = true;
}

void KestruneLv2::Deactivate()
{
    m_effect->suspend();
    RememberEffectValue(kOnOff);
}

void KestruneLv2::RememberEffectValue(int index)
{
    m_applied[index] = static_cast<float>(UnitsFromNormalised(index, m_effect->getParameter(index)));
}

void KestruneLv2::RememberEffectValues()
{
    for (int i = 0; i < kNumParams; ++i) RememberEffectValue(i);
}

void KestruneLv2::ReadControl()
{
    if (!m_control || !m_mapped) return;
    const auto* sequence = static_cast<const LV2_Atom_Sequence*>(m_control);
    LV2_ATOM_SEQUENCE_FOREACH (sequence, event) {
        const LV2_Atom& body = event->body;
        if (body.type != m_uris.atomObject && body.type != m_uris.atomBlank) continue;
        const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&body);
        if (object->body.otype == m_uris.timePosition)
            ReadTempo(object);
        else
            ReadOperation(object);
    }
}

void KestruneLv2::ReadTempo(const LV2_Atom_Object* object)
{
    const LV2_Atom* bpm = nullptr;
    lv2_atom_object_get(object, m_uris.timeBeatsPerMinute, &bpm, 0);
    if (!bpm) return;
    double tempo = 0.0;
    if (bpm->type == m_uris.atomFloat && bpm->size >= sizeof(float))
        tempo = reinterpret_cast<const LV2_Atom_Float*>(bpm)->body;
    else if (bpm->type == m_uris.atomDouble && bpm->size >= sizeof(double))
        tempo = reinterpret_cast<const LV2_Atom_Double*>(bpm)->body;
    else if (bpm->type == m_uris.atomInt && bpm->size >= sizeof(int32_t))
        tempo = reinterpret_cast<const LV2_Atom_Int*>(bpm)->body;
    else if (bpm->type == m_uris.atomLong && bpm->size >= sizeof(int64_t))
        tempo = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(bpm)->body);
    // The latest tempo of the block holds for the whole block, as a VST host's does.
    if (tempo > 0.0 && std::isfinite(tempo)) {
        m_time.tempo = tempo;
        m_time.flags = kVstTempoValid;
        m_hasTempo = true;
    }
}

void KestruneLv2::ApplyChangedPorts()
{
    if (m_adoptPorts) {
        // The restored programs are the truth, as a VST chunk is: the ports the host restored
        // with them may be stale (DelayTime in the tempo modes), so they count as applied.
        for (int i = 0; i < kNumParams; ++i)
            if (m_parameters[i]) m_applied[i] = *m_parameters[i];
        m_adoptPorts = false;
        return;
    }
    for (int i = 0; i < kNumParams; ++i) {
        if (!m_parameters[i]) continue;
        const float value = *m_parameters[i];
        if (SameValue(value, m_applied[i])) continue;
        m_applied[i] = value;
        // The panel writing back what the plug-in told it (after a program operation, or the
        // delay time the tempo gives): the effect holds it already, perhaps between steps.
        if (m_shown.program >= 0 && SameValue(value, m_shown.values[i])) continue;
        m_effect->setParameter(i, Normalised(i, value));
    }
}

float KestruneLv2::Normalised(int index, float units) const
{
    if (!AutomateParamMinMax_Tbl[index].isList) return NormalisedFromUnits(index, units);
    // The nearest entry within the range, NaN as the first, as NormalisedFromUnits takes them.
    const double entry = std::isnan(units) ? 0.0 : std::clamp(std::round(static_cast<double>(units)), 0.0, std::min(UnitsMaximum(index), kMaxEntries - 1.0));
    return m_entryValues[index][static_cast<int>(entry)];
}

void KestruneLv2::Run(uint32_t frames)
{
    ReadControl();
    ApplyChangedPorts();
    if (m_startPending) {
        m_effect->startProcess();
        m_startPending = false;
    }
    if (frames > 0 && m_in[0] && m_in[1] && m_out[0] && m_out[1]) {
        // The effect reads its inputs whole before it writes: in-place buffers are fine.
        float* in[2] = {const_cast<float*>(m_in[0]), const_cast<float*>(m_in[1])};
        m_effect->processReplacing(in, m_out, static_cast<VstInt32>(frames));
    }
    float peaks[4] = {};
    m_effect->GetVU(&peaks[0], &peaks[1], &peaks[2], &peaks[3]);
    for (int i = 0; i < 4; ++i)
        if (m_peaks[i]) *m_peaks[i] = peaks[i];
    if (m_latency) *m_latency = 0.0f;
    WriteNotify();
}

LV2_State_Status KestruneLv2::Save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    if (!m_mapped) return LV2_STATE_ERR_NO_FEATURE;
    void* chunk = nullptr;
    const VstInt32 size = m_effect->getChunk(&chunk, false);
    if (!chunk || size != kBankChunkSize) return LV2_STATE_ERR_UNKNOWN;
    return store(handle, m_uris.programs, chunk, static_cast<size_t>(size), m_uris.atomChunk,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status KestruneLv2::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    if (!m_mapped) return LV2_STATE_ERR_NO_FEATURE;
    size_t size = 0;
    uint32_t type = 0, flags = 0;
    const void* data = retrieve(handle, m_uris.programs, &size, &type, &flags);
    if (!data) return LV2_STATE_ERR_NO_PROPERTY;
    // Anything but one whole set of records leaves the programs as they are.
    if (type != m_uris.atomChunk || size != static_cast<size_t>(kBankChunkSize)) return LV2_STATE_ERR_BAD_TYPE;
    AKestruneProgram programs[kNumPrograms];
    std::memcpy(programs, data, sizeof programs);
    m_effect->setChunk(programs, kBankChunkSize, false);
    RememberEffectValues();
    m_adoptPorts = true;
    return LV2_STATE_SUCCESS;
}
