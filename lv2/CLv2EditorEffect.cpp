#include "lv2/CLv2EditorEffect.h"

#include "effect/ParameterDescriptors.h"
#include "effect/ParameterUnits.h"
#include "port/UiServices.h"

#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

CLv2EditorEffect::CLv2EditorEffect(const Host& host) : m_host(host)
{
    FillDescriptors(m_params, m_outputGain, m_inputGain);
    m_valueNames = MakeValueNameLists();
    for (int i = 0; i < kNumParams; ++i) m_params[i].Store(m_params[i].NormDefault());
    GainFromLevel(m_params[kOutputLevel], m_outputGain);
    GainFromLevel(m_params[kInputLevel], m_inputGain);
    m_uris.Map(host.map);
    m_eventTransfer = host.map->map(host.map->handle, LV2_ATOM__eventTransfer);
    std::fill(std::begin(m_portUnits), std::end(m_portUnits), std::numeric_limits<float>::quiet_NaN());
}

ParamData* CLv2EditorEffect::GetParam(int id)
{
    if (id >= 0 && id < kNumParams) return &m_params[id];
    if (id == kOutputGainId) return &m_outputGain;
    if (id == kInputGainId) return &m_inputGain;
    return nullptr;
}

const ParamValueNames* CLv2EditorEffect::GetValueNames(int list) const
{
    return list >= 0 && list < static_cast<int>(m_valueNames.size()) ? &m_valueNames[list] : nullptr;
}

void CLv2EditorEffect::GetParameterDisplay(const ParamData* param, char* text) const
{
    FormatDisplay(param, param ? GetValueNames(param->list) : nullptr, text);
}

void CLv2EditorEffect::SetParameterFromUI(int id, float value, int)
{
    value = SanitizeNormalized(value);
    if (id == kOutputGainId || id == kInputGainId) {
        ParamData& gain = id == kOutputGainId ? m_outputGain : m_inputGain;
        gain.Store(value);
        LevelFromGain(gain, m_params[HostIndexOf(id)]);
    } else if (id >= 0 && id < kNumParams) {
        m_params[id].Store(value);
    } else {
        return;
    }
    const int index = HostIndexOf(id);
    if (index == kOutputLevel || index == kInputLevel)
        GainFromLevel(m_params[index], index == kOutputLevel ? m_outputGain : m_inputGain);
    AfterChange(index);
    WritePort(index, static_cast<float>(UnitsFromNormalised(index, m_params[index].Load())));
}

void CLv2EditorEffect::WritePort(int index, float units)
{
    m_portUnits[index] = units;
    if (m_host.write)
        m_host.write(m_host.controller, kPortFirstParameter + static_cast<uint32_t>(index), sizeof units, 0, &units);
}

void CLv2EditorEffect::AfterChange(int index)
{
    if (index == kTimeMode) m_pendingTimeMode = m_params[kTimeMode].GetInt();
    m_pendingModify = true;
}

void CLv2EditorEffect::BeginEdit(int hostIndex)
{
    if (m_host.touch && hostIndex >= 0)
        m_host.touch->touch(m_host.touch->handle, kPortFirstParameter + static_cast<uint32_t>(hostIndex), true);
}

void CLv2EditorEffect::EndEdit(int hostIndex)
{
    if (m_host.touch && hostIndex >= 0)
        m_host.touch->touch(m_host.touch->handle, kPortFirstParameter + static_cast<uint32_t>(hostIndex), false);
}

void CLv2EditorEffect::GetProgramName(int index, char* name) const
{
    if (!name) return;
    if (index < 0 || index >= kNumPrograms) {
        name[0] = '\0';
        return;
    }
    std::memcpy(name, m_names[index], sizeof m_names[index]);
}

void CLv2EditorEffect::CopyPgFrom(int source)
{
    Send(Lv2ProgramOperation::copy, source);
}

void CLv2EditorEffect::SaveProgram(int destination, const char* name)
{
    Send(Lv2ProgramOperation::save, destination, name ? name : "");
}

void CLv2EditorEffect::ProgramToInitial()
{
    Send(Lv2ProgramOperation::initial);
}

void CLv2EditorEffect::ProgramToFactory()
{
    Send(Lv2ProgramOperation::factory);
}

void CLv2EditorEffect::ProgramToAllFactory()
{
    Send(Lv2ProgramOperation::allFactory);
}

void CLv2EditorEffect::SetEditorViewOpen(bool open)
{
    SendObject(open ? m_uris.refresh : m_uris.panelClosed, -1, nullptr);
}

void CLv2EditorEffect::Send(Lv2ProgramOperation operation, int program, const char* name)
{
    SendObject(m_uris.operations[static_cast<int>(operation)], program, name);
}

void CLv2EditorEffect::SendObject(LV2_URID type, int program, const char* name)
{
    if (!m_host.write) return;
    uint64_t buffer[32];
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, m_host.map);
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(buffer), sizeof buffer);
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_object(&forge, &frame, 0, type);
    if (program >= 0) {
        lv2_atom_forge_key(&forge, m_uris.program);
        lv2_atom_forge_int(&forge, program);
    }
    if (name) {
        lv2_atom_forge_key(&forge, m_uris.name);
        lv2_atom_forge_string(&forge, name, static_cast<uint32_t>(strnlen(name, 23)));
    }
    lv2_atom_forge_pop(&forge, &frame);
    const auto* atom = reinterpret_cast<const LV2_Atom*>(buffer);
    m_host.write(m_host.controller, kPortControl, static_cast<uint32_t>(sizeof(LV2_Atom) + atom->size),
                 m_eventTransfer, atom);
}

