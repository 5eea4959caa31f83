#pragma once
// A small VST 2.4 host: loads a plug-in library, creates instances through its entry
// point and answers their callbacks. The test suite and the command-line tools use it.
#include "plugin/VstInterface.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One loaded plug-in library (a .so, or a bundle folder holding <name>.so).
class VstLibrary {
public:
    // Resolves a bundle folder to its .so; empty error means success.
    explicit VstLibrary(const std::string& path);
    ~VstLibrary();
    VstLibrary(const VstLibrary&) = delete;
    VstLibrary& operator=(const VstLibrary&) = delete;

    bool IsLoaded() const { return m_main != nullptr; }
    const std::string& Error() const { return m_error; }
    const std::string& Path() const { return m_path; }

    using MainProc = AEffect* (*)(audioMasterCallback);
    MainProc Main() const { return m_main; }

    static std::string ResolvePath(const std::string& path);

private:
    void* m_handle = nullptr;
    MainProc m_main = nullptr;
    std::string m_path;
    std::string m_error;
};

// What the plug-in told the host through its callback.
struct HostEvent {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
};

// One effect instance and the host side of its callback.
class VstInstance {
public:
    // Creates an instance; IsValid() is false when the entry point refused.
    explicit VstInstance(const VstLibrary& library, int32_t hostVersion = 2400);
    ~VstInstance();
    VstInstance(const VstInstance&) = delete;
    VstInstance& operator=(const VstInstance&) = delete;

    bool IsValid() const { return m_effect != nullptr; }
    AEffect* Effect() const { return m_effect; }

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    // Closes the effect through its record (the plug-in deletes itself) and returns the
    // record entry's answer; 0 when already closed.
    intptr_t Close();

    void SetParameter(int32_t index, float value) { m_effect->setParameter(m_effect, index, value); }
    float GetParameter(int32_t index) { return m_effect->getParameter(m_effect, index); }
    std::string ParameterName(int32_t index);
    std::string ParameterDisplay(int32_t index);
    std::string ParameterLabel(int32_t index);
    std::string ProgramName();
    std::string StringOf(int32_t opcode, int32_t index = 0);
    void ProcessReplacing(float** inputs, float** outputs, int32_t frames)
    {
        m_effect->processReplacing(m_effect, inputs, outputs, frames);
    }
    void ProcessDoubleReplacing(double** inputs, double** outputs, int32_t frames)
    {
        m_effect->processDoubleReplacing(m_effect, inputs, outputs, frames);
    }

    // Host answers.
    void SetTempo(double bpm, bool viaTimeInfo);
    // With false, the time info keeps its tempo field but does not mark it valid, as a
    // host without a tempo map may answer.
    void SetTempoMarkedValid(bool valid) { m_tempoMarkedValid = valid; }
    void SetDirectory(const std::string& directory) { m_directory = directory; }
    void SetSampleRate(double rate) { m_timeInfo.sampleRate = rate; }
    // The answer to a request to resize the editor's window (recorded with the width as
    // index and the height as value); refused until set.
    void SetAcceptsResize(bool accepts) { m_acceptsResize = accepts; }

    // Recorded callbacks (thread-safe).
    std::vector<HostEvent> Events() const;
    std::vector<HostEvent> EventsOf(int32_t opcode) const;
    void ClearEvents();

private:
    static intptr_t Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    AEffect* m_effect = nullptr;
    int32_t m_hostVersion;
    double m_tempo = 0.0;
    bool m_tempoViaTimeInfo = false;
    bool m_tempoMarkedValid = true;
    std::atomic<bool> m_acceptsResize {false};
    VstTimeInfo m_timeInfo {};
    std::string m_directory;
    mutable std::mutex m_eventMutex;
    std::vector<HostEvent> m_events;
};
