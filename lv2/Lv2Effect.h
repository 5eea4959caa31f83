#pragma once
// One LV2 instance: drives the VST edition's effect object (AKestrune) unchanged, so the
// sound is the same bit for bit. Control ports reach the effect only when they change, as
// a VST host's parameter calls would; the host's transport reaches it as a VST host's time
// information; the state is the effect's chunk.
#include "effect/AKestrune.h"
#include "lv2/Lv2Messages.h"
#include "lv2/Lv2Ports.h"

#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <memory>

class KestruneLv2 {
public:
    KestruneLv2(double sampleRate, const LV2_Feature* const* features);
    KestruneLv2(const KestruneLv2&) = delete;
    KestruneLv2& operator=(const KestruneLv2&) = delete;

    void Connect(uint32_t port, void* data);
    void Activate();
    void Deactivate();
    void Run(uint32_t frames);

    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    // The panel's program operations, off the audio thread: they may write the bank file.
    LV2_Worker_Status Work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle, uint32_t size,
                           const void* data);
    LV2_Worker_Status WorkResponse(uint32_t size, const void* data);

private:
    struct Uris {
        LV2_URID atomBlank = 0, atomObject = 0, atomFloat = 0, atomDouble = 0, atomInt = 0, atomLong = 0;
        LV2_URID atomChunk = 0, timePosition = 0, timeBeatsPerMinute = 0, programs = 0;
    };
    struct Outcome {
        int32_t saveFailed;
    };
    // What the last Panel message said; no padding, so memcmp compares it whole.
    struct PanelShown {
        int32_t program = -1;
        int32_t changed = 0;
        int32_t done = 0; // program operations done
        float values[kNumParams] = {};
        char names[kNumPrograms][24] = {};
    };

    // What the effect asks of its host; only the time information is answered.
    static VstIntPtr HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt);
    void ReadFeatures(const LV2_Feature* const* features);
    void ReadControl();
    void ReadTempo(const LV2_Atom_Object* position);
    // A program operation from the panel, handed to the worker; false for any other object.
    bool ReadOperation(const LV2_Atom_Object* object);
    // The notify port's sequence: a Panel message when anything it holds changed.
    void WriteNotify();
    void ForgePanel(LV2_Atom_Forge& forge, const PanelShown& now);
    void ApplyChangedPorts();
    float Normalised(int index, float units) const;
    // After anything that sets the effect's parameters itself (instantiation, restore, mains
    // on): a port counts as changed when it differs from what the effect now holds.
    void RememberEffectValues();
    void RememberEffectValue(int index);

    std::unique_ptr<AKestrune> m_effect;
    Uris m_uris;
    Lv2MessageUris m_messages;
    bool m_mapped = false;
    int m_blockSize = 4096;

    const float* m_in[2] = {};
    float* m_out[2] = {};
    const void* m_control = nullptr;
    LV2_Atom_Sequence* m_notify = nullptr;
    const float* m_parameters[kNumParams] = {};
    float* m_peaks[4] = {};
    float* m_latency = nullptr;

    float m_applied[kNumParams] = {};
    // The normalised value of each entry of the list and switch parameters, found once:
    // a list's search probes thousands of values.
    static constexpr int kMaxEntries = 16;
    float m_entryValues[kNumParams][kMaxEntries] = {};
    bool m_startPending = true;
    // Set by a restore: the next run takes the ports as they are, without applying them.
    bool m_adoptPorts = false;
    VstTimeInfo m_time {};
    bool m_hasTempo = false;

    LV2_URID_Map* m_map = nullptr;
    // Initialised once with the host's map: mapping is not real-time safe, so run() only
    // points the forge at the block's buffer.
    LV2_Atom_Forge m_forge {};
    const LV2_Worker_Schedule* m_worker = nullptr;
    PanelShown m_shown;
    // Each parameter's value in its units as last shown, and the normalised value it came
    // from: the panel's snapshot is taken every block, and a conversion costs a power of ten.
    float m_shownUnits[kNumParams] = {};
    uint32_t m_shownFrom[kNumParams] = {};
    bool m_unitsKnown = false;
    bool m_sendPanel = true;
    bool m_saveFailed = false;
    int32_t m_done = 0;
};
