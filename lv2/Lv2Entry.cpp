// The LV2 entry point: the descriptor and the state and worker interfaces, forwarding to KestruneLv2.
#include "lv2/Lv2Effect.h"

#include <string_view>

namespace {

KestruneLv2* Self(LV2_Handle instance)
{
    return static_cast<KestruneLv2*>(instance);
}

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features)
{
    if (!(rate >= 1.0 && rate <= 1536000.0)) return nullptr;
    try {
        return new KestruneLv2(rate, features);
    } catch (...) {
        return nullptr; // no memory: the host reports a plug-in that failed to load
    }
}

void ConnectPort(LV2_Handle instance, uint32_t port, void* data)
{
    Self(instance)->Connect(port, data);
}

void Activate(LV2_Handle instance)
{
    Self(instance)->Activate();
}

void Run(LV2_Handle instance, uint32_t frames)
{
    Self(instance)->Run(frames);
}

void Deactivate(LV2_Handle instance)
{
    Self(instance)->Deactivate();
}

void Cleanup(LV2_Handle instance)
{
    delete Self(instance);
}

LV2_State_Status Save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const*)
{
    return Self(instance)->Save(store, handle);
}

LV2_State_Status Restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                         uint32_t, const LV2_Feature* const*)
{
    return Self(instance)->Restore(retrieve, handle);
}

LV2_Worker_Status Work(LV2_Handle instance, LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                       uint32_t size, const void* data)
{
    return Self(instance)->Work(respond, handle, size, data);
}

LV2_Worker_Status WorkResponse(LV2_Handle instance, uint32_t size, const void* data)
{
    return Self(instance)->WorkResponse(size, data);
}

const void* ExtensionData(const char* uri)
{
    static const LV2_State_Interface state = {Save, Restore};
    static const LV2_Worker_Interface worker = {Work, WorkResponse, nullptr};
    if (!uri) return nullptr;
    if (std::string_view(uri) == LV2_STATE__interface) return &state;
    if (std::string_view(uri) == LV2_WORKER__interface) return &worker;
    return nullptr;
}

const LV2_Descriptor kDescriptor = {
    kLv2PluginUri, Instantiate, ConnectPort, Activate, Run, Deactivate, Cleanup, ExtensionData,
};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
