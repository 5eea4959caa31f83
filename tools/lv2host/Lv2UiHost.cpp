#include "tools/lv2host/Lv2UiHost.h"

#include <lv2/urid/urid.h>

#include <cstring>
#include <dlfcn.h>

Lv2UiHost::Lv2UiHost(UridMap& urids, const std::string& bundleFolder, const char* library, const char* uiUri,
                     const char* pluginUri, unsigned long parentWindow)
{
    std::string folder = bundleFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    m_library = ::dlopen((folder + library).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_library) return;
    auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(::dlsym(m_library, "lv2ui_descriptor"));
    for (uint32_t i = 0; entry && (m_descriptor = entry(i)); ++i)
        if (std::strcmp(m_descriptor->URI, uiUri) == 0) break;
    if (!m_descriptor) return;

    m_resize = {this, &Lv2UiHost::Resize};
    m_touch = {this, &Lv2UiHost::TouchFunction};
    const LV2_Feature map {LV2_URID__map, urids.MapFeatureData()};
    const LV2_Feature parent {LV2_UI__parent, reinterpret_cast<void*>(static_cast<uintptr_t>(parentWindow))};
    const LV2_Feature resize {LV2_UI__resize, &m_resize};
    const LV2_Feature touch {LV2_UI__touch, &m_touch};
    const LV2_Feature idle {LV2_UI__idleInterface, nullptr};
    const LV2_Feature* features[] = {&map, &parent, &resize, &touch, &idle, nullptr};
    m_handle = m_descriptor->instantiate(m_descriptor, pluginUri, folder.c_str(), &Lv2UiHost::WriteFunction, this,
                                         &m_widget, features);
}

Lv2UiHost::~Lv2UiHost()
{
    if (m_handle) m_descriptor->cleanup(m_handle);
    // The library stays loaded: a panel that drew text keeps itself loaded anyway.
}

bool Lv2UiHost::Idle()
{
    if (!m_handle || !m_descriptor->extension_data) return false;
    const auto* idle = static_cast<const LV2UI_Idle_Interface*>(m_descriptor->extension_data(LV2_UI__idleInterface));
    return idle && idle->idle(m_handle) == 0;
}

void Lv2UiHost::PortEvent(uint32_t port, uint32_t size, uint32_t protocol, const void* data)
{
    if (m_handle && m_descriptor->port_event) m_descriptor->port_event(m_handle, port, size, protocol, data);
}

void Lv2UiHost::WriteFunction(LV2UI_Controller self, uint32_t port, uint32_t size, uint32_t protocol,
                              const void* buffer)
{
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    static_cast<Lv2UiHost*>(self)->m_writes.push_back({port, protocol, {bytes, bytes + size}});
}

int Lv2UiHost::Resize(LV2UI_Feature_Handle self, int width, int height)
{
    static_cast<Lv2UiHost*>(self)->m_size = {width, height};
    return 0;
}

void Lv2UiHost::TouchFunction(LV2UI_Feature_Handle self, uint32_t port, bool grabbed)
{
    static_cast<Lv2UiHost*>(self)->m_touches.push_back({port, grabbed});
}
