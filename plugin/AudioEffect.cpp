#include "plugin/AudioEffect.h"

#include "plugin/AEffEditor.h"

#include <cmath>
#include <cstdio>
#include <cstring>

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : m_audioMaster(audioMaster), m_numPrograms(numPrograms), m_numParams(numParams)
{
    m_cEffect.magic = kEffectMagic;
    m_cEffect.dispatcher = dispatchEffectClass;
    m_cEffect.process = processClass;
    m_cEffect.setParameter = setParameterClass;
    m_cEffect.getParameter = getParameterClass;
    m_cEffect.numPrograms = numPrograms;
    m_cEffect.numParams = numParams;
    m_cEffect.numInputs = 1;
    m_cEffect.numOutputs = 2;
    m_cEffect.flags = effFlagsCanReplacing;
    m_cEffect.ioRatio = 1.0f;
    m_cEffect.object = this;
    m_cEffect.uniqueID = FourCC('N', 'o', 'E', 'f');
    m_cEffect.version = 1;
    m_cEffect.processReplacing = processClassReplacing;
    m_cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect()
{
    delete m_editor;
}

void AudioEffect::setEditor(AEffEditor* editor)
{
    m_editor = editor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

void AudioEffect::setFlag(VstInt32 flag, bool state)
{
    if (state)
        m_cEffect.flags |= flag;
    else
        m_cEffect.flags &= ~flag;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return m_audioMaster ? m_audioMaster(&m_cEffect, opcode, index, value, ptr, opt) : 0;
}

// ---- record entries ----

static AudioEffect* ObjectOf(AEffect* e)
{
    return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}

VstIntPtr AudioEffect::dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                           void* ptr, float opt)
{
    AudioEffect* object = ObjectOf(e);
    if (!object) return 0;
    const VstIntPtr result = object->dispatcher(opcode, index, value, ptr, opt);
    if (opcode == effClose) {
        delete object;
        return 1;
    }
    return result;
}

float AudioEffect::getParameterClass(AEffect* e, VstInt32 index)
{
    AudioEffect* object = ObjectOf(e);
    return object ? object->getParameter(index) : 0.0f;
}

void AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value)
{
    if (AudioEffect* object = ObjectOf(e)) object->setParameter(index, value);
}

void AudioEffect::processClass(AEffect* e, float** inputs, float** outputs, VstInt32 frames)
{
    if (AudioEffect* object = ObjectOf(e)) object->process(inputs, outputs, frames);
}

void AudioEffect::processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 frames)
{
    if (AudioEffect* object = ObjectOf(e)) object->processReplacing(inputs, outputs, frames);
}

void AudioEffect::processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs, VstInt32 frames)
{
    if (AudioEffect* object = ObjectOf(e)) object->processDoubleReplacing(inputs, outputs, frames);
}

// ---- dispatcher: opcodes 0 to 24 ----

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode) {
    case effOpen: open(); return 0;
    case effClose: close(); return 0;
    case effSetProgram:
        if (value >= 0 && value < m_numPrograms) setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram: return getProgram();
    case effSetProgramName: setProgramName(static_cast<char*>(ptr)); return 0;
    case effGetProgramName: getProgramName(static_cast<char*>(ptr)); return 0;
    case effGetParamLabel: getParameterLabel(index, static_cast<char*>(ptr)); return 0;
    case effGetParamDisplay: getParameterDisplay(index, static_cast<char*>(ptr)); return 0;
    case effGetParamName: getParameterName(index, static_cast<char*>(ptr)); return 0;
    case effGetVu: return static_cast<VstIntPtr>(getVu() * 32767.0);
    case effSetSampleRate: setSampleRate(opt); return 0;
    case effSetBlockSize: setBlockSize(static_cast<VstInt32>(value)); return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect: return m_editor ? m_editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen: return m_editor ? m_editor->open(ptr) : 0;
    case effEditClose: if (m_editor) m_editor->close(); return 0;
    case effEditDraw: if (m_editor) m_editor->draw(static_cast<ERect*>(ptr)); return 0;
    case effEditMouse: return m_editor ? m_editor->mouse(index, value) : 0;
    case effEditKey: return m_editor ? m_editor->key(value) : 0;
    case effEditIdle: if (m_editor) m_editor->idle(); return 0;
    case effEditTop: if (m_editor) m_editor->top(); return 0;
    case effEditSleep: if (m_editor) m_editor->sleep(); return 0;
    case effIdentify: return FourCC('N', 'v', 'E', 'f');
    case effGetChunk: return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk: return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default: return 0;
    }
}

VstInt32 AudioEffect::getChunk(void** data, bool)
{
    if (data) *data = nullptr;
    return 0;
}

VstInt32 AudioEffect::setChunk(void*, VstInt32, bool)
{
    return 0;
}

// ---- host callback wrappers ----

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 AudioEffect::getMasterVersion()
{
    const VstIntPtr version = callHost(audioMasterVersion);
    return version == 0 ? 1 : static_cast<VstInt32>(version);
}

VstInt32 AudioEffect::getCurrentUniqueId()
{
    return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle()
{
    callHost(audioMasterIdle);
}

bool AudioEffect::isInputConnected(VstInt32 input)
{
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output)
{
    return callHost(audioMasterPinConnected, output, 1) == 0;
}

// ---- text conversions (framework helpers; the effect formats its own displays) ----

static void FormatInto(char* text, VstInt32 maxLen, const char* format, double value)
{
    if (!text || maxLen <= 0) return;
    std::snprintf(text, static_cast<std::size_t>(maxLen), format, value);
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen)
{
    if (value > 0.0f)
        FormatInto(text, maxLen, "%.2f", 20.0 * std::log10(value));
    else if (text && maxLen > 0)
        std::snprintf(text, static_cast<std::size_t>(maxLen), "-oo");
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen)
{
    FormatInto(text, maxLen, "%.2f", samples > 0.0f ? m_sampleRate / samples : 0.0);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen)
{
    FormatInto(text, maxLen, "%.2f", m_sampleRate > 0.0f ? samples * 1000.0 / m_sampleRate : 0.0);
}

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen)
{
    FormatInto(text, maxLen, "%.2f", value);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen)
{
    if (text && maxLen > 0) std::snprintf(text, static_cast<std::size_t>(maxLen), "%d", value);
}
