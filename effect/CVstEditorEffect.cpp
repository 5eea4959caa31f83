#include "effect/CVstEditorEffect.h"

#include "effect/AKestrune.h"
#include "port/CString.h"

ParamData* CVstEditorEffect::GetParam(int id)
{
    return m_effect.GetParam(id);
}

const ParamValueNames* CVstEditorEffect::GetValueNames(int list) const
{
    return m_effect.GetValueNames(list);
}

void CVstEditorEffect::GetParameterDisplay(const ParamData* param, char* text) const
{
    m_effect.getParameterDisplay(param, text);
}

void CVstEditorEffect::SetParameterFromUI(int id, float value, int kind)
{
    m_effect.setParameterFromUI(id, value, kind);
}

void CVstEditorEffect::BeginEdit(int hostIndex)
{
    m_effect.beginEdit(hostIndex);
}

void CVstEditorEffect::EndEdit(int hostIndex)
{
    m_effect.endEdit(hostIndex);
}

int CVstEditorEffect::GetProgram() const
{
    return m_effect.getProgram();
}

void CVstEditorEffect::GetProgramName(int index, char* name) const
{
    if (!m_effect.getProgramNameIndexed(0, index, name) && name) name[0] = '\0';
}

bool CVstEditorEffect::IsProgramChanged() const
{
    return m_effect.IsProgramChanged();
}

void CVstEditorEffect::CopyPgFrom(int source)
{
    m_effect.CopyPgFrom(source);
}

void CVstEditorEffect::SaveProgram(int destination, const char* name)
{
    m_effect.SaveProgram(destination, CString(name));
}

void CVstEditorEffect::ProgramToInitial()
{
    m_effect.ProgramToInitial();
}

void CVstEditorEffect::ProgramToFactory()
{
    m_effect.ProgramToFactory();
}

void CVstEditorEffect::ProgramToAllFactory()
{
    m_effect.ProgramToAllFactory();
}

void CVstEditorEffect::GetVU(float* inLeft, float* inRight, float* outLeft, float* outRight)
{
    m_effect.GetVU(inLeft, inRight, outLeft, outRight);
}

uint16_t CVstEditorEffect::GetProcessBlockCount() const
{
    return m_effect.GetProcessBlockCount();
}

int CVstEditorEffect::TakePendingTimeMode()
{
    return m_effect.TakePendingTimeMode();
}

bool CVstEditorEffect::TakePendingModify()
{
    return m_effect.TakePendingModify();
}

void CVstEditorEffect::SetEditorViewOpen(bool open)
{
    m_effect.SetEditorViewOpen(open);
}

bool CVstEditorEffect::SizeWindow(int width, int height)
{
    return m_effect.sizeWindow(width, height);
}

void CVstEditorEffect::MasterIdle()
{
    m_effect.masterIdle();
}
