#pragma once
// The panel's view of the VST effect: every call forwards to the effect object, which lives
// in the same process and outlives its editor.
#include "editor/CEditorEffect.h"

class AKestrune;

class CVstEditorEffect final : public CEditorEffect {
public:
    explicit CVstEditorEffect(AKestrune& effect) : m_effect(effect) {}

    ParamData* GetParam(int id) override;
    const ParamValueNames* GetValueNames(int list) const override;
    void GetParameterDisplay(const ParamData* param, char* text) const override;
    void SetParameterFromUI(int id, float value, int kind) override;
    void BeginEdit(int hostIndex) override;
    void EndEdit(int hostIndex) override;

    int GetProgram() const override;
    void GetProgramName(int index, char* name) const override;
    bool IsProgramChanged() const override;
    void CopyPgFrom(int source) override;
    void SaveProgram(int destination, const char* name) override;
    void ProgramToInitial() override;
    void ProgramToFactory() override;
    void ProgramToAllFactory() override;

    void GetVU(float* inLeft, float* inRight, float* outLeft, float* outRight) override;
    uint16_t GetProcessBlockCount() const override;

    int TakePendingTimeMode() override;
    bool TakePendingModify() override;
    void SetEditorViewOpen(bool open) override;

    bool SizeWindow(int width, int height) override;
    void MasterIdle() override;

private:
    AKestrune& m_effect;
};
