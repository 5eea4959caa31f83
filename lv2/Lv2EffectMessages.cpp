// The LV2 edition's side of the panel messages: program operations in (done by the worker,
// since they may write the bank file), the Panel message out on the notify port.
#include "lv2/Lv2Effect.h"

#include "effect/ParameterUnits.h"
#include "port/CString.h"
#include "port/UiServices.h"

#include <lv2/atom/util.h>

#include <algorithm>
#include <cstring>

bool KestruneLv2::ReadOperation(const LV2_Atom_Object* object)
{
    const LV2_URID type = object->body.otype;
    if (type == m_messages.refresh || type == m_messages.panelClosed) {
        m_effect->SetEditorViewOpen(type == m_messages.refresh);
        m_sendPanel = true;
        return true;
    }
    const int kind = m_messages.OperationOf(type);
    // Without a worker nothing may write the bank file: the operation is dropped.
    if (kind < 0 || !m_worker) return false;
    Lv2ProgramRequest operation {static_cast<Lv2ProgramOperation>(kind), -1, {}};
    const LV2_Atom* program = nullptr;
    const LV2_Atom* name = nullptr;
    lv2_atom_object_get(object, m_messages.program, &program, m_messages.name, &name, 0);
    if (program && program->type == m_uris.atomInt && program->size >= sizeof(int32_t))
        operation.program = reinterpret_cast<const LV2_Atom_Int*>(program)->body;
    if (name && name->type == m_messages.atomString) {
        const auto* text = static_cast<const char*>(LV2_ATOM_BODY_CONST(name));
        // Up to the terminator or the end of the atom, whichever comes first.
        const size_t length = strnlen(text, name->size);
        std::memcpy(operation.name, text, std::min(length, sizeof operation.name - 1));
    }
    const bool needsProgram =
        operation.kind == Lv2ProgramOperation::copy || operation.kind == Lv2ProgramOperation::save;
    if (needsProgram && (operation.program < 0 || operation.program >= kNumPrograms)) return false;
    return m_worker->schedule_work(m_worker->handle, sizeof operation, &operation) == LV2_WORKER_SUCCESS;
}

namespace {

void RecordFailure(void* outcome, const char*)
{
    *static_cast<int32_t*>(outcome) = 1;
}

} // namespace

LV2_Worker_Status KestruneLv2::Work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                                    uint32_t size, const void* data)
{
    if (size != sizeof(Lv2ProgramRequest) || !data) return LV2_WORKER_ERR_UNKNOWN;
    Lv2ProgramRequest operation;
    std::memcpy(&operation, data, sizeof operation);
    operation.name[sizeof operation.name - 1] = '\0';
    Outcome outcome {0};
    {
        // "Failed to Save" goes to the panel in the reply, not to a window of the worker's.
        AlertPresenterScope alerts(RecordFailure, &outcome.saveFailed);
        switch (operation.kind) {
        case Lv2ProgramOperation::copy: m_effect->CopyPgFrom(operation.program); break;
        case Lv2ProgramOperation::save: m_effect->SaveProgram(operation.program, CString(operation.name)); break;
        case Lv2ProgramOperation::initial: m_effect->ProgramToInitial(); break;
        case Lv2ProgramOperation::factory: m_effect->ProgramToFactory(); break;
        case Lv2ProgramOperation::allFactory: m_effect->ProgramToAllFactory(); break;
        default: return LV2_WORKER_ERR_UNKNOWN;
        }
    }
    return respond(handle, sizeof outcome, &outcome);
}

LV2_Worker_Status KestruneLv2::WorkResponse(uint32_t size, const void* data)
{
    if (size != sizeof(Outcome) || !data) return LV2_WORKER_ERR_UNKNOWN;
    Outcome outcome;
    std::memcpy(&outcome, data, sizeof outcome);
    if (outcome.saveFailed) m_saveFailed = true;
    ++m_done;
    m_sendPanel = true;
    return LV2_WORKER_SUCCESS;
}

void KestruneLv2::WriteNotify()
{
    if (!m_notify || !m_map) return;
    LV2_Atom_Forge& forge = m_forge;
    // The host gives the buffer's capacity as the sequence's size.
    const uint32_t capacity = m_notify->atom.size;
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(m_notify), capacity);
    LV2_Atom_Forge_Frame sequence;
    if (!lv2_atom_forge_sequence_head(&forge, &sequence, 0)) return;

    PanelShown now;
    now.program = m_effect->GetProgramNames(now.names);
    now.changed = m_effect->IsProgramChanged() ? 1 : 0;
    now.done = m_done;
    for (int i = 0; i < kNumParams; ++i) {
        const float normalised = m_effect->getParameter(i);
        uint32_t bits;
        std::memcpy(&bits, &normalised, sizeof bits);
        if (!m_unitsKnown || bits != m_shownFrom[i]) {
            m_shownUnits[i] = static_cast<float>(UnitsFromNormalised(i, normalised));
            m_shownFrom[i] = bits;
        }
        now.values[i] = m_shownUnits[i];
    }
    m_unitsKnown = true;
    const bool differs = std::memcmp(&now, &m_shown, sizeof now) != 0;
    if ((differs || m_sendPanel || m_saveFailed) && capacity >= kLv2NotifyBytes) {
        ForgePanel(forge, now);
        m_shown = now;
        m_sendPanel = false;
        m_saveFailed = false;
    }
    lv2_atom_forge_pop(&forge, &sequence);
}

void KestruneLv2::ForgePanel(LV2_Atom_Forge& forge, const PanelShown& now)
{
    LV2_Atom_Forge_Frame object, names;
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_object(&forge, &object, 0, m_messages.panel);
    lv2_atom_forge_key(&forge, m_messages.program);
    lv2_atom_forge_int(&forge, now.program);
    lv2_atom_forge_key(&forge, m_messages.changed);
    lv2_atom_forge_bool(&forge, now.changed != 0);
    lv2_atom_forge_key(&forge, m_messages.saveFailed);
    lv2_atom_forge_bool(&forge, m_saveFailed);
    lv2_atom_forge_key(&forge, m_messages.done);
    lv2_atom_forge_int(&forge, now.done);
    lv2_atom_forge_key(&forge, m_messages.values);
    lv2_atom_forge_vector(&forge, sizeof(float), m_uris.atomFloat, kNumParams, now.values);
    lv2_atom_forge_key(&forge, m_messages.names);
    lv2_atom_forge_tuple(&forge, &names);
    for (const char* name : now.names) lv2_atom_forge_string(&forge, name, static_cast<uint32_t>(strnlen(name, 24)));
    lv2_atom_forge_pop(&forge, &names);
    lv2_atom_forge_pop(&forge, &object);
}
