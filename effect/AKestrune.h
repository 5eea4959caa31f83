#pragma once
// The effect: parameters, processing path, programs and bank file of one instance.
#include "dsp/CBiquadFilter.h"
#include "dsp/DelayMain.h"
#include "dsp/SwitchFade.h"
#include "effect/AKestruneProgram.h"
#include "effect/ParamData.h"
#include "effect/ParameterTable.h"
#include "plugin/AudioEffectX.h"
#include "port/CCriticalSection.h"
#include "port/CString.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class CFile;

class AKestrune : public AudioEffectX {
public:
    explicit AKestrune(audioMasterCallback audioMaster);
    ~AKestrune() override;

    // Parameters
    void setParameter(VstInt32 index, float value) override;
    void setParameterFromUI(int index, float value, int unused = 0);
    float getParameter(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterDisplay(const ParamData* descriptor, char* text) const;
    bool getParameterProperties(VstInt32 index, VstParameterProperties* p) override;

    // Identity
    bool getEffectName(char* name) override;
    bool getProductString(char* text) override;
    bool getVendorString(char* text) override;
    VstInt32 getVendorVersion() override { return 1000; }
    VstInt32 canDo(char* text) override;
    VstInt32 getPlugCategory() override { return kPlugCategEffect; }

    // Processing
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) override;
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    void resume() override;
    void suspend() override;
    VstInt32 startProcess() override;
    void CalcDelatTime(signed char storeInProgram);
    void ResetHPF();
    void ResetLPF();
    void GetVU(float* inLeft, float* inRight, float* outLeft, float* outRight);
    bool GetClip() const { return false; }
    uint16_t GetProcessBlockCount() const { return m_processBlockCount.load(std::memory_order_relaxed); }

    // Programs, chunks and the default bank
    void open() override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    VstInt32 getChunk(void** data, bool isPreset = false) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false) override;
    void SetFactoryProgram();
    bool IsProgramChanged() const;
    // The current program and every program's name, read together under the lock (program
    // operations on another thread may rename and switch at once).
    int GetProgramNames(char (*names)[sizeof AKestruneProgram::name]) const;
    void ProgramToInitial();
    void ProgramToAllInitial();
    void ProgramToFactory();
    void ProgramToAllFactory();
    void CopyPgFrom(int source);
    void SaveProgram(int destination, CString name);
    static unsigned int getDWordFile(CFile* file);
    static unsigned int getWordFile(CFile* file);
    static void putDWordFile(CFile* file, unsigned int value);

    // Read access for the editor.
    ParamData* GetParam(int id);
    const AKestruneProgram& GetProgramRecord(int index) const { return m_programs[index]; }
    const ParamValueNames* GetValueNames(int list) const;

    // The editor's view state, told by the editor; read by parameter changes from any thread.
    void SetEditorViewOpen(bool open) { m_editorViewOpen.store(open); }
    bool IsEditorViewOpen() const { return m_editorViewOpen.load(); }
    // Pending panel updates that the editor applies on its next idle (-1: none).
    int TakePendingTimeMode() { return m_pendingTimeMode.exchange(-1); }
    bool TakePendingModify() { return m_pendingModify.exchange(false); }

private:
    struct WaveFormat {
        uint16_t formatTag = 3;
        uint16_t channels = 2;
        uint32_t samplesPerSec = 44100;
        uint32_t avgBytesPerSec = 44100 * 8;
        uint16_t blockAlign = 8;
        uint16_t bitsPerSample = 32;
        uint16_t extraSize = 0;
    };

    void FillDescriptors();
    void SetGainFromLevel(const ParamData& level, ParamData& gain);
    void SetLevelFromGain(const ParamData& gain, ParamData& level, int programSlot);
    bool AllocateWorkBuffers(int frames);
    // Counts the block and clears the peaks; false when the effect is OFF (bypass).
    bool BeginBlock();
    // Both host entries: lock, bypass, and the block in pieces of at most the buffer size.
    template <typename Sample> void ProcessEntry(Sample** inputs, Sample** outputs, int frames);
    // One piece; reads the host's inputs without writing them.
    template <typename Sample> void ProcessBlock(Sample** inputs, Sample** outputs, int frames);
    // The delay engine on the gained input, then the high-pass and low-pass stages;
    // wet receives the result.
    void RunWetPath(double** in, double* (&wet)[2], int frames);
    // One switchable filter stage on the wet pair; the result ends up in wet.
    void RunFilterStage(CBiquadFilter& left, CBiquadFilter& right, CSwitchFade& fade, double* (&wet)[2],
                        double* (&spare)[2], int frames);
    void SetFadeLength(CSwitchFade& fade) const;
    void SettleFilterSwitches();
    void UpdateHostTempo();
    // Hands DelayTime to the engine, clamped to what the line holds.
    void ApplyDelayTime();
    void NotifyHost() { updateDisplay(); }
    void UpdateModify();
    bool WriteDefaultBank();
    void ApplyCurrentProgram();

    std::atomic<uint16_t> m_processBlockCount {0xFFFF};
    AKestruneProgram m_programs[kNumPrograms];
    ParamData m_params[kNumParams];
    ParamData m_outputGain;
    ParamData m_inputGain;
    std::vector<ParamValueNames> m_valueNames;
    DelayMain m_delay;
    CBiquadFilter m_lpfL, m_lpfR, m_hpfL, m_hpfR;
    // The filter switches fade rather than cut; the filters run while switched off.
    CSwitchFade m_hpfFade, m_lpfFade;
    // The wet pair (0, 1) and a spare pair (2, 3) for a filter stage whose switch fades.
    static constexpr int kWorkBuffers = 4;
    std::unique_ptr<double[]> m_work[kWorkBuffers];
    char m_pluginFolder[2048] = {};
    AKestruneProgram m_initialPrograms[kNumPrograms];
    AKestruneProgram m_factoryPrograms[kNumPrograms];
    // What getChunk hands the host: a copy taken under the lock, not the live programs.
    AKestruneProgram m_chunkSnapshot[kNumPrograms];
    WaveFormat m_format;
    int m_blockSizeMember = 256;
    float m_peaks[4] = {};
    mutable CCriticalSection m_lock;

    // The gained input of a piece: the host's input arrays are never written.
    std::unique_ptr<double[]> m_gainedInput[2];
    int m_allocatedFrames = 0;

    std::atomic<bool> m_editorViewOpen {false};
    std::atomic<int> m_pendingTimeMode {-1};
    std::atomic<bool> m_pendingModify {false};
};
