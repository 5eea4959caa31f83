#pragma once
// The panel's view of the LV2 plug-in, on the UI side: copies of the descriptors, program
// names and meters, fed by the host's port events and the plug-in's Panel messages; changes
// go out through the host's write function (values to the control ports in their units,
// program operations as messages on the control input), gestures through ui:touch.
#include "editor/CEditorEffect.h"
#include "lv2/Lv2Messages.h"
#include "lv2/Lv2Ports.h"

#include <lv2/atom/atom.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <vector>

class CLv2EditorEffect final : public CEditorEffect {
public:
    // What the UI host offers; resize and touch may be null.
    struct Host {
        LV2UI_Write_Function write = nullptr;
        LV2UI_Controller controller = nullptr;
        LV2_URID_Map* map = nullptr;
        const LV2UI_Resize* resize = nullptr;
        const LV2UI_Touch* touch = nullptr;
    };
    explicit CLv2EditorEffect(const Host& host);

    // A port's new value (format 0) or an atom from the notify port.
    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);

    ParamData* GetParam(int id) override;
    const ParamValueNames* GetValueNames(int list) const override;
    void GetParameterDisplay(const ParamData* param, char* text) const override;
    void SetParameterFromUI(int id, float value, int kind) override;
    void BeginEdit(int hostIndex) override;
    void EndEdit(int hostIndex) override;

    int GetProgram() const override { return m_program; }
    void GetProgramName(int index, char* name) const override;
    bool IsProgramChanged() const override { return m_changed; }
    void CopyPgFrom(int source) override;
    void SaveProgram(int destination, const char* name) override;
    void ProgramToInitial() override;
    void ProgramToFactory() override;
    void ProgramToAllFactory() override;

    void GetVU(float* inLeft, float* inRight, float* outLeft, float* outRight) override;
    uint16_t GetProcessBlockCount() const override { return m_blocks; }

    int TakePendingTimeMode() override;
    bool TakePendingModify() override;
    // Tells the plug-in; opening asks for the whole Panel message too.
    void SetEditorViewOpen(bool open) override;

    bool SizeWindow(int width, int height) override;
    void MasterIdle() override {}

private:
    void Send(Lv2ProgramOperation operation, int program = -1, const char* name = nullptr);
    void SendObject(LV2_URID type, int program, const char* name);
    void ReadPanel(const LV2_Atom_Object* object);
    // A parameter in port units, from the plug-in: the descriptor (and its gain) follow.
    void ShowUnits(int index, float units);
    void AfterChange(int index);
    void WritePort(int index, float units);

    Host m_host;
    Lv2MessageUris m_uris;
    LV2_URID m_eventTransfer = 0;
    ParamData m_params[kNumParams];
    ParamData m_outputGain, m_inputGain;
    std::vector<ParamValueNames> m_valueNames;
    char m_names[kNumPrograms][24] = {};
    int m_program = 0;
    bool m_changed = false;
    float m_peaks[4] = {};
    uint16_t m_blocks = 0;
    // What the host's control ports hold, as far as their events and our writes tell.
    float m_portUnits[kNumParams];
    // The plug-in's count of program operations done, from its last Panel message (-1: none yet).
    int32_t m_done = -1;
    int m_pendingTimeMode = -1;
    bool m_pendingModify = false;
};
