#pragma once
// Base of the effect: owns the VST record, turns record entries into virtual calls, and
// wraps the host callback.
#include "plugin/VstInterface.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { m_sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { m_blockSize = size; }
    virtual void processReplacing(float**, float**, VstInt32) {}
    virtual void processDoubleReplacing(double**, double**, VstInt32) {}
    virtual void setParameter(VstInt32, float) {}
    virtual float getParameter(VstInt32) { return 0.0f; }
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return m_curProgram; }
    virtual void setProgram(VstInt32 program) { m_curProgram = program; }
    virtual void setProgramName(char*) {}
    virtual void getProgramName(char* name) { if (name) name[0] = 0; }
    virtual void getParameterLabel(VstInt32, char* label) { if (label) label[0] = 0; }
    virtual void getParameterDisplay(VstInt32, char* text) { if (text) text[0] = 0; }
    virtual void getParameterName(VstInt32, char* text) { if (text) text[0] = 0; }
    virtual VstInt32 getChunk(void** data, bool isPreset = false);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false);

    virtual void setUniqueID(VstInt32 id) { m_cEffect.uniqueID = id; }
    virtual void setNumInputs(VstInt32 inputs) { m_cEffect.numInputs = inputs; }
    virtual void setNumOutputs(VstInt32 outputs) { m_cEffect.numOutputs = outputs; }
    virtual void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    virtual void canDoubleReplacing(bool state = true) { setFlag(effFlagsCanDoubleReplacing, state); }
    virtual void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
    virtual void setInitialDelay(VstInt32 delay) { m_cEffect.initialDelay = delay; }

    virtual AEffEditor* getEditor() { return m_editor; }
    virtual AEffect* getAeffect() { return &m_cEffect; }
    virtual float getSampleRate() { return m_sampleRate; }
    virtual VstInt32 getBlockSize() { return m_blockSize; }
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();

    virtual void dB2string(float value, char* text, VstInt32 maxLen);
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen);
    virtual void ms2string(float samples, char* text, VstInt32 maxLen);
    virtual void float2string(float value, char* text, VstInt32 maxLen);
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen);

    virtual void process(float**, float**, VstInt32) {}
    virtual float getVu() { return 0.0f; }
    virtual void hasVu(bool state = true) { setFlag(effFlagsHasVu, state); }
    virtual void hasClip(bool state = true) { setFlag(effFlagsHasClip, state); }
    virtual void canMono(bool state = true) { setFlag(effFlagsCanMono, state); }
    virtual void setRealtimeQualities(VstInt32 qualities) { m_cEffect.realQualities = qualities; }
    virtual void setOfflineQualities(VstInt32 qualities) { m_cEffect.offQualities = qualities; }
    virtual bool isInputConnected(VstInt32 input);
    virtual bool isOutputConnected(VstInt32 output);

    // Registers the editor (owned from then on) and sets the record's editor flag.
    void setEditor(AEffEditor* editor);

    // Record entries: the host holds these function pointers.
    static VstIntPtr dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                         void* ptr, float opt);
    static float getParameterClass(AEffect* e, VstInt32 index);
    static void setParameterClass(AEffect* e, VstInt32 index, float value);
    static void processClass(AEffect* e, float** inputs, float** outputs, VstInt32 frames);
    static void processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 frames);
    static void processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs, VstInt32 frames);

protected:
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    void setFlag(VstInt32 flag, bool state);

    audioMasterCallback m_audioMaster;
    AEffEditor* m_editor = nullptr;
    float m_sampleRate = 44100.0f;
    VstInt32 m_blockSize = 1024;
    VstInt32 m_numPrograms;
    VstInt32 m_numParams;
    VstInt32 m_curProgram = 0;
    AEffect m_cEffect {};
};
