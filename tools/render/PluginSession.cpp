#include "tools/render/PluginSession.h"

#include "tools/render/ParameterSetter.h"

#include <fstream>
#include <iterator>
#include <vector>

PluginSession::PluginSession(const PluginSetup& setup, double sampleRate, int blockSize, double tempo)
{
    m_library = std::make_unique<VstLibrary>(setup.path);
    if (!m_library->IsLoaded()) {
        m_error = m_library->Error();
        return;
    }
    m_instance = std::make_unique<VstInstance>(*m_library);
    if (!m_instance->IsValid()) {
        m_error = m_library->Path() + " refused to create an effect";
        return;
    }
    VstInstance& fx = *m_instance;
    if (fx.Effect()->numInputs > 2 || fx.Effect()->numOutputs < 1) {
        m_error = m_library->Path() + " is not a mono or stereo effect";
        return;
    }
    fx.SetSampleRate(sampleRate);
    if (tempo > 0.0) fx.SetTempo(tempo, true);
    fx.Dispatch(effOpen);
    fx.Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    fx.Dispatch(effSetBlockSize, 0, blockSize);
    if (setup.program >= 0) {
        if (setup.program >= fx.Effect()->numPrograms) {
            m_error = "program " + std::to_string(setup.program) + " does not exist (the plug-in has "
                + std::to_string(fx.Effect()->numPrograms) + ")";
            return;
        }
        fx.Dispatch(effSetProgram, 0, setup.program);
    }
    if (!setup.state.empty() && !RestoreState(setup.state)) return;
    for (const auto& [name, value] : setup.settings) {
        m_error = SetParameterByDisplay(fx, name, value);
        if (!m_error.empty()) return;
    }
    fx.Dispatch(effMainsChanged, 0, 1);
    fx.Dispatch(effStartProcess);
    m_running = true;
}

bool PluginSession::RestoreState(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<char> chunk((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file.is_open() || chunk.empty()) {
        m_error = "cannot read the state '" + path + "'";
        return false;
    }
    if (!(m_instance->Effect()->flags & effFlagsProgramChunks)) {
        m_error = m_library->Path() + " keeps no state chunk";
        return false;
    }
    m_instance->Dispatch(effSetChunk, 0, static_cast<intptr_t>(chunk.size()), chunk.data());
    return true;
}

PluginSession::~PluginSession()
{
    if (m_instance && m_running) {
        m_instance->Dispatch(effStopProcess);
        m_instance->Dispatch(effMainsChanged, 0, 0);
    }
    m_instance.reset();
}

std::string PluginSession::Name()
{
    std::string name = m_instance ? m_instance->StringOf(effGetEffectName) : "";
    return name.empty() ? m_library->Path() : name;
}
