#pragma once
// One plug-in prepared the way a host prepares it for playback.
#include "tools/host/VstHost.h"
#include "tools/render/RenderOptions.h"

#include <memory>
#include <string>

class PluginSession {
public:
    // Loads, opens and configures; Error() says why when it could not.
    PluginSession(const PluginSetup& setup, double sampleRate, int blockSize, double tempo);
    ~PluginSession();

    const std::string& Error() const { return m_error; }
    VstInstance& Instance() { return *m_instance; }
    std::string Name();
    // Processes frames (at most the block size) of two channels.
    void Process(float** inputs, float** outputs, int frames) { m_instance->ProcessReplacing(inputs, outputs, frames); }

private:
    bool RestoreState(const std::string& path);

    std::unique_ptr<VstLibrary> m_library;
    std::unique_ptr<VstInstance> m_instance;
    std::string m_error;
    bool m_running = false;
};
