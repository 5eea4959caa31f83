#include "effect/AKestrune.h"

#include "editor/CDelayEditor.h"
#include "effect/CVstEditorEffect.h"
#include "effect/ParameterDescriptors.h"
#include "port/Folders.h"

#include <cmath>
#include <cstdio>
#include <cstring>

AKestrune::AKestrune(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, kNumPrograms, kNumParams)
{
    GetMy_SHFOLDER_PathName();
    m_numPrograms = kNumPrograms;
    m_cEffect.numPrograms = kNumPrograms;

    FillDescriptors();

    m_delay.SetStereo(1);
    m_delay.SetMaxDelayTime(static_cast<float>(m_params[kDelayTime].max));

    m_curProgram = 0;
    m_blockSizeMember = 256;
    // Hosts may process before announcing a block size: start with 256-frame buffers.
    AllocateWorkBuffers(m_blockSizeMember);

    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(FourCC('K', 'S', 'T', 'R'));
    programsAreChunks(true);
    canMono(true);

    setEditor(new CDelayEditor(std::make_unique<CVstEditorEffect>(*this), this));

    setSampleRate(44100.0f);
    // Running, as after resume(), but the line's pages are taken only when a host
    // resumes the effect: opening stays cheap, and a rate change may follow first.
    m_params[kOnOff].Store(1.0f);
    AudioEffectX::resume();
}

AKestrune::~AKestrune() = default;

void AKestrune::FillDescriptors()
{
    ::FillDescriptors(m_params, m_outputGain, m_inputGain);
    m_valueNames = MakeValueNameLists();
}

ParamData* AKestrune::GetParam(int id)
{
    if (id >= 0 && id < kNumParams) return &m_params[id];
    if (id == kOutputGainId) return &m_outputGain;
    if (id == kInputGainId) return &m_inputGain;
    return nullptr;
}

const ParamValueNames* AKestrune::GetValueNames(int list) const
{
    return list >= 0 && list < static_cast<int>(m_valueNames.size()) ? &m_valueNames[list] : nullptr;
}

void AKestrune::SetGainFromLevel(const ParamData& level, ParamData& gain)
{
    GainFromLevel(level, gain);
}

void AKestrune::SetLevelFromGain(const ParamData& gain, ParamData& level, int programSlot)
{
    LevelFromGain(gain, level);
    m_programs[m_curProgram].values[programSlot] = level.Load();
}

void AKestrune::setParameter(VstInt32 index, float value)
{
    value = SanitizeNormalized(value);
    {
        CSingleLock lock(m_lock);
        if (index >= 0 && index < kNumParams) {
            m_params[index].Store(value);
            m_programs[m_curProgram].values[index] = value;
            switch (index) {
            case kOnOff:
                // Only an explicit OFF clears the line; a value that merely rounds to OFF does not.
                if (value == 0.0f) m_delay.Reset();
                break;
            case kOutputLevel: SetGainFromLevel(m_params[kOutputLevel], m_outputGain); break;
            case kInputLevel: SetGainFromLevel(m_params[kInputLevel], m_inputGain); break;
            case kDelayTime: ApplyDelayTime(); break;
            case kFeedBack: m_delay.SetFeedBack(value); break;
            case kDepth: m_delay.SetLFODepth(value); break;
            case kRate: m_delay.SetLFORate(m_params[kRate].GetReal()); break;
            case kHpfFreq: ResetHPF(); break;
            case kLpfFreq: ResetLPF(); break;
            case kTimeMode: {
                const int mode = m_params[kTimeMode].GetInt();
                if (IsEditorViewOpen()) {
                    if (mode == kTimeModeMs)
                        m_programs[m_curProgram].values[kDelayTime] = m_params[kDelayTime].Load();
                    else if (mode == kTimeModeBpm)
                        CalcDelatTime(1);
                    m_pendingTimeMode.store(mode);
                }
                // HOST times the note at once from the BPM on show (the host's last tempo, or
                // the user's when the host has none); the next block follows the host.
                if (mode == kTimeModeHost) CalcDelatTime(0);
                break;
            }
            case kNote:
                if (m_params[kTimeMode].GetInt() == kTimeModeBpm) CalcDelatTime(1);
                else if (m_params[kTimeMode].GetInt() == kTimeModeHost) CalcDelatTime(0);
                break;
            case kBpm:
                if (m_params[kTimeMode].GetInt() == kTimeModeBpm) {
                    CalcDelatTime(1);
                    m_delay.SetDelayTime(m_params[kDelayTime].GetReal());
                } else if (m_params[kTimeMode].GetInt() == kTimeModeHost) {
                    CalcDelatTime(0);
                }
                break;
            default: break;
            }
        } else if (index == kOutputGainId) {
            m_outputGain.Store(value);
            SetLevelFromGain(m_outputGain, m_params[kOutputLevel], kOutputLevel);
        } else if (index == kInputGainId) {
            m_inputGain.Store(value);
            SetLevelFromGain(m_inputGain, m_params[kInputLevel], kInputLevel);
        }
    }
    UpdateModify();
}