void CLv2EditorEffect::ShowUnits(int index, float units)
{
    const float value = NormalisedFromUnits(index, units);
    if (value == m_params[index].Load()) return;
    m_params[index].Store(value);
    if (index == kOutputLevel) GainFromLevel(m_params[index], m_outputGain);
    if (index == kInputLevel) GainFromLevel(m_params[index], m_inputGain);
    AfterChange(index);
}

void CLv2EditorEffect::PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (!buffer) return;
    if (format == 0 && size == sizeof(float)) {
        float value;
        std::memcpy(&value, buffer, sizeof value);
        if (port >= kPortFirstParameter && port < kPortFirstPeak) {
            m_portUnits[port - kPortFirstParameter] = value;
            ShowUnits(static_cast<int>(port - kPortFirstParameter), value);
        } else if (port >= kPortFirstPeak && port < kPortLatency) {
            m_peaks[port - kPortFirstPeak] = value;
            ++m_blocks;
        }
        return;
    }
    if (format != m_eventTransfer || port != kPortNotify || size < sizeof(LV2_Atom)) return;
    const auto* atom = static_cast<const LV2_Atom*>(buffer);
    if ((atom->type == m_uris.atomObject || atom->type == m_uris.atomBlank) && sizeof(LV2_Atom) + atom->size <= size)
        ReadPanel(reinterpret_cast<const LV2_Atom_Object*>(atom));
}

void CLv2EditorEffect::ReadPanel(const LV2_Atom_Object* object)
{
    if (object->body.otype != m_uris.panel) return;
    const LV2_Atom *program = nullptr, *changed = nullptr, *failed = nullptr, *values = nullptr, *names = nullptr,
                   *done = nullptr;
    lv2_atom_object_get(object, m_uris.program, &program, m_uris.changed, &changed, m_uris.saveFailed, &failed,
                        m_uris.values, &values, m_uris.names, &names, m_uris.done, &done, 0);
    // A program operation finished since the last message: the ports take the new values.
    bool writePorts = false;
    if (done && done->type == m_uris.atomInt) {
        const int32_t count = reinterpret_cast<const LV2_Atom_Int*>(done)->body;
        writePorts = m_done >= 0 && count != m_done;
        m_done = count;
    }
    if (program && program->type == m_uris.atomInt) {
        const int32_t p = reinterpret_cast<const LV2_Atom_Int*>(program)->body;
        if (p >= 0 && p < kNumPrograms) m_program = p;
    }
    if (changed && changed->type == m_uris.atomBool) {
        const bool now = reinterpret_cast<const LV2_Atom_Bool*>(changed)->body != 0;
        if (now != m_changed) m_pendingModify = true;
        m_changed = now;
    }
    if (values && values->type == m_uris.atomVector) {
        const auto* vector = reinterpret_cast<const LV2_Atom_Vector*>(values);
        const uint32_t count = (vector->atom.size - sizeof vector->body) / sizeof(float);
        if (vector->body.child_type == m_uris.atomFloat && vector->body.child_size == sizeof(float)
            && count == kNumParams) {
            const auto* units = reinterpret_cast<const float*>(vector + 1);
            for (int i = 0; i < kNumParams; ++i) {
                ShowUnits(i, units[i]);
                if (writePorts && !(units[i] == m_portUnits[i])) WritePort(i, units[i]);
            }
        }
    }
    if (names) {
        int p = 0;
        LV2_ATOM_TUPLE_FOREACH (reinterpret_cast<const LV2_Atom_Tuple*>(names), name) {
            if (p >= kNumPrograms) break;
            if (name->type != m_uris.atomString) continue;
            const auto* text = static_cast<const char*>(LV2_ATOM_BODY_CONST(name));
            const size_t length = strnlen(text, std::min<size_t>(name->size, sizeof m_names[p] - 1));
            std::memset(m_names[p], 0, sizeof m_names[p]);
            std::memcpy(m_names[p], text, length);
            ++p;
        }
    }
    // As the VST edition's save reports a failure: an alert on the panel's side.
    if (failed && failed->type == m_uris.atomBool && reinterpret_cast<const LV2_Atom_Bool*>(failed)->body)
        AfxMessageBoxN("Failed to Save");
}

void CLv2EditorEffect::GetVU(float* inLeft, float* inRight, float* outLeft, float* outRight)
{
    float* out[4] = {inLeft, inRight, outLeft, outRight};
    for (int i = 0; i < 4; ++i)
        if (out[i]) *out[i] = m_peaks[i];
}

int CLv2EditorEffect::TakePendingTimeMode()
{
    const int mode = m_pendingTimeMode;
    m_pendingTimeMode = -1;
    return mode;
}

bool CLv2EditorEffect::TakePendingModify()
{
    const bool modify = m_pendingModify;
    m_pendingModify = false;
    return modify;
}

bool CLv2EditorEffect::SizeWindow(int width, int height)
{
    return m_host.resize && m_host.resize->ui_resize(m_host.resize->handle, width, height) == 0;
}
