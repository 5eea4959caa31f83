#include "tools/host/VstHost.h"

#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>

namespace {
// The instance being created: its callback arrives before the record exists.
thread_local VstInstance* gCreating = nullptr;
}

std::string VstLibrary::ResolvePath(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::string folder = path;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        const std::string::size_type slash = folder.rfind('/');
        const std::string name = slash == std::string::npos ? folder : folder.substr(slash + 1);
        return folder + "/" + name + ".so";
    }
    return path;
}

VstLibrary::VstLibrary(const std::string& path) : m_path(ResolvePath(path))
{
    m_handle = ::dlopen(m_path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* why = ::dlerror();
        m_error = why ? why : "cannot load " + m_path;
        return;
    }
    m_main = reinterpret_cast<MainProc>(::dlsym(m_handle, "VSTPluginMain"));
    if (!m_main) m_main = reinterpret_cast<MainProc>(::dlsym(m_handle, "main"));
    if (!m_main) m_error = m_path + " has no VSTPluginMain entry point";
}

VstLibrary::~VstLibrary()
{
    if (m_handle) ::dlclose(m_handle);
}

VstInstance::VstInstance(const VstLibrary& library, int32_t hostVersion) : m_hostVersion(hostVersion)
{
    m_timeInfo.sampleRate = 44100.0;
    m_timeInfo.timeSigNumerator = 4;
    m_timeInfo.timeSigDenominator = 4;
    if (!library.IsLoaded()) return;
    gCreating = this;
    AEffect* effect = library.Main()(&VstInstance::Callback);
    gCreating = nullptr;
    if (effect && effect->magic == kEffectMagic) {
        m_effect = effect;
        m_effect->user = this;
    }
}

VstInstance::~VstInstance()
{
    Close();
}

intptr_t VstInstance::Close()
{
    if (!m_effect) return 0;
    const intptr_t result = m_effect->dispatcher(m_effect, effClose, 0, 0, nullptr, 0.0f);
    m_effect = nullptr;
    return result;
}

intptr_t VstInstance::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return m_effect ? m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt) : 0;
}

std::string VstInstance::StringOf(int32_t opcode, int32_t index)
{
    char text[256] = {};
    Dispatch(opcode, index, 0, text);
    text[sizeof text - 1] = '\0';
    return text;
}

std::string VstInstance::ParameterName(int32_t index) { return StringOf(effGetParamName, index); }
std::string VstInstance::ParameterDisplay(int32_t index) { return StringOf(effGetParamDisplay, index); }
std::string VstInstance::ParameterLabel(int32_t index) { return StringOf(effGetParamLabel, index); }
std::string VstInstance::ProgramName() { return StringOf(effGetProgramName); }

void VstInstance::SetTempo(double bpm, bool viaTimeInfo)
{
    m_tempo = bpm;
    m_tempoViaTimeInfo = viaTimeInfo;
}

std::vector<HostEvent> VstInstance::Events() const
{
    std::lock_guard<std::mutex> lock(m_eventMutex);
    return m_events;
}

std::vector<HostEvent> VstInstance::EventsOf(int32_t opcode) const
{
    std::vector<HostEvent> matching;
    for (const HostEvent& e : Events())
        if (e.opcode == opcode) matching.push_back(e);
    return matching;
}

void VstInstance::ClearEvents()
{
    std::lock_guard<std::mutex> lock(m_eventMutex);
    m_events.clear();
}

intptr_t VstInstance::Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    VstInstance* self = effect && effect->user ? static_cast<VstInstance*>(effect->user) : gCreating;
    if (!self) return opcode == audioMasterVersion ? 2400 : 0;
    return self->Answer(opcode, index, value, ptr, opt);
}

intptr_t VstInstance::Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    switch (opcode) {
    case audioMasterVersion: return m_hostVersion;
    case audioMasterGetTime:
        if (!m_tempoViaTimeInfo || m_tempo <= 0.0) return 0;
        m_timeInfo.tempo = m_tempo;
        m_timeInfo.flags = m_tempoMarkedValid ? kVstTempoValid : 0;
        return reinterpret_cast<intptr_t>(&m_timeInfo);
    case audioMasterTempoAt:
        return m_tempoViaTimeInfo ? 0 : static_cast<intptr_t>(m_tempo * 10000.0);
    case audioMasterGetDirectory:
        return m_directory.empty() ? 0 : reinterpret_cast<intptr_t>(m_directory.c_str());
    case audioMasterGetSampleRate: return static_cast<intptr_t>(m_timeInfo.sampleRate);
    case audioMasterGetVendorString:
        if (ptr) std::strcpy(static_cast<char*>(ptr), "Kestrune");
        return 1;
    case audioMasterGetProductString:
        if (ptr) std::strcpy(static_cast<char*>(ptr), "kestrune-host");
        return 1;
    case audioMasterAutomate:
    case audioMasterIdle:
    case audioMasterUpdateDisplay:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterSizeWindow: {
        std::lock_guard<std::mutex> lock(m_eventMutex);
        m_events.push_back({opcode, index, value, opt});
        if (opcode == audioMasterSizeWindow) return m_acceptsResize ? 1 : 0;
        return opcode == audioMasterUpdateDisplay ? 1 : 0;
    }
    default: return 0;
    }
}