// The editor brackets each gesture with begin- and end-of-edit itself (a drag spans many
// changes), so this only reports the change.
void AKestrune::setParameterFromUI(int index, float value, int)
{
    setParameter(index, value);
    const int hostIndex = HostIndexOf(index);
    if (m_audioMaster && hostIndex >= 0) callHost(audioMasterAutomate, hostIndex, 0, nullptr, getParameter(hostIndex));
}

void AKestrune::UpdateModify()
{
    if (IsEditorViewOpen()) m_pendingModify.store(true);
}

float AKestrune::getParameter(VstInt32 index)
{
    return index >= 0 && index < kNumParams ? m_params[index].Load() : 0.0f;
}

void AKestrune::getParameterName(VstInt32 index, char* text)
{
    if (text && index >= 0 && index < kNumParams) std::strcpy(text, m_params[index].name);
}

void AKestrune::getParameterLabel(VstInt32 index, char* text)
{
    if (text && index >= 0 && index < kNumParams) std::strcpy(text, m_params[index].unit);
}

void AKestrune::getParameterDisplay(VstInt32 index, char* text)
{
    if (text && index >= 0 && index < kNumParams) getParameterDisplay(&m_params[index], text);
}

void AKestrune::getParameterDisplay(const ParamData* d, char* text) const
{
    FormatDisplay(d, d ? GetValueNames(d->list) : nullptr, text);
}

// Hosts read these fields differently from what their names promise: Ardour shows the
// label as the parameter's name, and Ardour and Carla take an integer range as the
// control's range yet hand its raw value to setParameter. So the label is the name, no
// integer range is given (every parameter stays 0..1 for the host), switches say so, and a
// list steps one entry at a time. Continuous parameters leave their steps to the host;
// can-ramp is not set because Carla reads it as a logarithmic scale, which ours are not.
bool AKestrune::getParameterProperties(VstInt32 index, VstParameterProperties* p)
{
    if (!p) return false;
    std::memset(p, 0, sizeof *p);
    if (index < 0 || index >= kNumParams) return false;
    const ParamData& d = m_params[index];
    std::snprintf(p->label, sizeof p->label, "%s", d.name);
    std::snprintf(p->shortLabel, sizeof p->shortLabel, "%s", d.name);
    p->flags = kVstParameterSupportsDisplayIndex;
    p->displayIndex = static_cast<VstInt16>(index);
    if (d.isList && d.max - d.min == 1) {
        p->flags |= kVstParameterIsSwitch;
    } else if (d.isList) {
        p->flags |= kVstParameterUsesFloatStep;
        p->stepFloat = 1.0f / static_cast<float>(d.max - d.min);
        p->smallStepFloat = p->stepFloat;
        p->largeStepFloat = p->stepFloat;
    }
    return true;
}

bool AKestrune::getEffectName(char* name)
{
    if (!name) return false;
    std::strcpy(name, "Kestrune");
    return true;
}

bool AKestrune::getProductString(char* text)
{
    return getEffectName(text);
}

bool AKestrune::getVendorString(char* text)
{
    if (!text) return false;
    std::strcpy(text, "ORBELINE Co.,Ltd.");
    return true;
}

VstInt32 AKestrune::canDo(char* text)
{
    if (!text) return 0;
    static const char* const kRefused[] = {
        "sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent", "offline",
        "midiProgramNames",
    };
    for (const char* refused : kRefused)
        if (std::strcmp(text, refused) == 0) return -1;
    return std::strcmp(text, "receiveVstTimeInfo") == 0 ? 1 : 0;
}
