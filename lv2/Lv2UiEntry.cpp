// The LV2 edition's panel: an X11 UI embedded in the host's window (ui:parent), driven by the
// host's idle calls, sized through ui:resize, talking to the plug-in through ports and
// messages only (CLv2EditorEffect), so it works in hosts that run UIs in another process.
#include "editor/CDelayEditor.h"
#include "lv2/CLv2EditorEffect.h"
#include "toolkit/CFrame0.h"
#include "toolkit/ResourceFolder.h"
#include "toolkit/X11View.h"

#include <lv2/ui/ui.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

struct KestruneUi {
    std::unique_ptr<CDelayEditor> editor;
    CLv2EditorEffect* link = nullptr;
};

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char* bundlePath,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features)
{
    if (!pluginUri || std::strcmp(pluginUri, kLv2PluginUri) != 0 || !widget) return nullptr;
    CLv2EditorEffect::Host host;
    host.write = write;
    host.controller = controller;
    void* parent = nullptr;
    for (int i = 0; features && features[i]; ++i) {
        const char* uri = features[i]->URI;
        if (std::strcmp(uri, LV2_UI__parent) == 0) parent = features[i]->data;
        else if (std::strcmp(uri, LV2_URID__map) == 0) host.map = static_cast<LV2_URID_Map*>(features[i]->data);
        else if (std::strcmp(uri, LV2_UI__resize) == 0) host.resize = static_cast<const LV2UI_Resize*>(features[i]->data);
        else if (std::strcmp(uri, LV2_UI__touch) == 0) host.touch = static_cast<const LV2UI_Touch*>(features[i]->data);
    }
    if (!parent || !host.map) return nullptr;
    try {
        // The artwork sits in the bundle, beside this library.
        if (VSTGUI::GetResourceFolder().empty() && bundlePath) {
            std::string folder = bundlePath;
            if (!folder.empty() && folder.back() != '/') folder += '/';
            VSTGUI::SetResourceFolder((folder + "Resources/").c_str());
        }
        auto ui = std::make_unique<KestruneUi>();
        auto link = std::make_unique<CLv2EditorEffect>(host);
        ui->link = link.get();
        ui->editor = std::make_unique<CDelayEditor>(std::move(link), nullptr);
        ERect* rect = nullptr;
        ui->editor->getRect(&rect);
        if (!ui->editor->open(parent)) return nullptr;
        auto* view = static_cast<VSTGUI::X11View*>(ui->editor->GetFrame()->getPlatformView());
        *widget = reinterpret_cast<LV2UI_Widget>(static_cast<uintptr_t>(view->getWindow()));
        if (rect && host.resize)
            host.resize->ui_resize(host.resize->handle, rect->right - rect->left, rect->bottom - rect->top);
        return ui.release();
    } catch (...) {
        return nullptr;
    }
}

void Cleanup(LV2UI_Handle handle)
{
    auto* ui = static_cast<KestruneUi*>(handle);
    ui->editor->close();
    delete ui;
}

void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    static_cast<KestruneUi*>(handle)->link->PortEvent(port, size, format, buffer);
}

int Idle(LV2UI_Handle handle)
{
    static_cast<KestruneUi*>(handle)->editor->idle();
    return 0;
}

const void* ExtensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idle = {Idle};
    return uri && std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idle : nullptr;
}

const LV2UI_Descriptor kDescriptor = {kLv2UiUri, Instantiate, Cleanup, PortEvent, ExtensionData};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
